// The layout: edges, the fixed area and scrolling, the vertical bands, the level offsets of a group, the
// rectangles and hit tests of both modes, the layout cache and the rectangles of the repaint areas.
// Points for hit tests are taken from the layout's own rectangles.
#include <gtest/gtest.h>

#include <algorithm>

#include "model_fixture.h"

using namespace structtest;

namespace {

struct Point {
  int x, y;
};
Point Centre(const TRect& r) {
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

// Column mode: indicators (21) visible, markers hidden, columns of 26, 232 and 295, client 500 wide.
struct ColumnModeGrid : TestGrid {
  ColumnModeGrid() {
    SetClientWidth(500);
    for (int w : {26, 232, 295}) Add()->SetColWidth(w);
    SetFixedCount(1);
  }
};

TEST(ExtentsColumnMode, EdgesFixedAreaAndMaxHorzScroll) {
  ColumnModeGrid g;
  EXPECT_CONSISTENT(g);
  const TwGridExtents& e = g.Extents();
  ASSERT_EQ(e.Count(), 3);
  std::vector<int> edges;
  for (int i = 0; i <= e.Count() + 3; ++i) edges.push_back(e.Edge(i));
  EXPECT_EQ(edges, (std::vector<int>{0, 21, 21, 47, 279, 574, 500}));
  EXPECT_EQ(e.DataLeft(), 21);
  EXPECT_EQ(e.FixedRight(), 47);
  EXPECT_EQ(e.ScrollWidth(), 527);
  EXPECT_EQ(e.ContentRect().Right, 574);
  EXPECT_EQ(e.MaxHorzScroll(), 232);  // whole items; the 295-pixel column fits the 453 pixels left

  // Scrolled by 100: the second column slides under the fixed one, which is still found first.
  g.SetHorzOffset(100);
  const TwGridExtents& s = g.Extents();
  EXPECT_EQ(s.ItemLeft(1), -53);
  EXPECT_EQ(s.ItemRight(1), 179);
  EXPECT_EQ(s.ItemLeft(0), 21);
  EXPECT_EQ(s.ItemAt(30), 0);
  EXPECT_EQ(s.ItemAt(s.ItemLeft(2)), 2);
  EXPECT_EQ(s.ItemAt(s.ItemRight(2)), -1);
  EXPECT_EQ(s.ItemAt(10), -1);  // the indicator column is no item
  EXPECT_EQ(s.ContentRect().Right, 474);
  g.SetHorzOffset(1000);  // never beyond the largest offset
  EXPECT_EQ(g.HorzOffset(), 232);
}

TEST(ExtentsColumnMode, MaxHorzScrollOfAWideLastItemAndOfNothing) {
  TestGrid g;
  g.SetClientWidth(200);
  EXPECT_EQ(g.Extents().MaxHorzScroll(), 0);
  g.Add()->SetColWidth(50);
  g.Add()->SetColWidth(300);
  const TwGridExtents& e = g.Extents();
  const int available = 200 - e.FixedRight();
  // The first column scrolls away whole, then the last one by what it is wider than the area.
  EXPECT_EQ(e.MaxHorzScroll(), 50 + (300 - available));
}

TEST(ExtentsColumnMode, VerticalBandsRowsAndContentBottom) {
  TestGrid g;
  g.SetClientHeight(537);
  g.SetRowHeight(21);
  g.Footers().Add();
  g.rowCount = 100;
  const TwGridExtents& e = g.Extents();
  EXPECT_EQ(e.DataTop(), 21);
  EXPECT_EQ(e.FooterTop(), 516);
  EXPECT_EQ(e.VisibleRows(), 24);  // (21 + 495 - 1) div 21
  EXPECT_EQ(e.FullRows(), 23);     // 24 rows would end at 525, below the footers
  EXPECT_EQ(e.ContentRect().Bottom, 516);
  EXPECT_EQ(e.RowAt(e.DataTop() - 1), -1);
  EXPECT_EQ(e.RowAt(e.RowTop(23)), 23);
  EXPECT_EQ(e.RowAt(e.FooterTop()), -1);
  EXPECT_EQ(e.FooterRowTop(0), 516);
  EXPECT_EQ(e.FooterRowBottom(0), 537);

  g.topRow = 10;
  EXPECT_EQ(g.Extents().RowTop(10), 21);
  EXPECT_EQ(g.Extents().RowAt(g.Extents().RowBottom(10)), 11);

  // Three rows: the rows end early and below them is background, not a row.
  g.topRow = 0;
  g.rowCount = 3;
  const TwGridExtents& few = g.Extents();
  EXPECT_EQ(few.ContentRect().Bottom, few.RowBottom(2));
  EXPECT_EQ(few.RowAt(few.RowBottom(2) - 1), 2);
  EXPECT_EQ(few.RowAt(few.RowBottom(2)), -1);
  // No rows still keeps one row's height of content.
  g.rowCount = 0;
  EXPECT_EQ(g.Extents().ContentRect().Bottom, g.Extents().DataTop() + 21);

  // Without the header band the rows start at the client's top; a tiny client has no rows.
  g.Headers().SetVisible(false);
  EXPECT_EQ(g.Extents().DataTop(), 0);
  g.SetClientHeight(10);
  EXPECT_EQ(g.Extents().VisibleRows(), 0);
  EXPECT_EQ(g.Extents().FullRows(), 0);
}

TEST(ExtentsColumnMode, IndicatorAndMarkerColumns) {
  TestGrid g;
  g.Add();
  g.Markers().SetVisible(true);
  g.Indicators().Lines().SetVertWidth(2);
  g.Markers().Lines().SetHorzWidth(3);
  g.rowCount = 5;
  const TwGridExtents& e = g.Extents();
  const int ind = g.Indicators().Width(), mark = g.Markers().Width();
  EXPECT_EQ(e.ItemLeft(-1), ind);
  EXPECT_EQ(e.ItemRight(-1), ind + mark);
  EXPECT_EQ(e.DataLeft(), ind + mark);
  EXPECT_EQ(e.HeaderCellRect(-1), (TRect{0, 0, ind + mark, e.DataTop()}));  // the corner over both
  EXPECT_EQ(e.HeaderCellRect(-2), e.HeaderCellRect(-1));
  const TRect cell = e.CellRect(-2, 1);
  EXPECT_EQ(e.CellInnerRect(-2, 1), (TRect{cell.Left, cell.Top, cell.Right - 2, cell.Bottom - 1}));
  const TRect marker = e.CellRect(-1, 1);
  EXPECT_EQ(e.CellInnerRect(-1, 1), (TRect{marker.Left, marker.Top, marker.Right - 1, marker.Bottom - 3}));
  EXPECT_EQ(e.ItemAt(ind), -1);
  EXPECT_EQ(e.CellRect(5, 0), TRect{});  // no such item
  g.Indicators().SetVisible(false);
  EXPECT_EQ(g.Extents().ItemWidth(-2), 0);
  EXPECT_EQ(g.Extents().DataLeft(), mark);
}

// --- group mode -----------------------------------------------------------------------------------

// Indicators and markers visible. G0: width 64, two levels weighted 2:1, [a b] over [c]; G1: width 100,
// [d]; G2: width 150, [e]. One footer row; ten data rows.
struct GroupModeGrid : TestGrid {
  GroupModeGrid() {
    SetClientWidth(300);
    SetClientHeight(300);
    Markers().SetVisible(true);
    Footers().Add();
    rowCount = 10;
    for (int i = 0; i < 3; ++i) AddGroup();
    Grp(0)->SetLevels(2);
    Grp(0)->SetWeight(3);
    Grp(1)->SetWidth(100);
    Grp(2)->SetWidth(150);
    const TwCellPos places[] = {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {2, 0, 0}};
    for (const TwCellPos& p : places) Add()->SetPosition(p);
    SetGroupMode(true);
  }
};

TEST(ExtentsGroupMode, LevelOffsetsOfTheWorkedExample) {
  GroupModeGrid g;
  EXPECT_CONSISTENT(g);
  const TwGridExtents& e = g.Extents();
  ASSERT_EQ(e.OffsetLevels(0), 2);
  EXPECT_EQ(g.RowHeight(), 36);
  EXPECT_EQ((std::vector<int>{e.RowOffset(0, 0), e.RowOffset(0, 1), e.RowOffset(0, 2)}),
            (std::vector<int>{0, 24, 36}));
  // Header 42 with a title of 19: the levels share 23 as 2:1.
  EXPECT_EQ((std::vector<int>{e.HeaderOffset(0, 0), e.HeaderOffset(0, 1), e.HeaderOffset(0, 2),
                              e.HeaderOffset(0, 3)}),
            (std::vector<int>{0, 19, 34, 42}));
  // A footer of 42: one extra pixel at the inner boundary.
  EXPECT_EQ((std::vector<int>{e.FooterOffset(0, 0, 0), e.FooterOffset(0, 0, 1), e.FooterOffset(0, 0, 2)}),
            (std::vector<int>{0, 29, 42}));
  // The columns' spans in their levels; the last reaches the group's right edge.
  EXPECT_EQ(g.Col(1)->LevelLeft(), 32);
  EXPECT_EQ(g.Col(1)->LevelRight(), 64);
  EXPECT_EQ(g.Col(2)->LevelRight(), 64);
  // The layout's records agree, and nothing of this was written into the group or its columns.
  const TwColumnDraw* right = e.GroupCellDraw({0, 0, 1});
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(right->Column, g.Col(1));
  EXPECT_EQ(right->LevelLeft, 32);
  EXPECT_EQ(right->LevelRight, 64);
  EXPECT_EQ(e.GroupCellDraw({0, 0, 2}), nullptr);
  EXPECT_EQ(e.GroupCellDraw({0, 2, 0}), nullptr);
  EXPECT_EQ(e.OffsetLevels(1), 1);
  EXPECT_EQ(e.OffsetLevels(3), 0);  // no such group

  // Without column titles the title covers the whole header.
  g.Grp(0)->SetNoColTitles(true);
  g.Extents();
  EXPECT_EQ(e.HeaderOffset(0, 1), 42);
  EXPECT_EQ(g.Extents().GroupHeaderRect(0, 0).Height(), 0);
}

TEST(ExtentsGroupMode, RectanglesOfHeaderCellsAndFooters) {
  GroupModeGrid g;
  g.Lines().SetCellWidth(2);
  g.Lines().SetLevelWidth(3);
  const TwGridExtents& e = g.Extents();
  const int left = e.DataLeft();
  EXPECT_EQ(left, g.Indicators().Width() + g.Markers().Width());
  EXPECT_EQ(e.GroupHeaderRect(0, -1), (TRect{left, 0, left + 64, e.HeaderOffset(0, 1)}));
  EXPECT_EQ(e.GroupHeaderRect(0, 1), (TRect{left, e.HeaderOffset(0, 2), left + 64, e.DataTop()}));
  EXPECT_EQ(e.ColumnTitleRect({0, 0, 1}),
            (TRect{left + 32, e.HeaderOffset(0, 1), left + 64, e.HeaderOffset(0, 2)}));
  EXPECT_EQ(e.ColumnTitleRect({0, 0, 2}), TRect{});  // no such column

  const int top = e.RowTop(3);
  EXPECT_EQ(e.LevelRect(0, 1, 3), (TRect{left, top + e.RowOffset(0, 1), left + 64, top + g.RowHeight()}));
  const TRect a{left, top, left + 32, top + e.RowOffset(0, 1)};
  EXPECT_EQ(e.GroupCellRect({0, 0, 0}, 3), a);
  // Inside a level the cell line and the level line; at the group's edges the vertical and horizontal lines.
  EXPECT_EQ(e.GroupCellInnerRect({0, 0, 0}, 3), (TRect{a.Left, a.Top, a.Right - 2, a.Bottom - 3}));
  const TRect c = e.GroupCellRect({0, 1, 0}, 3);
  EXPECT_EQ(e.GroupCellInnerRect({0, 1, 0}, 3), (TRect{c.Left, c.Top, c.Right - 1, c.Bottom - 1}));

  const int ft = e.FooterRowTop(0);
  EXPECT_EQ(ft, e.FooterTop());
  EXPECT_EQ(e.FooterCellRect(-1, 0), (TRect{0, ft, left, ft + 42}));
  EXPECT_EQ(e.FooterCellInnerRect(-1, 0), (TRect{1, ft + 3, left - 1, ft + 41}));
  EXPECT_EQ(e.FooterLevelRect(0, 1, 0), (TRect{left, ft + 29, left + 64, ft + 42}));
  EXPECT_EQ(e.GroupFooterCellInnerRect({0, 0, 1}, 0), (TRect{left + 32, ft + 2, left + 63, ft + 28}));
  EXPECT_EQ(e.GroupFooterCellInnerRect({0, 1, 0}, 0), (TRect{left, ft + 30, left + 63, ft + 41}));
  EXPECT_EQ(e.FooterCellRect(0, 1), TRect{});  // one footer row only
}

TEST(ExtentsGroupMode, HitTestsAtPositionsOfTheLayout) {
  GroupModeGrid g;
  const TwGridExtents& e = g.Extents();
  for (const TwCellPos pos : {TwCellPos{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {2, 0, 0}}) {
    const Point t = Centre(e.ColumnTitleRect(pos));
    EXPECT_EQ(e.HeaderPosAt(t.x, t.y), pos);
    const Point c = Centre(e.GroupCellRect(pos, 4));
    EXPECT_EQ(e.CellPosAt(4, c.x, c.y), pos);
    EXPECT_EQ(e.GroupTitleAt(t.x, t.y), -1);
  }
  const Point title = Centre(e.GroupHeaderRect(1, -1));
  EXPECT_EQ(e.GroupTitleAt(title.x, title.y), 1);
  EXPECT_EQ(e.HeaderPosAt(title.x, title.y), (TwCellPos{1, -1, -1}));  // the title is no column title
  const Point corner = Centre(e.HeaderCellRect(-1));
  EXPECT_EQ(e.HeaderPosAt(corner.x, corner.y), TwCellPos{});
  const Point row4 = Centre(e.GroupCellRect({1, 0, 0}, 4));
  EXPECT_EQ(e.CellPosAt(5, row4.x, row4.y), (TwCellPos{1, -1, -1}));  // a point of another row
  g.Grp(1)->Title().SetVisible(false);
  EXPECT_EQ(g.Extents().GroupTitleAt(title.x, title.y), -1);
}

TEST(ExtentsGroupMode, FixedGroupAndScrolledGroups) {
  GroupModeGrid g;
  g.SetFixedCount(1);
  const TwGridExtents& e = g.Extents();
  EXPECT_EQ(e.FixedRight(), e.DataLeft() + 64);
  EXPECT_EQ(e.ScrollWidth(), 250);
  // 300 - FixedRight = 200 pixels for 250 of groups: the first scrolling group goes whole.
  EXPECT_EQ(e.MaxHorzScroll(), 100);
  g.SetHorzOffset(100);
  const TwGridExtents& s = g.Extents();
  EXPECT_EQ(s.ItemLeft(1), s.FixedRight() - 100);  // slid under the fixed group
  EXPECT_EQ(s.ItemRight(1), s.FixedRight());
  EXPECT_EQ(s.ItemLeft(2), s.FixedRight());
  const Point fixedCell = Centre(s.GroupCellRect({0, 0, 0}, 0));
  EXPECT_EQ(s.CellPosAt(0, fixedCell.x, fixedCell.y),
            (TwCellPos{0, 0, 0}));  // not the group scrolled under it
  // A repaint of the group scrolled entirely under the fixed area repaints nothing.
  EXPECT_EQ(g.AreaRect({TwRepaintArea::Strip, 1}), TRect{});
  EXPECT_EQ(g.AreaRect({TwRepaintArea::Strip, 2}), (TRect{s.FixedRight(), 0, s.ItemRight(2), 300}));
}

// --- the layout cache -----------------------------------------------------------------------------

TEST(ExtentsCache, LaysOutAgainOnlyAfterAChange) {
  ColumnModeGrid g;
  g.Extents();
  const int n = g.LayoutCount();
  g.Extents();
  g.Extents().ItemAt(5);
  EXPECT_EQ(g.LayoutCount(), n);
  // Scrolling vertically or adding rows moves only the rows: no new layout.
  g.rowCount = 100;
  g.topRow = 40;
  EXPECT_EQ(g.Extents().RowTop(40), g.Extents().DataTop());
  EXPECT_EQ(g.Extents().RowAt(g.Extents().DataTop()), 40);
  EXPECT_EQ(g.Extents().ContentRect().Bottom, g.Extents().FooterTop());
  g.rowCount = 41;
  EXPECT_EQ(g.Extents().ContentRect().Bottom, g.Extents().RowBottom(40));
  EXPECT_EQ(g.LayoutCount(), n);
  g.SetClientHeight(g.ClientHeight() + 1);  // the client rectangle is an input as well
  g.Extents();
  EXPECT_EQ(g.LayoutCount(), n + 1);
  g.Col(2)->SetColWidth(100);
  EXPECT_EQ(g.Extents().Edge(5), g.Extents().Edge(4) + 100);
  // A change made quietly (under the paint lock) still reaches the drawing records.
  g.LockPaint();
  g.Col(1)->SetAlignment(taCenter);
  g.UnlockPaint();
  EXPECT_TRUE(g.LayoutStale());
  EXPECT_EQ(g.Extents().ColumnDraw(1).Cell.Alignment, taCenter);
  EXPECT_EQ(g.Extents().ColumnDraw(1).Column, g.Col(1));
  g.SetClientWidth(300);
  EXPECT_EQ(g.Extents().Edge(g.Extents().Count() + 3), 300);
}

TEST(ExtentsCache, TheEdgeArrayOnlyGrows) {
  TestGrid g;
  EXPECT_EQ(g.Extents().Capacity(), TwGridExtents::kInitialCapacity);
  for (int i = 0; i < 20; ++i) g.Add();
  EXPECT_EQ(g.Extents().Capacity(), 24);
  for (int i = 3; i < 20; ++i) g.Col(i)->SetVisible(false);
  EXPECT_EQ(g.Extents().Count(), 3);
  EXPECT_EQ(g.Extents().Capacity(), 24);
}

// --- repaint areas --------------------------------------------------------------------------------

TEST(RepaintAreas, EachAreaIsItsStripOfTheLayout) {
  ColumnModeGrid g;
  g.SetClientHeight(300);
  g.Footers().Add();
  g.Footers().Add();
  const TwGridExtents& e = g.Extents();
  const int bottom = 300;
  using A = TwRepaintArea;
  EXPECT_EQ(g.AreaRect({A::Grid}), (TRect{0, 0, 500, bottom}));
  EXPECT_EQ(g.AreaRect({A::Strip, 1}), (TRect{e.ItemLeft(1), 0, e.ItemRight(1), bottom}));
  EXPECT_EQ(g.AreaRect({A::StripHeader, 1}), e.HeaderStripRect(1));
  EXPECT_EQ(g.AreaRect({A::StripData, 0}),
            (TRect{e.ItemLeft(0), e.DataTop(), e.ItemRight(0), e.FooterTop()}));
  EXPECT_EQ(g.AreaRect({A::StripFooter, 2}), (TRect{e.ItemLeft(2), e.FooterTop(), 500, bottom}));  // clipped
  EXPECT_EQ(g.AreaRect({A::Strip, -2}), (TRect{0, 0, e.DataLeft(), bottom}));
  EXPECT_EQ(g.AreaRect({A::FooterRow, 0, 1}), (TRect{0, e.FooterRowTop(1), 500, bottom}));
  EXPECT_EQ(g.AreaRect({A::HeaderCorner}), (TRect{0, 0, e.DataLeft(), e.DataTop()}));
  EXPECT_EQ(g.AreaRect({A::HeaderBand}), (TRect{0, 0, 500, e.DataTop()}));
  EXPECT_EQ(g.AreaRect({A::FixedData, 0, 1}),
            (TRect{e.DataLeft(), e.DataTop(), e.FixedRight(), e.FooterTop()}));
  // Nothing there: no rectangle.
  EXPECT_EQ(g.AreaRect({A::Strip, 3}), TRect{});
  EXPECT_EQ(g.AreaRect({A::Strip, -1}), TRect{});  // the markers are hidden
  EXPECT_EQ(g.AreaRect({A::FooterRow, 0, 2}), TRect{});
  EXPECT_EQ(g.AreaRect({A::FixedData, 0, 0}), TRect{});
}

TEST(RepaintAreas, ChangePathsAskForTheirCellsRectangle) {
  GroupModeGrid g;
  g.ClearEffects();
  g.Col(1)->Title().SetCaption("b");
  ASSERT_FALSE(g.Repaints().empty());
  EXPECT_EQ(g.AreaRect(g.Repaints().back()), g.Extents().ColumnTitleRect({0, 0, 1}));
  g.ClearEffects();
  g.Col(3)->Footer().SetValue(0, "1");
  EXPECT_EQ(g.AreaRect(g.Repaints().back()),
            (TRect{g.Extents().ItemLeft(1), g.Extents().FooterTop(), g.Extents().ItemRight(1), 300}));
  g.ClearEffects();
  g.Markers().SetStyle(wmsCheckBox);
  EXPECT_EQ(g.AreaRect(g.Repaints().back()), (TRect{g.Extents().ItemLeft(-1), g.Extents().DataTop(),
                                                    g.Extents().ItemRight(-1), g.Extents().FooterTop()}));
  g.ClearEffects();
  g.SetFixedCount(1);
  g.FixedStyle().SetColor(0x123456);
  EXPECT_EQ(g.AreaRect(g.Repaints().back()), (TRect{g.Extents().DataLeft(), g.Extents().DataTop(),
                                                    g.Extents().FixedRight(), g.Extents().FooterTop()}));
}

}  // namespace

// ItemAt at every pixel of the client, against the rule it answers: the item whose on-screen span holds x,
// fixed items first, scrolled items never left of FixedRight. Many items of uneven widths, with and
// without fixed items, at several offsets, so that every band edge is crossed.
TEST(ExtentsColumnMode, ItemAtFindsTheItemAtEveryBandEdge) {
  TestGrid g;
  g.SetClientWidth(700);
  for (int i = 0; i < 24; ++i) g.Add()->SetColWidth(4 + (i * 37) % 90);
  for (int fixed : {0, 1, 3}) {
    g.SetFixedCount(fixed);
    for (int offset : {0, 1, 57, 300, 100000}) {
      g.SetHorzOffset(offset);
      const TwGridExtents& e = g.Extents();
      for (int x = e.ClientRect().Left - 2; x <= e.ClientRect().Right + 2; ++x) {
        int expected = -1;
        for (int i = 0; i < e.Count(); ++i) {
          if (!e.IsFixedItem(i) && x < e.FixedRight()) break;
          if (e.ItemLeft(i) <= x && x < e.ItemRight(i)) {
            expected = i;
            break;
          }
        }
        ASSERT_EQ(e.ItemAt(x), expected) << "x " << x << " fixed " << fixed << " offset " << g.HorzOffset();
      }
      // The left edge of an item is its own, the pixel before it the previous item's.
      for (int i = std::max(1, fixed + 1); i < e.Count(); ++i) {
        if (e.ItemLeft(i) <= e.FixedRight() || e.ItemLeft(i) >= e.ClientRect().Right) continue;
        EXPECT_EQ(e.ItemAt(e.ItemLeft(i)), i);
        EXPECT_EQ(e.ItemAt(e.ItemLeft(i) - 1), i - 1);
      }
    }
  }
}

// The visible index a column keeps follows every change of the visible list.
TEST(ExtentsColumnMode, VisibleIndicesFollowHidingShowingAndMoving) {
  TestGrid g;
  for (int i = 0; i < 6; ++i) g.Add();
  auto check = [&] {
    EXPECT_CONSISTENT(g);
    for (int v = 0; v < g.Columns().VisibleCount(); ++v)
      EXPECT_EQ(g.Columns().VisibleItems(v)->VisibleIndex(), v);
  };
  g.Col(1)->SetVisible(false);
  EXPECT_EQ(g.Col(1)->VisibleIndex(), -1);
  EXPECT_EQ(g.Col(2)->VisibleIndex(), 1);
  check();
  g.Col(4)->SetVisibleIndex(0);
  EXPECT_EQ(g.Col(4)->VisibleIndex(), 0);
  EXPECT_EQ(g.Col(0)->VisibleIndex(), 1);
  check();
  g.Col(1)->SetVisible(true);
  check();
  g.Columns().Delete(0);
  check();
  g.Add();
  check();
  g.Columns().RebuildVisible();
  check();
}
