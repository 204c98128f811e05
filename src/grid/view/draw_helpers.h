#pragma once
// The drawing helpers of the grid: small measuring helpers, the XOR feedback lines, the primitive drawers
// (edges, buttons, check boxes, radio items, text in a rectangle) and the cell routines with which every
// cell of the grid, its editors and input controls is drawn.
//
// A cell routine draws one whole cell in five steps:
//   1 the clip of the cell's shown part (cut at ClipLeft and ClipBottom);  2 PrepareCell: background, grid
//   lines, cell-style inset, buttons, margins;  3 the content: text straight onto the canvas under a clip
//   of the content rectangle, other content through the shared ContentBuffer;  4 DrawCellFrame: edges and
//   focus;  5 the canvas's clip and state back as they were.
// A cell without focus is drawn in place on the target canvas. A focused cell is drawn in the shared
// CellBuffer and copied, as its focus rectangle inverts pixels.
// The buttons of a cell (TwCellButtons) take their room at its right edge: the ellipsis outermost, the
// spin or combo button left of it.
#include <QImage>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "grid/structure/draw_info.h"
#include "platform/paint/canvas.h"
#include "platform/paint/image_list.h"

using plat::paint::TCanvas;
using plat::paint::TFont;
using plat::paint::TImageList;
using plat::paint::TRect;

/// A button drawn at the right of a cell: the spin buttons of a time or the drop button of a date or list.
enum class TwCellButton : std::uint8_t { None, Spin, Combo };
/// The ellipsis button of a column with an edit button: drawn, or only its room kept (a control lies over it,
/// as the editor of the current cell brings its own).
enum class TwCellEllipsis : std::uint8_t { None, Drawn, Room };
/// The edit buttons one cell shows.
struct TwCellButtons {
  TwCellButton Button = TwCellButton::None;
  TwCellEllipsis Ellipsis = TwCellEllipsis::None;
};

// --- the drawing unit's shared objects ----------------------------------------------------------------
/// The first DrawUnitInitialize creates them, the matching last DrawUnitFinalize frees them. A routine
/// used outside an initialisation creates them on demand.
void DrawUnitInitialize();
void DrawUnitFinalize();
/// Width of every in-cell button: the style's scroll-bar extent, read once at creation.
int ButtonWidth();
/// The shared buffers, grown to at least the given size (they never shrink).
TCanvas& CellBuffer(int width, int height);
TCanvas& ContentBuffer(int width, int height);
const TImageList& SortMarkImages();

// --- small helpers --------------------------------------------------------------------------------------
void ErrorBeep();
inline int Max(int A, int B) {
  return A > B ? A : B;
}
inline int Min(int A, int B) {
  return A < B ? A : B;
}
bool RectsIntersect(const TRect& R1, const TRect& R2);
int CalcTextHeight(TCanvas& DC, const TRect& Rect, std::string_view Text, unsigned Format);
int GetTextWidth(TCanvas& DC, std::string_view Text);
int GetFontHeight(const TFont& Font);
int GetMinAveCharWidth(const TFont& Font);
int GetMinMaxCharWidth(const TFont& Font);
/// Field number Index (from 0) of Text split at Separator; the last field runs to the end of the text;
/// an empty string when the text has fewer than Index separators.
std::string ExtractItem(std::string_view Text, char Separator, int Index);
/// True when both colours come out as the same device colour (the buffers are 24-bit: the same RGB).
bool SameNearestColor(TCanvas& DC, TColor Color1, TColor Color2);
/// One-pixel dotted XOR line; drawing it twice erases it. The canvas pen is restored.
void XorDottedLine(TCanvas& Canvas, TColor Color, int X1, int Y1, int X2, int Y2);
/// Width vertical one-pixel XOR lines from x = X to X + Width - 1, each from Y1 to Y2. The pen is restored.
void XorBand(TCanvas& Canvas, int X, int Y1, int Y2, int Width, TColor Color);

// --- primitive drawers ----------------------------------------------------------------------------------
void DrawEdges(TCanvas& DC, const TRect& Rect, bool Raised, bool AllSides);
void DrawComboButton(TCanvas& DC, const TRect& Rect, bool Enabled, bool Pushed, bool Flat);
void DrawSpinButtons(TCanvas& DC, const TRect& Rect, int PushedDir, bool Enabled, bool Flat);
void DrawEllipsisButton(TCanvas& DC, const TRect& Rect, bool Down);
void DrawCheckBox(TCanvas& Canvas, const TRect& Rect, bool Checked, bool Grayed, TAlignment Alignment,
                  TTextLayout Layout, bool Flat, std::string_view Caption, bool Focused);
void DrawBoolMark(TCanvas& Canvas, const TRect& Rect, bool Checked, bool Focused);
int GetRadioItemRect(TCanvas& Canvas, const TRect& Rect, const std::vector<std::string>& Items,
                     TTextLayout Layout, int Columns, int Index, TRect& ItemRect);
void DrawRadioItems(TCanvas& Canvas, const TRect& Rect, const std::vector<std::string>& Items, bool Flat,
                    bool Focused, TTextLayout Layout, int Columns, int ItemIndex);
void DrawTextInRect(TCanvas& Canvas, const TRect& Rect, std::string_view Text, bool WordWrap,
                    TwFitStyle FitStyle, TTextLayout Layout, TAlignment Alignment);
/// The same without filling the rectangle first: for a rectangle already filled with the canvas's brush.
void DrawTextOnBackground(TCanvas& Canvas, const TRect& Rect, std::string_view Text, bool WordWrap,
                          TwFitStyle FitStyle, TTextLayout Layout, TAlignment Alignment);

// --- cell routines --------------------------------------------------------------------------------------
/// The target canvas's brush colour is the background and its font the text font.
void DrawTextCell(TCanvas& Canvas, const TRect& Rect, std::string_view Text, const TwDrawInfo& Params,
                  TwCellButtons Buttons = {});
void DrawEmptyCell(TCanvas& Canvas, const TRect& Rect, const TwDrawInfo& Params, TwCellButtons Buttons = {});
void DrawImageTextCell(TCanvas& Canvas, const TRect& Rect, std::string_view Text, const TwDrawInfo& Params,
                       TwImageLayout ImageLayout, const QImage* Picture);
void DrawSortTitleCell(TCanvas& Canvas, const TRect& Rect, std::string_view Text, const TwDrawInfo& Params,
                       int SortDir, TwImageLayout ImageLayout, const QImage* Picture);
/// The image of an image list (nullptr when there is none or the index is outside the list).
void DrawListImageCell(TCanvas& Canvas, const TRect& Rect, std::string_view Text, const QImage* Image,
                       TwImageLayout ImageLayout, const TwDrawInfo& Params, TwCellButtons Buttons = {});
void DrawListImageOnlyCell(TCanvas& Canvas, const TRect& Rect, const QImage* Image, const TwDrawInfo& Params);
/// Any image list with Count() and Image(i): picks the image, or none for an index out of range.
template <class List>
const QImage* ListImage(const List* Images, int ImageIndex) {
  return Images && ImageIndex >= 0 && ImageIndex < Images->Count() ? &Images->Image(ImageIndex) : nullptr;
}
template <class List>
void DrawListImageCell(TCanvas& Canvas, const TRect& Rect, std::string_view Text, const List* Images,
                       int ImageIndex, TwImageLayout ImageLayout, const TwDrawInfo& Params,
                       TwCellButtons Buttons = {}) {
  DrawListImageCell(Canvas, Rect, Text, ListImage(Images, ImageIndex), ImageLayout, Params, Buttons);
}
template <class List>
void DrawListImageOnlyCell(TCanvas& Canvas, const TRect& Rect, const List* Images, const TwDrawInfo& Params,
                           int ImageIndex) {
  DrawListImageOnlyCell(Canvas, Rect, ListImage(Images, ImageIndex), Params);
}
/// Transparent: the colour of the picture's bottom-left pixel becomes transparent.
void DrawPictureCell(TCanvas& Canvas, const TRect& Rect, const QImage* Picture, const TwDrawInfo& Params,
                     bool Transparent);
void DrawStretchPictureCell(TCanvas& Canvas, const TRect& Rect, const QImage* Picture,
                            const TwDrawInfo& Params, bool Transparent, bool Stretch);
void DrawCheckCell(TCanvas& Canvas, const TRect& Rect, bool Checked, bool Grayed, std::string_view Caption,
                   const TwDrawInfo& Params, bool Flat, TwCellEllipsis Ellipsis = TwCellEllipsis::None);
void DrawBoolCell(TCanvas& Canvas, const TRect& Rect, bool Checked, const TwDrawInfo& Params,
                  TwCellEllipsis Ellipsis = TwCellEllipsis::None);
void DrawRadioCell(TCanvas& Canvas, const TRect& Rect, const std::vector<std::string>& Items,
                   const TwDrawInfo& Params, bool Flat, int Columns, int ItemIndex,
                   TwCellEllipsis Ellipsis = TwCellEllipsis::None);

/// The check box's fixed size and the sort-mark strip of a title.
constexpr int kCheckBoxSize = 13;
constexpr int kSortMarkStrip = 13;
