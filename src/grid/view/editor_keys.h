#pragma once
// The character a key press stands for, as the editors' KeyPress handlers receive it.
#include <QKeyEvent>

namespace editors_detail {

/// Control characters for Ctrl+letter (Ctrl+C is 3, Ctrl+V 22, Ctrl+X 24) and for Backspace, Enter, Esc
/// and Tab; otherwise the first character of the event's text; 0 when the key types nothing.
inline char32_t CharOf(const QKeyEvent* e) {
  const int k = e->key();
  const Qt::KeyboardModifiers m = e->modifiers();
  if ((m & Qt::ControlModifier) && !(m & Qt::AltModifier) && k >= Qt::Key_A && k <= Qt::Key_Z)
    return char32_t(k - Qt::Key_A + 1);
  switch (k) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Tab:
      return 9;
    default:
      break;
  }
  const QString t = e->text();
  if (t.isEmpty()) return 0;
  const char32_t c = t.toUcs4().value(0);
  return c < 32 || c == 127 ? 0 : c;
}

}  // namespace editors_detail
