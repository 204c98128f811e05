// The grid's keyboard and mouse input (TwGridInput, see grid_input.h). Sections: Qt's events into the
// grid's handlers; the steps of a press (focus, the hit of the click, sizing and moving, title presses);
// hover and release; the region hit test; the column popup; title presses and their click events.
// Sizing and moving themselves are in grid_sizing.cpp.
#include "grid/view/grid_input.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include "grid/structure/extents.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/edit_session.h"
#include "grid/view/grid_guard.h"
#include "grid/view/inplace_editor.h"

using namespace plat::ui;

TwGridInput::TwGridInput(TwCustomGrid& grid) : grid_(grid) {}

// --- Qt's events ------------------------------------------------------------------------------------

void TwGridInput::KeyPressEvent(QKeyEvent* e) {
  TwGuard(&grid_, [&] {
    int key = VirtualKeyOf(e->key());
    if (key != 0) {
      grid_.KeyDown(key, ShiftStateOf(e->modifiers()));
      if (key == 0) return;
    }
    // The characters of the key, as WM_CHAR messages (Enter "\r", Esc 0x1B, Backspace 0x08).
    for (char32_t ch : e->text().toUcs4()) {
      // The editor is open while the grid holds the focus (wgoAlwaysShowEditor and a program that focuses
      // the grid): a typed character goes to the editor's caret, and the focus with it.
      if ((ch >= 0x20 || ch == U'\b') && ch != 0x7F && HandTypingToEditor(ch)) continue;
      grid_.KeyPress(ch);
    }
  });
  e->accept();
}

bool TwGridInput::HandTypingToEditor(char32_t ch) {
  TwInplaceEditor* ed = grid_.Editing().InplaceEditor();
  if (!ed || !ed->Control()->isVisible()) return false;
  ed->Control()->setFocus(Qt::OtherFocusReason);
  ed->Deselect();
  ed->TypeChar(ch);
  return true;
}

TwGridInput::Press TwGridInput::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool leftPress = Button == mbLeft && !Shift.Contains(ssDouble);
  if (leftPress) lastClick_ = TwGridHit{};
  // 1. Take the focus.
  if (!grid_.Model().GridState().Designing() && grid_.focusPolicy() != Qt::NoFocus && !grid_.hasFocus()) {
    grid_.setFocus(Qt::MouseFocusReason);
    if (!grid_.hasFocus() && grid_.isActiveWindow()) return Press::Refused;
  }
  if (leftPress) lastClick_ = HitTest(X, Y);
  if (Button != mbLeft || Shift.Contains(ssDouble)) return Press::Taken;
  // 2. Clear the grid state.
  drag_ = TwGridDrag{};
  if (grid_.Model().Extents().Count() == 0) return Press::Taken;
  // 3. Sizing, then moving. The hit tests only answer: the sizing events belong to the press.
  TwGridDrag d;
  if (SizingHitTest(X, Y, d) != wgsNone) {
    lastClick_.Started = d.State;
    RaiseSizingEvent(d);
    StartDrag(d, X, Y);
    return Press::Taken;
  }
  if (MovingHitTest(X, Y, Shift.Contains(ssCtrl), d) != wgsNone) {
    lastClick_.Started = d.State;
    StartDrag(d, X, Y);
    return Press::Taken;
  }
  // 4. A clickable title.
  bool found = false;
  PressTitle(X, Y, found);
  if (found) {
    lastClick_.Started = drag_.State;
    return Press::Taken;
  }
  return Press::ToRow;
}

void TwGridInput::MouseMove(TShiftState Shift, int X, int Y) {
  switch (drag_.State) {
    case wgsNone:
      if (!Shift.Contains(ssLeft)) grid_.viewport()->setCursor(CursorAt(X, Y));
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

void TwGridInput::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
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
          if (grid_.OnHeaderTitleClick) grid_.OnHeaderTitleClick(&grid_);
        } else if (d.State == wgsColTitleDown) {
          if (grid_.OnColumnTitleClick)
            grid_.OnColumnTitleClick(&grid_, grid_.Model().Columns().VisibleItems(d.Band));
        } else if (d.State == wgsCellTitleDown) {
          if (grid_.OnColumnTitleClick)
            grid_.OnColumnTitleClick(&grid_, grid_.Model().Groups().ColumnAt(d.Cell));
        } else if (d.State == wgsGroupTitleDown) {
          if (grid_.OnGroupTitleClick)
            grid_.OnGroupTitleClick(&grid_, grid_.Model().Groups().VisibleItems(d.Band));
        } else if (grid_.OnFooterTitleClick) {
          grid_.OnFooterTitleClick(&grid_, d.Footer);
        }
        break;
      }
      default:
        EndDrag(X, Y);
        break;
    }
  }
  if (grid_.OnMouseUp) grid_.OnMouseUp(&grid_, Button, Shift, X, Y);
}

TwGridHit TwGridInput::HitTest(int X, int Y) const {
  TwGridHit h;
  const TwGridExtents& e = grid_.Model().Extents();
  const TRect& client = e.ClientRect();
  if (e.Count() == 0 || X < client.Left || X >= client.Right || Y < client.Top || Y >= client.Bottom)
    return h;
  const bool sideColumns = X >= e.Edge(0) && X < e.DataLeft();
  auto columnAt = [&](int band) {
    h.Band = band;
    if (band < 0) return;
    if (!grid_.Model().GroupMode()) {
      h.Column = grid_.Model().Columns().VisibleItems(band)->Index();
    } else if (TwColumn* c = h.Cell.IsSet() ? grid_.Model().Groups().ColumnAt(h.Cell) : nullptr) {
      h.Column = c->Index();
    }
  };
  if (grid_.Model().Headers().Visible() && Y < e.DataTop()) {
    if (sideColumns) {
      h.Region = TwGridRegion::HeaderCorner;
      h.Band = -1;
      return h;
    }
    if (grid_.Model().GroupMode()) {
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
  if (r < 0 || r >= grid_.RowCount()) return h;
  h.Row = r;
  if (grid_.Model().Indicators().Visible() && X >= e.Edge(0) && X < e.Edge(1)) {
    h.Region = TwGridRegion::Indicator;
    h.Band = -2;
    return h;
  }
  if (grid_.Model().Markers().Visible() && X >= e.Edge(1) && X < e.Edge(2)) {
    h.Region = TwGridRegion::Marker;
    h.Band = -1;
    return h;
  }
  if (grid_.Model().GroupMode()) {
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

bool TwGridInput::ShowColumnPopup(int X, int Y) {
  const TwGridExtents& e = grid_.Model().Extents();
  TwColumn* c = nullptr;
  if (!grid_.Model().GroupMode()) {
    const int band = e.ItemAt(X);
    if (band >= 0) c = grid_.Model().Columns().VisibleItems(band);
  } else {
    const int r = e.RowAt(Y);
    TwCellPos pos = r >= 0 ? e.CellPosAt(r, X, Y) : e.HeaderPosAt(X, Y);
    if (pos.IsSet()) c = grid_.Model().Groups().ColumnAt(pos);
  }
  QMenu* menu = c ? c->PopupMenu() : nullptr;
  if (!menu) return false;
  menu->popup(grid_.viewport()->mapToGlobal(QPoint(X, Y)));
  return true;
}

void TwGridInput::MousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const TMouseButton b = e->button() == Qt::RightButton    ? mbRight
                         : e->button() == Qt::MiddleButton ? mbMiddle
                                                           : mbLeft;
  if (b == mbLeft) clicked_ = true;
  TwGuard(&grid_, [&] { grid_.MouseDown(b, ShiftStateOf(e->modifiers(), e->buttons()), p.x(), p.y()); });
}

void TwGridInput::MouseDoubleClickEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (e->button() != Qt::LeftButton) {
    MousePressEvent(e);
    return;
  }
  // A double click goes straight to the inherited handling, then DblClick; its release is no click.
  clicked_ = false;
  TwGuard(&grid_, [&] {
    TShiftState s = ShiftStateOf(e->modifiers(), e->buttons());
    s.Include(ssDouble);
    grid_.MouseDown(mbLeft, s, p.x(), p.y());
    if (grid_.OnDblClick) grid_.OnDblClick(&grid_);
  });
}

void TwGridInput::MouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  TwGuard(&grid_, [&] { grid_.MouseMove(ShiftStateOf(e->modifiers(), e->buttons()), p.x(), p.y()); });
}

void TwGridInput::MouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  const TMouseButton b = e->button() == Qt::RightButton    ? mbRight
                         : e->button() == Qt::MiddleButton ? mbMiddle
                                                           : mbLeft;
  TwGuard(&grid_, [&] {
    grid_.MouseUp(b, ShiftStateOf(e->modifiers(), e->buttons()), p.x(), p.y());
    // Click: a left press and its release both inside the client area.
    if (b == mbLeft && clicked_) {
      clicked_ = false;
      if (grid_.viewport()->rect().contains(p) && grid_.OnClick) {
        TwFlagScope reporting(reportingClick_);
        grid_.OnClick(&grid_);
      }
    }
  });
}

void TwGridInput::WheelEvent(QWheelEvent* e) {
  const QPoint p = e->position().toPoint();
  const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
  TwGuard(&grid_, [&] { grid_.DoMouseWheel(delta, p.x(), p.y()); });
  e->accept();
}

// --- title presses ----------------------------------------------------------------------------------

void TwGridInput::PressTitle(int X, int Y, bool& found) {
  const TwGridExtents& e = grid_.Model().Extents();
  TwGridDrag d;
  if (grid_.Model().Headers().Visible() && Y >= e.ClientRect().Top && Y < e.DataTop()) {
    if (X >= e.Edge(0) && X < e.DataLeft()) {
      if ((grid_.Model().Indicators().Visible() || grid_.Model().Markers().Visible()) &&
          grid_.Model().Headers().Title().Clicking())
        d.State = wgsHeaderTitleDown;
    } else if (!grid_.Model().GroupMode()) {
      const int band = e.ItemAt(X);
      if (band >= 0 && grid_.Model().Columns().VisibleItems(band)->Title().Clicking()) {
        d.State = wgsColTitleDown;
        d.Band = band;
      }
    } else {
      const int g = e.GroupTitleAt(X, Y);
      if (g >= 0) {
        if (grid_.Model().Groups().VisibleItems(g)->Title().Clicking()) {
          d.State = wgsGroupTitleDown;
          d.Band = g;
        }
      } else {
        const TwCellPos pos = e.HeaderPosAt(X, Y);
        TwColumn* c = pos.IsSet() ? grid_.Model().Groups().ColumnAt(pos) : nullptr;
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

bool TwGridInput::TitleUnder(int X, int Y) const {
  const TwGridExtents& e = grid_.Model().Extents();
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

void TwGridInput::RepaintPressedTitle() {
  const TwGridExtents& e = grid_.Model().Extents();
  switch (drag_.State) {
    case wgsHeaderTitleDown:
      grid_.UpdateRect(e.HeaderCellRect(-1));
      break;
    case wgsColTitleDown:
      grid_.UpdateRect(e.HeaderStripRect(drag_.Band));
      break;
    case wgsCellTitleDown:
      grid_.UpdateRect(e.ColumnTitleRect(drag_.Cell));
      break;
    case wgsGroupTitleDown:
      grid_.UpdateRect(e.GroupHeaderRect(drag_.Band, -1));
      break;
    case wgsFooterTitleDown:
      grid_.UpdateRect(e.FooterCellRect(-1, drag_.Footer));
      break;
    default:
      break;
  }
}
