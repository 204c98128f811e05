#include "grid/structure/headers.h"

#include <algorithm>

#include "grid/structure/extents.h"
#include "grid/structure/grid_model.h"

// --- TwHeaderTitle --------------------------------------------------------------------------------

TwGridModel* TwHeaderTitle::GetGrid() const {
  return headers_->Grid();
}

void TwHeaderTitle::Changed() {
  TwGridModel* g = GetGrid();
  if (g) g->InvalidateLayout();  // its drawing record follows
  if (!g || g->GridState().Loading() || !headers_->Visible()) return;
  g->Repaint({TwRepaintArea::HeaderCorner});
}

void TwHeaderTitle::FillDrawInfo(TwDrawInfo& d) const {
  TwDrawObject::FillDrawInfo(d);
  TwGridModel* g = GetGrid();
  if (!g) return;
  d.ClipLeft = 0;
  d.ClipBottom = g->FooterTop();
  SetHorzLine(d, headers_->Lines());
  SetVertLine(d, g->Markers().Visible() ? g->Markers().Lines() : g->Indicators().Lines());
  if (Pressed()) d.CellStyle = wcsDown;
}

// --- TwGridHeaders --------------------------------------------------------------------------------

TwGridHeaders::TwGridHeaders(TwGridModel* grid) : grid_(grid) {
  lines_.SetCellColor(0);
  lines_.SetLevelColor(0);
  lines_.OnChange = [this] {
    if (!grid_ || grid_->GridState().Loading() || !visible_) return;
    grid_->Repaint({TwRepaintArea::HeaderBand});
  };
}

int TwGridHeaders::Height() const {
  return grid_ && grid_->GroupMode() ? grpHeight_ : colHeight_;
}

void TwGridHeaders::SetHeight(int v) {
  if (!grid_) return;
  const int old = Height();
  int& field = grid_->GroupMode() ? grpHeight_ : colHeight_;
  v = ClampPixelSize(v, grid_->GroupMode() ? kMinGrpHeight : kMinColHeight);
  if (field == v) return;
  field = v;
  if (!grid_->GridState().Loading()) grid_->HeaderHeightChanged(old);
}

void TwGridHeaders::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  if (!grid_ || grid_->GridState().Loading()) return;
  grid_->RequestScrollBars();
  grid_->Repaint({TwRepaintArea::Grid});
}

void TwGridHeaders::Assign(const TwGridHeaders& s) {
  SetStoredHeights(s.colHeight_, s.grpHeight_);
  title_.Assign(s.title_);
}

// --- TwFooterTitle --------------------------------------------------------------------------------

TwGridModel* TwFooterTitle::GetGrid() const {
  return footer_->Collection() ? footer_->Collection()->Grid() : nullptr;
}

void TwFooterTitle::Changed() {
  footer_->Changed();
}

void TwFooterTitle::FillDrawInfo(TwDrawInfo& d) const {
  TwDrawObject::FillDrawInfo(d);
  TwGridModel* g = GetGrid();
  d.ClipLeft = 0;
  d.ClipBottom = g ? g->ClientHeight() : 0;
  d.HorzLineWidth = 0;
  d.VertLineWidth = 0;
}

// --- TwGridFooter ---------------------------------------------------------------------------------

int TwGridFooter::Index() const {
  return collection_ ? collection_->IndexOf(this) : -1;
}

std::string TwGridFooter::DisplayName() const {
  if (!title_.Caption().empty()) return title_.Caption();
  return "TwGridFooter" + std::to_string(Index());
}

int TwGridFooter::Height() const {
  TwGridModel* g = collection_ ? collection_->Grid() : nullptr;
  return g && g->GroupMode() ? grpHeight_ : colHeight_;
}

void TwGridFooter::SetHeight(int v) {
  TwGridModel* g = collection_ ? collection_->Grid() : nullptr;
  const bool group = g && g->GroupMode();
  int& field = group ? grpHeight_ : colHeight_;
  v = ClampPixelSize(v, group ? TwGridHeaders::kMinGrpHeight : TwGridHeaders::kMinColHeight);
  if (field == v) return;
  field = v;
  if (visible_) Changed(true);
}

void TwGridFooter::SetColor(TColor v) {
  if (color_ == v) return;
  color_ = v;
  Changed();
}

void TwGridFooter::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  Changed(true);
}

int TwGridFooter::VisibleIndex() const {
  return collection_ ? collection_->VisibleIndexOf(this) : -1;
}

void TwGridFooter::Assign(const TwGridFooter& s) {
  if (collection_) collection_->BeginUpdate();
  colHeight_ = s.colHeight_;
  grpHeight_ = s.grpHeight_;
  title_.Assign(s.title_);
  if (collection_) collection_->EndUpdate();
}

void TwGridFooter::Changed(bool allItems) {
  if (collection_) collection_->Update(allItems ? nullptr : this);
}

// --- TwGridFooters --------------------------------------------------------------------------------

int TwGridFooters::IndexOf(const TwGridFooter* f) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == f) return int(i);
  return -1;
}

TwGridFooter* TwGridFooters::Add() {
  items_.push_back(std::make_unique<TwGridFooter>(this));
  TwGridFooter* f = items_.back().get();
  // The lists follow at once, so that readers between here and the next rebuild see the new row.
  RebuildVisible();
  Update(nullptr);
  return f;
}

void TwGridFooters::Delete(int i) {
  if (i < 0 || i >= Count()) return;
  items_.erase(items_.begin() + i);
  RebuildVisible();
  Update(nullptr);
}

void TwGridFooters::Clear() {
  if (items_.empty()) return;
  items_.clear();
  RebuildVisible();
  Update(nullptr);
}

int TwGridFooters::VisibleIndexOf(const TwGridFooter* f) const {
  return visible_.IndexOf(f);
}

int TwGridFooters::TotalHeight() const {
  int h = 0;
  for (const TwGridFooter* f : visible_) h += f->Height();
  return h;
}

void TwGridFooters::RebuildVisible() {
  visible_.Rebuild(items_, [](const TwGridFooter& f) { return f.Visible(); });
  offsets_.clear();
  int y = 0;
  for (const TwGridFooter* f : visible_) {
    offsets_.push_back(y);
    y += f->Height();
  }
}

void TwGridFooters::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Update(nullptr);
}

void TwGridFooters::Update(TwGridFooter* item) {
  // The visible list follows every change at once (a few rows): the layout only reads it.
  RebuildVisible();
  if (!grid_) return;
  grid_->InvalidateLayout();
  if (updateCount_ > 0) return;
  grid_->FootersChanged(item);
}

std::string TwGridFooters::CheckConsistency() const {
  const std::string broken = visible_.CheckConsistency(
      items_, [](const TwGridFooter& f) { return f.Visible(); }, true, true, "footer row");
  if (!broken.empty()) return broken;
  if (std::size_t(visible_.Count()) != offsets_.size())
    return "footer offsets and visible rows differ in count";
  int y = 0;
  for (int k = 0; k < visible_.Count(); ++k) {
    if (offsets_[std::size_t(k)] != y) return "footer offset " + std::to_string(k) + " is stale";
    y += visible_.At(k)->Height();
  }
  return {};
}
