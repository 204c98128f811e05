#include "grid/editors/pick_list.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include "grid/editors/editor_keys.h"
#include "grid/view/draw_helpers.h"
#include "platform/ui/keys.h"

using namespace plat::ui;
using plat::paint::TRect;

// --- TwInCombo ------------------------------------------------------------------------------------------

TwInCombo::TwInCombo(QWidget* parent) : TwCustomMaskEdit(parent) {
  setMouseTracking(true);
  QObject::connect(this, &QLineEdit::textChanged, this, [this] {
    if (droppedDown_) UpdateDropList();
  });
}

TwInCombo::~TwInCombo() = default;

bool TwInCombo::EditCanModify() const {
  return !ReadOnly() && isEnabled();
}

void TwInCombo::GetButtonRect(TRect& Rect) const {
  const TRect c = ClientRect();
  const int w = std::min(ButtonWidth(), c.Width());
  Rect = TRect{c.Width() - w, 0, c.Width(), c.Height()};
}

void TwInCombo::DrawButton(plat::paint::TCanvas& DC, const TRect& Rect) {
  DrawComboButton(DC, Rect, isEnabled(), buttonPressed_, false);
}

void TwInCombo::DropDown(bool Capture) {
  if (droppedDown_) return;
  if (!dropList_) CreateDropList();
  if (!dropList_) return;
  if (OnDropDown) OnDropDown(this);
  savedText_ = Text();
  TwColumnListOption* option = column_ ? &column_->ListOption() : nullptr;
  dropList_->SetupList(option, column_ ? &column_->Values() : nullptr, column_ ? column_->Ctl3D() : false,
                       option ? option->Images() : nullptr, column_ ? &column_->Items() : nullptr, width());
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
  if (OnCloseUp) OnCloseUp(this, Accept);
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
    return;
  }
  TwCustomMaskEdit::mousePressEvent(e);
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
  TwCustomMaskEdit::mouseMoveEvent(e);
}

void TwInCombo::mouseReleaseEvent(QMouseEvent* e) {
  if (tracking_) {
    StopTracking();
    if (droppedDown_ && dropList_) dropList_->SetCapture(true);
    return;
  }
  TwCustomMaskEdit::mouseReleaseEvent(e);
}

bool TwInCombo::HandleComboKey(QKeyEvent* e) {
  const int key = VirtualKeyOf(e->key());
  const bool alt = e->modifiers() & Qt::AltModifier;
  if ((key == VK_RETURN || key == VK_ESCAPE) && droppedDown_ && !alt) {
    CloseUp(key == VK_RETURN);
    return true;
  }
  if ((key == VK_UP || key == VK_DOWN) && alt) {
    if (droppedDown_)
      CloseUp(true);
    else
      DropDown(true);
    return true;
  }
  if (droppedDown_ && (key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME || key == VK_UP ||
                       key == VK_DOWN)) {
    dropList_->ListKeyDown(key);
    return true;
  }
  return false;
}

bool TwInCombo::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    // Enter and Esc belong to the open list, not to the window's default and cancel buttons.
    auto* k = static_cast<QKeyEvent*>(e);
    if (droppedDown_ &&
        (k->key() == Qt::Key_Escape || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)) {
      e->accept();
      return true;
    }
  }
  if (e->type() == QEvent::KeyPress && HandleComboKey(static_cast<QKeyEvent*>(e))) {
    e->accept();
    return true;
  }
  return TwCustomMaskEdit::event(e);
}

bool TwInCombo::WillDropOnChar(char32_t c) const {
  return c >= 32 && !droppedDown_ && !ReadOnly() && column_ && column_->ListOption().AutoDrop();
}

void TwInCombo::keyPressEvent(QKeyEvent* e) {
  const int key = VirtualKeyOf(e->key());
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  if (arrowMove_) {
    const bool atRight = cursorPosition() >= int(text().size()) && !hasSelectedText();
    const bool atLeft = cursorPosition() == 0 && !hasSelectedText();
    if (((key == VK_END || key == VK_RIGHT) && (ctrl || atRight)) ||
        ((key == VK_HOME || key == VK_LEFT) && (ctrl || atLeft))) {
      CloseUp(true);
      if (OnLeaveKey) {
        OnLeaveKey(this, key);
        return;
      }
    }
  }
  // The list drops before the character goes in, so the text from before the typing is the one kept.
  if (WillDropOnChar(editors_detail::CharOf(e))) DropDown(true);
  TwCustomMaskEdit::keyPressEvent(e);
}

void TwInCombo::inputMethodEvent(QInputMethodEvent* e) {
  if (!e->commitString().isEmpty() && WillDropOnChar(e->commitString().toUcs4().value(0))) DropDown(true);
  TwCustomMaskEdit::inputMethodEvent(e);
}

void TwInCombo::focusOutEvent(QFocusEvent* e) {
  TwCustomMaskEdit::focusOutEvent(e);
  // A pop-up of our own (the list) taking the focus for a moment is no leave.
  if (e->reason() == Qt::PopupFocusReason) return;
  StopTracking();
  CloseUp(false);
}

// --- TwInPickList ---------------------------------------------------------------------------------------

TwInPickList::TwInPickList(QWidget* parent) : TwInCombo(parent) {}

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

plat::Variant TwInPickList::GetValue() const {
  if (valueIndex_ >= 0 && Column() && valueIndex_ < int(Column()->Values().size()))
    return plat::Variant(Column()->Values()[std::size_t(valueIndex_)]);
  const std::string t = Text();
  return t.empty() ? plat::Variant::Null() : plat::Variant(t);
}

void TwInPickList::SetValue(const plat::Variant& X) {
  if (X.IsNull()) {
    valueIndex_ = -1;
    SetText("");
    return;
  }
  const std::string s = X.ToString();
  valueIndex_ = -1;
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

void TwInPickList::CreateDropList() {
  dropList_ = new TwItemList(this);
  dropList_->hide();
  dropList_->OnCloseUp = [this](bool Accept) { CloseUp(Accept); };
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
    if (Column() && Column()->ListOption().ValuesOnly())
      SetText(SavedText());
    else
      valueIndex_ = -1;  // the typed text stays as free text
    return;
  }
  valueIndex_ = R;
  SetText(RowText(R));
}
