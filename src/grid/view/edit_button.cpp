#include "grid/view/edit_button.h"

#include <QMouseEvent>
#include <QPainter>

#include "grid/structure/extents.h"
#include "grid/view/custom_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_session.h"
#include "grid/view/grid_guard.h"

TwEditButton::TwEditButton(TwCustomGrid& grid) : QWidget(grid.viewport()), grid_(grid) {
  setObjectName("EditButton");
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::ArrowCursor);
  resize(ButtonWidth(), ButtonWidth());
  hide();
}

void TwEditButton::PlaceButton(TwColumn* AColumn, int ARow) {
  column_ = AColumn;
  if (!AColumn || !AColumn->EditButton()) {
    hide();
    return;
  }
  const TwGridExtents& e = grid_.Model().Extents();
  TRect r;
  if (grid_.Model().GroupMode()) {
    const TwCellPos pos = grid_.Model().ColumnPos(AColumn);
    if (pos.IsSet()) r = e.GroupCellInnerRect(pos, ARow);
  } else if (AColumn->VisibleIndex() >= 0) {
    r = e.CellInnerRect(AColumn->VisibleIndex(), ARow);
  }
  const int band =
      grid_.Model().GroupMode() ? grid_.Model().ColumnPos(AColumn).Group : AColumn->VisibleIndex();
  if (band >= e.FixedCount()) r.Left = std::max(r.Left, e.FixedRight());
  r.Top = std::max(r.Top, e.DataTop());
  r.Bottom = std::min(r.Bottom, e.FooterTop());
  if (r.IsEmpty() || r.Right - r.Left < ButtonWidth() / 2) {
    hide();
    return;
  }
  setGeometry(r.Right - ButtonWidth(), r.Top, ButtonWidth(), r.Bottom - r.Top);
  show();
  raise();
}

void TwEditButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  plat::paint::TCanvas& buf = CellBuffer(width(), height());
  DrawEllipsisButton(buf, TRect{0, 0, width(), height()}, pressed_);
  p.drawImage(QPoint(0, 0), *buf.Image(), QRect(0, 0, width(), height()));
}

void TwEditButton::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  TwGuard(&grid_, [&] {
    if (!grid_.IsGridFocused()) grid_.setFocus(Qt::MouseFocusReason);
    tracking_ = true;
    TrackButton(int(e->position().x()), int(e->position().y()));
  });
}

void TwEditButton::mouseMoveEvent(QMouseEvent* e) {
  if (tracking_) TrackButton(int(e->position().x()), int(e->position().y()));
}

void TwEditButton::mouseReleaseEvent(QMouseEvent* e) {
  if (!tracking_ || e->button() != Qt::LeftButton) return;
  StopTracking();
  if (rect().contains(e->position().toPoint())) TwGuard(&grid_, [&] { grid_.Editing().EditButtonClick(); });
}

void TwEditButton::TrackButton(int X, int Y) {
  const bool inside = rect().contains(X, Y);
  if (inside == pressed_) return;
  pressed_ = inside;
  update();
}

void TwEditButton::StopTracking() {
  tracking_ = false;
  if (pressed_) {
    pressed_ = false;
    update();
  }
}
