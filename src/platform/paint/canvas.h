#pragma once
// TCanvas: a drawing surface with the state and primitives of a window system's device context, over
// QPainter (on a QImage or any paint device), antialiasing off.
//
// Map
//   TRect                 right and bottom exclusive, as everywhere in this layer
//   TBrush, TPen          brush (colour, solid or clear); pen (colour, style, width, copy/XOR/not mode)
//   TCanvas               state: Brush, Pen, Font, clip rectangle, transparent text background
//     lines               MoveTo/LineTo, Polyline (the end point is not drawn), Polygon
//     text                TextWidth, TextExtent, TextOut, DrawText with the DT_ flags below
//     3-D                 DrawEdge (BDR_, EDGE_, BF_), DrawFrameControl (DFC_, DFCS_), DrawFocusRect
//     blits               PatBlt, FillRect, Draw, StretchDraw, CopyRect
//
// One-pixel lines are rasterised here, pixel by pixel, so that the pixels a line owns, its dot pattern and
// its XOR behaviour are exactly those of the window system; wider pens go to QPainter.
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/paint/color.h"
#include "platform/paint/font.h"

namespace plat::paint {

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
  friend constexpr bool operator==(const TRect&, const TRect&) = default;
};
constexpr TRect Bounds(int x, int y, int w, int h) {
  return TRect{x, y, x + w, y + h};
}
TRect Intersect(const TRect& a, const TRect& b);
inline TRect Inflate(TRect r, int dx, int dy) {
  return TRect{r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy};
}

/// DrawText formats.
inline constexpr unsigned DT_TOP = 0x0;
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_EXPANDTABS = 0x40;
inline constexpr unsigned DT_NOCLIP = 0x100;
inline constexpr unsigned DT_CALCRECT = 0x400;
inline constexpr unsigned DT_NOPREFIX = 0x800;
inline constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;
/// DrawEdge borders, edges and flags.
inline constexpr unsigned BDR_RAISEDOUTER = 0x1;
inline constexpr unsigned BDR_SUNKENOUTER = 0x2;
inline constexpr unsigned BDR_RAISEDINNER = 0x4;
inline constexpr unsigned BDR_SUNKENINNER = 0x8;
inline constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr unsigned BF_LEFT = 0x1;
inline constexpr unsigned BF_TOP = 0x2;
inline constexpr unsigned BF_RIGHT = 0x4;
inline constexpr unsigned BF_BOTTOM = 0x8;
inline constexpr unsigned BF_RECT = 0xF;
inline constexpr unsigned BF_MIDDLE = 0x800;
inline constexpr unsigned BF_ADJUST = 0x2000;
inline constexpr unsigned BF_FLAT = 0x4000;
inline constexpr unsigned BF_MONO = 0x8000;
/// DrawFrameControl types and states.
inline constexpr unsigned DFC_SCROLL = 3;
inline constexpr unsigned DFC_BUTTON = 4;
inline constexpr unsigned DFCS_BUTTONCHECK = 0x0;
inline constexpr unsigned DFCS_BUTTONRADIO = 0x4;
inline constexpr unsigned DFCS_BUTTONPUSH = 0x10;
inline constexpr unsigned DFCS_SCROLLUP = 0x0;
inline constexpr unsigned DFCS_SCROLLDOWN = 0x1;
inline constexpr unsigned DFCS_SCROLLLEFT = 0x2;
inline constexpr unsigned DFCS_SCROLLRIGHT = 0x3;
inline constexpr unsigned DFCS_SCROLLCOMBOBOX = 0x5;
inline constexpr unsigned DFCS_INACTIVE = 0x100;
inline constexpr unsigned DFCS_PUSHED = 0x200;
inline constexpr unsigned DFCS_CHECKED = 0x400;
inline constexpr unsigned DFCS_FLAT = 0x4000;
/// PatBlt raster operations.
inline constexpr std::uint32_t BLACKNESS = 0x42;
inline constexpr std::uint32_t DSTINVERT = 0x550009;
inline constexpr std::uint32_t PATCOPY = 0xF00021;
inline constexpr std::uint32_t PATINVERT = 0x5A0049;
inline constexpr std::uint32_t WHITENESS = 0xFF0062;

/// Same ordinal values as the grid's TPenStyle.
enum class PenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
enum class PenMode : std::uint8_t { Copy, Xor, Not };
enum class BrushStyle : std::uint8_t { Solid, Clear };

struct TBrush {
  TColor Color = clWhite;
  BrushStyle Style = BrushStyle::Solid;
};
struct TPen {
  TColor Color = clBlack;
  PenStyle Style = PenStyle::Solid;
  int Width = 1;
  PenMode Mode = PenMode::Copy;
};

class TCanvas {
 public:
  TCanvas() = default;
  explicit TCanvas(QImage* image) { Begin(image); }
  explicit TCanvas(QPaintDevice* device) { Begin(device); }
  ~TCanvas() { End(); }
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  void Begin(QImage* image);
  void Begin(QPaintDevice* device);
  void End();
  bool Active() const { return painter_.isActive(); }
  QPainter& Painter() { return painter_; }
  QImage* Image() const { return image_; }
  /// The device's size as a rectangle at (0, 0).
  TRect DeviceRect() const { return device_; }

  TBrush Brush;
  TPen Pen;
  TFont Font;
  bool TransparentText = false;  ///< background mode: text cells are not filled behind glyphs

  /// The clip rectangle (device coordinates); no clip when cleared.
  void SetClipRect(const TRect& r);
  void ClearClip();
  bool HasClip() const { return hasClip_; }
  const TRect& ClipRect() const { return clip_; }

  // --- lines ---
  void MoveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
    patternPos_ = 0;
  }
  void LineTo(int x, int y);
  void Polyline(const QPoint* points, int count);
  void Polygon(const QPoint* points, int count);
  void SetPixel(int x, int y, TColor c);

  // --- fills and blits ---
  void FillRect(const TRect& r);
  void FillRect(const TRect& r, TColor c);
  void PatBlt(int x, int y, int w, int h, std::uint32_t rop);
  void Draw(int x, int y, const QImage& image);
  void StretchDraw(const TRect& r, const QImage& image);
  /// Copies sourceRect of source to the same-sized rectangle at (x, y).
  void CopyRect(int x, int y, const QImage& source, const TRect& sourceRect);

  // --- text ---
  int TextWidth(std::string_view text);
  QSize TextExtent(std::string_view text);
  void TextOut(int x, int y, std::string_view text);
  /// Formats and draws text in r (or measures it with DT_CALCRECT, which updates r). Returns the text height.
  int DrawText(std::string_view text, TRect& r, unsigned format);
  /// The height DrawText with DT_CALCRECT would return, without computing the widths it does not need.
  int TextHeight(std::string_view text, const TRect& r, unsigned format);

  // --- 3-D elements ---
  bool DrawEdge(TRect& r, unsigned edge, unsigned flags);
  bool DrawFrameControl(const TRect& r, unsigned type, unsigned state);
  /// Dotted rectangle outline drawn by inverting every other pixel: drawing it twice restores the pixels.
  void DrawFocusRect(const TRect& r);

 private:
  struct LineSpan {
    int start, end;  ///< code units [start, end) of the text buffer
    int width;       ///< -1 until measured
    bool elided;     ///< the text is in the ellipsis buffer
  };
  void ApplyFont();
  void FillSolid(int x, int y, int w, int h, QRgb c, PenMode mode);
  void PenRun(int x, int y, int w, int h, QRgb c);
  void PenPixels(int x1, int y1, int x2, int y2);
  int Layout(std::string_view text, int width, unsigned format, bool needWidths);
  int SpanWidth(const LineSpan& s);
  void ElideSpan(LineSpan& s, int width, bool path);
  QStringView SpanView(const LineSpan& s) const;
  /// One line of text from the left end of its baseline, in the current font and pen.
  void DrawLine(int x, int baseline, QStringView text);

  QPainter painter_;
  QImage* image_ = nullptr;
  TRect device_;
  TRect clip_;
  bool hasClip_ = false;
  int penX_ = 0, penY_ = 0;
  int patternPos_ = 0;
  int mnemonic_ = -1;  ///< the underlined character of the laid-out text, -1 for none
  const void* appliedFont_ = nullptr;
  QRgb textPenColor_ = 0;
  bool textPenValid_ = false;
  /// Reused text buffers: a paint loop decodes and lays out text without allocating.
  QString text_;
  QString elided_;
  std::vector<LineSpan> spans_;
};

}  // namespace plat::paint
