// The walk over the data cells in both display modes: every cell once, in the order a paint draws them,
// with the rectangle of the extents and the state flags of the grid; and a paint draws exactly the cells
// the walk yields.
#include "grid/view/cell_walk.h"

#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "grid/grid_recorder.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "platform/format/format.h"
#include "platform/paint/canvas.h"

namespace {

using plat::paint::TCanvas;
using plat::paint::TRect;

struct Expected {
  TwCellRegion Region;
  int Band, Row, Level, Index;
  TRect Rect;
};

class CellWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    grid.resize(600, 300);
    for (int i = 0; i < 3; ++i) grid.AddColumn()->SetColWidth(100);
    grid.Model().Markers().SetVisible(true);
  }
  void Fill(int rows) {
    for (int r = 0; r < rows; ++r) grid.AppendRow(false, false, false);
  }
  std::vector<TwCellRecord> Walk(int firstRow, int lastRow, bool contents = true) {
    TwCellWalk::Range range;
    range.FirstRow = firstRow;
    range.LastRow = lastRow;
    range.FirstBand = 0;
    range.LastBand = grid.Model().Extents().Count() - 1;
    range.WithIndicator = grid.Model().Indicators().Visible();
    range.WithMarker = grid.Model().Markers().Visible();
    range.WithContents = contents;
    std::vector<TwCellRecord> out;
    TwCellWalk(grid, range).ForEach([&](const TwCellRecord& c) { out.push_back(c); });
    return out;
  }
  void Render() {
    QImage img(grid.viewport()->size(), QImage::Format_RGB32);
    TCanvas canvas(&img);
    grid.Painter().PaintTo(canvas, TRect{0, 0, img.width(), img.height()});
    canvas.End();
  }
  static void ExpectCells(const std::vector<TwCellRecord>& got, const std::vector<Expected>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE("cell " + std::to_string(i));
      EXPECT_EQ(got[i].Region, want[i].Region);
      EXPECT_EQ(got[i].Band, want[i].Band);
      EXPECT_EQ(got[i].Row, want[i].Row);
      EXPECT_EQ(got[i].Level, want[i].Level);
      EXPECT_EQ(got[i].Index, want[i].Index);
      EXPECT_EQ(got[i].Rect, want[i].Rect);
    }
  }
  const TwGridExtents& E() { return grid.Model().Extents(); }

  Recorded<TMemGrid> grid;
};

TEST_F(CellWalk, ColumnModeVisitsIndicatorMarkerAndEveryColumnOfEveryRow) {
  Fill(4);
  grid.Model().Layout();
  std::vector<Expected> want;
  for (int r = 1; r <= 3; ++r) {
    want.push_back({TwCellRegion::Indicator, -2, r, 0, 0, E().CellRect(-2, r)});
    want.push_back({TwCellRegion::Marker, -1, r, 0, 0, E().CellRect(-1, r)});
    for (int b = 0; b < 3; ++b) want.push_back({TwCellRegion::Data, b, r, 0, 0, E().CellRect(b, r)});
  }
  const std::vector<TwCellRecord> got = Walk(1, 3);
  ExpectCells(got, want);
  for (const TwCellRecord& c : got) {
    if (c.Region != TwCellRegion::Data) {
      EXPECT_EQ(c.Column, nullptr);
      continue;
    }
    EXPECT_EQ(c.Column, grid.Model().Columns().VisibleItems(c.Band));
    EXPECT_TRUE(c.LastLevel);
  }
}

TEST_F(CellWalk, ColumnModeFlagsFollowTheCurrentCellTheSelectionTheDataAndTheLastRow) {
  Fill(4);
  grid.Cells(0, 2).SetAsString("값");
  grid.Column(2)->SetEditButton(true);
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoRowSelect});
  grid.SetColRow(2, 1);
  ASSERT_EQ(grid.Row(), 1);
  ASSERT_EQ(grid.Col(), 2);
  int current = 0;
  for (const TwCellRecord& c : Walk(0, 3)) {
    SCOPED_TRACE("band " + std::to_string(c.Band) + " row " + std::to_string(c.Row));
    EXPECT_EQ(c.LastRow, c.Row == 3);
    EXPECT_EQ(c.Selected, c.Row == 1);  // a row-select grid shows its current row selected
    if (c.Region != TwCellRegion::Data) continue;
    const bool isCurrent = c.Row == 1 && c.Band == 2;
    current += c.Current;
    EXPECT_EQ(c.Current, isCurrent);
    EXPECT_FALSE(c.Focused);  // the grid has no focus here
    EXPECT_FALSE(c.EditorOpen);
    EXPECT_EQ(c.Null, !(c.Band == 0 && c.Row == 2));
    // Only the current cell of the column with an edit button keeps room for the editor's ellipsis.
    EXPECT_EQ(c.Ellipsis, isCurrent ? TwCellEllipsis::Room : TwCellEllipsis::None);
    EXPECT_EQ(c.Button, TwCellButton::None);
  }
  EXPECT_EQ(current, 1);
}

TEST_F(CellWalk, WithoutContentsTheDataIsNotAskedButAnEmptyGridIsNullEverywhere) {
  Fill(2);
  grid.Cells(1, 0).SetAsString("x");
  for (const TwCellRecord& c : Walk(0, 1, false)) EXPECT_FALSE(c.Null);
  grid.SetRowCount(0);
  for (const TwCellRecord& c : Walk(0, 0, false))
    if (c.Region == TwCellRegion::Data) {
      EXPECT_TRUE(c.Null);
      EXPECT_TRUE(c.LastRow);
    }
}

TEST_F(CellWalk, GroupModeWalksLevelsEmptyLevelsAndGroupsWithoutColumns) {
  for (int g = 0; g < 3; ++g) grid.Model().Groups().Add();
  grid.Model().Groups().Items(0)->SetLevels(2);
  grid.Column(0)->SetPosition(TwCellPos{0, 0, 0});
  grid.Column(1)->SetPosition(TwCellPos{0, 0, 1});
  grid.Column(2)->SetPosition(TwCellPos{1, 0, 0});
  grid.Model().SetGroupMode(true);
  Fill(3);
  grid.SetRow(2);
  grid.Model().SetCurrentCell(TwCellPos{1, 0, 0});
  ASSERT_EQ(grid.Model().CurrentCell(), (TwCellPos{1, 0, 0}));
  grid.Model().Layout();
  ASSERT_EQ(E().Count(), 3);

  std::vector<Expected> want;
  for (int r = 0; r <= 2; ++r) {
    want.push_back({TwCellRegion::Indicator, -2, r, 0, 0, E().CellRect(-2, r)});
    want.push_back({TwCellRegion::Marker, -1, r, 0, 0, E().CellRect(-1, r)});
    want.push_back({TwCellRegion::Data, 0, r, 0, 0, E().GroupCellRect(TwCellPos{0, 0, 0}, r)});
    want.push_back({TwCellRegion::Data, 0, r, 0, 1, E().GroupCellRect(TwCellPos{0, 0, 1}, r)});
    want.push_back({TwCellRegion::Data, 0, r, 1, 0, E().LevelRect(0, 1, r)});
    want.push_back({TwCellRegion::Data, 1, r, 0, 0, E().GroupCellRect(TwCellPos{1, 0, 0}, r)});
    want.push_back({TwCellRegion::Data, 2, r, -1, 0, E().CellRect(2, r)});
  }
  const std::vector<TwCellRecord> got = Walk(0, 2);
  ExpectCells(got, want);

  int current = 0;
  for (const TwCellRecord& c : got) {
    if (c.Region != TwCellRegion::Data) continue;
    SCOPED_TRACE("band " + std::to_string(c.Band) + " level " + std::to_string(c.Level));
    const bool emptyLevel = c.Band == 0 && c.Level == 1;
    const bool emptyGroup = c.Band == 2;
    EXPECT_EQ(c.Column == nullptr, emptyLevel || emptyGroup);
    if (c.Column) {
      EXPECT_EQ(grid.Model().ColumnPos(c.Column), (TwCellPos{c.Band, c.Level, c.Index}));
    }
    // The top level of the two-level group is not its last; the others are.
    EXPECT_EQ(c.LastLevel, !(c.Band == 0 && c.Level == 0));
    EXPECT_EQ(c.LastRow, c.Row == 2);
    current += c.Current;
    EXPECT_EQ(c.Current, c.Band == 1 && c.Row == 2);
  }
  EXPECT_EQ(current, 1);
}

TEST_F(CellWalk, APaintDrawsTheCellsOfTheWalkInItsOrder) {
  for (bool groups : {false, true}) {
    SCOPED_TRACE(groups ? "group mode" : "column mode");
    if (groups) {
      grid.Model().Groups().Add()->SetLevels(2);
      grid.Model().Groups().Add();
      grid.Column(0)->SetPosition(TwCellPos{0, 0, 0});
      grid.Column(1)->SetPosition(TwCellPos{0, 1, 0});
      grid.Column(2)->SetPosition(TwCellPos{1, 0, 0});
      grid.Model().SetGroupMode(true);
    } else {
      Fill(5);
    }
    Render();
    std::vector<TwPaintedCell> painted;
    for (const TwPaintedCell& c : grid.PaintedCells())
      if (c.Row >= 0 && (c.What == TwPaintedCell::Data || c.What == TwPaintedCell::Indicator ||
                         c.What == TwPaintedCell::Marker || (c.What == TwPaintedCell::Empty && c.Band >= 0)))
        painted.push_back(c);
    const std::vector<TwCellRecord> walked = Walk(grid.TopRow(), grid.RowCount() - 1);
    ASSERT_EQ(painted.size(), walked.size());
    for (size_t i = 0; i < walked.size(); ++i) {
      EXPECT_EQ(painted[i].Band, walked[i].Band);
      EXPECT_EQ(painted[i].Row, walked[i].Row);
      EXPECT_EQ(painted[i].Rect, walked[i].Rect);
    }
  }
}

}  // namespace
