#include "grid/structure/appearance.h"

#include "grid/structure/grid_model.h"

// --- TwGridLines, TwGridLinesEx -------------------------------------------------------------------

void TwGridLines::CopyValues(const TwGridLines& o) {
  horzColor_ = o.horzColor_;
  horzStyle_ = o.horzStyle_;
  horzWidth_ = o.horzWidth_;
  vertColor_ = o.vertColor_;
  vertStyle_ = o.vertStyle_;
  vertWidth_ = o.vertWidth_;
}

void TwGridLines::Assign(const TwGridLines& s) {
  SetHorzColor(s.HorzColor());
  SetHorzStyle(s.HorzStyle());
  SetHorzWidth(s.HorzWidth());
  SetVertColor(s.VertColor());
  SetVertStyle(s.VertStyle());
  SetVertWidth(s.VertWidth());
}

void TwGridLinesEx::CopyEx(const TwGridLinesEx& o) {
  cellColor_ = o.cellColor_;
  cellStyle_ = o.cellStyle_;
  cellWidth_ = o.cellWidth_;
  levelColor_ = o.levelColor_;
  levelStyle_ = o.levelStyle_;
  levelWidth_ = o.levelWidth_;
}

void TwGridLinesEx::Assign(const TwGridLines& source) {
  TwGridLines::Assign(source);
  if (auto* s = dynamic_cast<const TwGridLinesEx*>(&source)) {
    SetCellColor(s->CellColor());
    SetCellStyle(s->CellStyle());
    SetCellWidth(s->CellWidth());
    SetLevelColor(s->LevelColor());
    SetLevelStyle(s->LevelStyle());
    SetLevelWidth(s->LevelWidth());
  }
}

void SetHorzLine(TwDrawInfo& d, TColor color, TPenStyle style, int width) {
  d.HorzLineColor = color;
  d.HorzLineStyle = style;
  d.HorzLineWidth = width;
}

void SetVertLine(TwDrawInfo& d, TColor color, TPenStyle style, int width) {
  d.VertLineColor = color;
  d.VertLineStyle = style;
  d.VertLineWidth = width;
}

// --- TwDrawObject ---------------------------------------------------------------------------------

const TwFont& TwDrawObject::Font() const {
  if (IsAssigned(wdvFont)) return font_;
  // Mirror the owner's font into the own object; copying does not notify, so the flag stays clear.
  TwFont def = GetDefaultFont();
  if (!(font_ == def)) font_ = std::move(def);
  return font_;
}

TwFont TwDrawObject::GetDefaultFont() const {
  if (TwGridModel* g = GetGrid()) return g->Font();
  return TwFont{};
}

bool TwDrawObject::GridLoading() const {
  TwGridModel* g = GetGrid();
  return g && g->GridState().Loading();
}

void TwDrawObject::SetMargins(const TwMargins& m) {
  if (margins_ == m) return;
  margins_ = m;
  assigned_ |= std::uint16_t((1u << wdvMarginLeft) | (1u << wdvMarginTop) | (1u << wdvMarginRight) |
                             (1u << wdvMarginBottom));
  Changed();
}

void TwDrawObject::SetCellStyle(TwCellStyle v) {
  if (cellStyle_ == v) return;
  cellStyle_ = v;
  Changed();
}

bool TwDrawObject::IsStored(TwDrawValue v) const {
  if (!IsAssigned(v)) return false;
  switch (v) {
    case wdvAlignment:
      return alignment_ != GetDefaultAlignment();
    case wdvColor:
      return color_ != GetDefaultColor();
    case wdvFitStyle:
      return fitStyle_ != GetDefaultFitStyle();
    case wdvFont:
      return true;
    case wdvLayout:
      return layout_ != GetDefaultLayout();
    case wdvMarginLeft:
      return margins_.Left != GetDefaultMarginLeft();
    case wdvMarginTop:
      return margins_.Top != GetDefaultMarginTop();
    case wdvMarginRight:
      return margins_.Right != GetDefaultMarginRight();
    case wdvMarginBottom:
      return margins_.Bottom != GetDefaultMarginBottom();
    case wdvWordWrap:
      return wordWrap_ != GetDefaultWordWrap();
  }
  return false;
}

void TwDrawObject::Assign(const TwDrawObject& s) {
  SetCellStyle(s.CellStyle());
  if (s.IsAssigned(wdvAlignment)) SetAlignment(s.alignment_);
  if (s.IsAssigned(wdvColor)) SetColor(s.color_);
  if (s.IsAssigned(wdvFitStyle)) SetFitStyle(s.fitStyle_);
  if (s.IsAssigned(wdvFont)) SetFont(s.font_);
  if (s.IsAssigned(wdvLayout)) SetLayout(s.layout_);
  if (s.IsAssigned(wdvMarginLeft) || s.IsAssigned(wdvMarginTop) || s.IsAssigned(wdvMarginRight) ||
      s.IsAssigned(wdvMarginBottom))
    SetMargins(s.margins_);
  if (s.IsAssigned(wdvWordWrap)) SetWordWrap(s.wordWrap_);
}

void TwDrawObject::FillDrawInfo(TwDrawInfo& d) const {
  d.Clear();
  d.Alignment = Alignment();
  d.FitStyle = FitStyle();
  d.Layout = Layout();
  d.WordWrap = WordWrap();
  // The stored margins as they are, not through the providers.
  d.Margins[0] = margins_.Left;
  d.Margins[1] = margins_.Top;
  d.Margins[2] = margins_.Right;
  d.Margins[3] = margins_.Bottom;
  d.CellStyle = cellStyle_;
}

// --- TwTitle --------------------------------------------------------------------------------------

void TwTitle::SetPressed(bool v) {
  if (pressed_ == v) return;
  pressed_ = v;
  Changed();
}

void TwTitle::SetCaption(std::string_view v) {
  if (caption_ == v) return;
  caption_ = std::string(v);
  Changed();
}

void TwTitle::SetClicking(bool v) {
  if (clicking_ == v) return;
  clicking_ = v;
  Changed();
}

void TwTitle::SetImage(const QImage& v) {
  image_ = v;
  if (!GridLoading()) {
    if (image_.isNull())
      imageLayout_ = wimgNone;
    else if (imageLayout_ == wimgNone)
      imageLayout_ = wimgLeft;
  }
  Changed();
}

void TwTitle::SetImageLayout(TwImageLayout v) {
  if (imageLayout_ == v) return;
  imageLayout_ = v;
  Changed();
}

void TwTitle::Assign(const TwDrawObject& source) {
  TwDrawObject::Assign(source);
  if (auto* s = dynamic_cast<const TwTitle*>(&source)) {
    SetCaption(s->Caption());
    SetClicking(s->Clicking());
    SetImage(s->Image());
    SetImageLayout(s->ImageLayout());
  }
}
