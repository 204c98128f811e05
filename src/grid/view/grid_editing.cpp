// In-place editing: which editor serves the current cell, when it opens and closes, where it lies, how its
// value is read, and the first step of Esc. The editors themselves are made through the grid's own
// TwEditorRegistry (by the column's custom kind when one is registered, else by its edit kind) and see the
// grid only through its TwEditorHost; the data grid writes their values into its cells (CommitEdit).
#include <QApplication>
#include <QDateTime>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStyleHints>

#include "grid/structure/extents.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/custom_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_button.h"
#include "grid/view/edit_session.h"
#include "grid/view/grid_guard.h"
#include "grid/view/grid_input.h"
#include "grid/view/inplace_editor.h"

// --- the contract's defaults and the registry ---------------------------------------------------------

void TwInplaceEditor::TypeChar(char32_t ch) {
  QWidget* w = Control();
  if (ch == U'\b') {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    QCoreApplication::sendEvent(w, &press);
    return;
  }
  const QString text = QString::fromUcs4(&ch, 1);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
  QCoreApplication::sendEvent(w, &press);
}

void TwInplaceEditor::TakeInputMethodEvent(QInputMethodEvent* e) {
  QInputMethodEvent copy(e->preeditString(), e->attributes());
  copy.setCommitString(e->commitString(), e->replacementStart(), e->replacementLength());
  QCoreApplication::sendEvent(Control(), &copy);
}

void TwInplaceEditor::RouteKey(QKeyEvent* e) {
  TwRouteEditorKey(host_, *this, e);
}

void TwInplaceEditor::PlaceControl(const plat::paint::TRect& Loc, bool Redraw) {
  QWidget* w = Control();
  const bool redraw = Redraw || !w->isVisible();
  w->setGeometry(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
  w->raise();
  w->show();
  if (redraw) w->update();
  if (host_.GridHasFocus()) w->setFocus(host_.EditorFocusReason());
}

void TwInplaceEditor::HideControl() {
  QWidget* w = Control();
  if (!w->isVisible()) return;
  const bool hadFocus = w->hasFocus();
  w->hide();
  if (hadFocus) host_.TakeFocusBack();
}

bool TwInplaceEditor::TakeOpeningDoubleClick() {
  const std::int64_t now = QDateTime::currentMSecsSinceEpoch();
  const bool dbl =
      ClickTime != 0 && now - ClickTime < QGuiApplication::styleHints()->mouseDoubleClickInterval();
  ClickTime = 0;
  return dbl;
}

std::unique_ptr<TwInplaceEditor> TwEditorRegistry::MakeEditor(TwEditKind kind, TwEditorHost& host) const {
  const auto& f = editors_[Slot(kind)];
  return f ? f(host) : nullptr;
}

std::unique_ptr<TwInplaceEditor> TwEditorRegistry::MakeEditor(const std::string& customKind,
                                                              TwEditorHost& host) const {
  const auto it = customEditors_.find(customKind);
  return it != customEditors_.end() && it->second ? it->second(host) : nullptr;
}

std::unique_ptr<TwCellDialog> TwEditorRegistry::MakeDialog(TwEditKind kind, TwEditorHost& host) const {
  const auto& f = dialogs_[Slot(kind)];
  return f ? f(host) : nullptr;
}

std::unique_ptr<TwCellDialog> TwEditorRegistry::MakeDialog(const std::string& customKind,
                                                           TwEditorHost& host) const {
  const auto it = customDialogs_.find(customKind);
  return it != customDialogs_.end() && it->second ? it->second(host) : nullptr;
}

// --- state ----------------------------------------------------------------------------------------------

bool TwCustomGrid::EditorMode() const {
  return editing_->EditorMode;
}

TwInplaceEditor* TwCustomGrid::InplaceEditor() const {
  return editing_->EditorMode ? editing_->Active : nullptr;
}

int TwCustomGrid::EditColumn() const {
  return editing_->EditorMode ? editing_->EditColumn : -1;
}

int TwCustomGrid::EditRow() const {
  return editing_->EditorMode ? editing_->EditRow : -1;
}

const plat::Variant& TwCustomGrid::LastEditValue() const {
  return editing_->LastValue;
}

TwEditorRegistry& TwCustomGrid::Editors() {
  return editing_->Registry;
}

TwEditorHost& TwCustomGrid::EditorHost() {
  return editing_->Host;
}

bool TwCustomGrid::CanEditorShow() const {
  if (Model().GridState().Designing() || !IsGridFocused()) return false;
  if (Model().Columns().VisibleCount() == 0 || RowCount() <= 0) return false;
  return options_.Contains(wgoEditing) || options_.Contains(wgoInserting);
}

bool TwCustomGrid::ColumnCanModify(TwColumn* column) {
  if (EditState() != esBrowse) return true;
  bool accept = true;
  if (OnEdit) OnEdit(this, column, accept);
  return accept;
}

// --- making editors -------------------------------------------------------------------------------------

std::unique_ptr<TwInplaceEditor> TwCustomGrid::MakeEditor(TwEditKind kind) {
  switch (kind) {
    case wekCustomList1:
      return CreateListEditor1();
    case wekCustomList2:
      return CreateListEditor2();
    case wekNone:
    case wekMemo:
    case wekPicture:
      return nullptr;
    default:
      return editing_->Registry.MakeEditor(kind, editing_->Host);
  }
}

std::unique_ptr<TwCellDialog> TwCustomGrid::MakeCellDialog(TwEditKind kind) {
  return editing_->Registry.MakeDialog(kind, editing_->Host);
}

namespace {
// The number and spin-number kinds share one editor.
TwEditKind EditorSlot(TwEditKind kind) {
  return kind == wekSpinNumber ? wekNumber : kind;
}
}  // namespace

bool TwCustomGrid::HasCustomEditor(const TwColumn* AColumn) const {
  return !AColumn->CustomKind().empty() && editing_->Registry.Has(AColumn->CustomKind());
}

bool TwCustomGrid::OpensDialog(const TwColumn* AColumn) const {
  const TwEditKind kind = AColumn->GetEditKind();
  return (kind == wekMemo || kind == wekPicture) && !HasCustomEditor(AColumn);
}

bool TwCustomGrid::CreateEditor(TwColumn* AColumn) {
  const TwEditKind kind = AColumn->GetEditKind();
  std::unique_ptr<TwInplaceEditor>* slot;
  if (HasCustomEditor(AColumn)) {
    const std::string& name = AColumn->CustomKind();
    slot = &editing_->CustomEditors[name];
    if (!*slot) *slot = editing_->Registry.MakeEditor(name, editing_->Host);
  } else {
    slot = &editing_->Editors[std::size_t(EditorSlot(kind))];
    if (!*slot) *slot = MakeEditor(EditorSlot(kind));
  }
  auto& editor = *slot;
  if (!editor) return false;
  QWidget* w = editor->Control();
  if (!editor->HasFilter()) {
    // First use: the editor lies on the viewport, hidden, and its keys and focus pass the grid's filter.
    if (w->parentWidget() != viewport()) w->setParent(viewport());
    w->hide();
    auto filter = std::make_unique<TwEditorFilter>(editing_->Host, *editor);
    w->installEventFilter(filter.get());
    editor->SetFilter(std::move(filter));
  }
  editing_->Active = editor.get();
  editing_->ActiveKind = kind;
  return true;
}

// --- showing and hiding ---------------------------------------------------------------------------------

void TwCustomGrid::ShowEditor() {
  if (UpdateLocked() || editing_->EditorMode) return;
  if (col_ < 0 || col_ >= Model().Columns().Count()) return;
  TwColumn* c = Model().Columns().Items(col_);
  // A hidden column, or one outside the visible groups, is no current cell to edit.
  if (Model().GroupMode() ? !Model().ColumnPos(c).IsSet() : c->VisibleIndex() < 0) return;
  // Memo and picture cells open their dialogs, never an in-place editor (unless a custom kind edits them).
  if (OpensDialog(c)) return;
  const int band = Model().GroupMode() ? Model().ColumnPos(c).Group : c->VisibleIndex();
  if (band < Model().FixedCount() && !Model().FixedStyle().Options().Contains(wfxEditing)) return;
  if (!CanEditorShow() || !c->CanShowEditor()) return;
  editing_->Active = nullptr;
  if (!CreateEditor(c)) return;
  // A descendant's CreateEditor may keep the state without a control of the grid's making.
  if (TwInplaceEditor* ed = editing_->Active) ed->BeginEdit(c, GetEditValue(c, row_));
  editing_->EditColumn = col_;
  editing_->EditRow = row_;
  editing_->EditorMode = true;
  InvalidateCell(col_, row_);
  PlaceEditor(false);
}

void TwCustomGrid::CloseEditor() {
  if (!editing_->EditorMode) return;
  editing_->EditorMode = false;
  const int c = editing_->EditColumn, r = editing_->EditRow;
  if (editing_->Active) editing_->Active->HideEditor();
  if (c >= 0 && c < Model().Columns().Count()) InvalidateCell(c, r);
}

void TwCustomGrid::HideEditor() {
  CloseEditor();
}

TRect TwCustomGrid::EditorRect() const {
  const int ci = editing_->EditorMode ? editing_->EditColumn : col_;
  if (ci < 0 || ci >= Model().Columns().Count()) return {};
  TwColumn* c = Model().Columns().Items(ci);
  const TwGridExtents& e = Model().Extents();
  const bool multi = c->GetEditKind() == wekMultiText;
  TRect r;
  int band;
  if (Model().GroupMode()) {
    const TwCellPos pos = Model().ColumnPos(c);
    if (!pos.IsSet()) return {};
    band = pos.Group;
    r = multi ? e.GroupCellRect(pos, row_) : e.GroupCellInnerRect(pos, row_);
  } else {
    band = c->VisibleIndex();
    if (band < 0) return {};
    r = multi ? e.CellRect(band, row_) : e.CellInnerRect(band, row_);
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

void TwCustomGrid::PlaceEditor(bool Reposition) {
  if (!editing_->EditorMode || !editing_->Active) return;
  TwInplaceEditor* ed = editing_->Active;
  const TRect r = EditorRect();
  if (Reposition) {
    // The cell scrolled out of the data area: the editor waits hidden (and keeps its value) until it
    // shows again.
    QWidget* w = ed->Control();
    if (r.IsEmpty()) {
      const bool hadFocus = w->hasFocus();
      w->hide();
      if (hadFocus) setFocus();
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

void TwCustomGrid::UpdateEditButton() {
  const bool show = IsGridFocused() && RowCount() > 0 && col_ >= 0 && col_ < Model().Columns().Count() &&
                    !Model().GridState().Designing();
  TwColumn* c = show ? Model().Columns().Items(col_) : nullptr;
  if (c && c->EditButton() && !editButton_) editButton_ = new TwEditButton(*this);
  if (editButton_) static_cast<TwEditButton*>(editButton_)->PlaceButton(c, row_);
  if (editing_->EditorMode) PlaceEditor(true);
}

QWidget* TwCustomGrid::EditButtonControl() const {
  return editButton_;
}

void TwCustomGrid::EditButtonClick() {
  if (col_ < 0 || col_ >= Model().Columns().Count()) return;
  if (OnEditButtonClick) OnEditButtonClick(this, Model().Columns().Items(col_));
}

// --- values ---------------------------------------------------------------------------------------------

plat::Variant TwCustomGrid::ReadEditorValue() {
  plat::Variant v = plat::Variant::Null();
  if (editing_->EditorMode && editing_->Active) v = editing_->Active->EndEdit();
  editing_->LastValue = v;
  return v;
}

void TwCustomGrid::RefreshEditor() {
  if (!editing_->EditorMode || !editing_->Active || editing_->EditColumn != col_) return;
  if (col_ < 0 || col_ >= Model().Columns().Count()) return;
  editing_->EditRow = row_;
  editing_->Active->SetValue(GetEditValue(Model().Columns().Items(col_), row_));
  CommitEdit();
}

bool TwCustomGrid::CancelEditor() {
  if (!editing_->EditorMode) return false;
  bool undone = false;
  if (col_ >= 0 && col_ < Model().Columns().Count()) {
    const plat::Variant shown = ReadEditorValue();
    const plat::Variant stored = GetEditValue(Model().Columns().Items(col_), row_);
    if (!(shown == stored)) {
      RefreshEditor();
      undone = true;
    }
  }
  if (!options_.Contains(wgoAlwaysShowEditor)) HideEditor();
  return undone;
}

void TwCustomGrid::SelectEditorText(bool F2) {
  if (!editing_->EditorMode || !editing_->Active || !editing_->Active->HasText()) return;
  if (F2)
    editing_->Active->Deselect();
  else
    editing_->Active->SelectAll();
}

// --- the dialogs ----------------------------------------------------------------------------------------

void TwCustomGrid::ShowCellDialog() {
  if (col_ < 0 || col_ >= Model().Columns().Count()) return;
  TwColumn* c = Model().Columns().Items(col_);
  const TwEditKind kind = c->GetEditKind();
  if (!OpensDialog(c)) return;
  // A dialog registered under the column's custom kind replaces the standard one.
  const std::string& custom = c->CustomKind();
  const bool customDialog = !custom.empty() && editing_->Registry.HasDialog(custom);
  if (!CanEditorShow() || !c->CanShowEditor()) return;
  auto& dialog = customDialog ? editing_->CustomDialogs[custom] : editing_->Dialogs[std::size_t(kind)];
  if (!dialog)
    dialog = customDialog ? editing_->Registry.MakeDialog(custom, editing_->Host) : MakeCellDialog(kind);
  if (!dialog) return;
  TRect r;
  if (Model().GroupMode()) {
    const TwCellPos pos = Model().ColumnPos(c);
    if (pos.IsSet()) r = Model().Extents().GroupCellRect(pos, row_);
  } else if (c->VisibleIndex() >= 0) {
    r = Model().Extents().CellRect(c->VisibleIndex(), row_);
  }
  if (r.IsEmpty()) return;
  r.Bottom -= 1;
  dialog->Run(editing_->Host, c, r);
  if (!hasFocus() && isVisible()) setFocus();
}

// --- input method ---------------------------------------------------------------------------------------

void TwCustomGrid::ApplyColumnIme() {
  if (col_ < 0 || col_ >= Model().Columns().Count()) return;
  const TImeMode mode = Model().Columns().Items(col_)->ImeMode();
  const bool editing = options_.Contains(wgoEditing) || options_.Contains(wgoInserting);
  setAttribute(Qt::WA_InputMethodEnabled, editing && mode != imDisable);
  Qt::InputMethodHints hints = Qt::ImhNone;
  if (mode == imClose || mode == imAlpha || mode == imSAlpha) hints = Qt::ImhPreferLatin;
  setInputMethodHints(hints);
  if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

void TwCustomGrid::inputMethodEvent(QInputMethodEvent* e) {
  TwGuard(this, [&] {
    if (editing_->EditorMode && editing_->Active && editing_->Active->Control()->isVisible()) {
      editing_->Active->TakeInputMethodEvent(e);
      return;
    }
    const QString& text = e->commitString().isEmpty() ? e->preeditString() : e->commitString();
    if (text.isEmpty()) return;
    const char32_t first = text.toUcs4().value(0);
    if (!ColumnAcceptsChar(first)) {
      if (!e->commitString().isEmpty()) ErrorBeep();
      return;
    }
    if (RowCount() <= 0) RequestInsert(true);
    {
      // Qt commits a pending composition when the focus moves on from a widget that takes input-method
      // events, unless a pop-up takes it; the syllable being composed must instead travel on into the
      // editor, so the editor takes the focus the way a pop-up would.
      TwFlagScope handing(handingComposition_);
      ShowEditor();
      SelectEditorText();
    }
    TwColumn* c = Model().Columns().Items(col_);
    if (editing_->EditorMode && editing_->Active && c->CanModify())
      editing_->Active->TakeInputMethodEvent(e);
    else if (!e->commitString().isEmpty())
      ErrorBeep();
  });
  e->accept();
}

QVariant TwCustomGrid::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled:
      return testAttribute(Qt::WA_InputMethodEnabled);
    case Qt::ImCursorRectangle: {
      TRect r;
      if (col_ >= 0 && col_ < Model().Columns().Count()) {
        TwColumn* c = Model().Columns().Items(col_);
        if (Model().GroupMode()) {
          const TwCellPos pos = Model().ColumnPos(c);
          if (pos.IsSet()) r = Model().Extents().GroupCellInnerRect(pos, row_);
        } else if (c->VisibleIndex() >= 0) {
          r = Model().Extents().CellInnerRect(c->VisibleIndex(), row_);
        }
      }
      const QPoint o = viewport()->mapTo(this, QPoint(0, 0));
      return QRect(r.Left + o.x(), r.Top + o.y(), std::max(1, r.Width()), std::max(1, r.Height()));
    }
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection:
      return QString();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
      return 0;
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

Qt::FocusReason TwCustomGrid::EditorFocusReason() const {
  return handingComposition_ ? Qt::PopupFocusReason : Qt::OtherFocusReason;
}

void TwCustomGrid::DblClick() {
  if (OnDblClick) OnDblClick(this);
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
