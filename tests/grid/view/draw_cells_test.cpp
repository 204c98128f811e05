// The cell routines on QImage pixels: which pixels the grid lines own, wide lines, the cell styles'
// content offset, buttons, check boxes, radio items, sort marks and the clip at ClipLeft / ClipBottom.
#include <gtest/gtest.h>

#include <QImage>

#include "grid/view/draw_helpers.h"

using namespace plat::paint;

namespace {

constexpr TColor kBack = clYellow;
constexpr TColor kInk = clRed;  // text colour: the only red pixels are glyphs

struct Target {
  QImage image;
  TCanvas canvas;
  Target(int w, int h, TColor fill = clAqua) : image(w, h, QImage::Format_RGB32) {
    image.fill(ToQRgb(fill));
    canvas.Begin(&image);
    canvas.Brush.Color = kBack;
    canvas.Font = TFont("굴림", -12, 0, kInk);
  }
  TColor At(int x, int y) const { return FromQRgb(image.pixel(x, y)); }
  TRect BoxOf(TColor c) const {
    TRect b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (At(x, y) == ColorToRGB(c)) {
          b = TRect{std::min(b.Left, x), std::min(b.Top, y), std::max(b.Right, x + 1),
                    std::max(b.Bottom, y + 1)};
        }
    return b.Left == INT_MAX ? TRect{} : b;
  }
  int Count(TColor c, const TRect& r) const {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += At(x, y) == ColorToRGB(c);
    return n;
  }
};

TwDrawInfo Lines(int width, TColor vert, TColor horz, TPenStyle style = psSolid) {
  TwDrawInfo p;
  p.VertLineWidth = p.HorzLineWidth = width;
  p.VertLineColor = vert;
  p.HorzLineColor = horz;
  p.VertLineStyle = p.HorzLineStyle = style;
  return p;
}

}  // namespace

TEST(DrawCellLines, OnePixelLinesTakeTheLastColumnAndRowAndTheCornerIsTheRightLines) {
  constexpr int W = 20, H = 10;
  Target t(W, H);
  DrawEmptyCell(t.canvas, TRect{0, 0, W, H}, Lines(1, clBlue, clLime));
  EXPECT_EQ(t.At(W - 1, 0), clBlue);
  EXPECT_EQ(t.At(W - 1, H - 1), clBlue) << "bottom-right pixel belongs to the right line";
  EXPECT_EQ(t.At(0, H - 1), clLime);
  EXPECT_EQ(t.At(W - 2, H - 1), clLime);
  EXPECT_EQ(t.At(W - 2, H - 2), kBack);
  EXPECT_EQ(t.Count(clBlue, TRect{0, 0, W, H}), H);
  EXPECT_EQ(t.Count(clLime, TRect{0, 0, W, H}), W - 1);
}

TEST(DrawCellLines, WideLinesAreSolidBandsWhateverThePenStyle) {
  constexpr int W = 20, H = 12, Wide = 3;
  Target t(W, H);
  DrawEmptyCell(t.canvas, TRect{0, 0, W, H}, Lines(Wide, clBlue, clLime, psDot));
  EXPECT_EQ(t.Count(clBlue, TRect{W - Wide, 0, W, H}), Wide * H);
  EXPECT_EQ(t.Count(clLime, TRect{0, H - Wide, W - Wide, H}), Wide * (W - Wide));
  EXPECT_EQ(t.At(W - Wide - 1, H - Wide - 1), kBack);

  Target dotted(W, H);
  DrawEmptyCell(dotted.canvas, TRect{0, 0, W, H}, Lines(1, clBlue, clLime, psDot));
  EXPECT_LT(dotted.Count(clBlue, TRect{W - 1, 0, W, H}), H) << "a one-pixel line keeps its style";
  EXPECT_GT(dotted.Count(clBlue, TRect{W - 1, 0, W, H}), 0);
}

TEST(DrawCellStyles, DownShiftsTheContentAndShadowsOnlyLeftAndTop) {
  constexpr int W = 80, H = 21;
  TwDrawInfo p;
  Target normal(W, H), down(W, H);
  DrawTextCell(normal.canvas, TRect{0, 0, W, H}, "가A", p);
  p.CellStyle = wcsDown;
  DrawTextCell(down.canvas, TRect{0, 0, W, H}, "가A", p);
  const TRect a = normal.BoxOf(kInk), b = down.BoxOf(kInk);
  ASSERT_FALSE(a.IsEmpty());
  EXPECT_EQ(b.Left, a.Left + 2);
  EXPECT_EQ(b.Top, a.Top + 1);
  EXPECT_EQ(b.Width(), a.Width());
  EXPECT_EQ(down.At(0, H / 2), ColorToRGB(clBtnShadow));
  EXPECT_EQ(down.At(W / 2, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(down.At(W - 1, H / 2), kBack) << "no edge on the right";
  EXPECT_EQ(down.At(W / 2, H - 1), kBack) << "no edge at the bottom";

  Target raised(W, H);
  p.CellStyle = wcsRaised;
  DrawTextCell(raised.canvas, TRect{0, 0, W, H}, "가A", p);
  EXPECT_EQ(raised.At(0, H / 2), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(raised.At(W - 1, H / 2), ColorToRGB(clBtnShadow));
  EXPECT_EQ(raised.BoxOf(kInk).Left, a.Left + 1);
}

TEST(DrawCellContent, EmptyContentDrawsOnlyBackgroundLinesAndButtons) {
  const int W = ButtonWidth() + 6, H = 21;
  TwDrawInfo p = Lines(1, clBlue, clBlue);
  p.Margins[0] = 6;  // the margin eats what the button leaves
  Target t(W, H);
  DrawTextCell(t.canvas, TRect{0, 0, W, H}, "가나다", p, {TwCellButton::Combo});
  EXPECT_TRUE(t.BoxOf(kInk).IsEmpty());
  EXPECT_EQ(t.At(0, 0), kBack);
  EXPECT_EQ(t.At(W - 2, H / 2), ColorToRGB(cl3DDkShadow)) << "the combo button's right edge";
}

TEST(DrawCellButtons, EllipsisButtonShowsThreeEqualSquaresAndTheFocusLeavesIt) {
  const int W = 90, H = 21, bw = ButtonWidth();
  TwDrawInfo p;
  p.Focused = true;
  Target t(W, H, clBlack);
  t.canvas.Brush.Color = clWhite;
  DrawEmptyCell(t.canvas, TRect{0, 0, W, H}, p, {TwCellButton::None, TwCellEllipsis::Drawn});
  const TRect button{W - bw, 0, W, H};
  // The squares' row: the middle black run of the button's middle.
  const int side = Max(1, bw / 7);
  const int y = H / 2;
  std::vector<std::pair<int, int>> runs;  // start, length
  for (int x = button.Left + 2; x < button.Right - 2; ++x)
    if (t.At(x, y) == clBlack) {
      if (!runs.empty() && runs.back().first + runs.back().second == x)
        ++runs.back().second;
      else
        runs.push_back({x, 1});
    }
  ASSERT_EQ(runs.size(), 3u);
  for (const auto& r : runs) EXPECT_EQ(r.second, side);
  EXPECT_EQ(runs[1].first - runs[0].first, 2 * side);
  EXPECT_EQ(runs[2].first - runs[1].first, 2 * side);
  EXPECT_EQ(t.Count(clBlack, TRect{button.Left + 2, 2, button.Right - 2, H - 2}),
            3 * side * Min(side, Max(1, H / 8)));
  // The focus rectangle ends left of the button: the button's left edge stays the 3-D light colour.
  EXPECT_EQ(t.At(button.Left, H / 2), ColorToRGB(cl3DLight));
  EXPECT_NE(t.At(0, 0), clWhite) << "focus rectangle on the frame";
}

TEST(DrawCellButtons, SpinButtonsSplitAtHalfTheirOwnHeight) {
  const int bw = 16, top = 40, h = 20;
  Target t(bw, top + h + 10);
  DrawSpinButtons(t.canvas, TRect{0, top, bw, top + h}, 1, true, false);
  // Each half is a button with its own dark bottom edge; the upper one ends at top + h / 2.
  EXPECT_EQ(t.At(bw / 2, top + h / 2 - 1), ColorToRGB(clBtnHighlight))
      << "pushed up button: sunken, light bottom";
  EXPECT_EQ(t.At(bw / 2, top + h / 2), ColorToRGB(cl3DLight)) << "the down button starts at the split";
  EXPECT_EQ(t.At(0, top), ColorToRGB(clBtnShadow)) << "the up button starts at the rectangle's top";
  EXPECT_EQ(t.At(bw / 2, top + h - 1), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(t.At(bw / 2, top - 1), clAqua) << "nothing above the rectangle";
}

TEST(DrawCheckCells, BoxPlacedByAlignmentAndLayout) {
  constexpr int W = 60, H = 30, Box = kCheckBoxSize;
  struct Case {
    TAlignment a;
    TTextLayout l;
    int left, top;
  } cases[] = {{taLeftJustify, tlTop, 0, 0},
               {taRightJustify, tlBottom, W - Box, H - Box},
               {taCenter, tlCenter, (W - Box) / 2, (H - Box) / 2}};
  for (const Case& c : cases) {
    TwDrawInfo p;
    p.Alignment = c.a;
    p.Layout = c.l;
    Target t(W, H);
    DrawCheckCell(t.canvas, TRect{0, 0, W, H}, false, false, "", p, false);
    // The sunken box's outer top-left line is the button shadow.
    const TRect shadow = t.BoxOf(clBtnShadow);
    EXPECT_EQ(shadow.Left, c.left) << int(c.a);
    EXPECT_EQ(shadow.Top, c.top) << int(c.l);
    EXPECT_EQ(t.At(c.left + Box - 1, c.top + Box - 1), ColorToRGB(clBtnHighlight));
  }
}

TEST(DrawCheckCells, CaptionBesideTheBoxAndGrayedShowsNoCheck) {
  constexpr int W = 80, H = 21, Box = kCheckBoxSize;
  TwDrawInfo p;
  p.Layout = tlCenter;
  Target left(W, H);
  DrawCheckCell(left.canvas, TRect{0, 0, W, H}, true, false, "선택", p, false);
  EXPECT_GE(left.BoxOf(kInk).Left, Box + 2);
  p.Alignment = taRightJustify;
  Target right(W, H);
  DrawCheckCell(right.canvas, TRect{0, 0, W, H}, true, false, "선택", p, false);
  EXPECT_LE(right.BoxOf(kInk).Right, W - Box - 2);

  const int top = (H - Box) / 2;
  const TRect inside{2, top + 2, Box - 2, top + Box - 2};
  Target checked(W, H), grayed(W, H);
  p.Alignment = taLeftJustify;
  DrawCheckCell(checked.canvas, TRect{0, 0, W, H}, true, false, "", p, false);
  DrawCheckCell(grayed.canvas, TRect{0, 0, W, H}, true, true, "", p, false);
  EXPECT_GT(checked.Count(clWindowText, inside), 0);
  EXPECT_EQ(grayed.Count(clWindowText, inside), 0);
  EXPECT_EQ(grayed.Count(clGrayText, inside), 0);
}

TEST(DrawCheckBoxFocus, FocusRectangleSpansTheCaptionShiftedTowardsTheBox) {
  constexpr int W = 80, H = 21, Box = kCheckBoxSize;
  Target plain(W, H), focused(W, H);
  const TRect r{0, 0, W, H};
  DrawCheckBox(plain.canvas, r, false, false, taLeftJustify, tlCenter, false, "", false);
  DrawCheckBox(focused.canvas, r, false, false, taLeftJustify, tlCenter, false, "", true);
  const int boxTop = (H - Box) / 2;
  TRect changed{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (plain.image.pixel(x, y) != focused.image.pixel(x, y))
        changed = TRect{std::min(changed.Left, x), std::min(changed.Top, y), std::max(changed.Right, x + 1),
                        std::max(changed.Bottom, y + 1)};
  EXPECT_EQ(changed.Left, Box + 1);
  EXPECT_EQ(changed.Top, boxTop - 1);
  EXPECT_LE(changed.Right, W - 1);
  EXPECT_EQ(changed.Bottom, boxTop + Box + 1);
}

TEST(DrawRadio, ItemRectsByRowsColumnsAndLayout) {
  Target t(120, 100);
  const std::vector<std::string> items = {"a", "b", "c", "d", "e"};
  const int c = Max(GetFontHeight(t.canvas.Font), kCheckBoxSize);
  const TRect r{10, 0, 130, 100};
  TRect item;
  EXPECT_EQ(GetRadioItemRect(t.canvas, r, items, tlTop, 2, 3, item), 1);
  EXPECT_EQ(item, (TRect{10 + 60, c, 10 + 120, 2 * c}));
  GetRadioItemRect(t.canvas, r, items, tlBottom, 2, 4, item);
  EXPECT_EQ(item.Bottom, r.Bottom);
  GetRadioItemRect(t.canvas, r, items, tlCenter, 2, 0, item);
  EXPECT_EQ(item.Top, (r.Height() - 3 * c) / 2);
  EXPECT_EQ(GetRadioItemRect(t.canvas, r, items, tlTop, 0, 4, item), 4) << "no columns counts as one";
}

TEST(DrawRadio, NoItemChosenDrawsEveryButtonInactiveAndFocusesTheFirst) {
  constexpr int W = 150, H = 30;
  const std::vector<std::string> items = {"하나", "둘", "셋"};
  const TRect r{0, 0, W, H};
  Target none(W, H), chosen(W, H), unfocused(W, H);
  DrawRadioItems(none.canvas, r, items, false, true, tlCenter, 3, -1);
  DrawRadioItems(chosen.canvas, r, items, false, false, tlCenter, 3, 1);
  DrawRadioItems(unfocused.canvas, r, items, false, false, tlCenter, 3, -1);
  for (int i = 0; i < 3; ++i) {
    TRect item;
    GetRadioItemRect(none.canvas, r, items, tlCenter, 3, i, item);
    const TRect inner{item.Left + 4, item.Top + (item.Height() - kCheckBoxSize) / 2 + 4, item.Left + 9,
                      item.Top + (item.Height() - kCheckBoxSize) / 2 + 9};
    EXPECT_GT(none.Count(clBtnFace, inner), 0) << "inactive button " << i;
    EXPECT_EQ(chosen.Count(clBtnFace, inner), 0);
    EXPECT_EQ(chosen.Count(clWindowText, inner) > 0, i == 1) << "only the chosen item has a dot";
    // The focus rectangle: around item 0's text, inflated by 1.
    const int textLeft = item.Left + kCheckBoxSize + 2 - 1;
    const bool differs = none.image.copy(textLeft, item.Top - 1 < 0 ? 0 : item.Top - 1, 2, 2) !=
                         unfocused.image.copy(textLeft, item.Top - 1 < 0 ? 0 : item.Top - 1, 2, 2);
    EXPECT_EQ(differs, i == 0) << "item " << i;
  }
}

TEST(DrawBool, TickInTheFontColourCentredOnAButtonSquare) {
  constexpr int W = 40, H = 24;
  const int bw = ButtonWidth();
  Target t(W, H);
  DrawBoolCell(t.canvas, TRect{0, 0, W, H}, true, TwDrawInfo{});
  const int L = (W - bw) / 2, T = (H - bw) / 2;
  EXPECT_EQ(t.At(L + 5, T + 7), kInk);
  EXPECT_EQ(t.At(L + 7, T + 9 + 2), kInk);
  EXPECT_EQ(t.At(L + 11, T + 5), kInk);
  EXPECT_EQ(t.At(L + 12, T + 4), kBack) << "the last point of a polyline is not drawn";
  Target off(W, H);
  DrawBoolCell(off.canvas, TRect{0, 0, W, H}, false, TwDrawInfo{});
  EXPECT_TRUE(off.BoxOf(kInk).IsEmpty());
}

TEST(DrawSortTitle, DescendingMarkCentredInTheRightmostStrip) {
  constexpr int W = 90, H = 21;
  Target t(W, H);
  DrawSortTitleCell(t.canvas, TRect{0, 0, W, H}, "", TwDrawInfo{}, -1, wimgNone, nullptr);
  const QImage mark = SortMarkBitmap(true);
  const int x0 = W - kSortMarkStrip + (kSortMarkStrip - kSortMarkSize) / 2, y0 = (H - kSortMarkSize) / 2;
  for (int y = 0; y < kSortMarkSize; ++y)
    for (int x = 0; x < kSortMarkSize; ++x) {
      const TColor want = FromQRgb(mark.pixel(x, y)) == clOlive ? kBack : FromQRgb(mark.pixel(x, y));
      ASSERT_EQ(t.At(x0 + x, y0 + y), want) << x << "," << y;
    }
  EXPECT_EQ(t.Count(clBlack, TRect{0, 0, W - kSortMarkStrip, H}), 0);

  Target asc(W, H);
  TwDrawInfo p;
  p.Alignment = taRightJustify;
  DrawSortTitleCell(asc.canvas, TRect{0, 0, W, H}, "이름", p, 1, wimgNone, nullptr);
  EXPECT_LE(asc.BoxOf(kInk).Right, W - kSortMarkStrip) << "the text keeps out of the strip";
  EXPECT_EQ(asc.At(x0 + kSortMarkSize / 2, y0 + (kSortMarkSize - 5) / 2), clBlack) << "ascending apex on top";
}

TEST(DrawImages, PictureTextAndListImageGaps) {
  constexpr int W = 100, H = 24, Pic = 10;
  QImage pic(Pic, Pic, QImage::Format_RGB32);
  pic.fill(ToQRgb(clFuchsia));
  pic.setPixel(Pic - 1, 0, ToQRgb(clNavy));
  TwDrawInfo p;
  Target t(W, H);
  DrawImageTextCell(t.canvas, TRect{0, 0, W, H}, "가", p, wimgLeft, &pic);
  EXPECT_EQ(t.Count(clFuchsia, TRect{0, 0, W, H}), 0) << "the bottom-left colour is transparent";
  EXPECT_EQ(t.At(Pic - 1, (H - Pic) / 2), clNavy) << "left, vertically centred";
  EXPECT_GE(t.BoxOf(kInk).Left, Pic);

  TImageList list(Pic, Pic);
  list.AddMasked(pic, clFuchsia);
  Target l(W, H);
  DrawListImageCell(l.canvas, TRect{0, 0, W, H}, "가", &list, 0, wimgRight, p);
  EXPECT_EQ(l.At(W - 1, (H - Pic) / 2), clNavy);
  EXPECT_LE(l.BoxOf(kInk).Right, W - Pic - 2);
  Target out(W, H);
  DrawListImageCell(out.canvas, TRect{0, 0, W, H}, "가", &list, 5, wimgRight, p);
  EXPECT_TRUE(out.BoxOf(clNavy).IsEmpty()) << "an index outside the list draws text only";
  EXPECT_FALSE(out.BoxOf(kInk).IsEmpty());
}

TEST(BlitCell, CutAtClipLeftAndClipBottom) {
  constexpr int W = 60, H = 20, X = 10, Clip = 25;
  Target t(100, 40, clAqua);
  TwDrawInfo p = Lines(1, clBlue, clBlue);
  p.ClipLeft = Clip;
  p.ClipBottom = 15;
  DrawTextCell(t.canvas, TRect{X, 0, X + W, H}, "가나다라마바사", p);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < Clip; ++x) ASSERT_EQ(t.At(x, y), clAqua) << x << "," << y;
  EXPECT_EQ(t.At(Clip, 0), kBack);
  EXPECT_EQ(t.At(X + W - 1, 14), clBlue);
  EXPECT_EQ(t.At(X + W - 1, 15), clAqua) << "nothing at or below ClipBottom";

  // The part right of the clip is the same as an unclipped cell's.
  Target whole(100, 40, clAqua);
  TwDrawInfo q = p;
  q.ClipLeft = 0;
  q.ClipBottom = 0;  // cleared: no clipping
  DrawTextCell(whole.canvas, TRect{X, 0, X + W, H}, "가나다라마바사", q);
  EXPECT_EQ(whole.At(X + W - 1, H - 1), clBlue);
  for (int y = 0; y < 15; ++y)
    for (int x = Clip; x < X + W; ++x) ASSERT_EQ(t.At(x, y), whole.At(x, y)) << x << "," << y;

  // A cell is drawn in place within the canvas's own clip, which it leaves as it found it with the brush
  // and pen; a focused cell is drawn aside and copied, cut the same way.
  for (const bool focused : {false, true}) {
    Target c(100, 40, clAqua);
    c.canvas.SetClipRect(TRect{0, 0, 50, 40});
    c.canvas.Pen.Color = clLime;
    TwDrawInfo f = p;
    f.Focused = focused;
    DrawTextCell(c.canvas, TRect{X, 0, X + W, H}, "가나다라마바사", f);
    EXPECT_EQ(c.canvas.ClipRect(), (TRect{0, 0, 50, 40}));
    EXPECT_EQ(c.canvas.Brush.Color, kBack);
    EXPECT_EQ(c.canvas.Pen.Color, clLime);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 100; ++x) {
        if (x < Clip || x >= 50 || y >= 15) {
          ASSERT_EQ(c.At(x, y), clAqua) << x << "," << y << (focused ? " focused" : "");
        } else if (!focused) {
          ASSERT_EQ(c.At(x, y), t.At(x, y)) << x << "," << y;
        }
      }
    }
  }
}

TEST(DrawTextInRect, LayoutPlacesTheMeasuredBlockAndWrapBreaksLines) {
  constexpr int W = 60, H = 60;
  const TRect r{0, 0, W, H};
  auto inkOf = [&](TTextLayout layout, bool wrap, std::string_view text) {
    Target t(W, H);
    DrawTextInRect(t.canvas, r, text, wrap, wfitNone, layout, taLeftJustify);
    return t.BoxOf(kInk);
  };
  Target probe(1, 1);
  const int lh = GetFontHeight(probe.canvas.Font);
  const TRect top = inkOf(tlTop, false, "가나"), centre = inkOf(tlCenter, false, "가나"),
              bottom = inkOf(tlBottom, false, "가나");
  EXPECT_EQ(centre.Top - top.Top, (H - lh) / 2);
  EXPECT_EQ(bottom.Top - top.Top, H - lh);
  const TRect oneLine = inkOf(tlTop, false, "가나다 라마바 사아자");
  const TRect wrapped = inkOf(tlTop, true, "가나다 라마바 사아자");
  EXPECT_GT(oneLine.Right, W - 2) << "without wrap the text runs off the cell";
  EXPECT_GE(wrapped.Bottom - wrapped.Top, lh + 1) << "wrapped onto more lines";
  EXPECT_LE(wrapped.Right, W);
}

TEST(DrawStretchPicture, StretchCoversTheContentElseThePictureKeepsItsSize) {
  constexpr int W = 40, H = 20, Pic = 4;
  QImage pic(Pic, Pic, QImage::Format_RGB32);
  pic.fill(ToQRgb(clNavy));
  TwDrawInfo p;
  p.Margins[0] = 3;
  Target stretched(W, H), natural(W, H);
  DrawStretchPictureCell(stretched.canvas, TRect{0, 0, W, H}, &pic, p, false, true);
  DrawStretchPictureCell(natural.canvas, TRect{0, 0, W, H}, &pic, p, false, false);
  EXPECT_EQ(stretched.BoxOf(clNavy), (TRect{3, 0, W, H}));
  EXPECT_EQ(natural.BoxOf(clNavy), (TRect{3, 0, 3 + Pic, Pic}));
}
