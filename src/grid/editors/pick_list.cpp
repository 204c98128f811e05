#include "grid/editors/pick_list.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "grid/view/draw_helpers.h"
#include "grid/view/grid_guard.h"
#include "platform/ui/keys.h"

using namespace plat::ui;
using plat::paint::TRect;

// --- TwInCombo ------------------------------------------------------------------------------------------

TwInCombo::TwInCombo(TwEditorHost& host) : TwInEdit(host) {
  dropMask_ = true;
  setMouseTracking(true);
  QObject::connect(this, &QLineEdit::textChanged, this, [this] {
    if (droppedDown_) UpdateDropList();
  });
}

TwInCombo::~TwInCombo() = default;

void TwInCombo::GetButtonRect(TRect& Rect) const {
  const TRect c = ClientRect();
  const int w = std::min(ButtonWidth(), c.Width());
  Rect = TRect{c.Width() - w, 0, c.Width(), c.Height()};
}

void TwInCombo::DrawButton(plat::paint::TCanvas& DC, const TRect& Rect) {
  DrawComboButton(DC, Rect, isEnabled(), buttonPressed_, false);
}

bool TwInCombo::AutoDrop() const {
  return Column() && Column()->ListOption().AutoDrop();
}

void TwInCombo::DropDown(bool Capture) {
  if (droppedDown_) return;
  if (!dropList_) CreateDropList();
  if (!dropList_) return;
  Host().DroppedDown();
  savedText_ = Text();
  TwColumn* c = Column();
  TwColumnListOption* option = c ? &c->ListOption() : nullptr;
  dropList_->SetupList(option, c ? &c->Values() : nullptr, c ? c->Ctl3D() : false,
                       option ? option->Images() : nullptr, c ? &c->Items() : nullptr, width());
  const QPoint topLeft = mapToGlobal(QPoint(0, 0));
  dropList_->PopupAt(QRect(topLeft, size()));
  if (Capture) dropList_->SetCapture(true);
  droppedDown_ = true;
  UpdateDropList();
}

void TwInCombo::CloseUp(bool Accept) {
  if (!droppedDown_) return;
  dropList_->SetCapture(false);
  dropList_->hide();
  droppedDown_ = false;
  if (Accept) {
    if (EditCanModify()) AcceptRow(dropList_->ItemIndex());
  } else {
    SetText(savedText_);
  }
  Host().ClosedUp(Accept);
}

void TwInCombo::HideEditor() {
  StopTracking();
  CloseUp(false);
  TwInEdit::HideEditor();
}

bool TwInCombo::PointOnButton(const QPointF& p) const {
  TRect b;
  GetButtonRect(b);
  const TRect c = ClientRect();
  return !b.IsEmpty() && b.Contains(int(p.x()) - c.Left, int(p.y()) - c.Top);
}

void TwInCombo::StopTracking() {
  if (!tracking_) return;
  tracking_ = false;
  releaseMouse();
  if (buttonPressed_) {
    buttonPressed_ = false;
    InvalidateButton();
  }
}

void TwInCombo::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && PointOnButton(e->position())) {
    TwGuard(Host().EditorParent(), [&] {
      if (!hasFocus()) setFocus(Qt::MouseFocusReason);
      if (droppedDown_) {
        CloseUp(false);
        return;
      }
      grabMouse();
      tracking_ = true;
      buttonPressed_ = true;
      InvalidateButton();
      DropDown(false);
    });
    return;
  }
  TwInEdit::mousePressEvent(e);
}

void TwInCombo::mouseMoveEvent(QMouseEvent* e) {
  if (tracking_) {
    const bool pressed = PointOnButton(e->position());
    if (pressed != buttonPressed_) {
      buttonPressed_ = pressed;
      InvalidateButton();
    }
    if (droppedDown_ && dropList_) {
      const QPoint g = e->globalPosition().toPoint();
      const QRect client = dropList_->ClientRect().translated(dropList_->mapToGlobal(QPoint(0, 0)));
      if (client.contains(g)) {
        // Into the list: it takes over, so press-drag-release on a row chooses it.
        StopTracking();
        dropList_->SetCapture(true);
        const QPointF local = dropList_->mapFromGlobal(e->globalPosition());
        QMouseEvent moved(QEvent::MouseMove, local, e->globalPosition(), Qt::NoButton, e->buttons(),
                          e->modifiers());
        QCoreApplication::sendEvent(dropList_, &moved);
      }
    }
    return;
  }
  TwInEdit::mouseMoveEvent(e);
}

void TwInCombo::mouseReleaseEvent(QMouseEvent* e) {
  if (tracking_) {
    StopTracking();
    if (droppedDown_ && dropList_) dropList_->SetCapture(true);
    return;
  }
  TwInEdit::mouseReleaseEvent(e);
}

bool TwInCombo::ListKey(int Key, TShiftState Shift) {
  const bool alt = Shift.Contains(ssAlt);
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && droppedDown_ && !alt) {
    CloseUp(Key == VK_RETURN);
    return true;
  }
  if ((Key == VK_UP || Key == VK_DOWN) && alt) {
    if (droppedDown_)
      CloseUp(true);
    else
      DropDown(true);
    return true;
  }
  if (droppedDown_ && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME || Key == VK_UP ||
                       Key == VK_DOWN)) {
    dropList_->ListKeyDown(Key);
    return true;
  }
  if (Host().ArrowMove()) {
    const bool ctrl = Shift.Contains(ssCtrl);
    if (((Key == VK_END || Key == VK_RIGHT) && (ctrl || AtRight())) ||
        ((Key == VK_HOME || Key == VK_LEFT) && (ctrl || AtLeft())))
      CloseUp(true);
  }
  return false;
}

bool TwInCombo::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    // Alt+Up and Alt+Down belong to the editor, not to a menu or shortcut of the window.
    auto* k = static_cast<QKeyEvent*>(e);
    if ((k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) && (k->modifiers() & Qt::AltModifier)) {
      e->accept();
      return true;
    }
  }
  return TwInEdit::event(e);
}

void TwInCombo::KeyPress(char32_t& Key) {
  TwInEdit::KeyPress(Key);
  // The list drops before the character goes in, so the text from before the typing is the one kept.
  if ((Key >= 32 || Key == 8) && !droppedDown_ && AutoDrop() && isVisible()) DropDown(true);
}

void TwInCombo::inputMethodEvent(QInputMethodEvent* e) {
  // Committed text (a finished Hangul syllable) drops the list like a typed character; the search then
  // follows the text as it changes.
  if (!e->commitString().isEmpty() && !droppedDown_ && AutoDrop()) {
    TwGuard(Host().EditorParent(), [&] {
      if (Column()->CanModify()) DropDown(true);
    });
  }
  TwInEdit::inputMethodEvent(e);
}

void TwInCombo::focusOutEvent(QFocusEvent* e) {
  // A pop-up of our own (the list) taking the focus for a moment is no leave. Otherwise the list closes
  // without accepting before the grid hears of the leave, so that the grid commits the text the list was
  // opened on, not a half-typed search.
  if (e->reason() != Qt::PopupFocusReason) {
    StopTracking();
    TwGuard(Host().EditorParent(), [&] { CloseUp(false); });
  }
  TwInEdit::focusOutEvent(e);
}

void TwInCombo::hideEvent(QHideEvent* e) {
  TwInEdit::hideEvent(e);
  // The list window is not a child of the editor on the screen: it goes with it.
  if (droppedDown_) {
    StopTracking();
    CloseUp(false);
  }
}

// --- TwInPickList ---------------------------------------------------------------------------------------

TwInPickList::TwInPickList(TwEditorHost& host) : TwInCombo(host) {
  setObjectName("InPickList");
  // Text typed by hand no longer names the row it was loaded from: without this a cell would keep its old
  // value while the editor shows the new text (typing with AutoDrop off, or keeping free text).
  QObject::connect(this, &QLineEdit::textEdited, this, [this] { valueIndex_ = -1; });
}

void TwInPickList::DropDown(bool Capture) {
  if (!DroppedDown()) savedIndex_ = valueIndex_;
  TwInCombo::DropDown(Capture);
}

void TwInPickList::CloseUp(bool Accept) {
  if (!DroppedDown()) return;
  TwInCombo::CloseUp(Accept);
  // Closing without accepting restores the text from before the drop-down, and with it its value row.
  if (!Accept) valueIndex_ = savedIndex_;
}

bool TwInPickList::ItemsMode() const {
  return Column() && Column()->ItemsMapValues();
}

std::string TwInPickList::RowText(int R) const {
  const TwColumn* c = Column();
  const auto& option = c->ListOption();
  if (ItemsMode() && option.ValuesIndex() != 0)
    return ExtractItem(c->Items()[std::size_t(R)], option.Separator(), 0);
  return c->Values()[std::size_t(R)];
}

plat::Variant TwInPickList::GetValue() {
  if (valueIndex_ >= 0 && Column() && valueIndex_ < int(Column()->Values().size()))
    return plat::Variant(Column()->Values()[std::size_t(valueIndex_)]);
  const std::string t = Text();
  return t.empty() ? plat::Variant::Null() : plat::Variant(t);
}

void TwInPickList::SetValue(const plat::Variant& X) {
  ApplyColumn();
  valueIndex_ = -1;
  if (X.IsNull()) {
    SetText("");
  } else {
    const std::string s = X.ToString();
    if (Column()) {
      const auto& v = Column()->Values();
      for (std::size_t i = 0; i < v.size(); ++i)
        if (v[i] == s) {
          valueIndex_ = int(i);
          break;
        }
    }
    SetText(valueIndex_ >= 0 ? RowText(valueIndex_) : s);
  }
  setModified(false);
}

void TwInPickList::CreateDropList() {
  dropList_ = new TwInItemList(Host(), this);
  dropList_->hide();
  dropList_->OnCloseUp = [this](bool Accept) { TwGuard(Host().EditorParent(), [&] { CloseUp(Accept); }); };
}

void TwInPickList::UpdateDropList() {
  if (!dropList_) return;
  const std::string t = Text();
  if (t.empty())
    dropList_->SetItemIndex(-1);
  else
    dropList_->SearchText(t, true);
}

void TwInPickList::AcceptRow(int R) {
  if (R < 0) {
    if (Column() && Column()->ListOption().ValuesOnly()) {
      SetText(SavedText());
      valueIndex_ = savedIndex_;
    } else
      valueIndex_ = -1;  // the typed text stays as free text
    return;
  }
  valueIndex_ = R;
  SetText(RowText(R));
}
