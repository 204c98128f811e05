// The cell routines: every cell is drawn in the same five steps (see draw_helpers.h) by RunCell, which
// takes the content drawer of the routine as a callable.
#include "grid/view/draw_helpers.h"

using namespace plat::paint;

namespace {

struct CellParts {
  TRect frame;    // inside the grid lines: where the edges and the focus rectangle go
  TRect content;  // inside the style inset, the buttons and the margins
  bool ellipsisShown = false;
};

// The right line first, then the bottom line, so that the bottom-right pixel belongs to the right line.
void DrawCellLines(TCanvas& c, TRect& r, const TwDrawInfo& p) {
  if (p.VertLineWidth == 1) {
    --r.Right;
    c.Pen = TPen{p.VertLineColor, PenStyle(p.VertLineStyle), 1, PenMode::Copy};
    c.MoveTo(r.Right, r.Top);
    c.LineTo(r.Right, r.Bottom);
  } else if (p.VertLineWidth > 1) {
    c.FillRect(TRect{r.Right - p.VertLineWidth, r.Top, r.Right, r.Bottom}, p.VertLineColor);
    r.Right -= p.VertLineWidth;
  }
  if (p.HorzLineWidth == 1) {
    --r.Bottom;
    c.Pen = TPen{p.HorzLineColor, PenStyle(p.HorzLineStyle), 1, PenMode::Copy};
    c.MoveTo(r.Left, r.Bottom);
    c.LineTo(r.Right, r.Bottom);
  } else if (p.HorzLineWidth > 1) {
    c.FillRect(TRect{r.Left, r.Bottom - p.HorzLineWidth, r.Right, r.Bottom}, p.HorzLineColor);
    r.Bottom -= p.HorzLineWidth;
  }
}

// Steps 1 and 2 on the canvas the cell is drawn on, over rect: background, lines, style inset, buttons
// and margins.
void PrepareCell(TCanvas& cell, TColor background, const TRect& rect, const TwDrawInfo& p,
                 TwCellButtons buttons, CellParts& out) {
  TRect r = rect;
  cell.FillRect(r, background);
  DrawCellLines(cell, r, p);
  out.frame = r;
  switch (p.CellStyle) {
    case wcsRaised:
    case wcsSunken:
      r = Inflate(r, -1, -1);
      break;
    case wcsDown:  // the content looks pressed
      r.Left += 2;
      r.Top += 1;
      break;
    default:
      break;
  }
  const int bw = ButtonWidth();
  out.ellipsisShown = false;
  if (buttons.Ellipsis != TwCellEllipsis::None) {
    const TRect button{r.Right - bw, r.Top, r.Right, r.Bottom};
    r.Right -= bw;
    if (buttons.Ellipsis == TwCellEllipsis::Drawn) {
      DrawEllipsisButton(cell, button, false);
      out.ellipsisShown = true;
    }
  }
  if (buttons.Button != TwCellButton::None) {
    const TRect button{r.Right - bw, r.Top, r.Right, r.Bottom};
    r.Right -= bw;
    if (buttons.Button == TwCellButton::Spin)
      DrawSpinButtons(cell, button, 0, true, false);
    else
      DrawComboButton(cell, button, true, false, false);
  }
  r.Left += p.Margins[0];
  r.Top += p.Margins[1];
  r.Right -= p.Margins[2];
  r.Bottom -= p.Margins[3];
  out.content = r;
}

// Step 4: edges by cell style, then the focus rectangle.
void DrawCellFrame(TCanvas& cell, const CellParts& parts, const TwDrawInfo& p) {
  switch (p.CellStyle) {
    case wcsRaised:
      DrawEdges(cell, parts.frame, true, true);
      break;
    case wcsSunken:
      DrawEdges(cell, parts.frame, false, true);
      break;
    case wcsUp:
      DrawEdges(cell, parts.frame, true, false);
      break;
    case wcsDown:
      DrawEdges(cell, parts.frame, false, false);
      break;
    default:
      break;
  }
  if (p.Focused) {
    cell.Brush.Color = clWhite;
    TRect f = parts.frame;
    if (parts.ellipsisShown) f.Right -= ButtonWidth();
    cell.DrawFocusRect(f);
  }
}

// The part of the cell that is shown: cut at ClipLeft and (when set) ClipBottom.
TRect ShownPart(const TRect& rect, const TwDrawInfo& p) {
  TRect shown = rect;
  shown.Left = Max(shown.Left, p.ClipLeft);
  if (p.ClipBottom > 0) shown.Bottom = Min(shown.Bottom, p.ClipBottom);  // 0 (a cleared record): no cut
  return shown;
}

// The canvas's clip narrowed to r for the life of the scope, with the brush, pen and background mode the
// cell's drawing changes; all restored at its end.
class CellScope {
 public:
  CellScope(TCanvas& c, const TRect& r)
      : c_(c),
        hadClip_(c.HasClip()),
        clip_(c.ClipRect()),
        brush_(c.Brush),
        pen_(c.Pen),
        transparent_(c.TransparentText) {
    shown_ = hadClip_ ? Intersect(clip_, r) : r;
    if (!shown_.IsEmpty()) c.SetClipRect(shown_);
  }
  ~CellScope() {
    if (!shown_.IsEmpty()) {
      if (hadClip_)
        c_.SetClipRect(clip_);
      else
        c_.ClearClip();
    }
    c_.Brush = brush_;
    c_.Pen = pen_;
    c_.TransparentText = transparent_;
  }
  CellScope(const CellScope&) = delete;
  CellScope& operator=(const CellScope&) = delete;
  bool Empty() const { return shown_.IsEmpty(); }

 private:
  TCanvas& c_;
  bool hadClip_;
  TRect clip_, shown_;
  TBrush brush_;
  TPen pen_;
  bool transparent_;
};

// How a routine draws its content: none, into the content buffer (at (0, 0), then copied), or straight
// onto the cell's canvas with the clip narrowed to the content rectangle.
enum class ContentMode { None, Buffered, Direct };

template <class F>
void DrawContent(TCanvas& cell, const CellParts& parts, const TBrush& brush, const TFont& font,
                 ContentMode mode, F&& content) {
  if (mode == ContentMode::None || parts.content.IsEmpty()) return;
  if (mode == ContentMode::Direct) {
    CellScope inner(cell, parts.content);
    if (inner.Empty()) return;
    cell.Brush = brush;
    cell.Font.Assign(font);
    content(cell, parts.content);
    return;
  }
  const int w = parts.content.Width(), h = parts.content.Height();
  TCanvas& c = ContentBuffer(w, h);
  c.Brush = brush;
  c.Font.Assign(font);
  c.TransparentText = false;
  content(c, TRect{0, 0, w, h});
  cell.CopyRect(parts.content.Left, parts.content.Top, *c.Image(), TRect{0, 0, w, h});
}

// The five steps; content(canvas, rect) draws the content. A cell without focus is drawn in place on the
// target under a clip of its shown part; a focused one, whose focus rectangle inverts pixels, is drawn in
// the cell buffer and copied.
template <class F>
void RunCell(TCanvas& target, const TRect& rect, const TwDrawInfo& p, TwCellButtons buttons, ContentMode mode,
             F&& content) {
  if (rect.IsEmpty()) return;
  const TRect shown = ShownPart(rect, p);
  if (shown.IsEmpty()) return;
  CellParts parts;
  if (!p.Focused) {
    const TBrush brush = target.Brush;
    CellScope scope(target, shown);
    if (scope.Empty()) return;
    PrepareCell(target, brush.Color, rect, p, buttons, parts);
    DrawContent(target, parts, brush, target.Font, mode, content);
    DrawCellFrame(target, parts, p);
    return;
  }
  TCanvas& cell = CellBuffer(rect.Width(), rect.Height());
  PrepareCell(cell, target.Brush.Color, TRect{0, 0, rect.Width(), rect.Height()}, p, buttons, parts);
  DrawContent(cell, parts, target.Brush, target.Font, mode, content);
  DrawCellFrame(cell, parts, p);
  const TRect src{shown.Left - rect.Left, shown.Top - rect.Top, shown.Right - rect.Left,
                  shown.Bottom - rect.Top};
  target.CopyRect(shown.Left, shown.Top, *cell.Image(), src);
}

// The picture with its bottom-left pixel's colour made transparent; the last one is kept, so a column of
// the same picture masks it once.
const QImage& TransparentPicture(const QImage& pic) {
  if (pic.hasAlphaChannel() || pic.isNull()) return pic;
  static qint64 key = 0;
  static QImage masked;
  if (key != pic.cacheKey() || masked.isNull()) {
    masked = MaskedCopy(pic, FromQRgb(pic.pixel(0, pic.height() - 1)));
    key = pic.cacheKey();
  }
  return masked;
}

void PlaceImage(TCanvas& c, const TRect& area, const QImage& img, TAlignment a, TTextLayout l) {
  const int x = a == taLeftJustify    ? area.Left
                : a == taRightJustify ? area.Right - img.width()
                                      : area.Left + (area.Width() - img.width()) / 2;
  const int y = l == tlTop      ? area.Top
                : l == tlBottom ? area.Bottom - img.height()
                                : area.Top + (area.Height() - img.height()) / 2;
  c.Draw(x, y, img);
}

// Picture (already masked) and text in area by image layout; the text keeps gapX/gapY more pixels away.
void ImageAndText(TCanvas& c, const TRect& area, std::string_view text, const TwDrawInfo& p,
                  TwImageLayout layout, const QImage& img, int gapX, int gapY) {
  const int pw = img.width(), ph = img.height();
  TRect textRect = area;
  int x = area.Left, y = area.Top;
  switch (layout) {
    case wimgRight:
      x = area.Right - pw;
      y = area.Top + (area.Height() - ph) / 2;
      textRect.Right -= pw + gapX;
      break;
    case wimgTop:
      x = area.Left + (area.Width() - pw) / 2;
      textRect.Top += ph + gapY;
      break;
    case wimgBottom:
      x = area.Left + (area.Width() - pw) / 2;
      y = area.Bottom - ph;
      textRect.Bottom -= ph + gapY;
      break;
    default:  // wimgLeft
      y = area.Top + (area.Height() - ph) / 2;
      textRect.Left += pw + gapX;
      break;
  }
  c.FillRect(area);
  if (!textRect.IsEmpty()) DrawTextInRect(c, textRect, text, p.WordWrap, p.FitStyle, p.Layout, p.Alignment);
  c.Draw(x, y, img);
}

bool NoPicture(const QImage* pic) {
  return !pic || pic->isNull();
}

}  // namespace

void DrawTextCell(TCanvas& Canvas, const TRect& Rect, std::string_view Text, const TwDrawInfo& Params,
                  TwCellButtons Buttons) {
  // Drawn in place, the content lies on the background the cell's first step filled with the same brush.
  RunCell(Canvas, Rect, Params, Buttons, Text.empty() ? ContentMode::None : ContentMode::Direct,
          [&](TCanvas& c, const TRect& r) {
            DrawTextOnBackground(c, r, Text, Params.WordWrap, Params.FitStyle, Params.Layout,
                                 Params.Alignment);
          });
}

void DrawEmptyCell(TCanvas& Canvas, const TRect& Rect, const TwDrawInfo& Params, TwCellButtons Buttons) {
  RunCell(Canvas, Rect, Params, Buttons, ContentMode::None, [](TCanvas&, const TRect&) {});
}

void DrawImageTextCell(TCanvas& Canvas, const TRect& Rect, std::string_view Text, const TwDrawInfo& Params,
                       TwImageLayout ImageLayout, const QImage* Picture) {
  if (NoPicture(Picture) || ImageLayout == wimgNone) return DrawTextCell(Canvas, Rect, Text, Params);
  if (ImageLayout == wimgAlone || Text.empty()) return DrawPictureCell(Canvas, Rect, Picture, Params, true);
  const QImage& img = TransparentPicture(*Picture);
  RunCell(Canvas, Rect, Params, {}, ContentMode::Buffered,
          [&](TCanvas& c, const TRect& r) { ImageAndText(c, r, Text, Params, ImageLayout, img, 0, 0); });
}

void DrawSortTitleCell(TCanvas& Canvas, const TRect& Rect, std::string_view Text, const TwDrawInfo& Params,
                       int SortDir, TwImageLayout ImageLayout, const QImage* Picture) {
  if (SortDir == 0) return DrawImageTextCell(Canvas, Rect, Text, Params, ImageLayout, Picture);
  RunCell(Canvas, Rect, Params, {}, ContentMode::Buffered, [&](TCanvas& c, const TRect& r) {
    c.FillRect(r);
    const TRect strip{Max(r.Left, r.Right - kSortMarkStrip), r.Top, r.Right, r.Bottom};
    const TRect rest{r.Left, r.Top, strip.Left, r.Bottom};
    if (!rest.IsEmpty()) {
      if (NoPicture(Picture)) {
        DrawTextInRect(c, rest, Text, Params.WordWrap, Params.FitStyle, Params.Layout, Params.Alignment);
      } else if (ImageLayout == wimgNone || ImageLayout == wimgAlone) {
        const QImage& img = TransparentPicture(*Picture);
        DrawTextInRect(c, rest, Text, Params.WordWrap, Params.FitStyle, Params.Layout, Params.Alignment);
        c.Draw(rest.Left + (rest.Width() - img.width()) / 2, rest.Top, img);
      } else {
        ImageAndText(c, rest, Text, Params, ImageLayout, TransparentPicture(*Picture), 0, 0);
      }
    }
    const TImageList& marks = SortMarkImages();
    marks.Draw(c, strip.Left + (kSortMarkStrip - marks.Width()) / 2,
               strip.Top + (strip.Height() - marks.Height()) / 2, SortDir > 0 ? 0 : 1);
  });
}

void DrawListImageCell(TCanvas& Canvas, const TRect& Rect, std::string_view Text, const QImage* Image,
                       TwImageLayout ImageLayout, const TwDrawInfo& Params, TwCellButtons Buttons) {
  if (NoPicture(Image) || ImageLayout == wimgNone) return DrawTextCell(Canvas, Rect, Text, Params);
  if (ImageLayout == wimgAlone || Text.empty()) return DrawListImageOnlyCell(Canvas, Rect, Image, Params);
  RunCell(Canvas, Rect, Params, Buttons, ContentMode::Buffered,
          [&](TCanvas& c, const TRect& r) { ImageAndText(c, r, Text, Params, ImageLayout, *Image, 2, 1); });
}

void DrawListImageOnlyCell(TCanvas& Canvas, const TRect& Rect, const QImage* Image,
                           const TwDrawInfo& Params) {
  RunCell(Canvas, Rect, Params, {}, ContentMode::Buffered, [&](TCanvas& c, const TRect& r) {
    c.FillRect(r);
    if (!NoPicture(Image)) PlaceImage(c, r, *Image, Params.Alignment, Params.Layout);
  });
}

void DrawPictureCell(TCanvas& Canvas, const TRect& Rect, const QImage* Picture, const TwDrawInfo& Params,
                     bool Transparent) {
  RunCell(Canvas, Rect, Params, {}, ContentMode::Buffered, [&](TCanvas& c, const TRect& r) {
    c.FillRect(r);
    if (!NoPicture(Picture))
      PlaceImage(c, r, Transparent ? TransparentPicture(*Picture) : *Picture, Params.Alignment,
                 Params.Layout);
  });
}

void DrawStretchPictureCell(TCanvas& Canvas, const TRect& Rect, const QImage* Picture,
                            const TwDrawInfo& Params, bool Transparent, bool Stretch) {
  if (!Stretch) return DrawPictureCell(Canvas, Rect, Picture, Params, Transparent);
  RunCell(Canvas, Rect, Params, {}, ContentMode::Direct, [&](TCanvas& c, const TRect& r) {
    if (!NoPicture(Picture)) c.StretchDraw(r, Transparent ? TransparentPicture(*Picture) : *Picture);
  });
}

void DrawCheckCell(TCanvas& Canvas, const TRect& Rect, bool Checked, bool Grayed, std::string_view Caption,
                   const TwDrawInfo& Params, bool Flat, TwCellEllipsis Ellipsis) {
  RunCell(Canvas, Rect, Params, {TwCellButton::None, Ellipsis}, ContentMode::Buffered,
          [&](TCanvas& c, const TRect& r) {
            DrawCheckBox(c, r, Checked, Grayed, Params.Alignment, Params.Layout, Flat, Caption, false);
          });
}

void DrawBoolCell(TCanvas& Canvas, const TRect& Rect, bool Checked, const TwDrawInfo& Params,
                  TwCellEllipsis Ellipsis) {
  RunCell(Canvas, Rect, Params, {TwCellButton::None, Ellipsis}, ContentMode::Buffered,
          [&](TCanvas& c, const TRect& r) {
            c.FillRect(r);
            DrawBoolMark(c, r, Checked, false);
          });
}

void DrawRadioCell(TCanvas& Canvas, const TRect& Rect, const std::vector<std::string>& Items,
                   const TwDrawInfo& Params, bool Flat, int Columns, int ItemIndex, TwCellEllipsis Ellipsis) {
  RunCell(Canvas, Rect, Params, {TwCellButton::None, Ellipsis}, ContentMode::Buffered,
          [&](TCanvas& c, const TRect& r) {
            DrawRadioItems(c, r, Items, Flat, false, Params.Layout, Columns, ItemIndex);
          });
}
