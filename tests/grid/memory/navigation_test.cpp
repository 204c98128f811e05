// The grid driven by simulated keys, mouse and wheel: row and column moves with their events, the
// OnRowChange delay, the selection with its anchor, inserting and appending by keys, Ctrl+Delete and its
// question, title presses, scrolling (strips, scroll bars, the wheel), sizing and moving by dragging edges
// and titles, and Esc during a drag. Every position comes from the grid's layout.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "grid/grid_recorder.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "grid/view/grid_input.h"
#include "platform/os/os.h"
#include "platform/ui/dialogs.h"

using namespace plat::ui;

namespace {

class NavGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"A", "B", "C", "D", "E", "F"}) {
      TwMemColumn* c = grid.AddColumn();
      c->Title().SetCaption(name);
      c->SetColWidth(80);
    }
    grid.resize(400, 300);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    QApplication::processEvents();
  }
  void Fill(int rows) {
    for (int r = 0; r < rows; ++r) {
      grid.AppendRow(false, false, false);
      grid.Cells(1, r).SetAsString(std::to_string(r));
    }
  }
  QWidget* vp() { return grid.viewport(); }
  const TwGridExtents& E() { return grid.Model().Extents(); }
  // The middle of a data cell and of a column title.
  QPoint CellPoint(int band, int row) {
    const TRect r = E().CellRect(band, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  QPoint TitlePoint(int band) {
    const TRect r = E().HeaderCellRect(band);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  void Key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(&grid, k, m); }
  void Press(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::mousePress(vp(), Qt::LeftButton, m, p);
  }
  void Release(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::mouseRelease(vp(), Qt::LeftButton, m, p);
  }
  void Click(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::mouseClick(vp(), Qt::LeftButton, m, p);
  }
  void Move(QPoint p) { QTest::mouseMove(vp(), p); }
  // A move with no button down (the cursor update).
  void Hover(QPoint p) {
    QMouseEvent e(QEvent::MouseMove, p, vp()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(vp(), &e);
  }
  // A double click as the window system delivers it: press, release, the double click, release.
  void DoubleClick(QPoint p) {
    Click(p);
    QMouseEvent e(QEvent::MouseButtonDblClick, p, vp()->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(vp(), &e);
    Release(p);
  }
  void Wheel(int delta, QPoint p) {
    QWheelEvent e(p, vp()->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp(), &e);
  }
  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (int r = 0; r < grid.RowCount(); ++r)
      if (grid.Selected(r)) rows.push_back(r);
    return rows;
  }

  Recorded<TMemGrid> grid;
};

TEST_F(NavGrid, OnRowChangeFiresOnceAfterTheLastOfQuickMovesAndNeverWithoutADelay) {
  Fill(20);
  int changes = 0, enters = 0;
  grid.OnRowChange = [&](QObject*) { ++changes; };
  grid.OnRowEnter = [&](QObject*) { ++enters; };
  for (int i = 0; i < 5; ++i) Key(Qt::Key_Down);
  EXPECT_EQ(grid.Row(), 5);
  EXPECT_EQ(enters, 5);
  EXPECT_EQ(changes, 0);
  ASSERT_TRUE(grid.RowChangePending());
  grid.RowChangeTimerElapsed();  // the one timer left, as it elapses
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(grid.RowChangePending());

  // Taking the delay away drops a pending timer; moves then raise nothing.
  Key(Qt::Key_Down);
  grid.SetChangeDelay(0);
  EXPECT_FALSE(grid.RowChangePending());
  Key(Qt::Key_Down);
  EXPECT_FALSE(grid.RowChangePending());
  EXPECT_EQ(changes, 1);
}

TEST_F(NavGrid, ArrowsHomeEndAndPagesMoveTheCurrentCell) {
  Fill(50);
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  EXPECT_EQ(grid.Col(), 2);
  Key(Qt::Key_End);
  EXPECT_EQ(grid.Col(), 5);
  // The last column was brought into view.
  EXPECT_LE(E().ItemRight(5), E().ClientRect().Right);
  EXPECT_GT(grid.Model().HorzOffset(), 0);
  Key(Qt::Key_Home);
  EXPECT_EQ(grid.Col(), 0);
  EXPECT_EQ(grid.Model().HorzOffset(), 0);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(grid.Row(), grid.VisibleRowCount());
  Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(grid.Row(), 49);
  EXPECT_EQ(grid.TopRow(), 50 - grid.VisibleRowCount());  // the last row is the last fully visible one
  Key(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(grid.Row(), 0);
  EXPECT_EQ(grid.TopRow(), 0);
}

TEST_F(NavGrid, CellExitAndEnterSurroundAColumnChangeAndAHandlerMayStopIt) {
  Fill(3);
  std::vector<std::string> events;
  grid.OnCellExit = [&](QObject*) { events.push_back("exit " + std::to_string(grid.Col())); };
  grid.OnCellEnter = [&](QObject*) { events.push_back("enter " + std::to_string(grid.Col())); };
  grid.SetCol(2);
  EXPECT_EQ(events, (std::vector<std::string>{"exit 0", "enter 2"}));
  events.clear();
  grid.SetCol(2);   // already current: nothing
  grid.SetCol(99);  // clamped to the last column
  EXPECT_EQ(grid.Col(), 5);
  // A handler that moves the column itself wins.
  grid.OnCellExit = [&](QObject*) {
    if (grid.Col() == 5) grid.SetCol(1);
  };
  grid.SetCol(3);
  EXPECT_EQ(grid.Col(), 1);
}

TEST_F(NavGrid, AClickIntoAFixedColumnMovesToTheFirstScrollingOneUnlessSelectingIsAllowed) {
  Fill(5);
  grid.Model().SetFixedCount(2);
  Click(CellPoint(0, 2));
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.Col(), 2);
  grid.Model().FixedStyle().SetOptions({wfxSelecting});
  Click(CellPoint(1, 3));
  EXPECT_EQ(grid.Col(), 1);
  EXPECT_EQ(grid.Row(), 3);
}

TEST_F(NavGrid, CtrlClickSetsTheAnchorAndShiftClickSelectsFromIt) {
  Fill(10);
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoMultiSelect));
  Click(CellPoint(0, 2), Qt::ControlModifier);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{2}));
  Click(CellPoint(0, 5), Qt::ShiftModifier);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 3, 4, 5}));
  // Ctrl+click on a selected row deselects it and leaves no anchor: Shift+click selects one row.
  Click(CellPoint(0, 3), Qt::ControlModifier);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 4, 5}));
  Click(CellPoint(0, 7), Qt::ShiftModifier);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{7}));
  // A plain click selects the clicked row alone; Shift+Down extends from its anchor.
  Click(CellPoint(0, 1));
  EXPECT_EQ(SelectedRows(), (std::vector<int>{1}));
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(grid.Row(), 3);
  Key(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 2}));
  Key(Qt::Key_Down);  // a plain move clears the selection
  EXPECT_TRUE(SelectedRows().empty());
}

TEST_F(NavGrid, DownOnTheLastRowAppendsOnlyWhenInsertingAndEnterOnTheLastCellGoesThroughIt) {
  Fill(3);
  Key(Qt::Key_Down, Qt::ControlModifier);
  Key(Qt::Key_PageDown, Qt::ControlModifier);
  ASSERT_EQ(grid.Row(), 2);
  Key(Qt::Key_Down);
  EXPECT_EQ(grid.RowCount(), 3);  // not inserting
  EXPECT_EQ(grid.EditState(), esBrowse);
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoInserting));
  grid.SetCol(5);
  Key(Qt::Key_Return);  // the last cell of the last row: Down, then the first column
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.EditState(), esInsert);
  EXPECT_EQ(grid.Col(), 0);
  // Down again on the untouched new last row does nothing; Up takes it away.
  Key(Qt::Key_Down);
  EXPECT_EQ(grid.RowCount(), 4);
  Key(Qt::Key_Up);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.EditState(), esBrowse);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
  // Enter elsewhere moves to the next cell.
  Key(Qt::Key_Return);
  EXPECT_EQ(grid.Col(), 1);
}

TEST_F(NavGrid, CtrlDeleteAsksTheQuestionOfTheSelectionAndDeletesOnYes) {
  Fill(5);
  ScriptedDialogs dialogs;
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoDeleting).Include(wgoMultiSelect));
  grid.SetRow(1);
  dialogs.QueueAnswer(IDNO);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(dialogs.History().size(), 1u);
  EXPECT_EQ(dialogs.History()[0].Text, "자료를 삭제하시겠습니까?");
  EXPECT_EQ(dialogs.History()[0].Caption, "삭제");
  EXPECT_EQ(dialogs.History()[0].Flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  EXPECT_EQ(grid.RowCount(), 5);
  dialogs.QueueAnswer(IDYES);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.Cells(1, 1).AsString(), "2");
  EXPECT_TRUE(grid.hasFocus());
  // With selected rows the question names them and all of them go.
  Click(CellPoint(0, 0));
  Click(CellPoint(0, 2), Qt::ShiftModifier);
  dialogs.QueueAnswer(IDYES);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(dialogs.History().back().Text, "선택된 자료를 모두 삭제하시겠습니까?");
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Cells(1, 0).AsString(), "4");
  // Without wgoDeleting nothing is asked.
  grid.SetOptions(TwGridOptions(grid.Options()).Exclude(wgoDeleting));
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(dialogs.History().size(), 3u);
}

TEST_F(NavGrid, F3CopiesTheCellAboveAndTypingIntoAReadOnlyColumnBeeps) {
  Fill(3);
  int beeps = 0;
  plat::os::SetBeepHandler([&] { ++beeps; });
  grid.SetColRow(1, 2);
  Key(Qt::Key_F3);  // the column cannot be changed without wgoEditing
  EXPECT_EQ(grid.Cells(1, 2).AsString(), "2");
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoEditing));
  Key(Qt::Key_F3);
  EXPECT_EQ(grid.Cells(1, 2).AsString(), "1");
  grid.Post();
  grid.Column(1)->SetReadOnly(true);
  // F3 left the editor open: the key goes to it, and it refuses the change.
  QTest::keyClicks(QApplication::focusWidget(), "x");
  EXPECT_EQ(beeps, 1);
  // With editing off altogether a refused character is silent.
  grid.SetOptions(TwGridOptions(grid.Options()).Exclude(wgoEditing));
  QTest::keyClicks(&grid, "x");
  EXPECT_EQ(beeps, 1);
  plat::os::SetBeepHandler(nullptr);
}

TEST_F(NavGrid, ATitleClickNeedsPressAndReleaseOverTheSameTitle) {
  Fill(3);
  std::vector<TwColumn*> clicks;
  grid.OnColumnTitleClick = [&](QObject*, TwColumn* c) { clicks.push_back(c); };
  grid.Column(1)->Title().SetClicking(true);
  Press(TitlePoint(1));
  EXPECT_EQ(grid.Input().GridDragState(), wgsColTitleDown);
  EXPECT_TRUE(grid.Input().Drag().Pressed);
  Move(TitlePoint(2));
  EXPECT_FALSE(grid.Input().Drag().Pressed);  // drawn released while the mouse is off the title
  Release(TitlePoint(2));
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(grid.Input().GridDragState(), wgsNone);
  Click(TitlePoint(1));
  EXPECT_EQ(clicks, (std::vector<TwColumn*>{grid.Column(1)}));
  EXPECT_EQ(grid.Row(), 0);  // a title click moves nothing
  // With wgoColMoving a plain press is still the click; Ctrl+press moves the column.
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoColMoving));
  Click(TitlePoint(1));
  EXPECT_EQ(clicks.size(), 2u);
  Press(TitlePoint(1), Qt::ControlModifier);
  EXPECT_EQ(grid.Input().GridDragState(), wgsColMoving);
  Move(TitlePoint(3));
  Release(TitlePoint(3), Qt::ControlModifier);
  EXPECT_EQ(clicks.size(), 2u);
  // Moving at run time changes the display position, not the collection index.
  EXPECT_EQ(grid.Model().Columns().VisibleItems(3), grid.Column(1));
  EXPECT_EQ(grid.Column(1)->Index(), 1);
  EXPECT_EQ(grid.Model().Columns().CheckConsistency(), "");
}

TEST_F(NavGrid, ClickAndDoubleClickEventsOfTheGrid) {
  Fill(3);
  std::vector<std::string> events;
  grid.OnClick = [&](QObject*) { events.push_back("click " + std::to_string(grid.Row())); };
  grid.OnDblClick = [&](QObject*) { events.push_back("dbl " + std::to_string(grid.Row())); };
  Click(CellPoint(0, 2));
  DoubleClick(CellPoint(0, 1));
  // The double click's first click moves and clicks; its second half is the double click alone.
  EXPECT_EQ(events, (std::vector<std::string>{"click 2", "click 1", "dbl 1"}));
}

TEST_F(NavGrid, TheWheelScrollsTheViewButLeavesTheRow) {
  Fill(100);
  const QPoint inside = CellPoint(0, 1);
  for (int i = 0; i < 3; ++i) Wheel(-120, inside);
  EXPECT_EQ(grid.TopRow(), 3);
  EXPECT_EQ(grid.Row(), 0);  // out of view and still current
  EXPECT_EQ(grid.verticalScrollBar()->value(), 3);
  Wheel(120, inside);
  EXPECT_EQ(grid.TopRow(), 2);
  // Outside the client area the wheel does nothing.
  EXPECT_TRUE(grid.DoMouseWheel(-120, -5, -5));
  EXPECT_EQ(grid.TopRow(), 2);
}

TEST_F(NavGrid, WhenAllRowsFitTheWheelScrollsSidewaysByBands) {
  Fill(3);
  const QPoint inside = CellPoint(0, 0);
  Wheel(-120, inside);
  EXPECT_EQ(grid.FirstVisibleScrollBand(), 1);
  EXPECT_EQ(grid.Model().HorzOffset(), 80);
  for (int i = 0; i < 10; ++i) Wheel(-120, inside);
  EXPECT_EQ(grid.Model().HorzOffset(), E().MaxHorzScroll());
  Wheel(120, inside);
  EXPECT_LT(grid.Model().HorzOffset(), E().MaxHorzScroll());
  EXPECT_EQ(grid.Row(), 0);
}

TEST_F(NavGrid, ScrollBarsStepByRowsAndBands) {
  Fill(100);
  QScrollBar* v = grid.verticalScrollBar();
  QScrollBar* h = grid.horizontalScrollBar();
  EXPECT_EQ(v->maximum(), 100 - grid.VisibleRowCount());
  EXPECT_EQ(h->maximum(), E().MaxHorzScroll());
  v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(grid.TopRow(), 1);
  v->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(grid.TopRow(), 1 + grid.VisibleRowCount());
  v->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(grid.TopRow(), 100 - grid.VisibleRowCount());
  EXPECT_EQ(grid.Row(), 0);
  h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(grid.Model().HorzOffset(), 80);
  h->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(grid.Model().HorzOffset(), 160);
  h->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(grid.Model().HorzOffset(), 80);
  // Without bars nothing shows, the offsets still work.
  grid.SetScrollBars(ssNone);
  EXPECT_EQ(grid.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  grid.SetTopRow(5);
  EXPECT_EQ(grid.TopRow(), 5);
}

TEST_F(NavGrid, AOneRowScrollRepaintsOnlyTheUncoveredStrip) {
  Fill(100);
  struct PaintSpy : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
      return false;
    }
  } spy;
  QApplication::processEvents();
  vp()->installEventFilter(&spy);
  grid.SetTopRow(1);
  QApplication::processEvents();
  vp()->removeEventFilter(&spy);
  const QRect strip = spy.painted.boundingRect();
  EXPECT_LE(strip.height(), grid.Model().RowHeight() + 1)
      << "painted " << strip.height() << " rows of pixels";
  EXPECT_GE(strip.top(), E().DataTop());
  // A jump of several rows repaints the grid.
  grid.ClearRepaintLog();
  grid.SetTopRow(10);
  ASSERT_FALSE(grid.RepaintLog().empty());
  EXPECT_EQ(grid.RepaintLog().back().What, TwCustomGrid::RepaintRequest::Grid);
}

// --- sizing -----------------------------------------------------------------------------------------

TEST_F(NavGrid, AColumnEdgeZoneIsTheThreePixelsEndingAtTheEdge) {
  Fill(3);
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoColSizing));
  std::vector<TwColumn*> sizing;
  grid.OnColumnSizing = [&](QObject*, TwColumn* c) { sizing.push_back(c); };
  const int edge = E().ItemRight(1);
  const int y = TitlePoint(1).y();
  // Hovering shows the split cursor; the press that starts the sizing reports the edge.
  Hover({edge - 2, y});
  EXPECT_EQ(vp()->cursor().shape(), Qt::SplitHCursor);
  EXPECT_TRUE(sizing.empty()) << "a hover starts no sizing";
  Hover({edge - 3, y});
  EXPECT_EQ(vp()->cursor().shape(), Qt::ArrowCursor);
  Press({edge - 3, y});
  EXPECT_NE(grid.Input().GridDragState(), wgsColSizing);
  Release({edge - 3, y});
  EXPECT_TRUE(sizing.empty());
  std::vector<int> widthEvents;
  grid.Model().OnColumnWidthChange = [&](QObject*, TwColumn*, int old) { widthEvents.push_back(old); };
  Press({edge - 2, y});
  EXPECT_EQ(grid.Input().GridDragState(), wgsColSizing);
  EXPECT_EQ(sizing, (std::vector<TwColumn*>{grid.Column(1)}));
  Move({edge + 10, y});
  Release({edge + 10, y});
  EXPECT_EQ(grid.Column(1)->ColWidth(), 92);
  EXPECT_EQ(widthEvents, (std::vector<int>{80}));
  EXPECT_EQ(grid.Input().GridDragState(), wgsNone);
}

TEST_F(NavGrid, AFooterDraggedTenPixelsUpIsTenPixelsTaller) {
  Fill(3);
  TwGridFooter* f = grid.Model().Footers().Add();
  f->SetSizing(true);
  const int before = f->Height();
  const int top = E().FooterRowTop(0);
  const int x = E().Edge(0) + 2;  // left of the first band's right edge
  Press({x, top});
  ASSERT_EQ(grid.Input().GridDragState(), wgsFooterSizing);
  Move({x, top - 5});
  Move({x, top - 10});
  Release({x, top - 10});
  EXPECT_EQ(f->Height(), before + 10);
}

TEST_F(NavGrid, RowHeightAndTitleHeightFollowTheirEdges) {
  Fill(10);
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoRowSizing));
  std::vector<int> olds;
  grid.Model().OnRowHeightChange = [&](QObject*, int old) { olds.push_back(old); };
  const int rowBottom = E().RowBottom(0);
  const int x = E().Edge(0) + 2;
  Press({x, rowBottom - 1});
  ASSERT_EQ(grid.Input().GridDragState(), wgsRowSizing);
  Move({x, rowBottom + 6});
  Release({x, rowBottom + 6});
  EXPECT_EQ(grid.Model().RowHeight(), 18 + 7);
  EXPECT_EQ(olds, (std::vector<int>{18}));
  grid.Model().Headers().SetSizing(true);
  const int titleHeight = grid.Model().Headers().Height();
  Press({x, E().DataTop() - 1});
  ASSERT_EQ(grid.Input().GridDragState(), wgsHeaderSizing);
  Move({x, E().DataTop() + 4});
  Release({x, E().DataTop() + 4});
  EXPECT_EQ(grid.Model().Headers().Height(), titleHeight + 5);
}

TEST_F(NavGrid, EscDuringADragLeavesEverySizeAndTakesTheLineAway) {
  Fill(5);
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoColSizing));
  const int edge = E().ItemRight(0);
  const int y = TitlePoint(0).y();
  const QImage before = vp()->grab().toImage();
  Press({edge - 1, y});
  Move({edge + 30, y});
  ASSERT_TRUE(grid.Input().Drag().FeedbackShown);
  const int lineX = grid.Input().Drag().CurPos;
  const QImage during = vp()->grab().toImage();
  int changed = 0;
  for (int yy = 0; yy < during.height(); ++yy) changed += during.pixel(lineX, yy) != before.pixel(lineX, yy);
  EXPECT_GT(changed, during.height() / 4) << "the dotted line shows";
  Key(Qt::Key_Escape);
  EXPECT_EQ(grid.Input().GridDragState(), wgsNone);
  Release({edge + 30, y});
  EXPECT_EQ(grid.Column(0)->ColWidth(), 80);
  const QImage after = vp()->grab().toImage();
  for (int yy = 0; yy < after.height(); ++yy)
    ASSERT_EQ(after.pixel(lineX, yy), before.pixel(lineX, yy)) << yy;
}

TEST_F(NavGrid, IndicatorWidthFollowsItsEdge) {
  grid.Model().Indicators().SetSizing(true);
  const int w = grid.Model().Indicators().Width();
  const int edge = E().Edge(1);
  const int y = E().DataTop() / 2;
  Press({edge, y});
  ASSERT_EQ(grid.Input().GridDragState(), wgsIndicatorSizing);
  Move({edge + 8, y});
  Release({edge + 8, y});
  EXPECT_EQ(grid.Model().Indicators().Width(), w + 8);
}

// --- group mode ---------------------------------------------------------------------------------------

class GroupNav : public NavGrid {
 protected:
  void SetUp() override {
    NavGrid::SetUp();
    for (int gi = 0; gi < 2; ++gi) {
      TwGroup* g = grid.Model().Groups().Add();
      g->SetLevels(2);
      g->InsertColumn(0, 0, grid.Column(3 * gi));
      g->InsertColumn(0, 1, grid.Column(3 * gi + 1));
      g->InsertColumn(1, 0, grid.Column(3 * gi + 2));
      g->SetWidth(120);
    }
    grid.Model().SetGroupMode(true);
    Fill(5);
  }
};

TEST_F(GroupNav, ACellEdgeReportsItsColumnOnlyWhenAPressStartsTheSizing) {
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoCellSizing));
  std::vector<TwColumn*> sizing;
  grid.OnColumnSizing = [&](QObject*, TwColumn* c) { sizing.push_back(c); };
  const TRect cell = E().ColumnTitleRect({0, 0, 0});
  const QPoint edge{cell.Right - 1, (cell.Top + cell.Bottom) / 2};
  Hover(edge);
  EXPECT_EQ(vp()->cursor().shape(), Qt::SplitHCursor);
  EXPECT_TRUE(sizing.empty()) << "a hover starts no sizing";
  Press(edge);
  ASSERT_EQ(grid.Input().GridDragState(), wgsCellSizing);
  EXPECT_EQ(sizing, (std::vector<TwColumn*>{grid.Model().Groups().ColumnAt({0, 0, 0})}));
  Release(edge);
  EXPECT_EQ(sizing.size(), 1u);
}

TEST_F(GroupNav, ALevelClickWithoutMovingTakesOneWeightAway) {
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoLevelSizing));
  TwGroup* g = grid.Model().Groups().Items(0);
  g->SetWeight(4);
  g->SetLevelWeight(0, 3);
  ASSERT_EQ(g->LevelWeight(1), 1);
  std::vector<int> levels;
  grid.OnLevelSizing = [&](QObject*, TwGroup*, int level) { levels.push_back(level); };
  const TRect level0 = E().GroupHeaderRect(0, 0);
  const QPoint p{(level0.Left + level0.Right) / 2, level0.Bottom - 1};
  Click(p);
  EXPECT_EQ(g->LevelWeight(0), 2);
  EXPECT_EQ(levels, (std::vector<int>{0}));
  // Dragged down it gains one.
  const QPoint q{p.x(), E().GroupHeaderRect(0, 0).Bottom - 1};
  Press(q);
  Move({q.x(), q.y() + 6});
  Release({q.x(), q.y() + 6});
  EXPECT_EQ(g->LevelWeight(0), 3);
}

TEST_F(GroupNav, DownMovesToTheCellBelowBeforeTheNextRowAndEnterWalksTheCells) {
  grid.SetCell({0, 0, 1});
  Key(Qt::Key_Down);
  EXPECT_EQ(grid.Model().CurrentCell(), (TwCellPos{0, 1, 0}));
  EXPECT_EQ(grid.Row(), 0);
  Key(Qt::Key_Down);
  EXPECT_EQ(grid.Row(), 1);
  Key(Qt::Key_Up);
  EXPECT_EQ(grid.Model().CurrentCell(), (TwCellPos{0, 0, 0}));
  EXPECT_EQ(grid.Row(), 1);
  Key(Qt::Key_End);
  EXPECT_EQ(grid.Model().CurrentCell(), grid.Model().Groups().LastPos());
  Key(Qt::Key_Return);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.Model().CurrentCell(), grid.Model().Groups().FirstPos());
}

TEST_F(GroupNav, ACellDraggedByItsTitleMovesInsideTheGroups) {
  grid.SetOptions(TwGridOptions(grid.Options()).Include(wgoCellMoving));
  TwColumn* moved = grid.Column(0);
  const TRect from = E().ColumnTitleRect({0, 0, 0});
  const TRect to = E().ColumnTitleRect({1, 1, 0});
  Press({from.Left + 5, (from.Top + from.Bottom) / 2});
  ASSERT_EQ(grid.Input().GridDragState(), wgsCellMoving);
  Move({to.Left + 5, (to.Top + to.Bottom) / 2});
  EXPECT_EQ(grid.Input().Drag().Target, (TwCellPos{1, 1, 0}));
  EXPECT_EQ(grid.Input().Drag().Marker, to.ToQRect());
  Release({to.Left + 5, (to.Top + to.Bottom) / 2});
  EXPECT_EQ(grid.Model().ColumnPos(moved), (TwCellPos{1, 1, 0}));
  EXPECT_EQ(grid.Model().Groups().CheckConsistency(), "");
}

}  // namespace
