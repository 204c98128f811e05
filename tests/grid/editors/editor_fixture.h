#pragma once
// Shared pieces of the editor tests: a column of a description model without a window, a top-level host
// that gives an editor real keyboard focus, beep counting and a locale that is put back afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <memory>
#include <type_traits>

#include "grid/structure/column.h"
#include "grid/structure/grid_model.h"
#include "grid/view/custom_grid.h"
#include "grid/view/edit_session.h"
#include "platform/format/format.h"
#include "platform/os/os.h"

namespace editortest {

class TestColumn : public TwColumn {
 public:
  using TwColumn::TwColumn;
  TwEditKind kind = wekNumber;
  TwEditKind GetEditKind() const override { return kind; }
  int EditMaxLength() const override { return 0; }
  int GetDataSize() const override { return 8; }
  bool IsGraphic() const override { return false; }
  bool IsNumeric() const override { return true; }
  bool IsValidChar(char32_t) const override { return true; }
};

// A description model whose columns may be modified unless the test says otherwise.
class ColumnHost : public TwGridModel {
 public:
  ColumnHost() : TwGridModel([](TwColumns* c) { return std::make_unique<TestColumn>(c); }) {}
  bool canModify = true;
  bool ColumnCanModify(TwColumn*) override { return canModify; }
  TestColumn* Add() { return static_cast<TestColumn*>(Columns().Add()); }
};

// Counts beeps instead of sounding them.
class BeepCounter {
 public:
  BeepCounter() {
    plat::os::SetBeepHandler([this] { ++count; });
  }
  ~BeepCounter() { plat::os::SetBeepHandler({}); }
  int count = 0;
};

// Puts the locale back when the test ends.
class LocaleGuard {
 public:
  LocaleGuard() : saved_(plat::fmt::Locale()) {}
  ~LocaleGuard() { plat::fmt::SetLocale(saved_); }

 private:
  plat::fmt::FormatSettings saved_;
};

// A window holding the control under test and a second control to move the focus to. An in-place editor
// (made for a grid) lies on a bare grid that fills the window, shown at once.
template <class Control>
class Host {
 public:
  Host() {
    window.resize(300, 120);
    if constexpr (std::is_constructible_v<Control, TwEditorHost&>) {
      grid = new TwCustomGrid(&window, [](TwColumns* c) { return std::make_unique<TestColumn>(c); });
      grid->setGeometry(0, 0, 300, 120);
      control = new Control(grid->Editing().EditorHost());
      control->move(0, 0);
      control->show();
    } else {
      control = new Control(&window);
    }
    other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    other->setGeometry(0, 90, 40, 20);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    other->setFocus(Qt::OtherFocusReason);  // the control under test enters only when the test says so
    QApplication::processEvents();
  }
  void Focus() {
    control->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
  }
  void Leave() {
    other->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
  }
  QImage Grab() { return control->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  QWidget window;
  TwCustomGrid* grid = nullptr;
  Control* control = nullptr;
  QWidget* other = nullptr;
};

}  // namespace editortest
