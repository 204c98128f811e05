// Moving the current cell and keeping it in view: SetCol, SetCell, SetColRow, SetCellRow, MoveToNextCell,
// Down/Up, TopRow and HorzOffset with strip scrolling, the scroll bars and their ranges, the wheel, and the
// ScrollBars and BorderStyle properties; the grid's default key table (KeyDown, KeyPress) and the row step
// of a press (MouseDown after the input's steps), with Qt's input events handed to the input (grid_input.h).
//
// Words: band = display index of a visible column (column mode) or group (group mode); a scrolling band
// is one at or after FixedCount; "strip scrolling" copies the pixels that stay and repaints only the strip
// that was uncovered.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "grid/structure/extents.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/custom_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_session.h"
#include "grid/view/grid_accessible.h"
#include "grid/view/grid_guard.h"
#include "grid/view/grid_input.h"
#include "grid/view/inplace_editor.h"

using namespace plat::ui;

// --- the current column or cell -------------------------------------------------------------------

void TwCustomGrid::SetCol(int ACol) {
  if (Model().Columns().Count() == 0) return;
  int target = std::clamp(ACol, 0, Model().Columns().Count() - 1);
  TwColumn* c = Model().Columns().Items(target);
  const bool selecting = Model().FixedStyle().Options().Contains(wfxSelecting);
  if (!selecting && !Model().GroupMode()) {
    const int vi = c->VisibleIndex();
    if (vi >= 0 && vi < Model().FixedCount() && Model().FixedCount() < Model().Columns().VisibleCount())
      target = Model().Columns().VisibleItems(Model().FixedCount())->Index();
  } else if (!selecting && Model().GroupMode()) {
    const TwCellPos pos = Model().ColumnPos(c);
    if (pos.Group >= 0 && pos.Group < Model().FixedCount() &&
        Model().FixedCount() < Model().Groups().VisibleCount()) {
      const TwCellPos first = Model().Groups().VisibleItems(Model().FixedCount())->FirstCellPos();
      if (TwColumn* fc = Model().Groups().ColumnAt(first)) target = fc->Index();
    }
  }
  if (target == col_) return;
  CommitEdit();
  const int before = col_;
  if (!inCellExit_ && OnCellExit) {
    TwFlagScope guard(inCellExit_);
    OnCellExit(this);
  }
  if (col_ != before) return;
  HideEditor();
  col_ = target;
  InvalidateCell(before, row_);
  ScrollColumnIntoView();
  editing_->ApplyColumnIme();
  UpdateEditButton();
  if (options_.Contains(wgoAlwaysShowEditor)) ShowEditor();
  if (!EditorMode()) InvalidateCell(col_, row_);
  TwAccessibleCurrentCellMoved(this);
  if (OnCellEnter) OnCellEnter(this);
}

void TwCustomGrid::SetCell(const TwCellPos& ACell) {
  if (!Model().GroupMode()) return;
  TwCellPos pos = ACell;
  if (!Model().Groups().IsValidPos(pos)) return;
  if (pos.Group < Model().FixedCount() && !Model().FixedStyle().Options().Contains(wfxSelecting) &&
      Model().FixedCount() < Model().Groups().VisibleCount())
    pos = Model().Groups().VisibleItems(Model().FixedCount())->FirstCellPos();
  if (TwColumn* c = Model().Groups().ColumnAt(pos)) SetCol(c->Index());
}

bool TwCustomGrid::MoveRowForCell(int ARow, bool columnChanges) {
  const int target = std::clamp(ARow, 0, std::max(0, RowCount() - 1));
  if (target == row_) return true;
  // The row moves first; until the column follows, the cell at (old column, new row) is not the one the
  // user moves to, so it is painted without the current-cell highlight. A handler that throws out of
  // SetRow must not leave the flag set.
  if (columnChanges) painter_->SetCellChanging(true);
  TwScopeExit changing([&] {
    if (columnChanges) painter_->SetCellChanging(false);
  });
  SetRow(ARow);
  return row_ == target;
}

void TwCustomGrid::SetColRow(int ACol, int ARow) {
  const bool colChanges =
      Model().Columns().Count() > 0 && std::clamp(ACol, 0, Model().Columns().Count() - 1) != col_;
  if (!MoveRowForCell(ARow, colChanges)) return;
  SetCol(ACol);
  if (options_.Contains(wgoAlwaysShowEditor)) ShowEditor();
}

void TwCustomGrid::SetCellRow(const TwCellPos& ACell, int ARow) {
  TwColumn* c = Model().Groups().ColumnAt(ACell);
  const bool colChanges = c && c->Index() != col_;
  if (!MoveRowForCell(ARow, colChanges)) return;
  SetCell(ACell);
  if (options_.Contains(wgoAlwaysShowEditor)) ShowEditor();
}

void TwCustomGrid::MoveToNextCell() {
  if (Model().GroupMode()) {
    const TwCellPos pos = Model().CurrentCell();
    if (!pos.IsSet() || Model().Groups().IsLastPos(pos)) {
      MoveDown(1, {});
      SetCell(Model().Groups().FirstPos());
    } else {
      SetCell(Model().Groups().NextPos(pos));
    }
    return;
  }
  const TwColumns& cols = Model().Columns();
  if (cols.VisibleCount() == 0) return;
  const int vi = col_ < cols.Count() ? cols.Items(col_)->VisibleIndex() : -1;
  if (vi < 0 || vi >= cols.LastNavigable()) {
    MoveDown(1, {});
    SetCurrentVisibleColumn(cols.FirstNavigable());
  } else {
    SetCurrentVisibleColumn(cols.NextNavigable(vi));
  }
}

void TwCustomGrid::MoveDown(int N, plat::ui::TShiftState) {
  CommitEdit();
  SetRow(row_ + N);
}

void TwCustomGrid::MoveUp(int N, plat::ui::TShiftState) {
  CommitEdit();
  SetRow(row_ - N);
}

// --- vertical scrolling -----------------------------------------------------------------------------

void TwCustomGrid::SetTopRow(int value) {
  const int top = std::clamp(value, 0, std::max(0, RowCount() - VisibleRowCount()));
  if (top == topRow_) return;
  const int old = topRow_;
  topRow_ = top;
  UpdateEditButton();
  if (!UpdateLocked() && !Model().GridState().Loading()) {
    const TwGridExtents& e = Model().Extents();
    if (std::abs(top - old) == 1 && isVisible()) {
      // The data rows move by one row: copy what stays and repaint the uncovered strip only.
      const int right = std::min(e.ContentRect().Right, e.ClientRect().Right);
      const int bottom = std::min(e.FooterTop(), e.DataTop() + e.VisibleRows() * e.RowHeight());
      const QRect area(e.ClientRect().Left, e.DataTop(), right - e.ClientRect().Left, bottom - e.DataTop());
      if (area.isValid()) viewport()->scroll(0, (old - top) * e.RowHeight(), area);
      bool equalBlank = false;
      for (int i = 0; i < Model().Columns().Count() && !equalBlank; ++i)
        equalBlank = Model().Columns().Items(i)->EqualBlank();
      // A row whose neighbour above changed shows its value again or hides it.
      if (equalBlank) InvalidateRow(top > old ? top : old);
    } else {
      InvalidateGrid();
    }
  }
  if (!syncingScrollBar_) {
    TwFlagScope sync(syncingScrollBar_);
    verticalScrollBar()->setValue(topRow_);
  }
}

void TwCustomGrid::VertScrollAction(int action, int trackPos) {
  TakeFocusForScroll();
  int top = topRow_;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      top -= 1;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      top += 1;
      break;
    case QAbstractSlider::SliderPageStepSub:
      top -= VisibleRowCount();
      break;
    case QAbstractSlider::SliderPageStepAdd:
      top += VisibleRowCount();
      break;
    case QAbstractSlider::SliderMove:
      top = trackPos;
      break;
    case QAbstractSlider::SliderToMinimum:
      top = 0;
      break;
    case QAbstractSlider::SliderToMaximum:
      top = RowCount() - 1;
      break;
    default:
      return;
  }
  SetTopRow(top);
}

// --- horizontal scrolling ---------------------------------------------------------------------------

int TwCustomGrid::FirstVisibleScrollBand() const {
  const TwGridExtents& e = Model().Extents();
  for (int i = e.FixedCount(); i < e.Count(); ++i)
    if (e.ItemRight(i) > e.FixedRight()) return i;
  return -1;
}

void TwCustomGrid::SetHorzOffset(int v) {
  const TwGridExtents& e = Model().Extents();
  const int max = e.MaxHorzScroll();
  v = std::clamp(v, 0, max);
  const int old = Model().HorzOffset();
  if (v != old) {
    const int fixedRight = e.FixedRight();
    const TRect client = e.ClientRect();
    Model().LockPaint();
    Model().SetHorzOffset(v);
    Model().UnlockPaint();
    if (!UpdateLocked() && !Model().GridState().Loading() && isVisible()) {
      // Everything right of the fixed bands (titles, rows, footers) moves by the difference.
      const QRect area(fixedRight, client.Top, client.Right - fixedRight, client.Height());
      if (area.isValid()) viewport()->scroll(old - v, 0, area);
    }
    UpdateEditButton();
  }
  if (!settingHorz_) {
    TwFlagScope sync(settingHorz_);
    // The last band ends inside the client: the bar shows its end.
    horizontalScrollBar()->setValue(Model().HorzOffset() >= max ? horizontalScrollBar()->maximum()
                                                                : Model().HorzOffset());
  }
}

void TwCustomGrid::ScrollToBand(int B) {
  const TwGridExtents& e = Model().Extents();
  int offset = 0;
  for (int i = e.FixedCount(); i < B && i < e.Count(); ++i) offset += e.ItemWidth(i);
  SetHorzOffset(offset);
}

void TwCustomGrid::HorzScrollAction(int action, int trackPos) {
  TakeFocusForScroll();
  const TwGridExtents& e = Model().Extents();
  const int first = FirstVisibleScrollBand();
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
      if (first >= 0) ScrollToBand(std::max(e.FixedCount(), first - 1));
      break;
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
      if (first >= 0 && first < e.Count() - 1)
        ScrollToBand(first + 1);
      else
        SetHorzOffset(e.MaxHorzScroll());
      break;
    case QAbstractSlider::SliderMove:
      SetHorzOffset(trackPos);
      break;
    default:
      break;
  }
}

void TwCustomGrid::ScrollColumnIntoView() {
  if (options_.Contains(wgoNoScroll) || col_ < 0 || col_ >= Model().Columns().Count()) return;
  const TwGridExtents& e = Model().Extents();
  TwColumn* c = Model().Columns().Items(col_);
  if (!Model().GroupMode()) {
    const int band = c->VisibleIndex();
    if (band < e.FixedCount() || band >= e.Count()) return;
    if (e.ItemLeft(band) < e.FixedRight()) {
      ScrollToBand(band);
      return;
    }
    // Forward band by band until the column ends inside the client area.
    while (Model().Extents().ItemRight(band) > Model().Extents().ClientRect().Right) {
      const int first = FirstVisibleScrollBand();
      const int before = Model().HorzOffset();
      if (first < 0 || first >= band) break;
      ScrollToBand(first + 1);
      if (Model().HorzOffset() == before) break;
    }
    return;
  }
  const TwCellPos pos = Model().ColumnPos(c);
  if (!pos.IsSet() || pos.Group < e.FixedCount()) return;
  int left, right;
  {
    const TRect r = e.ColumnTitleRect(pos).IsEmpty() ? e.GroupCellRect(pos, topRow_) : e.ColumnTitleRect(pos);
    left = r.Left;
    right = r.Right;
  }
  if (left < e.FixedRight()) {
    int offset = 0;
    for (int i = e.FixedCount(); i < pos.Group; ++i) offset += e.ItemWidth(i);
    const TwColumnDraw* draw = e.GroupCellDraw(pos);
    offset += draw ? draw->LevelLeft : c->LevelLeft();
    SetHorzOffset(offset);
  } else if (right > e.ClientRect().Right) {
    SetHorzOffset(Model().HorzOffset() + right - e.ClientRect().Right);
  }
}

// --- ranges -----------------------------------------------------------------------------------------

void TwCustomGrid::UpdateScrollRange() {
  // Under the update lock the ranges are brought up to date once, when the lock is released.
  if (UpdateLocked()) {
    scrollRangePending_ = true;
    return;
  }
  if (Model().GridState().Loading()) return;
  scrollRangePending_ = false;
  // Qt's scroll area gives each bar that is needed its room and lays the viewport out again; the resize
  // that follows brings both ranges here once more, so the ranges always belong to the final client size.
  const int maxTop = std::max(0, RowCount() - VisibleRowCount());
  {
    TwFlagScope sync(syncingScrollBar_);
    verticalScrollBar()->setRange(0, maxTop);
    verticalScrollBar()->setPageStep(VisibleRowCount());
  }
  const TwGridExtents& e = Model().Extents();
  {
    TwFlagScope sync(settingHorz_);
    horizontalScrollBar()->setRange(0, e.MaxHorzScroll());
    horizontalScrollBar()->setPageStep(std::max(1, e.ClientRect().Right - e.FixedRight()));
  }
  SetHorzOffset(Model().HorzOffset());
  SetTopRow(topRow_);
}

void TwCustomGrid::scrollContentsBy(int, int) {
  TwGuard(this, [&] {
    if (!syncingScrollBar_ && verticalScrollBar()->value() != topRow_) {
      TwFlagScope sync(syncingScrollBar_);
      SetTopRow(verticalScrollBar()->value());
    }
    if (!settingHorz_ && horizontalScrollBar()->value() != Model().HorzOffset()) {
      TwFlagScope sync(settingHorz_);
      SetHorzOffset(horizontalScrollBar()->value());
    }
  });
}

void TwCustomGrid::TakeFocusForScroll() {
  if (isVisible() && focusPolicy() != Qt::NoFocus && !Model().GridState().Designing() && !hasFocus())
    setFocus();
}

// --- the wheel --------------------------------------------------------------------------------------

bool TwCustomGrid::DoMouseWheel(int WheelDelta, int X, int Y) {
  if (!ClientRect().Contains(X, Y)) return true;  // consumed without effect
  if (WheelDelta == 0) return true;
  if (RowCount() > VisibleRowCount()) {
    SetTopRow(topRow_ + (WheelDelta < 0 ? 1 : -1));
    return true;
  }
  const TwGridExtents& e = Model().Extents();
  const int first = FirstVisibleScrollBand();
  if (first < 0) return true;
  if (WheelDelta > 0)
    ScrollToBand(std::max(e.FixedCount(), first - 1));
  else if (first < e.Count() - 1)
    ScrollToBand(first + 1);
  else
    SetHorzOffset(e.MaxHorzScroll());
  return true;
}

// --- ScrollBars, BorderStyle ------------------------------------------------------------------------

void TwCustomGrid::ApplyScrollBarPolicies() {
  const bool v = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
  const bool h = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
  setVerticalScrollBarPolicy(v ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  if (borderStyle_ == bsNone)
    setFrameStyle(QFrame::NoFrame);
  else if (ctl3D_)
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  else
    setFrameStyle(QFrame::Box | QFrame::Plain);
}

void TwCustomGrid::SetScrollBars(TScrollStyle v) {
  if (v == scrollBars_) return;
  scrollBars_ = v;
  ApplyScrollBarPolicies();
  UpdateScrollRange();
}

void TwCustomGrid::SetBorderStyle(TBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  ApplyScrollBarPolicies();
}

void TwCustomGrid::SetCtl3D(bool v) {
  if (v == ctl3D_) return;
  ctl3D_ = v;
  ApplyScrollBarPolicies();
}

// --- the keyboard table -----------------------------------------------------------------------------

void TwCustomGrid::InitNavigation() {
  viewport()->setMouseTracking(true);
  // The grid paints every pixel of the viewport: Qt may then scroll by copying pixels and repaint only
  // the strip a scroll uncovers.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  ApplyScrollBarPolicies();
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) {
    TwGuard(this, [&] { VertScrollAction(action, verticalScrollBar()->sliderPosition()); });
  });
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) {
    TwGuard(this, [&] { HorzScrollAction(action, horizontalScrollBar()->sliderPosition()); });
  });
}

void TwCustomGrid::KeyDown(int& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
  if (Key == 0) return;
  const bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_ESCAPE:
      // Ends a sizing or moving without applying it; the key goes on to KeyPress (the editor).
      if (input_->GridDragState() != wgsNone) input_->CancelDrag();
      break;
    case VK_HOME:
    case VK_END:
      if (Model().GroupMode())
        SetCell(Key == VK_HOME ? Model().Groups().FirstPos() : Model().Groups().LastPos());
      else
        SetCurrentVisibleColumn(Key == VK_HOME ? Model().Columns().FirstNavigable()
                                               : Model().Columns().LastNavigable());
      break;
    case VK_LEFT:
    case VK_RIGHT:
      if (Model().GroupMode()) {
        const TwCellPos pos = Model().CurrentCell();
        if (pos.IsSet())
          SetCell(Key == VK_LEFT ? Model().Groups().PriorPos(pos) : Model().Groups().NextPos(pos));
      } else if (col_ >= 0 && col_ < Model().Columns().Count()) {
        const int vi = Model().Columns().Items(col_)->VisibleIndex();
        if (vi >= 0)
          SetCurrentVisibleColumn(Key == VK_LEFT ? Model().Columns().PriorNavigable(vi)
                                                 : Model().Columns().NextNavigable(vi));
      }
      break;
    case VK_UP:
      MoveUp(1, Shift);
      break;
    case VK_DOWN:
      MoveDown(1, Shift);
      break;
    case VK_PRIOR:
      MoveUp(ctrl ? RowCount() : VisibleRowCount(), Shift);
      break;
    case VK_NEXT:
      MoveDown(ctrl ? RowCount() : VisibleRowCount(), Shift);
      break;
    case VK_DELETE:
      // Opens the editor with its value emptied.
      if (!ctrl) {
        ShowEditor();
        if (TwInplaceEditor* ed = editing_->InplaceEditor();
            ed && Model().Columns().Items(col_)->CanModify()) {
          if (ed->HasText()) {
            ed->SelectAll();
            QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
            QCoreApplication::sendEvent(ed->Control(), &del);
          } else {
            ed->SetValue(plat::Variant::Null());
          }
        }
      }
      break;
    case VK_F2:
      // Ctrl+F2 presses the edit button where one shows; elsewhere it is F2.
      if (ctrl && editing_->EditButtonControl() && editing_->EditButtonControl()->isVisible()) {
        editing_->EditButtonClick();
      } else {
        if (RowCount() <= 0 && options_.Contains(wgoInserting)) RequestInsert(true);
        if (col_ >= 0 && col_ < Model().Columns().Count() &&
            editing_->OpensDialog(Model().Columns().Items(col_))) {
          editing_->ShowCellDialog();
          break;
        }
        ShowEditor();
        SelectEditorText(true);
      }
      break;
    default:
      break;
  }
}

bool TwCustomGrid::ColumnAcceptsChar(char32_t ch) {
  if (col_ < 0 || col_ >= Model().Columns().Count()) return false;
  if (!options_.Contains(wgoEditing) && !options_.Contains(wgoInserting)) return false;
  TwColumn* c = Model().Columns().Items(col_);
  return c->IsValidChar(ch) && c->CanModify();
}

void TwCustomGrid::KeyPress(char32_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
  if (Key == 0) return;
  if (Key == U'\r') {
    if (options_.Contains(wgoEnterToTab)) {
      MoveToNextCell();
    } else if (EditorMode()) {
      if (!options_.Contains(wgoAlwaysShowEditor)) {
        CommitEdit();
        HideEditor();
      }
    } else {
      ShowEditor();
      SelectEditorText();
    }
    Key = 0;
    return;
  }
  if (Key < 0x20 && Key != U'\b') return;  // other control characters: default handling
  // An open editor handles its own characters (it hands each to the grid first).
  if (EditorMode()) return;
  if (ColumnAcceptsChar(Key)) {
    if (RowCount() <= 0) RequestInsert(true);
    ShowEditor();
    SelectEditorText();
    // The character that opened the editor is typed into it, replacing the selected text.
    if (TwInplaceEditor* ed = editing_->InplaceEditor())
      ed->TypeChar(Key);
    else
      ErrorBeep();
    Key = 0;
  } else if (ColumnRefusesChange(Key)) {
    // The column takes the character but the row may not change now (OnEdit said no, or the column is
    // read-only): the editor opens as F2 would open it, the cell stays as it is, and the key beeps.
    ShowEditor();
    SelectEditorText();
    ErrorBeep();
    Key = 0;
  } else if (options_.Contains(wgoEditing) || options_.Contains(wgoInserting)) {
    ErrorBeep();
  }
}

bool TwCustomGrid::ColumnRefusesChange(char32_t ch) {
  if (col_ < 0 || col_ >= Model().Columns().Count() || RowCount() <= 0) return false;
  if (!options_.Contains(wgoEditing) && !options_.Contains(wgoInserting)) return false;
  return Model().Columns().Items(col_)->IsValidChar(ch);
}

bool TwCustomGrid::focusNextPrevChild(bool next) {
  // The grid keeps Tab for itself unless Enter moves between cells (then Tab moves the focus on).
  if (!options_.Contains(wgoEnterToTab)) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

bool TwCustomGrid::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    // The keys a dialog would take for its default and cancel buttons, when the grid wants them.
    auto* k = static_cast<QKeyEvent*>(e);
    const bool editing = options_.Contains(wgoEditing) || options_.Contains(wgoInserting);
    const bool rowEdit = EditState() != esBrowse;
    if (((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && (editing || rowEdit)) ||
        (k->key() == Qt::Key_Escape && (rowEdit || input_->GridDragState() != wgsNone))) {
      e->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

// --- a press on the rows ---------------------------------------------------------------------------

void TwCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  // 1.-4. The focus, the hit of the click, sizing, moving and title presses (the input's steps).
  const TwGridInput::Press press = input_->MouseDown(Button, Shift, X, Y);
  if (press == TwGridInput::Press::Refused) return;
  // 5. The row under the mouse.
  const int r =
      press != TwGridInput::Press::ToRow || Model().GridState().Designing() ? -1 : Model().Extents().RowAt(Y);
  if (r >= 0 && r < RowCount()) {
    const TwGridExtents& ex = Model().Extents();
    const bool inIndicator = Model().Indicators().Visible() && X >= ex.Edge(0) && X < ex.Edge(1);
    const bool inMarker = Model().Markers().Visible() && X >= ex.Edge(1) && X < ex.Edge(2);
    if (inIndicator || inMarker) {
      SetRow(r);
      SelectionStep(Shift);
      if (inMarker && Model().Markers().Clicking()) {
        UpdateRect(Model().Extents().CellRect(-1, r));
        if (OnMarkerClick) OnMarkerClick(this, r);
      }
    } else if (!Model().GroupMode()) {
      const int band = ex.ItemAt(X);
      if (band >= 0) {
        const int c = Model().Columns().VisibleItems(band)->Index();
        if (c != col_ || r != row_) {
          SetColRow(c, r);
          SelectionStep(Shift);
        } else if (RowCount() > 0) {
          editing_->ClickCurrentCell(X, Y);
        }
      }
    } else {
      const TwCellPos pos = ex.CellPosAt(r, X, Y);
      if (TwColumn* c = pos.IsSet() ? Model().Groups().ColumnAt(pos) : nullptr) {
        if (c->Index() != col_ || r != row_) {
          SetCellRow(pos, r);
          SelectionStep(Shift);
        } else if (RowCount() > 0) {
          editing_->ClickCurrentCell(X, Y);
        }
      }
    }
  }
  // 6. The inherited handling.
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TwCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  input_->MouseMove(Shift, X, Y);
}

void TwCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  input_->MouseUp(Button, Shift, X, Y);
}

// --- Qt's key, mouse and wheel events go through the input ------------------------------------------

void TwCustomGrid::keyPressEvent(QKeyEvent* e) {
  input_->KeyPressEvent(e);
}

void TwCustomGrid::mousePressEvent(QMouseEvent* e) {
  input_->MousePressEvent(e);
}

void TwCustomGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  input_->MouseDoubleClickEvent(e);
}

void TwCustomGrid::mouseMoveEvent(QMouseEvent* e) {
  input_->MouseMoveEvent(e);
}

void TwCustomGrid::mouseReleaseEvent(QMouseEvent* e) {
  input_->MouseReleaseEvent(e);
}

void TwCustomGrid::wheelEvent(QWheelEvent* e) {
  input_->WheelEvent(e);
}
