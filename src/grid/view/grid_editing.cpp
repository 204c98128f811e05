// In-place editing on the grid's side: the editor contract's defaults and the registry of editor
// factories, the grid's overridable steps of the editing life cycle (their default parts run in the edit
// session, edit_session.h), the permission to edit, the editors made per kind, the input method events
// and the focus events the session follows. The editors themselves are made through the grid's own
// TwEditorRegistry (by the column's custom kind when one is registered, else by its edit kind) and see the
// grid only through its TwEditorHost; the data grid writes their values into its cells (CommitEdit).
#include <QDateTime>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStyleHints>

#include "grid/structure/extents.h"
#include "grid/structure/scope_guard.h"
#include "grid/view/custom_grid.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/edit_button.h"
#include "grid/view/edit_session.h"
#include "grid/view/grid_accessible.h"
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

// --- the grid's steps of the life cycle (their default parts run in the edit session) -------------------

bool TwCustomGrid::EditorMode() const {
  return editing_->EditorMode();
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
      return editing_->Editors().MakeEditor(kind, editing_->EditorHost());
  }
}

std::unique_ptr<TwCellDialog> TwCustomGrid::MakeCellDialog(TwEditKind kind) {
  return editing_->Editors().MakeDialog(kind, editing_->EditorHost());
}

bool TwCustomGrid::CreateEditor(TwColumn* AColumn) {
  return editing_->CreateEditor(AColumn);
}

void TwCustomGrid::ShowEditor() {
  editing_->ShowEditor();
}

void TwCustomGrid::HideEditor() {
  editing_->CloseEditor();
}

void TwCustomGrid::RefreshEditor() {
  editing_->RefreshEditor();
}

void TwCustomGrid::SelectEditorText(bool F2) {
  editing_->SelectEditorText(F2);
}

void TwCustomGrid::UpdateEditButton() {
  editing_->UpdateEditButton();
}

// --- input method ---------------------------------------------------------------------------------------

void TwCustomGrid::inputMethodEvent(QInputMethodEvent* e) {
  TwGuard(this, [&] {
    TwInplaceEditor* open = editing_->InplaceEditor();
    if (open && open->Control()->isVisible()) {
      open->TakeInputMethodEvent(e);
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
    editing_->OpenForComposition();
    TwColumn* c = Model().Columns().Items(col_);
    if (TwInplaceEditor* ed = editing_->InplaceEditor(); ed && c->CanModify())
      ed->TakeInputMethodEvent(e);
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

void TwCustomGrid::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

// --- focus ------------------------------------------------------------------------------------------

void TwCustomGrid::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  editing_->GridFocusIn();
  TwAccessibleCurrentCellMoved(this);
}

void TwCustomGrid::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  editing_->GridFocusOut();
}

void TwCustomGrid::DoExit() {
  if (EditorMode()) {
    CommitEdit();
    HideEditor();
  }
  if (OnExit) OnExit(this);
}
