#include "grid/editors/in_edit.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBlock>
#include <functional>

#include "grid/structure/qt_text.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/editor_keys.h"
#include "grid/view/grid_guard.h"

using namespace plat::ui;
using plat::paint::TRect;

namespace {

void DeleteSelected(QLineEdit* e) {
  e->del();
}

void DeleteSelected(QPlainTextEdit* e) {
  e->textCursor().removeSelectedText();
}

TColor EditorColor(const TwColumn& c) {
  return c.EditColor() ? clWindow : c.Color();
}

// The context menu's cut, paste and delete run only when the text may change (the change asks the column,
// which may start the row edit or sound the beep).
template <class Editor>
void GuardMenu(QMenu* menu, Editor* editor) {
  for (QAction* a : menu->actions()) {
    const QString name = a->objectName();
    std::function<void()> op;
    if (name == QLatin1String("edit-cut"))
      op = [editor] { editor->cut(); };
    else if (name == QLatin1String("edit-paste"))
      op = [editor] { editor->paste(); };
    else if (name == QLatin1String("edit-delete") || name == QLatin1String("delete"))
      op = [editor] { DeleteSelected(editor); };
    if (!op) continue;
    QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
    QObject::connect(a, &QAction::triggered, editor, [editor, op] {
      TwGuard(editor->Host().EditorParent(), [&] {
        if (editor->EditCanModify()) op();
      });
    });
  }
}

}  // namespace

// --- TwInEdit ----------------------------------------------------------------------------------------

TwInEdit::TwInEdit(TwEditorHost& host) : TwCustomMaskEdit(host.EditorParent()), TwInplaceEditor(host) {
  setObjectName("InEdit");
  SetAutoSelect(false);
  setFrame(false);
  SetCtl3D(false);
  setFocusPolicy(Qt::StrongFocus);
  hide();
}

void TwInEdit::ApplyColumn() {
  TwColumn* c = Column();
  if (!c) return;
  SetAlignment(c->Alignment());
  SetColor(EditorColor(*c));
  SetFont(PaintFont(c->Font()));
  SetLayout(c->Layout());
  if (dropMask_) {
    setInputMask(QString());
    setMaxLength(32767);
  } else {
    // The column's edit format is an input mask for a text editor; a format Qt cannot read is no mask.
    SetEditMask(c->EditFormat());
    setMaxLength(c->EditMaxLength() > 0 ? c->EditMaxLength() : 32767);
  }
  SetMargins({c->MarginLeft(), c->MarginTop(), c->MarginRight(), c->MarginBottom()});
  // A single border or a sunken frame around the text; none by default.
  const bool framed = c->EditBorder() != webNone;
  if (hasFrame() != framed) setFrame(framed);
  SetCtl3D(c->EditBorder() == webSunken);
}

void TwInEdit::ShowAt(const TRect& Loc, bool Redraw) {
  if (Loc.IsEmpty()) {
    HideEditor();
    return;
  }
  ApplyColumn();
  PlaceControl(Loc, Redraw);
  UpdateEditRect();
}

void TwInEdit::HideEditor() {
  HideControl();
}

plat::Variant TwInEdit::GetValue() {
  const std::string t = Text();
  return t.empty() ? plat::Variant::Null() : plat::Variant(t);
}

void TwInEdit::SetValue(const plat::Variant& v) {
  // The mask of the column applies to the text being loaded.
  ApplyColumn();
  SetText(v.IsNull() ? std::string() : v.ToString());
  setModified(false);
}

bool TwInEdit::IsValidChar(char32_t Key) {
  return Column() && Column()->IsValidChar(Key);
}

bool TwInEdit::EditCanModify() {
  if (Column() && Column()->CanModify()) return true;
  ErrorBeep();
  return false;
}

bool TwInEdit::AtLeft() const {
  return !hasSelectedText() && cursorPosition() == 0;
}

bool TwInEdit::AtRight() const {
  return !hasSelectedText() && cursorPosition() == text().size();
}

TwEditorCaret TwInEdit::Caret() const {
  TwEditorCaret at;
  at.AtStart = at.AtLeftEdge = AtLeft();
  at.AtEnd = at.AtRightEdge = AtRight();
  return at;
}

void TwInEdit::KeyDown(int& Key, TShiftState Shift) {
  // F2 that the grid's handler left: the selection goes, the caret stays.
  if (Key == VK_F2 && !Shift.Contains(ssCtrl)) {
    Deselect();
    Key = 0;
  }
}

void TwInEdit::KeyPress(char32_t& Key) {
  if (Key > 31 && !IsValidChar(Key)) {
    Key = 0;
    ErrorBeep();
    return;
  }
  if ((Key == 8 || Key == 22 || Key == 24 || Key >= 32) && !EditCanModify()) {
    Key = 0;
    return;
  }
  if (Key == 13) {
    if (selectionStart() == 0 && selectedText().size() == text().size())
      Deselect();
    else
      SelectAll();
    Key = 0;
    return;
  }
  if (Key == 9 || Key == 27) Key = 0;
}

void TwInEdit::KeyDefault(QKeyEvent* e) {
  // The masked edit's own handling, with the column's character case applied to typed text.
  const TEditCharCase cc = Column() ? Column()->CharCase() : ecNormal;
  const char32_t ch = editors_detail::CharOf(e);
  if (cc != ecNormal && !e->text().isEmpty() && ch >= 32) {
    const QString t = cc == ecUpperCase ? e->text().toUpper() : e->text().toLower();
    QKeyEvent cased(e->type(), e->key(), e->modifiers(), t, e->isAutoRepeat(), ushort(e->count()));
    TwCustomMaskEdit::keyPressEvent(&cased);
  } else {
    TwCustomMaskEdit::keyPressEvent(e);
  }
}

void TwInEdit::keyPressEvent(QKeyEvent* e) {
  RouteKey(e);
  e->accept();
}

void TwInEdit::mousePressEvent(QMouseEvent* e) {
  // The click that opened the editor and this one make a double click.
  if (e->button() == Qt::LeftButton && TakeOpeningDoubleClick()) {
    mouseDoubleClickEvent(e);
    return;
  }
  TwCustomMaskEdit::mousePressEvent(e);
}

void TwInEdit::mouseDoubleClickEvent(QMouseEvent* e) {
  TwCustomMaskEdit::mouseDoubleClickEvent(e);
  TwGuard(Host().EditorParent(), [&] { Host().DblClick(); });
}

void TwInEdit::inputMethodEvent(QInputMethodEvent* e) {
  // A composition may start only where the text may change; the pre-edit alone changes nothing yet.
  if (!e->commitString().isEmpty() || !e->preeditString().isEmpty()) {
    bool allowed = false;
    TwGuard(Host().EditorParent(), [&] { allowed = EditCanModify(); });
    if (!allowed) {
      e->accept();
      return;
    }
  }
  TwCustomMaskEdit::inputMethodEvent(e);
}

void TwInEdit::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = createStandardContextMenu();
  GuardMenu(menu, this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
}

bool TwInEdit::focusNextPrevChild(bool next) {
  if (!Host().TabLeavesGrid()) return false;
  return TwCustomMaskEdit::focusNextPrevChild(next);
}

// --- TwInMultiEdit -----------------------------------------------------------------------------------

TwInMultiEdit::TwInMultiEdit(TwEditorHost& host)
    : QPlainTextEdit(host.EditorParent()), TwInplaceEditor(host) {
  setObjectName("InMultiEdit");
  setFrameShape(QFrame::Box);
  setLineWidth(1);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setTabChangesFocus(true);
  setFocusPolicy(Qt::StrongFocus);
  document()->setDocumentMargin(1);
  connect(this, &QPlainTextEdit::textChanged, this, [this] { FollowText(); });
  hide();
}

int TwInMultiEdit::FitHeight() {
  const int lines = std::max(1, document()->documentLayout()->documentSize().toSize().height());
  const int h = GetFontHeight(font_);
  const int want = std::max(lines * h + 5, cell_.Height());
  const int gridHeight = Host().ClientHeight();
  return cell_.Top + want < gridHeight ? want : gridHeight - cell_.Top;
}

void TwInMultiEdit::FollowText() {
  if (!isVisible()) return;
  const int h = FitHeight();
  if (h != height() && h > 0) resize(width(), h);
}

void TwInMultiEdit::ShowAt(const TRect& Loc, bool Redraw) {
  if (Loc.IsEmpty()) {
    HideEditor();
    return;
  }
  const bool redraw = Redraw || !isVisible();
  if (TwColumn* c = Column()) {
    alignment_ = c->Alignment();
    QTextOption opt = document()->defaultTextOption();
    opt.setAlignment(alignment_ == taRightJustify ? Qt::AlignRight
                     : alignment_ == taCenter     ? Qt::AlignHCenter
                                                  : Qt::AlignLeft);
    opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDefaultTextOption(opt);
    QPalette p = palette();
    p.setColor(QPalette::Base, plat::paint::ToQColor(EditorColor(*c)));
    setPalette(p);
    font_ = PaintFont(c->Font());
    setFont(font_.QtFont());
  }
  cell_ = Loc;
  setGeometry(Loc.Left, Loc.Top, Loc.Width(), std::max(1, Loc.Height()));
  raise();
  show();
  const int h = FitHeight();
  if (h > 0) resize(Loc.Width(), h);
  if (redraw) update();
  if (Host().GridHasFocus()) setFocus(Host().EditorFocusReason());
}

void TwInMultiEdit::HideEditor() {
  HideControl();
}

plat::Variant TwInMultiEdit::GetValue() {
  return plat::Variant(Text());
}

void TwInMultiEdit::SetValue(const plat::Variant& v) {
  const std::string t = v.IsNull() ? std::string() : v.ToString();
  setPlainText(tw::ToQ(t));
}

void TwInMultiEdit::Deselect() {
  QTextCursor c = textCursor();
  c.movePosition(QTextCursor::End);
  setTextCursor(c);
}

bool TwInMultiEdit::EditCanModify() {
  return Column() && Column()->CanModify();
}

bool TwInMultiEdit::CaretOnFirstLine() const {
  const QTextCursor c = textCursor();
  if (c.hasSelection()) return false;
  const QTextBlock b = c.block();
  if (b != document()->firstBlock()) return false;
  return b.layout()->lineForTextPosition(c.positionInBlock()).lineNumber() <= 0;
}

bool TwInMultiEdit::CaretOnLastLine() const {
  const QTextCursor c = textCursor();
  if (c.hasSelection()) return false;
  const QTextBlock b = c.block();
  if (b != document()->lastBlock()) return false;
  const int line = b.layout()->lineForTextPosition(c.positionInBlock()).lineNumber();
  return line + 1 >= b.layout()->lineCount();
}

TwEditorCaret TwInMultiEdit::Caret() const {
  const QTextCursor c = textCursor();
  TwEditorCaret at;
  at.AtStart = at.AtLeftEdge = !c.hasSelection() && c.position() == 0;
  at.AtEnd = at.AtRightEdge = !c.hasSelection() && c.atEnd();
  at.OnFirstLine = CaretOnFirstLine();
  at.OnLastLine = CaretOnLastLine();
  return at;
}

bool TwInMultiEdit::ListKey(int Key, TShiftState Shift) {
  if (Key != VK_RETURN || !Shift.Contains(ssCtrl)) return false;
  if (EditCanModify()) insertPlainText(QStringLiteral("\n"));
  return true;
}

void TwInMultiEdit::KeyDown(int& Key, TShiftState Shift) {
  if (Key == VK_F2 && !Shift.Contains(ssCtrl)) {
    Deselect();
    Key = 0;
  }
}

void TwInMultiEdit::KeyPress(char32_t& Key) {
  if (Key > 31 && !(Column() && Column()->IsValidChar(Key))) {
    Key = 0;
    ErrorBeep();
    return;
  }
  if ((Key == 8 || Key == 22 || Key == 24 || Key >= 32) && !EditCanModify()) {
    Key = 0;
    return;
  }
  if (Key == 13) {
    const QTextCursor c = textCursor();
    if (c.selectionStart() == 0 && c.selectionEnd() == document()->characterCount() - 1 && c.hasSelection())
      Deselect();
    else
      SelectAll();
    Key = 0;
    return;
  }
  if (Key == 9 || Key == 27) Key = 0;
}

void TwInMultiEdit::KeyDefault(QKeyEvent* e) {
  QPlainTextEdit::keyPressEvent(e);
}

void TwInMultiEdit::keyPressEvent(QKeyEvent* e) {
  RouteKey(e);
  e->accept();
}

void TwInMultiEdit::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && TakeOpeningDoubleClick()) {
    mouseDoubleClickEvent(e);
    return;
  }
  QPlainTextEdit::mousePressEvent(e);
}

void TwInMultiEdit::mouseDoubleClickEvent(QMouseEvent* e) {
  QPlainTextEdit::mouseDoubleClickEvent(e);
  TwGuard(Host().EditorParent(), [&] { Host().DblClick(); });
}

void TwInMultiEdit::inputMethodEvent(QInputMethodEvent* e) {
  if ((!e->commitString().isEmpty() || !e->preeditString().isEmpty())) {
    bool allowed = false;
    TwGuard(Host().EditorParent(), [&] { allowed = EditCanModify(); });
    if (!allowed) {
      e->accept();
      return;
    }
  }
  QPlainTextEdit::inputMethodEvent(e);
}

void TwInMultiEdit::insertFromMimeData(const QMimeData* source) {
  if (EditCanModify()) QPlainTextEdit::insertFromMimeData(source);
}

void TwInMultiEdit::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = createStandardContextMenu();
  GuardMenu(menu, this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
}

bool TwInMultiEdit::focusNextPrevChild(bool next) {
  if (!Host().TabLeavesGrid()) return false;
  return QPlainTextEdit::focusNextPrevChild(next);
}
