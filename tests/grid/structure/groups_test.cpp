// Groups and levels: width sharing inside a level, group widths, levels and weights with their errors,
// placing columns, positions with and without wgoSkipReadOnly, cells below and above, captions, the mode
// switch, visibility and the change paths of group mode. CheckConsistency runs after every mutation.
#include <gtest/gtest.h>

#include "model_fixture.h"
#include "platform/error.h"

using namespace structtest;

namespace {

std::vector<int> Widths(TwGroup* g, int level) {
  std::vector<int> w;
  for (int i = 0; i < g->LevelCount(level); ++i) w.push_back(g->LevelColumn(level, i)->GrpWidth());
  return w;
}

std::vector<int> LevelWeights(TwGroup* g) {
  std::vector<int> w;
  for (int l = 0; l < g->Levels(); ++l) w.push_back(g->LevelWeight(l));
  return w;
}

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const plat::Exception& e) {
    return e.what();
  }
  return "no error";
}

// A group of width w whose level 0 holds columns of the given widths (built through the public rules).
TwGroup* LevelOf(TestGrid& g, int width, std::vector<int> widths) {
  TwGroup* grp = g.AddGroup();
  grp->SetWidth(width);
  std::vector<TwColumn*> cols;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    TwColumn* c = g.Add();
    grp->InsertColumn(0, int(i), c);
    cols.push_back(c);
  }
  for (std::size_t i = 0; i + 1 < widths.size(); ++i) grp->SetColumnWidth(cols[i], widths[i]);
  EXPECT_EQ(Widths(grp, 0), widths);
  return grp;
}

// --- widths ---------------------------------------------------------------------------------------

TEST(GroupWidths, InsertingTakesHalfOfTheNeighbour) {
  TestGrid g;
  TwGroup* grp = g.AddGroup();
  EXPECT_EQ(grp->Width(), 64);
  TestColumn* a = g.Add();
  a->SetGroup(0);
  EXPECT_EQ(a->GrpWidth(), 64);
  EXPECT_CONSISTENT(g);
  TestColumn* b = g.Add();
  grp->InsertColumn(0, 1, b);  // at the end: the neighbour is the previous column
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{32, 32}));
  EXPECT_CONSISTENT(g);
  TestColumn* c = g.Add();
  grp->InsertColumn(0, 0, c);  // in front: the neighbour is the next column
  EXPECT_EQ(grp->LevelColumn(0, 0), c);
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{16, 16, 32}));
  EXPECT_EQ(a->LevelIndex(), 1);
  EXPECT_EQ(b->LevelIndex(), 2);
  EXPECT_EQ(grp->Width(), 64);
  EXPECT_CONSISTENT(g);
}

TEST(GroupWidths, ANarrowNeighbourWidensTheGroupAndEveryLevelFollows) {
  TestGrid g;
  TwGroup* grp = LevelOf(g, 64, {58, 6});
  grp->SetLevels(2);
  TestColumn* below = g.Add();
  grp->InsertColumn(1, 0, below);
  EXPECT_EQ(below->GrpWidth(), 64);
  grp->InsertColumn(0, 2, g.Add());  // next to the 6-pixel column
  EXPECT_EQ(grp->Width(), 66);
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{58, 4, 4}));
  // Every level keeps filling the group (the level below takes the two added pixels).
  EXPECT_EQ(below->GrpWidth(), 66);
  EXPECT_CONSISTENT(g);
}

TEST(GroupWidths, GroupWidthRedistributesEveryLevel) {
  TestGrid g;
  TwGroup* grp = LevelOf(g, 100, {30, 30, 40});
  std::vector<std::pair<TwColumn*, int>> columnEvents;
  std::vector<int> groupEvents;
  g.OnColumnWidthChange = [&](QObject*, TwColumn* c, int old) { columnEvents.emplace_back(c, old); };
  g.OnGroupWidthChange = [&](QObject*, TwGroup* which, int old) {
    EXPECT_EQ(which, grp);
    groupEvents.push_back(old);
  };
  grp->SetWidth(50);  // each of the first two: (50 - 12) x 30 div 100 + 4; the last the rest
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{15, 15, 20}));
  EXPECT_EQ(groupEvents, (std::vector<int>{100}));
  ASSERT_EQ(columnEvents.size(), 3u);
  EXPECT_EQ(columnEvents[2].second, 40);
  EXPECT_CONSISTENT(g);

  grp->SetWidth(80);  // growing: (80 - 50) div 3 to each but the last
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{25, 25, 30}));
  EXPECT_CONSISTENT(g);
  grp->SetWidth(5);  // at least 4 per column of the fullest level
  EXPECT_EQ(grp->Width(), 12);
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{4, 4, 4}));
  EXPECT_CONSISTENT(g);
  groupEvents.clear();
  grp->SetWidth(12);
  EXPECT_TRUE(groupEvents.empty());
}

TEST(GroupWidths, AColumnGrowsOnlyAsFarAsItsPartnerCanGive) {
  TestGrid g;
  TwGroup* grp = LevelOf(g, 64, {32, 32});
  TwColumn* a = grp->LevelColumn(0, 0);
  TwColumn* b = grp->LevelColumn(0, 1);
  std::vector<std::pair<TwColumn*, int>> events;
  g.OnColumnWidthChange = [&](QObject*, TwColumn* c, int old) { events.emplace_back(c, old); };
  grp->SetColumnWidth(a, 60);
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{60, 4}));
  events.clear();
  grp->SetColumnWidth(a, 62);  // the partner is down to 4: nothing moves, nothing is reported
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{60, 4}));
  EXPECT_TRUE(events.empty());

  // Through the column's Width in group mode; the last column's partner is the previous one.
  g.SetGroupMode(true);
  b->SetWidth(10);
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{54, 10}));
  EXPECT_EQ(events, (std::vector<std::pair<TwColumn*, int>>{{b, 4}, {a, 60}}));
  EXPECT_EQ(grp->Width(), 64);
  // GrpWidth of a grouped column goes through the group in column mode too.
  g.SetGroupMode(false);
  a->SetGrpWidth(20);
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{20, 44}));
  EXPECT_CONSISTENT(g);
}

TEST(GroupWidths, RemovingSpreadsTheFreedWidth) {
  TestGrid g;
  TwGroup* grp = LevelOf(g, 64, {16, 16, 32});
  TwColumn* first = grp->LevelColumn(0, 0);
  first->SetGroup(-1);
  EXPECT_EQ(first->Group(), -1);
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{24, 40}));
  EXPECT_CONSISTENT(g);
  // Deleting a column takes it out of its level too.
  g.Columns().Delete(grp->LevelColumn(0, 1)->Index());
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{64}));
  EXPECT_CONSISTENT(g);
}

// --- levels and weights ---------------------------------------------------------------------------

TEST(GroupLevels, LevelsResetTheWeightsAndWeightMovesLevelZero) {
  TestGrid g;
  TwGroup* grp = g.AddGroup();
  grp->SetWeight(2);  // one level: nothing to weigh
  EXPECT_EQ(grp->Weight(), 1);
  grp->SetLevels(3);
  EXPECT_EQ(grp->Weight(), 3);
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{1, 1, 1}));
  EXPECT_CONSISTENT(g);
  grp->SetWeight(5);
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{3, 1, 1}));
  grp->SetWeight(4);
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{2, 1, 1}));
  EXPECT_CONSISTENT(g);
  grp->SetWeight(20);
  EXPECT_EQ(grp->Weight(), 9);
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{7, 1, 1}));
  grp->SetWeight(0);
  EXPECT_EQ(grp->Weight(), 3);
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{1, 1, 1}));
  grp->SetLevels(40);
  EXPECT_EQ(grp->Levels(), 16);
  grp->SetLevels(-3);
  EXPECT_EQ(grp->Levels(), 1);
  EXPECT_CONSISTENT(g);
}

TEST(GroupLevels, ReducingOverAnOccupiedLevelRaisesTheKoreanMessage) {
  TestGrid g;
  TwGroup* grp = g.AddGroup();
  grp->SetLevels(3);
  TestColumn* c = g.Add();
  c->SetPosition({0, 2, 0});
  EXPECT_EQ(c->Level(), 2);
  EXPECT_EQ(ErrorOf([&] { grp->SetLevels(1); }),
            "Level 2에는 연결된 컬럼들이 존재합니다\r\n이들과의 연결을 먼저 끊어야합니다");
  EXPECT_EQ(grp->Levels(), 3);
  EXPECT_CONSISTENT(g);
  g.Add()->SetPosition({0, 1, 0});
  EXPECT_EQ(ErrorOf([&] { grp->SetLevels(1); }).substr(0, 8), "Level 1\xEC");  // the lowest level in use
  c->SetLevel(0);
  g.Col(1)->SetLevel(0);
  grp->SetLevels(1);
  EXPECT_EQ(grp->Levels(), 1);
  EXPECT_CONSISTENT(g);
}

TEST(GroupLevels, LevelWeightMovesWeightBetweenLevelsAndReportsEachChange) {
  TestGrid g;
  TwGroup* grp = g.AddGroup();
  grp->SetLevels(3);
  std::vector<std::pair<int, int>> events;
  g.OnLevelHeightChange = [&](QObject*, TwGroup*, int level, int old) { events.emplace_back(level, old); };
  grp->SetLevelWeight(0, 2);  // Weight equals Levels: no weight to move
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{1, 1, 1}));
  grp->SetWeight(6);
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{4, 1, 1}));

  // Growing: first from the following levels (down to 1), then from level 0 upwards.
  grp->SetLevelWeight(1, 3);
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{0, 4}, {1, 1}}));
  // Shrinking gives to the next level, or to the previous one from the last level.
  events.clear();
  grp->SetLevelWeight(1, 1);
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{2, 1, 3}));
  EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{1, 3}, {2, 1}}));
  grp->SetLevelWeight(2, 0);  // taken as 1
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(grp->Weight(), 6);
  EXPECT_CONSISTENT(g);

  // The column's Weight is its level's.
  TestColumn* c = g.Add();
  EXPECT_EQ(c->Weight(), 1);  // no group
  c->SetPosition({0, 1, 0});
  EXPECT_EQ(c->Weight(), 3);
  c->SetWeight(4);
  EXPECT_EQ(LevelWeights(grp), (std::vector<int>{1, 4, 1}));
  EXPECT_CONSISTENT(g);

  EXPECT_EQ(ErrorOf([&] { grp->SetLevelWeight(3, 1); }), "Level bounds error in GetLevelWeight(3)");
  EXPECT_EQ(ErrorOf([&] { grp->SetLevelWeight(-1, 1); }), "Level bounds error in GetLevelWeight(-1)");
  g.State().Include(plat::ComponentStateFlag::Loading);
  EXPECT_EQ(ErrorOf([&] { grp->SetLevelWeight(3, 1); }), "no error");  // ignored while loading
}

TEST(GroupLevels, TitleHeightLeavesEveryLevelFourPixels) {
  TestGrid g;
  TwGroup* grp = g.AddGroup();
  std::vector<std::pair<int, int>> events;
  g.OnLevelHeightChange = [&](QObject*, TwGroup*, int level, int old) { events.emplace_back(level, old); };
  EXPECT_EQ(grp->Title().Height(), TwGroupTitle::kDefaultHeight);
  grp->Title().SetHeight(100);
  const int most = g.Headers().GrpHeight() - 4 * grp->Levels();
  EXPECT_EQ(grp->Title().Height(), most);
  EXPECT_EQ(events, (std::vector<std::pair<int, int>>{{-1, TwGroupTitle::kDefaultHeight}}));
  grp->Title().SetHeight(-5);
  EXPECT_EQ(grp->Title().Height(), 0);
  g.State().Include(plat::ComponentStateFlag::Loading);
  grp->Title().SetHeight(100);
  EXPECT_EQ(grp->Title().Height(), 100);
}

TEST(GroupLevels, TitleStaysVisibleWhileTheGroupHasNoColumnTitles) {
  TestGrid g;
  TwGroup* grp = g.AddGroup();
  grp->SetNoColTitles(true);
  EXPECT_TRUE(grp->NoColTitles());
  grp->Title().SetVisible(false);
  EXPECT_TRUE(grp->Title().Visible());
  grp->SetNoColTitles(false);
  grp->Title().SetVisible(false);
  EXPECT_FALSE(grp->Title().Visible());
  grp->SetNoColTitles(true);  // only with a visible title
  EXPECT_FALSE(grp->NoColTitles());
}

// --- placing columns ------------------------------------------------------------------------------

TEST(Placement, GroupLevelAndLevelIndexSettersClampAndMove) {
  TestGrid g;
  g.AddGroup();
  TwGroup* two = g.AddGroup();
  two->SetLevels(2);
  TestColumn* a = g.Add();
  TestColumn* b = g.Add();
  a->SetGroup(7);  // clamped to the last group
  EXPECT_EQ(a->Group(), 1);
  EXPECT_CONSISTENT(g);
  b->SetGroup(1);
  EXPECT_EQ(b->LevelIndex(), 0);  // inserted at its own (level, index): in front of a
  EXPECT_EQ(a->LevelIndex(), 1);
  EXPECT_CONSISTENT(g);
  b->SetLevelIndex(5);  // beyond the level: stays
  EXPECT_EQ(b->LevelIndex(), 0);
  b->SetLevelIndex(1);
  EXPECT_EQ(two->LevelColumn(0, 1), b);
  EXPECT_CONSISTENT(g);
  b->SetLevel(9);  // clamped to the last level
  EXPECT_EQ(b->Level(), 1);
  EXPECT_EQ(two->LevelCount(0), 1);
  EXPECT_EQ(Widths(two, 0), (std::vector<int>{64}));
  EXPECT_CONSISTENT(g);
  b->SetPosition({0, 0, 0});
  EXPECT_EQ(b->Group(), 0);
  EXPECT_EQ(two->LevelCount(1), 0);
  EXPECT_CONSISTENT(g);
  b->SetGroup(-4);
  EXPECT_EQ(b->Group(), -1);
  EXPECT_EQ(g.Grp(0)->ColumnCount(), 0);
  EXPECT_CONSISTENT(g);
  // Without a group the place is kept for the next group.
  b->SetLevel(1);
  b->SetGroup(1);
  EXPECT_EQ(b->Level(), 1);
  EXPECT_CONSISTENT(g);
}

TEST(Placement, LoadedPlacesAreAppliedByTheRebuild) {
  TestGrid g;
  g.State().Include(plat::ComponentStateFlag::Loading);
  TwGroup* grp = g.AddGroup();
  grp->SetLevels(2);
  grp->SetWidth(100);
  grp->SetWeight(2);
  struct Place {
    int group, level, index, width;
  };
  // Level 1 says indices 5, 2 and 0 (gaps), one column asks for level 7, one for a missing group.
  for (Place p : {Place{0, 1, 5, 40}, {0, 1, 2, 30}, {0, 0, 0, 64}, {9, 0, 0, 64}, {0, 7, 0, 64}}) {
    TestColumn* c = g.Add();
    c->SetGroup(p.group);
    c->SetLevel(p.level);
    c->SetLevelIndex(p.index);
    c->SetGrpWidth(p.width);
  }
  EXPECT_EQ(grp->ColumnCount(), 0);  // only stored while loading
  g.State().Exclude(plat::ComponentStateFlag::Loading);
  g.RebuildDescription();
  EXPECT_EQ(grp->LevelColumn(1, 0), g.Col(4));
  EXPECT_EQ(grp->LevelColumn(1, 1), g.Col(1));
  EXPECT_EQ(grp->LevelColumn(1, 2), g.Col(0));
  EXPECT_EQ(g.Col(3)->Group(), -1);
  EXPECT_EQ(Widths(grp, 0), (std::vector<int>{100}));
  // Widths that did not fill the group are scaled to it, proportions kept.
  EXPECT_EQ(Widths(grp, 1), (std::vector<int>{46, 23, 31}));
  EXPECT_CONSISTENT(g);
}

TEST(Placement, DeletingAGroupFreesItsColumnsAndRenumbersTheOthers) {
  TestGrid g;
  g.AddGroup();
  g.AddGroup();
  TestColumn* a = g.Add();
  TestColumn* b = g.Add();
  a->SetGroup(0);
  b->SetGroup(1);
  g.Groups().Delete(0);
  EXPECT_EQ(a->Group(), -1);
  EXPECT_EQ(b->Group(), 0);
  EXPECT_CONSISTENT(g);
}

// --- positions ------------------------------------------------------------------------------------

// Three groups: G0 = [a b]; G1 = [c] over [d e]; G2 = three levels with [f] in the last.
struct PositionGrid : TestGrid {
  PositionGrid() {
    for (int i = 0; i < 3; ++i) AddGroup();
    Grp(1)->SetLevels(2);
    Grp(2)->SetLevels(3);
    const TwCellPos places[] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {2, 2, 0}};
    for (const TwCellPos& p : places) Add()->SetPosition(p);
    SetGroupMode(true);
  }
  TwCellPos Pos(int column) const { return ColumnPos(Columns().Items(column)); }
};

TEST(Positions, NextAndPriorWalkLevelsAndGroups) {
  PositionGrid g;
  EXPECT_CONSISTENT(g);
  const auto& gs = g.Groups();
  std::vector<TwCellPos> walk{gs.FirstPos()};
  for (int i = 0; i < 6; ++i) walk.push_back(gs.NextPos(walk.back()));
  EXPECT_EQ(walk, (std::vector<TwCellPos>{
                      {0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {2, 2, 0}, {2, 2, 0}}));
  std::vector<TwCellPos> back{gs.LastPos()};
  for (int i = 0; i < 6; ++i) back.push_back(gs.PriorPos(back.back()));
  EXPECT_EQ(back, (std::vector<TwCellPos>{
                      {2, 2, 0}, {1, 1, 1}, {1, 1, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}, {0, 0, 0}}));
  EXPECT_TRUE(gs.IsLastPos({2, 2, 0}));
  EXPECT_FALSE(gs.IsValidPos({2, 0, 0}));  // an empty level
  EXPECT_FALSE(gs.IsValidPos({3, 0, 0}));
  EXPECT_EQ(gs.NextPos({2, 0, 0}), (TwCellPos{2, 0, 0}));  // not a valid position: unchanged

  // FirstPos starts after the fixed groups unless fixed cells may be selected.
  g.SetFixedCount(1);
  EXPECT_EQ(gs.FirstPos(), (TwCellPos{1, 0, 0}));
  g.FixedStyle().SetOptions({wfxSelecting});
  EXPECT_EQ(gs.FirstPos(), (TwCellPos{0, 0, 0}));
  EXPECT_EQ(g.Grp(1)->FirstCellPos(), (TwCellPos{1, 0, 0}));
  EXPECT_EQ(g.Grp(2)->FirstCellPos(), (TwCellPos{2, 2, 0}));
}

TEST(Positions, SkipReadOnlyStepsOverColumnsThatCannotBeFocused) {
  PositionGrid g;
  g.skipReadOnly = true;
  for (int i : {1, 2, 5}) g.Col(i)->SetReadOnly(true);  // b, c, f
  const auto& gs = g.Groups();
  EXPECT_EQ(gs.NextPos(g.Pos(0)), g.Pos(3));  // a -> d over b and c
  EXPECT_EQ(gs.PriorPos(g.Pos(3)), g.Pos(0));
  EXPECT_EQ(gs.PriorPos(g.Pos(0)), g.Pos(0));  // the first focusable cell stays
  EXPECT_EQ(gs.LastPos(), g.Pos(4));           // e, not the read-only f
  EXPECT_EQ(gs.NextPos(g.Pos(4)), g.Pos(4));   // the last focusable cell stays
  EXPECT_EQ(gs.FirstPos(), g.Pos(0));
  g.Col(0)->SetReadOnly(true);
  EXPECT_EQ(gs.FirstPos(), g.Pos(3));
  for (int i = 0; i < 6; ++i) g.Col(i)->SetReadOnly(true);
  EXPECT_EQ(gs.FirstPos(), g.Pos(0));  // nothing focusable: the plain first and last cells
  EXPECT_EQ(gs.LastPos(), g.Pos(5));
  EXPECT_EQ(gs.NextPos(g.Pos(0)), g.Pos(0));
  g.skipReadOnly = false;
  EXPECT_EQ(gs.NextPos(g.Pos(0)), g.Pos(1));
}

// A group of width 90: [p q r] of 30 each, over [s t] of 45 each, over [u].
struct StackGrid : TestGrid {
  StackGrid() {
    grp = LevelOf(*this, 90, {30, 30, 30});
    grp->SetLevels(3);
    for (TwCellPos p : {TwCellPos{0, 1, 0}, {0, 1, 1}, {0, 2, 0}}) Add()->SetPosition(p);
    EXPECT_EQ(Widths(grp, 1), (std::vector<int>{45, 45}));
  }
  TwColumn* At(int level, int index) { return grp->LevelColumn(level, index); }
  TwGroup* grp;
};

TEST(Positions, CellBelowTakesTheColumnUnderTheLeftEdge) {
  StackGrid g;
  TwCellPos pos{0, 0, 1};  // q starts at 30: s (0..45) lies below
  EXPECT_TRUE(g.grp->FindCellBelow(pos));
  EXPECT_EQ(pos, (TwCellPos{0, 1, 0}));
  pos = {0, 0, 2};  // r starts at 60: t
  EXPECT_TRUE(g.grp->FindCellBelow(pos));
  EXPECT_EQ(pos, (TwCellPos{0, 1, 1}));
  g.At(1, 1)->SetReadOnly(true);  // t: look left first
  pos = {0, 0, 2};
  EXPECT_TRUE(g.grp->FindCellBelow(pos));
  EXPECT_EQ(pos, (TwCellPos{0, 1, 0}));
  g.At(1, 0)->SetReadOnly(true);  // the whole level: the next one down
  pos = {0, 0, 2};
  EXPECT_TRUE(g.grp->FindCellBelow(pos));
  EXPECT_EQ(pos, (TwCellPos{0, 2, 0}));
  g.At(2, 0)->SetReadOnly(true);
  pos = {0, 0, 2};
  EXPECT_FALSE(g.grp->FindCellBelow(pos));
  pos = {0, 2, 0};  // the last level has nothing below
  EXPECT_FALSE(g.grp->FindCellBelow(pos));
}

TEST(Positions, CellAboveLooksRightBeforeLeft) {
  StackGrid g;
  TwCellPos pos{0, 1, 1};  // t starts at 45: q (30..60) lies above
  EXPECT_TRUE(g.grp->FindCellAbove(pos));
  EXPECT_EQ(pos, (TwCellPos{0, 0, 1}));
  g.At(0, 1)->SetReadOnly(true);
  pos = {0, 1, 1};
  EXPECT_TRUE(g.grp->FindCellAbove(pos));
  EXPECT_EQ(pos, (TwCellPos{0, 0, 2}));
  g.At(0, 2)->SetReadOnly(true);
  pos = {0, 1, 1};
  EXPECT_TRUE(g.grp->FindCellAbove(pos));
  EXPECT_EQ(pos, (TwCellPos{0, 0, 0}));
  pos = {0, 0, 0};
  EXPECT_FALSE(g.grp->FindCellAbove(pos));
}

// --- captions, mode switch, visibility ------------------------------------------------------------

TEST(Groups, AutomaticCaptionsCountOnFromTheLargestNumber) {
  TestGrid g;
  EXPECT_EQ(g.AddGroup()->Title().Caption(), "Group0");
  g.Grp(0)->Title().SetCaption("Group3");
  g.AddGroup()->Title().SetCaption("GroupX");
  g.AddGroup()->Title().SetCaption("MyGroup7");  // contains GROUP, but "up7" is no number
  EXPECT_EQ(g.AddGroup()->Title().Caption(), "Group4");
  g.AddGroup()->Title().SetCaption("gROUP12");
  EXPECT_EQ(g.AddGroup()->Title().Caption(), "Group13");
  EXPECT_EQ(g.Grp(1)->DisplayName(), "GroupX");
  g.Grp(1)->Title().SetCaption("");
  EXPECT_EQ(g.Grp(1)->DisplayName(), "TwGroup1");
  g.State().Include(plat::ComponentStateFlag::Loading);
  EXPECT_EQ(g.AddGroup()->Title().Caption(), "");
}

TEST(Groups, GroupModeNeedsAVisibleGroup) {
  TestGrid g;
  g.SetGroupMode(true);
  EXPECT_FALSE(g.GroupMode());
  EXPECT_TRUE(g.Effects().empty());
  TwGroup* grp = g.AddGroup();
  g.SetGroupMode(true);
  EXPECT_TRUE(g.GroupMode());
  EXPECT_EQ(g.editorHides, 1);
  EXPECT_CONSISTENT(g);
  grp->SetVisible(false);  // the last visible group goes: back to column mode
  EXPECT_FALSE(g.GroupMode());
  EXPECT_CONSISTENT(g);
  g.State().Include(plat::ComponentStateFlag::Loading);
  g.SetGroupMode(true);  // only stored while loading
  EXPECT_TRUE(g.GroupMode());
}

TEST(Groups, HidingTheCurrentGroupMovesTheCurrentCellToTheFirst) {
  TestGrid g;
  for (int i = 0; i < 3; ++i) {
    g.AddGroup();
    g.Add()->SetGroup(i);
  }
  g.SetGroupMode(true);
  g.current = 1;
  EXPECT_EQ(g.CurrentCell(), (TwCellPos{1, 0, 0}));
  g.Grp(0)->SetVisible(false);
  EXPECT_EQ(g.CurrentCell(), (TwCellPos{0, 0, 0}));  // the same column, one group further left
  EXPECT_EQ(g.current, 1);
  EXPECT_CONSISTENT(g);
  g.Grp(1)->SetVisible(false);
  EXPECT_EQ(g.editorHides, 2);  // the mode switch and this move
  EXPECT_EQ(g.current, 2);
  EXPECT_CONSISTENT(g);

  // Shown again at the saved place; moved within the visible list.
  g.Grp(0)->SetVisible(true);
  EXPECT_EQ(g.Grp(0)->VisibleIndex(), 0);
  g.Grp(0)->SetVisibleIndex(5);
  EXPECT_EQ(g.Grp(0)->VisibleIndex(), 1);
  g.Grp(1)->SetVisibleIndex(0);
  EXPECT_EQ(g.Groups().VisibleItems(0), g.Grp(1));
  EXPECT_EQ(g.Groups().VisibleItems(3), nullptr);
  EXPECT_CONSISTENT(g);
}

// --- change paths and drawing records -------------------------------------------------------------

TEST(GroupChangePaths, GroupModeRepaintsTheGroupsStripOrTheTitleCell) {
  TestGrid g;
  g.AddGroup();
  g.AddGroup();
  TestColumn* loose = g.Add();
  TestColumn* c = g.Add();
  c->SetGroup(1);
  g.Footers().Add();
  g.SetGroupMode(true);
  g.ClearEffects();
  c->SetColor(0xFF);
  c->Title().SetCaption("Name");
  c->Footer().SetValue(0, "9");
  g.Grp(1)->Title().SetCaption("Person");
  loose->SetColor(0xFF);  // in no group: shown nowhere
  EXPECT_EQ(g.Repaints(), (std::vector<TwRepaintArea>{{TwRepaintArea::Strip, 1},
                                                      {TwRepaintArea::TitleCell, 1, c->Index()},
                                                      {TwRepaintArea::StripFooter, 1},
                                                      {TwRepaintArea::Strip, 1}}));
  // A group's width relays out and repaints before its event.
  g.ClearEffects();
  std::vector<TwGridEffect> seen;
  g.OnGroupWidthChange = [&](QObject*, TwGroup*, int) { seen = g.Effects(); };
  g.Grp(1)->SetWidth(80);
  EXPECT_EQ(seen, (std::vector<TwGridEffect>{{TwGridEffect::ScrollBars, {}},
                                             {TwGridEffect::Layout, {}},
                                             {TwGridEffect::Repaint, {TwRepaintArea::Grid}}}));
  EXPECT_CONSISTENT(g);
}

TEST(GroupDrawInfo, LinesFollowTheCellsPlaceInItsGroup) {
  TestGrid g;
  g.AddGroup();
  TwGroup* grp = LevelOf(g, 64, {32, 32});  // group 1, the last visible one
  grp->SetLevels(2);
  TestColumn* below = g.Add();
  below->SetPosition({1, 1, 0});
  g.Add()->SetGroup(0);
  g.SetGroupMode(true);
  g.SetFixedCount(1);
  g.Lines().SetCellColor(0x01);
  g.Lines().SetLevelColor(0x02);
  g.Lines().SetVertColor(0x03);
  g.EndLines().SetVertColor(0x04);
  g.Extents();
  const TwDrawInfo& left = grp->LevelColumn(0, 0)->DrawInfo();
  EXPECT_EQ(left.VertLineColor, 0x01u);  // between two cells of a level
  EXPECT_EQ(left.HorzLineColor, 0x02u);  // above another level
  EXPECT_EQ(left.ClipLeft, g.Extents().FixedRight());
  EXPECT_EQ(grp->LevelColumn(0, 1)->DrawInfo().VertLineColor, 0x04u);  // the grid's right end
  EXPECT_EQ(below->DrawInfo().HorzLineColor, g.Lines().HorzColor());
  const TwColumn* fixed = g.Grp(0)->LevelColumn(0, 0);
  EXPECT_TRUE(fixed->Fixed());
  EXPECT_EQ(fixed->DrawInfo().ClipLeft, 0);
  EXPECT_EQ(fixed->DrawInfo().CellStyle, g.FixedStyle().CellStyle());
  EXPECT_EQ(fixed->DrawInfo().VertLineColor, g.FixedStyle().Lines().VertColor());
  // The group title's bottom line: the level line, or the header line when it covers the header.
  g.Headers().Lines().SetLevelColor(0x05);
  g.Extents();
  EXPECT_EQ(grp->Title().DrawInfo().HorzLineColor, 0x05u);
  grp->SetNoColTitles(true);
  g.Extents();
  EXPECT_EQ(grp->Title().DrawInfo().HorzLineColor, g.Headers().Lines().HorzColor());
  EXPECT_EQ(grp->Title().DrawInfo().ClipBottom, g.ClientHeight());
}

TEST(Groups, TheCurrentCellLeavingTheVisibleCellsClosesTheEditorFirstThenStartsOver) {
  TestGrid g;
  for (int i = 0; i < 3; ++i) {
    g.AddGroup();
    g.Add()->SetGroup(i);
  }
  g.SetGroupMode(true);
  // The current column moves into a hidden group.
  g.Grp(2)->SetVisible(false);
  g.current = 1;
  g.hooks.clear();
  g.Col(1)->SetPosition(TwCellPos{2, 0, 1});
  EXPECT_EQ(g.hooks, "hc");
  EXPECT_EQ(g.current, 0);  // the first cell of the first visible group
  EXPECT_CONSISTENT(g);
  // The current column leaves every group.
  g.current = 0;
  g.hooks.clear();
  g.Col(0)->SetGroup(-1);
  EXPECT_EQ(g.hooks, "hc");
  EXPECT_EQ(g.current, -1);  // group 0 holds no column any more: no first cell
  EXPECT_CONSISTENT(g);
  // A column that is not current moves without touching the editor or the current cell.
  g.Col(0)->SetGroup(0);
  g.current = 0;
  g.hooks.clear();
  g.Col(1)->SetGroup(0);
  EXPECT_EQ(g.hooks, "");
  EXPECT_EQ(g.current, 0);
}

}  // namespace
