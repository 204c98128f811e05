// The mask edit base: the edit rectangle from layout, margins and button area, checked on the painted
// text line; a button area a descendant paints; the input mask; Esc undoing masked input; AutoSelect.
#include <QKeyEvent>

#include "editor_fixture.h"
#include "grid/editors/custom_mask_edit.h"
#include "grid/view/draw_helpers.h"

using namespace editortest;
using plat::paint::TRect;

namespace {

// Resizes the edit so that its client area is `clientHeight` pixels high.
void SetClientHeight(TwCustomMaskEdit* e, int width, int clientHeight) {
  e->resize(width, clientHeight);
  e->resize(width, clientHeight + (e->height() - e->ClientHeight()));
}

// Rows and columns (widget coordinates) that hold dark pixels.
struct Ink {
  int top = INT32_MAX, bottom = -1, left = INT32_MAX, right = -1;
};
Ink InkOf(const QImage& img, const QRect& area) {
  Ink ink;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (qGray(img.pixel(x, y)) < 100) {
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
      }
  return ink;
}

class ButtonEdit : public TwCustomMaskEdit {
 public:
  using TwCustomMaskEdit::TwCustomMaskEdit;
  void GetButtonRect(TRect& Rect) const override {
    const TRect c = ClientRect();
    Rect = TRect{c.Width() - ButtonWidth(), 0, c.Width(), c.Height()};
  }
  void DrawButton(plat::paint::TCanvas& DC, const TRect& Rect) override { DC.FillRect(Rect, clRed); }
};

class EscWatcher : public QWidget {
 public:
  int escapes = 0;
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Escape) ++escapes;
  }
};

}  // namespace

TEST(MaskEditRect, ACentredLineInAFortyPixelClientOfAThirteenPixelFontStartsAtThirteen) {
  Host<TwCustomMaskEdit> h;
  TwCustomMaskEdit* e = h.control;
  e->SetFont(plat::paint::TFont("MS Sans Serif", 13));
  ASSERT_EQ(GetFontHeight(e->Font()), 13);
  SetClientHeight(e, 120, 40);
  ASSERT_EQ(e->ClientHeight(), 40);
  e->SetLayout(tlCenter);
  TRect r;
  e->GetEditRect(r);
  EXPECT_EQ(r.Top, 13);
  EXPECT_EQ(r.Bottom, 26);
}

TEST(MaskEditRect, LayoutAndMarginsPlaceThePaintedTextLine) {
  Host<TwCustomMaskEdit> h;
  TwCustomMaskEdit* e = h.control;
  SetClientHeight(e, 140, 60);
  e->SetText("888");
  e->SetMargins(TwEditMargins{6, 4, 3, 5});
  const int fontHeight = GetFontHeight(e->Font());
  const TRect client = e->ClientRect();
  for (TTextLayout layout : {tlTop, tlCenter, tlBottom}) {
    e->SetLayout(layout);
    TRect r;
    e->GetEditRect(r);
    const int expectedTop = layout == tlTop      ? 4
                            : layout == tlCenter ? (client.Height() - fontHeight) / 2
                                                 : client.Height() - 5 - fontHeight;
    EXPECT_EQ(r.Top, expectedTop) << int(layout);
    EXPECT_EQ(r.Bottom, expectedTop + fontHeight);
    EXPECT_EQ(r.Left, 6);
    EXPECT_EQ(r.Right, client.Width() - 3) << "no button: the right edge less the margin";
    const Ink ink = InkOf(h.Grab(), QRect(client.Left, client.Top, client.Width(), client.Height()));
    ASSERT_GE(ink.bottom, 0) << "the text is painted";
    EXPECT_GE(ink.top, client.Top + r.Top) << int(layout);
    EXPECT_LT(ink.bottom, client.Top + r.Bottom) << int(layout);
    EXPECT_GE(ink.left, client.Left + r.Left);
  }
}

TEST(MaskEditRect, AlignmentMovesTheTextInsideTheEditRectangle) {
  Host<TwCustomMaskEdit> h;
  TwCustomMaskEdit* e = h.control;
  SetClientHeight(e, 160, 24);
  e->SetText("88");
  const TRect client = e->ClientRect();
  const QRect area(client.Left, client.Top, client.Width(), client.Height());
  const Ink left = InkOf(h.Grab(), area);
  e->SetAlignment(taRightJustify);
  const Ink right = InkOf(h.Grab(), area);
  e->SetAlignment(taCenter);
  const Ink centre = InkOf(h.Grab(), area);
  EXPECT_LT(left.right, client.Left + client.Width() / 2);
  EXPECT_GT(right.left, client.Left + client.Width() / 2);
  EXPECT_GT(centre.left, left.left);
  EXPECT_LT(centre.right, right.right);
}

TEST(MaskEditButton, ADescendantsButtonAreaIsPaintedAndKeptFreeOfText) {
  Host<ButtonEdit> h;
  ButtonEdit* e = h.control;
  SetClientHeight(e, 120, 24);
  e->UpdateEditRect();
  e->SetMargins(TwEditMargins{0, 0, 2, 0});
  e->SetText(std::string(60, 'W'));
  TRect b, r;
  e->GetButtonRect(b);
  e->GetEditRect(r);
  EXPECT_EQ(r.Right, b.Left - 2);
  const TRect client = e->ClientRect();
  const QImage img = h.Grab();
  const QRgb red = plat::paint::ToQRgb(clRed);
  for (int y = b.Top; y < b.Bottom; ++y)
    for (int x = b.Left; x < b.Right; ++x)
      ASSERT_EQ(img.pixel(client.Left + x, client.Top + y), red) << x << "," << y;
  const Ink ink = InkOf(img, QRect(client.Left, client.Top, b.Left, client.Height()));
  ASSERT_GE(ink.right, 0);
  EXPECT_LT(ink.right, client.Left + r.Right) << "the text stops at the edit rectangle";
  // The pointer is an arrow over the button and the text cursor elsewhere.
  QTest::mouseMove(e, QPoint(client.Left + b.Left + 2, client.Top + 4));
  EXPECT_EQ(e->cursor().shape(), Qt::ArrowCursor);
  QTest::mouseMove(e, QPoint(client.Left + 4, client.Top + 4));
  EXPECT_EQ(e->cursor().shape(), Qt::IBeamCursor);
  // The base class reserves nothing.
  TwCustomMaskEdit plain;
  plain.resize(100, 24);
  TRect pb;
  plain.GetButtonRect(pb);
  EXPECT_TRUE(pb.IsEmpty());
  EXPECT_EQ(pb.Left, plain.ClientRect().Width());
}

TEST(MaskEditMask, QtsMaskSyntaxFiltersTypingAndEscUndoesMaskedInput) {
  EscWatcher parent;
  parent.resize(200, 60);
  auto* e = new TwCustomMaskEdit(&parent);
  auto* other = new QLineEdit(&parent);
  other->move(0, 30);
  parent.show();
  parent.activateWindow();
  QApplication::setActiveWindow(&parent);
  e->SetEditMask("000-00;_");
  e->SetText("111-11");
  e->setFocus(Qt::OtherFocusReason);
  e->setCursorPosition(0);
  QTest::keyClicks(e, "12ab345");
  EXPECT_EQ(e->Text(), "123-45");
  EXPECT_TRUE(e->Modified());
  QTest::keyClick(e, Qt::Key_Escape);
  EXPECT_EQ(e->Text(), "111-11") << "Esc brings back the text on entering";
  EXPECT_FALSE(e->Modified());
  EXPECT_EQ(parent.escapes, 0) << "the edit kept the Esc";
  // Unmodified, or without a mask, Esc belongs to the window.
  QTest::keyClick(e, Qt::Key_Escape);
  EXPECT_EQ(parent.escapes, 1);
  e->SetEditMask("");
  QTest::keyClicks(e, "x");
  QTest::keyClick(e, Qt::Key_Escape);
  EXPECT_EQ(parent.escapes, 2);
}

TEST(MaskEditFocus, AutoSelectSelectsEverythingWhenEnteredByKeyboard) {
  Host<TwCustomMaskEdit> h;
  TwCustomMaskEdit* e = h.control;
  e->SetText("hello");
  e->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(e->selectedText(), "hello");
  h.Leave();
  e->SetAutoSelect(false);
  e->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(e->selectedText(), "");
}
