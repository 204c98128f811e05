// The painting layer on QImage pixels: colours, fonts, one-pixel lines and XOR, edges, frame controls,
// focus rectangles, text formats and ellipses, masks and the sort marks.
#include <gtest/gtest.h>

#include <QImage>

#include "platform/paint/canvas.h"
#include "platform/paint/image_list.h"

using namespace plat::paint;

namespace {

constexpr TColor kBack = clYellow;

struct Surface {
  QImage image;
  TCanvas canvas;
  Surface(int w, int h, TColor fill = kBack) : image(w, h, QImage::Format_RGB32) {
    image.fill(ToQRgb(fill));
    canvas.Begin(&image);
  }
  TColor At(int x, int y) const { return FromQRgb(image.pixel(x, y)); }
  // Bounding box of the pixels of colour c (empty when there are none).
  TRect BoxOf(TColor c, TRect within = {}) const {
    if (within.IsEmpty()) within = TRect{0, 0, image.width(), image.height()};
    TRect b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = within.Top; y < within.Bottom; ++y)
      for (int x = within.Left; x < within.Right; ++x)
        if (At(x, y) == ColorToRGB(c)) {
          b.Left = std::min(b.Left, x);
          b.Top = std::min(b.Top, y);
          b.Right = std::max(b.Right, x + 1);
          b.Bottom = std::max(b.Bottom, y + 1);
        }
    return b.Left == INT_MAX ? TRect{} : b;
  }
  int Count(TColor c, TRect within = {}) const {
    if (within.IsEmpty()) within = TRect{0, 0, image.width(), image.height()};
    int n = 0;
    for (int y = within.Top; y < within.Bottom; ++y)
      for (int x = within.Left; x < within.Right; ++x) n += At(x, y) == ColorToRGB(c);
    return n;
  }
};

}  // namespace

TEST(PaintColors, SystemColoursUseTheClassicPaletteAndNamedColoursKeepTheirBytes) {
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
  EXPECT_EQ(ColorToRGB(clBtnShadow), 0x808080u);
  EXPECT_EQ(ColorToRGB(clBtnHighlight), 0xFFFFFFu);
  EXPECT_EQ(ColorToRGB(clHighlight), 0x800000u);  // navy
  EXPECT_EQ(ColorToRGB(clWindowText), 0x000000u);
  EXPECT_EQ(ColorToRGB(clMoneyGreen), 0xC0DCC0u);
  // 0x00BBGGRR: red is the low byte.
  EXPECT_EQ(ToQRgb(clRed), qRgb(255, 0, 0));
  EXPECT_EQ(FromQRgb(qRgb(0x12, 0x34, 0x56)), 0x563412u);
}

TEST(PaintFonts, HeightRuleSubstitutionAndHangul) {
  const TFont character("Arial", -16);
  EXPECT_EQ(character.QtFont().pixelSize(), 16);
  const TFont cell("Arial", 20);
  EXPECT_NEAR(cell.Metrics().tmHeight, 20, 1);
  EXPECT_EQ(TFont("MS Sans Serif", -11).Size(), 8);
  TFont sized;
  sized.SetSize(8);
  EXPECT_EQ(sized.Height(), -11);
  EXPECT_NE(SubstituteFace("MS Sans Serif"), "MS Sans Serif");
  EXPECT_EQ(SubstituteFace("굴림"), "NanumGothic");
  EXPECT_GE(character.Metrics().tmMaxCharWidth, character.Metrics().tmAveCharWidth);

  // Hangul in a Latin face still renders glyphs (no empty boxes of nothing).
  Surface s(60, 30, clWhite);
  s.canvas.Font = TFont("MS Sans Serif", -16, 0, clBlack);
  s.canvas.TransparentText = true;
  TRect r{0, 0, 60, 30};
  s.canvas.DrawText("가나", r, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_GT(s.Count(clBlack), 20);
  EXPECT_GT(s.canvas.TextWidth("가나"), s.canvas.TextWidth("가"));
}

TEST(PaintLines, EndPointIsNotDrawnAndXorTwiceRestores) {
  Surface s(20, 10);
  s.canvas.Pen = TPen{clRed, PenStyle::Solid, 1, PenMode::Copy};
  s.canvas.MoveTo(2, 3);
  s.canvas.LineTo(10, 3);
  EXPECT_EQ(s.At(2, 3), ColorToRGB(clRed));
  EXPECT_EQ(s.At(9, 3), ColorToRGB(clRed));
  EXPECT_EQ(s.At(10, 3), ColorToRGB(kBack));

  const QImage before = s.image.copy();
  s.canvas.Pen = TPen{clWhite, PenStyle::Dot, 1, PenMode::Xor};
  for (int pass = 0; pass < 2; ++pass) {
    s.canvas.MoveTo(0, 5);
    s.canvas.LineTo(19, 5);
    if (pass == 0) {
      EXPECT_EQ(s.At(0, 5), ColorToRGB(kBack) ^ 0xFFFFFFu) << "XOR with white inverts";
      int gaps = 0;
      for (int x = 0; x < 19; ++x) gaps += s.At(x, 5) == ColorToRGB(kBack);
      EXPECT_GT(gaps, 0) << "a dotted line leaves gaps";
    }
  }
  EXPECT_EQ(s.image, before);
}

TEST(PaintEdges, RaisedIsLightTopLeftAndShadowBottomRight) {
  Surface s(10, 8);
  TRect r{1, 1, 9, 7};
  s.canvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
  const TColor hl = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow);
  EXPECT_EQ(s.At(1, 1), hl);
  EXPECT_EQ(s.At(1, 5), hl);
  EXPECT_EQ(s.At(7, 1), hl);
  EXPECT_EQ(s.At(8, 1), sh) << "top-right corner belongs to the shadow";
  EXPECT_EQ(s.At(1, 6), sh) << "bottom-left corner belongs to the shadow";
  EXPECT_EQ(s.At(8, 6), sh);
  EXPECT_EQ(s.At(9, 3), ColorToRGB(kBack)) << "right is exclusive";
  EXPECT_EQ(s.At(4, 7), ColorToRGB(kBack)) << "bottom is exclusive";
  EXPECT_EQ(s.At(4, 3), ColorToRGB(kBack)) << "no middle without BF_MIDDLE";

  Surface t(10, 8);
  TRect r2{0, 0, 10, 8};
  t.canvas.DrawEdge(r2, BDR_SUNKENOUTER, BF_LEFT | BF_TOP);
  EXPECT_EQ(t.At(0, 4), sh);
  EXPECT_EQ(t.At(4, 0), sh);
  EXPECT_EQ(t.At(9, 4), ColorToRGB(kBack)) << "only the sides asked for";

  Surface u(12, 12);
  TRect r3{0, 0, 12, 12};
  u.canvas.DrawEdge(r3, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  EXPECT_EQ(u.At(0, 5), ColorToRGB(cl3DLight));
  EXPECT_EQ(u.At(1, 5), hl);
  EXPECT_EQ(u.At(11, 5), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(u.At(10, 5), sh);
  EXPECT_EQ(u.At(5, 5), ColorToRGB(clBtnFace));
  EXPECT_EQ(r3, (TRect{2, 2, 10, 10}));

  Surface f(12, 12);
  TRect r4{0, 0, 12, 12};
  f.canvas.DrawEdge(r4, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_FLAT);
  EXPECT_EQ(f.At(0, 5), sh);
  EXPECT_EQ(f.At(11, 5), sh);
  EXPECT_EQ(f.At(1, 5), ColorToRGB(clBtnFace));
}

TEST(PaintFocusRect, DottedAndDrawnTwiceDisappears) {
  Surface s(16, 10);
  const QImage before = s.image.copy();
  const TRect r{2, 2, 14, 8};
  s.canvas.DrawFocusRect(r);
  int changed = 0, onOutline = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 16; ++x)
      if (s.image.pixel(x, y) != before.pixel(x, y)) {
        ++changed;
        const bool outline =
            (x == r.Left || x == r.Right - 1 || y == r.Top || y == r.Bottom - 1) && r.Contains(x, y);
        onOutline += outline;
      }
  EXPECT_GT(changed, 0);
  EXPECT_EQ(changed, onOutline) << "only the outline changes";
  EXPECT_NE(s.At(2, 2), s.At(3, 2)) << "dotted: neighbours alternate";
  s.canvas.DrawFocusRect(r);
  EXPECT_EQ(s.image, before);
}

TEST(PaintFrameControls, CheckRadioAndScrollArrows) {
  const TColor ink = ColorToRGB(clWindowText), window = ColorToRGB(clWindow), face = ColorToRGB(clBtnFace);
  Surface s(13, 13);
  s.canvas.DrawFrameControl(TRect{0, 0, 13, 13}, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  EXPECT_EQ(s.At(0, 0), ColorToRGB(clBtnShadow));
  EXPECT_GT(s.Count(ink, TRect{2, 2, 11, 11}), 10) << "a tick inside the box";
  EXPECT_GT(s.Count(window, TRect{2, 2, 11, 11}), 10);

  Surface g(13, 13);
  g.canvas.DrawFrameControl(TRect{0, 0, 13, 13}, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE);
  EXPECT_EQ(g.At(6, 6), face) << "an inactive box is filled with the face colour";

  Surface r(13, 13);
  r.canvas.DrawFrameControl(TRect{0, 0, 13, 13}, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
  EXPECT_EQ(r.At(6, 6), ink) << "the dot in the middle";
  EXPECT_EQ(r.At(0, 0), ColorToRGB(kBack)) << "round: the corners stay";

  Surface a(16, 16);
  a.canvas.DrawFrameControl(TRect{0, 0, 16, 16}, DFC_SCROLL, DFCS_SCROLLUP);
  const TRect up = a.BoxOf(ColorToRGB(clBtnText), TRect{2, 2, 14, 14});
  Surface d(16, 16);
  d.canvas.DrawFrameControl(TRect{0, 0, 16, 16}, DFC_SCROLL, DFCS_SCROLLDOWN);
  const TRect down = d.BoxOf(ColorToRGB(clBtnText), TRect{2, 2, 14, 14});
  ASSERT_FALSE(up.IsEmpty());
  EXPECT_EQ(up, down);
  // Up: the narrow row on top; down: at the bottom.
  EXPECT_EQ(a.Count(ink, TRect{2, up.Top, 14, up.Top + 1}), 1);
  EXPECT_EQ(d.Count(ink, TRect{2, down.Bottom - 1, 14, down.Bottom}), 1);

  Surface b(8, 8);
  b.canvas.PatBlt(2, 2, 3, 3, BLACKNESS);
  EXPECT_EQ(b.Count(clBlack), 9);
}

namespace {
// Columns [from, to) of two surfaces hold the same pixels.
bool SameColumns(const Surface& a, const Surface& b, int from, int to) {
  for (int y = 0; y < a.image.height(); ++y)
    for (int x = from; x < to; ++x)
      if (a.image.pixel(x, y) != b.image.pixel(x, y)) return false;
  return true;
}
}  // namespace

TEST(PaintText, AlignmentLinesAndCalcRect) {
  Surface s(100, 60, clWhite);
  s.canvas.Font = TFont("Arial", -12, 0, clBlack);
  s.canvas.TransparentText = true;
  const int lh = s.canvas.Font.Metrics().tmHeight;
  TRect calc{0, 0, 100, 0};
  EXPECT_EQ(s.canvas.DrawText("one\ntwo\nthree", calc, DT_CALCRECT), 3 * lh);
  EXPECT_EQ(calc.Bottom, 3 * lh);
  EXPECT_EQ(calc.Right, s.canvas.TextWidth("three"));
  TRect single{0, 0, 100, 0};
  EXPECT_EQ(s.canvas.DrawText("one\ntwo", single, DT_CALCRECT | DT_SINGLELINE), lh);
  TRect wrap{0, 0, s.canvas.TextWidth("word word") + 1, 0};
  EXPECT_EQ(s.canvas.DrawText("word word word", wrap, DT_CALCRECT | DT_WORDBREAK), 2 * lh);
  TRect prefix{0, 0, 100, 0};
  s.canvas.DrawText("&File", prefix, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(prefix.Right, s.canvas.TextWidth("File")) << "the mnemonic mark is not shown";
  TRect tabs{0, 0, 100, 0};
  s.canvas.DrawText("a\tb", tabs, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_EQ(tabs.Right, s.canvas.TextWidth("a       b")) << "a tab runs to the next stop of 8";

  // The mnemonic character is underlined; the same text without prefix processing shows the '&'.
  Surface m(60, 20, clWhite), plain(60, 20, clWhite);
  for (Surface* x : {&m, &plain}) {
    x->canvas.Font = TFont("Arial", -12, 0, clBlack);
    x->canvas.TransparentText = true;
  }
  TRect mr{0, 0, 60, 20}, pr{0, 0, 60, 20};
  m.canvas.DrawText("&xx", mr, DT_SINGLELINE);
  plain.canvas.DrawText("xx", pr, DT_SINGLELINE | DT_NOPREFIX);
  const int underline = m.canvas.Font.Metrics().tmAscent + 1;
  EXPECT_GT(m.Count(clBlack, TRect{0, underline, m.canvas.TextWidth("x"), underline + 1}), 0);
  EXPECT_EQ(m.Count(clBlack, TRect{m.canvas.TextWidth("x"), underline, 60, underline + 1}), 0);
  EXPECT_EQ(plain.Count(clBlack, TRect{0, underline, 60, underline + 1}), 0);

  TRect right{0, 0, 100, 20};
  s.canvas.DrawText("Ab", right, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
  const TRect ink = s.BoxOf(clBlack);
  EXPECT_GE(ink.Right, 100 - 2);
  EXPECT_LE(ink.Left, 100 - s.canvas.TextWidth("Ab") + 2);
  EXPECT_GE(ink.Top, (20 - lh) / 2);
}

TEST(PaintText, EndEllipsisKeepsTheStartPathEllipsisKeepsTheFileName) {
  const std::string path = "C:\\Documents\\Reports\\Quarterly\\summary.txt";
  const std::string tail = "\\summary.txt";
  auto draw = [&](Surface& s, unsigned format) {
    s.canvas.Font = TFont("Arial", -12, 0, clBlack);
    s.canvas.TransparentText = true;
    TRect r{0, 0, s.image.width(), s.image.height()};
    s.canvas.DrawText(path, r, format | DT_SINGLELINE | DT_NOPREFIX);
  };
  Surface probe(10, 10);
  probe.canvas.Font = TFont("Arial", -12, 0, clBlack);
  const int full = probe.canvas.TextWidth(path), tailWidth = probe.canvas.TextWidth(tail);
  const int width = full * 2 / 3;
  ASSERT_GT(width, tailWidth + probe.canvas.TextWidth("C:..."));

  Surface plainRight(width, 20, clWhite), pathRight(width, 20, clWhite);
  draw(plainRight, DT_RIGHT);
  draw(pathRight, DT_RIGHT | DT_PATH_ELLIPSIS);
  EXPECT_TRUE(SameColumns(plainRight, pathRight, width - tailWidth + 1, width))
      << "file name intact at the end";
  Surface plainLeft(width, 20, clWhite), pathLeft(width, 20, clWhite), endLeft(width, 20, clWhite);
  draw(plainLeft, DT_LEFT);
  draw(pathLeft, DT_LEFT | DT_PATH_ELLIPSIS);
  draw(endLeft, DT_LEFT | DT_END_ELLIPSIS);
  const int head = probe.canvas.TextWidth("C:\\");
  EXPECT_TRUE(SameColumns(plainLeft, pathLeft, 0, head)) << "the path starts as before";
  EXPECT_FALSE(SameColumns(plainRight, pathRight, 0, width)) << "the middle is shortened";
  EXPECT_TRUE(SameColumns(plainLeft, endLeft, 0, width / 2)) << "end ellipsis keeps the start";
  EXPECT_FALSE(SameColumns(plainLeft, endLeft, width / 2, width)) << "and replaces the end";

  TRect calc{0, 0, width, 0};
  probe.canvas.DrawText(path, calc, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_LE(calc.Width(), width);
  EXPECT_GT(calc.Width(), width - probe.canvas.TextWidth("WW..."));
}

TEST(PaintImages, MaskColourBecomesTransparentAndSortMarksHaveTheirShape) {
  QImage pic(4, 4, QImage::Format_RGB32);
  pic.fill(ToQRgb(clOlive));
  pic.setPixel(1, 1, ToQRgb(clRed));
  TImageList list(4, 4);
  EXPECT_EQ(list.AddMasked(pic, clOlive), 0);
  Surface s(4, 4);
  list.Draw(s.canvas, 0, 0, 0);
  EXPECT_EQ(s.At(0, 0), ColorToRGB(kBack));
  EXPECT_EQ(s.At(1, 1), ColorToRGB(clRed));

  for (bool desc : {false, true}) {
    const QImage m = SortMarkBitmap(desc);
    ASSERT_EQ(m.size(), QSize(kSortMarkSize, kSortMarkSize));
    int rows = 0, widest = 0, baseY = -1, apexY = -1;
    for (int y = 0; y < kSortMarkSize; ++y) {
      int n = 0, first = -1, last = -1;
      for (int x = 0; x < kSortMarkSize; ++x)
        if (FromQRgb(m.pixel(x, y)) != clOlive) {
          ++n;
          if (first < 0) first = x;
          last = x;
        }
      if (!n) continue;
      ++rows;
      EXPECT_EQ(FromQRgb(m.pixel(first, y)), clBlack) << "left slope black";
      if (n == 9) {
        baseY = y;
        EXPECT_EQ(FromQRgb(m.pixel(last, y)), clGray) << "base's rightmost pixel grey";
        EXPECT_EQ(FromQRgb(m.pixel(last - 1, y)), clBlack) << "base black";
      } else if (n > 1) {
        EXPECT_EQ(FromQRgb(m.pixel(last, y)), clGray) << "right slope grey";
      }
      if (n == 1) apexY = y;
      EXPECT_EQ(first + last, kSortMarkSize - 1) << "centred";
      widest = std::max(widest, n);
    }
    EXPECT_EQ(rows, 5);
    EXPECT_EQ(widest, 9);
    if (desc)
      EXPECT_LT(baseY, apexY) << "descending points down";
    else
      EXPECT_GT(baseY, apexY) << "ascending points up";
  }
}

// Text drawn again is drawn from glyphs the font shaped once and kept (the first time by
// QPainter::drawText); the pixels are those QPainter::drawText gives for the same text at the same baseline
// each time, before and after the kept texts were cleared, and for an underlined font (always drawn by
// QPainter::drawText).
TEST(PaintText, KeptGlyphsDrawWhatQPainterDraws) {
  const std::string texts[] = {"Ab 12", "고객명단_2023.xlsx", "D:\\업무자료\\2023년", "x"};
  for (const std::uint8_t style : {std::uint8_t(0), std::uint8_t(kFontBold | kFontUnderline)}) {
    const TFont font("굴림", -12, style, clBlack);
    for (int pass = 0; pass < 2; ++pass) {
      for (const std::string& text : texts) {
        Surface qt(160, 20, clWhite);
        qt.canvas.Painter().setFont(font.QtFont());
        qt.canvas.Painter().setPen(Qt::black);
        qt.canvas.Painter().drawText(QPoint(3, 2 + font.Metrics().tmAscent), QString::fromStdString(text));
        for (int time = 0; time < 3; ++time) {
          Surface ours(160, 20, clWhite);
          ours.canvas.Font = font;
          ours.canvas.TextOut(3, 2, text);
          EXPECT_EQ(ours.image, qt.image)
              << text << " style " << int(style) << " pass " << pass << " time " << time;
        }
        EXPECT_GT(qt.Count(clBlack), 0) << text;
        EXPECT_EQ(font.GlyphRuns(QString::fromStdString(text)).isEmpty(), style != 0) << text;
      }
      // More texts than the font keeps: the kept ones are dropped, and the next pass shapes them again.
      for (int i = 0; i < 5000; ++i) font.Advance(QString::number(i));
    }
  }
}
