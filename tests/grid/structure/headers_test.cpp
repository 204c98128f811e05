// Headers and footers: per-mode heights, the visible footer list and offsets, and their change paths.
#include <gtest/gtest.h>

#include "model_fixture.h"

using namespace structtest;

namespace {

TEST(Headers, PerModeHeightsWithTheirMinimums) {
  TestGrid g;
  EXPECT_EQ(g.Headers().Height(), 21);
  g.Headers().SetHeight(2);
  EXPECT_EQ(g.Headers().ColHeight(), 4);
  g.Groups().Add();  // group mode needs a visible group
  g.SetGroupMode(true);
  EXPECT_EQ(g.Headers().Height(), 42);
  g.Headers().SetHeight(5);
  EXPECT_EQ(g.Headers().GrpHeight(), 8);
  EXPECT_EQ(g.Headers().ColHeight(), 4);
  g.SetGroupMode(false);
  EXPECT_EQ(g.Headers().Height(), 4);
}

TEST(Headers, HeightChangeRelaysOutWhileVisibleAndAlwaysRaisesTheEvent) {
  TestGrid g;
  std::vector<int> olds;
  g.OnHeaderHeightChange = [&](QObject*, int old) { olds.push_back(old); };
  g.ClearEffects();
  g.Headers().SetHeight(30);
  EXPECT_EQ(g.Count(TwGridEffect::Layout), 1);
  g.Headers().SetVisible(false);
  g.ClearEffects();
  g.Headers().SetHeight(40);
  EXPECT_EQ(g.Count(TwGridEffect::Layout), 0);
  EXPECT_EQ(olds, (std::vector<int>{21, 30}));
  g.Headers().SetHeight(40);
  EXPECT_EQ(olds.size(), 2u);
}

TEST(Headers, TitleAndLinesRepaintTheirAreasOnlyWhileVisible) {
  TestGrid g;
  g.ClearEffects();
  g.Headers().Title().SetCaption("No");
  g.Headers().Lines().SetHorzWidth(2);
  EXPECT_EQ(g.Repaints(),
            (std::vector<TwRepaintArea>{{TwRepaintArea::HeaderCorner}, {TwRepaintArea::HeaderBand}}));
  g.Headers().SetVisible(false);
  g.ClearEffects();
  g.Headers().Title().SetCaption("Row");
  g.Headers().Lines().SetHorzWidth(3);
  EXPECT_TRUE(g.Repaints().empty());
}

TEST(Headers, TitleDrawInfoTakesTheRightLineOfTheVisibleSideColumn) {
  TestGrid g;
  g.Indicators().Lines().SetVertColor(0x11);
  g.Markers().Lines().SetVertColor(0x22);
  EXPECT_EQ(g.Headers().Title().DrawInfo().VertLineColor, 0x11u);
  g.Markers().SetVisible(true);
  EXPECT_EQ(g.Headers().Title().DrawInfo().VertLineColor, 0x22u);
  EXPECT_EQ(g.Headers().Title().DrawInfo().CellStyle, wcsRaised);
}

TEST(Headers, AssignCopiesHeightsAndTitleOnly) {
  TestGrid a, b;
  a.Headers().SetHeight(33);
  a.Headers().Title().SetCaption("T");
  a.Headers().SetSizing(true);
  b.Headers().Assign(a.Headers());
  EXPECT_EQ(b.Headers().ColHeight(), 33);
  EXPECT_EQ(b.Headers().Title().Caption(), "T");
  EXPECT_FALSE(b.Headers().Sizing());
}

TEST(Footers, OffsetsSkipHiddenRows) {
  TestGrid g;
  TwGridFooters& f = g.Footers();
  for (int h : {21, 30, 25}) f.Add()->SetHeight(h);
  f.Items(1)->SetVisible(false);
  EXPECT_CONSISTENT(g);
  ASSERT_EQ(f.VisibleCount(), 2);
  EXPECT_EQ(f.VisibleOffset(0), 0);
  EXPECT_EQ(f.VisibleOffset(1), 21);
  EXPECT_EQ(f.TotalHeight(), 46);
  EXPECT_EQ(f.Items(2)->VisibleIndex(), 1);
  EXPECT_EQ(g.FooterTop(), g.ClientHeight() - 46);

  // Heights of a hidden row are stored without a relayout.
  g.ClearEffects();
  f.Items(1)->SetHeight(50);
  EXPECT_EQ(f.Items(1)->Height(), 50);
  EXPECT_TRUE(g.Effects().empty());

  // The mode switch changes every height and the offsets without an assignment.
  g.Groups().Add();
  g.SetGroupMode(true);
  EXPECT_EQ(f.Items(0)->Height(), 42);
  EXPECT_EQ(f.VisibleOffset(1), 42);
  EXPECT_CONSISTENT(g);
  f.Items(0)->SetHeight(3);
  EXPECT_EQ(f.Items(0)->GrpHeight(), 8);
  f.Delete(0);
  EXPECT_CONSISTENT(g);
}

TEST(Footers, ItemAndCollectionChanges) {
  TestGrid g;
  TestColumn* c = g.Add();
  TwGridFooters& f = g.Footers();
  f.Add();
  f.Add();
  c->Footer().SetValue(1, "kept");
  g.ClearEffects();
  f.Items(1)->SetColor(0xFF);
  f.Items(1)->Title().SetCaption("Sum");
  EXPECT_EQ(g.Repaints(),
            (std::vector<TwRepaintArea>{{TwRepaintArea::FooterRow, 0, 1}, {TwRepaintArea::FooterRow, 0, 1}}));
  EXPECT_EQ(f.Items(1)->DisplayName(), "Sum");
  EXPECT_EQ(f.Items(0)->DisplayName(), "TwGridFooter0");

  g.ClearEffects();
  f.Items(0)->SetVisible(false);
  EXPECT_EQ(g.Effects(), (std::vector<TwGridEffect>{{TwGridEffect::ScrollBars, {}},
                                                    {TwGridEffect::Layout, {}},
                                                    {TwGridEffect::Repaint, {TwRepaintArea::Grid}}}));
  g.ClearEffects();
  f.Items(0)->SetColor(0x1);  // hidden row
  g.LockPaint();
  f.Items(1)->SetColor(0x2);
  g.UnlockPaint();
  EXPECT_TRUE(g.Effects().empty());
  EXPECT_CONSISTENT(g);
}

TEST(Footers, AssignCopiesInOneCollectionUpdate) {
  TestGrid g;
  TwGridFooters& f = g.Footers();
  f.Add()->SetHeight(30);
  f.Items(0)->Title().SetCaption("A");
  f.Add();
  g.ClearEffects();
  f.Items(1)->Assign(*f.Items(0));
  EXPECT_EQ(f.Items(1)->Height(), 30);
  EXPECT_EQ(f.Items(1)->Title().Caption(), "A");
  EXPECT_EQ(g.Count(TwGridEffect::Layout), 1);
  EXPECT_CONSISTENT(g);
}

}  // namespace
