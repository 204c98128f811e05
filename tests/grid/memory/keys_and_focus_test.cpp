// Keys and focus as a person meets them in a memory grid: characters typed while the editor is open but
// the grid holds the focus, a character on a row OnEdit refuses, Ctrl+F2 without an edit button, and the
// edit button following the grid's focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "grid/memory/mem_grid.h"
#include "grid/view/edit_session.h"
#include "platform/format/format.h"
#include "platform/os/os.h"

namespace {

class KeysAndFocus : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    plat::os::SetBeepHandler([this] { ++beeps; });
    grid = new TMemGrid(&host);
    other = new QLineEdit(&host);
    grid->setGeometry(0, 0, 420, 220);
    other->setGeometry(0, 230, 100, 20);
    for (int i = 0; i < 2; ++i) grid->AddColumn()->SetColWidth(120);
    for (int r = 0; r < 3; ++r) {
      grid->AppendRow(false, false, false);
      grid->Cells(0, r).SetAsString("가" + std::to_string(r));
    }
    TwGridOptions o = grid->Options();
    grid->SetOptions(o.Include(wgoEditing).Exclude(wgoEnterToTab));
    host.show();
    host.activateWindow();
    grid->setFocus();
    QApplication::processEvents();
  }
  void TearDown() override { plat::os::SetBeepHandler({}); }

  // Keys go where the focus is, as a person's keys would.
  void Key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), m);
  }
  void Type(const char* s) {
    for (; *s; ++s) QTest::keyClick(QApplication::focusWidget(), *s);
  }
  std::string EditorText() {
    auto* e = qobject_cast<QLineEdit*>(
        grid->Editing().InplaceEditor() ? grid->Editing().InplaceEditor()->Control() : nullptr);
    return e ? e->text().toStdString() : std::string("<no editor>");
  }

  QWidget host;
  TMemGrid* grid = nullptr;
  QLineEdit* other = nullptr;
  int beeps = 0;
};

TEST_F(KeysAndFocus, CharactersTypedWhileTheGridHoldsTheFocusLandInTheOpenEditor) {
  TwGridOptions o = grid->Options();
  grid->SetOptions(o.Include(wgoAlwaysShowEditor));
  QApplication::processEvents();
  ASSERT_TRUE(grid->EditorMode());
  // The program puts the focus on the grid itself while the editor stays open.
  grid->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), grid);
  ASSERT_TRUE(grid->EditorMode());
  Type("abc");
  EXPECT_EQ(QApplication::focusWidget(), grid->Editing().InplaceEditor()->Control());
  EXPECT_EQ(EditorText(), "가0abc");
  Key(Qt::Key_Down);
  EXPECT_EQ(grid->Cells(0, 0).AsString(), "가0abc");
  EXPECT_EQ(beeps, 0);
}

TEST_F(KeysAndFocus, CharacterOnARowOnEditRefusesOpensTheEditorAndOnlyBeeps) {
  int asked = 0;
  grid->OnEdit = [&](QObject*, TwColumn*, bool& accept) {
    ++asked;
    accept = false;
  };
  Type("x");
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(EditorText(), "가0");
  EXPECT_GT(asked, 0);
  EXPECT_EQ(beeps, 1);
  Key(Qt::Key_Return);
  EXPECT_EQ(grid->Cells(0, 0).AsString(), "가0");
  EXPECT_EQ(grid->EditState(), esBrowse);
  // F2 opens it the same way, without a beep.
  Key(Qt::Key_Down);
  Key(Qt::Key_F2);
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(beeps, 1);
}

TEST_F(KeysAndFocus, CtrlF2WithoutAShownEditButtonActsAsF2) {
  int clicks = 0;
  grid->OnEditButtonClick = [&](QObject*, TwColumn*) { ++clicks; };
  Key(Qt::Key_F2, Qt::ControlModifier);
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(EditorText(), "가0");
  EXPECT_EQ(clicks, 0);
  Key(Qt::Key_Escape);
  // With the button shown, Ctrl+F2 presses it and opens nothing.
  grid->Column(0)->SetEditButton(true);
  grid->SetRow(1);
  QApplication::processEvents();
  ASSERT_FALSE(grid->EditorMode());
  Key(Qt::Key_F2, Qt::ControlModifier);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(grid->EditorMode());
}

TEST_F(KeysAndFocus, EditButtonGoesWithTheGridsFocusAndComesBack) {
  grid->Column(0)->SetEditButton(true);
  grid->SetRow(1);
  QApplication::processEvents();
  QWidget* button = grid->Editing().EditButtonControl();
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->isVisible());
  QTest::mouseClick(other, Qt::LeftButton);
  other->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), other);
  EXPECT_FALSE(button->isVisible());
  grid->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  EXPECT_TRUE(button->isVisible());
  // Through the grid's own editor the button stays.
  Key(Qt::Key_F2);
  ASSERT_TRUE(grid->EditorMode());
  EXPECT_EQ(QApplication::focusWidget(), grid->Editing().InplaceEditor()->Control());
  EXPECT_TRUE(button->isVisible());
}

}  // namespace
