// Painting of TwCustomGrid: the title area, the data rows with their indicator and marker cells, the
// footer rows, the empty look and the background no cell covers.
//
// Map: PaintTo (the clip decides bands and rows) - PaintBackground - title area - DrawRow / ForEachBand -
// DrawCell (selection colours, null mark, pictures, editor kinds) - group rows - indicator and marker
// cells - footer rows - the empty look - IsGridFocused, InvalidateCurrent, the selection colours.
//
// Words: a band is one display index of a row (-2 indicator, -1 marker, then the visible columns or, in
// group mode, the visible groups); the first FixedCount bands never scroll sideways. Every cell is drawn
// by a cell routine of the drawing helpers from a copy of its object's drawing record, so nothing here
// changes the description.
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <exception>

#include "grid/structure/extents.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/grid_guard.h"
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
// A footer row starts with a black and a white pixel row; its cells are inset below them.
constexpr int kFooterTopInset = 3;
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
  if (TwGridObserver* o = Observer()) o->CellPainted({kind, band, row, r});
}

void TwCustomGrid::PaintTo(TCanvas& Canvas, const TRect& Clip) {
  if (TwGridObserver* o = Observer()) o->PaintStarted();
  if (GridState().Updating()) return;
  if (!paint_) paint_ = std::make_unique<PaintState>();
  PaintState& ps = *paint_;
  ps.Canvas = &Canvas;
  TwScopeExit reset([&ps] { ps.Canvas = nullptr; });

  Layout();  // the grid lays itself out anew before every paint
  const TwGridExtents& e = Extents();
  if (e.Count() == 0) {
    Canvas.Brush.Color = Color();
    Canvas.FillRect(Clip);
    PaintEmptyLook();
    return;
  }
  const bool withIndicator = Indicators().Visible() && Clip.Left < e.ItemRight(-2);
  const bool withMarker = Markers().Visible() && Clip.Left < e.ItemRight(-1);

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
    const int first = TopRow() + std::max(0, (Clip.Top - e.DataTop()) / RowHeight());
    int last = std::max(TopRow(), std::min(TopRow() + e.VisibleRows() - 1, RowCount() - 1));
    while (last > TopRow() && e.RowTop(last) >= Clip.Bottom) --last;
    for (int r = first; r <= last; ++r) DrawRow(r, withIndicator, lastBand, firstBand, withMarker);
  }
  if (e.FooterTop() < Clip.Bottom)
    for (int k = 0; k < Footers().VisibleCount(); ++k)
      PaintFooterRow(k, firstBand, lastBand, withIndicator, withMarker);
}

void TwCustomGrid::PaintBackground(const TRect& clip, int lastBand) {
  const TwGridExtents& e = Extents();
  TCanvas& c = *paint_->Canvas;
  c.Brush.Color = Color();
  const int bottom = Footers().VisibleCount() > 0 ? e.FooterTop() : e.ClientRect().Bottom;
  // Right of the last band, and below the last row down to the footers.
  const TRect right{e.ItemRight(e.Count() - 1), e.ClientRect().Top, e.ClientRect().Right, bottom};
  const TRect below{e.ClientRect().Left, e.ContentRect().Bottom, e.ClientRect().Right, e.FooterTop()};
  for (const TRect& r : {right, below})
    if (!r.IsEmpty() && Intersects(r, clip)) c.FillRect(r);
}

// --- bands ----------------------------------------------------------------------------------------------

template <class F>
void TwCustomGrid::ForEachBand(int firstBand, int lastBand, F&& f) {
  const TwGridExtents& e = Extents();
  const int fixedCount = std::min(FixedCount(), e.Count());
  for (int b = firstBand; b <= std::min(lastBand, fixedCount - 1); ++b) f(b);
  // The first scrolling band that shows: the last one whose left edge is not right of the scrolling
  // area's left edge.
  int firstScrolling = fixedCount;
  for (int b = e.Count() - 1; b >= fixedCount; --b)
    if (e.ItemLeft(b) <= e.FixedRight()) {
      firstScrolling = b;
      break;
    }
  for (int b = std::max(firstScrolling, firstBand); b <= std::min(lastBand, e.Count() - 1); ++b) f(b);
}

// --- data rows ------------------------------------------------------------------------------------------

void TwCustomGrid::DrawRow(int ARow, bool WithIndicator, int LastBand, int FirstBand, bool WithMarker) {
  const TwGridExtents& e = Extents();
  if (WithIndicator) DrawIndicator(ARow, e.CellRect(-2, ARow));
  if (WithMarker) DrawMarker(ARow, e.CellRect(-1, ARow));
  const bool showSelection =
      HasOption(wgoAlwaysShowSelection) || (!GridState().Designing() && IsGridFocused());
  paint_->ShowSelection = showSelection;
  ForEachBand(FirstBand, LastBand, [&](int band) {
    if (GroupMode()) {
      DrawGroupRow(band, ARow, showSelection);
      return;
    }
    TwColumn* c = Columns().VisibleItems(band);
    DrawCell(c, ARow, true, true, showSelection, ARow == Row() && band == Col(), e.CellRect(band, ARow));
  });
}

void TwCustomGrid::DrawEmptyBandCell(int band, int row, const TRect& r, const TwDrawInfo& lines,
                                     bool fixedBelowFirstLevel) {
  TCanvas& c = *paint_->Canvas;
  c.Brush.Color = kEmptyBandColor;
  DrawTextCell(c, r, "", lines, 0, 0);
  if (fixedBelowFirstLevel) {
    // A fixed group marks its levels with a black line one pixel above each level but the first.
    c.Brush.Color = kBlack;
    c.FillRect(TRect{r.Left, r.Top - 1, r.Right, r.Top});
  }
  Note(TwPaintedCell::Empty, band, row, r);
}

void TwCustomGrid::DrawGroupRow(int band, int ARow, bool showSelection) {
  const TwGridExtents& e = Extents();
  TwGroup* grp = Groups().VisibleItems(band);
  const bool lastRow = RowCount() == 0 || IsLastRow(ARow);
  const TwCellPos current = CurrentCell();
  const int levels = grp->OffsetLevels();
  const TRect bandRect = e.CellRect(band, ARow);
  if (grp->ColumnCount() == 0 || levels == 0) {
    TwDrawInfo d;
    SetVertLine(d, band < e.Count() - 1 ? static_cast<const TwGridLines&>(Lines()) : EndLines());
    BottomLineFrom(d, lastRow ? EndLines() : static_cast<const TwGridLines&>(Lines()));
    d.ClipLeft = grp->IsFixed() ? 0 : e.FixedRight();
    DrawEmptyBandCell(band, ARow, bandRect, d, false);
    return;
  }
  for (int level = 0; level < levels; ++level) {
    const int count = grp->LevelCount(level);
    if (count == 0) {
      TwDrawInfo d;
      SetVertLine(d, Lines());
      if (level < levels - 1)
        SetHorzLine(d, Lines().LevelColor(), Lines().LevelStyle(), Lines().LevelWidth());
      else
        BottomLineFrom(d, lastRow ? EndLines() : static_cast<const TwGridLines&>(Lines()));
      d.ClipLeft = grp->IsFixed() ? 0 : e.FixedRight();
      DrawEmptyBandCell(band, ARow, e.LevelRect(band, level, ARow), d, grp->IsFixed() && level > 0);
      continue;
    }
    for (int i = 0; i < count; ++i) {
      const TwCellPos pos{band, level, i};
      const TRect r = e.GroupCellRect(pos, ARow);
      TwColumn* c = grp->LevelColumn(level, i);
      if (c->DrawInfo().ClipLeft >= r.Right) continue;
      DrawCell(c, ARow, true, true, showSelection, ARow == Row() && pos == current, r);
    }
  }
}

void TwCustomGrid::DrawCell(TwColumn* AColumn, int ARow, bool CallRowEvent, bool CallCellEvent,
                            bool ShowSelection, bool IsCurrent, const TRect& Rect) {
  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  const TwGridExtents& e = Extents();
  const bool hasRows = RowCount() > 0;
  const bool lastRow = !hasRows || IsLastRow(ARow);
  if (Observer())
    Note(TwPaintedCell::Data, GroupMode() ? ColumnPos(AColumn).Group : AColumn->VisibleIndex(), ARow, Rect);

  // 1. Under an open editor only the cell's lines show; the editor covers the rest.
  if (IsCurrent && EditorShowing()) {
    const TwDrawInfo& d = AColumn->DrawInfo();
    if (d.VertLineWidth > 0 && Rect.Right - d.VertLineWidth >= e.FixedRight()) {
      canvas.Brush.Color = d.VertLineColor;
      canvas.FillRect(
          TRect{std::max(Rect.Right - d.VertLineWidth, d.ClipLeft), Rect.Top, Rect.Right, Rect.Bottom});
    }
    if (d.HorzLineWidth > 0) {
      canvas.Brush.Color = lastRow ? EndLines().HorzColor() : d.HorzLineColor;
      const int top = std::max(Rect.Bottom - d.HorzLineWidth, e.DataTop());
      const int bottom = std::min(Rect.Bottom, e.FooterTop());
      if (top < bottom) canvas.FillRect(TRect{std::max(Rect.Left, d.ClipLeft), top, Rect.Right, bottom});
    }
    return;
  }

  // 2. - 4. What the cell shows and its drawing record.
  const bool designing = GridState().Designing();
  // Without rows there is nothing to ask the data for: the cell is drawn empty.
  const bool isNull = !hasRows || IsCellNull(AColumn, ARow);
  const bool selected = Selected(ARow) || (HasOption(wgoRowSelect) && ARow == Row());
  std::string& text = ps.Text;
  if (hasRows)
    GetCellText(AColumn, ARow, text);
  else
    text.clear();
  TwDrawInfo d = AColumn->DrawInfo();
  d.Focused = HasOption(wgoFocusRect) && !designing && IsGridFocused() && IsCurrent && !cellChanging_;
  const bool lastLevel =
      !GroupMode() || ColumnPos(AColumn).Level == Groups().Items(AColumn->Group())->Levels() - 1;
  if (lastRow && lastLevel) BottomLineFrom(d, EndLines());
  if (ShowSelection && selected) d.CellStyle = wcsNormal;

  // 5. - 6. Font and colours: the events' unless the cell shows selected.
  const bool fixedLook = AColumn->Fixed() && !FixedStyle().Options().Contains(wfxColumnColor);
  const TwFont& font = AColumn->Font();
  canvas.Font.Assign(ps.FontOf(font));
  if (hasRows) {
    TColor bcol = fixedLook ? FixedStyle().Color() : AColumn->Color();
    TColor fcol = font.Color;
    TFontStyles fstyle = font.Style;
    const bool rowBeingInserted = EditState() == esInsert && ARow == Row();
    if (CallRowEvent && OnDrawRow && !rowBeingInserted) OnDrawRow(this, ARow, bcol, fcol, fstyle);
    if (CallCellEvent && OnDrawCell && !rowBeingInserted) OnDrawCell(AColumn, ARow, text, bcol, fcol, fstyle);
    if (ShowSelection && (selected || (IsCurrent && !cellChanging_))) {
      canvas.Brush.Color = fixedLook ? FixedStyle().SelBgColor() : SelBgColor();
      canvas.Font.SetColor(fixedLook ? FixedStyle().SelFgColor() : SelFgColor());
    } else {
      canvas.Brush.Color = bcol;
      canvas.Font.SetColor(fcol);
      canvas.Font.SetStyle(fstyle);
    }
  } else {
    canvas.Brush.Color = ShowSelection && (selected || IsCurrent) ? SelBgColor() : kSilver;
  }

  const TwEditKind kind = AColumn->CachedEditKind();
  const int ellipsis = IsCurrent && AColumn->EditButton() ? 2 : 0;
  if (!hasRows) {
    DrawEmptyCell(canvas, Rect, d, 0, 0);
    return;
  }
  // 7. The null mark.
  if (isNull && HasOption(wgoNullMark) && !designing && kind != wekCheckBox && kind != wekRadioGroup) {
    canvas.Font.SetColor(SameNearestColor(canvas, canvas.Brush.Color, kSilver) ? kWhite : kSilver);
    canvas.Font.SetStyle(fsBold);
    DrawTextCell(canvas, Rect, kNullMark, d, 0, 0);
    return;
  }
  // 8. Pictures.
  if (AColumn->IsGraphic()) {
    const QImage* picture = nullptr;
    try {
      picture = GetCellGraphic(AColumn, ARow);
    } catch (const std::exception&) {
      text = "Error";
      picture = nullptr;
    }
    if (picture && !picture->isNull())
      DrawStretchPictureCell(canvas, Rect, picture, d, AColumn->Transparent(), AColumn->AutoSize());
    else
      DrawTextCell(canvas, Rect, text, d, 0, AColumn->EditButton() ? 1 : 0);
    return;
  }
  // 9. By the editor kind.
  const bool topRowAtDesign = designing && ARow == TopRow();
  const int designEllipsis = topRowAtDesign && AColumn->EditButton() ? 1 : 0;
  switch (kind) {
    case wekCheckBox:
      if (isNull)
        DrawCheckCell(canvas, Rect, false, true, "", d, !AColumn->Ctl3D(),
                      designing ? designEllipsis : ellipsis);
      else
        DrawCheckCell(canvas, Rect, GetCellChecked(AColumn, ARow), false, designing ? "" : text, d,
                      !AColumn->Ctl3D(), designing ? designEllipsis : ellipsis);
      return;
    case wekBoolean:
      if (isNull)
        DrawEmptyCell(canvas, Rect, d, 0, designing ? designEllipsis : ellipsis);
      else
        DrawBoolCell(canvas, Rect, GetCellChecked(AColumn, ARow), d, designing ? designEllipsis : ellipsis);
      return;
    case wekRadioGroup:
      DrawRadioCell(canvas, Rect, AColumn->ItemsMapValues() ? AColumn->Items() : AColumn->Values(), d,
                    !AColumn->Ctl3D(), AColumn->RadioColumns(), GetCellItemIndex(AColumn, ARow),
                    designing ? designEllipsis : (IsCurrent && AColumn->EditButton() ? 1 : 0));
      return;
    case wekDate:
    case wekTime:
      if (topRowAtDesign)
        DrawTextCell(canvas, Rect, text, d, kind == wekDate ? 2 : 1, designEllipsis);
      else
        DrawTextCell(canvas, Rect, text, d, 0, designing ? 0 : ellipsis);
      return;
    default: {
      const bool list = kind == wekPickList || kind == wekCustomList1 || kind == wekCustomList2;
      const int buttonKind = topRowAtDesign && list ? 2 : 0;
      DrawListImageCell(canvas, Rect, text, AColumn->Images(), GetCellImageIndex(AColumn, ARow),
                        AColumn->ImageLayout(), d, buttonKind, designing ? designEllipsis : ellipsis);
      return;
    }
  }
}

// --- indicator and marker cells -------------------------------------------------------------------------

void TwCustomGrid::DrawIndicator(int ARow, const TRect& Rect) {
  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  const TwIndicators& ind = Indicators();
  const bool hasRows = RowCount() > 0;
  std::string& text = ps.Text;
  text.clear();
  if (ind.ShowRowNo() && CanShowRowNo() && hasRows) text = std::to_string(GetRowNumber(ARow));
  const bool highlighted = hasRows && !GridState().Designing() && (ARow == Row() || Selected(ARow));
  TwDrawInfo d = ind.DrawInfo();
  if (highlighted && IsGridFocused() && ind.CellStyle() == wcsRaised && ind.SelDown()) d.CellStyle = wcsDown;
  if (!hasRows || IsLastRow(ARow)) BottomLineFrom(d, EndLines());
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
    DrawTextCell(canvas, Rect, text, d, 0, 0);
  else
    DrawListImageOnlyCell(canvas, Rect, &ind.Glyphs(), d, int(glyph));
  Note(TwPaintedCell::Indicator, -2, ARow, Rect);
}

void TwCustomGrid::DrawMarker(int ARow, const TRect& Rect) {
  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  const TwMarkers& m = Markers();
  std::string& text = ps.Text;
  text.clear();
  int imgIndex = -1;
  bool value = false;
  TwDrawInfo d = m.DrawInfo();
  if (RowCount() == 0 || IsLastRow(ARow)) BottomLineFrom(d, EndLines());
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
      DrawListImageCell(canvas, Rect, text, m.Images(), imgIndex, m.ImageLayout(), d, 0, 0);
      break;
    case wmsBoolean:
      DrawBoolCell(canvas, Rect, GridState().Designing() || value, d, 0);
      break;
    case wmsCheckBox:
    case wmsFlatCheckBox:
      DrawCheckCell(canvas, Rect, value, false, "", d, m.Style() == wmsFlatCheckBox, 0);
      break;
  }
  Note(TwPaintedCell::Marker, -1, ARow, Rect);
}

// --- the title area -------------------------------------------------------------------------------------

bool TwCustomGrid::TitleHeld(TwGridState state, int band, const TwCellPos& cell, int footer) const {
  if (drag_.State != state || !drag_.Pressed) return false;
  switch (state) {
    case wgsColTitleDown:
    case wgsGroupTitleDown:
      return drag_.Band == band;
    case wgsCellTitleDown:
      return drag_.Cell == cell;
    case wgsFooterTitleDown:
      return drag_.Footer == footer;
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
  if (!Headers().Visible()) return;
  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  const TwGridExtents& e = Extents();
  if (withIndicator || withMarker) {
    const TwHeaderTitle& t = Headers().Title();
    TRect r = e.HeaderCellRect(-1);
    if (!withIndicator) r.Left = e.ItemLeft(-1);
    if (!withMarker) r.Right = e.ItemRight(-2);
    canvas.Brush.Color = t.Color();
    canvas.Font.Assign(ps.FontOf(t.Font()));
    DrawImageTextCell(canvas, r, t.Caption(),
                      PressedLook(t.DrawInfo(), TitleHeld(wgsHeaderTitleDown, -1, {})), t.ImageLayout(),
                      &t.Image());
    Note(TwPaintedCell::Corner, -1, -1, r);
  }
  ForEachBand(firstBand, lastBand, [&](int band) {
    if (!GroupMode()) {
      const TwColumnTitle& t = Columns().VisibleItems(band)->Title();
      const TRect r = e.HeaderCellRect(band);
      canvas.Brush.Color = t.Color();
      canvas.Font.Assign(ps.FontOf(t.Font()));
      const int dir = t.SortMark() == wsmAsc ? 1 : t.SortMark() == wsmDesc ? -1 : 0;
      DrawSortTitleCell(canvas, r, t.Caption(),
                        PressedLook(t.DrawInfo(), TitleHeld(wgsColTitleDown, band, {})), dir, t.ImageLayout(),
                        &t.Image());
      Note(TwPaintedCell::Title, band, -1, r);
      return;
    }
    TwGroup* grp = Groups().VisibleItems(band);
    const bool designing = GridState().Designing();
    const TwGroupTitle& gt = grp->Title();
    if (gt.Visible() || grp->NoColTitles()) {
      TRect r = e.GroupHeaderRect(band, -1);
      if (grp->NoColTitles() && !designing) r = e.HeaderStripRect(band);
      if (gt.DrawInfo().ClipLeft < r.Right) {
        canvas.Brush.Color = gt.Color();
        canvas.Font.Assign(ps.FontOf(gt.Font()));
        DrawImageTextCell(canvas, r, gt.Caption(),
                          PressedLook(gt.DrawInfo(), TitleHeld(wgsGroupTitleDown, band, {})),
                          gt.ImageLayout(), &gt.Image());
        Note(TwPaintedCell::GroupTitle, band, -1, r);
      }
      if (grp->NoColTitles() && !designing) return;
    }
    for (int level = 0; level < grp->OffsetLevels(); ++level) {
      const int count = grp->LevelCount(level);
      if (count == 0) {
        TwDrawInfo d;
        const TwGridLinesEx& hl = Headers().Lines();
        if (level < grp->OffsetLevels() - 1)
          SetHorzLine(d, hl.LevelColor(), hl.LevelStyle(), hl.LevelWidth());
        else
          SetHorzLine(d, hl);
        SetVertLine(d, hl);
        d.ClipLeft = grp->IsFixed() ? 0 : e.FixedRight();
        canvas.Brush.Color = Color();
        const TRect r = e.GroupHeaderRect(band, level);
        DrawTextCell(canvas, r, "", d, 0, 0);
        Note(TwPaintedCell::Empty, band, -1, r);
        continue;
      }
      for (int i = 0; i < count; ++i) {
        const TRect r = e.ColumnTitleRect(TwCellPos{band, level, i});
        const TwColumnTitle& t = grp->LevelColumn(level, i)->Title();
        if (t.DrawInfo().ClipLeft >= r.Right) continue;
        canvas.Brush.Color = t.Color();
        canvas.Font.Assign(ps.FontOf(t.Font()));
        const int dir = t.SortMark() == wsmAsc ? 1 : t.SortMark() == wsmDesc ? -1 : 0;
        const bool held = TitleHeld(wgsCellTitleDown, band, TwCellPos{band, level, i});
        DrawSortTitleCell(canvas, r, t.Caption(), PressedLook(t.DrawInfo(), held), dir, t.ImageLayout(),
                          &t.Image());
        Note(TwPaintedCell::Title, band, -1, r);
      }
    }
  });
}

// --- footer rows ----------------------------------------------------------------------------------------

void TwCustomGrid::PaintFooterRow(int k, int firstBand, int lastBand, bool withIndicator, bool withMarker) {
  PaintState& ps = *paint_;
  TCanvas& canvas = *ps.Canvas;
  const TwGridExtents& e = Extents();
  TwGridFooter* footer = Footers().VisibleItems(k);
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

  // 2. The footer title over the indicator and marker part.
  if (withIndicator || withMarker) {
    const TwFooterTitle& t = footer->Title();
    TRect r = e.FooterCellRect(-2, k);
    if (!withIndicator) r.Left = e.ItemLeft(-1);
    if (!withMarker) r.Right = e.ItemRight(-2);
    r = TRect{r.Left + 1, r.Top + kFooterTopInset, r.Right - 1, r.Bottom - 1};
    canvas.Brush.Color = t.CellStyle() != wcsNormal ? t.Color() : footer->Color();
    canvas.Font.Assign(ps.FontOf(t.Font()));
    const TwDrawInfo d = PressedLook(t.DrawInfo(), t.Pressed() || TitleHeld(wgsFooterTitleDown, -1, {}, k));
    DrawImageTextCell(canvas, r, t.Caption(), d, t.ImageLayout(), &t.Image());
    Note(TwPaintedCell::FooterTitle, -2, k, r);
  }

  // 3. The footer cells of the columns that show this row.
  const int footerRow = footer->Index();
  auto drawFooterCell = [&](TwColumn* c, TRect r) {
    TwColumnFooter& f = c->Footer();
    if (!f.ShowsRow(footerRow)) return;
    const TwFont& font = f.Font();
    canvas.Font.Assign(ps.FontOf(font));
    std::string& text = ps.Text;
    text = f.GetText(footerRow);
    TColor bcol = f.Color(), fcol = font.Color;
    TFontStyles fstyle = font.Style;
    if (OnDrawFooter) OnDrawFooter(&f, footerRow, text, bcol, fcol, fstyle);
    f.PrepareDrawInfo();
    const TwDrawInfo& d = f.DrawInfo();
    if (d.ClipLeft >= r.Right) return;
    canvas.Brush.Color = bcol;
    canvas.Font.SetColor(fcol);
    canvas.Font.SetStyle(fstyle);
    DrawTextCell(canvas, r, text, d, 0, 0);
    if (Observer()) Note(TwPaintedCell::Footer, GroupMode() ? ColumnPos(c).Group : c->VisibleIndex(), k, r);
  };
  ForEachBand(firstBand, lastBand, [&](int band) {
    if (!GroupMode()) {
      const TRect r = e.FooterCellRect(band, k);
      drawFooterCell(Columns().VisibleItems(band),
                     TRect{r.Left + 1, r.Top + kFooterTopInset, r.Right - 1, r.Bottom - 1});
      return;
    }
    TwGroup* grp = Groups().VisibleItems(band);
    for (int level = 0; level < grp->OffsetLevels(); ++level)
      for (int i = 0; i < grp->LevelCount(level); ++i) {
        const TRect r = e.GroupFooterCellRect(TwCellPos{band, level, i}, k);
        drawFooterCell(grp->LevelColumn(level, i),
                       TRect{r.Left, r.Top + (level == 0 ? 2 : 1), r.Right - 1, r.Bottom - 1});
      }
  });
}

// --- the empty look -------------------------------------------------------------------------------------

void TwCustomGrid::PaintEmptyLook() {
  TCanvas& canvas = *paint_->Canvas;
  const TRect client = Extents().ClientRect();
  TwDrawInfo d;
  d.CellStyle = wcsRaised;
  SetHorzLine(d, kBlack, psSolid, 1);
  SetVertLine(d, kBlack, psSolid, 1);
  const TRect square{client.Left, client.Top, client.Left + kEmptyLookSize, client.Top + kEmptyLookSize};
  canvas.Brush.Color = kBtnFace;
  DrawTextCell(canvas, square, "", d, 0, 0);
  const std::string name = GridState().Designing() ? objectName().toStdString() : std::string();
  canvas.Font.Assign(paint_->FontOf(Font()));
  const int width = std::max(kEmptyLookMinTextWidth, GetTextWidth(canvas, name) + 4);
  TwDrawInfo t;
  t.Alignment = taCenter;
  t.Layout = tlCenter;
  if (IsGridFocused()) {
    canvas.Brush.Color = SelBgColor();
    canvas.Font.SetColor(SelFgColor());
  } else if (GridState().Designing()) {
    canvas.Brush.Color = kWhite;
    canvas.Font.SetColor(kBlack);
  } else {
    canvas.Brush.Color = kBtnFace;
  }
  const TRect r{square.Right, client.Top, square.Right + width, client.Top + kEmptyLookSize};
  DrawTextCell(canvas, r, name, t, 0, 0);
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
