// The contract between the grid and an editor, with an editor of the test's own registered under a custom
// kind in one grid's registry: it is made only for that grid and only for columns of that kind, opened by
// typing, F2 and a click on the current cell, loaded with the cell's value (BeginEdit), typed into through
// the grid's filter, read back (EndEdit) when Enter commits, restored when Esc cancels, hidden, and the
// focus goes back to the grid. Its key-table answers decide where the keys go.
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "editor_fixture.h"
#include "grid/editors/in_edit.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "grid/view/custom_grid.h"
#include "grid/view/edit_session.h"
#include "grid/view/inplace_editor.h"

using namespace editortest;
using plat::paint::TRect;

namespace {

// Every call the grid makes on it is written down.
class FakeEditor : public QLineEdit, public TwInplaceEditor {
 public:
  FakeEditor(TwEditorHost& host, std::vector<std::string>& calls)
      : QLineEdit(host.EditorParent()), TwInplaceEditor(host), calls_(calls) {
    hide();
  }

  QWidget* Control() override { return this; }
  void BeginEdit(TwColumn* c, const plat::Variant& value) override {
    calls_.push_back("BeginEdit " + c->Title().Caption() + "=" + value.ToString());
    TwInplaceEditor::BeginEdit(c, value);
  }
  plat::Variant EndEdit() override {
    calls_.push_back("EndEdit " + text().toStdString());
    return TwInplaceEditor::EndEdit();
  }
  void ShowAt(const TRect& Loc, bool Redraw) override {
    if (Loc.IsEmpty()) return HideEditor();
    PlaceControl(Loc, Redraw);
  }
  void HideEditor() override {
    if (isVisible()) calls_.push_back("Hide");
    HideControl();
  }
  plat::Variant GetValue() override {
    return text().isEmpty() ? plat::Variant::Null() : plat::Variant(text().toStdString());
  }
  void SetValue(const plat::Variant& v) override {
    setText(v.IsNull() ? QString() : QString::fromStdString(v.ToString()));
  }
  void SelectAll() override { selectAll(); }
  void Deselect() override { deselect(); }
  bool HasText() const override { return true; }
  void ClickAt(int X, int Y) override { calls_.push_back("ClickAt"); }

  // The caret's answers; keepRight says the editor wants Right even at the end of its text.
  bool keepRight = false;
  TwEditorCaret Caret() const override {
    TwEditorCaret at;
    at.AtStart = at.AtLeftEdge = cursorPosition() == 0 && !hasSelectedText();
    at.AtEnd = at.AtRightEdge = !keepRight && cursorPosition() == text().size() && !hasSelectedText();
    return at;
  }
  void KeyDefault(QKeyEvent* e) override { QLineEdit::keyPressEvent(e); }

 private:
  std::vector<std::string>& calls_;
};

class EditorContract : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    window.resize(700, 300);
    grid = new TMemGrid(&window);
    grid->setGeometry(0, 0, 700, 260);
    for (const char* name : {"A", "B", "C"}) {
      TwMemColumn* c = grid->AddColumn();
      c->SetDataType(wdtString);
      c->Title().SetCaption(name);
      c->SetColWidth(120);
    }
    grid->Column(1)->SetCustomKind("stars");
    grid->Column(2)->SetCustomKind("not registered");
    grid->SetOptions(TwGridOptions(grid->Options()).Include(wgoEditing).Exclude(wgoEnterToTab));
    for (int r = 0; r < 2; ++r) grid->AppendRow(false, false, false);
    grid->Cells(1, 0).SetAsString("abc");
    grid->Editing().Editors().Register("stars", [this](TwEditorHost& host) {
      auto e = std::make_unique<FakeEditor>(host, calls);
      fake = e.get();
      return e;
    });
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    grid->setFocus(Qt::OtherFocusReason);
    grid->SetColRow(1, 0);
    QApplication::processEvents();
  }
  void Type(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, mods);
    QApplication::processEvents();
  }
  QPoint Mid(int col, int row) {
    const TRect r = grid->Model().Extents().CellRect(grid->Column(col)->VisibleIndex(), row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }

  QWidget window;
  TMemGrid* grid = nullptr;
  FakeEditor* fake = nullptr;
  std::vector<std::string> calls;
};

TEST_F(EditorContract, TypingOpensTheCustomEditorLoadedWithTheCellAndEnterCommitsWhatWasTyped) {
  QTest::keyClicks(grid, "x");
  QApplication::processEvents();
  ASSERT_NE(fake, nullptr);
  EXPECT_EQ(grid->Editing().InplaceEditor(), fake);
  EXPECT_EQ(QApplication::focusWidget(), fake);
  EXPECT_EQ(fake->text(), "x");  // the opening character replaced the loaded text
  QTest::keyClicks(fake, "yz");
  Type(Qt::Key_Return);
  EXPECT_EQ(grid->Cells(1, 0).AsString(), "xyz");
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(QApplication::focusWidget(), grid);
  EXPECT_EQ(calls, (std::vector<std::string>{"BeginEdit B=abc", "EndEdit xyz", "Hide"}));
}

TEST_F(EditorContract, F2OpensWithTheCaretAtTheEndAndEscRestoresTheCellsValue) {
  QTest::keyClick(grid, Qt::Key_F2);
  QApplication::processEvents();
  ASSERT_NE(fake, nullptr);
  EXPECT_FALSE(fake->hasSelectedText());
  QTest::keyClicks(fake, "!");
  EXPECT_EQ(fake->text(), "abc!");
  Type(Qt::Key_Escape);
  EXPECT_EQ(grid->Cells(1, 0).AsString(), "abc");
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(QApplication::focusWidget(), grid);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.front(), "BeginEdit B=abc");
  EXPECT_EQ(calls.back(), "Hide");
}

TEST_F(EditorContract, AClickOnTheCurrentCellOpensTheEditorAndHandsItTheClick) {
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Mid(1, 0));
  QApplication::processEvents();
  ASSERT_NE(fake, nullptr);
  EXPECT_TRUE(grid->EditorMode());
  EXPECT_EQ(calls, (std::vector<std::string>{"BeginEdit B=abc", "ClickAt"}));
}

TEST_F(EditorContract, TheFilterAsksTheEditorWhereItsCaretIsBeforeAKeyLeavesTheCell) {
  QTest::keyClick(grid, Qt::Key_F2);
  QApplication::processEvents();
  ASSERT_NE(fake, nullptr);
  fake->keepRight = true;
  Type(Qt::Key_Right);
  EXPECT_EQ(grid->Col(), 1);  // the editor wanted the key
  fake->keepRight = false;
  Type(Qt::Key_Right);
  EXPECT_EQ(grid->Col(), 2);  // at the end of its text the key leaves the cell
  EXPECT_EQ(calls.back(), "Hide");
}

TEST_F(EditorContract, AnUnregisteredCustomKindAndAnotherGridUseTheEditKindsEditor) {
  // A custom kind nobody registered: the column's edit kind decides.
  grid->SetColRow(2, 0);
  QTest::keyClick(grid, Qt::Key_F2);
  QApplication::processEvents();
  EXPECT_NE(dynamic_cast<TwInEdit*>(grid->Editing().InplaceEditor()), nullptr);
  EXPECT_EQ(fake, nullptr);

  // The registration belongs to the first grid only.
  TMemGrid other(&window);
  other.setGeometry(0, 0, 300, 100);
  TwMemColumn* c = other.AddColumn();
  c->SetDataType(wdtString);
  c->SetCustomKind("stars");
  other.SetOptions(TwGridOptions(other.Options()).Include(wgoEditing));
  other.AppendRow(false, false, false);
  other.show();
  other.setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  QTest::keyClick(&other, Qt::Key_F2);
  QApplication::processEvents();
  EXPECT_NE(dynamic_cast<TwInEdit*>(other.Editing().InplaceEditor()), nullptr);
  EXPECT_EQ(fake, nullptr);

  // A bare grid has no editors at all; the data grid installed the standard ones into its own registry.
  TwCustomGrid bare(&window, [](TwColumns* cs) { return std::make_unique<TestColumn>(cs); });
  EXPECT_FALSE(bare.Editing().Editors().Has(wekText));
  EXPECT_TRUE(other.Editing().Editors().Has(wekText));
}

}  // namespace
