#include "grid/structure/column.h"

#include <algorithm>

#include "grid/structure/extents.h"
#include "grid/structure/grid_model.h"
#include "grid/structure/pixel_range.h"
#include "platform/error.h"
#include "platform/format/format.h"

// Map: TwColumnTitle - TwColumnFooter - TwColumn (construction, properties, visibility, widths, value
// texts, data rules, drawing records) - TwColumns (items, visible list, navigation, Update, checks).

// --- TwColumnTitle --------------------------------------------------------------------------------

TwGridModel* TwColumnTitle::GetGrid() const {
  return column_->Grid();
}

void TwColumnTitle::SetSortMark(TwSortMark v) {
  if (sortMark_ == v) return;
  sortMark_ = v;
  Changed();
}

void TwColumnTitle::Changed() {
  TwGridModel* g = GetGrid();
  if (g && g->GridState().Designing())
    column_->Changed();
  else if (g)
    g->ColumnTitleChanged(column_);
}

TwFont TwColumnTitle::GetDefaultFont() const {
  return column_->Font();
}
int TwColumnTitle::GetDefaultMarginLeft() const {
  return column_->MarginLeft();
}
int TwColumnTitle::GetDefaultMarginTop() const {
  return column_->MarginTop();
}
int TwColumnTitle::GetDefaultMarginRight() const {
  return column_->MarginRight();
}
int TwColumnTitle::GetDefaultMarginBottom() const {
  return column_->MarginBottom();
}

void TwColumnTitle::FillDrawInfo(TwDrawInfo& d) const {
  TwGridModel* g = GetGrid();
  const TwGroup* grp = g && g->GroupMode() ? column_->HoldingGroup() : nullptr;
  FillAt(d, grp, g && column_->FixedIn(*g, grp));
}

void TwColumnTitle::FillAt(TwDrawInfo& d, const TwGroup* grp, bool fixed) const {
  TwDrawObject::FillDrawInfo(d);
  TwGridModel* g = GetGrid();
  if (!g) return;
  d.ClipLeft = fixed ? 0 : g->Extents().FixedRight();
  d.ClipBottom = g->Extents().FooterTop();
  if (Pressed()) d.CellStyle = wcsDown;
  const TwGridLinesEx& l = g->Headers().Lines();
  if (!g->GroupMode()) {
    SetHorzLine(d, l);
    SetVertLine(d, l);
    return;
  }
  // Group mode: only a visible group with column titles shows them.
  if (!grp || !grp->Visible() || grp->NoColTitles()) return;
  if (column_->Level() < grp->Levels() - 1)
    SetHorzLine(d, l.LevelColor(), l.LevelStyle(), l.LevelWidth());
  else
    SetHorzLine(d, l);
  if (column_->LevelIndex() < grp->LevelCount(column_->Level()) - 1)
    SetVertLine(d, l.CellColor(), l.CellStyle(), l.CellWidth());
  else if (grp->VisibleIndex() == g->Groups().VisibleCount() - 1)
    SetVertLine(d, g->EndLines());
  else
    SetVertLine(d, l);
}

// --- TwColumnFooter -------------------------------------------------------------------------------

TwGridModel* TwColumnFooter::GetGrid() const {
  return column_->Grid();
}

void TwColumnFooter::Assign(const TwDrawObject& source) {
  if (const auto* f = dynamic_cast<const TwColumnFooter*>(&source); f && f != this) values_ = f->values_;
  TwDrawObject::Assign(source);
}

std::string TwColumnFooter::GetValue(int row) const {
  if (row < 0 || row >= int(values_.size())) return {};
  return values_[std::size_t(row)];
}

void TwColumnFooter::SetValue(int row, std::string_view text) {
  TwGridModel* g = GetGrid();
  const int rows = g ? g->Footers().Count() : 0;
  if (row < 0 || row >= rows)
    throw plat::Exception("Bound Error in TwColumnFooter.SetValues(" + std::to_string(row) + ")");
  if (int(values_.size()) <= row) values_.resize(std::size_t(row) + 1);
  if (values_[std::size_t(row)] == text) return;
  values_[std::size_t(row)] = std::string(text);
  Changed();
}

void TwColumnFooter::Changed() {
  TwGridModel* g = GetGrid();
  if (g && g->GridState().Designing())
    column_->Changed();
  else if (g)
    g->ColumnFooterChanged(column_);
}

TAlignment TwColumnFooter::GetDefaultAlignment() const {
  return column_->Alignment();
}
TwFitStyle TwColumnFooter::GetDefaultFitStyle() const {
  return column_->FitStyle();
}
TwFont TwColumnFooter::GetDefaultFont() const {
  return column_->Font();
}
TTextLayout TwColumnFooter::GetDefaultLayout() const {
  return column_->Layout();
}
int TwColumnFooter::GetDefaultMarginLeft() const {
  return column_->MarginLeft();
}
int TwColumnFooter::GetDefaultMarginTop() const {
  return column_->MarginTop();
}
int TwColumnFooter::GetDefaultMarginRight() const {
  return column_->MarginRight();
}
int TwColumnFooter::GetDefaultMarginBottom() const {
  return column_->MarginBottom();
}
bool TwColumnFooter::GetDefaultWordWrap() const {
  return column_->WordWrap();
}

void TwColumnFooter::FillDrawInfo(TwDrawInfo& d) const {
  FillAt(d, column_->Fixed());
}

void TwColumnFooter::FillAt(TwDrawInfo& d, bool fixed) const {
  TwDrawObject::FillDrawInfo(d);
  TwGridModel* g = GetGrid();
  if (!g) return;
  d.ClipLeft = fixed ? 0 : g->Extents().FixedRight();
  d.ClipBottom = g->ClientHeight();
  d.HorzLineWidth = 0;
  d.VertLineWidth = 0;
}

// --- TwColumn: construction -----------------------------------------------------------------------

TwColumn::TwColumn(TwColumns* collection)
    : collection_(collection),
      title_(std::make_unique<TwColumnTitle>(this)),
      footer_(std::make_unique<TwColumnFooter>(this)),
      listOption_(std::make_unique<TwColumnListOption>(this)) {
  imagesLink_.Changed = [this] { Changed(); };
  imagesLink_.Freed = [this] { images_ = nullptr; };
}

void TwColumn::CreateParts() {
  title_ = CreateTitle();
  footer_ = CreateFooter();
  listOption_ = CreateListOption();
}

TwColumn::~TwColumn() {
  if (images_) images_->UnregisterChanges(&imagesLink_);
}

int TwColumn::Index() const {
  return collection_ ? collection_->IndexOf(this) : -1;
}

std::string TwColumn::DisplayName() const {
  if (!title_->Caption().empty()) return title_->Caption();
  return "TwColumn" + std::to_string(Index());
}

const plat::ComponentState& TwColumn::GridState() const {
  static const plat::ComponentState none;
  return Grid() ? Grid()->GridState() : none;
}

void TwColumn::Changed(bool allItems) {
  if (collection_) collection_->Update(allItems ? nullptr : this);
}

bool TwColumn::IsCurrent() const {
  TwGridModel* g = Grid();
  return g && g->CurrentColumnIndex() == Index();
}

// --- TwColumn: properties -------------------------------------------------------------------------

TwAlignment TwColumn::Alignment() const {
  return IsAssigned(cvAlignment) ? alignment_ : DefaultAlignment();
}

TwAlignment TwColumn::DefaultAlignment() const {
  if (IsNumeric()) return taRightJustify;
  if (IsGraphic()) return taCenter;
  return taLeftJustify;
}

void TwColumn::SetAlignment(TwAlignment v) {
  if (IsAssigned(cvAlignment) && alignment_ == v) return;
  alignment_ = v;
  MarkAssigned(cvAlignment);
  Changed();
}

const TwFont& TwColumn::Font() const {
  if (IsAssigned(cvFont)) return font_;
  if (TwGridModel* g = Grid())
    if (!(font_ == g->Font())) font_ = g->Font();
  return font_;
}

void TwColumn::SetFont(const TwFont& v) {
  if (IsAssigned(cvFont) && font_ == v) return;
  font_ = v;
  MarkAssigned(cvFont);
  Changed();
}

TImeMode TwColumn::ImeMode() const {
  if (IsAssigned(cvImeMode)) return imeMode_;
  return Grid() ? Grid()->ImeMode() : imDontCare;
}

void TwColumn::SetImeMode(TImeMode v) {
  if (IsAssigned(cvImeMode) && imeMode_ == v) return;
  imeMode_ = v;
  MarkAssigned(cvImeMode);
  Changed();
}

const std::string& TwColumn::ImeName() const {
  if (IsAssigned(cvImeName) || !Grid()) return imeName_;
  return Grid()->ImeName();
}

void TwColumn::SetImeName(std::string_view v) {
  if (IsAssigned(cvImeName) && imeName_ == v) return;
  imeName_ = std::string(v);
  MarkAssigned(cvImeName);
  Changed();
}

void TwColumn::SetEditBorder(TwEditBorderStyle v) {
  if (editBorder_ == v) return;
  editBorder_ = v;
  if (IsCurrent() && !GridState().Loading()) Grid()->RequestLayout();
  Changed();
}

void TwColumn::SetEditColor(bool v) {
  if (editColor_ == v) return;
  editColor_ = v;
  if (IsCurrent() && !GridState().Loading()) Grid()->RequestLayout();
  Changed();
}

void TwColumn::SetEditFormat(std::string_view v) {
  if (editFormat_ == v) return;
  editFormat_ = std::string(v);
  Changed();
}

void TwColumn::SetEditStyle(TwEditStyle v) {
  if (editStyle_ == v) return;
  editStyle_ = v;
  if (!GridState().Loading()) Changed();
}

void TwColumn::SetCustomKind(std::string_view v) {
  if (customKind_ == v) return;
  customKind_ = std::string(v);
  if (!GridState().Loading()) Changed();
}

// --- TwColumn: place in a group ------------------------------------------------------------------

TwGroup* TwColumn::HoldingGroup() const {
  TwGridModel* g = Grid();
  if (!g || group_ < 0 || group_ >= g->Groups().Count()) return nullptr;
  TwGroup* grp = g->Groups().Items(group_);
  int level, index;
  return grp->Find(this, level, index) ? grp : nullptr;
}

namespace {
// While loading or updating the place is only stored; RebuildLevels applies it.
bool StoreOnly(const TwGridModel* g) {
  return !g || g->GridState().Loading() || g->GridState().Updating();
}
}  // namespace

void TwColumn::SetGroup(int v) {
  TwGridModel* g = Grid();
  if (StoreOnly(g)) {
    group_ = v;
    return;
  }
  v = std::clamp(v, -1, g->Groups().Count() - 1);
  TwGroup* holder = HoldingGroup();
  if (v >= 0) {
    if (holder && v == group_) return;
    SetPosition({v, level_, levelIndex_});
    return;
  }
  if (!holder) {
    group_ = -1;
    return;
  }
  // Leaving the group: a current cell in that group is recomputed.
  const TwCellPos cur = g->GroupMode() ? g->CurrentCell() : TwCellPos{};
  const bool wasCurrent = IsCurrent();
  const int vi = holder->VisibleIndex();
  holder->RemoveColumn(this);
  if (cur.IsSet() && cur.Group == vi && wasCurrent) {
    g->RequestChange({TwGridModel::ChangeRequest::CloseEditor});
    g->RequestChange({TwGridModel::ChangeRequest::MoveToFirstCell});
  }
}

void TwColumn::SetLevel(int v) {
  TwGridModel* g = Grid();
  TwGroup* holder = StoreOnly(g) ? nullptr : HoldingGroup();
  if (!holder) {
    level_ = StoreOnly(g) ? v : std::max(0, v);
    return;
  }
  v = std::clamp(v, 0, holder->Levels() - 1);
  if (v == level_) return;
  SetPosition({group_, v, levelIndex_});
}

void TwColumn::SetLevelIndex(int v) {
  TwGridModel* g = Grid();
  TwGroup* holder = StoreOnly(g) ? nullptr : HoldingGroup();
  if (!holder) {
    levelIndex_ = StoreOnly(g) ? v : std::max(0, v);
    return;
  }
  v = std::max(0, v);
  if (v == levelIndex_) return;
  holder->MoveColumn(this, v);  // an index beyond the level leaves the column where it is
}

void TwColumn::SetPosition(const TwCellPos& pos) {
  TwGridModel* g = Grid();
  if (StoreOnly(g)) {
    group_ = pos.Group;
    level_ = pos.Level;
    levelIndex_ = pos.Index;
    return;
  }
  const int gi = std::clamp(pos.Group, -1, g->Groups().Count() - 1);
  if (gi < 0) {
    SetGroup(-1);
    return;
  }
  TwGroup* target = g->Groups().Items(gi);
  TwGroup* holder = HoldingGroup();
  const int level = std::clamp(pos.Level, 0, target->Levels() - 1);
  const bool wasCurrent = g->GroupMode() && IsCurrent();
  if (holder == target && level == level_) {
    if (pos.Index != levelIndex_) target->MoveColumn(this, std::max(0, pos.Index));
  } else if (holder == target && pos.Index == levelIndex_) {
    target->RemoveColumn(this);
    target->InsertColumn(level, levelIndex_, this);
  } else {
    if (holder) holder->RemoveColumn(this);
    target->InsertColumn(level, pos.Index, this);
  }
  // The current cell follows the column; one that left the visible groups starts over.
  if (wasCurrent && !g->Groups().PosOf(this).IsSet()) {
    g->RequestChange({TwGridModel::ChangeRequest::CloseEditor});
    g->RequestChange({TwGridModel::ChangeRequest::MoveToFirstCell});
  }
}

void TwColumn::SetImageLayout(TwImageLayout v) {
  if (imageLayout_ == v) return;
  imageLayout_ = v;
  if (images_ && images_->Count() > 0) Changed();
}

void TwColumn::SetImages(TwImageList* v) {
  if (images_ == v) return;
  if (images_) images_->UnregisterChanges(&imagesLink_);
  images_ = v;
  if (images_) images_->RegisterChanges(&imagesLink_);
  if (images_ && !GridState().Loading()) imageLayout_ = wimgLeft;
  Changed();
}

void TwColumn::SetItems(TwStrings v) {
  items_ = std::move(v);
  Changed();
}

void TwColumn::SetValues(TwStrings v) {
  values_ = std::move(v);
  Changed();
}

void TwColumn::SetMargin(int index, int v) {
  v = std::clamp(v, 0, 255);
  Set(margins_[index & 3], v);
}

void TwColumn::SetMaxLength(int v) {
  if (!GridState().Loading()) v = std::max(0, v);
  Set(maxLength_, v);
}

void TwColumn::SetMaxValue(std::string_view v) {
  if (maxValue_ == v) return;
  maxValue_ = std::string(v);
  Changed();
}

void TwColumn::SetMinValue(std::string_view v) {
  if (minValue_ == v) return;
  minValue_ = std::string(v);
  Changed();
}

namespace {
// A bound as a number, or as a date-time's serial number when it is no number; 0 when empty.
double BoundValue(const std::string& s) {
  if (s.empty()) return 0;
  double d;
  if (plat::fmt::TryStrToFloat(s, d)) return d;
  return plat::fmt::StrToDateTime(s);
}
}  // namespace

double TwColumn::MaxValueAsFloat() const {
  return BoundValue(maxValue_);
}
double TwColumn::MinValueAsFloat() const {
  return BoundValue(minValue_);
}

void TwColumn::SetPopupMenu(QMenu* v) {
  if (popupMenu_ == v) return;
  popupMenu_ = v;
  Changed();
}

void TwColumn::SetRadioColumns(int v) {
  v = std::max(1, v);
  if (radioColumns_ == v) return;
  radioColumns_ = v;
  if (GetEditKind() == wekRadioGroup) Changed();
}

void TwColumn::SetTransparent(bool v) {
  if (transparent_ == v) return;
  transparent_ = v;
  if (IsGraphic()) Changed();
}

int TwColumn::Weight() const {
  const TwGroup* g = HoldingGroup();
  return g ? g->LevelWeight(level_) : 1;
}

void TwColumn::SetWeight(int v) {
  if (GridState().Loading()) return;
  if (TwGroup* g = HoldingGroup()) g->SetLevelWeight(level_, v);
}

// --- TwColumn: widths -----------------------------------------------------------------------------

int TwColumn::Width() const {
  TwGridModel* g = Grid();
  return g && g->GroupMode() ? grpWidth_ : colWidth_;
}

void TwColumn::SetWidth(int v) {
  v = ClampPixelSize(v, kMinWidth);
  if (v == Width()) return;
  TwGridModel* g = Grid();
  if (!g || !g->GroupMode()) {
    const int old = colWidth_;
    colWidth_ = v;
    if (g && !g->GridState().Loading()) g->ColumnWidthChanged(this, old);
    return;
  }
  // Group mode: the group shares the width with a neighbour; a column without a group keeps its widths.
  if (TwGroup* grp = HoldingGroup()) grp->SetColumnWidth(this, v);
}

void TwColumn::SetColWidth(int v) {
  TwGridModel* g = Grid();
  if (g && g->GridState().Loading()) {
    colWidth_ = ClampPixelSize(v, 0);
    return;
  }
  if (!g || !g->GroupMode()) {
    SetWidth(v);
    return;
  }
  colWidth_ = ClampPixelSize(v, kMinWidth);
}

void TwColumn::SetGrpWidth(int v) {
  TwGridModel* g = Grid();
  if (g && g->GridState().Loading()) {
    grpWidth_ = ClampPixelSize(v, 0);
    return;
  }
  // Inside a group the level's widths must keep filling the group: the group shares the change out.
  if (TwGroup* grp = HoldingGroup()) {
    grp->SetColumnWidth(this, v);
    return;
  }
  grpWidth_ = ClampPixelSize(v, kMinWidth);
}

// --- TwColumn: visibility -------------------------------------------------------------------------

void TwColumn::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  const plat::ComponentState& st = GridState();
  if (st.Loading() || st.Destroying() || !collection_) return;
  if (st.Designing()) {
    collection_->Update(nullptr);
    collection_->RebuildVisible();
    return;
  }
  TwGridModel* g = Grid();
  const bool hidingCurrent = !v && g && !g->GroupMode() && IsCurrent();
  const int oldIndex = VisibleIndex();
  if (v)
    collection_->InsertVisible(this, std::min(savedVisibleIndex_, collection_->VisibleCount()));
  else
    collection_->RemoveVisible(this);
  Changed(true);
  // The grid moves the current cell off the hidden column.
  if (hidingCurrent) g->RequestChange({TwGridModel::ChangeRequest::CurrentColumnHidden, oldIndex});
}

void TwColumn::SetVisibleIndex(int v) {
  v = std::max(-1, v);
  if (GridState().Loading() || !collection_) return;
  const int cur = VisibleIndex();
  if (v == cur) return;
  if (v == -1) {
    SetVisible(false);
    return;
  }
  if (cur >= 0) {
    v = std::min(v, collection_->VisibleCount() - 1);
    savedVisibleIndex_ = v;
    collection_->MoveVisible(this, v);
    Changed(true);
  } else {
    v = std::min(v, collection_->VisibleCount());
    savedVisibleIndex_ = v;
    SetVisible(true);
  }
}

// --- TwColumn: value texts and data rules ---------------------------------------------------------

bool TwColumn::ItemsMapValues() const {
  return !values_.empty() && items_.size() >= values_.size();
}

std::string TwColumn::GetBoolValue(int index) const {
  if (values_.size() > 1 && index >= 0 && index < int(values_.size())) return values_[std::size_t(index)];
  return index == 0 ? "False" : "True";
}

std::string TwColumn::GetBoolText(int index) const {
  if (ItemsMapValues() && values_.size() > 1 && index >= 0 && index < int(items_.size()))
    return items_[std::size_t(index)];
  return GetBoolValue(index);
}

bool TwColumn::CanShowEditor() const {
  const TwEditKind k = GetEditKind();
  if (k == wekNone) return false;
  if ((k == wekDate || k == wekTime) && readOnly_) return false;
  return true;
}

bool TwColumn::CanFocus() const {
  return !readOnly_;
}

bool TwColumn::CanModify() {
  if (readOnly_) return false;
  TwGridModel* g = Grid();
  return g ? g->ColumnCanModify(this) : true;
}

void TwColumn::AssignColumn(const TwColumn& s) {
  if (collection_) collection_->BeginUpdate();
  if (s.IsAssigned(cvAlignment)) SetAlignment(s.alignment_);
  SetAutoSize(s.autoSize_);
  SetCharCase(s.charCase_);
  SetColor(s.color_);
  SetCtl3D(s.ctl3D_);
  SetEditBorder(s.editBorder_);
  SetEditButton(s.editButton_);
  SetEditColor(s.editColor_);
  SetEditFormat(s.editFormat_);
  SetEditStyle(s.editStyle_);
  SetCustomKind(s.customKind_);
  SetEqualBlank(s.equalBlank_);
  SetFitStyle(s.fitStyle_);
  SetImages(s.images_);
  SetImageLayout(s.imageLayout_);
  if (s.IsAssigned(cvFont)) SetFont(s.font_);
  SetFooter(*s.footer_);
  if (s.IsAssigned(cvImeMode)) SetImeMode(s.imeMode_);
  if (s.IsAssigned(cvImeName)) SetImeName(s.imeName_);
  SetItems(s.items_);
  SetLayout(s.layout_);
  for (int i = 0; i < 4; ++i) SetMargin(i, s.margins_[i]);
  SetListOption(*s.listOption_);
  SetMaxLength(s.maxLength_);
  SetMaxValue(s.maxValue_);
  SetMinValue(s.minValue_);
  SetPopupMenu(s.popupMenu_.data());
  SetRadioColumns(s.radioColumns_);
  SetReadOnly(s.readOnly_);
  SetTitle(*s.title_);
  SetTransparent(s.transparent_);
  SetValues(s.values_);
  SetVisible(s.visible_);
  SetColWidth(s.colWidth_);
  SetGrpWidth(s.grpWidth_);
  SetWordWrap(s.wordWrap_);
  if (collection_) collection_->EndUpdate();
}

// --- TwColumn: drawing records --------------------------------------------------------------------

bool TwColumn::Fixed() const {
  const TwGridModel* g = Grid();
  return g && FixedIn(*g, g->GroupMode() ? HoldingGroup() : nullptr);
}

bool TwColumn::FixedIn(const TwGridModel& g, const TwGroup* grp) const {
  const int vi = g.GroupMode() ? (grp ? grp->VisibleIndex() : -1) : VisibleIndex();
  return vi >= 0 && vi < g.FixedCount();
}

void TwColumn::FillDrawRecords(TwDrawInfo& cell, TwDrawInfo& title, TwDrawInfo& footer) const {
  TwGridModel* g = Grid();
  const TwGroup* grp = g && g->GroupMode() ? HoldingGroup() : nullptr;
  const bool fixed = g && FixedIn(*g, grp);
  FillCellAt(cell, grp, fixed);
  title_->FillAt(title, grp, fixed);
  footer_->FillAt(footer, fixed);
}

int TwColumn::LevelLeft() const {
  const TwGroup* grp = HoldingGroup();
  return grp ? grp->ColumnLeft(level_, levelIndex_) : 0;
}

int TwColumn::LevelRight() const {
  const TwGroup* grp = HoldingGroup();
  return grp ? grp->ColumnRight(level_, levelIndex_) : 0;
}

void TwColumn::FillDrawInfo(TwDrawInfo& d) const {
  TwGridModel* g = Grid();
  const TwGroup* grp = g && g->GroupMode() ? HoldingGroup() : nullptr;
  FillCellAt(d, grp, g && FixedIn(*g, grp));
}

void TwColumn::FillCellAt(TwDrawInfo& d, const TwGroup* grp, bool fixed) const {
  d.Clear();
  TwGridModel* g = Grid();
  if (!g) return;
  const bool group = g->GroupMode();
  const int vi = group ? (grp ? grp->VisibleIndex() : -1) : VisibleIndex();

  const TwGridExtents& e = g->Extents();
  d.ClipLeft = fixed ? 0 : e.FixedRight();
  d.ClipBottom = e.FooterTop();
  d.Alignment = Alignment();
  d.FitStyle = fitStyle_;
  d.Layout = layout_;
  for (int i = 0; i < 4; ++i) d.Margins[i] = margins_[i];
  d.WordWrap = wordWrap_;
  d.CellStyle = fixed ? g->FixedStyle().CellStyle() : wcsNormal;
  const TwGridLinesEx& l = fixed ? g->FixedStyle().Lines() : g->Lines();
  if (!group) {
    SetHorzLine(d, l);
    const bool last = vi == g->Columns().VisibleCount() - 1;
    SetVertLine(d, last ? g->EndLines() : static_cast<const TwGridLines&>(l));
    return;
  }
  if (!grp) return;
  // Group mode: level lines inside the group, cell lines inside a level, the group's lines at its edges.
  if (level_ < grp->Levels() - 1)
    SetHorzLine(d, l.LevelColor(), l.LevelStyle(), l.LevelWidth());
  else
    SetHorzLine(d, l);
  if (levelIndex_ < grp->LevelCount(level_) - 1)
    SetVertLine(d, l.CellColor(), l.CellStyle(), l.CellWidth());
  else if (vi >= 0 && vi == g->Groups().VisibleCount() - 1)
    SetVertLine(d, g->EndLines());
  else
    SetVertLine(d, l);
}

// --- TwColumns ------------------------------------------------------------------------------------

TwColumns::TwColumns(TwGridModel* owner, Factory factory) : owner_(owner), factory_(std::move(factory)) {}

TwColumns::~TwColumns() {
  // Columns may ask the collection for their index while they are destroyed: clear the lists first.
  visible_.Clear();
  auto items = std::move(items_);
  items.clear();
}

int TwColumns::IndexOf(const TwColumn* c) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == c) return int(i);
  return -1;
}

TwColumn* TwColumns::Add() {
  items_.push_back(factory_(this));
  TwColumn* c = items_.back().get();
  c->CreateParts();
  const plat::ComponentState* st = owner_ ? &owner_->GridState() : nullptr;
  if (st && (st->Loading() || st->Designing())) {
    if (c->Visible()) visible_.Append(c);
  } else {
    // Placed at the visible index equal to its collection index (clamped): appended.
    c->savedVisibleIndex_ = std::min(Count() - 1, VisibleCount());
    if (c->Visible()) InsertVisible(c, c->savedVisibleIndex_);
  }
  if (owner_) owner_->ColumnAdded(c);
  if (owner_ && !st->Loading() && !st->Updating()) c->Footer().Recalculate();
  Update(nullptr);
  return c;
}

void TwColumns::Delete(int i) {
  if (i < 0 || i >= Count()) return;
  TwColumn* c = items_[std::size_t(i)].get();
  if (owner_) owner_->ColumnRemoving(c);
  // Always out of its group's level list, so that no list keeps a destroyed column.
  if (TwGroup* grp = c->HoldingGroup()) grp->RemoveColumn(c);
  RemoveVisible(c);
  std::unique_ptr<TwColumn> doomed = std::move(items_[std::size_t(i)]);
  items_.erase(items_.begin() + i);
  doomed.reset();
  Update(nullptr);
}

void TwColumns::Clear() {
  BeginUpdate();
  while (Count() > 0) Delete(Count() - 1);
  EndUpdate();
}

TwColumn* TwColumns::VisibleItems(int i) const {
  if (i < 0 || i >= VisibleCount())
    throw plat::Exception("TwColumns Bounds Error in GetVItems(" + std::to_string(i) + ")");
  return visible_.At(i);
}

void TwColumns::RebuildVisible() {
  for (std::size_t i = 0; i < items_.size(); ++i) items_[i]->savedVisibleIndex_ = int(i);
  visible_.Rebuild(items_, [](const TwColumn& c) { return c.Visible(); });
}

void TwColumns::InsertVisible(TwColumn* c, int at) {
  visible_.Insert(c, at);
}

void TwColumns::RemoveVisible(TwColumn* c) {
  visible_.Remove(c);
}

void TwColumns::MoveVisible(TwColumn* c, int to) {
  visible_.Move(c, to);
}

int TwColumns::FirstNavigable() const {
  const int last = VisibleCount() - 1;
  if (!owner_ || !owner_->SkipReadOnly()) return 0;
  for (int i = 0; i < last; ++i)
    if (visible_.At(i)->CanFocus()) return i;
  return std::max(0, last);
}

int TwColumns::LastNavigable() const {
  const int last = VisibleCount() - 1;
  if (!owner_ || !owner_->SkipReadOnly()) return std::max(0, last);
  for (int i = last; i > 0; --i)
    if (visible_.At(i)->CanFocus()) return i;
  return 0;
}

int TwColumns::NextNavigable(int i) const {
  const int last = std::max(0, VisibleCount() - 1);
  if (!owner_ || !owner_->SkipReadOnly()) return std::min(i + 1, last);
  for (int j = i + 1; j <= last; ++j)
    if (visible_.At(j)->CanFocus()) return j;
  return std::clamp(i, 0, last);
}

int TwColumns::PriorNavigable(int i) const {
  const int last = std::max(0, VisibleCount() - 1);
  if (!owner_ || !owner_->SkipReadOnly()) return std::max(0, i - 1);
  for (int j = std::min(i - 1, last); j >= 0; --j)
    if (visible_.At(j)->CanFocus()) return j;
  return std::clamp(i, 0, last);
}

void TwColumns::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Update(nullptr);
}

void TwColumns::Update(TwColumn* item) {
  if (!owner_) return;
  owner_->InvalidateLayout();  // the drawing records follow every change, also one made quietly
  if (updateCount_ > 0) return;
  if (owner_->GridState().Loading() || owner_->GridState().Updating()) return;
  owner_->ColumnsChanged(item);
}

std::string TwColumns::CheckConsistency() const {
  // While loading or designing a visible column may be missing from the list.
  const bool complete = !(owner_ && (owner_->GridState().Designing() || owner_->GridState().Loading()));
  return visible_.CheckConsistency(
      items_, [](const TwColumn& c) { return c.Visible(); }, complete, false, "column");
}
