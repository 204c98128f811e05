// The grid's edit session (see edit_session.h). Sections: the grid as its editors see it
// (TwGridEditorHost); the editor filter and the key tables it routes through; the edit session
// (TwEditSession): making editors, showing and hiding, placing, values and Esc, the edit button, the
// dialogs, a press on the current cell, the input method settings, the focus shared with the editor.
#include "grid/view/edit_session.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <algorithm>
#include <exception>

#include "grid/structure/extents.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/custom_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_button.h"
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
  grid_.Editing().EditorFocusChanged(gained, reason);
}

bool TwGridEditorHost::GridHasFocus() const {
  return grid_.hasFocus();
}

Qt::FocusReason TwGridEditorHost::EditorFocusReason() const {
  return grid_.Editing().EditorFocusReason();
}

void TwGridEditorHost::TakeFocusBack() {
  grid_.setFocus(Qt::OtherFocusReason);
}

void TwGridEditorHost::DroppedDown() {
  if (grid_.OnDropDown) grid_.OnDropDown(&grid_);
}

void TwGridEditorHost::ClosedUp(bool Accept) {
  if (grid_.OnCloseUp) grid_.OnCloseUp(&grid_, Accept);
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

// --- the edit session ------------------------------------------------------------------------------------

namespace {
// The number and spin-number kinds share one editor.
TwEditKind EditorSlot(TwEditKind kind) {
  return kind == wekSpinNumber ? wekNumber : kind;
}
}  // namespace

TwEditSession::TwEditSession(TwCustomGrid& grid) : grid_(grid), host_(grid) {}

TwEditSession::~TwEditSession() = default;

void TwEditSession::DropEditors() {
  active_ = nullptr;
  editorMode_ = false;
  for (auto& d : dialogs_) d.reset();
  for (auto& ed : editors_) ed.reset();
  customDialogs_.clear();
  customEditors_.clear();
}

bool TwEditSession::EditorShowsCell(int ACol, int ARow) const {
  return editorMode_ && ACol == grid_.Col() && ARow == grid_.Row();
}

bool TwEditSession::HasCustomEditor(const TwColumn* AColumn) const {
  return !AColumn->CustomKind().empty() && registry_.Has(AColumn->CustomKind());
}

bool TwEditSession::OpensDialog(const TwColumn* AColumn) const {
  const TwEditKind kind = AColumn->GetEditKind();
  return (kind == wekMemo || kind == wekPicture) && !HasCustomEditor(AColumn);
}

bool TwEditSession::CreateEditor(TwColumn* AColumn) {
  const TwEditKind kind = AColumn->GetEditKind();
  std::unique_ptr<TwInplaceEditor>* slot;
  if (HasCustomEditor(AColumn)) {
    const std::string& name = AColumn->CustomKind();
    slot = &customEditors_[name];
    if (!*slot) *slot = registry_.MakeEditor(name, host_);
  } else {
    slot = &editors_[std::size_t(EditorSlot(kind))];
    if (!*slot) *slot = grid_.MakeEditor(EditorSlot(kind));
  }
  auto& editor = *slot;
  if (!editor) return false;
  QWidget* w = editor->Control();
  if (!editor->HasFilter()) {
    // First use: the editor lies on the viewport, hidden, and its keys and focus pass the grid's filter.
    if (w->parentWidget() != grid_.viewport()) w->setParent(grid_.viewport());
    w->hide();
    auto filter = std::make_unique<TwEditorFilter>(host_, *editor);
    w->installEventFilter(filter.get());
    editor->SetFilter(std::move(filter));
  }
  active_ = editor.get();
  activeKind_ = kind;
  return true;
}

void TwEditSession::ShowEditor() {
  if (grid_.UpdateLocked() || editorMode_) return;
  if (grid_.Col() < 0 || grid_.Col() >= grid_.Model().Columns().Count()) return;
  TwColumn* c = grid_.Model().Columns().Items(grid_.Col());
  // A hidden column, or one outside the visible groups, is no current cell to edit.
  if (grid_.Model().GroupMode() ? !grid_.Model().ColumnPos(c).IsSet() : c->VisibleIndex() < 0) return;
  // Memo and picture cells open their dialogs, never an in-place editor (unless a custom kind edits them).
  if (OpensDialog(c)) return;
  const int band = grid_.Model().GroupMode() ? grid_.Model().ColumnPos(c).Group : c->VisibleIndex();
  if (band < grid_.Model().FixedCount() && !grid_.Model().FixedStyle().Options().Contains(wfxEditing)) return;
  if (!grid_.CanEditorShow() || !c->CanShowEditor()) return;
  active_ = nullptr;
  if (!grid_.CreateEditor(c)) return;
  // A descendant's CreateEditor may keep the state without a control of the grid's making.
  if (TwInplaceEditor* ed = active_) ed->BeginEdit(c, grid_.GetEditValue(c, grid_.Row()));
  editColumn_ = grid_.Col();
  editRow_ = grid_.Row();
  editorMode_ = true;
  grid_.InvalidateCell(grid_.Col(), grid_.Row());
  PlaceEditor(false);
}

void TwEditSession::CloseEditor() {
  if (!editorMode_) return;
  editorMode_ = false;
  const int c = editColumn_, r = editRow_;
  if (active_) active_->HideEditor();
  if (c >= 0 && c < grid_.Model().Columns().Count()) grid_.InvalidateCell(c, r);
}

TRect TwEditSession::EditorRect() const {
  const int ci = editorMode_ ? editColumn_ : grid_.Col();
  if (ci < 0 || ci >= grid_.Model().Columns().Count()) return {};
  TwColumn* c = grid_.Model().Columns().Items(ci);
  const TwGridExtents& e = grid_.Model().Extents();
  const bool multi = c->GetEditKind() == wekMultiText;
  TRect r;
  int band;
  if (grid_.Model().GroupMode()) {
    const TwCellPos pos = grid_.Model().ColumnPos(c);
    if (!pos.IsSet()) return {};
    band = pos.Group;
    r = multi ? e.GroupCellRect(pos, grid_.Row()) : e.GroupCellInnerRect(pos, grid_.Row());
  } else {
    band = c->VisibleIndex();
    if (band < 0) return {};
    r = multi ? e.CellRect(band, grid_.Row()) : e.CellInnerRect(band, grid_.Row());
  }
  if (r.IsEmpty()) return {};
  if (multi) r.Right -= 1;
  if (band >= e.FixedCount()) r.Left = std::max(r.Left, e.FixedRight());
  r.Top = std::max(r.Top, e.DataTop());
  r.Bottom = std::min(r.Bottom, e.FooterTop());
  if (editButton_ && editButton_->isVisible()) r.Right -= ButtonWidth();
  if (r.Right <= r.Left || r.Bottom <= r.Top) return {};
  return r;
}

void TwEditSession::PlaceEditor(bool Reposition) {
  if (!editorMode_ || !active_) return;
  TwInplaceEditor* ed = active_;
  const TRect r = EditorRect();
  if (Reposition) {
    // The cell scrolled out of the data area: the editor waits hidden (and keeps its value) until it
    // shows again.
    QWidget* w = ed->Control();
    if (r.IsEmpty()) {
      const bool hadFocus = w->hasFocus();
      w->hide();
      if (hadFocus) grid_.setFocus();
      return;
    }
    if (!w->isVisible()) {
      ed->ShowAt(r, true);
      return;
    }
    w->setGeometry(r.Left, r.Top, r.Width(), r.Height());
    return;
  }
  ed->ShowAt(r, false);
}

void TwEditSession::UpdateEditButton() {
  const bool show = grid_.IsGridFocused() && grid_.RowCount() > 0 && grid_.Col() >= 0 &&
                    grid_.Col() < grid_.Model().Columns().Count() && !grid_.Model().GridState().Designing();
  TwColumn* c = show ? grid_.Model().Columns().Items(grid_.Col()) : nullptr;
  if (c && c->EditButton() && !editButton_) editButton_ = new TwEditButton(grid_);
  if (editButton_) static_cast<TwEditButton*>(editButton_)->PlaceButton(c, grid_.Row());
  if (editorMode_) PlaceEditor(true);
}

void TwEditSession::EditButtonClick() {
  if (grid_.Col() < 0 || grid_.Col() >= grid_.Model().Columns().Count()) return;
  if (grid_.OnEditButtonClick) grid_.OnEditButtonClick(&grid_, grid_.Model().Columns().Items(grid_.Col()));
}

plat::Variant TwEditSession::ReadEditorValue() {
  plat::Variant v = plat::Variant::Null();
  if (editorMode_ && active_) v = active_->EndEdit();
  lastValue_ = v;
  return v;
}

void TwEditSession::RefreshEditor() {
  if (!editorMode_ || !active_ || editColumn_ != grid_.Col()) return;
  if (grid_.Col() < 0 || grid_.Col() >= grid_.Model().Columns().Count()) return;
  editRow_ = grid_.Row();
  active_->SetValue(grid_.GetEditValue(grid_.Model().Columns().Items(grid_.Col()), grid_.Row()));
  grid_.CommitEdit();
}

bool TwEditSession::CancelEditor() {
  if (!editorMode_) return false;
  bool undone = false;
  if (grid_.Col() >= 0 && grid_.Col() < grid_.Model().Columns().Count()) {
    const plat::Variant shown = ReadEditorValue();
    const plat::Variant stored = grid_.GetEditValue(grid_.Model().Columns().Items(grid_.Col()), grid_.Row());
    if (!(shown == stored)) {
      grid_.RefreshEditor();
      undone = true;
    }
  }
  if (!grid_.HasOption(wgoAlwaysShowEditor)) grid_.HideEditor();
  return undone;
}

void TwEditSession::SelectEditorText(bool F2) {
  if (!editorMode_ || !active_ || !active_->HasText()) return;
  if (F2)
    active_->Deselect();
  else
    active_->SelectAll();
}

void TwEditSession::ShowCellDialog() {
  if (grid_.Col() < 0 || grid_.Col() >= grid_.Model().Columns().Count()) return;
  TwColumn* c = grid_.Model().Columns().Items(grid_.Col());
  const TwEditKind kind = c->GetEditKind();
  if (!OpensDialog(c)) return;
  // A dialog registered under the column's custom kind replaces the standard one.
  const std::string& custom = c->CustomKind();
  const bool customDialog = !custom.empty() && registry_.HasDialog(custom);
  if (!grid_.CanEditorShow() || !c->CanShowEditor()) return;
  auto& dialog = customDialog ? customDialogs_[custom] : dialogs_[std::size_t(kind)];
  if (!dialog) dialog = customDialog ? registry_.MakeDialog(custom, host_) : grid_.MakeCellDialog(kind);
  if (!dialog) return;
  TRect r;
  if (grid_.Model().GroupMode()) {
    const TwCellPos pos = grid_.Model().ColumnPos(c);
    if (pos.IsSet()) r = grid_.Model().Extents().GroupCellRect(pos, grid_.Row());
  } else if (c->VisibleIndex() >= 0) {
    r = grid_.Model().Extents().CellRect(c->VisibleIndex(), grid_.Row());
  }
  if (r.IsEmpty()) return;
  r.Bottom -= 1;
  dialog->Run(host_, c, r);
  if (!grid_.hasFocus() && grid_.isVisible()) grid_.setFocus();
}

void TwEditSession::ApplyColumnIme() {
  if (grid_.Col() < 0 || grid_.Col() >= grid_.Model().Columns().Count()) return;
  const TImeMode mode = grid_.Model().Columns().Items(grid_.Col())->ImeMode();
  const bool editing = grid_.HasOption(wgoEditing) || grid_.HasOption(wgoInserting);
  grid_.setAttribute(Qt::WA_InputMethodEnabled, editing && mode != imDisable);
  Qt::InputMethodHints hints = Qt::ImhNone;
  if (mode == imClose || mode == imAlpha || mode == imSAlpha) hints = Qt::ImhPreferLatin;
  grid_.setInputMethodHints(hints);
  if (grid_.hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

void TwEditSession::OpenForComposition() {
  // Qt commits a pending composition when the focus moves on from a widget that takes input-method
  // events, unless a pop-up takes it; the syllable being composed must instead travel on into the
  // editor, so the editor takes the focus the way a pop-up would.
  TwFlagScope handing(handingComposition_);
  grid_.ShowEditor();
  grid_.SelectEditorText();
}

Qt::FocusReason TwEditSession::EditorFocusReason() const {
  return handingComposition_ ? Qt::PopupFocusReason : Qt::OtherFocusReason;
}

void TwEditSession::ClickCurrentCell(int X, int Y) {
  if (OpensDialog(grid_.Model().Columns().Items(grid_.Col()))) {
    ShowCellDialog();
    return;
  }
  const bool wasOpen = grid_.EditorMode();
  grid_.ShowEditor();
  grid_.SelectEditorText();
  TwInplaceEditor* ed = InplaceEditor();
  if (!ed || EditColumn() != grid_.Col() || EditRow() != grid_.Row()) return;
  // A second click inside the editor within the double-click time is a double click.
  if (!wasOpen) ed->ClickTime = QDateTime::currentMSecsSinceEpoch();
  // One click toggles a check box, a boolean or picks a radio item (the editors that act on it).
  if (!grid_.HasOption(wgoNoClickEdit)) ed->ClickAt(X, Y);
}

bool TwEditSession::FocusInside() const {
  const QWidget* f = QApplication::focusWidget();
  return f && (f == &grid_ || grid_.isAncestorOf(f));
}

void TwEditSession::GridFocusIn() {
  TwGuard(&grid_, [&] {
    grid_.UpdateEditButton();
    // Back from the grid's own editor: the grid never lost the focus as far as its user can tell.
    if (focusEntered_) {
      grid_.InvalidateCurrent();
      return;
    }
    focusEntered_ = true;
    ApplyColumnIme();
    if (grid_.HasOption(wgoAlwaysShowEditor)) {
      grid_.ShowEditor();
      grid_.SelectEditorText();
    }
    if (grid_.Model().Extents().Count() == 0)
      grid_.InvalidateGrid();
    else
      grid_.InvalidateCurrent();
    if (grid_.OnEnter) grid_.OnEnter(&grid_);
    // An open editor takes the focus on from the grid.
    if (TwInplaceEditor* ed = InplaceEditor(); ed && ed->Control()->isVisible() && grid_.hasFocus())
      ed->Control()->setFocus(Qt::OtherFocusReason);
  });
}

void TwEditSession::GridFocusOut() {
  // The focus went to the grid's own editor (or the edit button).
  if (FocusInside()) {
    grid_.InvalidateCurrent();
    return;
  }
  LeaveFocus();
}

void TwEditSession::EditorFocusChanged(bool gained, Qt::FocusReason reason) {
  if (gained) {
    if (focusEntered_) return;
    focusEntered_ = true;
    TwGuard(&grid_, [&] {
      grid_.InvalidateCurrent();
      if (grid_.OnEnter) grid_.OnEnter(&grid_);
    });
    return;
  }
  // A pop-up list or calendar of the editor, or another window taking the activation, leaves the editor
  // as it is: the focus comes back to it.
  if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) return;
  if (!FocusInside()) LeaveFocus();
}

void TwEditSession::LeaveFocus() {
  focusEntered_ = false;
  try {
    // The edit button belongs to the focused grid: it goes with the focus and comes back with it.
    grid_.UpdateEditButton();
    if (grid_.EditorMode()) {
      grid_.CommitEdit();
      grid_.HideEditor();
    }
    grid_.InvalidateCurrent();
    grid_.DoExit();
  } catch (const std::exception& ex) {
    // The grid takes the focus back and the user sees the error.
    grid_.setFocus();
    ShowGridError(&grid_, &ex);
  } catch (...) {
    grid_.setFocus();
    ShowGridError(&grid_, nullptr);
  }
}
