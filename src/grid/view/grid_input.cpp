// Keyboard, mouse and focus of the grid: Qt events become the handlers KeyDown, KeyPress, MouseDown,
// MouseMove, MouseUp and DoMouseWheel (Windows virtual-key numbers and a shift set, viewport coordinates);
// the keyboard table, typing a character, the mouse-down steps with the selection step, title presses and
// their click events, the column popup menu, focus in and out.
#include <QApplication>
#include <QDateTime>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <exception>

#include "grid/structure/extents.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/custom_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/grid_guard.h"
#include "grid/view/inplace_editor.h"
#include "platform/ui/dialogs.h"

using namespace plat::ui;

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

// --- keyboard ---------------------------------------------------------------------------------------

void TwCustomGrid::KeyDown(int& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
  if (Key == 0) return;
  const bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_ESCAPE:
      // Ends a sizing or moving without applying it; the key goes on to KeyPress (the editor).
      if (drag_.State != wgsNone) CancelDrag();
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
        if (TwInplaceEditor* ed = InplaceEditor(); ed && Model().Columns().Items(col_)->CanModify()) {
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
      if (ctrl && EditButtonControl() && EditButtonControl()->isVisible()) {
        EditButtonClick();
      } else {
        if (RowCount() <= 0 && options_.Contains(wgoInserting)) RequestInsert(true);
        if (col_ >= 0 && col_ < Model().Columns().Count() && OpensDialog(Model().Columns().Items(col_))) {
          ShowCellDialog();
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
    if (TwInplaceEditor* ed = InplaceEditor())
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

void TwCustomGrid::keyPressEvent(QKeyEvent* e) {
  TwGuard(this, [&] {
    int key = VirtualKeyOf(e->key());
    if (key != 0) {
      KeyDown(key, ShiftStateOf(e->modifiers()));
      if (key == 0) return;
    }
    // The characters of the key, as WM_CHAR messages (Enter "\r", Esc 0x1B, Backspace 0x08).
    for (char32_t ch : e->text().toUcs4()) {
      // The editor is open while the grid holds the focus (wgoAlwaysShowEditor and a program that focuses
      // the grid): a typed character goes to the editor's caret, and the focus with it.
      if ((ch >= 0x20 || ch == U'\b') && ch != 0x7F && HandTypingToEditor(ch)) continue;
      KeyPress(ch);
    }
  });
  e->accept();
}

bool TwCustomGrid::HandTypingToEditor(char32_t ch) {
  TwInplaceEditor* ed = InplaceEditor();
  if (!ed || !ed->Control()->isVisible()) return false;
  ed->Control()->setFocus(Qt::OtherFocusReason);
  ed->Deselect();
  ed->TypeChar(ch);
  return true;
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
        (k->key() == Qt::Key_Escape && (rowEdit || drag_.State != wgsNone))) {
      e->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

// --- mouse ------------------------------------------------------------------------------------------

void TwCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool leftPress = Button == mbLeft && !Shift.Contains(ssDouble);
  if (leftPress) lastClick_ = TwGridHit{};
  // 1. Take the focus.
  if (!Model().GridState().Designing() && focusPolicy() != Qt::NoFocus && !hasFocus()) {
    setFocus(Qt::MouseFocusReason);
    if (!hasFocus() && isActiveWindow()) return;
  }
  if (leftPress) lastClick_ = HitTest(X, Y);
  const auto inherited = [&] {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
  };
  if (Button != mbLeft || Shift.Contains(ssDouble)) {
    inherited();
    return;
  }
  // 2. Clear the grid state.
  drag_ = TwGridDrag{};
  const TwGridExtents& e = Model().Extents();
  if (e.Count() == 0) {
    inherited();
    return;
  }
  // 3. Sizing, then moving.
  TwGridDrag d;
  if (SizingHitTest(X, Y, d) != wgsNone || MovingHitTest(X, Y, Shift.Contains(ssCtrl), d) != wgsNone) {
    lastClick_.Started = d.State;
    StartDrag(d, X, Y);
    inherited();
    return;
  }
  // 4. A clickable title.
  bool found = false;
  PressTitle(X, Y, found);
  if (found) {
    lastClick_.Started = drag_.State;
    inherited();
    return;
  }
  // 5. The row under the mouse.
  const int r = Model().GridState().Designing() ? -1 : Model().Extents().RowAt(Y);
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
          ClickCurrentCell(X, Y);
        }
      }
    } else {
      const TwCellPos pos = ex.CellPosAt(r, X, Y);
      if (TwColumn* c = pos.IsSet() ? Model().Groups().ColumnAt(pos) : nullptr) {
        if (c->Index() != col_ || r != row_) {
          SetCellRow(pos, r);
          SelectionStep(Shift);
        } else if (RowCount() > 0) {
          ClickCurrentCell(X, Y);
        }
      }
    }
  }
  // 6. The inherited handling.
  inherited();
}

void TwCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  switch (drag_.State) {
    case wgsNone:
      if (!Shift.Contains(ssLeft)) viewport()->setCursor(CursorAt(X, Y));
      break;
    case wgsHeaderTitleDown:
    case wgsColTitleDown:
    case wgsCellTitleDown:
    case wgsGroupTitleDown:
    case wgsFooterTitleDown: {
      const bool over = TitleUnder(X, Y);
      if (over != drag_.Pressed) {
        drag_.Pressed = over;
        RepaintPressedTitle();
      }
      break;
    }
    default:
      DragTo(X, Y);
      break;
  }
}

void TwCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbRight) {
    if (ShowColumnPopup(X, Y)) return;
  }
  if (Button == mbLeft) {
    const TwGridDrag d = drag_;
    switch (d.State) {
      case wgsNone:
        break;
      case wgsHeaderTitleDown:
      case wgsColTitleDown:
      case wgsCellTitleDown:
      case wgsGroupTitleDown:
      case wgsFooterTitleDown: {
        drag_.Pressed = false;
        RepaintPressedTitle();
        drag_ = TwGridDrag{};
        if (!d.Pressed) break;
        if (d.State == wgsHeaderTitleDown) {
          if (OnHeaderTitleClick) OnHeaderTitleClick(this);
        } else if (d.State == wgsColTitleDown) {
          if (OnColumnTitleClick) OnColumnTitleClick(this, Model().Columns().VisibleItems(d.Band));
        } else if (d.State == wgsCellTitleDown) {
          if (OnColumnTitleClick) OnColumnTitleClick(this, Model().Groups().ColumnAt(d.Cell));
        } else if (d.State == wgsGroupTitleDown) {
          if (OnGroupTitleClick) OnGroupTitleClick(this, Model().Groups().VisibleItems(d.Band));
        } else if (OnFooterTitleClick) {
          OnFooterTitleClick(this, d.Footer);
        }
        break;
      }
      default:
        EndDrag(X, Y);
        break;
    }
  }
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

TwGridHit TwCustomGrid::HitTest(int X, int Y) const {
  TwGridHit h;
  const TwGridExtents& e = Model().Extents();
  const TRect& client = e.ClientRect();
  if (e.Count() == 0 || X < client.Left || X >= client.Right || Y < client.Top || Y >= client.Bottom)
    return h;
  const bool sideColumns = X >= e.Edge(0) && X < e.DataLeft();
  auto columnAt = [&](int band) {
    h.Band = band;
    if (band < 0) return;
    if (!Model().GroupMode()) {
      h.Column = Model().Columns().VisibleItems(band)->Index();
    } else if (TwColumn* c = h.Cell.IsSet() ? Model().Groups().ColumnAt(h.Cell) : nullptr) {
      h.Column = c->Index();
    }
  };
  if (Model().Headers().Visible() && Y < e.DataTop()) {
    if (sideColumns) {
      h.Region = TwGridRegion::HeaderCorner;
      h.Band = -1;
      return h;
    }
    if (Model().GroupMode()) {
      const int g = e.GroupTitleAt(X, Y);
      if (g >= 0) {
        h.Region = TwGridRegion::GroupTitle;
        h.Band = g;
        return h;
      }
      h.Cell = e.HeaderPosAt(X, Y);
      columnAt(h.Cell.Group);
    } else {
      columnAt(e.ItemAt(X));
    }
    if (h.Band >= 0) h.Region = TwGridRegion::Title;
    return h;
  }
  if (Y >= e.FooterTop()) {
    for (int k = 0; k < e.FooterCount(); ++k) {
      if (Y < e.FooterRowTop(k) || Y >= e.FooterRowBottom(k)) continue;
      h.Footer = k;
      if (sideColumns) {
        h.Region = TwGridRegion::FooterTitle;
        h.Band = -2;
        return h;
      }
      columnAt(e.ItemAt(X));
      if (h.Band >= 0) h.Region = TwGridRegion::Footer;
      return h;
    }
    return h;
  }
  const int r = e.RowAt(Y);
  if (r < 0 || r >= RowCount()) return h;
  h.Row = r;
  if (Model().Indicators().Visible() && X >= e.Edge(0) && X < e.Edge(1)) {
    h.Region = TwGridRegion::Indicator;
    h.Band = -2;
    return h;
  }
  if (Model().Markers().Visible() && X >= e.Edge(1) && X < e.Edge(2)) {
    h.Region = TwGridRegion::Marker;
    h.Band = -1;
    return h;
  }
  if (Model().GroupMode()) {
    h.Cell = e.CellPosAt(r, X, Y);
    columnAt(h.Cell.Group);
  } else {
    columnAt(e.ItemAt(X));
  }
  if (h.Band >= 0)
    h.Region = TwGridRegion::Data;
  else
    h.Row = -1;
  return h;
}

bool TwCustomGrid::ShowColumnPopup(int X, int Y) {
  const TwGridExtents& e = Model().Extents();
  TwColumn* c = nullptr;
  if (!Model().GroupMode()) {
    const int band = e.ItemAt(X);
    if (band >= 0) c = Model().Columns().VisibleItems(band);
  } else {
    const int r = e.RowAt(Y);
    TwCellPos pos = r >= 0 ? e.CellPosAt(r, X, Y) : e.HeaderPosAt(X, Y);
    if (pos.IsSet()) c = Model().Groups().ColumnAt(pos);
  }
  QMenu* menu = c ? c->PopupMenu() : nullptr;
  if (!menu) return false;
  menu->popup(viewport()->mapToGlobal(QPoint(X, Y)));
  return true;
}

void TwCustomGrid::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const TMouseButton b = e->button() == Qt::RightButton    ? mbRight
                         : e->button() == Qt::MiddleButton ? mbMiddle
                                                           : mbLeft;
  if (b == mbLeft) clicked_ = true;
  TwGuard(this, [&] { MouseDown(b, ShiftStateOf(e->modifiers(), e->buttons()), p.x(), p.y()); });
}

void TwCustomGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (e->button() != Qt::LeftButton) {
    mousePressEvent(e);
    return;
  }
  // A double click goes straight to the inherited handling, then DblClick; its release is no click.
  clicked_ = false;
  TwGuard(this, [&] {
    TShiftState s = ShiftStateOf(e->modifiers(), e->buttons());
    s.Include(ssDouble);
    MouseDown(mbLeft, s, p.x(), p.y());
    if (OnDblClick) OnDblClick(this);
  });
}

void TwCustomGrid::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  TwGuard(this, [&] { MouseMove(ShiftStateOf(e->modifiers(), e->buttons()), p.x(), p.y()); });
}

void TwCustomGrid::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const TMouseButton b = e->button() == Qt::RightButton    ? mbRight
                         : e->button() == Qt::MiddleButton ? mbMiddle
                                                           : mbLeft;
  TwGuard(this, [&] {
    MouseUp(b, ShiftStateOf(e->modifiers(), e->buttons()), p.x(), p.y());
    // Click: a left press and its release both inside the client area.
    if (b == mbLeft && clicked_) {
      clicked_ = false;
      if (viewport()->rect().contains(p) && OnClick) {
        TwFlagScope reporting(reportingClick_);
        OnClick(this);
      }
    }
  });
}

void TwCustomGrid::wheelEvent(QWheelEvent* e) {
  const QPoint p = e->position().toPoint();
  const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
  TwGuard(this, [&] { DoMouseWheel(delta, p.x(), p.y()); });
  e->accept();
}

// --- title presses ----------------------------------------------------------------------------------

void TwCustomGrid::PressTitle(int X, int Y, bool& found) {
  const TwGridExtents& e = Model().Extents();
  TwGridDrag d;
  if (Model().Headers().Visible() && Y >= e.ClientRect().Top && Y < e.DataTop()) {
    if (X >= e.Edge(0) && X < e.DataLeft()) {
      if ((Model().Indicators().Visible() || Model().Markers().Visible()) &&
          Model().Headers().Title().Clicking())
        d.State = wgsHeaderTitleDown;
    } else if (!Model().GroupMode()) {
      const int band = e.ItemAt(X);
      if (band >= 0 && Model().Columns().VisibleItems(band)->Title().Clicking()) {
        d.State = wgsColTitleDown;
        d.Band = band;
      }
    } else {
      const int g = e.GroupTitleAt(X, Y);
      if (g >= 0) {
        if (Model().Groups().VisibleItems(g)->Title().Clicking()) {
          d.State = wgsGroupTitleDown;
          d.Band = g;
        }
      } else {
        const TwCellPos pos = e.HeaderPosAt(X, Y);
        TwColumn* c = pos.IsSet() ? Model().Groups().ColumnAt(pos) : nullptr;
        if (c && c->Title().Clicking()) {
          d.State = wgsCellTitleDown;
          d.Cell = pos;
          d.Band = pos.Group;
        }
      }
    }
  } else if (Y >= e.FooterTop() && X >= e.Edge(0) && X < e.DataLeft()) {
    for (int k = 0; k < e.FooterCount(); ++k) {
      if (Y >= e.FooterRowTop(k) && Y < e.FooterRowBottom(k) && e.FooterRow(k).Footer->Title().Clicking()) {
        d.State = wgsFooterTitleDown;
        d.Footer = k;
      }
    }
  }
  found = d.State != wgsNone;
  if (!found) return;
  d.Pressed = true;
  drag_ = d;
  RepaintPressedTitle();
}

bool TwCustomGrid::TitleUnder(int X, int Y) const {
  const TwGridExtents& e = Model().Extents();
  const bool inTitles = Y >= e.ClientRect().Top && Y < e.DataTop();
  switch (drag_.State) {
    case wgsHeaderTitleDown:
      return inTitles && X >= e.Edge(0) && X < e.DataLeft();
    case wgsColTitleDown:
      return inTitles && e.ItemAt(X) == drag_.Band;
    case wgsCellTitleDown:
      return inTitles && e.HeaderPosAt(X, Y) == drag_.Cell;
    case wgsGroupTitleDown:
      return e.GroupTitleAt(X, Y) == drag_.Band;
    case wgsFooterTitleDown:
      return X >= e.Edge(0) && X < e.DataLeft() && Y >= e.FooterRowTop(drag_.Footer) &&
             Y < e.FooterRowBottom(drag_.Footer);
    default:
      return false;
  }
}

void TwCustomGrid::RepaintPressedTitle() {
  const TwGridExtents& e = Model().Extents();
  switch (drag_.State) {
    case wgsHeaderTitleDown:
      UpdateRect(e.HeaderCellRect(-1));
      break;
    case wgsColTitleDown:
      UpdateRect(e.HeaderStripRect(drag_.Band));
      break;
    case wgsCellTitleDown:
      UpdateRect(e.ColumnTitleRect(drag_.Cell));
      break;
    case wgsGroupTitleDown:
      UpdateRect(e.GroupHeaderRect(drag_.Band, -1));
      break;
    case wgsFooterTitleDown:
      UpdateRect(e.FooterCellRect(-1, drag_.Footer));
      break;
    default:
      break;
  }
}

// --- focus ------------------------------------------------------------------------------------------

void TwCustomGrid::ClickCurrentCell(int X, int Y) {
  if (OpensDialog(Model().Columns().Items(col_))) {
    ShowCellDialog();
    return;
  }
  const bool wasOpen = EditorMode();
  ShowEditor();
  SelectEditorText();
  TwInplaceEditor* ed = InplaceEditor();
  if (!ed || EditColumn() != col_ || EditRow() != row_) return;
  // A second click inside the editor within the double-click time is a double click.
  if (!wasOpen) ed->ClickTime = QDateTime::currentMSecsSinceEpoch();
  // One click toggles a check box, a boolean or picks a radio item (the editors that act on it).
  if (!options_.Contains(wgoNoClickEdit)) ed->ClickAt(X, Y);
}

bool TwCustomGrid::FocusInside() const {
  const QWidget* f = QApplication::focusWidget();
  return f && (f == this || isAncestorOf(f));
}

void TwCustomGrid::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  TwGuard(this, [&] {
    UpdateEditButton();
    // Back from the grid's own editor: the grid never lost the focus as far as its user can tell.
    if (focusEntered_) {
      InvalidateCurrent();
      return;
    }
    focusEntered_ = true;
    ApplyColumnIme();
    if (options_.Contains(wgoAlwaysShowEditor)) {
      ShowEditor();
      SelectEditorText();
    }
    if (Model().Extents().Count() == 0)
      InvalidateGrid();
    else
      InvalidateCurrent();
    if (OnEnter) OnEnter(this);
    // An open editor takes the focus on from the grid.
    if (TwInplaceEditor* ed = InplaceEditor(); ed && ed->Control()->isVisible() && hasFocus())
      ed->Control()->setFocus(Qt::OtherFocusReason);
  });
}

void TwCustomGrid::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  // The focus went to the grid's own editor (or the edit button).
  if (FocusInside()) {
    InvalidateCurrent();
    return;
  }
  LeaveFocus();
}

void TwCustomGrid::EditorFocusChanged(bool gained, Qt::FocusReason reason) {
  if (gained) {
    if (focusEntered_) return;
    focusEntered_ = true;
    TwGuard(this, [&] {
      InvalidateCurrent();
      if (OnEnter) OnEnter(this);
    });
    return;
  }
  // A pop-up list or calendar of the editor, or another window taking the activation, leaves the editor
  // as it is: the focus comes back to it.
  if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
  if (!FocusInside()) LeaveFocus();
}

void TwCustomGrid::LeaveFocus() {
  focusEntered_ = false;
  try {
    // The edit button belongs to the focused grid: it goes with the focus and comes back with it.
    UpdateEditButton();
    if (EditorMode()) {
      CommitEdit();
      HideEditor();
    }
    InvalidateCurrent();
    DoExit();
  } catch (const std::exception& ex) {
    // The grid takes the focus back and the user sees the error.
    setFocus();
    ShowGridError(this, &ex);
  } catch (...) {
    setFocus();
    ShowGridError(this, nullptr);
  }
}

void TwCustomGrid::DoExit() {
  if (EditorMode()) {
    CommitEdit();
    HideEditor();
  }
  if (OnExit) OnExit(this);
}
