#include "grid/view/edit_session.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include "grid/view/custom_grid.h"
#include "grid/view/editor_keys.h"
#include "grid/view/grid_guard.h"

using namespace plat::ui;

// --- the grid as its editors see it ---------------------------------------------------------------------

QWidget* TwGridEditorHost::EditorParent() {
  return grid_.viewport();
}

bool TwGridEditorHost::ArrowMove() const {
  return grid_.HasOption(wgoArrowMove);
}

bool TwGridEditorHost::TabLeavesGrid() const {
  return grid_.HasOption(wgoEnterToTab);
}

void TwGridEditorHost::SendToGrid(int& Key, TShiftState Shift) {
  grid_.KeyDown(Key, Shift);
  Key = 0;
}

void TwGridEditorHost::GridKeyDown(int& Key, TShiftState Shift) {
  grid_.KeyDown(Key, Shift);
}

void TwGridEditorHost::GridKeyEvent(int& Key, TShiftState Shift) {
  if (grid_.OnKeyDown) grid_.OnKeyDown(&grid_, Key, Shift);
}

void TwGridEditorHost::GridKeyPress(char32_t& Key) {
  grid_.KeyPress(Key);
}

void TwGridEditorHost::DblClick() {
  grid_.DblClick();
}

void TwGridEditorHost::FocusChanged(bool gained, Qt::FocusReason reason) {
  grid_.EditorFocusChanged(gained, reason);
}

bool TwGridEditorHost::GridHasFocus() const {
  return grid_.hasFocus();
}

Qt::FocusReason TwGridEditorHost::EditorFocusReason() const {
  return grid_.EditorFocusReason();
}

void TwGridEditorHost::TakeFocusBack() {
  grid_.setFocus(Qt::OtherFocusReason);
}

void TwGridEditorHost::DroppedDown() {
  grid_.DoDropDown();
}

void TwGridEditorHost::ClosedUp(bool Accept) {
  grid_.DoCloseUp(Accept);
}

int TwGridEditorHost::ListImageIndex(int Row) {
  int index = -1;
  const int col = grid_.Col();
  if (grid_.OnGetListImageIndex && col >= 0 && col < grid_.Model().Columns().Count())
    grid_.OnGetListImageIndex(&grid_, grid_.Model().Columns().Items(col), Row, index);
  return index;
}

int TwGridEditorHost::ClientHeight() const {
  return grid_.Model().ClientHeight();
}

plat::Variant TwGridEditorHost::CellValue(TwColumn* AColumn) {
  return grid_.GetEditValue(AColumn, grid_.Row());
}

const QImage* TwGridEditorHost::CellPicture(TwColumn* AColumn) {
  return grid_.GetCellGraphic(AColumn, grid_.Row());
}

void TwGridEditorHost::SetMemoText(const std::string& Text) {
  grid_.SetMemoText(Text);
}

void TwGridEditorHost::SetPicture(QImage& Picture) {
  grid_.SetPicture(Picture);
}

// --- the editor filter ----------------------------------------------------------------------------------

TwEditorFilter::TwEditorFilter(TwEditorHost& host, TwInplaceEditor& editor) : host_(host), editor_(editor) {}

bool TwEditorFilter::eventFilter(QObject* watched, QEvent* e) {
  if (watched != editor_.Control()) return false;
  switch (e->type()) {
    case QEvent::ShortcutOverride: {
      // Enter and Esc belong to the editor (and through it to the grid), not to the window's buttons.
      auto* k = static_cast<QKeyEvent*>(e);
      if (!editor_.KeysStayInside() &&
          (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Escape)) {
        e->accept();
        return true;
      }
      return false;
    }
    case QEvent::KeyPress: {
      auto* k = static_cast<QKeyEvent*>(e);
      // Tab in a text-like editor first asks the control whether it moves the focus on (only when the grid
      // lets Tab go); the control then hands the key back to the same routing.
      const TwKeyTable table = editor_.KeyTable();
      const bool tab = (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
                       !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
      if (tab && table != TwKeyTable::Check && table != TwKeyTable::Radio) return false;
      TwRouteEditorKey(host_, editor_, k);
      k->accept();
      return true;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
      // The control handles its focus change first; then the grid hears of it.
      watched->event(e);
      host_.FocusChanged(e->type() == QEvent::FocusIn, static_cast<QFocusEvent*>(e)->reason());
      return true;
    }
    default:
      return false;
  }
}

void TwApplyKeyTable(TwEditorHost& host, TwInplaceEditor& editor, int& Key, TShiftState Shift) {
  const bool ctrl = Shift.Contains(ssCtrl), alt = Shift.Contains(ssAlt), shift = Shift.Contains(ssShift);
  const bool arrowMove = host.ArrowMove();
  const TwEditorCaret at = editor.Caret();
  auto send = [&](bool when) {
    if (when) host.SendToGrid(Key, Shift);
  };
  switch (editor.KeyTable()) {
    case TwKeyTable::Text:
      switch (Key) {
        case VK_ESCAPE:
        case VK_F3:
          send(true);
          break;
        case VK_TAB:
          send(!alt);
          break;
        case VK_UP:
        case VK_PRIOR:
          send(ctrl || at.OnFirstLine);
          break;
        case VK_DOWN:
        case VK_NEXT:
          send(ctrl || at.OnLastLine);
          break;
        case VK_RIGHT:
          send(arrowMove && (ctrl || at.AtRightEdge));
          break;
        case VK_END:
          send(arrowMove && (ctrl || at.AtEnd));
          break;
        case VK_LEFT:
          send(arrowMove && (ctrl || at.AtLeftEdge));
          break;
        case VK_HOME:
          send(arrowMove && (ctrl || at.AtStart));
          break;
        case VK_INSERT:
          if (!shift && !ctrl && !alt)
            send(true);
          else if (shift && !ctrl && !editor.CanChange())
            Key = 0;
          break;
        case VK_DELETE:
          if (ctrl)
            send(true);
          else if (!editor.CanChange())
            Key = 0;
          break;
        case VK_F2:
          send(ctrl);
          break;
        default:
          break;
      }
      break;
    case TwKeyTable::Number:
      switch (Key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_ESCAPE:
        case VK_INSERT:
        case VK_F3:
          send(true);
          break;
        case VK_TAB:
          send(!alt);
          break;
        case VK_RIGHT:
          send(arrowMove && (ctrl || at.AtRightEdge));
          break;
        case VK_END:
          send(arrowMove && (ctrl || at.AtEnd));
          break;
        case VK_LEFT:
          send(arrowMove && (ctrl || at.AtLeftEdge));
          break;
        case VK_HOME:
          send(arrowMove && (ctrl || at.AtStart));
          break;
        case VK_DELETE:
        case VK_F2:
          send(ctrl);
          break;
        default:
          break;
      }
      break;
    case TwKeyTable::Date:
      switch (Key) {
        case VK_ESCAPE:
        case VK_INSERT:
        case VK_F3:
          send(true);
          break;
        case VK_TAB:
          send(!alt);
          break;
        case VK_LEFT:
        case VK_RIGHT:
          // In a date they move between the fields; Ctrl, or an empty edit, moves to the next cell.
          send(at.Empty || ctrl);
          break;
        case VK_UP:
        case VK_DOWN:
          // Ctrl+Up/Down step the field, Alt+Down opens the calendar.
          send(!alt && !(ctrl && !at.Empty));
          break;
        case VK_DELETE:
        case VK_F2:
          send(ctrl);
          break;
        default:
          break;
      }
      break;
    case TwKeyTable::Check:
      // Every key: arrows, Tab, Enter and Esc act as on the grid.
      host.GridKeyDown(Key, Shift);
      break;
    case TwKeyTable::Radio:
      switch (Key) {
        case VK_TAB:
          send(!alt);
          break;
        case VK_ESCAPE:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_INSERT:
        case VK_F3:
          send(true);
          break;
        case VK_END:
          send(arrowMove && at.AtEnd);
          break;
        case VK_HOME:
          send(arrowMove && at.AtStart);
          break;
        case VK_LEFT:
          send(arrowMove && (ctrl || at.AtLeftEdge));
          break;
        case VK_RIGHT:
          send(arrowMove && (ctrl || at.AtRightEdge));
          break;
        case VK_UP:
          send(ctrl || at.OnFirstLine);
          break;
        case VK_DOWN:
          send(ctrl || at.OnLastLine);
          break;
        case VK_DELETE:
        case VK_F2:
          send(ctrl);
          break;
        default:
          break;
      }
      break;
  }
}

void TwRouteEditorKey(TwEditorHost& host, TwInplaceEditor& editor, QKeyEvent* e) {
  QWidget* w = editor.Control();
  TwGuard(host.EditorParent(), [&] {
    const TShiftState shift = ShiftStateOf(e->modifiers());
    int key = VirtualKeyOf(e->key());
    const int keyIn = key;
    // A dropped-down list takes its keys before anyone else.
    if (key != 0 && editor.ListKey(key, shift)) return;
    const bool inside = editor.KeysStayInside();
    const TwKeyTable kind = editor.KeyTable();
    if (key != 0) {
      if (!inside) {
        TwApplyKeyTable(host, editor, key, shift);
        // The check box's table gave the key to the grid's KeyDown, which raised OnKeyDown already.
        if (key != 0 && kind != TwKeyTable::Check) host.GridKeyEvent(key, shift);
      }
      if (key != 0) editor.KeyDown(key, shift);
    }
    if (kind == TwKeyTable::Check || kind == TwKeyTable::Radio) {
      // The grid may have closed or moved the editor: its characters then belong to nobody.
      if (keyIn != 0 && key == 0 && !w->isVisible()) return;
      for (char32_t ch : e->text().toUcs4()) {
        if (!w->isVisible()) break;
        host.GridKeyPress(ch);
        if (ch != 0) editor.KeyPress(ch);
      }
      return;
    }
    // The character of the key reaches KeyPress even when KeyDown took the key (as a message would): Esc
    // goes to the grid's KeyDown and then, as a character, to its KeyPress, which undoes the typing.
    char32_t ch = editors_detail::CharOf(e);
    const char32_t chIn = ch;
    if (ch != 0) {
      if (!inside) host.GridKeyPress(ch);
      if (ch != 0) editor.KeyPress(ch);
    }
    if ((keyIn != 0 && key == 0) || (chIn != 0 && ch == 0)) return;
    if (!w->isVisible()) return;
    editor.KeyDefault(e);
  });
}
