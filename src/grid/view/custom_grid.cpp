#include "grid/view/custom_grid.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimerEvent>
#include <algorithm>

#include "grid/structure/extents.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/cell_renderer.h"
#include "grid/view/edit_session.h"
#include "grid/view/grid_accessible.h"
#include "grid/view/grid_guard.h"
#include "grid/view/grid_input.h"
#include "grid/view/grid_paint.h"

TwCustomGrid::TwCustomGrid(QWidget* parent, TwColumns::Factory columnFactory)
    : QAbstractScrollArea(parent), model_(std::move(columnFactory)), editing_(new TwEditSession(*this)) {
  model_.SetHost(this);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(false);
  verticalScrollBar()->setSingleStep(1);
  input_ = std::make_unique<TwGridInput>(*this);
  painter_ = std::make_unique<TwGridPainter>(*this);
  InitNavigation();
  TwInstallGridAccessibility();
}

TwCustomGrid::~TwCustomGrid() {
  Model().State().Include(plat::ComponentStateFlag::Destroying);
  CancelRowChange();
  // The editors are children of the viewport: they go before it, and before the columns they point to.
  editing_->DropEditors();
  // Columns may still ask the grid while they are destroyed: destroy them while it is whole.
  model_.DestroyColumns();
  // What is left of the model answers as a bare model from here on.
  model_.SetHost(nullptr);
}

void TwCustomGrid::Loaded() {
  Model().State().Exclude(plat::ComponentStateFlag::Loading);
  Model().RebuildDescription();
  UpdateScrollRange();
  InvalidateGrid();
}

void TwCustomGrid::SetRow(int ARow) {
  const int target = std::clamp(ARow, 0, std::max(0, RowCount() - 1));
  if (target == row_) return;
  const int old = row_;
  row_ = target;
  ScrollRowIntoView(row_);
  InvalidateRow(old);
  InvalidateRow(row_);
  ScheduleRowChange();
}

void TwCustomGrid::SetOptions(TwGridOptions value) {
  if (Model().GridState().Loading() || Model().GridState().Updating()) {
    options_ = value;
    return;
  }
  if (value == options_) return;
  options_ = value;
  editing_->ApplyColumnIme();
  if (options_.Contains(wgoAlwaysShowEditor) && !EditorMode()) ShowEditor();
  if (EditorMode() && !options_.Contains(wgoEditing) && !options_.Contains(wgoInserting)) HideEditor();
  InvalidateGrid();
}

int TwCustomGrid::VisibleRowCount() const {
  return std::max(1, Model().Extents().FullRows());
}

void TwCustomGrid::EndUpdate(bool repaint) {
  if (updateLock_ > 0) --updateLock_;
  if (updateLock_ == 0 && scrollRangePending_) UpdateScrollRange();
  if (updateLock_ == 0 && repaint) InvalidateGrid();
}

void TwCustomGrid::InvalidateGrid() {
  if (UpdateLocked() || Model().GridState().Loading()) return;
  Record({RepaintRequest::Grid});
  UpdateRect(ClientRect());
}

void TwCustomGrid::UpdateRect(const TRect& r) {
  if (r.IsEmpty()) return;
  if (TwGridObserver* o = Model().Observer()) o->RectUpdated(r);
  viewport()->update(r.ToQRect());
}

void TwCustomGrid::InvalidateRow(int ARow) {
  if (UpdateLocked() || Model().GridState().Loading()) return;
  Record({RepaintRequest::Row, ARow});
  // The whole row across the client, indicator and marker included, but never over header or footers.
  const TwGridExtents& e = Model().Extents();
  const TRect r{e.ClientRect().Left, std::max(e.RowTop(ARow), e.DataTop()), e.ClientRect().Right,
                std::min(e.RowBottom(ARow), e.FooterTop())};
  UpdateRect(r);
}

void TwCustomGrid::InvalidateCell(int ACol, int ARow) {
  if (UpdateLocked() || Model().GridState().Loading()) return;
  Record({RepaintRequest::Cell, ARow, ACol});
  if (ACol < 0 || ACol >= Model().Columns().Count()) return;
  const TwGridExtents& e = Model().Extents();
  TwColumn* c = Model().Columns().Items(ACol);
  TRect r;
  int band;
  if (Model().GroupMode()) {
    const TwCellPos pos = Model().ColumnPos(c);
    band = pos.Group;
    r = e.GroupCellRect(pos, ARow);
  } else {
    band = c->VisibleIndex();
    r = e.CellRect(band, ARow);
  }
  if (band < 0) return;
  if (!e.IsFixedItem(band)) r.Left = std::max(r.Left, e.FixedRight());
  r.Top = std::max(r.Top, e.DataTop());
  r.Bottom = std::min(r.Bottom, e.FooterTop());
  UpdateRect(plat::paint::Intersect(r, e.ClientRect()));
}

void TwCustomGrid::ScrollRowIntoView(int ARow) {
  if (options_.Contains(wgoNoScroll)) return;
  if (ARow < topRow_)
    SetTopRow(ARow);
  else if (ARow >= topRow_ + VisibleRowCount())
    SetTopRow(ARow - VisibleRowCount() + 1);
}

void TwCustomGrid::ScheduleRowChange() {
  CancelRowChange();
  if (changeDelay_ != 0) rowChangeTimer_ = startTimer(changeDelay_);
  TwAccessibleCurrentCellMoved(this);
}

void TwCustomGrid::CancelRowChange() {
  if (rowChangeTimer_ != 0) killTimer(rowChangeTimer_);
  rowChangeTimer_ = 0;
}

void TwCustomGrid::RowChangeTimerElapsed() {
  CancelRowChange();
  FireRowChange();
}

void TwCustomGrid::FireRowChange() {
  if (rowChangeRunning_) return;
  TwFlagScope running(rowChangeRunning_);
  if (OnRowChange) OnRowChange(this);
}

void TwCustomGrid::FireSelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
  TwAccessibleSelectionChanged(this);
}

void TwCustomGrid::SetCurrentVisibleColumn(int visibleIndex) {
  if (visibleIndex < 0 || visibleIndex >= Model().Columns().VisibleCount()) return;
  SetCol(Model().Columns().VisibleItems(visibleIndex)->Index());
}

void TwCustomGrid::SetCurrentCell(const TwCellPos& pos) {
  if (TwColumn* c = Model().Groups().ColumnAt(pos)) SetCol(c->Index());
}

void TwCustomGrid::CurrentColumnHidden(int oldVisibleIndex) {
  const int count = Model().Columns().VisibleCount();
  if (count == 0) return;
  HideEditor();
  // The column now at the hidden one's place, or the last one when it was the last.
  SetCurrentVisibleColumn(std::clamp(oldVisibleIndex, 0, count - 1));
  if (options_.Contains(wgoAlwaysShowEditor)) ShowEditor();
}

void TwCustomGrid::RestoreCellEditor() {
  if (options_.Contains(wgoAlwaysShowEditor)) ShowEditor();
}

TRect TwCustomGrid::ClientRect() const {
  const QRect r = viewport()->rect();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

int TwCustomGrid::ClientHeight() const {
  return viewport()->height();
}

void TwCustomGrid::RecomputeLayout() {
  Model().Layout();
  UpdateEditButton();
}

void TwCustomGrid::InvalidateArea(const TwRepaintArea& area) {
  if (area.What == TwRepaintArea::Grid) {
    InvalidateGrid();
    return;
  }
  if (UpdateLocked() || Model().GridState().Loading()) return;
  UpdateRect(Model().AreaRect(area));
}

void TwCustomGrid::timerEvent(QTimerEvent* e) {
  if (e->timerId() == rowChangeTimer_ && rowChangeTimer_ != 0) {
    TwGuard(this, [&] { RowChangeTimerElapsed(); });  // OnRowChange is the user's
    return;
  }
  QAbstractScrollArea::timerEvent(e);
}

void TwCustomGrid::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  TwGuard(this, [&] {
    Model().InvalidateLayout();
    UpdateScrollRange();
  });
}

// --- painting (the painter paints, grid_paint.h; the grid decides what to repaint) -----------------------

void TwCustomGrid::paintEvent(QPaintEvent* e) {
  TwGuard(this, [&] {
    plat::paint::TCanvas canvas(viewport());
    const QRect r = e->rect();
    painter_->PaintTo(canvas, TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
  });
}

void TwCustomGrid::DrawRow(int ARow, bool WithIndicator, int LastBand, int FirstBand, bool WithMarker) {
  painter_->DrawRow(ARow, WithIndicator, LastBand, FirstBand, WithMarker);
}

void TwCustomGrid::DrawCell(const TwCellRecord& Cell, bool CallRowEvent, bool CallCellEvent) {
  painter_->DrawCell(Cell, CallRowEvent, CallCellEvent);
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
