// The two display modes: RowHeight and FixedCount held per mode, their clamping and events, the current
// cell leaving the fixed area, and what a mode switch re-applies.
#include <gtest/gtest.h>

#include "model_fixture.h"

using namespace structtest;

namespace {

// Three columns of 100 in a 250-pixel client, and two groups holding them.
struct TwoModeGrid : TestGrid {
  TwoModeGrid() {
    SetClientWidth(250);
    for (int i = 0; i < 3; ++i) Add()->SetColWidth(100);
    AddGroup();
    AddGroup();
    Col(0)->SetGroup(0);
    Col(1)->SetGroup(1);
    Col(2)->SetPosition({1, 0, 1});
  }
};

TEST(Modes, RowHeightPerModeWithItsMinimumAndAnEventForEveryAssignment) {
  TwoModeGrid g;
  std::vector<int> olds;
  g.OnRowHeightChange = [&](QObject*, int old) { olds.push_back(old); };
  EXPECT_EQ(g.RowHeight(), TwGridModel::kDefaultColRowHeight);
  g.SetRowHeight(2);
  EXPECT_EQ(g.ColRowHeight(), 4);
  g.ClearEffects();
  g.SetRowHeight(4);  // unchanged: relaid out and reported all the same, but not repainted
  EXPECT_EQ(olds, (std::vector<int>{18, 4}));
  EXPECT_EQ(g.Count(TwGridEffect::Layout), 1);
  EXPECT_EQ(g.Count(TwGridEffect::Repaint), 0);

  g.SetGroupMode(true);
  EXPECT_EQ(g.RowHeight(), TwGridModel::kDefaultGrpRowHeight);
  g.SetRowHeight(5);
  EXPECT_EQ(g.GrpRowHeight(), 8);
  EXPECT_EQ(g.ColRowHeight(), 4);
  g.SetColRowHeight(30);  // the other mode's value is only stored
  EXPECT_EQ(g.RowHeight(), 8);
  g.SetGroupMode(false);
  EXPECT_EQ(g.RowHeight(), 30);
  EXPECT_EQ(g.Extents().RowBottom(0) - g.Extents().RowTop(0), 30);

  olds.clear();
  g.State().Include(plat::ComponentStateFlag::Loading);
  g.SetRowHeight(1);  // stored as read
  EXPECT_EQ(g.RowHeight(), 1);
  EXPECT_TRUE(olds.empty());
}

TEST(Modes, FixedCountPerModeLeavesOneItemToScroll) {
  TwoModeGrid g;
  g.SetFixedCount(5);
  EXPECT_EQ(g.FixedCount(), 2);
  EXPECT_EQ(g.ColFixedCount(), 2);
  g.SetGroupMode(true);
  EXPECT_EQ(g.FixedCount(), 0);
  g.SetFixedCount(5);
  EXPECT_EQ(g.FixedCount(), 1);
  EXPECT_EQ(g.Extents().FixedRight(), g.Extents().DataLeft() + g.Grp(0)->Width());
  EXPECT_CONSISTENT(g);
  g.SetGroupMode(false);
  EXPECT_EQ(g.FixedCount(), 2);
  g.Col(2)->SetVisible(false);  // fewer visible columns: re-applied
  EXPECT_EQ(g.FixedCount(), 1);
  EXPECT_CONSISTENT(g);
  g.SetGrpFixedCount(7);  // the other mode's value, clamped to its items
  EXPECT_EQ(g.GrpFixedCount(), 1);
  g.State().Include(plat::ComponentStateFlag::Loading);
  g.SetColFixedCount(9);
  EXPECT_EQ(g.ColFixedCount(), 9);  // as read; the rebuild after loading clamps it
  g.State().Exclude(plat::ComponentStateFlag::Loading);
  g.RebuildDescription();
  EXPECT_EQ(g.ColFixedCount(), 1);
  EXPECT_CONSISTENT(g);
}

TEST(Modes, ANewFixedAreaMovesTheCurrentCellOutOfIt) {
  TwoModeGrid g;
  g.current = 0;
  g.SetFixedCount(1);
  EXPECT_EQ(g.current, 1);  // the first scrolling column
  g.skipReadOnly = true;
  g.Col(1)->SetReadOnly(true);
  g.SetFixedCount(0);
  g.current = 1;
  g.SetFixedCount(2);
  EXPECT_EQ(g.current, 2);  // ... that navigation may enter
  g.SetFixedCount(0);
  g.current = 0;
  g.FixedStyle().SetOptions({wfxSelecting});  // fixed cells may be current
  g.SetFixedCount(1);
  EXPECT_EQ(g.current, 0);

  g.FixedStyle().SetOptions({});
  g.skipReadOnly = false;
  g.SetGroupMode(true);
  g.current = 0;  // in group 0
  g.SetFixedCount(1);
  EXPECT_EQ(g.CurrentCell(), (TwCellPos{1, 0, 0}));
}

TEST(Modes, ASwitchEndsTheEditReappliesFixedCountAndScrollsHome) {
  TwoModeGrid g;
  g.SetHorzOffset(100);
  EXPECT_EQ(g.HorzOffset(), 100);
  g.ClearEffects();
  g.SetGroupMode(true);
  EXPECT_EQ(g.editorHides, 1);
  EXPECT_EQ(g.HorzOffset(), 0);
  EXPECT_EQ(g.Extents().Count(), 2);  // the groups are the bands now
  EXPECT_EQ(g.Extents().ItemWidth(1), g.Grp(1)->Width());
  EXPECT_EQ(g.Count(TwGridEffect::ScrollBars), 1);
  EXPECT_EQ(g.Repaints(), (std::vector<TwRepaintArea>{{TwRepaintArea::Grid}}));
  g.ClearEffects();
  g.SetGroupMode(true);
  EXPECT_TRUE(g.Effects().empty());
}

}  // namespace
