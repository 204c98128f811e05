// Appearance objects: inheriting properties and font mirroring, stored tests, assign, titles' pictures,
// the side columns' widths and glyphs, and the repaint areas their changes ask for.
#include <gtest/gtest.h>

#include "model_fixture.h"
#include "platform/error.h"

using namespace structtest;

namespace {

TwFont FontNamed(const char* name, int size = 10) {
  TwFont f;
  f.Name = name;
  f.Size = size;
  return f;
}

TEST(Inheritance, TitleAndFooterFollowTheColumnWhichFollowsTheGridUntilSetDirectly) {
  TestGrid g;
  TestColumn* c = g.Add();
  g.SetFont(FontNamed("Gulim"));
  EXPECT_EQ(c->Font().Name, "Gulim");
  EXPECT_EQ(c->Title().Font().Name, "Gulim");
  EXPECT_EQ(c->Footer().Font().Name, "Gulim");
  EXPECT_FALSE(c->Title().IsAssigned(wdvFont));  // mirroring does not assign

  c->SetFont(FontNamed("Dotum"));
  EXPECT_EQ(c->Title().Font().Name, "Dotum");
  EXPECT_EQ(c->Footer().Font().Name, "Dotum");

  c->Title().SetFont(FontNamed("Batang"));
  c->SetFont(FontNamed("Arial"));
  g.SetFont(FontNamed("Courier"));
  EXPECT_EQ(c->Title().Font().Name, "Batang");  // set once: stops following
  EXPECT_EQ(c->Footer().Font().Name, "Arial");
  EXPECT_EQ(c->Font().Name, "Arial");
  EXPECT_TRUE(c->Title().IsStored(wdvFont));
  EXPECT_FALSE(c->Footer().IsStored(wdvFont));
}

TEST(Inheritance, ColumnFooterTakesTextPlacementAndMarginsFromItsColumn) {
  TestGrid g;
  TestColumn* c = g.Add();
  c->numeric = true;
  EXPECT_EQ(c->Footer().Alignment(), taRightJustify);  // the numeric column's unassigned alignment
  c->SetMarginLeft(7);
  c->SetWordWrap(true);
  c->SetLayout(tlBottom);
  EXPECT_EQ(c->Footer().MarginLeft(), 7);
  EXPECT_EQ(c->Title().MarginLeft(), 7);
  EXPECT_TRUE(c->Footer().WordWrap());
  EXPECT_EQ(c->Footer().Layout(), tlBottom);
  // Own values win once set.
  c->Footer().SetAlignment(taLeftJustify);
  EXPECT_EQ(c->Footer().Alignment(), taLeftJustify);
  EXPECT_EQ(c->Footer().CellStyle(), wcsSunken);
  EXPECT_EQ(c->Title().CellStyle(), wcsRaised);
  EXPECT_TRUE(c->Title().WordWrap());
}

TEST(Inheritance, ValueEqualToTheDefaultSetsTheFlagButIsNotStored) {
  TestGrid g;
  TestColumn* c = g.Add();
  TwColumnTitle& t = c->Title();
  EXPECT_FALSE(t.IsAssigned(wdvColor));
  t.SetColor(0xFF00000F);  // equal to the default
  EXPECT_TRUE(t.IsAssigned(wdvColor));
  EXPECT_FALSE(t.IsStored(wdvColor));
  t.SetColor(0x00FF00);
  EXPECT_TRUE(t.IsStored(wdvColor));
  // The margin default is the column's margin: equal to it is not stored.
  t.SetMarginTop(1);
  EXPECT_FALSE(t.IsStored(wdvMarginTop));
  c->SetMarginTop(3);
  EXPECT_TRUE(t.IsStored(wdvMarginTop));
  EXPECT_FALSE(t.IsCellStyleStored());
  t.SetCellStyle(wcsNormal);
  EXPECT_TRUE(t.IsCellStyleStored());
}

TEST(Inheritance, AssignCopiesOnlyTheAssignedValuesAndAlwaysTheCellStyle) {
  TestGrid g;
  TestColumn* a = g.Add();
  TestColumn* b = g.Add();
  a->Title().SetColor(0x123456);
  a->Title().SetMarginRight(5);
  a->Title().SetCaption("Price");
  b->Title().SetCellStyle(wcsSunken);
  b->Title().Assign(a->Title());
  EXPECT_EQ(b->Title().Color(), 0x123456u);
  EXPECT_EQ(b->Title().CellStyle(), wcsRaised);
  EXPECT_EQ(b->Title().Caption(), "Price");
  // The margins travel as one rectangle when any of them is assigned.
  EXPECT_TRUE(b->Title().IsAssigned(wdvMarginLeft));
  EXPECT_EQ(b->Title().MarginRight(), 5);
  EXPECT_FALSE(b->Title().IsAssigned(wdvAlignment));
  EXPECT_FALSE(b->Title().IsAssigned(wdvFont));
}

TEST(Inheritance, NullFontIsIgnored) {
  TestGrid g;
  TestColumn* c = g.Add();
  c->Title().SetFont(static_cast<const TwFont*>(nullptr));
  EXPECT_FALSE(c->Title().IsAssigned(wdvFont));
}

TEST(Title, PictureSwitchesTheLayoutExceptWhileLoading) {
  TestGrid g;
  TestColumn* c = g.Add();
  QImage pic(4, 4, QImage::Format_RGB32);
  pic.fill(Qt::red);
  c->Title().SetImage(pic);
  EXPECT_EQ(c->Title().ImageLayout(), wimgLeft);
  c->Title().SetImageLayout(wimgTop);
  c->Title().SetImage(pic);
  EXPECT_EQ(c->Title().ImageLayout(), wimgTop);  // a layout other than none stays
  c->Title().SetImage(QImage());
  EXPECT_EQ(c->Title().ImageLayout(), wimgNone);

  g.State().Include(plat::ComponentStateFlag::Loading);
  c->Title().SetImage(pic);
  EXPECT_EQ(c->Title().ImageLayout(), wimgNone);
}

TEST(DrawObject, DrawInfoUsesStoredMarginsNotTheProviders) {
  TestGrid g;
  TestColumn* c = g.Add();
  c->SetMarginLeft(6);  // the title's default margin, but not stored in the title
  c->Title().SetFitStyle(wfitPath);
  const TwDrawInfo& d = c->Title().DrawInfo();
  EXPECT_EQ(d.Margins[0], 0);
  EXPECT_EQ(d.FitStyle, wfitPath);
  EXPECT_EQ(d.Alignment, taCenter);
  EXPECT_EQ(d.Layout, tlCenter);
  EXPECT_TRUE(d.WordWrap);
  EXPECT_EQ(d.CellStyle, wcsRaised);
  c->Title().SetPressed(true);
  EXPECT_EQ(c->Title().DrawInfo().CellStyle, wcsDown);
}

TEST(Lines, OwnersSetTheirDefaultsAndSettersNotifyOnlyOnChange) {
  TestGrid g;
  EXPECT_EQ(g.Lines().HorzColor(), 0x808080u);
  EXPECT_EQ(g.Lines().CellColor(), 0xC0C0C0u);
  EXPECT_EQ(g.Headers().Lines().CellColor(), 0u);
  EXPECT_EQ(g.FixedStyle().Lines().LevelColor(), 0u);
  EXPECT_EQ(g.Indicators().Lines().HorzColor(), 0u);
  int calls = 0;
  TwGridLinesEx l;
  l.OnChange = [&] { ++calls; };
  l.SetLevelWidth(1);
  EXPECT_EQ(calls, 0);
  l.SetLevelWidth(2);
  l.SetVertStyle(psDot);
  EXPECT_EQ(calls, 2);

  g.ClearEffects();
  g.Lines().SetVertWidth(3);
  g.EndLines().SetHorzColor(0xFF);
  g.FixedStyle().Lines().SetCellWidth(2);
  EXPECT_EQ(g.Repaints(), (std::vector<TwRepaintArea>{
                              {TwRepaintArea::Grid}, {TwRepaintArea::Grid}, {TwRepaintArea::Grid}}));
}

TEST(Indicators, WidthIsClampedByShowStateAndRelaysOutWhenVisible) {
  TestGrid g;
  TwIndicators& ind = g.Indicators();
  EXPECT_EQ(ind.Width(), 21);
  EXPECT_EQ(ind.Font().Name, "Arial");
  EXPECT_TRUE(ind.IsAssigned(wdvFont));
  g.ClearEffects();
  ind.SetWidth(5);
  EXPECT_EQ(ind.Width(), 13);
  EXPECT_EQ(g.Count(TwGridEffect::Layout), 1);
  ind.SetShowState(false);
  ind.SetWidth(5);
  EXPECT_EQ(ind.Width(), 5);
  ind.SetWidth(0);
  EXPECT_EQ(ind.Width(), 4);

  ind.SetVisible(false);
  g.ClearEffects();
  ind.SetWidth(30);
  EXPECT_EQ(g.Count(TwGridEffect::Layout), 0);

  g.State().Include(plat::ComponentStateFlag::Loading);
  ind.SetWidth(1);
  EXPECT_EQ(ind.Width(), 1);  // stored unchecked while loading
}

TEST(Indicators, SevenDistinctElevenPixelGlyphsWithATransparentMask) {
  TestGrid g;
  const TwImageList& gl = g.Indicators().Glyphs();
  ASSERT_EQ(gl.Count(), 7);
  EXPECT_EQ(gl.Width(), 11);
  EXPECT_EQ(gl.Height(), 11);
  for (int i = 0; i < 7; ++i) {
    const QImage& img = gl.Image(i);
    EXPECT_EQ(img.size(), QSize(11, 11));
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << "glyph " << i << ": the mask colour must be transparent";
    int opaque = 0;
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 11; ++x) opaque += qAlpha(img.pixel(x, y)) != 0;
    EXPECT_GT(opaque, 5) << "glyph " << i;
    for (int j = 0; j < i; ++j) EXPECT_NE(img, gl.Image(j)) << i << " and " << j << " look alike";
  }
}

TEST(SideColumns, ChangesRepaintTheirStripsUnlessLockedOrHidden) {
  TestGrid g;
  g.ClearEffects();
  g.Indicators().SetSelFgColor(0xFF);
  g.Indicators().Lines().SetVertColor(0xFF);
  EXPECT_EQ(g.Repaints(),
            (std::vector<TwRepaintArea>{{TwRepaintArea::Strip, -2}, {TwRepaintArea::Strip, -2}}));

  g.ClearEffects();
  g.Markers().SetStyle(wmsCheckBox);  // hidden markers repaint nothing
  EXPECT_TRUE(g.Repaints().empty());
  g.Markers().SetVisible(true);
  EXPECT_EQ(g.Count(TwGridEffect::ScrollBars), 1);
  g.ClearEffects();
  g.Markers().SetImageLayout(wimgLeft);  // not in the default style
  EXPECT_TRUE(g.Repaints().empty());
  g.Markers().SetStyle(wmsDefault);
  g.Markers().SetImageLayout(wimgRight);
  EXPECT_EQ(g.Repaints(),
            (std::vector<TwRepaintArea>{{TwRepaintArea::StripData, -1}, {TwRepaintArea::StripData, -1}}));

  g.ClearEffects();
  g.LockPaint();
  g.Indicators().SetShowRowNo(false);
  g.Markers().SetStyle(wmsBoolean);
  g.UnlockPaint();
  EXPECT_TRUE(g.Repaints().empty());

  // SelDown repaints only while the indicators are raised.
  g.Indicators().SetCellStyle(wcsNormal);
  g.ClearEffects();
  g.Indicators().SetSelDown(false);
  EXPECT_TRUE(g.Repaints().empty());
}

TEST(SideColumns, MarkerImagesAreObservedAndForgottenWhenFreed) {
  TestGrid g;
  g.Markers().SetVisible(true);
  auto list = std::make_unique<TwImageList>(11, 11);
  g.Markers().SetImages(list.get());
  g.ClearEffects();
  list->AddMasked(IndicatorGlyphImage(0), kIndicatorMaskColor);
  EXPECT_EQ(g.Repaints().size(), 1u);
  list.reset();
  EXPECT_EQ(g.Markers().Images(), nullptr);
}

TEST(SideColumns, AssignTakesOnlyTheirOwnKindsFields) {
  TestGrid a, b;
  a.Indicators().SetShowState(false);
  a.Indicators().SetWidth(9);
  a.Indicators().SetColor(0x111111);
  b.Indicators().Assign(a.Indicators());
  EXPECT_FALSE(b.Indicators().ShowState());
  EXPECT_EQ(b.Indicators().Width(), 9);
  EXPECT_FALSE(b.Indicators().IsAssigned(wdvColor));
}

TEST(FixedStyle, OnlyColumnColorOptionRepaintsAndOnlyWithFixedColumns) {
  TestGrid g;
  g.Add();
  g.Add();
  g.ClearEffects();
  g.FixedStyle().SetColor(0x00FF00);
  EXPECT_TRUE(g.Repaints().empty());  // no fixed columns
  g.SetFixedCount(1);
  g.ClearEffects();
  g.FixedStyle().SetOptions({wfxSizing});
  EXPECT_TRUE(g.Repaints().empty());
  g.FixedStyle().SetOptions({wfxSizing, wfxColumnColor});
  g.FixedStyle().SetSelBgColor(0xFF);
  EXPECT_EQ(g.Repaints(),
            (std::vector<TwRepaintArea>{{TwRepaintArea::FixedData, 0, 1}, {TwRepaintArea::FixedData, 0, 1}}));
}

}  // namespace
