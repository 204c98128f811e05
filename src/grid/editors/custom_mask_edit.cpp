#include "grid/editors/custom_mask_edit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "grid/structure/qt_text.h"
#include "grid/view/draw_helpers.h"

using namespace plat::paint;

namespace {

Qt::Alignment QtAlignment(TAlignment a) {
  const Qt::Alignment h = a == taRightJustify ? Qt::AlignRight
                          : a == taCenter     ? Qt::AlignHCenter
                                              : Qt::AlignLeft;
  // The text margins make the text rectangle exactly one line high; centring in it puts the line at its top.
  return h | Qt::AlignVCenter;
}

}  // namespace

TwCustomMaskEdit::TwCustomMaskEdit(QWidget* parent) : QLineEdit(parent), color_(clWindow) {
  DrawUnitInitialize();
  setAlignment(QtAlignment(alignment_));
  setFont(font_.QtFont());
  setMouseTracking(true);
  UpdateEditRect();
}

TwCustomMaskEdit::~TwCustomMaskEdit() {
  DrawUnitFinalize();
}

void TwCustomMaskEdit::SetAlignment(TAlignment v) {
  if (alignment_ == v) return;
  alignment_ = v;
  setAlignment(QtAlignment(v));
}

void TwCustomMaskEdit::SetLayout(TTextLayout v) {
  if (layout_ == v) return;
  layout_ = v;
  UpdateEditRect();
}

void TwCustomMaskEdit::SetMargins(const TwEditMargins& v) {
  if (margins_ == v) return;
  margins_ = v;
  UpdateEditRect();
}

void TwCustomMaskEdit::SetColor(TColor v) {
  color_ = v;
  QPalette p = palette();
  p.setColor(QPalette::Base, ToQColor(v));
  setPalette(p);
}

void TwCustomMaskEdit::SetCtl3D(bool v) {
  if (ctl3D_ == v) return;
  ctl3D_ = v;
  UpdateEditRect();
}

void TwCustomMaskEdit::SetFont(const TFont& f) {
  font_.Assign(f);
  setFont(font_.QtFont());
  UpdateEditRect();
}

void TwCustomMaskEdit::SetText(std::string_view t) {
  setText(tw::ToQ(t));
  oldValue_ = text();  // a text given by the program is what Esc comes back to
}

TRect TwCustomMaskEdit::ClientRect() const {
  QStyleOptionFrame opt;
  initStyleOption(&opt);
  const QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &opt, this);
  return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TwCustomMaskEdit::GetButtonRect(TRect& Rect) const {
  const TRect c = ClientRect();
  Rect = TRect{c.Width(), 0, c.Width(), c.Height()};
}

void TwCustomMaskEdit::GetEditRect(TRect& Rect) const {
  const int h = GetFontHeight(font_);
  TRect b;
  GetButtonRect(b);
  const int clientHeight = ClientHeight();
  Rect.Left = margins_.Left;
  Rect.Right = b.Left - margins_.Right;
  switch (layout_) {
    case tlTop:
      Rect.Top = margins_.Top;
      break;
    case tlCenter:
      Rect.Top = (clientHeight - h) / 2;
      break;
    case tlBottom:
      Rect.Top = clientHeight - margins_.Bottom - h;
      break;
  }
  Rect.Bottom = Rect.Top + h;
}

void TwCustomMaskEdit::UpdateEditRect() {
  TRect r;
  GetEditRect(r);
  const TRect c = ClientRect();
  // Text margins cannot be negative: an edit rectangle that sticks out of the client area is cut to it.
  setTextMargins(std::max(0, r.Left), std::max(0, r.Top), std::max(0, c.Width() - r.Right),
                 std::max(0, c.Height() - r.Bottom));
}

void TwCustomMaskEdit::InvalidateButton() {
  TRect b;
  GetButtonRect(b);
  const TRect c = ClientRect();
  update(QRect(c.Left + b.Left, c.Top + b.Top, b.Width(), b.Height()));
}

void TwCustomMaskEdit::paintEvent(QPaintEvent* e) {
  QLineEdit::paintEvent(e);
  TRect b;
  GetButtonRect(b);
  if (b.IsEmpty()) return;
  // The button is drawn through a buffer of its own size, in the control's font.
  QImage buffer(b.Width(), b.Height(), QImage::Format_RGB32);
  {
    TCanvas canvas(&buffer);
    canvas.Font.Assign(font_);
    canvas.Brush.Color = clBtnFace;
    DrawButton(canvas, TRect{0, 0, b.Width(), b.Height()});
  }
  const TRect c = ClientRect();
  QPainter p(this);
  p.drawImage(c.Left + b.Left, c.Top + b.Top, buffer);
}

void TwCustomMaskEdit::resizeEvent(QResizeEvent* e) {
  QLineEdit::resizeEvent(e);
  UpdateEditRect();
}

void TwCustomMaskEdit::changeEvent(QEvent* e) {
  QLineEdit::changeEvent(e);
  if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) UpdateEditRect();
}

bool TwCustomMaskEdit::event(QEvent* e) {
  // Esc belongs to the edit (not to the window's cancel button) while it can undo masked input.
  if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape &&
      EscUndoes()) {
    e->accept();
    return true;
  }
  return QLineEdit::event(e);
}

void TwCustomMaskEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && EscUndoes()) {
    setText(oldValue_);
    setModified(false);
    e->accept();
    return;
  }
  // Enter and Tab keep their meaning for the window: the line edit passes them on.
  QLineEdit::keyPressEvent(e);
}

void TwCustomMaskEdit::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  oldValue_ = text();
  // A click places the caret where it lands; entering by keyboard selects the whole text, and only then
  // (the line edit would select it on Tab of its own accord).
  if (e->reason() != Qt::MouseFocusReason) {
    if (autoSelect_)
      selectAll();
    else
      deselect();
  }
}

void TwCustomMaskEdit::mouseMoveEvent(QMouseEvent* e) {
  TRect b;
  GetButtonRect(b);
  const TRect c = ClientRect();
  const QPoint p = e->position().toPoint();
  const bool overButton = !b.IsEmpty() && b.Contains(p.x() - c.Left, p.y() - c.Top);
  setCursor(overButton ? Qt::ArrowCursor : Qt::IBeamCursor);
  QLineEdit::mouseMoveEvent(e);
}
