// The grid control and its layout: repaint areas, rows and cells become the viewport rectangles of the
// layout, the grid lays itself out before a paint, and the visible row count follows the layout.
#include <gtest/gtest.h>

#include "grid/grid_recorder.h"
#include "grid/structure/extents.h"
#include "grid/view/custom_grid.h"

namespace {

class PlainColumn : public TwColumn {
 public:
  using TwColumn::TwColumn;
  TwEditKind GetEditKind() const override { return wekText; }
  int EditMaxLength() const override { return 0; }
  int GetDataSize() const override { return 10; }
  bool IsGraphic() const override { return false; }
  bool IsNumeric() const override { return false; }
  bool IsValidChar(char32_t) const override { return true; }
};

class RowsGrid : public TwCustomGrid {
 public:
  RowsGrid() : TwCustomGrid(nullptr, [](TwColumns* c) { return std::make_unique<PlainColumn>(c); }) {
    resize(400, 300);
    Model().Footers().Add();
    for (int w : {40, 60, 80}) Model().Columns().Add()->SetColWidth(w);
  }
  int rows = 50;
  int RowCount() const override { return rows; }
};

TEST(GridLayout, DescriptionChangesRepaintExactlyTheirStrip) {
  Recorded<RowsGrid> g;
  const TwGridExtents& e = g.Model().Extents();
  g.ClearRepaintLog();
  g.Model().Columns().Items(1)->Title().SetCaption("Name");
  ASSERT_EQ(g.UpdatedRects().size(), 1u);
  EXPECT_EQ(g.UpdatedRects()[0], e.HeaderStripRect(1));
  g.ClearRepaintLog();
  g.Model().Columns().Items(2)->SetColor(0xFF);
  ASSERT_EQ(g.UpdatedRects().size(), 1u);
  EXPECT_EQ(g.UpdatedRects()[0],
            (TRect{e.ItemLeft(2), e.ClientRect().Top, e.ItemRight(2), e.ClientRect().Bottom}));
  g.ClearRepaintLog();
  g.Model().Footers().Items(0)->SetColor(0xFF);
  ASSERT_EQ(g.UpdatedRects().size(), 1u);
  EXPECT_EQ(g.UpdatedRects()[0].Top, e.FooterTop());
  EXPECT_EQ(g.UpdatedRects()[0].Width(), e.ClientRect().Width());
  // Under the update lock nothing is handed to the viewport.
  g.ClearRepaintLog();
  g.BeginUpdate();
  g.Model().Columns().Items(0)->Title().SetCaption("A");
  EXPECT_TRUE(g.UpdatedRects().empty());
  g.EndUpdate(false);
}

TEST(GridLayout, RowsAndCellsRepaintBetweenHeaderAndFooters) {
  Recorded<RowsGrid> g;
  const TwGridExtents& e = g.Model().Extents();
  g.ClearRepaintLog();
  g.InvalidateRow(2);
  ASSERT_EQ(g.UpdatedRects().size(), 1u);
  EXPECT_EQ(g.UpdatedRects()[0], (TRect{0, e.RowTop(2), e.ClientRect().Right, e.RowBottom(2)}));
  g.ClearRepaintLog();
  g.InvalidateCell(1, 3);
  ASSERT_EQ(g.UpdatedRects().size(), 1u);
  EXPECT_EQ(g.UpdatedRects()[0], e.CellRect(1, 3));
  // A row scrolled out of view hands no rectangle; the request is still recorded.
  g.ClearRepaintLog();
  g.InvalidateRow(e.FullRows() + 5);
  EXPECT_TRUE(g.UpdatedRects().empty());
  EXPECT_EQ(g.RepaintLog().size(), 1u);
  EXPECT_EQ(g.VisibleRowCount(), e.FullRows());
}

TEST(GridLayout, GroupModeCellsAreTheirColumnsPlaceInTheGroup) {
  Recorded<RowsGrid> g;
  TwGroup* grp = g.Model().Groups().Add();
  grp->SetLevels(2);
  g.Model().Columns().Items(0)->SetPosition({0, 0, 0});
  g.Model().Columns().Items(1)->SetPosition({0, 0, 1});
  g.Model().Columns().Items(2)->SetPosition({0, 1, 0});
  g.Model().SetGroupMode(true);
  const TwGridExtents& e = g.Model().Extents();
  g.ClearRepaintLog();
  g.InvalidateCell(1, 2);
  ASSERT_EQ(g.UpdatedRects().size(), 1u);
  EXPECT_EQ(g.UpdatedRects()[0], e.GroupCellRect({0, 0, 1}, 2));
  g.ClearRepaintLog();
  g.Model().Columns().Items(2)->Title().SetCaption("Below");
  ASSERT_EQ(g.UpdatedRects().size(), 1u);
  EXPECT_EQ(g.UpdatedRects()[0], e.ColumnTitleRect({0, 1, 0}));
  // The current cell follows a position.
  g.Model().SetCurrentCell({0, 1, 0});
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(g.Model().CurrentCell(), (TwCellPos{0, 1, 0}));
}

TEST(GridLayout, LaysItselfOutBeforeEveryPaintAndAfterAResize) {
  Recorded<RowsGrid> g;
  g.show();
  g.Model().Extents();
  const int before = g.Model().LayoutCount();
  g.viewport()->grab();  // renders the viewport now, through its paint event
  EXPECT_EQ(g.Model().LayoutCount(), before + 1);
  const int rows = g.VisibleRowCount();
  g.resize(400, 300 + 5 * g.Model().RowHeight());
  EXPECT_EQ(g.VisibleRowCount(), rows + 5);
  EXPECT_EQ(g.Model().Extents().ClientRect().Right, g.viewport()->width());
}

}  // namespace
