// Columns: defaults and clamping, the visible list, navigable helpers, value texts, drawing records and
// the repaints of the change paths.
#include <gtest/gtest.h>

#include "model_fixture.h"
#include "platform/error.h"

using namespace structtest;

namespace {

TEST(Column, DefaultsAndClamping) {
  TestGrid g;
  TestColumn* c = g.Add();
  EXPECT_TRUE(c->AutoSize());
  EXPECT_EQ(c->Color(), 0xFFFFFFu);
  EXPECT_TRUE(c->Ctl3D());
  EXPECT_EQ(c->EditBorder(), webSingle);
  EXPECT_EQ(c->Group(), -1);
  EXPECT_EQ(c->Layout(), tlCenter);
  EXPECT_EQ(c->MarginLeft(), 1);
  EXPECT_EQ(c->MarginBottom(), 1);
  EXPECT_EQ(c->RadioColumns(), 1);
  EXPECT_EQ(c->Weight(), 1);
  EXPECT_EQ(c->ColWidth(), 64);
  EXPECT_EQ(c->GrpWidth(), 64);
  EXPECT_EQ(c->ImeMode(), imDontCare);
  EXPECT_TRUE(c->ListOption().ValuesOnly());
  EXPECT_EQ(c->ListOption().ItemCount(), 8);

  c->SetWidth(2);
  EXPECT_EQ(c->Width(), 4);
  c->SetMaxLength(-5);
  EXPECT_EQ(c->MaxLength(), 0);
  c->SetRadioColumns(0);
  EXPECT_EQ(c->RadioColumns(), 1);
  c->SetMargin(2, 300);
  EXPECT_EQ(c->MarginRight(), 255);
  c->SetMaxValue("12.5");
  EXPECT_DOUBLE_EQ(c->MaxValueAsFloat(), 12.5);
  EXPECT_DOUBLE_EQ(c->MinValueAsFloat(), 0.0);

  g.State().Include(plat::ComponentStateFlag::Loading);
  c->SetMaxLength(-5);
  EXPECT_EQ(c->MaxLength(), -5);  // stored without check while loading
}

TEST(Column, AlignmentFollowsTheDataUntilAssigned) {
  TestGrid g;
  TestColumn* c = g.Add();
  EXPECT_EQ(c->Alignment(), taLeftJustify);
  c->numeric = true;
  EXPECT_EQ(c->Alignment(), taRightJustify);
  c->numeric = false;
  c->graphic = true;
  EXPECT_EQ(c->Alignment(), taCenter);
  c->SetAlignment(taLeftJustify);
  EXPECT_EQ(c->Alignment(), taLeftJustify);
  EXPECT_TRUE(c->IsAlignmentStored());
}

TEST(Column, ImeFollowsTheGridUntilAssigned) {
  TestGrid g;
  TestColumn* c = g.Add();
  g.SetImeMode(imHanguel);
  g.SetImeName("Korean");
  EXPECT_EQ(c->ImeMode(), imHanguel);
  EXPECT_EQ(c->ImeName(), "Korean");
  c->SetImeMode(imAlpha);
  g.SetImeMode(imClose);
  EXPECT_EQ(c->ImeMode(), imAlpha);
}

TEST(Column, ValueTexts) {
  TestGrid g;
  TestColumn* c = g.Add();
  EXPECT_EQ(c->GetBoolValue(1), "True");
  EXPECT_EQ(c->GetBoolText(1), "True");
  EXPECT_EQ(c->GetBoolText(0), "False");
  c->SetValues({"N", "Y"});
  c->SetItems({"No", "Yes"});
  EXPECT_EQ(c->GetBoolValue(1), "Y");
  EXPECT_EQ(c->GetBoolText(1), "Yes");
  c->SetItems({"No"});  // fewer items than values: they do not map
  EXPECT_EQ(c->GetBoolText(1), "Y");
}

TEST(Column, PropertiesThatNotifyOnlyWhenTheyMatter) {
  TestGrid g;
  TestColumn* c = g.Add();
  g.ClearEffects();
  c->SetTransparent(true);       // not a picture column
  c->SetRadioColumns(3);         // not a radio group
  c->SetImageLayout(wimgRight);  // no images
  c->SetCharCase(ecUpperCase);   // never notifies
  EXPECT_TRUE(g.Repaints().empty());
  c->kind = wekRadioGroup;
  c->SetRadioColumns(2);
  EXPECT_EQ(g.Repaints(), (std::vector<TwRepaintArea>{{TwRepaintArea::Strip, 0}}));

  // EditBorder of the current column relays out; of another column it only repaints.
  g.Add();
  g.current = 1;
  g.ClearEffects();
  c->SetEditBorder(webNone);
  EXPECT_EQ(g.Count(TwGridEffect::Layout), 0);
  g.Col(1)->SetEditBorder(webSunken);
  EXPECT_EQ(g.Count(TwGridEffect::Layout), 1);
}

TEST(Column, SettingImagesSwitchesTheLayoutAndFollowsTheList) {
  TestGrid g;
  TestColumn* c = g.Add();
  auto list = std::make_unique<TwImageList>(11, 11);
  c->SetImages(list.get());
  EXPECT_EQ(c->ImageLayout(), wimgLeft);
  g.ClearEffects();
  list->AddMasked(IndicatorGlyphImage(1), kIndicatorMaskColor);
  EXPECT_EQ(g.Repaints().size(), 1u);
  list.reset();
  EXPECT_EQ(c->Images(), nullptr);
}

TEST(Columns, VisibleListFollowsShowHideAndVisibleIndex) {
  TestGrid g;
  for (int i = 0; i < 3; ++i) g.Add();
  TestColumn* d = g.Add();
  EXPECT_EQ(d->VisibleIndex(), 3);
  EXPECT_CONSISTENT(g);
  d->SetVisible(false);
  EXPECT_EQ(d->VisibleIndex(), -1);
  EXPECT_CONSISTENT(g);
  d->SetVisible(true);
  EXPECT_EQ(d->VisibleIndex(), 3);
  EXPECT_CONSISTENT(g);

  // With fewer columns visible it comes back at the end.
  d->SetVisible(false);
  g.Col(0)->SetVisible(false);
  g.Col(1)->SetVisible(false);
  d->SetVisible(true);
  EXPECT_EQ(d->VisibleIndex(), 1);
  EXPECT_EQ(g.Columns().VisibleItems(0), g.Col(2));
  EXPECT_CONSISTENT(g);

  // Moving within the visible list; -1 hides; a hidden column is shown at the clamped index.
  g.Col(0)->SetVisible(true);
  EXPECT_CONSISTENT(g);
  d->SetVisibleIndex(0);
  EXPECT_EQ(g.Columns().VisibleItems(0), d);
  EXPECT_CONSISTENT(g);
  d->SetVisibleIndex(99);
  EXPECT_EQ(d->VisibleIndex(), g.Columns().VisibleCount() - 1);
  d->SetVisibleIndex(-7);
  EXPECT_FALSE(d->Visible());
  EXPECT_CONSISTENT(g);
  g.Col(1)->SetVisibleIndex(1);
  EXPECT_EQ(g.Col(1)->VisibleIndex(), 1);
  EXPECT_CONSISTENT(g);

  g.Columns().Delete(1);
  EXPECT_CONSISTENT(g);
}

TEST(Columns, VisibleItemsOutOfRangeRaisesItsText) {
  TestGrid g;
  g.Add();
  try {
    g.Columns().VisibleItems(1);
    FAIL() << "no error";
  } catch (const plat::Exception& e) {
    EXPECT_STREQ(e.what(), "TwColumns Bounds Error in GetVItems(1)");
  }
}

TEST(Columns, NavigableWithAndWithoutSkipReadOnly) {
  TestGrid g;
  for (int i = 0; i < 4; ++i) g.Add();
  auto& cs = g.Columns();
  EXPECT_EQ(cs.FirstNavigable(), 0);
  EXPECT_EQ(cs.LastNavigable(), 3);
  EXPECT_EQ(cs.NextNavigable(3), 3);
  EXPECT_EQ(cs.PriorNavigable(0), 0);

  g.skipReadOnly = true;
  g.Col(0)->SetReadOnly(true);
  g.Col(2)->SetReadOnly(true);
  EXPECT_EQ(cs.FirstNavigable(), 1);
  EXPECT_EQ(cs.LastNavigable(), 3);
  EXPECT_EQ(cs.NextNavigable(1), 3);
  EXPECT_EQ(cs.PriorNavigable(3), 1);
  EXPECT_EQ(cs.PriorNavigable(1), 1);

  for (int i = 0; i < 4; ++i) g.Col(i)->SetReadOnly(true);
  EXPECT_EQ(cs.FirstNavigable(), 3);  // the last column
  EXPECT_EQ(cs.LastNavigable(), 0);
  EXPECT_EQ(cs.NextNavigable(2), 2);
  EXPECT_EQ(cs.PriorNavigable(2), 2);
}

TEST(Columns, CollectionChangeClampsFixedCountAndTheCurrentColumn) {
  TestGrid g;
  for (int i = 0; i < 3; ++i) g.Add();
  g.SetFixedCount(5);
  EXPECT_EQ(g.FixedCount(), 2);  // at least one column scrolls
  g.skipReadOnly = true;
  g.current = 2;
  g.Col(2)->SetReadOnly(true);
  g.Col(2)->Changed(true);
  EXPECT_EQ(g.current, 1);  // beyond LastNavigable: moved onto it
  g.Col(2)->SetVisible(false);
  EXPECT_EQ(g.FixedCount(), 1);
  EXPECT_CONSISTENT(g);
}

TEST(ChangePaths, ItemTitleAndFooterRepaintTheirPartOfTheStrip) {
  TestGrid g;
  g.Add();
  TestColumn* c = g.Add();
  g.Footers().Add();
  g.ClearEffects();
  c->SetColor(0xFF);
  c->Title().SetCaption("Price");
  c->Footer().SetValue(0, "42");
  EXPECT_EQ(g.Repaints(), (std::vector<TwRepaintArea>{{TwRepaintArea::Strip, 1},
                                                      {TwRepaintArea::StripHeader, 1},
                                                      {TwRepaintArea::StripFooter, 1}}));

  // Unchanged values, hidden columns, the paint lock, loading and collection updates repaint nothing.
  g.ClearEffects();
  c->SetColor(0xFF);
  c->Footer().SetValue(0, "42");
  g.LockPaint();
  c->SetColor(0xFE);
  g.UnlockPaint();
  g.Columns().BeginUpdate();
  c->SetColor(0xFD);
  g.Columns().EndUpdate();  // one collection change: the grid
  EXPECT_EQ(g.Repaints(), (std::vector<TwRepaintArea>{{TwRepaintArea::Grid}}));
  g.ClearEffects();
  g.State().Include(plat::ComponentStateFlag::Loading);
  c->SetColor(0x1);
  c->Title().SetCaption("x");
  EXPECT_TRUE(g.Repaints().empty());
}

TEST(ChangePaths, AtDesignTimeTitlesNotifyTheirColumn) {
  TestGrid g;
  g.Add();
  g.State().Include(plat::ComponentStateFlag::Designing);
  g.ClearEffects();
  g.Col(0)->Title().SetCaption("A");
  EXPECT_EQ(g.Repaints(), (std::vector<TwRepaintArea>{{TwRepaintArea::Strip, 0}}));
}

TEST(ChangePaths, WidthChangeRelaysOutAndReportsTheOldWidth) {
  TestGrid g;
  TestColumn* c = g.Add();
  int old = 0;
  TwColumn* seen = nullptr;
  g.OnColumnWidthChange = [&](QObject*, TwColumn* col, int w) {
    seen = col;
    old = w;
  };
  g.ClearEffects();
  c->SetWidth(80);
  EXPECT_EQ(seen, c);
  EXPECT_EQ(old, 64);
  EXPECT_EQ(g.Effects(), (std::vector<TwGridEffect>{{TwGridEffect::ScrollBars, {}},
                                                    {TwGridEffect::Layout, {}},
                                                    {TwGridEffect::Repaint, {TwRepaintArea::Grid}}}));
  g.ClearEffects();
  c->SetWidth(80);
  EXPECT_TRUE(g.Effects().empty());
  // Group mode reports and keeps the group width of a column without a group.
  g.Groups().Add();
  g.SetGroupMode(true);
  EXPECT_EQ(c->Width(), 64);
  c->SetWidth(100);
  EXPECT_EQ(c->GrpWidth(), 64);
  EXPECT_EQ(c->ColWidth(), 80);
}

TEST(ColumnFooter, StoresTextsPerFooterRowAndRejectsOtherRows) {
  TestGrid g;
  TestColumn* c = g.Add();
  g.Footers().Add();
  g.Footers().Add();
  c->Footer().SetValue(1, "x");
  EXPECT_EQ(c->Footer().Values().size(), 2u);
  EXPECT_EQ(c->Footer().GetValue(0), "");
  EXPECT_EQ(c->Footer().GetText(1), "x");
  EXPECT_EQ(c->Footer().GetValue(9), "");
  EXPECT_FALSE(c->Footer().ShowsRow(1));
  try {
    c->Footer().SetValue(2, "y");
    FAIL() << "no error";
  } catch (const plat::Exception& e) {
    EXPECT_STREQ(e.what(), "Bound Error in TwColumnFooter.SetValues(2)");
  }
}

TEST(DrawInfo, ColumnModeLinesClipAndFixedColumns) {
  TestGrid g;
  for (int i = 0; i < 3; ++i) g.Add();
  g.Footers().Add();
  g.SetClientHeight(300);
  g.SetFixedCount(1);
  g.EndLines().SetVertColor(0x0000FF);
  g.Lines().SetVertColor(0x00FF00);
  const TwDrawInfo& fixed = g.Col(0)->DrawInfo();
  EXPECT_TRUE(g.Col(0)->Fixed());
  EXPECT_EQ(fixed.ClipLeft, 0);
  EXPECT_EQ(fixed.CellStyle, wcsRaised);
  EXPECT_EQ(fixed.VertLineColor, g.FixedStyle().Lines().VertColor());
  const TwDrawInfo& mid = g.Col(1)->DrawInfo();
  const int fixedRight = g.Indicators().Width() + g.Col(0)->ColWidth();
  EXPECT_EQ(mid.ClipLeft, fixedRight);
  EXPECT_EQ(mid.ClipBottom, 300 - g.Footers().Items(0)->Height());
  EXPECT_EQ(mid.CellStyle, wcsNormal);
  EXPECT_EQ(mid.VertLineColor, 0x00FF00u);
  EXPECT_EQ(mid.HorzLineColor, 0x808080u);
  EXPECT_EQ(mid.Margins[0], 1);
  EXPECT_EQ(g.Col(2)->DrawInfo().VertLineColor, 0x0000FFu);  // the last visible column ends the grid
  const TwDrawInfo& foot = g.Col(1)->Footer().DrawInfo();
  EXPECT_EQ(foot.ClipBottom, 300);
  EXPECT_EQ(foot.HorzLineWidth, 0);
  EXPECT_EQ(foot.VertLineWidth, 0);
  EXPECT_EQ(foot.CellStyle, wcsSunken);
  EXPECT_EQ(g.Col(1)->Title().DrawInfo().ClipLeft, fixedRight);
}

}  // namespace
