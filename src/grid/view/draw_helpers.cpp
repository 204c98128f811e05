#include "grid/view/draw_helpers.h"

#include <QApplication>
#include <QStyle>
#include <memory>

#include "platform/os/os.h"

using namespace plat::paint;

// --- the drawing unit's shared objects ----------------------------------------------------------------

namespace {

// An off-screen buffer that only grows; its canvas stays open between cells.
struct SharedBuffer {
  QImage image;
  TCanvas canvas;
  TCanvas& Grow(int w, int h) {
    if (w > image.width() || h > image.height() || !canvas.Active()) {
      canvas.End();
      image = QImage(Max(Max(w, image.width()), 1), Max(Max(h, image.height()), 1), QImage::Format_RGB32);
      canvas.Begin(&image);
    }
    canvas.ClearClip();
    return canvas;
  }
};

struct DrawUnit {
  int buttonWidth = 16;
  SharedBuffer cell, content;
  TImageList sortMarks{kSortMarkSize, kSortMarkSize};
  DrawUnit() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) && QApplication::style())
      buttonWidth = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    sortMarks.AddMasked(SortMarkBitmap(false), clOlive);
    sortMarks.AddMasked(SortMarkBitmap(true), clOlive);
  }
};

// Reference count starting at -1: the step to 0 creates the unit, the step back to -1 frees it.
int g_users = -1;
std::unique_ptr<DrawUnit> g_unit;

DrawUnit& Unit() {
  if (!g_unit) g_unit = std::make_unique<DrawUnit>();
  return *g_unit;
}

}  // namespace

void DrawUnitInitialize() {
  if (++g_users == 0) Unit();
}

void DrawUnitFinalize() {
  if (g_users < 0) return;
  if (--g_users < 0) g_unit.reset();
}

int ButtonWidth() {
  return Unit().buttonWidth;
}
TCanvas& CellBuffer(int width, int height) {
  return Unit().cell.Grow(width, height);
}
TCanvas& ContentBuffer(int width, int height) {
  return Unit().content.Grow(width, height);
}
const TImageList& SortMarkImages() {
  return Unit().sortMarks;
}

// --- small helpers --------------------------------------------------------------------------------------

void ErrorBeep() {
  plat::os::Beep();
}

bool RectsIntersect(const TRect& R1, const TRect& R2) {
  return !Intersect(R1, R2).IsEmpty();
}

int CalcTextHeight(TCanvas& DC, const TRect& Rect, std::string_view Text, unsigned Format) {
  return DC.TextHeight(Text, Rect, Format | DT_CALCRECT);
}

int GetTextWidth(TCanvas& DC, std::string_view Text) {
  return DC.TextWidth(Text);
}

int GetFontHeight(const TFont& Font) {
  return Font.Metrics().tmHeight;
}

int GetMinAveCharWidth(const TFont& Font) {
  return Min(DefaultFont().Metrics().tmAveCharWidth, Font.Metrics().tmAveCharWidth);
}

int GetMinMaxCharWidth(const TFont& Font) {
  return Min(DefaultFont().Metrics().tmMaxCharWidth, Font.Metrics().tmMaxCharWidth);
}

std::string ExtractItem(std::string_view Text, char Separator, int Index) {
  if (Index < 0) return {};
  std::size_t start = 0;
  for (int i = 0; i < Index; ++i) {
    const std::size_t p = Text.find(Separator, start);
    if (p == std::string_view::npos) return {};
    start = p + 1;
  }
  const std::size_t end = Text.find(Separator, start);
  return std::string(
      Text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

bool SameNearestColor(TCanvas&, TColor Color1, TColor Color2) {
  return ColorToRGB(Color1) == ColorToRGB(Color2);
}

void XorDottedLine(TCanvas& Canvas, TColor Color, int X1, int Y1, int X2, int Y2) {
  const TPen saved = Canvas.Pen;
  Canvas.Pen = TPen{Color, PenStyle::Dot, 1, PenMode::Xor};
  Canvas.MoveTo(X1, Y1);
  Canvas.LineTo(X2, Y2);
  Canvas.Pen = saved;
}

void XorBand(TCanvas& Canvas, int X, int Y1, int Y2, int Width, TColor Color) {
  const TPen saved = Canvas.Pen;
  Canvas.Pen = TPen{Color, PenStyle::Solid, 1, PenMode::Xor};
  for (int x = X; x < X + Width; ++x) {
    Canvas.MoveTo(x, Y1);
    Canvas.LineTo(x, Y2);
  }
  Canvas.Pen = saved;
}

// --- primitive drawers ----------------------------------------------------------------------------------

void DrawEdges(TCanvas& DC, const TRect& Rect, bool Raised, bool AllSides) {
  TRect r = Rect;
  DC.DrawEdge(r, Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER,
              BF_LEFT | BF_TOP | (AllSides ? BF_RIGHT | BF_BOTTOM : 0));
}

void DrawComboButton(TCanvas& DC, const TRect& Rect, bool Enabled, bool Pushed, bool Flat) {
  DC.DrawFrameControl(Rect, DFC_SCROLL,
                      DFCS_SCROLLCOMBOBOX | (Enabled ? 0 : DFCS_INACTIVE) | (Pushed ? DFCS_PUSHED : 0) |
                          (Flat ? DFCS_FLAT : 0));
}

void DrawSpinButtons(TCanvas& DC, const TRect& Rect, int PushedDir, bool Enabled, bool Flat) {
  const unsigned common = (Enabled ? 0 : DFCS_INACTIVE) | (Flat ? DFCS_FLAT : 0);
  // Split at half the height below the top (a rectangle that does not start at y = 0 keeps both halves).
  const int split = Rect.Top + Rect.Height() / 2;
  DC.DrawFrameControl(TRect{Rect.Left, Rect.Top, Rect.Right, split}, DFC_SCROLL,
                      DFCS_SCROLLUP | common | (PushedDir > 0 ? DFCS_PUSHED : 0));
  DC.DrawFrameControl(TRect{Rect.Left, split, Rect.Right, Rect.Bottom}, DFC_SCROLL,
                      DFCS_SCROLLDOWN | common | (PushedDir < 0 ? DFCS_PUSHED : 0));
}

void DrawEllipsisButton(TCanvas& DC, const TRect& Rect, bool Down) {
  TRect r = Rect;
  DC.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_MIDDLE | (Down ? BF_FLAT : 0));
  const int width = Rect.Width(), height = Rect.Height();
  const int w = Max(1, width / 7);
  const int h = Min(w, Max(1, height / 8));
  const int x0 = Rect.Left + (width - 5 * w) / 2 - (Down ? 0 : 1);
  const int y = Rect.Top + (height - h) / 2 + (Down ? 1 : 0);
  for (int i = 0; i < 3; ++i) DC.PatBlt(x0 + 1 + 2 * i * w, y, w, h, BLACKNESS);
}

namespace {
// The Windows alignment flag of a TAlignment.
unsigned AlignFormat(TAlignment a) {
  return a == taRightJustify ? DT_RIGHT : a == taCenter ? DT_CENTER : DT_LEFT;
}
}  // namespace

void DrawCheckBox(TCanvas& Canvas, const TRect& Rect, bool Checked, bool Grayed, TAlignment Alignment,
                  TTextLayout Layout, bool Flat, std::string_view Caption, bool Focused) {
  Canvas.FillRect(Rect);
  const int s = kCheckBoxSize;
  const int top = Layout == tlTop      ? Rect.Top
                  : Layout == tlCenter ? Rect.Top + (Rect.Height() - s) / 2
                                       : Rect.Bottom - s;
  const int left = Alignment == taLeftJustify    ? Rect.Left
                   : Alignment == taRightJustify ? Rect.Right - s
                                                 : Rect.Left + (Rect.Width() - s) / 2;
  const TRect box{left, top, left + s, top + s};
  Canvas.DrawFrameControl(box, DFC_BUTTON,
                          DFCS_BUTTONCHECK | (Flat ? DFCS_FLAT : 0) |
                              (Grayed    ? DFCS_INACTIVE
                               : Checked ? DFCS_CHECKED
                                         : 0));
  TRect caption{};
  if (Alignment == taLeftJustify)
    caption = TRect{box.Right + 2, box.Top, Rect.Right, box.Bottom};
  else if (Alignment == taRightJustify)
    caption = TRect{Rect.Left, box.Top, box.Left - 2, box.Bottom};
  if (Alignment != taCenter && !Caption.empty()) {
    const bool savedMode = Canvas.TransparentText;
    Canvas.TransparentText = true;
    TRect r = caption;
    Canvas.DrawText(Caption, r, DT_SINGLELINE | DT_VCENTER | AlignFormat(Alignment));
    Canvas.TransparentText = savedMode;
  }
  if (Focused) {
    TRect f{0, Max(Rect.Top + 1, box.Top - 1), 0, Min(Rect.Bottom - 1, box.Bottom + 1)};
    if (Alignment == taLeftJustify) {
      f.Left = caption.Left - 1;
      f.Right = caption.Right - 1;
    } else if (Alignment == taRightJustify) {
      f.Left = Rect.Left + 1;
      f.Right = box.Left - 1;
    } else {
      f.Left = Rect.Left + 1;
      f.Right = Rect.Right - 1;
    }
    Canvas.DrawFocusRect(f);
  }
}

void DrawBoolMark(TCanvas& Canvas, const TRect& Rect, bool Checked, bool Focused) {
  if (Checked) {
    const int bw = ButtonWidth();
    const int L = Rect.Left + (Rect.Width() - bw) / 2, T = Rect.Top + (Rect.Height() - bw) / 2;
    const TPen saved = Canvas.Pen;
    Canvas.Pen = TPen{Canvas.Font.Color(), PenStyle::Solid, 1, PenMode::Copy};
    for (int i = 0; i < 3; ++i) {
      const QPoint tick[3] = {QPoint(L + 5, T + 7 + i), QPoint(L + 7, T + 9 + i), QPoint(L + 12, T + 4 + i)};
      Canvas.Polyline(tick, 3);
    }
    Canvas.Pen = saved;
  }
  if (Focused) Canvas.DrawFocusRect(Inflate(Rect, -1, -1));
}

int GetRadioItemRect(TCanvas& Canvas, const TRect& Rect, const std::vector<std::string>& Items,
                     TTextLayout Layout, int Columns, int Index, TRect& ItemRect) {
  const int columns = Max(1, Columns);  // no columns would divide by zero: one column
  const int c = Max(GetFontHeight(Canvas.Font), kCheckBoxSize);
  const int count = int(Items.size());
  const int rows = (count + columns - 1) / columns;
  int top = Rect.Top;
  if (Layout == tlCenter)
    top = Rect.Top + (Rect.Height() - rows * c) / 2;
  else if (Layout == tlBottom)
    top = Rect.Bottom - rows * c;
  const int row = Index / columns, col = Index % columns;
  const int colWidth = Rect.Width() / columns;
  ItemRect =
      TRect{Rect.Left + col * colWidth, top + row * c, Rect.Left + (col + 1) * colWidth, top + (row + 1) * c};
  return row;
}

void DrawRadioItems(TCanvas& Canvas, const TRect& Rect, const std::vector<std::string>& Items, bool Flat,
                    bool Focused, TTextLayout Layout, int Columns, int ItemIndex) {
  Canvas.FillRect(Rect);
  const bool savedMode = Canvas.TransparentText;
  Canvas.TransparentText = true;
  const int count = int(Items.size());
  for (int i = 0; i < count; ++i) {
    TRect item;
    GetRadioItemRect(Canvas, Rect, Items, Layout, Columns, i, item);
    const TRect button{item.Left, item.Top, item.Left + kCheckBoxSize, item.Bottom};
    Canvas.DrawFrameControl(button, DFC_BUTTON,
                            DFCS_BUTTONRADIO | (i == ItemIndex ? DFCS_CHECKED : 0) |
                                (ItemIndex < 0 ? DFCS_INACTIVE : 0) | (Flat ? DFCS_FLAT : 0));
    TRect text{button.Right + 2, item.Top, item.Right, item.Bottom};
    TRect r = text;
    Canvas.DrawText(Items[std::size_t(i)], r, DT_SINGLELINE | DT_VCENTER);
    if (Focused && i == Max(ItemIndex, 0)) Canvas.DrawFocusRect(Inflate(text, 1, 1));
  }
  Canvas.TransparentText = savedMode;
}

void DrawTextInRect(TCanvas& Canvas, const TRect& Rect, std::string_view Text, bool WordWrap,
                    TwFitStyle FitStyle, TTextLayout Layout, TAlignment Alignment) {
  Canvas.FillRect(Rect);
  DrawTextOnBackground(Canvas, Rect, Text, WordWrap, FitStyle, Layout, Alignment);
}

void DrawTextOnBackground(TCanvas& Canvas, const TRect& Rect, std::string_view Text, bool WordWrap,
                          TwFitStyle FitStyle, TTextLayout Layout, TAlignment Alignment) {
  if (Text.empty()) return;
  unsigned format = AlignFormat(Alignment) | DT_EXPANDTABS | DT_NOPREFIX;
  if (FitStyle == wfitEnd)
    format |= DT_END_ELLIPSIS;
  else if (FitStyle == wfitPath)
    format |= DT_PATH_ELLIPSIS;
  if (WordWrap) format |= DT_WORDBREAK;
  TRect r = Rect;
  if (Layout != tlTop) {
    const int h = CalcTextHeight(Canvas, Rect, Text, format);
    if (Layout == tlCenter)
      r.Top += (Rect.Height() - h) / 2;
    else
      r.Top = r.Bottom - h;
  }
  const bool savedMode = Canvas.TransparentText;
  Canvas.TransparentText = true;
  Canvas.DrawText(Text, r, format);
  Canvas.TransparentText = savedMode;
}
