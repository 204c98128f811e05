// The grid's painter (TwGridPainter, see grid_paint.h): the title area, the data rows with their indicator
// and marker cells, the footer rows, the empty look and the background no cell covers.
//
// Map: the painter's fonts and renderers - PaintTo (the clip decides bands and rows, each column's renderer
// is resolved) - PaintBackground - DrawRow - DrawCell (selection colours, null mark, then the column's
// renderer) - group rows - indicator and marker cells - the title area with held titles - footer rows -
// the empty look.
//
// Words: a band is one display index of a row (-2 indicator, -1 marker, then the visible columns or, in
// group mode, the visible groups); the first FixedCount bands never scroll sideways. Every cell is drawn
// by a cell routine of the drawing helpers (a data cell through the renderer of its kind, cell_renderer.h)
// from a copy of its object's drawing record, so nothing here changes the description.
#include "grid/view/grid_paint.h"

#include <QPainter>

#include "grid/structure/extents.h"
#include "grid/structure/qt_text.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/cell_renderer.h"
#include "grid/view/cell_walk.h"
#include "grid/view/custom_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/grid_input.h"
#include "platform/paint/color.h"

using plat::paint::TCanvas;

namespace {

constexpr TColor kBlack = clBlack;
constexpr TColor kWhite = clWhite;
constexpr TColor kSilver = clSilver;
constexpr TColor kBtnFace = clBtnFace;
constexpr TColor kBtnShadow = clBtnShadow;
// The colour of a group or level that holds no columns.
constexpr TColor kEmptyBandColor = kBtnShadow;
// The empty look: a raised square and a text cell beside it.
constexpr int kEmptyLookSize = 18;
constexpr int kEmptyLookMinTextWidth = 64;
// A footer row starts with a black and a white pixel row (its cells' rectangles lie below them).
// The text a null cell shows with wgoNullMark.
constexpr const char* kNullMark = "null";

bool Intersects(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

void BottomLineFrom(TwDrawInfo& d, const TwGridLines& l) {
  d.HorzLineColor = l.HorzColor();
  d.HorzLineStyle = l.HorzStyle();
  d.HorzLineWidth = l.HorzWidth();
}

// A title of this kind (and band, cell or footer row) is held down with the mouse over it.
bool TitleHeld(const TwGridDrag& drag, TwGridState state, int band, const TwCellPos& cell, int footer = -1) {
  if (drag.State != state || !drag.Pressed) return false;
  switch (state) {
    case wgsColTitleDown:
    case wgsGroupTitleDown:
      return drag.Band == band;
    case wgsCellTitleDown:
      return drag.Cell == cell;
    case wgsFooterTitleDown:
      return drag.Footer == footer;
    default:
      return true;
  }
}

TwDrawInfo PressedLook(const TwDrawInfo& d, bool held) {
  TwDrawInfo look = d;
  if (held) look.CellStyle = wcsDown;  // a clickable title held down shows pressed
  return look;
}

}  // namespace

// --- the painter ----------------------------------------------------------------------------------------

TwGridPainter::TwGridPainter(TwCustomGrid& grid) : grid_(grid) {}

TwGridPainter::~TwGridPainter() = default;

const plat::paint::TFont& TwGridPainter::FontOf(const TwFont& f) {
  for (auto& [key, font] : fonts_)
    if (key == f) return font;
  fonts_.emplace_back(f, PaintFont(f));
  return fonts_.back().second;
}

TwRendererRegistry& TwGridPainter::Renderers() {
  if (!renderers_) renderers_ = TwRendererRegistry::Standard();
  return *renderers_;
}

// --- one paint -----------------------------------------------------------------------------------------

void TwGridPainter::Note(TwPaintedCell::Kind kind, int band, int row, const TRect& r) {
  if (TwGridObserver* o = grid_.Model().Observer()) o->CellPainted({kind, band, row, r});
}

void TwGridPainter::PaintTo(TCanvas& Canvas, const TRect& Clip) {
  if (TwGridObserver* o = grid_.Model().Observer()) o->PaintStarted();
  if (grid_.Model().GridState().Updating()) return;
  canvas_ = &Canvas;
  TwScopeExit reset([this] { canvas_ = nullptr; });

  grid_.Model().Layout();  // the grid lays itself out anew before every paint
  const TwGridExtents& e = grid_.Model().Extents();
  if (e.Count() == 0) {
    Canvas.Brush.Color = grid_.Model().Color();
    Canvas.FillRect(Clip);
    PaintEmptyLook();
    return;
  }
  ResolveRenderers(e, grid_.Model().GroupMode(), Renderers());
  const bool withIndicator = grid_.Model().Indicators().Visible() && Clip.Left < e.ItemRight(-2);
  const bool withMarker = grid_.Model().Markers().Visible() && Clip.Left < e.ItemRight(-1);

  int firstBand = e.Count() - 1;
  for (int i = 0; i < e.Count(); ++i)
    if (e.ItemRight(i) > Clip.Left) {
      firstBand = i;
      break;
    }
  int lastBand = 0;
  for (int i = e.Count() - 1; i >= 0; --i)
    if (e.ItemLeft(i) < Clip.Right) {
      lastBand = i;
      break;
    }

  PaintBackground(Clip, lastBand);
  if (Clip.Top < e.DataTop()) PaintTitleArea(firstBand, lastBand, withIndicator, withMarker);
  if (Clip.Top < e.FooterTop() && Clip.Bottom >= e.DataTop()) {
    const int first = grid_.TopRow() + std::max(0, (Clip.Top - e.DataTop()) / grid_.Model().RowHeight());
    int last = std::max(grid_.TopRow(), std::min(grid_.TopRow() + e.VisibleRows() - 1, grid_.RowCount() - 1));
    while (last > grid_.TopRow() && e.RowTop(last) >= Clip.Bottom) --last;
    for (int r = first; r <= last; ++r) grid_.DrawRow(r, withIndicator, lastBand, firstBand, withMarker);
  }
  if (e.FooterTop() < Clip.Bottom)
    for (int k = 0; k < e.FooterCount(); ++k)
      PaintFooterRow(k, firstBand, lastBand, withIndicator, withMarker);
}

void TwGridPainter::PaintBackground(const TRect& clip, int lastBand) {
  const TwGridExtents& e = grid_.Model().Extents();
  TCanvas& c = *canvas_;
  c.Brush.Color = grid_.Model().Color();
  const int bottom = e.FooterCount() > 0 ? e.FooterTop() : e.ClientRect().Bottom;
  // Right of the last band, and below the last row down to the footers.
  const TRect right{e.ItemRight(e.Count() - 1), e.ClientRect().Top, e.ClientRect().Right, bottom};
  const TRect below{e.ClientRect().Left, e.ContentRect().Bottom, e.ClientRect().Right, e.FooterTop()};
  for (const TRect& r : {right, below})
    if (!r.IsEmpty() && Intersects(r, clip)) c.FillRect(r);
}

// --- data rows ------------------------------------------------------------------------------------------

void TwGridPainter::DrawRow(int ARow, bool WithIndicator, int LastBand, int FirstBand, bool WithMarker) {
  showSelection_ = grid_.HasOption(wgoAlwaysShowSelection) ||
                   (!grid_.Model().GridState().Designing() && grid_.IsGridFocused());
  TwCellWalk::Range range;
  range.FirstRow = range.LastRow = ARow;
  range.FirstBand = FirstBand;
  range.LastBand = LastBand;
  range.WithIndicator = WithIndicator;
  range.WithMarker = WithMarker;
  range.WithContents = true;
  TwCellWalk(grid_, range).ForEach([&](const TwCellRecord& cell) {
    switch (cell.Region) {
      case TwCellRegion::Indicator:
        DrawIndicator(cell.Row, cell.Rect);
        break;
      case TwCellRegion::Marker:
        DrawMarker(cell.Row, cell.Rect);
        break;
      case TwCellRegion::Data:
        if (cell.Column)
          grid_.DrawCell(cell, true, true);
        else
          DrawEmptyBandCell(cell);
        break;
      default:  // the walk of data rows yields no title or footer cells
        break;
    }
  });
}

void TwGridPainter::DrawEmptyBandCell(const TwCellRecord& cell) {
  const TwGridExtents& e = grid_.Model().Extents();
  TwGroup* grp = grid_.Model().Groups().VisibleItems(cell.Band);
  const TwGridLines& lines = grid_.Model().Lines();
  TwDrawInfo d;
  if (cell.Level < 0)  // the whole group
    SetVertLine(
        d, cell.Band < e.Count() - 1 ? lines : static_cast<const TwGridLines&>(grid_.Model().EndLines()));
  else
    SetVertLine(d, lines);
  if (cell.LastLevel)
    BottomLineFrom(d, cell.LastRow ? static_cast<const TwGridLines&>(grid_.Model().EndLines()) : lines);
  else
    SetHorzLine(d, grid_.Model().Lines().LevelColor(), grid_.Model().Lines().LevelStyle(),
                grid_.Model().Lines().LevelWidth());
  d.ClipLeft = grp->IsFixed() ? 0 : e.FixedRight();
  TCanvas& c = *canvas_;
  c.Brush.Color = kEmptyBandColor;
  DrawTextCell(c, cell.Rect, "", d);
  if (grp->IsFixed() && cell.Level > 0) {
    // A fixed group marks its levels with a black line one pixel above each level but the first.
    c.Brush.Color = kBlack;
    c.FillRect(TRect{cell.Rect.Left, cell.Rect.Top - 1, cell.Rect.Right, cell.Rect.Top});
  }
  Note(TwPaintedCell::Empty, cell.Band, cell.Row, cell.Rect);
}

void TwGridPainter::DrawEditorLines(const TwCellRecord& cell) {
  TCanvas& canvas = *canvas_;
  const TwGridExtents& e = grid_.Model().Extents();
  const TRect& r = cell.Rect;
  const TwDrawInfo& d = cell.Draw->Cell;
  if (d.VertLineWidth > 0 && r.Right - d.VertLineWidth >= e.FixedRight()) {
    canvas.Brush.Color = d.VertLineColor;
    canvas.FillRect(TRect{std::max(r.Right - d.VertLineWidth, d.ClipLeft), r.Top, r.Right, r.Bottom});
  }
  if (d.HorzLineWidth > 0) {
    canvas.Brush.Color = cell.LastRow ? grid_.Model().EndLines().HorzColor() : d.HorzLineColor;
    const int top = std::max(r.Bottom - d.HorzLineWidth, e.DataTop());
    const int bottom = std::min(r.Bottom, e.FooterTop());
    if (top < bottom) canvas.FillRect(TRect{std::max(r.Left, d.ClipLeft), top, r.Right, bottom});
  }
}

void TwGridPainter::ResolveRenderers(const TwGridExtents& e, bool groupMode,
                                     const TwRendererRegistry& registry) {
  looks_.clear();
  groupFirst_.clear();
  grouped_ = groupMode;
  resolvedLayout_ = &e;
  const auto add = [&](const TwColumnDraw& draw) { looks_.push_back({draw.Column, registry.For(draw)}); };
  for (int i = 0; i < e.Count(); ++i) {
    if (!groupMode) {
      add(e.ColumnDraw(i));
      continue;
    }
    const TwGroupAxis& axis = e.GroupAxis(i);
    groupFirst_.push_back(looks_.size());
    for (int n = 0; n < axis.LevelStart[std::size_t(axis.Levels)]; ++n) add(axis.Cells[std::size_t(n)]);
  }
}

const TwCellRenderer* TwGridPainter::RendererOf(const TwCellRecord& cell,
                                                const TwRendererRegistry& registry) const {
  std::size_t slot = std::size_t(cell.Band);  // column mode
  if (grouped_) {
    const auto band = std::size_t(cell.Band);
    if (band >= groupFirst_.size() || cell.Level < 0) return registry.For(*cell.Draw);
    const TwGroupAxis& axis = resolvedLayout_->GroupAxis(cell.Band);
    slot = groupFirst_[band] + std::size_t(axis.LevelStart[std::size_t(cell.Level)] + cell.Index);
  }
  if (slot < looks_.size() && looks_[slot].Column == cell.Column) return looks_[slot].Renderer;
  return registry.For(*cell.Draw);  // a record this paint's layout does not hold
}

void TwGridPainter::DrawCell(const TwCellRecord& Cell, bool CallRowEvent, bool CallCellEvent) {
  if (grid_.Model().Observer()) Note(TwPaintedCell::Data, Cell.Band, Cell.Row, Cell.Rect);
  if (Cell.EditorOpen) return DrawEditorLines(Cell);

  TCanvas& canvas = *canvas_;
  TwColumn* col = Cell.Column;
  const int row = Cell.Row;
  const bool showSelection = showSelection_;
  const bool hasRows = grid_.RowCount() > 0;  // without rows there is nothing to ask the data for
  const TwCellRenderer* renderer = hasRows ? RendererOf(Cell, Renderers()) : nullptr;
  const bool nullMark = hasRows && Cell.Null && grid_.HasOption(wgoNullMark) &&
                        !grid_.Model().GridState().Designing() && !(renderer && renderer->PaintsNull());
  std::string& text = text_;
  if (hasRows)
    grid_.GetCellText(col, row, text);
  else
    text.clear();
  // The drawing record, the bottom line of the last row and the selection's plain look.
  TwDrawInfo d = Cell.Draw->Cell;
  d.Focused = Cell.Focused;
  if (Cell.LastRow && Cell.LastLevel) BottomLineFrom(d, grid_.Model().EndLines());
  if (showSelection && Cell.Selected) d.CellStyle = wcsNormal;

  // Font and colours: the events' unless the cell shows selected.
  const bool fixedLook = Cell.Draw->Fixed && !grid_.Model().FixedStyle().Options().Contains(wfxColumnColor);
  const TwFont& font = col->Font();
  canvas.Font.Assign(FontOf(font));
  if (hasRows) {
    TColor bcol = fixedLook ? grid_.Model().FixedStyle().Color() : col->Color();
    TColor fcol = font.Color;
    TFontStyles fstyle = font.Style;
    const bool rowBeingInserted = grid_.EditState() == esInsert && row == grid_.Row();
    if (CallRowEvent && grid_.OnDrawRow && !rowBeingInserted)
      grid_.OnDrawRow(&grid_, row, bcol, fcol, fstyle);
    if (CallCellEvent && grid_.OnDrawCell && !rowBeingInserted)
      grid_.OnDrawCell(col, row, text, bcol, fcol, fstyle);
    if (showSelection && (Cell.Selected || (Cell.Current && !cellChanging_))) {
      canvas.Brush.Color = fixedLook ? grid_.Model().FixedStyle().SelBgColor() : grid_.SelBgColor();
      canvas.Font.SetColor(fixedLook ? grid_.Model().FixedStyle().SelFgColor() : grid_.SelFgColor());
    } else {
      canvas.Brush.Color = bcol;
      canvas.Font.SetColor(fcol);
      canvas.Font.SetStyle(fstyle);
    }
  } else {
    canvas.Brush.Color = showSelection && (Cell.Selected || Cell.Current) ? grid_.SelBgColor() : kSilver;
  }

  const TRect& r = Cell.Rect;
  const TwCellButtons buttons{Cell.Button, Cell.Ellipsis};
  if (!hasRows) {
    DrawEmptyCell(canvas, r, d);
  } else if (nullMark) {
    canvas.Font.SetColor(SameNearestColor(canvas, canvas.Brush.Color, kSilver) ? kWhite : kSilver);
    canvas.Font.SetStyle(fsBold);
    DrawTextCell(canvas, r, kNullMark, d);
  } else if (renderer) {
    renderer->Paint(TwCellPaint{grid_, canvas, Cell, r, d, text, buttons});
  } else {
    DrawEmptyCell(canvas, r, d, buttons);  // a kind without a renderer: the cell's background and lines
  }
}

// --- indicator and marker cells -------------------------------------------------------------------------

void TwGridPainter::DrawIndicator(int ARow, const TRect& Rect) {
  TCanvas& canvas = *canvas_;
  const TwIndicators& ind = grid_.Model().Indicators();
  const bool hasRows = grid_.RowCount() > 0;
  std::string& text = text_;
  text.clear();
  if (ind.ShowRowNo() && grid_.CanShowRowNo() && hasRows) text = std::to_string(grid_.GetRowNumber(ARow));
  const bool highlighted =
      hasRows && !grid_.Model().GridState().Designing() && (ARow == grid_.Row() || grid_.Selected(ARow));
  TwDrawInfo d = grid_.Model().Extents().IndicatorDraw();
  if (highlighted && grid_.IsGridFocused() && ind.CellStyle() == wcsRaised && ind.SelDown())
    d.CellStyle = wcsDown;
  if (!hasRows || grid_.IsLastRow(ARow)) BottomLineFrom(d, grid_.Model().EndLines());
  const TwFont& font = ind.Font();
  canvas.Font.Assign(FontOf(font));
  TColor bcol, fcol;
  TFontStyles fstyle = font.Style;
  if (highlighted) {
    bcol = ind.SelBgColor();
    fcol = ind.SelFgColor();
    TColor b = bcol, f = fcol;
    TFontStyles s = fstyle;
    if (grid_.OnDrawIndicator) grid_.OnDrawIndicator(&grid_, ARow, text, b, f, s);  // only the text is taken
  } else {
    bcol = ind.Color();
    fcol = font.Color;
    if (grid_.OnDrawIndicator && hasRows) grid_.OnDrawIndicator(&grid_, ARow, text, bcol, fcol, fstyle);
  }
  canvas.Brush.Color = bcol;
  canvas.Font.SetColor(fcol);
  canvas.Font.SetStyle(fstyle);
  const TwIndicatorGlyph glyph = ind.ShowState() ? grid_.GetIndicatorGlyph(ARow) : wigNone;
  if (glyph == wigNone || int(glyph) >= ind.Glyphs().Count())
    DrawTextCell(canvas, Rect, text, d);
  else
    DrawListImageOnlyCell(canvas, Rect, &ind.Glyphs(), d, int(glyph));
  Note(TwPaintedCell::Indicator, -2, ARow, Rect);
}

void TwGridPainter::DrawMarker(int ARow, const TRect& Rect) {
  TCanvas& canvas = *canvas_;
  const TwMarkers& m = grid_.Model().Markers();
  std::string& text = text_;
  text.clear();
  int imgIndex = -1;
  bool value = false;
  TwDrawInfo d = grid_.Model().Extents().MarkerDraw();
  if (grid_.RowCount() == 0 || grid_.IsLastRow(ARow)) BottomLineFrom(d, grid_.Model().EndLines());
  const TwFont& font = m.Font();
  canvas.Font.Assign(FontOf(font));
  TColor bcol = m.Color(), fcol = font.Color;
  TFontStyles fstyle = font.Style;
  if (grid_.OnDrawMarker && grid_.RowCount() > 0)
    grid_.OnDrawMarker(&grid_, ARow, text, bcol, fcol, fstyle, imgIndex, value);
  canvas.Brush.Color = bcol;
  canvas.Font.SetColor(fcol);
  canvas.Font.SetStyle(fstyle);
  switch (m.Style()) {
    case wmsDefault:
      DrawListImageCell(canvas, Rect, text, m.Images(), imgIndex, m.ImageLayout(), d);
      break;
    case wmsBoolean:
      DrawBoolCell(canvas, Rect, grid_.Model().GridState().Designing() || value, d);
      break;
    case wmsCheckBox:
    case wmsFlatCheckBox:
      DrawCheckCell(canvas, Rect, value, false, "", d, m.Style() == wmsFlatCheckBox);
      break;
  }
  Note(TwPaintedCell::Marker, -1, ARow, Rect);
}

// --- the title area -------------------------------------------------------------------------------------

void TwGridPainter::PaintTitleArea(int firstBand, int lastBand, bool withIndicator, bool withMarker) {
  const TwGridDrag& drag = grid_.Input().Drag();
  TCanvas& canvas = *canvas_;
  const TwGridExtents& e = grid_.Model().Extents();
  TwCellWalk::Range range;
  range.FirstBand = firstBand;
  range.LastBand = lastBand;
  range.WithIndicator = withIndicator;
  range.WithMarker = withMarker;
  // What a cell of the title row is: the header cell, a group title, an empty level or a column title.
  enum class TitleLook : std::uint8_t { Header, GroupTitle, EmptyLevel, ColumnTitle };
  const auto decide = [](const TwCellRecord& cell) {
    if (cell.Region == TwCellRegion::Header) return TitleLook::Header;
    if (cell.Level < 0) return TitleLook::GroupTitle;
    return cell.Column ? TitleLook::ColumnTitle : TitleLook::EmptyLevel;
  };
  TwCellWalk(grid_, range).ForEachTitle([&](const TwCellRecord& cell) {
    const TRect& r = cell.Rect;
    switch (decide(cell)) {
      case TitleLook::Header: {
        const TwHeaderTitle& t = grid_.Model().Headers().Title();
        canvas.Brush.Color = t.Color();
        canvas.Font.Assign(FontOf(t.Font()));
        DrawImageTextCell(canvas, r, t.Caption(),
                          PressedLook(e.HeaderTitleDraw(), TitleHeld(drag, wgsHeaderTitleDown, -1, {})),
                          t.ImageLayout(), &t.Image());
        Note(TwPaintedCell::Corner, -1, -1, r);
        break;
      }
      case TitleLook::GroupTitle: {
        const TwGroupAxis& axis = e.GroupAxis(cell.Band);
        const TwGroupTitle& gt = axis.Group->Title();
        canvas.Brush.Color = gt.Color();
        canvas.Font.Assign(FontOf(gt.Font()));
        DrawImageTextCell(canvas, r, gt.Caption(),
                          PressedLook(axis.Title, TitleHeld(drag, wgsGroupTitleDown, cell.Band, {})),
                          gt.ImageLayout(), &gt.Image());
        Note(TwPaintedCell::GroupTitle, cell.Band, -1, r);
        break;
      }
      case TitleLook::EmptyLevel: {
        TwDrawInfo d;
        const TwGridLinesEx& hl = grid_.Model().Headers().Lines();
        if (!cell.LastLevel)
          SetHorzLine(d, hl.LevelColor(), hl.LevelStyle(), hl.LevelWidth());
        else
          SetHorzLine(d, hl);
        SetVertLine(d, hl);
        d.ClipLeft = e.GroupAxis(cell.Band).Group->IsFixed() ? 0 : e.FixedRight();
        canvas.Brush.Color = grid_.Model().Color();
        DrawTextCell(canvas, r, "", d);
        Note(TwPaintedCell::Empty, cell.Band, -1, r);
        break;
      }
      case TitleLook::ColumnTitle: {
        const TwColumnTitle& t = cell.Column->Title();
        canvas.Brush.Color = t.Color();
        canvas.Font.Assign(FontOf(t.Font()));
        const int dir = t.SortMark() == wsmAsc ? 1 : t.SortMark() == wsmDesc ? -1 : 0;
        const bool held = grid_.Model().GroupMode() ? TitleHeld(drag, wgsCellTitleDown, cell.Band,
                                                                TwCellPos{cell.Band, cell.Level, cell.Index})
                                                    : TitleHeld(drag, wgsColTitleDown, cell.Band, {});
        DrawSortTitleCell(canvas, r, t.Caption(), PressedLook(cell.Draw->Title, held), dir, t.ImageLayout(),
                          &t.Image());
        Note(TwPaintedCell::Title, cell.Band, -1, r);
        break;
      }
    }
  });
}

// --- footer rows ----------------------------------------------------------------------------------------

void TwGridPainter::PaintFooterRow(int k, int firstBand, int lastBand, bool withIndicator, bool withMarker) {
  const TwGridDrag& drag = grid_.Input().Drag();
  TCanvas& canvas = *canvas_;
  const TwGridExtents& e = grid_.Model().Extents();
  TwGridFooter* footer = e.FooterRow(k).Footer;
  const int top = e.FooterRowTop(k), bottom = e.FooterRowBottom(k);
  const TRect clip = canvas.HasClip() ? canvas.ClipRect() : e.ClientRect();
  // 1. The row's width: its colour, a black and a white pixel row along its top.
  const TRect row{std::max(clip.Left, e.ClientRect().Left), top, std::min(clip.Right, e.ClientRect().Right),
                  bottom};
  canvas.Brush.Color = footer->Color();
  canvas.FillRect(row);
  canvas.Brush.Color = kBlack;
  canvas.FillRect(TRect{row.Left, top, row.Right, top + 1});
  canvas.Brush.Color = kWhite;
  canvas.FillRect(TRect{row.Left, top + 1, row.Right, top + 2});

  // 2. The footer title over the indicator and marker part, then the footer cells of the columns that
  // show this row.
  const int footerRow = footer->Index();
  TwCellWalk::Range range;
  range.FirstBand = firstBand;
  range.LastBand = lastBand;
  range.WithIndicator = withIndicator;
  range.WithMarker = withMarker;
  TwCellWalk(grid_, range).ForEachFooter(k, [&](const TwCellRecord& cell) {
    const TRect& r = cell.Rect;
    if (cell.Region == TwCellRegion::FooterTitle) {
      const TwFooterTitle& t = footer->Title();
      canvas.Brush.Color = t.CellStyle() != wcsNormal ? t.Color() : footer->Color();
      canvas.Font.Assign(FontOf(t.Font()));
      const TwDrawInfo d =
          PressedLook(e.FooterRow(k).Title, t.Pressed() || TitleHeld(drag, wgsFooterTitleDown, -1, {}, k));
      DrawImageTextCell(canvas, r, t.Caption(), d, t.ImageLayout(), &t.Image());
      Note(TwPaintedCell::FooterTitle, -2, k, r);
      return;
    }
    TwColumnFooter& f = cell.Column->Footer();
    if (!f.ShowsRow(footerRow)) return;
    const TwFont& font = f.Font();
    canvas.Font.Assign(FontOf(font));
    std::string& text = text_;
    text = f.GetText(footerRow);
    TColor bcol = f.Color(), fcol = font.Color;
    TFontStyles fstyle = font.Style;
    if (grid_.OnDrawFooter) grid_.OnDrawFooter(&f, footerRow, text, bcol, fcol, fstyle);
    // Asked after the event, which may change the footer's look.
    TwDrawInfo d;
    f.FillDrawInfo(d);
    if (d.ClipLeft >= r.Right) return;
    canvas.Brush.Color = bcol;
    canvas.Font.SetColor(fcol);
    canvas.Font.SetStyle(fstyle);
    DrawTextCell(canvas, r, text, d);
    Note(TwPaintedCell::Footer, cell.Band, k, r);
  });
}

// --- the empty look -------------------------------------------------------------------------------------

void TwGridPainter::PaintEmptyLook() {
  TCanvas& canvas = *canvas_;
  const TRect client = grid_.Model().Extents().ClientRect();
  TwDrawInfo d;
  d.CellStyle = wcsRaised;
  SetHorzLine(d, kBlack, psSolid, 1);
  SetVertLine(d, kBlack, psSolid, 1);
  const TRect square{client.Left, client.Top, client.Left + kEmptyLookSize, client.Top + kEmptyLookSize};
  canvas.Brush.Color = kBtnFace;
  DrawTextCell(canvas, square, "", d);
  const std::string name =
      grid_.Model().GridState().Designing() ? tw::FromQ(grid_.objectName()) : std::string();
  canvas.Font.Assign(FontOf(grid_.Model().Font()));
  const int width = std::max(kEmptyLookMinTextWidth, GetTextWidth(canvas, name) + 4);
  TwDrawInfo t;
  t.Alignment = taCenter;
  t.Layout = tlCenter;
  if (grid_.IsGridFocused()) {
    canvas.Brush.Color = grid_.SelBgColor();
    canvas.Font.SetColor(grid_.SelFgColor());
  } else if (grid_.Model().GridState().Designing()) {
    canvas.Brush.Color = kWhite;
    canvas.Font.SetColor(kBlack);
  } else {
    canvas.Brush.Color = kBtnFace;
  }
  const TRect r{square.Right, client.Top, square.Right + width, client.Top + kEmptyLookSize};
  DrawTextCell(canvas, r, name, t);
  Note(TwPaintedCell::Empty, -1, -1, r);
}
