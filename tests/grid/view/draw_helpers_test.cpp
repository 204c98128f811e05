// The small drawing helpers: measuring, XOR feedback lines, the unit's life cycle and the beep.
#include "grid/view/draw_helpers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>

#include "platform/os/os.h"

using namespace plat::paint;

TEST(DrawHelpers, ExtractItemFields) {
  EXPECT_EQ(ExtractItem("a;b;c", ';', 0), "a");
  EXPECT_EQ(ExtractItem("a;b;c", ';', 2), "c");
  EXPECT_EQ(ExtractItem("a;b;c", ';', 3), "");
  EXPECT_EQ(ExtractItem("a;;c", ';', 1), "");
  EXPECT_EQ(ExtractItem("하나|둘", '|', 1), "둘");
}

TEST(DrawHelpers, MeasuresFollowTheFont) {
  QImage img(10, 10, QImage::Format_RGB32);
  TCanvas c(&img);
  c.Font = TFont("Arial", -12);
  const int h = GetFontHeight(c.Font);
  EXPECT_EQ(CalcTextHeight(c, TRect{0, 0, 200, 0}, "one\ntwo", DT_LEFT), 2 * h);
  EXPECT_EQ(CalcTextHeight(c, TRect{0, 0, 200, 0}, "one two", DT_WORDBREAK), h);
  EXPECT_EQ(CalcTextHeight(c, TRect{0, 0, GetTextWidth(c, "one"), 0}, "one two", DT_WORDBREAK), 2 * h);
  EXPECT_GT(GetTextWidth(c, "가나다"), GetTextWidth(c, "가"));
  const TFont big("Arial", -40);
  EXPECT_EQ(GetMinAveCharWidth(big), DefaultFont().Metrics().tmAveCharWidth);
  EXPECT_EQ(GetMinMaxCharWidth(big), DefaultFont().Metrics().tmMaxCharWidth);
  const TFont tiny("Arial", -5);
  EXPECT_EQ(GetMinAveCharWidth(tiny), tiny.Metrics().tmAveCharWidth);
  EXPECT_TRUE(SameNearestColor(c, clBtnFace, clSilver));
  EXPECT_FALSE(SameNearestColor(c, clBtnFace, clWhite));
  EXPECT_TRUE(RectsIntersect(TRect{0, 0, 10, 10}, TRect{9, 9, 20, 20}));
  EXPECT_FALSE(RectsIntersect(TRect{0, 0, 10, 10}, TRect{10, 0, 20, 10}));
}

TEST(DrawHelpers, XorLinesDrawnTwiceLeaveNoTraceAndRestoreThePen) {
  QImage img(40, 30, QImage::Format_RGB32);
  img.fill(ToQRgb(clBtnFace));
  const QImage before = img.copy();
  TCanvas c(&img);
  c.Pen = TPen{clRed, PenStyle::Dash, 1, PenMode::Copy};
  XorDottedLine(c, clWhite, 2, 5, 38, 5);
  EXPECT_NE(img, before);
  XorDottedLine(c, clWhite, 2, 5, 38, 5);
  EXPECT_EQ(img, before);
  EXPECT_EQ(c.Pen.Color, clRed);
  EXPECT_EQ(c.Pen.Mode, PenMode::Copy);

  constexpr int X = 10, Width = 3, Y1 = 4, Y2 = 20;
  XorBand(c, X, Y1, Y2, Width, clWhite);
  for (int x = X - 1; x <= X + Width; ++x) {
    const bool inBand = x >= X && x < X + Width;
    EXPECT_EQ(img.pixel(x, Y1) != before.pixel(x, Y1), inBand) << x;
    EXPECT_EQ(img.pixel(x, Y2 - 1) != before.pixel(x, Y2 - 1), inBand) << x;
  }
  EXPECT_EQ(img.pixel(X, Y2), before.pixel(X, Y2)) << "the end row is not drawn";
  XorBand(c, X, Y1, Y2, Width, clWhite);
  EXPECT_EQ(img, before);
}

TEST(DrawHelpers, ButtonWidthIsTheStylesScrollBarExtentAndTheUnitCounts) {
  DrawUnitInitialize();
  EXPECT_EQ(ButtonWidth(), QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  DrawUnitInitialize();
  DrawUnitFinalize();
  EXPECT_EQ(SortMarkImages().Count(), 2);
  DrawUnitFinalize();
  DrawUnitFinalize();  // one too many does no harm
  EXPECT_EQ(SortMarkImages().Count(), 2) << "used again, the unit is created on demand";
}

TEST(DrawHelpers, ErrorBeepGoesThroughTheReplaceableBeep) {
  int beeps = 0;
  plat::os::SetBeepHandler([&] { ++beeps; });
  ErrorBeep();
  plat::os::SetBeepHandler({});
  EXPECT_EQ(beeps, 1);
}
