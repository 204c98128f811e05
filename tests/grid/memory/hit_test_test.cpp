// What lies under a point (HitTest) and where the last click landed (LastClickHit): titles, the header
// corner, indicator and marker cells, data cells, footers and the background, at positions taken from the
// layout, in column mode and in group mode with levels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "grid/view/grid_input.h"
#include "platform/format/format.h"

namespace {

using plat::paint::TRect;

QPoint MidOf(const TRect& r) {
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

class Hits : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    for (int i = 0; i < 3; ++i) grid.AddColumn()->SetColWidth(90);
    grid.Model().Markers().SetVisible(true);
    grid.Model().Footers().Add();
    for (int r = 0; r < 3; ++r) grid.AppendRow(false, false, false);
    grid.resize(420, 260);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    QApplication::processEvents();
  }
  const TwGridExtents& E() { return grid.Model().Extents(); }
  TMemGrid grid;
};

TEST_F(Hits, EveryRegionOfColumnMode) {
  const auto at = [&](const TRect& r) {
    const QPoint p = MidOf(r);
    return grid.Input().HitTest(p.x(), p.y());
  };
  TwGridHit h = at(E().CellRect(1, 2));
  EXPECT_EQ(h.Region, TwGridRegion::Data);
  EXPECT_EQ(h.Band, 1);
  EXPECT_EQ(h.Column, 1);
  EXPECT_EQ(h.Row, 2);

  h = at(E().HeaderCellRect(2));
  EXPECT_EQ(h.Region, TwGridRegion::Title);
  EXPECT_EQ(h.Column, 2);
  EXPECT_EQ(h.Row, -1);

  EXPECT_EQ(at(E().HeaderCellRect(-1)).Region, TwGridRegion::HeaderCorner);
  h = at(E().CellRect(-2, 1));
  EXPECT_EQ(h.Region, TwGridRegion::Indicator);
  EXPECT_EQ(h.Row, 1);
  EXPECT_EQ(h.Column, -1);
  EXPECT_EQ(at(E().CellRect(-1, 1)).Region, TwGridRegion::Marker);

  h = at(E().FooterCellRect(0, 0));
  EXPECT_EQ(h.Region, TwGridRegion::Footer);
  EXPECT_EQ(h.Column, 0);
  EXPECT_EQ(h.Footer, 0);
  EXPECT_EQ(at(E().FooterCellRect(-2, 0)).Region, TwGridRegion::FooterTitle);

  // Below the last row and right of the last column: no cell.
  const int belowRows = E().RowBottom(2) + 2;
  ASSERT_LT(belowRows, E().FooterTop());
  EXPECT_EQ(grid.Input().HitTest(MidOf(E().CellRect(0, 0)).x(), belowRows).Region, TwGridRegion::None);
  EXPECT_EQ(grid.Input().HitTest(E().ItemRight(2) + 2, MidOf(E().CellRect(0, 0)).y()).Region,
            TwGridRegion::None);
}

TEST_F(Hits, TheEdgesBetweenCellsBelongToTheCellOnTheRightAndBelow) {
  const int x = E().ItemLeft(1), y = E().RowTop(1);
  TwGridHit h = grid.Input().HitTest(x, y);
  EXPECT_EQ(h.Column, 1);
  EXPECT_EQ(h.Row, 1);
  h = grid.Input().HitTest(x - 1, y - 1);
  EXPECT_EQ(h.Column, 0);
  EXPECT_EQ(h.Row, 0);
}

TEST_F(Hits, TheLastClickSaysWhereItsPressLanded) {
  int clicks = 0;
  bool reporting = false;
  grid.OnClick = [&](QObject*) {
    ++clicks;
    reporting = grid.Input().ReportingClick();
  };
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, MidOf(E().CellRect(2, 1)));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(reporting);
  EXPECT_FALSE(grid.Input().ReportingClick());
  EXPECT_EQ(grid.Input().LastClickHit().Region, TwGridRegion::Data);
  EXPECT_EQ(grid.Input().LastClickHit().Column, 2);
  EXPECT_EQ(grid.Input().LastClickHit().Row, 1);
  EXPECT_EQ(grid.Input().LastClickHit().Started, wgsNone);

  grid.Column(0)->Title().SetClicking(true);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, MidOf(E().HeaderCellRect(0)));
  EXPECT_EQ(grid.Input().LastClickHit().Region, TwGridRegion::Title);
  EXPECT_EQ(grid.Input().LastClickHit().Started, wgsColTitleDown);

  // A press on a column's sizing edge in the title row starts a sizing.
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoColSizing});
  const TRect t = E().HeaderCellRect(1);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(t.Right - 1, (t.Top + t.Bottom) / 2));
  EXPECT_EQ(grid.Input().LastClickHit().Started, wgsColSizing);
}

TEST(HitsInGroupMode, ACellOfTheSecondLevelIsFoundWithItsColumn) {
  plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
  TMemGrid grid;
  for (int i = 0; i < 3; ++i) grid.AddColumn();
  TwGroup* g = grid.Model().Groups().Add();
  g->SetLevels(2);
  grid.Column(0)->SetPosition({0, 0, 0});
  grid.Column(1)->SetPosition({0, 1, 0});
  grid.Column(2)->SetPosition({0, 1, 1});
  grid.Model().SetGroupMode(true);
  ASSERT_TRUE(grid.Model().GroupMode());
  grid.AppendRow(false, false, false);
  grid.resize(400, 260);
  const TwGridExtents& e = grid.Model().Extents();
  const QPoint p = MidOf(e.GroupCellRect({0, 1, 1}, 0));
  const TwGridHit h = grid.Input().HitTest(p.x(), p.y());
  EXPECT_EQ(h.Region, TwGridRegion::Data);
  EXPECT_EQ(h.Band, 0);
  EXPECT_EQ(h.Cell, (TwCellPos{0, 1, 1}));
  EXPECT_EQ(h.Column, 2);
  const QPoint t = MidOf(e.ColumnTitleRect({0, 1, 0}));
  const TwGridHit ht = grid.Input().HitTest(t.x(), t.y());
  EXPECT_EQ(ht.Region, TwGridRegion::Title);
  EXPECT_EQ(ht.Column, 1);
}

}  // namespace
