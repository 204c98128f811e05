// The walk over the title row and the footer rows in both display modes (every cell once, in paint order,
// with the rectangles of the extents and the level flags), a paint that draws exactly those cells, and the
// hit tests at the edges of bands and levels.
#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "grid/grid_recorder.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "grid/view/cell_walk.h"
#include "grid/view/grid_input.h"
#include "platform/format/format.h"
#include "platform/paint/canvas.h"

namespace {

using plat::paint::TCanvas;
using plat::paint::TRect;

struct Expected {
  TwCellRegion Region;
  int Band, Row, Level, Index;
  TRect Rect;
  bool LastLevel = true;
};

class TitleWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    grid.resize(600, 300);
    for (int i = 0; i < 3; ++i) grid.AddColumn()->SetColWidth(100);
    grid.Model().Markers().SetVisible(true);
    grid.Model().Footers().Add();
    for (int r = 0; r < 3; ++r) grid.AppendRow(false, false, false);
  }
  // Group 0: two levels, columns 0 and 1 side by side on the top level, the bottom level empty; group 1:
  // column 2; group 2: no columns.
  void ThreeGroups() {
    for (int g = 0; g < 3; ++g) grid.Model().Groups().Add();
    grid.Model().Groups().Items(0)->SetLevels(2);
    grid.Column(0)->SetPosition(TwCellPos{0, 0, 0});
    grid.Column(1)->SetPosition(TwCellPos{0, 0, 1});
    grid.Column(2)->SetPosition(TwCellPos{1, 0, 0});
    grid.Model().SetGroupMode(true);
    grid.Model().Layout();
    ASSERT_EQ(E().Count(), 3);
  }
  TwCellWalk::Range AllBands() {
    TwCellWalk::Range range;
    range.FirstBand = 0;
    range.LastBand = E().Count() - 1;
    range.WithIndicator = grid.Model().Indicators().Visible();
    range.WithMarker = grid.Model().Markers().Visible();
    return range;
  }
  std::vector<TwCellRecord> Titles() {
    std::vector<TwCellRecord> out;
    TwCellWalk(grid, AllBands()).ForEachTitle([&](const TwCellRecord& c) { out.push_back(c); });
    return out;
  }
  std::vector<TwCellRecord> Footer(int k) {
    std::vector<TwCellRecord> out;
    TwCellWalk(grid, AllBands()).ForEachFooter(k, [&](const TwCellRecord& c) { out.push_back(c); });
    return out;
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
      EXPECT_EQ(got[i].LastLevel, want[i].LastLevel);
      EXPECT_FALSE(got[i].Selected || got[i].Current || got[i].Focused || got[i].EditorOpen);
      EXPECT_EQ(got[i].Column == nullptr, got[i].Draw == nullptr);
      if (got[i].Column) {
        EXPECT_EQ(got[i].Draw->Column, got[i].Column);
      }
    }
  }
  // The painted cells of the title row and footer rows, in paint order.
  std::vector<TwPaintedCell> PaintedOutsideTheRows() {
    QImage img(grid.viewport()->size(), QImage::Format_RGB32);
    TCanvas canvas(&img);
    grid.Painter().PaintTo(canvas, TRect{0, 0, img.width(), img.height()});
    canvas.End();
    std::vector<TwPaintedCell> out;
    for (const TwPaintedCell& c : grid.PaintedCells())
      if (c.What == TwPaintedCell::Corner || c.What == TwPaintedCell::Title ||
          c.What == TwPaintedCell::GroupTitle || c.What == TwPaintedCell::Footer ||
          c.What == TwPaintedCell::FooterTitle ||
          (c.What == TwPaintedCell::Empty && c.Row < 0 && c.Band >= 0))
        out.push_back(c);
    return out;
  }
  const TwGridExtents& E() { return grid.Model().Extents(); }

  Recorded<TMemGrid> grid;
};

TRect FooterTitleRect(const TwGridExtents& e, int k) {
  const TRect r = e.FooterCellRect(-2, k);
  return {r.Left + 1, r.Top + 3, r.Right - 1, r.Bottom - 1};
}

TEST_F(TitleWalk, ColumnModeVisitsTheHeaderCellThenEveryColumnTitle) {
  grid.Model().Layout();
  const std::vector<TwCellRecord> got = Titles();
  ExpectCells(got, {{TwCellRegion::Header, -1, -1, 0, 0, E().HeaderCellRect(-1)},
                    {TwCellRegion::Title, 0, -1, 0, 0, E().HeaderCellRect(0)},
                    {TwCellRegion::Title, 1, -1, 0, 0, E().HeaderCellRect(1)},
                    {TwCellRegion::Title, 2, -1, 0, 0, E().HeaderCellRect(2)}});
  for (int b = 0; b < 3; ++b)
    EXPECT_EQ(got[std::size_t(b) + 1].Column, grid.Model().Columns().VisibleItems(b));
  // Only the marker asked for: the header cell covers the marker column alone.
  TwCellWalk::Range range = AllBands();
  range.WithIndicator = false;
  std::vector<TwCellRecord> part;
  TwCellWalk(grid, range).ForEachTitle([&](const TwCellRecord& c) { part.push_back(c); });
  ASSERT_EQ(part.size(), 4u);
  EXPECT_EQ(part[0].Rect, (TRect{E().ItemLeft(-1), 0, E().ItemRight(-1), E().DataTop()}));
  // A hidden header has no title row.
  grid.Model().Headers().SetVisible(false);
  EXPECT_TRUE(Titles().empty());
}

TEST_F(TitleWalk, ColumnModeFooterRowsHoldTheFooterTitleAndEveryColumn) {
  grid.Model().Footers().Add();
  grid.Model().Layout();
  ASSERT_EQ(E().FooterCount(), 2);
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE("footer row " + std::to_string(k));
    std::vector<Expected> want{{TwCellRegion::FooterTitle, -2, k, 0, 0, FooterTitleRect(E(), k)}};
    for (int b = 0; b < 3; ++b)
      want.push_back({TwCellRegion::Footer, b, k, 0, 0, E().FooterCellInnerRect(b, k)});
    ExpectCells(Footer(k), want);
  }
  EXPECT_TRUE(Footer(2).empty());
  EXPECT_TRUE(Footer(-1).empty());
}

TEST_F(TitleWalk, GroupModeVisitsGroupTitlesLevelsAndEmptyLevels) {
  ThreeGroups();
  const std::vector<Expected> want{
      {TwCellRegion::Header, -1, -1, 0, 0, E().HeaderCellRect(-1)},
      {TwCellRegion::Title, 0, -1, -1, 0, E().GroupHeaderRect(0, -1), false},
      {TwCellRegion::Title, 0, -1, 0, 0, E().ColumnTitleRect({0, 0, 0}), false},
      {TwCellRegion::Title, 0, -1, 0, 1, E().ColumnTitleRect({0, 0, 1}), false},
      {TwCellRegion::Title, 0, -1, 1, 0, E().GroupHeaderRect(0, 1)},  // the empty bottom level
      {TwCellRegion::Title, 1, -1, -1, 0, E().GroupHeaderRect(1, -1), false},
      {TwCellRegion::Title, 1, -1, 0, 0, E().ColumnTitleRect({1, 0, 0})},
      {TwCellRegion::Title, 2, -1, -1, 0, E().GroupHeaderRect(2, -1), false},
      {TwCellRegion::Title, 2, -1, 0, 0, E().GroupHeaderRect(2, 0)},  // a group without columns
  };
  const std::vector<TwCellRecord> got = Titles();
  ExpectCells(got, want);
  EXPECT_EQ(got[2].Column, grid.Column(0));
  EXPECT_EQ(got[3].Column, grid.Column(1));
  EXPECT_EQ(got[6].Column, grid.Column(2));

  // A group without column titles shows one title over the whole header, the bottom of its band.
  grid.Model().Groups().Items(1)->SetNoColTitles(true);
  const std::vector<TwCellRecord> titleOnly = Titles();
  ASSERT_EQ(titleOnly.size(), want.size() - 1);
  EXPECT_EQ(titleOnly[5].Band, 1);
  EXPECT_EQ(titleOnly[5].Level, -1);
  EXPECT_EQ(titleOnly[5].Rect, E().HeaderStripRect(1));
  EXPECT_TRUE(titleOnly[5].LastLevel);
  EXPECT_EQ(titleOnly[6].Band, 2);
}

TEST_F(TitleWalk, GroupModeFooterRowsWalkTheLevelsOfEachGroup) {
  ThreeGroups();
  ExpectCells(Footer(0),
              {{TwCellRegion::FooterTitle, -2, 0, 0, 0, FooterTitleRect(E(), 0)},
               {TwCellRegion::Footer, 0, 0, 0, 0, E().GroupFooterCellInnerRect({0, 0, 0}, 0), false},
               {TwCellRegion::Footer, 0, 0, 0, 1, E().GroupFooterCellInnerRect({0, 0, 1}, 0), false},
               {TwCellRegion::Footer, 1, 0, 0, 0, E().GroupFooterCellInnerRect({1, 0, 0}, 0)}});
}

TEST_F(TitleWalk, TitlesWhollyUnderTheFixedBandsAreLeftOut) {
  for (int g = 0; g < 3; ++g) grid.Model().Groups().Add();
  grid.Model().Groups().Items(1)->SetWidth(400);
  grid.Model().Groups().Items(2)->SetWidth(400);
  grid.Column(0)->SetPosition(TwCellPos{0, 0, 0});
  grid.Column(1)->SetPosition(TwCellPos{1, 0, 0});
  grid.Column(2)->SetPosition(TwCellPos{1, 0, 1});
  grid.Column(1)->SetGrpWidth(200);
  grid.Model().SetGroupMode(true);
  grid.Model().SetFixedCount(1);
  grid.SetHorzOffset(200);
  grid.Model().Layout();
  ASSERT_EQ(E().ScrollOffset(), 200);
  ASSERT_EQ(E().ColumnTitleRect({1, 0, 0}).Right, E().FixedRight());
  std::vector<TwCellPos> cells;
  for (const TwCellRecord& c : Titles())
    if (c.Column) cells.push_back({c.Band, c.Level, c.Index});
  EXPECT_EQ(cells, (std::vector<TwCellPos>{{0, 0, 0}, {1, 0, 1}}));
  // The footer walk keeps it: its event runs before the clipping.
  int footers = 0;
  for (const TwCellRecord& c : Footer(0)) footers += c.Region == TwCellRegion::Footer;
  EXPECT_EQ(footers, 3);
}

TEST_F(TitleWalk, APaintDrawsTheTitleAndFooterCellsOfTheWalkInItsOrder) {
  for (bool groups : {false, true}) {
    SCOPED_TRACE(groups ? "group mode" : "column mode");
    if (groups) ThreeGroups();
    // Columns 0 and 2 show a count in the footer row; column 1's footer cell shows nothing.
    for (int c : {0, 2}) grid.Column(c)->Footer().SetStyle(0, "200013abc");
    const std::vector<TwPaintedCell> painted = PaintedOutsideTheRows();
    std::vector<TwCellRecord> walked = Titles();
    for (const TwCellRecord& c : Footer(0))
      if (c.Column != grid.Column(1)) walked.push_back(c);
    ASSERT_EQ(painted.size(), walked.size());
    for (size_t i = 0; i < walked.size(); ++i) {
      SCOPED_TRACE("cell " + std::to_string(i));
      EXPECT_EQ(painted[i].Band, walked[i].Band);
      EXPECT_EQ(painted[i].Row, walked[i].Row);
      EXPECT_EQ(painted[i].Rect, walked[i].Rect);
    }
  }
}

// --- hit tests at the edges -------------------------------------------------------------------------

TEST_F(TitleWalk, ItemAtTakesTheLeftEdgeOfABandAndNotItsRight) {
  grid.Model().Layout();
  for (int b = 0; b < 3; ++b) {
    SCOPED_TRACE("band " + std::to_string(b));
    EXPECT_EQ(E().ItemAt(E().ItemLeft(b)), b);
    EXPECT_EQ(E().ItemAt(E().ItemRight(b) - 1), b);
  }
  EXPECT_EQ(E().ItemAt(E().ItemRight(2)), -1);  // right of the last band
  EXPECT_EQ(E().ItemAt(E().DataLeft() - 1), -1);
}

TEST_F(TitleWalk, GroupHitsChangeLevelExactlyAtTheLevelsTop) {
  ThreeGroups();
  const TRect top = E().ColumnTitleRect({0, 0, 1});
  const TRect bottom = E().GroupHeaderRect(0, 1);
  ASSERT_EQ(top.Bottom, bottom.Top);
  EXPECT_EQ(E().HeaderPosAt(top.Left, top.Bottom - 1), (TwCellPos{0, 0, 1}));
  EXPECT_EQ(E().HeaderPosAt(top.Left, bottom.Top), (TwCellPos{0, 1, -1}));  // an empty level
  EXPECT_EQ(E().HeaderPosAt(top.Left - 1, top.Top), (TwCellPos{0, 0, 0}));  // the cell edge
  // The group title ends where the first level starts.
  const TRect title = E().GroupHeaderRect(0, -1);
  EXPECT_EQ(E().GroupTitleAt(title.Left, title.Bottom - 1), 0);
  EXPECT_EQ(E().GroupTitleAt(title.Left, title.Bottom), -1);
  EXPECT_EQ(E().GroupTitleAt(E().ItemLeft(1), title.Top), 1);
  // In a data row the same.
  const TRect cell = E().GroupCellRect({0, 0, 1}, 1);
  const TRect level = E().LevelRect(0, 1, 1);
  ASSERT_EQ(cell.Bottom, level.Top);
  EXPECT_EQ(E().CellPosAt(1, cell.Left, cell.Bottom - 1), (TwCellPos{0, 0, 1}));
  EXPECT_EQ(E().CellPosAt(1, cell.Left, level.Top), (TwCellPos{0, 1, -1}));
  EXPECT_EQ(E().CellPosAt(1, E().ItemLeft(1), cell.Top), (TwCellPos{1, 0, 0}));
}

TEST_F(TitleWalk, SizingZonesSitOnTheBandAndLevelEdges) {
  ThreeGroups();
  grid.SetOptions(TwGridOptions{wgoColSizing, wgoCellSizing, wgoLevelSizing});
  grid.Model().Groups().Items(0)->SetWeight(3);  // the levels can share the height differently
  grid.Model().Layout();
  // The hit tests only answer: the sizing events belong to a press.
  int sizingEvents = 0;
  grid.OnColumnSizing = [&](QObject*, TwColumn*) { ++sizingEvents; };
  grid.OnGroupSizing = [&](QObject*, TwGroup*) { ++sizingEvents; };
  grid.OnLevelSizing = [&](QObject*, TwGroup*, int) { ++sizingEvents; };
  TwGridDrag d;
  // The right edge of a band in the title row sizes the band.
  const int right = E().ItemRight(0);
  const int midTitle = E().GroupHeaderRect(0, -1).Top + 2;
  EXPECT_EQ(grid.Input().SizingHitTest(right - 1, midTitle, d), wgsColSizing);
  EXPECT_EQ(d.Band, 0);
  // The edge between two cells of a level sizes the left cell.
  const TRect cell = E().ColumnTitleRect({0, 0, 0});
  const int midCell = (cell.Top + cell.Bottom) / 2;
  EXPECT_EQ(grid.Input().SizingHitTest(cell.Right - 1, midCell, d), wgsCellSizing);
  EXPECT_EQ(d.Cell, (TwCellPos{0, 0, 0}));
  EXPECT_EQ(grid.Input().SizingHitTest(cell.Left + (cell.Right - cell.Left) / 2, midCell, d), wgsNone);
  // The bottom of the group title and of the top level size them.
  EXPECT_EQ(grid.Input().SizingHitTest(cell.Left + 5, E().GroupHeaderRect(0, -1).Bottom - 1, d),
            wgsLevelSizing);
  EXPECT_EQ(d.Level, -1);
  EXPECT_EQ(grid.Input().SizingHitTest(cell.Left + 5, cell.Bottom - 1, d), wgsLevelSizing);
  EXPECT_EQ(d.Level, 0);
  EXPECT_EQ(d.Band, 0);
  EXPECT_EQ(sizingEvents, 0);
}

TEST_F(TitleWalk, WithoutAHeaderTheSizingZonesLieInTheTopRow) {
  ThreeGroups();
  grid.Model().Groups().Items(2)->SetLevels(2);  // the group without columns
  grid.Model().Groups().Items(2)->SetWeight(3);
  grid.Model().Headers().SetVisible(false);
  grid.SetOptions(TwGridOptions{wgoCellSizing, wgoLevelSizing});
  grid.Model().Layout();
  TwGridDrag d;
  const TRect cell = E().GroupCellRect({0, 0, 0}, grid.TopRow());
  EXPECT_EQ(grid.Input().SizingHitTest(cell.Right - 1, (cell.Top + cell.Bottom) / 2, d), wgsCellSizing);
  EXPECT_EQ(d.Cell, (TwCellPos{0, 0, 0}));
  // A group without columns still has levels to size.
  const TRect level = E().LevelRect(2, 0, grid.TopRow());
  ASSERT_FALSE(level.IsEmpty());
  EXPECT_EQ(grid.Input().SizingHitTest(level.Left + 5, level.Bottom - 1, d), wgsLevelSizing);
  EXPECT_EQ(d.Band, 2);
  EXPECT_EQ(d.Level, 0);
  // Its bottom level is not sized from here.
  const TRect bottom = E().LevelRect(2, 1, grid.TopRow());
  EXPECT_NE(grid.Input().SizingHitTest(bottom.Left + 5, bottom.Bottom - 1, d), wgsLevelSizing);
}

TEST_F(TitleWalk, AWalkForHitTestsAlsoYieldsWhatAPaintLeavesOut) {
  ThreeGroups();
  grid.Model().Groups().Items(2)->SetLevels(2);
  grid.Model().Groups().Items(1)->SetNoColTitles(true);
  grid.Model().Layout();
  TwCellWalk::Range range = AllBands();
  range.FirstRow = range.LastRow = 0;
  range.AllCells = true;
  std::vector<TwCellRecord> titles, rows;
  TwCellWalk(grid, range).ForEachTitle([&](const TwCellRecord& c) { titles.push_back(c); });
  TwCellWalk(grid, range).ForEach([&](const TwCellRecord& c) { rows.push_back(c); });
  // The column title of the group that shows only its title is walked after that title.
  int band1 = 0;
  for (const TwCellRecord& c : titles) band1 += c.Band == 1;
  EXPECT_EQ(band1, 2);
  // The group without columns gives one cell per level in the data row.
  std::vector<int> levels;
  for (const TwCellRecord& c : rows)
    if (c.Band == 2) levels.push_back(c.Level);
  EXPECT_EQ(levels, (std::vector<int>{0, 1}));
  EXPECT_EQ(rows.back().Rect, E().LevelRect(2, 1, 0));
}

}  // namespace
