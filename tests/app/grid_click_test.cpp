// The document manager's grid by mouse: a click in column "C" ticks the row (and a second one unticks
// it), a click elsewhere only moves, and the wheel scrolls without moving the current row. A click on a
// title, on the indicator column or on the background changes no tick, even with column "C" current, and
// a tick clicked on the current row shows at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>

#include "app/veksecurity_01.h"
#include "grid/grid_recorder.h"
#include "grid/structure/extents.h"
#include "platform/os/os.h"
#include "test_env.h"

namespace {

TEST(MgrGridByMouse, AClickInColumnCTicksTheRowAndTheWheelLeavesTheRow) {
  TForm1 form;
  form.show();
  TMemGrid* g = form.Mgr_grid;
  for (int r = 0; r < 60; ++r) {
    g->AppendRow(true, false, false);
    g->Cells(1, r).SetAsString("file" + std::to_string(r) + ".txt");
  }
  QApplication::processEvents();
  const TwGridExtents& e = g->Model().Extents();
  auto cellPoint = [&](int band, int row) {
    const TRect r = e.CellRect(band, row);
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  };
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, cellPoint(0, 3));
  EXPECT_EQ(g->Row(), 3);
  EXPECT_TRUE(g->Cells(0, 3).AsBoolean());
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, cellPoint(1, 5));
  EXPECT_EQ(g->Row(), 5);
  EXPECT_FALSE(g->Cells(0, 5).AsBoolean());
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, cellPoint(0, 3));
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, cellPoint(0, 3));
  EXPECT_TRUE(g->Cells(0, 3).AsBoolean());  // unticked by the first of these clicks, ticked by the second
  int ticked = 0;
  for (int r = 0; r < g->RowCount(); ++r) ticked += g->Cells(0, r).AsBoolean();
  EXPECT_EQ(ticked, 1);

  const QPoint p = cellPoint(2, 1);
  QWheelEvent w(p, g->viewport()->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(g->viewport(), &w);
  EXPECT_EQ(g->TopRow(), 1);
  EXPECT_EQ(g->Row(), 3);
}

int TickCount(TMemGrid* g) {
  int ticked = 0;
  for (int r = 0; r < g->RowCount(); ++r) ticked += g->Cells(0, r).AsBoolean();
  return ticked;
}

QPoint MidOf(const TRect& r) {
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

TEST(MgrGridByMouse, ClicksOutsideTheTickCellChangeNoTickEvenWithColumnCCurrent) {
  TForm1 form;
  form.show();
  TMemGrid* g = form.Mgr_grid;
  for (int r = 0; r < 40; ++r) {
    g->AppendRow(true, false, false);
    g->Cells(1, r).SetAsString("file" + std::to_string(r) + ".txt");
  }
  QApplication::processEvents();
  ASSERT_EQ(g->Row(), 0);
  ASSERT_EQ(g->Col(), 0);
  const TwGridExtents& e = g->Model().Extents();
  auto click = [&](QPoint p) { QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, p); };

  click(MidOf(e.HeaderCellRect(0)));  // the title of column "C"
  EXPECT_EQ(TickCount(g), 0);
  click(MidOf(e.HeaderCellRect(2)));  // another title
  EXPECT_EQ(TickCount(g), 0);
  ASSERT_FALSE(e.CellRect(-2, 0).IsEmpty());
  click(MidOf(e.CellRect(-2, 0)));  // the indicator of the current row
  EXPECT_EQ(TickCount(g), 0);
  // The row-sizing edge of the indicator column, just above the first row's bottom line.
  click(QPoint(MidOf(e.CellRect(-2, 0)).x(), e.RowBottom(0) - 1));
  EXPECT_EQ(TickCount(g), 0);
  EXPECT_EQ(g->Col(), 0);
  // The current row scrolled out of sight: a title click still changes nothing.
  g->SetTopRow(20);
  QApplication::processEvents();
  click(MidOf(g->Model().Extents().HeaderCellRect(0)));
  EXPECT_EQ(TickCount(g), 0);
  EXPECT_EQ(g->Row(), 0);
}

TEST(MgrGridByMouse, TheTickOfTheCurrentRowShowsAtEveryClick) {
  GridRecorder recorder;  // outlives the form
  TForm1 form;
  form.show();
  TMemGrid* g = form.Mgr_grid;
  g->Model().SetObserver(&recorder);
  for (int r = 0; r < 3; ++r) {
    g->AppendRow(true, false, false);
    g->Cells(0, r).SetAsBoolean(false);  // an empty tick shows greyed: start from a clear one
    g->Cells(1, r).SetAsString("file" + std::to_string(r) + ".txt");
  }
  QApplication::processEvents();
  const TwGridExtents& e = g->Model().Extents();
  // Right of the last column and below the last row: no cell, no tick.
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(e.ItemLeft(0) + 3, e.RowBottom(2) + 3));
  EXPECT_EQ(TickCount(g), 0);

  const TRect inner = e.CellInnerRect(0, 0);
  auto cellImage = [&] {
    const QImage shot = g->viewport()->grab().toImage();
    return shot.copy(inner.Left, inner.Top, inner.Right - inner.Left, inner.Bottom - inner.Top);
  };
  auto repainted = [&] {
    const QPoint p = MidOf(inner);
    const auto& rects = recorder.UpdatedRects();
    return std::any_of(rects.begin(), rects.end(), [&](const TRect& r) {
      return p.x() >= r.Left && p.x() < r.Right && p.y() >= r.Top && p.y() < r.Bottom;
    });
  };
  g->setFocus();  // as after the clicks below
  QApplication::processEvents();
  const QImage unticked = cellImage();
  // Row 0 is current after the load: the very first click on its "C" cell ticks it and shows the tick.
  recorder.ClearRepaintLog();
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, MidOf(inner));
  EXPECT_TRUE(g->Cells(0, 0).AsBoolean());
  EXPECT_FALSE(g->EditorShowing());
  EXPECT_TRUE(repainted());
  const QImage ticked = cellImage();
  EXPECT_NE(ticked, unticked);
  // The second click unticks it, and the picture follows.
  recorder.ClearRepaintLog();
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, MidOf(inner));
  EXPECT_FALSE(g->Cells(0, 0).AsBoolean());
  EXPECT_TRUE(repainted());
  EXPECT_EQ(cellImage(), unticked);
}

}  // namespace

namespace {

TEST(MgrGridByMouse, ADoubleClickOpensTheRowsFileOnlyWhenItLandsOnARow) {
  std::vector<std::string> opened;
  plat::os::SetOpenHandler([&](const std::string& p) {
    opened.push_back(p);
    return true;
  });
  QTemporaryDir dir;
  EnvVar driveD("VEKSECURITY_DRIVE_D", dir.path().toStdString());
  QFile(dir.path() + "/a.txt").open(QIODevice::WriteOnly);
  TForm1 form;
  form.show();
  TMemGrid* g = form.Mgr_grid;
  g->AppendRow(true, false, false);
  g->Cells(1, 0).SetAsString("a.txt");
  g->Cells(4, 0).SetAsString("D:");
  QApplication::processEvents();
  const TwGridExtents& e = g->Model().Extents();
  // A double click as the window system delivers it: a click, then a press taken as the double click.
  const auto doubleClick = [&](const QPoint& at) {
    QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  };
  doubleClick(MidOf(e.HeaderCellRect(3)));  // a title (it sorts twice)
  doubleClick(MidOf(e.CellRect(-2, 0)));    // the indicator column
  EXPECT_TRUE(opened.empty());
  doubleClick(MidOf(e.CellRect(2, 0)));
  EXPECT_EQ(opened, std::vector<std::string>{dir.path().toStdString() + "/a.txt"});
  plat::os::SetOpenHandler({});
}

}  // namespace
