// Painting of TwCustomGrid: the title area, the data rows with their indicator and marker cells, the
// footer rows, the empty look and the background no cell covers.
//
// Map: PaintTo (the clip decides bands and rows, each column's renderer is resolved) - PaintBackground -
// title area - DrawRow / ForEachBand - DrawCell (selection colours, null mark, then the column's renderer)
// - group rows - indicator and marker cells - footer rows - the empty look - IsGridFocused,
// InvalidateCurrent, the selection colours.
//
// Words: a band is one display index of a row (-2 indicator, -1 marker, then the visible columns or, in
// group mode, the visible groups); the first FixedCount bands never scroll sideways. Every cell is drawn
// by a cell routine of the drawing helpers (a data cell through the renderer of its kind, cell_renderer.h)
// from a copy of its object's drawing record, so nothing here changes the description.
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include "grid/structure/extents.h"
#include "grid/structure/qt_text.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/cell_renderer.h"
#include "grid/view/cell_walk.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/grid_guard.h"
#include "grid/view/grid_input.h"
#include "grid/view/grid_paint_state.h"
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

}  // namespace

// --- the paint handler ----------------------------------------------------------------------------------

void TwCustomGrid::paintEvent(QPaintEvent* e) {
  TwGuard(this, [&] {
    TCanvas canvas(viewport());
    const QRect r = e->rect();
    PaintTo(canvas, TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
  });
}

void TwCustomGrid::Note(TwPaintedCell::Kind kind, int band, int row, const TRect& r) {
  if (TwGridObserver* o = Model().Observer()) o->CellPainted({kind, band, row, r});
}

void TwCustomGrid::PaintTo(TCanvas& Canvas, const TRect& Clip) {
  if (TwGridObserver* o = Model().Observer()) o->PaintStarted();
  if (Model().GridState().Updating()) return;
  if (!paint_) paint_ = std::make_unique<PaintState>();
  PaintState& ps = *paint_;
  ps.Canvas = &Canvas;
  TwScopeExit reset([&ps] { ps.Canvas = nullptr; });

  Model().Layout();  // the grid lays itself out anew before every paint
  const TwGridExtents& e = Model().Extents();
  if (e.Count() == 0) {
    Canvas.Brush.Color = Model().Color();
    Canvas.FillRect(Clip);
    PaintEmptyLook();
    return;
  }
  ps.ResolveRenderers(e, Model().GroupMode(), Renderers());
  const bool withIndicator = Model().Indicators().Visible() && Clip.Left < e.ItemRight(-2);
  const bool withMarker = Model().Markers().Visible() && Clip.Left < e.ItemRight(-1);

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
    const int first = TopRow() + std::max(0, (Clip.Top - e.DataTop()) / Model().RowHeight());
    int last = std::max(TopRow(), std::min(TopRow() + e.VisibleRows() - 1, RowCount() - 1));
    while (last > TopRow() && e.RowTop(last) >= Clip.Bottom) --last;
    for (int r = first; r <= last; ++r) DrawRow(r, withIndicator, lastBand, firstBand, withMarker);
  }
  if (e.FooterTop() < Clip.Bottom)
    for (int k = 0; k < e.FooterCount(); ++k)
      PaintFooterRow(k, firstBand, lastBand, withIndicator, withMarker);
}

void TwCustomGrid::PaintBackground(const TRect& clip, int lastBand) {
  const TwGridExtents& e = Model().Extents();
  TCanvas& c = *paint_->Canvas;
  c.Brush.Color = Model().Color();
  const int bottom = e.FooterCount() > 0 ? e.FooterTop() : e.ClientRect().Bottom;
  // Right of the last band, and below the last row down to the footers.
  const TRect right{e.ItemRight(e.Count() - 1), e.ClientRect().Top, e.ClientRect().Right, bottom};
  const TRect below{e.ClientRect().Left, e.ContentRect().Bottom, e.ClientRect().Right, e.FooterTop()};
  for (const TRect& r : {right, below})
    if (!r.IsEmpty() && Intersects(r, clip)) c.FillRect(r);
}

// --- bands ----------------------------------------------------------------------------------------------

template <class F>
void TwCustomGrid::ForEachBand(int firstBand, int lastBand, F&& f) {
  ForEachVisibleBand(Model().Extents(), Model().FixedCount(), firstBand, lastBand, std::forward<F>(f));
}

// --- data rows ------------------------------------------------------------------------------------------

void TwCustomGrid::DrawRow(int ARow, bool WithIndicator, int LastBand, int FirstBand, bool WithMarker) {
  paint_->ShowSelection =
      HasOption(wgoAlwaysShowSelection) || (!Model().GridState().Designing() && IsGridFocused());
  TwCellWalk::Range range;
  range.FirstRow = range.LastRow = ARow;
  range.FirstBand = FirstBand;
  range.LastBand = LastBand;
  range.WithIndicator = WithIndicator;
  range.WithMarker = WithMarker;
  range.WithContents = true;
  TwCellWalk(*this, range).ForEach([&](const TwCellRecord& cell) {
    switch (cell.Region) {
      case TwCellRegion::Indicator:
        DrawIndicator(cell.Row, cell.Rect);
        break;
      case TwCellRegion::Marker:
        DrawMarker(cell.Row, cell.Rect);
        break;
      case TwCellRegion::Data:
        if (cell.Column)
          DrawCell(cell, true, true);
        else
          DrawEmptyBandCell(cell);
        break;
      default:  // the walk of data rows yields no title or footer cells
        break;
    }
  });
}

void TwCustomGrid::DrawEmptyBandCell(const TwCellRecord& cell) {
  const TwGridExtents& e = Model().Extents();
  TwGroup* grp = Model().Groups().VisibleItems(cell.Band);
  const TwGridLines& lines = Model().Lines();
  TwDrawInfo d;
  if (cell.Level < 0)  // the whole group
    SetVertLine(d, cell.Band < e.Count() - 1 ? lines : static_cast<const TwGridLines&>(Model().EndLines()));
  else
    SetVertLine(d, lines);
  if (cell.LastLevel)
    BottomLineFrom(d, cell.LastRow ? static_cast<const TwGridLines&>(Model().EndLines()) : lines);
  else
    SetHorzLine(d, Model().Lines().LevelColor(), Model().Lines().LevelStyle(), Model().Lines().LevelWidth());
  d.ClipLeft = grp->IsFixed() ? 0 : e.FixedRight();
  TCanvas& c = *paint_->Canvas;
  c.Brush.Color = kEmptyBandColor;
  DrawTextCell(c, cell.Rect, "", d);
  if (grp->IsFixed() && cell.Level > 0) {
    // A fixed group marks its levels with a black line one pixel above each level but the first.
    c.Brush.Color = kBlack;
    c.FillRect(TRect{cell.Rect.Left, cell.Rect.Top - 1, cell.Rect.Right, cell.Rect.Top});
  }
  Note(TwPaintedCell::Empty, cell.Band, cell.Row, cell.Rect);
}

void TwCustomGrid::DrawEditorLines(const TwCellRecord& cell) {
  TCanvas& canvas = *paint_->Canvas;
  const TwGridExtents& e = Model().Extents();
  const TRect& r = cell.Rect;
  const TwDrawInfo& d = cell.Draw->Cell;
  if (d.VertLineWidth > 0 && r.Right - d.VertLineWidth >= e.FixedRight()) {
    canvas.Brush.Color = d.VertLineColor;
    canvas.FillRect(TRect{std::max(r.Right - d.VertLineWidth, d.ClipLeft), r.Top, r.Right, r.Bottom});
  }
  if (d.HorzLineWidth > 0) {
    canvas.Brush.Color = cell.LastRow ? Model().EndLines().HorzColor() : d.HorzLineColor;
    const int top = std::max(r.Bottom - d.HorzLineWidth, e.DataTop());
    const int bottom = std::min(r.Bottom, e.FooterTop());
    if (top < bottom) canvas.FillRect(TRect{std::max(r.Left, d.ClipLeft), top, r.Right, bottom});
  }
}

TwRendererRegistry& TwCustomGrid::Renderers() {
  if (!renderers_) renderers_ = TwRendererRegistry::Standard();
  return *renderers_;
}

void TwCustomGrid::PaintState::ResolveRenderers(const TwGridExtents& e, bool groupMode,
                                                const TwRendererRegistry& registry) {
  Looks.clear();
  GroupFirst.clear();
  Grouped = groupMode;
  ResolvedLayout = &e;
  const auto add = [&](const TwColumnDraw& draw) { Looks.push_back({draw.Column, registry.For(draw)}); };
  for (int i = 0; i < e.Count(); ++i) {
    if (!groupMode) {
      add(e.ColumnDraw(i));
      continue;
    }
    const TwGroupAxis& axis = e.GroupAxis(i);
    GroupFirst.push_back(Looks.size());
    for (int n = 0; n < axis.LevelStart[std::size_t(axis.Levels)]; ++n) add(axis.Cells[std::size_t(n)]);
  }
}

const TwCellRenderer* TwCustomGrid::PaintState::RendererOf(const TwCellRecord& cell,
                                                           const TwRendererRegistry& registry) const {
  std::size_t slot = std::size_t(cell.Band);  // column mode
  if (Grouped) {
    const auto band = std::size_t(cell.Band);
    if (band >= GroupFirst.size() || cell.Level < 0) return registry.For(*cell.Draw);
    const TwGroupAxis& axis = ResolvedLayout->GroupAxis(cell.Band);
    slot = GroupFirst[band] + std::size_t(axis.LevelStart[std::size_t(cell.Level)] + cell.Index);
  }
  if (slot < Looks.size() && Looks[slot].Column == cell.Column) return Looks[slot].Renderer;
  return registry.For(*cell.Draw);  // a record this paint's layout does not hold
}

void TwCustomGrid::DrawCell(const TwCellRecord& Cell, bool CallRowEvent, bool CallCellEvent) {
  if (Model().Observer()) Note(TwPaintedCell::Data, Cell.Band, Cell.Row, Cell.Rect);
  if (Cell.EditorOpen) return DrawEditorLines(Cell);

  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  TwColumn* col = Cell.Column;
  const int row = Cell.Row;
  const bool showSelection = ps.ShowSelection;
  const bool hasRows = RowCount() > 0;  // without rows there is nothing to ask the data for
  const TwCellRenderer* renderer = hasRows ? ps.RendererOf(Cell, Renderers()) : nullptr;
  const bool nullMark = hasRows && Cell.Null && HasOption(wgoNullMark) && !Model().GridState().Designing() &&
                        !(renderer && renderer->PaintsNull());
  std::string& text = ps.Text;
  if (hasRows)
    GetCellText(col, row, text);
  else
    text.clear();
  // The drawing record, the bottom line of the last row and the selection's plain look.
  TwDrawInfo d = Cell.Draw->Cell;
  d.Focused = Cell.Focused;
  if (Cell.LastRow && Cell.LastLevel) BottomLineFrom(d, Model().EndLines());
  if (showSelection && Cell.Selected) d.CellStyle = wcsNormal;

  // Font and colours: the events' unless the cell shows selected.
  const bool fixedLook = Cell.Draw->Fixed && !Model().FixedStyle().Options().Contains(wfxColumnColor);
  const TwFont& font = col->Font();
  canvas.Font.Assign(ps.FontOf(font));
  if (hasRows) {
    TColor bcol = fixedLook ? Model().FixedStyle().Color() : col->Color();
    TColor fcol = font.Color;
    TFontStyles fstyle = font.Style;
    const bool rowBeingInserted = EditState() == esInsert && row == Row();
    if (CallRowEvent && OnDrawRow && !rowBeingInserted) OnDrawRow(this, row, bcol, fcol, fstyle);
    if (CallCellEvent && OnDrawCell && !rowBeingInserted) OnDrawCell(col, row, text, bcol, fcol, fstyle);
    if (showSelection && (Cell.Selected || (Cell.Current && !cellChanging_))) {
      canvas.Brush.Color = fixedLook ? Model().FixedStyle().SelBgColor() : SelBgColor();
      canvas.Font.SetColor(fixedLook ? Model().FixedStyle().SelFgColor() : SelFgColor());
    } else {
      canvas.Brush.Color = bcol;
      canvas.Font.SetColor(fcol);
      canvas.Font.SetStyle(fstyle);
    }
  } else {
    canvas.Brush.Color = showSelection && (Cell.Selected || Cell.Current) ? SelBgColor() : kSilver;
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
    renderer->Paint(TwCellPaint{*this, canvas, Cell, r, d, text, buttons});
  } else {
    DrawEmptyCell(canvas, r, d, buttons);  // a kind without a renderer: the cell's background and lines
  }
}

// --- indicator and marker cells -------------------------------------------------------------------------

void TwCustomGrid::DrawIndicator(int ARow, const TRect& Rect) {
  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  const TwIndicators& ind = Model().Indicators();
  const bool hasRows = RowCount() > 0;
  std::string& text = ps.Text;
  text.clear();
  if (ind.ShowRowNo() && CanShowRowNo() && hasRows) text = std::to_string(GetRowNumber(ARow));
  const bool highlighted = hasRows && !Model().GridState().Designing() && (ARow == Row() || Selected(ARow));
  TwDrawInfo d = Model().Extents().IndicatorDraw();
  if (highlighted && IsGridFocused() && ind.CellStyle() == wcsRaised && ind.SelDown()) d.CellStyle = wcsDown;
  if (!hasRows || IsLastRow(ARow)) BottomLineFrom(d, Model().EndLines());
  const TwFont& font = ind.Font();
  canvas.Font.Assign(ps.FontOf(font));
  TColor bcol, fcol;
  TFontStyles fstyle = font.Style;
  if (highlighted) {
    bcol = ind.SelBgColor();
    fcol = ind.SelFgColor();
    TColor b = bcol, f = fcol;
    TFontStyles s = fstyle;
    if (OnDrawIndicator) OnDrawIndicator(this, ARow, text, b, f, s);  // only the text is taken
  } else {
    bcol = ind.Color();
    fcol = font.Color;
    if (OnDrawIndicator && hasRows) OnDrawIndicator(this, ARow, text, bcol, fcol, fstyle);
  }
  canvas.Brush.Color = bcol;
  canvas.Font.SetColor(fcol);
  canvas.Font.SetStyle(fstyle);
  const TwIndicatorGlyph glyph = ind.ShowState() ? GetIndicatorGlyph(ARow) : wigNone;
  if (glyph == wigNone || int(glyph) >= ind.Glyphs().Count())
    DrawTextCell(canvas, Rect, text, d);
  else
    DrawListImageOnlyCell(canvas, Rect, &ind.Glyphs(), d, int(glyph));
  Note(TwPaintedCell::Indicator, -2, ARow, Rect);
}

void TwCustomGrid::DrawMarker(int ARow, const TRect& Rect) {
  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  const TwMarkers& m = Model().Markers();
  std::string& text = ps.Text;
  text.clear();
  int imgIndex = -1;
  bool value = false;
  TwDrawInfo d = Model().Extents().MarkerDraw();
  if (RowCount() == 0 || IsLastRow(ARow)) BottomLineFrom(d, Model().EndLines());
  const TwFont& font = m.Font();
  canvas.Font.Assign(ps.FontOf(font));
  TColor bcol = m.Color(), fcol = font.Color;
  TFontStyles fstyle = font.Style;
  if (OnDrawMarker && RowCount() > 0) OnDrawMarker(this, ARow, text, bcol, fcol, fstyle, imgIndex, value);
  canvas.Brush.Color = bcol;
  canvas.Font.SetColor(fcol);
  canvas.Font.SetStyle(fstyle);
  switch (m.Style()) {
    case wmsDefault:
      DrawListImageCell(canvas, Rect, text, m.Images(), imgIndex, m.ImageLayout(), d);
      break;
    case wmsBoolean:
      DrawBoolCell(canvas, Rect, Model().GridState().Designing() || value, d);
      break;
    case wmsCheckBox:
    case wmsFlatCheckBox:
      DrawCheckCell(canvas, Rect, value, false, "", d, m.Style() == wmsFlatCheckBox);
      break;
  }
  Note(TwPaintedCell::Marker, -1, ARow, Rect);
}

// --- the title area -------------------------------------------------------------------------------------

bool TwCustomGrid::TitleHeld(TwGridState state, int band, const TwCellPos& cell, int footer) const {
  const TwGridDrag& drag = input_->Drag();
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

TwDrawInfo TwCustomGrid::PressedLook(const TwDrawInfo& d, bool held) {
  TwDrawInfo look = d;
  if (held) look.CellStyle = wcsDown;  // a clickable title held down shows pressed
  return look;
}

void TwCustomGrid::PaintTitleArea(int firstBand, int lastBand, bool withIndicator, bool withMarker) {
  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  const TwGridExtents& e = Model().Extents();
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
  TwCellWalk(*this, range).ForEachTitle([&](const TwCellRecord& cell) {
    const TRect& r = cell.Rect;
    switch (decide(cell)) {
      case TitleLook::Header: {
        const TwHeaderTitle& t = Model().Headers().Title();
        canvas.Brush.Color = t.Color();
        canvas.Font.Assign(ps.FontOf(t.Font()));
        DrawImageTextCell(canvas, r, t.Caption(),
                          PressedLook(e.HeaderTitleDraw(), TitleHeld(wgsHeaderTitleDown, -1, {})),
                          t.ImageLayout(), &t.Image());
        Note(TwPaintedCell::Corner, -1, -1, r);
        break;
      }
      case TitleLook::GroupTitle: {
        const TwGroupAxis& axis = e.GroupAxis(cell.Band);
        const TwGroupTitle& gt = axis.Group->Title();
        canvas.Brush.Color = gt.Color();
        canvas.Font.Assign(ps.FontOf(gt.Font()));
        DrawImageTextCell(canvas, r, gt.Caption(),
                          PressedLook(axis.Title, TitleHeld(wgsGroupTitleDown, cell.Band, {})),
                          gt.ImageLayout(), &gt.Image());
        Note(TwPaintedCell::GroupTitle, cell.Band, -1, r);
        break;
      }
      case TitleLook::EmptyLevel: {
        TwDrawInfo d;
        const TwGridLinesEx& hl = Model().Headers().Lines();
        if (!cell.LastLevel)
          SetHorzLine(d, hl.LevelColor(), hl.LevelStyle(), hl.LevelWidth());
        else
          SetHorzLine(d, hl);
        SetVertLine(d, hl);
        d.ClipLeft = e.GroupAxis(cell.Band).Group->IsFixed() ? 0 : e.FixedRight();
        canvas.Brush.Color = Model().Color();
        DrawTextCell(canvas, r, "", d);
        Note(TwPaintedCell::Empty, cell.Band, -1, r);
        break;
      }
      case TitleLook::ColumnTitle: {
        const TwColumnTitle& t = cell.Column->Title();
        canvas.Brush.Color = t.Color();
        canvas.Font.Assign(ps.FontOf(t.Font()));
        const int dir = t.SortMark() == wsmAsc ? 1 : t.SortMark() == wsmDesc ? -1 : 0;
        const bool held = Model().GroupMode() ? TitleHeld(wgsCellTitleDown, cell.Band,
                                                          TwCellPos{cell.Band, cell.Level, cell.Index})
                                              : TitleHeld(wgsColTitleDown, cell.Band, {});
        DrawSortTitleCell(canvas, r, t.Caption(), PressedLook(cell.Draw->Title, held), dir, t.ImageLayout(),
                          &t.Image());
        Note(TwPaintedCell::Title, cell.Band, -1, r);
        break;
      }
    }
  });
}

// --- footer rows ----------------------------------------------------------------------------------------

void TwCustomGrid::PaintFooterRow(int k, int firstBand, int lastBand, bool withIndicator, bool withMarker) {
  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  const TwGridExtents& e = Model().Extents();
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
  TwCellWalk(*this, range).ForEachFooter(k, [&](const TwCellRecord& cell) {
    const TRect& r = cell.Rect;
    if (cell.Region == TwCellRegion::FooterTitle) {
      const TwFooterTitle& t = footer->Title();
      canvas.Brush.Color = t.CellStyle() != wcsNormal ? t.Color() : footer->Color();
      canvas.Font.Assign(ps.FontOf(t.Font()));
      const TwDrawInfo d =
          PressedLook(e.FooterRow(k).Title, t.Pressed() || TitleHeld(wgsFooterTitleDown, -1, {}, k));
      DrawImageTextCell(canvas, r, t.Caption(), d, t.ImageLayout(), &t.Image());
      Note(TwPaintedCell::FooterTitle, -2, k, r);
      return;
    }
    TwColumnFooter& f = cell.Column->Footer();
    if (!f.ShowsRow(footerRow)) return;
    const TwFont& font = f.Font();
    canvas.Font.Assign(ps.FontOf(font));
    std::string& text = ps.Text;
    text = f.GetText(footerRow);
    TColor bcol = f.Color(), fcol = font.Color;
    TFontStyles fstyle = font.Style;
    if (OnDrawFooter) OnDrawFooter(&f, footerRow, text, bcol, fcol, fstyle);
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

void TwCustomGrid::PaintEmptyLook() {
  TCanvas& canvas = *paint_->Canvas;
  const TRect client = Model().Extents().ClientRect();
  TwDrawInfo d;
  d.CellStyle = wcsRaised;
  SetHorzLine(d, kBlack, psSolid, 1);
  SetVertLine(d, kBlack, psSolid, 1);
  const TRect square{client.Left, client.Top, client.Left + kEmptyLookSize, client.Top + kEmptyLookSize};
  canvas.Brush.Color = kBtnFace;
  DrawTextCell(canvas, square, "", d);
  const std::string name = Model().GridState().Designing() ? tw::FromQ(objectName()) : std::string();
  canvas.Font.Assign(paint_->FontOf(Model().Font()));
  const int width = std::max(kEmptyLookMinTextWidth, GetTextWidth(canvas, name) + 4);
  TwDrawInfo t;
  t.Alignment = taCenter;
  t.Layout = tlCenter;
  if (IsGridFocused()) {
    canvas.Brush.Color = SelBgColor();
    canvas.Font.SetColor(SelFgColor());
  } else if (Model().GridState().Designing()) {
    canvas.Brush.Color = kWhite;
    canvas.Font.SetColor(kBlack);
  } else {
    canvas.Brush.Color = kBtnFace;
  }
  const TRect r{square.Right, client.Top, square.Right + width, client.Top + kEmptyLookSize};
  DrawTextCell(canvas, r, name, t);
  Note(TwPaintedCell::Empty, -1, -1, r);
}

// --- focus, the current cell, the selection colours -----------------------------------------------------

bool TwCustomGrid::IsGridFocused() const {
  const QWidget* focus = window() ? window()->focusWidget() : nullptr;
  if (!focus) focus = QApplication::focusWidget();
  return focus && (focus == this || isAncestorOf(focus));
}

void TwCustomGrid::InvalidateCurrent() {
  InvalidateGrid();
}

void TwCustomGrid::SetSelBgColor(TColor v) {
  if (selBgColor_ == v) return;
  selBgColor_ = v;
  InvalidateCurrent();
}

void TwCustomGrid::SetSelFgColor(TColor v) {
  if (selFgColor_ == v) return;
  selFgColor_ = v;
  InvalidateCurrent();
}
