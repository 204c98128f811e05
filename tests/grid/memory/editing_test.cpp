// The in-place editing life cycle of the memory grid with its text editors, driven by keys, mouse and
// input-method events: which key opens the editor and with what text, the commit on every way of leaving
// a cell, read-only columns and OnEdit, the two steps of Esc, wgoAlwaysShowEditor, F3, Delete, Korean
// composition that starts while the grid is browsing, the multi-line editor's height and the edit button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "grid/editors/in_edit.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "grid/view/edit_session.h"
#include "platform/format/format.h"
#include "platform/os/os.h"

namespace {

using plat::paint::TRect;

class EditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    plat::os::SetBeepHandler([this] { ++beeps; });
    for (int i = 0; i < 3; ++i) grid.AddColumn()->SetColWidth(100);
    grid.Column(2)->SetDataType(wdtLong);
    for (int r = 0; r < 4; ++r) {
      grid.AppendRow(false, false, false);
      grid.Cells(0, r).SetAsString("가" + std::to_string(r));
      grid.Cells(1, r).SetAsString("나" + std::to_string(r));
    }
    TwGridOptions o = grid.Options();
    o.Include(wgoEditing).Include(wgoInserting).Exclude(wgoEnterToTab);
    grid.SetOptions(o);
    grid.resize(420, 260);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    QApplication::processEvents();
  }
  void TearDown() override { plat::os::SetBeepHandler({}); }

  QWidget* Focus() {
    QWidget* f = QApplication::focusWidget();
    EXPECT_NE(f, nullptr);
    return f ? f : &grid;
  }
  // Keys go where the focus is, as the user's keys would.
  void Key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(Focus(), k, m); }
  // Hangul syllables come as key events that carry their text (as a keyboard layout would send them).
  void Type(const QString& s) {
    for (QChar ch : s) {
      if (ch.unicode() < 128) {
        QTest::keyClick(Focus(), ch.toLatin1());
      } else {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(Focus(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(Focus(), &release);
      }
    }
  }
  QLineEdit* LineEditor() {
    return qobject_cast<QLineEdit*>(grid.Editing().InplaceEditor() ? grid.Editing().InplaceEditor()->Control()
                                                                   : nullptr);
  }
  std::string EditorText() {
    QLineEdit* e = LineEditor();
    return e ? e->text().toStdString() : std::string("<no editor>");
  }
  QPoint Mid(int band, int row) {
    const TRect r = grid.Model().Extents().CellRect(band, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  void Click(int band, int row) { QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, Mid(band, row)); }

  TMemGrid grid;
  int beeps = 0;
};

TEST_F(EditingTest, TypedCharacterOpensTheEditorWithThatCharacterAndEnterCommits) {
  Type("x");
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_EQ(Focus(), grid.Editing().InplaceEditor()->Control());
  EXPECT_EQ(EditorText(), "x");  // the cell's text was selected and replaced
  EXPECT_EQ(grid.EditState(), esEdit);
  Type("yz");
  Key(Qt::Key_Return);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(Focus(), &grid);
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "xyz");
  // Enter opens it again with the whole text selected; the second Enter keeps the text.
  Key(Qt::Key_Return);
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_EQ(LineEditor()->selectedText().toStdString(), "xyz");
  Key(Qt::Key_Return);
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "xyz");
  EXPECT_EQ(beeps, 0);
}

TEST_F(EditingTest, EveryWayOfLeavingTheCellCommits) {
  struct Way {
    const char* name;
    std::function<void()> leave;
  };
  const std::vector<Way> ways = {
      {"down", [&] { Key(Qt::Key_Down); }},
      {"up", [&] { Key(Qt::Key_Up); }},
      {"enter", [&] { Key(Qt::Key_Return); }},
      {"click on another cell", [&] { Click(1, grid.Row()); }},
  };
  int n = 0;
  for (const Way& w : ways) {
    grid.activateWindow();
    grid.setFocus();
    grid.SetColRow(0, 1);
    QApplication::processEvents();
    const std::string text = "값" + std::to_string(++n);
    Type(QString::fromStdString(text));
    ASSERT_TRUE(grid.EditorMode()) << w.name;
    w.leave();
    EXPECT_FALSE(grid.EditorMode() && grid.Editing().EditColumn() == 0 && grid.Editing().EditRow() == 1)
        << w.name;
    EXPECT_EQ(grid.Cells(0, 1).AsString(), text) << w.name;
  }
}

// The focus going to another control of the window commits and closes the editor, and the grid (with its
// editor, as one control) reports its exit once; a switch to another window leaves the editor as it is.
TEST(EditingFocus, FocusToAnotherControlCommitsAndExitsOnce) {
  QWidget host;
  auto* g = new TMemGrid(&host);
  auto* other = new QLineEdit(&host);
  g->setGeometry(0, 0, 300, 200);
  other->setGeometry(0, 210, 100, 20);
  g->AddColumn()->SetColWidth(100);
  g->AppendRow(false, false, false);
  g->SetOptions(TwGridOptions(g->Options()).Include(wgoEditing));
  int enters = 0, exits = 0;
  g->OnEnter = [&](QObject*) { ++enters; };
  g->OnExit = [&](QObject*) { ++exits; };
  host.show();
  host.activateWindow();
  g->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(enters, 1);
  QTest::keyClick(QApplication::focusWidget(), 'a');
  QTest::keyClick(QApplication::focusWidget(), 'b');
  ASSERT_TRUE(g->EditorMode());
  EXPECT_EQ(QApplication::focusWidget(), g->Editing().InplaceEditor()->Control());
  EXPECT_EQ(enters, 1);  // the editor taking the focus is no exit and no new entry
  EXPECT_EQ(exits, 0);
  other->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  EXPECT_FALSE(g->EditorMode());
  EXPECT_EQ(g->Cells(0, 0).AsString(), "ab");
  EXPECT_EQ(exits, 1);
  g->setFocus();
  EXPECT_EQ(enters, 2);
}

TEST_F(EditingTest, ReadOnlyColumnOpensTheEditorButRefusesChanges) {
  grid.Column(0)->SetReadOnly(true);
  Key(Qt::Key_F2);
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_EQ(EditorText(), "가0");
  Type("q");
  Key(Qt::Key_Backspace);
  Key(Qt::Key_V, Qt::ControlModifier);
  Key(Qt::Key_Delete);
  EXPECT_EQ(EditorText(), "가0");
  EXPECT_GE(beeps, 3);
  Key(Qt::Key_Return);
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "가0");
  EXPECT_EQ(grid.EditState(), esBrowse);
}

TEST_F(EditingTest, OnEditRefusingKeepsTheCellWhileTheEditorStillOpens) {
  int asked = 0;
  grid.OnEdit = [&](QObject*, TwColumn*, bool& accept) {
    ++asked;
    accept = false;
  };
  Key(Qt::Key_F2);
  ASSERT_TRUE(grid.EditorMode());
  Type("abc");
  EXPECT_EQ(EditorText(), "가0");
  EXPECT_GT(asked, 0);
  EXPECT_EQ(grid.EditState(), esBrowse);
  grid.OnEdit = nullptr;
  Type("d");
  EXPECT_EQ(EditorText(), "가0d");
  EXPECT_EQ(grid.EditState(), esEdit);
}

TEST_F(EditingTest, FirstEscRestoresTheCellTextSecondCancelsTheRow) {
  grid.SetColRow(1, 2);
  Type("새");
  Key(Qt::Key_Escape);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(grid.EditState(), esEdit);  // the row edit goes on
  EXPECT_EQ(grid.Cells(1, 2).AsString(), "나2");
  Key(Qt::Key_Escape);
  EXPECT_EQ(grid.EditState(), esBrowse);

  // A new row: typing, Esc restores, the second Esc takes the row away.
  const int before = grid.RowCount();
  Key(Qt::Key_Insert);
  ASSERT_EQ(grid.RowCount(), before + 1);
  Type("임시");
  Key(Qt::Key_Escape);
  EXPECT_EQ(grid.RowCount(), before + 1);
  Key(Qt::Key_Escape);
  EXPECT_EQ(grid.RowCount(), before);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(EditingTest, CommittedValueSurvivesEscOfAnotherCell) {
  Type("첫");
  Key(Qt::Key_Return);  // commits column 0 (the row edit goes on)
  Key(Qt::Key_Right);
  ASSERT_EQ(grid.Col(), 1);
  Type("둘");
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "첫");
  Key(Qt::Key_Escape);  // restores column 1 only
  EXPECT_EQ(grid.EditState(), esEdit);
  Key(Qt::Key_Escape);  // cancels the row: both changes go
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "가0");
  EXPECT_EQ(grid.Cells(1, 0).AsString(), "나0");
}

TEST_F(EditingTest, AlwaysShowEditorKeepsTheEditorAndCommitsOnLeaving) {
  TwGridOptions o = grid.Options();
  grid.SetOptions(o.Include(wgoAlwaysShowEditor));
  QApplication::processEvents();
  ASSERT_TRUE(grid.EditorMode());
  Type("상시");  // the editor opened by the option has no selection: the text is appended
  Key(Qt::Key_Return);
  EXPECT_TRUE(grid.EditorMode());
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "가0");  // not yet committed
  Key(Qt::Key_Down);
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "가0상시");
  EXPECT_TRUE(grid.EditorMode());
  EXPECT_EQ(grid.Editing().EditRow(), 1);
  EXPECT_EQ(EditorText(), "가1");
}

TEST_F(EditingTest, F3CopiesTheCellAboveAndDeleteEmptiesTheValue) {
  grid.SetRow(2);
  Key(Qt::Key_F3);
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_EQ(EditorText(), "가1");
  Key(Qt::Key_Return);
  EXPECT_EQ(grid.Cells(0, 2).AsString(), "가1");
  Key(Qt::Key_Down);
  EXPECT_EQ(grid.Row(), 3);
  Key(Qt::Key_Delete);
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_EQ(EditorText(), "");
  Key(Qt::Key_Up);
  EXPECT_TRUE(grid.Cells(0, 3).IsNull());
}

TEST_F(EditingTest, RefusedCharacterBeepsAndOpensNothing) {
  grid.SetCol(2);  // a whole-number column refuses letters
  Type("a");
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(beeps, 1);
  EXPECT_EQ(grid.EditState(), esBrowse);
  // A grid that allows no editing stays silent.
  TwGridOptions o = grid.Options();
  grid.SetOptions(o.Exclude(wgoEditing).Exclude(wgoInserting));
  Type("a");
  EXPECT_EQ(beeps, 1);
}

TEST_F(EditingTest, ArrowMoveLeavesTheTextOnlyAtItsEdge) {
  TwGridOptions o = grid.Options();
  grid.SetOptions(o.Exclude(wgoArrowMove));
  Key(Qt::Key_F2);  // caret at the end, no selection
  Key(Qt::Key_Right);
  EXPECT_EQ(grid.Col(), 0);
  grid.SetOptions(grid.Options().Include(wgoArrowMove));
  Key(Qt::Key_F2);
  ASSERT_TRUE(grid.EditorMode());
  Key(Qt::Key_Left);  // inside the text: the caret moves
  EXPECT_EQ(grid.Col(), 0);
  Key(Qt::Key_End);
  Key(Qt::Key_Right);  // at the end: the next cell
  EXPECT_EQ(grid.Col(), 1);
}

// Korean typed into a browsing cell: the composition starts in the grid and must arrive whole in the
// editor (the first jamo neither lost nor committed on its own).
TEST_F(EditingTest, CompositionStartedWhileBrowsingArrivesWholeInTheEditor) {
  auto preedit = [&](const QString& s) {
    QInputMethodEvent e(s, {});
    QApplication::sendEvent(Focus(), &e);
  };
  auto commit = [&](const QString& s) {
    QInputMethodEvent e;
    e.setCommitString(s);
    QApplication::sendEvent(Focus(), &e);
  };
  ASSERT_EQ(Focus(), &grid);
  preedit("ㅎ");
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_EQ(Focus(), grid.Editing().InplaceEditor()->Control());
  EXPECT_EQ(LineEditor()->text().toStdString(),
            "");  // the cell's text was selected: the pre-edit replaces it
  preedit("하");
  preedit("한");
  commit("한");
  preedit("ㄱ");
  preedit("그");
  preedit("글");
  commit("글");
  EXPECT_EQ(EditorText(), "한글");
  Key(Qt::Key_Return);
  EXPECT_EQ(grid.Cells(0, 0).AsString(), "한글");

  // A committed syllable into a column that refuses it beeps and opens nothing.
  grid.SetCol(2);
  commit("한");
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(beeps, 1);
}

TEST_F(EditingTest, MultiLineEditorGrowsWithItsTextButNeverBelowTheGrid) {
  grid.Column(1)->SetEditStyle(wesMultiText);
  grid.SetColRow(1, 3);
  Key(Qt::Key_F2);
  ASSERT_TRUE(grid.EditorMode());
  auto* m = qobject_cast<QPlainTextEdit*>(grid.Editing().InplaceEditor()->Control());
  ASSERT_NE(m, nullptr);
  const int h0 = m->height();
  for (int i = 0; i < 30; ++i) Key(Qt::Key_Return, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_GT(m->height(), h0);
  EXPECT_LE(m->y() + m->height(), grid.viewport()->height());
  // Up on a line below the first stays in the editor.
  Key(Qt::Key_Up);
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_TRUE(grid.EditorMode());
  Key(Qt::Key_Escape);
  Key(Qt::Key_Escape);
  EXPECT_EQ(grid.Cells(1, 3).AsString(), "나3");
}

TEST_F(EditingTest, EditButtonFiresOnlyWhenReleasedOverIt) {
  int clicks = 0;
  grid.OnEditButtonClick = [&](QObject*, TwColumn* c) {
    EXPECT_EQ(c, grid.Column(1));
    ++clicks;
  };
  grid.Column(1)->SetEditButton(true);
  grid.SetCol(1);
  QApplication::processEvents();
  QWidget* b = grid.Editing().EditButtonControl();
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(b->isVisible());
  const QPoint mid = b->rect().center();
  QTest::mousePress(b, Qt::LeftButton, {}, mid);
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(-30, mid.y()));
  EXPECT_EQ(clicks, 0);
  QTest::mouseClick(b, Qt::LeftButton, {}, mid);
  EXPECT_EQ(clicks, 1);
  Key(Qt::Key_F2, Qt::ControlModifier);
  EXPECT_EQ(clicks, 2);
  // The editor leaves the button's room free.
  Key(Qt::Key_F2);
  ASSERT_TRUE(grid.EditorMode());
  EXPECT_LE(grid.Editing().InplaceEditor()->Control()->geometry().right(), b->geometry().left());
}

TEST_F(EditingTest, EditorFollowsScrollingAndHidesOutsideTheDataArea) {
  for (int r = 0; r < 40; ++r) grid.AppendRow(false, false, false);
  grid.SetRow(0);
  Key(Qt::Key_F2);
  ASSERT_TRUE(grid.EditorMode());
  QWidget* ed = grid.Editing().InplaceEditor()->Control();
  const int y0 = ed->y();
  grid.SetTopRow(1);
  EXPECT_FALSE(ed->isVisible());  // its row scrolled out
  grid.SetTopRow(0);
  EXPECT_TRUE(ed->isVisible());
  EXPECT_EQ(ed->y(), y0);
}

// Group mode: the editor lies over the cell's own rectangle in its level, without the grid lines, and
// Down inside a group moves to the cell below, committing on the way.
TEST_F(EditingTest, GroupModeEditorCoversTheCellInItsLevel) {
  grid.Model().Groups().Add()->SetLevels(2);
  grid.Model().Groups().Add();
  grid.Column(0)->SetPosition(TwCellPos{0, 0, 0});
  grid.Column(1)->SetPosition(TwCellPos{0, 1, 0});
  grid.Column(2)->SetPosition(TwCellPos{1, 0, 0});
  grid.Model().SetGroupMode(true);
  grid.SetColRow(1, 1);
  QApplication::processEvents();
  Type("아래");
  ASSERT_TRUE(grid.EditorMode());
  const TRect cell = grid.Model().Extents().GroupCellInnerRect(TwCellPos{0, 1, 0}, 1);
  const QRect g = grid.Editing().InplaceEditor()->Control()->geometry();
  EXPECT_EQ(g, QRect(cell.Left, cell.Top, cell.Width(), cell.Height()));
  Key(Qt::Key_Up);  // the cell above in the same group: column 0 of the same row
  EXPECT_EQ(grid.Col(), 0);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.Cells(1, 1).AsString(), "아래");
}

// Typing "5" into a byte cell opens the number editor with 5; "-" there is refused with a beep and opens
// nothing, and a value the type cannot hold never reaches the cell.
TEST_F(EditingTest, ByteCellTakesFiveAndRefusesMinus) {
  TMemGrid g;
  TwMemColumn* c = g.AddColumn();
  c->SetDataType(wdtByte);
  c->SetColWidth(80);
  g.AppendRow(false, false, false);
  g.Cells(0, 0).SetAsVariant(plat::Variant(std::int32_t(7)));
  g.SetOptions(TwGridOptions(g.Options()).Include(wgoEditing).Exclude(wgoEnterToTab));
  g.resize(200, 120);
  g.show();
  g.activateWindow();
  g.setFocus();
  QApplication::processEvents();
  QTest::keyClick(&g, '-');
  EXPECT_EQ(beeps, 1);
  EXPECT_FALSE(g.EditorMode());  // an unsigned column takes no sign
  EXPECT_EQ(g.Cells(0, 0).AsVariant().ToInt64(), 7);
  QTest::keyClick(QApplication::focusWidget(), '5');
  ASSERT_TRUE(g.EditorMode());
  EXPECT_EQ(g.Editing().ReadEditorValue().ToDouble(), 5.0);
  QTest::keyClick(QApplication::focusWidget(), '0');
  QTest::keyClick(QApplication::focusWidget(), '0');
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(g.EditorMode());
  EXPECT_EQ(g.Cells(0, 0).AsVariant().ToInt64(), 255);  // 500 is held as the type's largest value
}

}  // namespace
