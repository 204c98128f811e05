#include "grid/structure/side_columns.h"

#include <algorithm>

#include "grid/structure/extents.h"
#include "grid/structure/grid_model.h"
#include "grid/structure/pixel_range.h"

namespace {
bool Loading(const TwGridModel* g) {
  return g && g->GridState().Loading();
}
}  // namespace

// --- TwFixedStyle ---------------------------------------------------------------------------------

TwFixedStyle::TwFixedStyle(TwGridModel* grid) : grid_(grid) {
  lines_.SetCellColor(0);
  lines_.SetLevelColor(0);
  lines_.OnChange = [this] {
    if (grid_ && !Loading(grid_)) grid_->Repaint({TwRepaintArea::Grid});
  };
}

void TwFixedStyle::Changed() {
  if (grid_) grid_->InvalidateLayout();
  // Only the data cells of the fixed columns (or groups) look different.
  if (!grid_ || Loading(grid_) || grid_->FixedCount() <= 0) return;
  grid_->Repaint({TwRepaintArea::FixedData, 0, grid_->FixedCount()});
}

void TwFixedStyle::SetCellStyle(TwCellStyle v) {
  if (cellStyle_ == v) return;
  cellStyle_ = v;
  Changed();
}

void TwFixedStyle::SetColor(TColor v) {
  if (color_ == v) return;
  color_ = v;
  Changed();
}

void TwFixedStyle::SetOptions(TwFixedOptions v) {
  if (options_ == v) return;
  const bool colorChanged = options_.Contains(wfxColumnColor) != v.Contains(wfxColumnColor);
  options_ = v;
  if (colorChanged) Changed();
}

void TwFixedStyle::SetSelBgColor(TColor v) {
  if (selBgColor_ == v) return;
  selBgColor_ = v;
  Changed();
}

void TwFixedStyle::SetSelFgColor(TColor v) {
  if (selFgColor_ == v) return;
  selFgColor_ = v;
  Changed();
}

void TwFixedStyle::Assign(const TwFixedStyle& s) {
  SetCellStyle(s.cellStyle_);
  SetColor(s.color_);
  lines_.Assign(s.lines_);
  SetOptions(s.options_);
  SetSelBgColor(s.selBgColor_);
  SetSelFgColor(s.selFgColor_);
}

// --- indicator glyphs -----------------------------------------------------------------------------

namespace {
// 11 x 11 pictures: '.' the mask colour, '#' black, 'w' white, 'b' navy, 'r' maroon.
const char* const kGlyphArt[7][11] = {
    {// current-row arrow
     "...........", "...#.......", "...##......", "...###.....", "...####....", "...#####...", "...####....",
     "...###.....", "...##......", "...#.......", "..........."},
    {// more rows above
     "...........", ".....#.....", "....###....", "...#####...", "..#######..", ".....#.....", ".....#.....",
     ".....#.....", ".....#.....", "...........", "..........."},
    {// more rows below
     "...........", "...........", ".....#.....", ".....#.....", ".....#.....", ".....#.....", "..#######..",
     "...#####...", "....###....", ".....#.....", "..........."},
    {// row being edited: a pencil
     "...........", "........##.", ".......#ww#", "......#ww#.", ".....#ww#..", "....#ww#...", "...#ww#....",
     "..#ww#.....", "..##w#.....", "..###......", "..........."},
    {// row being inserted: an asterisk
     "...........", ".....#.....", "..#..#..#..", "...#.#.#...", "....###....", "..#######..", "....###....",
     "...#.#.#...", "..#..#..#..", ".....#.....", "..........."},
    {// selected row: a filled square
     "...........", "...........", "...........", "...bbbbb...", "...bbbbb...", "...bbbbb...", "...bbbbb...",
     "...bbbbb...", "...........", "...........", "..........."},
    {// selected current row: the arrow over a square
     "...........", "..#........", "..##.......", "..###......", "..####.bbb.", "..#####bbb.", "..####.bbb.",
     "..###......", "..##.......", "..#........", "..........."},
};

QRgb ArtColor(char c) {
  switch (c) {
    case '#':
      return qRgb(0, 0, 0);
    case 'w':
      return qRgb(255, 255, 255);
    case 'b':
      return qRgb(0, 0, 0x80);
    case 'r':
      return qRgb(0x80, 0, 0);
    default:
      return qRgb(int(kIndicatorMaskColor & 0xFF), int((kIndicatorMaskColor >> 8) & 0xFF),
                  int((kIndicatorMaskColor >> 16) & 0xFF));
  }
}
}  // namespace

QImage IndicatorGlyphImage(int index) {
  QImage img(11, 11, QImage::Format_RGB32);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) img.setPixel(x, y, ArtColor(kGlyphArt[index][y][x]));
  return img;
}

// --- TwIndicators ---------------------------------------------------------------------------------

TwIndicators::TwIndicators(TwGridModel* grid) : TwDrawObject(wcsRaised), grid_(grid) {
  // The first picture sets the glyph size.
  const QImage first = IndicatorGlyphImage(0);
  glyphs_ = std::make_unique<TwImageList>(first.width(), first.height());
  for (int i = 0; i < 7; ++i) glyphs_->AddMasked(IndicatorGlyphImage(i), kIndicatorMaskColor);
  TwFont f;
  f.Name = "Arial";
  f.Size = 8;
  InitAssigned(OwnFont(), f, wdvFont);
  lines_.OnChange = [this] { Changed(); };
}

void TwIndicators::Changed() {
  if (grid_) grid_->InvalidateLayout();
  if (!grid_ || Loading(grid_) || grid_->PaintLocked()) return;
  grid_->Repaint({TwRepaintArea::Strip, -2});
}

namespace {
// A side column's cells never clip at the left, end above the footers and take their own lines.
void PrepareSideCell(TwDrawInfo& d, const TwGridModel* grid, const TwGridLines& lines) {
  d.ClipLeft = 0;
  d.ClipBottom = grid ? grid->Extents().FooterTop() : 0;
  SetHorzLine(d, lines);
  SetVertLine(d, lines);
}
}  // namespace

void TwIndicators::FillDrawInfo(TwDrawInfo& d) const {
  TwDrawObject::FillDrawInfo(d);
  PrepareSideCell(d, grid_, lines_);
}

void TwIndicators::Assign(const TwDrawObject& source) {
  if (auto* s = dynamic_cast<const TwIndicators*>(&source)) {
    SetShowRowNo(s->ShowRowNo());
    SetShowState(s->ShowState());
    SetSizing(s->Sizing());
    SetWidth(s->Width());
    return;
  }
  TwDrawObject::Assign(source);
}

void TwIndicators::SetSelBgColor(TColor v) {
  if (selBgColor_ == v) return;
  selBgColor_ = v;
  Changed();
}

void TwIndicators::SetSelDown(bool v) {
  if (selDown_ == v) return;
  selDown_ = v;
  if (CellStyle() == wcsRaised) Changed();
}

void TwIndicators::SetSelFgColor(TColor v) {
  if (selFgColor_ == v) return;
  selFgColor_ = v;
  Changed();
}

void TwIndicators::SetShowRowNo(bool v) {
  if (showRowNo_ == v) return;
  showRowNo_ = v;
  Changed();
}

void TwIndicators::SetShowState(bool v) {
  if (showState_ == v) return;
  showState_ = v;
  Changed();
}

void TwIndicators::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  if (!grid_ || Loading(grid_)) return;
  grid_->RequestScrollBars();
  grid_->Repaint({TwRepaintArea::Grid});
}

void TwIndicators::SetWidth(int v) {
  if (Loading(grid_)) {
    width_ = ClampPixelSize(v, 0);
    return;
  }
  v = ClampPixelSize(v, showState_ ? kMinWidthWithState : kMinWidth);
  if (width_ == v) return;
  width_ = v;
  if (grid_ && visible_) {
    grid_->RequestLayout();
    grid_->Repaint({TwRepaintArea::Grid});
  }
}

// --- TwMarkers ------------------------------------------------------------------------------------

TwMarkers::TwMarkers(TwGridModel* grid) : grid_(grid) {
  lines_.OnChange = [this] { Changed(); };
  imagesLink_.Changed = [this] { Changed(); };
  imagesLink_.Freed = [this] { images_ = nullptr; };
}

TwMarkers::~TwMarkers() {
  if (images_) images_->UnregisterChanges(&imagesLink_);
}

void TwMarkers::Changed() {
  if (grid_) grid_->InvalidateLayout();
  if (!grid_ || !visible_ || grid_->PaintLocked()) return;
  grid_->Repaint({TwRepaintArea::StripData, -1});
}

void TwMarkers::FillDrawInfo(TwDrawInfo& d) const {
  TwDrawObject::FillDrawInfo(d);
  PrepareSideCell(d, grid_, lines_);
}

void TwMarkers::Assign(const TwDrawObject& source) {
  if (auto* s = dynamic_cast<const TwMarkers*>(&source)) {
    SetClicking(s->Clicking());
    SetStyle(s->Style());
    SetWidth(s->Width());
    return;
  }
  TwDrawObject::Assign(source);
}

void TwMarkers::SetImageLayout(TwImageLayout v) {
  if (imageLayout_ == v) return;
  imageLayout_ = v;
  if (style_ == wmsDefault) Changed();
}

void TwMarkers::SetImages(TwImageList* v) {
  if (images_ == v) return;
  if (images_) images_->UnregisterChanges(&imagesLink_);
  images_ = v;
  if (images_) images_->RegisterChanges(&imagesLink_);
  Changed();
}

void TwMarkers::SetStyle(TwMarkerStyle v) {
  if (style_ == v) return;
  style_ = v;
  Changed();
}

void TwMarkers::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  if (!grid_ || Loading(grid_)) return;
  grid_->RequestScrollBars();
  grid_->Repaint({TwRepaintArea::Grid});
}

void TwMarkers::SetWidth(int v) {
  if (Loading(grid_)) {
    width_ = ClampPixelSize(v, 0);
    return;
  }
  v = ClampPixelSize(v, 4);
  if (width_ == v) return;
  width_ = v;
  if (grid_ && visible_) {
    grid_->RequestLayout();
    grid_->Repaint({TwRepaintArea::Grid});
  }
}
