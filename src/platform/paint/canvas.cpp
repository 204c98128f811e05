#include "platform/paint/canvas.h"

#include <QStringDecoder>
#include <algorithm>
#include <cmath>

// Map: state and clip -> lines (pen patterns, XOR) -> fills and blits -> text (layout, ellipsis, draw)
//      -> DrawEdge -> DrawFrameControl -> DrawFocusRect.

namespace plat::paint {

TRect Intersect(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (r.IsEmpty()) r = TRect{};
  return r;
}

namespace {

// System colour indices used by the 3-D elements.
constexpr int kFace = 15, kShadow = 16, kGrayText = 17, kBtnText = 18, kHighlight = 20, kDkShadow = 21,
              kLight = 22, kWindow = 5, kWindowText = 8;

QRgb Sys(int index) {
  return ToQRgb(0xFF000000u | TColor(index));
}

// Dash patterns of one-pixel pens (on, off, on, off, ...), in pixels.
struct Pattern {
  const int* runs;
  int count;
};
constexpr int kDash[] = {18, 6};
constexpr int kDot[] = {3, 3};
constexpr int kDashDot[] = {9, 6, 3, 6};
constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};

Pattern PatternOf(PenStyle s) {
  switch (s) {
    case PenStyle::Dash:
      return {kDash, 2};
    case PenStyle::Dot:
      return {kDot, 2};
    case PenStyle::DashDot:
      return {kDashDot, 4};
    case PenStyle::DashDotDot:
      return {kDashDotDot, 6};
    default:
      return {nullptr, 0};
  }
}

// True when position pos of the pattern is drawn.
bool PatternOn(const Pattern& p, int pos) {
  int total = 0;
  for (int i = 0; i < p.count; ++i) total += p.runs[i];
  pos %= total;
  for (int i = 0; i < p.count; ++i) {
    if (pos < p.runs[i]) return (i % 2) == 0;
    pos -= p.runs[i];
  }
  return true;
}

QPainter::CompositionMode ModeOf(PenMode m) {
  switch (m) {
    case PenMode::Xor:
      return QPainter::RasterOp_SourceXorDestination;
    case PenMode::Not:
      return QPainter::RasterOp_NotDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

const QString& Ellipsis() {
  static const QString e = QStringLiteral("...");
  return e;
}

}  // namespace

// --- state and clip -------------------------------------------------------------------------------------

void TCanvas::Begin(QImage* image) {
  End();
  image_ = image;
  painter_.begin(image);
  device_ = TRect{0, 0, image->width(), image->height()};
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, false);
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  appliedFont_ = nullptr;
  textPenValid_ = false;
  hasClip_ = false;
}

void TCanvas::Begin(QPaintDevice* device) {
  End();
  painter_.begin(device);
  device_ = TRect{0, 0, device->width(), device->height()};
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, false);
  appliedFont_ = nullptr;
  textPenValid_ = false;
  hasClip_ = false;
}

void TCanvas::End() {
  if (painter_.isActive()) painter_.end();
  image_ = nullptr;
}

void TCanvas::SetClipRect(const TRect& r) {
  clip_ = r;
  hasClip_ = true;
  painter_.setClipRect(r.ToQRect());
}

void TCanvas::ClearClip() {
  if (!hasClip_) return;
  hasClip_ = false;
  painter_.setClipping(false);
}

// --- lines ----------------------------------------------------------------------------------------------

void TCanvas::FillSolid(int x, int y, int w, int h, QRgb c, PenMode mode) {
  if (w <= 0 || h <= 0) return;
  if (mode == PenMode::Copy) {
    painter_.fillRect(QRect(x, y, w, h), QColor::fromRgb(c));
    return;
  }
  painter_.setCompositionMode(ModeOf(mode));
  painter_.fillRect(QRect(x, y, w, h), QColor::fromRgb(c));
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::PenRun(int x, int y, int w, int h, QRgb c) {
  FillSolid(x, y, w, h, c, Pen.Mode);
}

// Rasterises a one-pixel line from (x1, y1) up to but not including (x2, y2).
void TCanvas::PenPixels(int x1, int y1, int x2, int y2) {
  if (Pen.Style == PenStyle::Clear) return;
  const QRgb c = ToQRgb(Pen.Color);
  const Pattern pat = PatternOf(Pen.Style);
  if (!pat.runs && (x1 == x2 || y1 == y2)) {
    // Solid axis-parallel line: one run.
    if (y1 == y2 && x1 != x2) {
      const int l = x1 < x2 ? x1 : x2 + 1, r = x1 < x2 ? x2 : x1 + 1;
      PenRun(l, y1, r - l, 1, c);
    } else if (x1 == x2 && y1 != y2) {
      const int t = y1 < y2 ? y1 : y2 + 1, b = y1 < y2 ? y2 : y1 + 1;
      PenRun(x1, t, 1, b - t, c);
    }
    return;
  }
  if (Pen.Mode != PenMode::Copy) painter_.setCompositionMode(ModeOf(Pen.Mode));
  const QColor qc = QColor::fromRgb(c);
  int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy, x = x1, y = y1;
  while (x != x2 || y != y2) {
    if (!pat.runs || PatternOn(pat, patternPos_)) painter_.fillRect(QRect(x, y, 1, 1), qc);
    ++patternPos_;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
  if (Pen.Mode != PenMode::Copy) painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::LineTo(int x, int y) {
  if (Pen.Width <= 1 || Pen.Style == PenStyle::Clear) {
    PenPixels(penX_, penY_, x, y);
  } else {
    painter_.setCompositionMode(ModeOf(Pen.Mode));
    painter_.setPen(QPen(ToQColor(Pen.Color), Pen.Width, Qt::SolidLine, Qt::RoundCap));
    painter_.drawLine(penX_, penY_, x, y);
    painter_.setPen(Qt::NoPen);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    textPenValid_ = false;
  }
  penX_ = x;
  penY_ = y;
}

void TCanvas::Polyline(const QPoint* points, int count) {
  if (count < 2) return;
  MoveTo(points[0].x(), points[0].y());
  for (int i = 1; i < count; ++i) LineTo(points[i].x(), points[i].y());
}

void TCanvas::Polygon(const QPoint* points, int count) {
  if (count < 2) return;
  painter_.setPen(Pen.Style == PenStyle::Clear ? QPen(Qt::NoPen) : QPen(ToQColor(Pen.Color), 0));
  painter_.setBrush(Brush.Style == BrushStyle::Clear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(Brush.Color)));
  painter_.setCompositionMode(ModeOf(Pen.Mode));
  painter_.drawPolygon(points, count);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.setBrush(Qt::NoBrush);
  painter_.setPen(Qt::NoPen);
  textPenValid_ = false;
}

void TCanvas::SetPixel(int x, int y, TColor c) {
  FillSolid(x, y, 1, 1, ToQRgb(c), PenMode::Copy);
}

// --- fills and blits ------------------------------------------------------------------------------------

void TCanvas::FillRect(const TRect& r) {
  if (Brush.Style == BrushStyle::Clear) return;
  FillSolid(r.Left, r.Top, r.Width(), r.Height(), ToQRgb(Brush.Color), PenMode::Copy);
}

void TCanvas::FillRect(const TRect& r, TColor c) {
  FillSolid(r.Left, r.Top, r.Width(), r.Height(), ToQRgb(c), PenMode::Copy);
}

void TCanvas::PatBlt(int x, int y, int w, int h, std::uint32_t rop) {
  switch (rop) {
    case BLACKNESS:
      FillSolid(x, y, w, h, 0xFF000000u, PenMode::Copy);
      break;
    case WHITENESS:
      FillSolid(x, y, w, h, 0xFFFFFFFFu, PenMode::Copy);
      break;
    case PATCOPY:
      FillSolid(x, y, w, h, ToQRgb(Brush.Color), PenMode::Copy);
      break;
    case PATINVERT:
      FillSolid(x, y, w, h, ToQRgb(Brush.Color), PenMode::Xor);
      break;
    case DSTINVERT:
      FillSolid(x, y, w, h, 0xFFFFFFFFu, PenMode::Not);
      break;
    default:
      break;
  }
}

void TCanvas::Draw(int x, int y, const QImage& image) {
  painter_.drawImage(QPoint(x, y), image);
}

void TCanvas::StretchDraw(const TRect& r, const QImage& image) {
  painter_.drawImage(r.ToQRect(), image);
}

void TCanvas::CopyRect(int x, int y, const QImage& source, const TRect& sourceRect) {
  painter_.setCompositionMode(QPainter::CompositionMode_Source);
  painter_.drawImage(QPoint(x, y), source, sourceRect.ToQRect());
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// --- text -----------------------------------------------------------------------------------------------

void TCanvas::ApplyFont() {
  const QFont& f = Font.QtFont();
  if (appliedFont_ != &f) {
    painter_.setFont(f);
    appliedFont_ = &f;
  }
  const QRgb c = ToQRgb(Font.Color());
  if (!textPenValid_ || textPenColor_ != c) {
    painter_.setPen(QPen(QColor::fromRgb(c), 0));
    textPenColor_ = c;
    textPenValid_ = true;
  }
}

void TCanvas::DrawLine(int x, int baseline, QStringView text) {
  const QList<QGlyphRun>& runs = Font.GlyphRuns(text);
  if (runs.isEmpty()) {
    painter_.drawText(QPoint(x, baseline), QString::fromRawData(text.data(), text.size()));
    return;
  }
  for (const QGlyphRun& run : runs) painter_.drawGlyphRun(QPointF(x, baseline), run);
}

QStringView TCanvas::SpanView(const LineSpan& s) const {
  const QString& buf = s.elided ? elided_ : text_;
  return QStringView(buf.constData() + s.start, s.end - s.start);
}

int TCanvas::SpanWidth(const LineSpan& s) {
  if (s.width < 0) {
    const QStringView v = SpanView(s);
    const_cast<LineSpan&>(s).width = Font.Advance(v);
  }
  return s.width;
}

namespace {
// Never cut between the two halves of a surrogate pair.
int CutAt(const QString& s, int pos) {
  if (pos > 0 && pos < s.size() && s.at(pos).isLowSurrogate()) --pos;
  return pos;
}
}  // namespace

void TCanvas::ElideSpan(LineSpan& s, int width, bool path) {
  const QFontMetrics& fm = Font.QtMetrics();
  const int start = s.start, end = s.end;
  auto widthOf = [&](int headEnd, int tailStart) {
    int w = fm.horizontalAdvance(QString::fromRawData(text_.constData() + start, headEnd - start));
    w += fm.horizontalAdvance(Ellipsis());
    if (tailStart < end)
      w += fm.horizontalAdvance(QString::fromRawData(text_.constData() + tailStart, end - tailStart));
    return w;
  };
  int headEnd = start, tailStart = end;
  if (path) {
    // Keep as much as possible of the part after the last separator; shorten the path before it.
    int sep = -1;
    for (int i = end - 1; i > start; --i)
      if (text_.at(i) == u'\\' || text_.at(i) == u'/') {
        sep = i;
        break;
      }
    if (sep > start) {
      tailStart = sep;
      int lo = 0, hi = sep - start;  // longest head that fits
      while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (widthOf(CutAt(text_, start + mid), tailStart) <= width)
          lo = mid;
        else
          hi = mid - 1;
      }
      headEnd = CutAt(text_, start + lo);
    } else {
      // No separator: keep the beginning and the end, drop the middle.
      int lo = 0, hi = end - start;
      while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (widthOf(CutAt(text_, start + (mid + 1) / 2), CutAt(text_, end - mid / 2)) <= width)
          lo = mid;
        else
          hi = mid - 1;
      }
      headEnd = CutAt(text_, start + (lo + 1) / 2);
      tailStart = CutAt(text_, end - lo / 2);
    }
  } else {
    int lo = 0, hi = end - start;
    while (lo < hi) {
      const int mid = (lo + hi + 1) / 2;
      if (widthOf(CutAt(text_, start + mid), end) <= width)
        lo = mid;
      else
        hi = mid - 1;
    }
    headEnd = CutAt(text_, start + lo);
  }
  const int at = int(elided_.size());
  elided_.append(QStringView(text_.constData() + start, headEnd - start));
  elided_.append(Ellipsis());
  elided_.append(QStringView(text_.constData() + tailStart, end - tailStart));
  s.start = at;
  s.end = int(elided_.size());
  s.elided = true;
  s.width = -1;
}

// Decodes the text into the reusable buffer and splits it into lines; returns the number of lines.
int TCanvas::Layout(std::string_view text, int width, unsigned format, bool needWidths) {
  text_.resize(qsizetype(text.size()));
  QStringDecoder dec(QStringDecoder::Utf8);
  QChar* out = dec.appendToBuffer(text_.data(), QByteArrayView(text.data(), qsizetype(text.size())));
  text_.resize(out - text_.constData());
  QChar* d = text_.data();
  int n = int(text_.size());
  mnemonic_ = -1;
  if (!(format & DT_NOPREFIX)) {
    // "&x" marks a mnemonic (shown without the '&'), "&&" is one '&'.
    int w = 0;
    for (int i = 0; i < n; ++i) {
      if (d[i] == u'&' && i + 1 < n) {
        ++i;
        if (d[i] != u'&' && mnemonic_ < 0) mnemonic_ = w;
      } else if (d[i] == u'&') {
        continue;
      }
      d[w++] = d[i];
    }
    n = w;
    text_.resize(n);
  }
  if ((format & DT_EXPANDTABS) && text_.contains(u'\t')) {
    elided_.resize(0);
    int col = 0;
    int mnemonic = -1;
    for (int i = 0; i < n; ++i) {
      const QChar ch = text_.at(i);
      if (i == mnemonic_) mnemonic = int(elided_.size());
      if (ch == u'\t') {
        const int spaces = 8 - col % 8;
        for (int k = 0; k < spaces; ++k) elided_.append(u' ');
        col += spaces;
      } else {
        elided_.append(ch);
        col = (ch == u'\n' || ch == u'\r') ? 0 : col + 1;
      }
    }
    text_.swap(elided_);
    n = int(text_.size());
    mnemonic_ = mnemonic;
  }
  elided_.resize(0);
  spans_.clear();
  const bool single = format & DT_SINGLELINE;
  const bool wrap = (format & DT_WORDBREAK) && !single;
  const QFontMetrics& fm = Font.QtMetrics();
  auto widthOf = [&](int a, int b) {
    return fm.horizontalAdvance(QString::fromRawData(text_.constData() + a, b - a));
  };
  int pos = 0;
  while (true) {
    int lineEnd = n, next = n;
    if (!single) {
      for (int i = pos; i < n; ++i)
        if (text_.at(i) == u'\n' || text_.at(i) == u'\r') {
          lineEnd = i;
          next = (text_.at(i) == u'\r' && i + 1 < n && text_.at(i + 1) == u'\n') ? i + 2 : i + 1;
          break;
        }
    }
    if (wrap && lineEnd > pos && widthOf(pos, lineEnd) > width) {
      // Greedy word wrap; a word wider than the line stays whole on a line of its own.
      int start = pos;
      while (start < lineEnd) {
        int fit = -1, e = start;
        while (e < lineEnd) {
          int ne = e;
          while (ne < lineEnd && text_.at(ne) == u' ') ++ne;
          while (ne < lineEnd && text_.at(ne) != u' ') ++ne;
          if (fit >= 0 && widthOf(start, ne) > width) break;
          fit = e = ne;
        }
        if (fit < 0) fit = lineEnd;
        int trimmed = fit;
        while (trimmed > start && text_.at(trimmed - 1) == u' ') --trimmed;
        spans_.push_back(LineSpan{start, trimmed, -1, false});
        start = fit;
        while (start < lineEnd && text_.at(start) == u' ') ++start;
      }
    } else {
      spans_.push_back(LineSpan{pos, lineEnd, -1, false});
    }
    if (next >= n) {
      // A trailing line break opens an empty last line.
      if (lineEnd < n) spans_.push_back(LineSpan{n, n, -1, false});
      break;
    }
    pos = next;
  }
  if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) {
    for (LineSpan& s : spans_)
      if (SpanWidth(s) > width) {
        ElideSpan(s, width, (format & DT_PATH_ELLIPSIS) != 0);
      }
  }
  if (needWidths)
    for (LineSpan& s : spans_) SpanWidth(s);
  return int(spans_.size());
}

int TCanvas::TextWidth(std::string_view text) {
  if (text.empty()) return 0;
  Layout(text, 0, DT_SINGLELINE | DT_NOPREFIX, true);
  return spans_.front().width;
}

QSize TCanvas::TextExtent(std::string_view text) {
  return QSize(TextWidth(text), Font.Metrics().tmHeight);
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  TRect r{x, y, x, y};
  DrawText(text, r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

int TCanvas::TextHeight(std::string_view text, const TRect& r, unsigned format) {
  if (text.empty()) return 0;
  return Layout(text, r.Width(), format, false) * Font.Metrics().tmHeight;
}

int TCanvas::DrawText(std::string_view text, TRect& r, unsigned format) {
  if (text.empty()) {
    if (format & DT_CALCRECT) {
      r.Right = r.Left;
      r.Bottom = r.Top;
    }
    return 0;
  }
  const bool calc = format & DT_CALCRECT;
  const bool needWidths = calc || (format & (DT_CENTER | DT_RIGHT)) || !TransparentText;
  const int lines = Layout(text, r.Width(), format, needWidths);
  const int lh = Font.Metrics().tmHeight;
  const int height = lines * lh;
  if (calc) {
    int w = 0;
    for (const LineSpan& s : spans_) w = std::max(w, s.width);
    r.Right = r.Left + w;
    r.Bottom = r.Top + height;
    return height;
  }
  int y = r.Top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      y = r.Top + (r.Height() - lh) / 2;
    else if (format & DT_BOTTOM)
      y = r.Bottom - lh;
  }
  const bool clip = !(format & DT_NOCLIP) && !(r.Left <= device_.Left && r.Top <= device_.Top &&
                                               r.Right >= device_.Right && r.Bottom >= device_.Bottom);
  if (clip) painter_.setClipRect((hasClip_ ? Intersect(r, clip_) : r).ToQRect());
  ApplyFont();
  const int ascent = Font.Metrics().tmAscent;
  const QRgb bk = ToQRgb(Brush.Color);
  for (const LineSpan& s : spans_) {
    int x = r.Left;
    if (format & DT_RIGHT)
      x = r.Right - s.width;
    else if (format & DT_CENTER)
      x = r.Left + (r.Width() - s.width) / 2;
    if (!TransparentText) FillSolid(x, y, s.width, lh, bk, PenMode::Copy);
    const QStringView v = SpanView(s);
    if (!v.isEmpty()) DrawLine(x, y + ascent, v);
    if (!s.elided && mnemonic_ >= s.start && mnemonic_ < s.end) {
      // The mnemonic character is underlined.
      const QFontMetrics& fm = Font.QtMetrics();
      const int before =
          fm.horizontalAdvance(QString::fromRawData(text_.constData() + s.start, mnemonic_ - s.start));
      const int w = fm.horizontalAdvance(text_.at(mnemonic_));
      FillSolid(x + before, y + ascent + 1, w, 1, ToQRgb(Font.Color()), PenMode::Copy);
    }
    y += lh;
  }
  if (clip) {
    if (hasClip_)
      painter_.setClipRect(clip_.ToQRect());
    else
      painter_.setClipping(false);
  }
  return y - r.Top;
}

// --- DrawEdge -------------------------------------------------------------------------------------------

namespace {
// Colours of the four lines of an edge, indexed by the edge's border bits (inner bits 4, 8; outer 1, 2).
// A single border is drawn in the outer position.
constexpr signed char HL = kHighlight, SH = kShadow, DK = kDkShadow, LT = kLight, NO = -1;
constexpr signed char kLTInner[16] = {NO, NO, NO, NO, NO, HL, HL, NO, NO, DK, DK, NO, NO, NO, NO, NO};
constexpr signed char kLTOuter[16] = {NO, LT, SH, NO, HL, LT, SH, NO, DK, LT, SH, NO, NO, LT, SH, NO};
constexpr signed char kRBInner[16] = {NO, NO, NO, NO, NO, SH, SH, NO, NO, LT, LT, NO, NO, NO, NO, NO};
constexpr signed char kRBOuter[16] = {NO, DK, HL, NO, SH, DK, HL, NO, LT, DK, HL, NO, NO, DK, HL, NO};
}  // namespace

bool TCanvas::DrawEdge(TRect& r, unsigned edge, unsigned flags) {
  const unsigned idx = edge & 0xF;
  int ltInner = kLTInner[idx], ltOuter = kLTOuter[idx], rbInner = kRBInner[idx], rbOuter = kRBOuter[idx];
  if (flags & (BF_FLAT | BF_MONO)) {
    // Flat: the outer line in shadow (the window frame when mono), the inner one in the face colour.
    if (ltInner != NO) ltInner = rbInner = (flags & BF_MONO) ? kWindow : kFace;
    if (ltOuter != NO) ltOuter = rbOuter = (flags & BF_MONO) ? 6 : kShadow;
  }
  const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
  const bool left = flags & BF_LEFT, top = flags & BF_TOP, right = flags & BF_RIGHT,
             bottom = flags & BF_BOTTOM;
  auto h = [&](int x1, int x2, int y, int c) {  // x1..x2 inclusive
    if (x2 >= x1) FillSolid(x1, y, x2 - x1 + 1, 1, Sys(c), PenMode::Copy);
  };
  auto v = [&](int x, int y1, int y2, int c) {
    if (y2 >= y1) FillSolid(x, y1, 1, y2 - y1 + 1, Sys(c), PenMode::Copy);
  };
  if (ltOuter != NO) {
    if (top) h(L, R - 1, T, ltOuter);
    if (left) v(L, T, B - 1, ltOuter);
  }
  if (rbOuter != NO) {
    if (bottom) h(L, R - 1, B - 1, rbOuter);
    if (right) v(R - 1, T, B - 1, rbOuter);
  }
  const int lt = (left && top) ? 1 : 0, lb = (left && bottom) ? 1 : 0, rt = (right && top) ? 1 : 0,
            rb = (right && bottom) ? 1 : 0;
  if (ltInner != NO) {
    if (top) h(L + lt, R - 1 - rt, T + 1, ltInner);
    if (left) v(L + 1, T + lt, B - 1 - lb, ltInner);
  }
  if (rbInner != NO) {
    if (bottom) h(L + lb, R - 1 - rb, B - 2, rbInner);
    if (right) v(R - 2, T + rt, B - 1 - rb, rbInner);
  }
  const int addLT = (ltInner != NO) + (ltOuter != NO), addRB = (rbInner != NO) + (rbOuter != NO);
  TRect inner = r;
  if (left) inner.Left += addLT;
  if (top) inner.Top += addLT;
  if (right) inner.Right -= addRB;
  if (bottom) inner.Bottom -= addRB;
  if (flags & BF_MIDDLE)
    FillSolid(inner.Left, inner.Top, inner.Width(), inner.Height(), Sys((flags & BF_MONO) ? kWindow : kFace),
              PenMode::Copy);
  if (flags & BF_ADJUST) r = inner;
  return true;
}

// --- DrawFrameControl -----------------------------------------------------------------------------------

namespace {
TRect SquareIn(const TRect& r) {
  const int s = std::min(r.Width(), r.Height());
  const int x = r.Left + (r.Width() - s) / 2, y = r.Top + (r.Height() - s) / 2;
  return TRect{x, y, x + s, y + s};
}
}  // namespace

bool TCanvas::DrawFrameControl(const TRect& rect, unsigned type, unsigned state) {
  const bool inactive = state & DFCS_INACTIVE, pushed = state & DFCS_PUSHED, flat = state & DFCS_FLAT;
  if (type == DFC_BUTTON && (state & 0x1F) == DFCS_BUTTONCHECK) {
    const TRect box = SquareIn(rect);
    TRect inner = box;
    if (flat) {
      FillSolid(box.Left, box.Top, box.Width(), box.Height(), Sys(kShadow), PenMode::Copy);
      inner = Inflate(box, -1, -1);
    } else {
      DrawEdge(inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    FillSolid(inner.Left, inner.Top, inner.Width(), inner.Height(), Sys(inactive || pushed ? kFace : kWindow),
              PenMode::Copy);
    if (state & DFCS_CHECKED) {
      // The tick: a short stroke down-right and a long one up-right, three pixels thick.
      const QRgb c = Sys(inactive ? kGrayText : kWindowText);
      const int ox = box.Left + (box.Width() - 13) / 2, oy = box.Top + (box.Height() - 13) / 2;
      for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) FillSolid(ox + 3 + k, oy + 5 + k + i, 1, 1, c, PenMode::Copy);
        for (int k = 1; k < 5; ++k) FillSolid(ox + 5 + k, oy + 7 - k + i, 1, 1, c, PenMode::Copy);
      }
    }
    return true;
  }
  if (type == DFC_BUTTON && (state & 0x1F) == DFCS_BUTTONRADIO) {
    const TRect box = SquareIn(rect);
    const double R = box.Width() / 2.0, cx = box.Left + R, cy = box.Top + R;
    const QRgb inside = Sys(inactive || pushed ? kFace : kWindow);
    const QRgb dot = Sys(inactive ? kGrayText : kWindowText);
    for (int y = box.Top; y < box.Bottom; ++y)
      for (int x = box.Left; x < box.Right; ++x) {
        const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::sqrt(dx * dx + dy * dy);
        const bool upperLeft = dx + dy < 0;
        int c = -1;
        QRgb rgb = 0;
        if (d > R) continue;
        if (d > R - 1)
          c = flat ? kShadow : (upperLeft ? kShadow : kHighlight);
        else if (d > R - 2)
          c = flat ? -2 : (upperLeft ? kDkShadow : kLight);
        else
          c = -2;
        if (c == -2)
          rgb = ((state & DFCS_CHECKED) && d <= R * 0.36) ? dot : inside;
        else
          rgb = Sys(c);
        FillSolid(x, y, 1, 1, rgb, PenMode::Copy);
      }
    return true;
  }
  if (type == DFC_BUTTON) {
    TRect r = rect;
    DrawEdge(r, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | (flat ? BF_FLAT : 0));
    return true;
  }
  if (type != DFC_SCROLL) return false;
  TRect r = rect;
  DrawEdge(r, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE | (flat ? BF_FLAT : 0));
  // The arrow: a filled triangle centred in the button, one pixel down and right when pushed.
  const unsigned kind = state & 0xF;
  const int w = rect.Width(), hgt = rect.Height();
  const int rows = std::max(1, (std::min(w, hgt) + 1) / 4);
  const int shift = pushed ? 1 : 0;
  auto arrow = [&](int ox, int oy, QRgb c) {
    const bool vertical = kind != DFCS_SCROLLLEFT && kind != DFCS_SCROLLRIGHT;
    if (vertical) {
      const int cx = rect.Left + (w - 1) / 2 + ox, top = rect.Top + (hgt - rows) / 2 + oy;
      for (int k = 0; k < rows; ++k) {
        const int half = kind == DFCS_SCROLLUP ? k : rows - 1 - k;
        FillSolid(cx - half, top + k, 2 * half + 1, 1, c, PenMode::Copy);
      }
    } else {
      const int cy = rect.Top + (hgt - 1) / 2 + oy, left = rect.Left + (w - rows) / 2 + ox;
      for (int k = 0; k < rows; ++k) {
        const int half = kind == DFCS_SCROLLLEFT ? k : rows - 1 - k;
        FillSolid(left + k, cy - half, 1, 2 * half + 1, c, PenMode::Copy);
      }
    }
  };
  if (inactive) {
    arrow(shift + 1, shift + 1, Sys(kHighlight));
    arrow(shift, shift, Sys(kShadow));
  } else {
    arrow(shift, shift, Sys(kBtnText));
  }
  return true;
}

// --- DrawFocusRect --------------------------------------------------------------------------------------

void TCanvas::DrawFocusRect(const TRect& r) {
  if (r.IsEmpty()) return;
  // Every pixel of the outline whose x + y is even is inverted, each exactly once.
  painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
  const QColor white(Qt::white);
  auto dot = [&](int x, int y) {
    if (((x + y) & 1) == 0) painter_.fillRect(QRect(x, y, 1, 1), white);
  };
  for (int x = r.Left; x < r.Right; ++x) {
    dot(x, r.Top);
    if (r.Bottom - 1 > r.Top) dot(x, r.Bottom - 1);
  }
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
    dot(r.Left, y);
    if (r.Right - 1 > r.Left) dot(r.Right - 1, y);
  }
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

}  // namespace plat::paint
