#include "grid/structure/grid_model.h"

#include <algorithm>

TwGridModel::TwGridModel(TwColumns::Factory columnFactory) {
  // The grid's own lines are grey under the rows; the value counts as this owner's default.
  lines_.SetHorzColor(0x808080);
  lines_.OnChange = [this] {
    if (!state_.Loading()) Repaint({TwRepaintArea::Grid});
  };
  endLines_.OnChange = lines_.OnChange;
  fixedStyle_ = std::make_unique<TwFixedStyle>(this);
  indicators_ = std::make_unique<TwIndicators>(this);
  markers_ = std::make_unique<TwMarkers>(this);
  headers_ = std::make_unique<TwGridHeaders>(this);
  footers_ = std::make_unique<TwGridFooters>(this);
  columns_ = std::make_unique<TwColumns>(this, std::move(columnFactory));
}

TwGridModel::~TwGridModel() {
  state_.Include(plat::ComponentStateFlag::Destroying);
  DestroyColumns();
}

void TwGridModel::DestroyColumns() {
  state_.Include(plat::ComponentStateFlag::Destroying);
  columns_.reset();
}

// --- grid-level properties ------------------------------------------------------------------------

void TwGridModel::SetFont(const TwFont& v) {
  if (font_ == v) return;
  font_ = v;
  if (!state_.Loading()) Repaint({TwRepaintArea::Grid});
}

void TwGridModel::SetColor(TColor v) {
  if (color_ == v) return;
  color_ = v;
  if (!state_.Loading()) Repaint({TwRepaintArea::Grid});
}

void TwGridModel::SetGroupMode(bool v) {
  if (groupMode_ == v) return;
  groupMode_ = v;
  if (state_.Loading()) return;
  // Every per-mode size changes: the footer offsets, the scroll ranges and the layout follow.
  footers_->RebuildVisible();
  RequestScrollBars();
  RequestLayout();
  Repaint({TwRepaintArea::Grid});
}

void TwGridModel::SetFixedCount(int v) {
  if (state_.Loading()) {
    fixedCount_ = v;
    return;
  }
  const int bands = groupMode_ ? 0 : columns_->VisibleCount();
  v = std::clamp(v, 0, bands);
  if (fixedCount_ == v) return;
  fixedCount_ = v;
  RequestLayout();
  Repaint({TwRepaintArea::Grid});
}

int TwGridModel::FooterTop() const { return ClientHeight() - footers_->TotalHeight(); }

int TwGridModel::FixedRight() const {
  int x = 0;
  if (indicators_->Visible()) x += indicators_->Width();
  if (markers_->Visible()) x += markers_->Width();
  if (!groupMode_) {
    const int n = std::min(fixedCount_, columns_->VisibleCount());
    for (int i = 0; i < n; ++i) x += columns_->VisibleItems(i)->ColWidth();
  }
  return x;
}

// --- refresh requests -----------------------------------------------------------------------------

namespace {
void Log(std::vector<TwGridEffect>& log, const TwGridEffect& e) {
  if (log.size() >= 4096) log.erase(log.begin(), log.begin() + 2048);
  log.push_back(e);
}
}  // namespace

void TwGridModel::Repaint(const TwRepaintArea& area) {
  Log(effects_, {TwGridEffect::Repaint, area});
  InvalidateArea(area);
}

void TwGridModel::RequestScrollBars() {
  Log(effects_, {TwGridEffect::ScrollBars, {}});
  UpdateScrollBars();
}

void TwGridModel::RequestLayout() {
  Log(effects_, {TwGridEffect::Layout, {}});
  RecomputeLayout();
}

// --- notifications --------------------------------------------------------------------------------

void TwGridModel::ColumnsChanged(TwColumn* item) {
  if (state_.Loading() || state_.Updating() || state_.Destroying() || !columns_) return;
  if (item) {
    if (PaintLocked()) return;
    // Group mode repaints the group's strip; groups are placed by the group model.
    if (!groupMode_) {
      const int vi = item->VisibleIndex();
      if (vi >= 0) Repaint({TwRepaintArea::Strip, vi});
    }
    return;
  }
  if (state_.Designing()) columns_->RebuildVisible();
  if (!groupMode_) {
    const int n = std::clamp(fixedCount_, 0, columns_->VisibleCount());
    if (n != fixedCount_) {
      fixedCount_ = n;
      RequestLayout();
    }
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

void TwGridModel::ColumnWidthChanged(TwColumn* column, int oldWidth) {
  if (!groupMode_) {
    RequestScrollBars();
    RequestLayout();
    if (!PaintLocked()) Repaint({TwRepaintArea::Grid});
  }
  if (OnColumnWidthChange) OnColumnWidthChange(EventSender(), column, oldWidth);
}

void TwGridModel::ColumnTitleChanged(TwColumn* column) {
  if (state_.Loading() || state_.Updating() || PaintLocked() || groupMode_) return;
  const int vi = column->VisibleIndex();
  if (vi >= 0) Repaint({TwRepaintArea::StripHeader, vi});
}

void TwGridModel::ColumnFooterChanged(TwColumn* column) {
  if (state_.Loading() || state_.Updating() || PaintLocked() || groupMode_) return;
  const int vi = column->VisibleIndex();
  if (vi >= 0) Repaint({TwRepaintArea::StripFooter, vi});
}

void TwGridModel::HeaderHeightChanged(int oldHeight) {
  if (headers_->Visible()) {
    RequestScrollBars();
    RequestLayout();
    Repaint({TwRepaintArea::Grid});
  }
  if (OnHeaderHeightChange) OnHeaderHeightChange(EventSender(), oldHeight);
}

void TwGridModel::FootersChanged(TwGridFooter* item) {
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

void TwGridModel::RebuildDescription() {
  const int loadedFixed = fixedCount_;
  columns_->RebuildVisible();
  columns_->Update(nullptr);
  footers_->Update(nullptr);
  footers_->RebuildVisible();
  fixedCount_ = -1;  // re-apply the loaded value through the clamp
  SetFixedCount(loadedFixed);
  RequestScrollBars();
}

std::string TwGridModel::CheckConsistency() const {
  if (!columns_) return "no columns";
  std::string e = columns_->CheckConsistency();
  if (!e.empty()) return "columns: " + e;
  e = footers_->CheckConsistency();
  if (!e.empty()) return "footers: " + e;
  if (!state_.Loading() && !groupMode_ && (fixedCount_ < 0 || fixedCount_ > columns_->VisibleCount()))
    return "FixedCount " + std::to_string(fixedCount_) + " beyond the visible columns";
  return {};
}
