#include "grid/structure/grid_model.h"

#include <algorithm>

#include "grid/structure/extents.h"
#include "grid/structure/pixel_range.h"
#include "grid/structure/scope_guard.h"

// Map: construction - grid-level properties - the two modes (GroupMode, FixedCount, RowHeight,
// HorzOffset) - layout and repaint rectangles - refresh requests - notifications - rebuild and checks.

TwGridModel::TwGridModel(TwColumns::Factory columnFactory, TwGroups::Factory groupFactory) {
  // The grid's own lines are grey under the rows; the value counts as this owner's default.
  lines_.SetHorzColor(0x808080);
  lines_.OnChange = [this] {
    InvalidateLayout();
    if (!state_.Loading()) Repaint({TwRepaintArea::Grid});
  };
  endLines_.OnChange = lines_.OnChange;
  fixedStyle_ = std::make_unique<TwFixedStyle>(this);
  indicators_ = std::make_unique<TwIndicators>(this);
  markers_ = std::make_unique<TwMarkers>(this);
  headers_ = std::make_unique<TwGridHeaders>(this);
  footers_ = std::make_unique<TwGridFooters>(this);
  columns_ = std::make_unique<TwColumns>(this, std::move(columnFactory));
  groups_ = std::make_unique<TwGroups>(this, std::move(groupFactory));
  extents_ = std::make_unique<TwGridExtents>(this);
}

TwGridModel::~TwGridModel() {
  state_.Include(plat::ComponentStateFlag::Destroying);
  DestroyColumns();
}

void TwGridModel::DestroyColumns() {
  state_.Include(plat::ComponentStateFlag::Destroying);
  // The groups only point at columns; neither side touches the other while the grid is destroyed.
  columns_.reset();
  groups_.reset();
}

// --- grid-level properties ------------------------------------------------------------------------

void TwGridModel::SetFont(const TwFont& v) {
  if (font_ == v) return;
  font_ = v;
  InvalidateLayout();
  if (!state_.Loading()) Repaint({TwRepaintArea::Grid});
}

void TwGridModel::SetColor(TColor v) {
  if (color_ == v) return;
  color_ = v;
  if (!state_.Loading()) Repaint({TwRepaintArea::Grid});
}

// --- the two modes --------------------------------------------------------------------------------

int TwGridModel::ModeItemCount() const {
  return groupMode_ ? groups_->VisibleCount() : columns_->VisibleCount();
}

void TwGridModel::RequestChange(const ChangeRequest& request) {
  switch (request.What) {
    case ChangeRequest::CloseEditor:
      HideCellEditor();
      break;
    case ChangeRequest::MoveToFirstCell:
      SetCurrentCell(groups_->FirstPos());
      break;
    case ChangeRequest::CurrentColumnHidden:
      CurrentColumnHidden(request.OldVisibleIndex);
      break;
  }
}

void TwGridModel::SetGroupMode(bool v) {
  if (state_.Loading() || state_.Updating()) {
    groupMode_ = v;
    return;
  }
  if (groupMode_ == v) return;
  if (v && groups_->VisibleCount() == 0) return;
  HideCellEditor();
  groupMode_ = v;
  // Every per-mode size changes: the footer offsets, FixedCount, the scroll ranges and the layout follow.
  footers_->RebuildVisible();
  ReapplyFixedCount();
  horzOffset_ = 0;
  RequestScrollBars();
  RequestLayout();
  Repaint({TwRepaintArea::Grid});
  RestoreCellEditor();
}

void TwGridModel::SetFixedCount(int v) {
  int& field = groupMode_ ? grpFixedCount_ : colFixedCount_;
  if (state_.Loading() || state_.Updating()) {
    field = v;
    return;
  }
  // At least one item scrolls.
  v = std::clamp(v, 0, std::max(0, ModeItemCount() - 1));
  if (field == v) return;
  LockPaint();
  field = v;
  horzOffset_ = 0;
  RequestLayout();
  UnlockPaint();
  RequestScrollBars();
  MoveCurrentOutOfFixedArea();
  Repaint({TwRepaintArea::Grid});
}

void TwGridModel::SetColFixedCount(int v) {
  if (state_.Loading() || state_.Updating()) {
    colFixedCount_ = v;
  } else if (!groupMode_) {
    SetFixedCount(v);
  } else {
    colFixedCount_ = std::clamp(v, 0, std::max(0, columns_->VisibleCount() - 1));
  }
}

void TwGridModel::SetGrpFixedCount(int v) {
  if (state_.Loading() || state_.Updating()) {
    grpFixedCount_ = v;
  } else if (groupMode_) {
    SetFixedCount(v);
  } else {
    grpFixedCount_ = std::clamp(v, 0, std::max(0, groups_->VisibleCount() - 1));
  }
}

void TwGridModel::ReapplyFixedCount() {
  int& field = groupMode_ ? grpFixedCount_ : colFixedCount_;
  const int n = std::clamp(field, 0, std::max(0, ModeItemCount() - 1));
  if (n == field) return;
  field = n;
  RequestLayout();
}

void TwGridModel::MoveCurrentOutOfFixedArea() {
  if (fixedStyle_->Options().Contains(wfxSelecting)) return;
  if (groupMode_) {
    const TwCellPos cur = CurrentCell();
    const TwCellPos first = groups_->FirstPos();
    if (cur.IsSet() && first.IsSet() && cur.Group < first.Group) SetCurrentCell(first);
    return;
  }
  const int cur = CurrentColumnIndex();
  if (cur < 0 || cur >= columns_->Count()) return;
  const int vi = columns_->Items(cur)->VisibleIndex();
  if (vi < 0 || vi >= colFixedCount_) return;
  // The first scrolling column navigation may enter.
  int target = colFixedCount_;
  if (SkipReadOnly())
    for (int i = colFixedCount_; i < columns_->VisibleCount(); ++i)
      if (columns_->VisibleItems(i)->CanFocus()) {
        target = i;
        break;
      }
  if (target < columns_->VisibleCount()) SetCurrentVisibleColumn(target);
}

void TwGridModel::SetRowHeight(int v) {
  int& field = groupMode_ ? grpRowHeight_ : colRowHeight_;
  if (state_.Loading()) {
    field = ClampPixelSize(v, 0);
    return;
  }
  const int old = field;
  if (state_.Updating()) {
    field = ClampPixelSize(v, 0);
  } else {
    v = ClampPixelSize(v, groupMode_ ? kMinGrpRowHeight : kMinColRowHeight);
    if (v != field) {
      field = v;
      RequestScrollBars();
      Repaint({TwRepaintArea::Grid});
    }
  }
  RequestLayout();
  if (OnRowHeightChange) OnRowHeightChange(EventSender(), old);
}

void TwGridModel::SetColRowHeight(int v) {
  if (state_.Loading() || state_.Updating())
    colRowHeight_ = ClampPixelSize(v, 0);
  else if (!groupMode_)
    SetRowHeight(v);
  else
    colRowHeight_ = ClampPixelSize(v, kMinColRowHeight);
}

void TwGridModel::SetGrpRowHeight(int v) {
  if (state_.Loading() || state_.Updating())
    grpRowHeight_ = ClampPixelSize(v, 0);
  else if (groupMode_)
    SetRowHeight(v);
  else
    grpRowHeight_ = ClampPixelSize(v, kMinGrpRowHeight);
}

void TwGridModel::SetHorzOffset(int v) {
  v = std::clamp(v, 0, Extents().MaxHorzScroll());
  if (v == horzOffset_) return;
  horzOffset_ = v;
  InvalidateLayout();
  if (!state_.Loading() && !PaintLocked()) Repaint({TwRepaintArea::Grid});
}

TwCellPos TwGridModel::CurrentCell() const {
  const int cur = CurrentColumnIndex();
  if (!columns_ || !groups_ || cur < 0 || cur >= columns_->Count()) return {};
  return groups_->PosOf(columns_->Items(cur));
}

// --- layout ---------------------------------------------------------------------------------------

TRect TwGridModel::ClientRect() const {
  if (host_) return host_->ClientRect();
  return {0, 0, clientWidth_, clientHeight_};
}

int TwGridModel::FooterTop() const {
  return Extents().FooterTop();
}

int TwGridModel::FixedRight() const {
  return Extents().FixedRight();
}

TwGridModel::LayoutKey TwGridModel::CurrentLayoutKey() const {
  const TRect c = ClientRect();
  return {c.Left, c.Top, c.Right, c.Bottom, TopRow(), RowCount(), horzOffset_, groupMode_};
}

bool TwGridModel::LayoutStale() const {
  return layoutStale_ || !(CurrentLayoutKey() == layoutKey_);
}

void TwGridModel::Relayout() const {
  if (inLayout_ || !columns_ || !groups_) return;
  TwFlagScope laying(inLayout_);
  // Taken before the work, so that the drawing records asking for the layout get this one.
  layoutKey_ = CurrentLayoutKey();
  layoutStale_ = false;
  ++layoutCount_;
  extents_->Layout(TRect{layoutKey_.Left, layoutKey_.Top, layoutKey_.Right, layoutKey_.Bottom});
}

const TwGridExtents& TwGridModel::Extents() const {
  if (inLayout_ || state_.Destroying()) return *extents_;
  const LayoutKey k = CurrentLayoutKey();
  if (k == layoutKey_ && !layoutStale_) return *extents_;
  LayoutKey rowsAside = k;
  rowsAside.TopRow = layoutKey_.TopRow;
  rowsAside.Rows = layoutKey_.Rows;
  if (!layoutStale_ && rowsAside == layoutKey_) {
    // Appending rows or scrolling vertically moves only the rows.
    extents_->MoveRows(k.TopRow, k.Rows);
    layoutKey_ = k;
  } else {
    Relayout();
  }
  return *extents_;
}

TRect TwGridModel::AreaRect(const TwRepaintArea& area) const {
  const TwGridExtents& e = Extents();
  const TRect& c = e.ClientRect();
  const int b = area.Band;
  const bool band = b >= -2 && b < e.Count();
  TRect r{};
  switch (area.What) {
    case TwRepaintArea::Grid:
      r = c;
      break;
    case TwRepaintArea::Strip:
      if (band) r = {e.ItemLeft(b), c.Top, e.ItemRight(b), c.Bottom};
      break;
    case TwRepaintArea::StripHeader:
      if (band) r = e.HeaderStripRect(b);
      break;
    case TwRepaintArea::StripData:
      if (band) r = {e.ItemLeft(b), e.DataTop(), e.ItemRight(b), e.FooterTop()};
      break;
    case TwRepaintArea::StripFooter:
      if (band) r = {e.ItemLeft(b), e.FooterTop(), e.ItemRight(b), c.Bottom};
      break;
    case TwRepaintArea::TitleCell:
      if (area.Index >= 0 && area.Index < columns_->Count()) {
        const TwCellPos pos = groups_->PosOf(columns_->Items(area.Index));
        if (pos.IsSet() && pos.Group == b) r = e.ColumnTitleRect(pos);
      }
      break;
    case TwRepaintArea::FooterRow:
      if (area.Index >= 0 && area.Index < e.FooterCount())
        r = {c.Left, e.FooterRowTop(area.Index), c.Right, e.FooterRowBottom(area.Index)};
      break;
    case TwRepaintArea::HeaderCorner:
      r = e.HeaderCellRect(-1);
      break;
    case TwRepaintArea::HeaderBand:
      r = {c.Left, c.Top, c.Right, e.DataTop()};
      break;
    case TwRepaintArea::FixedData: {
      const int n = std::clamp(area.Index, 0, e.Count());
      if (n > 0) r = {e.Edge(2), e.DataTop(), e.Edge(n + 2), e.FooterTop()};
      break;
    }
  }
  // A scrolling band never shows under the fixed area.
  const bool scrolls = (area.What == TwRepaintArea::Strip || area.What == TwRepaintArea::StripHeader ||
                        area.What == TwRepaintArea::StripData || area.What == TwRepaintArea::StripFooter ||
                        area.What == TwRepaintArea::TitleCell) &&
                       b >= 0 && !e.IsFixedItem(b);
  if (scrolls) r.Left = std::max(r.Left, e.FixedRight());
  r = plat::paint::Intersect(r, c);
  return r.IsEmpty() ? TRect{} : r;
}

// --- refresh requests -----------------------------------------------------------------------------

void TwGridModel::Repaint(const TwRepaintArea& area) {
  InvalidateLayout();
  if (observer_) observer_->EffectRequested({TwGridEffect::Repaint, area});
  InvalidateArea(area);
}

void TwGridModel::RequestScrollBars() {
  InvalidateLayout();
  if (observer_) observer_->EffectRequested({TwGridEffect::ScrollBars, {}});
  UpdateScrollBars();
}

void TwGridModel::RequestLayout() {
  InvalidateLayout();
  if (observer_) observer_->EffectRequested({TwGridEffect::Layout, {}});
  RecomputeLayout();
}

// --- notifications --------------------------------------------------------------------------------

void TwGridModel::ColumnsChanged(TwColumn* item) {
  InvalidateLayout();
  if (state_.Loading() || state_.Updating() || state_.Destroying() || !columns_) return;
  if (item) {
    if (PaintLocked()) return;
    // Column mode repaints the column's strip, group mode the strip of its (visible) group.
    const int band = groupMode_ ? groups_->PosOf(item).Group : item->VisibleIndex();
    if (band >= 0) Repaint({TwRepaintArea::Strip, band});
    return;
  }
  if (state_.Designing()) columns_->RebuildVisible();
  if (!groupMode_) {
    ReapplyFixedCount();
    RequestScrollBars();
    const int cur = CurrentColumnIndex();
    if (cur >= 0 && cur < columns_->Count()) {
      const int vi = columns_->Items(cur)->VisibleIndex();
      const int last = columns_->LastNavigable();
      if (vi > last && columns_->VisibleCount() > 0) SetCurrentVisibleColumn(last);
    }
    if (!PaintLocked()) Repaint({TwRepaintArea::Grid});
  }
}

void TwGridModel::GroupsChanged(TwGroup* item) {
  InvalidateLayout();
  if (state_.Loading() || state_.Updating() || state_.Destroying() || !groups_) return;
  if (item) {
    if (!groupMode_ || PaintLocked()) return;
    const int vi = item->VisibleIndex();
    if (vi >= 0) Repaint({TwRepaintArea::Strip, vi});
    return;
  }
  if (state_.Designing()) groups_->RebuildVisible();
  groups_->WriteColumnPlaces();
  if (groupMode_ && groups_->VisibleCount() == 0) {
    SetGroupMode(false);
    return;
  }
  if (groupMode_) {
    ReapplyFixedCount();
    RequestScrollBars();
    if (!PaintLocked()) Repaint({TwRepaintArea::Grid});
  }
}

void TwGridModel::ColumnWidthChanged(TwColumn* column, int oldWidth) {
  InvalidateLayout();
  if (!groupMode_) {
    RequestScrollBars();
    RequestLayout();
    if (!PaintLocked()) Repaint({TwRepaintArea::Grid});
  }
  if (OnColumnWidthChange) OnColumnWidthChange(EventSender(), column, oldWidth);
}

void TwGridModel::GroupWidthChanged(TwGroup* group, int oldWidth) {
  InvalidateLayout();
  if (groupMode_) {
    RequestScrollBars();
    RequestLayout();
    if (!PaintLocked()) Repaint({TwRepaintArea::Grid});
  }
  if (OnGroupWidthChange) OnGroupWidthChange(EventSender(), group, oldWidth);
}

void TwGridModel::LevelHeightChanged(TwGroup* group, int level, int old) {
  InvalidateLayout();
  if (OnLevelHeightChange) OnLevelHeightChange(EventSender(), group, level, old);
}

void TwGridModel::ColumnTitleChanged(TwColumn* column) {
  InvalidateLayout();
  if (state_.Loading() || state_.Updating() || PaintLocked()) return;
  if (!groupMode_) {
    const int vi = column->VisibleIndex();
    if (vi >= 0) Repaint({TwRepaintArea::StripHeader, vi});
    return;
  }
  const TwCellPos pos = groups_->PosOf(column);
  if (pos.IsSet()) Repaint({TwRepaintArea::TitleCell, pos.Group, column->Index()});
}

void TwGridModel::ColumnFooterChanged(TwColumn* column) {
  InvalidateLayout();
  if (state_.Loading() || state_.Updating() || PaintLocked()) return;
  const int band = groupMode_ ? groups_->PosOf(column).Group : column->VisibleIndex();
  if (band >= 0) Repaint({TwRepaintArea::StripFooter, band});
}

void TwGridModel::HeaderHeightChanged(int oldHeight) {
  InvalidateLayout();
  if (headers_->Visible()) {
    RequestScrollBars();
    RequestLayout();
    Repaint({TwRepaintArea::Grid});
  }
  if (OnHeaderHeightChange) OnHeaderHeightChange(EventSender(), oldHeight);
}

void TwGridModel::FootersChanged(TwGridFooter* item) {
  InvalidateLayout();
  if (state_.Loading() || state_.Updating() || state_.Destroying()) return;
  if (item) {
    if (PaintLocked()) return;
    const int k = item->VisibleIndex();
    if (k >= 0) Repaint({TwRepaintArea::FooterRow, 0, k});
    return;
  }
  if (columns_)
    for (int i = 0; i < columns_->Count(); ++i) columns_->Items(i)->Footer().Recalculate();
  footers_->RebuildVisible();
  RequestScrollBars();
  RequestLayout();
  Repaint({TwRepaintArea::Grid});
}

// --- rebuild and checks ---------------------------------------------------------------------------

void TwGridModel::RebuildDescription() {
  const int loadedCol = colFixedCount_, loadedGrp = grpFixedCount_;
  groups_->RebuildVisible();
  groups_->Update(nullptr);
  columns_->RebuildVisible();
  columns_->Update(nullptr);
  groups_->RebuildLevels(*columns_);
  footers_->Update(nullptr);
  footers_->RebuildVisible();
  // The loaded FixedCount values, clamped to what is visible now.
  colFixedCount_ = std::clamp(loadedCol, 0, std::max(0, columns_->VisibleCount() - 1));
  grpFixedCount_ = std::clamp(loadedGrp, 0, std::max(0, groups_->VisibleCount() - 1));
  RequestLayout();
  if (groupMode_) {
    const TwCellPos first = groups_->FirstPos();
    if (first.IsSet()) SetCurrentCell(first);
  } else if (columns_->VisibleCount() > 0) {
    SetCurrentVisibleColumn(columns_->FirstNavigable());
  }
  RequestScrollBars();
}

std::string TwGridModel::CheckConsistency() const {
  if (!columns_ || !groups_) return "no columns";
  std::string e = columns_->CheckConsistency();
  if (!e.empty()) return "columns: " + e;
  e = groups_->CheckConsistency();
  if (!e.empty()) return "groups: " + e;
  e = footers_->CheckConsistency();
  if (!e.empty()) return "footers: " + e;
  if (state_.Loading() || state_.Updating()) return {};
  // Every grouped column stands in its group (the other direction is the groups' own check).
  for (int i = 0; i < columns_->Count(); ++i) {
    const TwColumn* c = columns_->Items(i);
    if (c->Group() >= groups_->Count())
      return "column " + std::to_string(i) + " claims group " + std::to_string(c->Group()) +
             " that does not exist";
    if (c->Group() >= 0 && c->HoldingGroup() != groups_->Items(c->Group()))
      return "column " + std::to_string(i) + " claims group " + std::to_string(c->Group()) +
             " but is not in it";
  }
  const int items = ModeItemCount();
  if (FixedCount() < 0 || FixedCount() > std::max(0, items - 1))
    return "FixedCount " + std::to_string(FixedCount()) + " leaves no item to scroll among " +
           std::to_string(items);
  if (groupMode_ && groups_->VisibleCount() == 0) return "group mode without a visible group";
  return {};
}
