// The document manager's grid by mouse: a click in column "C" ticks the row (and a second one unticks
// it), a click elsewhere only moves, and the wheel scrolls without moving the current row.
#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "app/veksecurity_01.h"
#include "grid/structure/extents.h"

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
  const TwGridExtents& e = g->Extents();
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

}  // namespace
