#include "grid/editors/num_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <charconv>
#include <cmath>

#include "grid/structure/column.h"
#include "grid/structure/qt_text.h"
#include "grid/view/draw_helpers.h"
#include "grid/view/editor_keys.h"
#include "grid/view/grid_guard.h"
#include "platform/format/format.h"

using namespace plat::paint;
using namespace plat::ui;
using editors_detail::CharOf;

namespace {

constexpr int kMaxDecimals = 65535;  // the field is 16 bits wide

bool IsDigit(char32_t c) {
  return c >= '0' && c <= '9';
}

// The text with one character put in at index i (built anew: g++ 12 warns falsely on an in-place insert).
std::string InsertAt(const std::string& s, int i, char c) {
  std::string r;
  r.reserve(s.size() + 1);
  r.append(s, 0, std::size_t(i));
  r.push_back(c);
  r.append(s, std::size_t(i), std::string::npos);
  return r;
}

}  // namespace

// --- construction and properties ------------------------------------------------------------------------

TwCustomNumEdit::TwCustomNumEdit(QWidget* parent) : QWidget(parent) {
  DrawUnitInitialize();
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(kDefaultWidth, kDefaultHeight);
  caretHeight_ = GetFontHeight(font_);
  measure_.Begin(&measureImage_);
  SetValue(0);
}

TwCustomNumEdit::~TwCustomNumEdit() {
  measure_.End();
  DrawUnitFinalize();
}

double TwCustomNumEdit::Value() const {
  if (rawText_.empty()) return 0;
  double v = 0;
  std::from_chars(rawText_.data(), rawText_.data() + rawText_.size(), v);
  return v * sign_;
}

void TwCustomNumEdit::SetValue(double v) {
  if (!std::isfinite(v)) return;
  // The platform's "%*.*f" writes the locale's decimal separator; the raw text always holds '.'.
  std::string s =
      plat::fmt::Format("%*.*f", {plat::Variant(std::int32_t(maxDigits_)),
                                  plat::Variant(std::int32_t(decimals_)), plat::Variant(std::fabs(v))});
  s.erase(0, s.find_first_not_of(' '));
  const char sep = plat::fmt::Locale().DecimalSeparator;
  if (sep != '.')
    for (char& c : s)
      if (c == sep) c = '.';
  const int sign = v >= 0 ? 1 : -1;
  const bool changed = s != rawText_ || sign != sign_;
  rawText_ = std::move(s);
  sign_ = sign;
  Repaint();
  SetCaretIndex(int(rawText_.size()));
  if (changed) Change();
}

void TwCustomNumEdit::SetDecimals(int v) {
  if (state_.Loading()) {
    decimals_ = std::clamp(v, 0, kMaxDecimals);
    return;
  }
  v = std::clamp(v, 0, kMaxDecimals);
  if (maxDigits_ > 0) v = std::min(v, maxDigits_);
  if (v == decimals_) return;
  decimals_ = v;
  if (!rawText_.empty()) SetValue(Value());
}

void TwCustomNumEdit::SetMaxDigits(int v) {
  if (state_.Loading()) {
    maxDigits_ = v;
    return;
  }
  if (v > 0) v = std::max(v, decimals_);
  if (v == maxDigits_) return;
  maxDigits_ = v;
  if (!rawText_.empty()) SetValue(Value());
}

void TwCustomNumEdit::Loaded() {
  state_.Exclude(plat::ComponentStateFlag::Loading);
  if (maxDigits_ > 0) maxDigits_ = std::max(maxDigits_, decimals_);
  if (!rawText_.empty()) SetValue(Value());
}

void TwCustomNumEdit::SetGrouping(bool v) {
  if (grouping_ == v) return;
  grouping_ = v;
  Repaint();
}

void TwCustomNumEdit::SetSpinButtons(bool v) {
  if (spinButtons_ == v) return;
  spinButtons_ = v;
  Repaint();
}

void TwCustomNumEdit::SetButtonsCtl3D(bool v) {
  if (buttonsCtl3D_ == v) return;
  buttonsCtl3D_ = v;
  Repaint();
}

void TwCustomNumEdit::SetBorderStyle(TwNumBorderStyle v) {
  if (borderStyle_ == v) return;
  borderStyle_ = v;
  if (created_) CreateWnd();
  Repaint();
}

void TwCustomNumEdit::SetCtl3D(bool v) {
  if (ctl3D_ == v) return;
  ctl3D_ = v;
  Repaint();
}

void TwCustomNumEdit::SetLayout(TTextLayout v) {
  if (layout_ == v) return;
  layout_ = v;
  Repaint();
}

void TwCustomNumEdit::SetColor(TColor v) {
  if (color_ == v) return;
  color_ = v;
  Repaint();
}

void TwCustomNumEdit::SetFont(const TFont& f) {
  font_.Assign(f);
  caretHeight_ = GetFontHeight(font_);
  Repaint();
}

void TwCustomNumEdit::SetCaretIndex(int n) {
  n = std::clamp(n, 0, int(rawText_.size()));
  if (n == caretIndex_) return;
  caretIndex_ = n;
  if (selecting_) selEnd_ = n;
  Repaint();
}

void TwCustomNumEdit::SetRawText(std::string s) {
  if (s == rawText_) return;
  rawText_ = std::move(s);
  if (caretIndex_ > int(rawText_.size())) caretIndex_ = int(rawText_.size());
  Repaint();
  Change();
}

void TwCustomNumEdit::EndSelection() {
  if (!selecting_) return;
  selecting_ = false;
  selAnchor_ = selEnd_ = caretIndex_;
  Repaint();
}

void TwCustomNumEdit::StartSelection() {
  selecting_ = true;
  selAnchor_ = selEnd_ = caretIndex_;
}

void TwCustomNumEdit::ClearToNull() {
  sign_ = 1;
  EndSelection();
  caretIndex_ = 0;
  SetRawText({});
  Repaint();
}

void TwCustomNumEdit::Change() {
  if (OnChange) OnChange(this);
}

// --- derived quantities ---------------------------------------------------------------------------------

int TwCustomNumEdit::IntPartLength() const {
  const int len = int(rawText_.size());
  return decimals_ > 0 ? std::max(0, len - decimals_ - 1) : len;
}

std::string TwCustomNumEdit::DisplayText() const {
  if (rawText_.empty()) return {};
  const plat::fmt::FormatSettings& loc = plat::fmt::Locale();
  const int ipl = IntPartLength();
  // The digits are taken from the raw text itself rather than from its floating-point value, so that a
  // long number shows exactly the digits typed.
  std::string_view intPart(rawText_.data(), std::size_t(ipl));
  std::size_t first = intPart.find_first_not_of('0');
  std::string_view significant =
      first == std::string_view::npos ? std::string_view("0") : intPart.substr(first);
  std::string out;
  out.reserve(rawText_.size() + rawText_.size() / 3 + 2);
  // Typed leading zeros stay visible: one for each '0' among the first IntPartLength - 1 characters.
  if (ipl >= 2)
    for (int i = 0; i < ipl - 1 && rawText_[std::size_t(i)] == '0'; ++i) out.push_back('0');
  for (std::size_t i = 0; i < significant.size(); ++i) {
    if (grouping_ && loc.ThousandSeparator && i > 0 && (significant.size() - i) % 3 == 0)
      out.push_back(loc.ThousandSeparator);
    out.push_back(significant[i]);
  }
  if (decimals_ > 0) {
    out.push_back(loc.DecimalSeparator);
    out.append(rawText_, std::size_t(ipl) + 1, std::string::npos);
  }
  return out;
}

int TwCustomNumEdit::DisplayIndexOf(int rawIndex) const {
  const std::string display = DisplayText();
  const char sep = plat::fmt::Locale().ThousandSeparator;
  std::size_t d = 0;
  for (int i = 0; i < rawIndex && d < display.size(); ++i) {
    ++d;
    while (grouping_ && sep && d < display.size() && display[d] == sep) ++d;
  }
  return int(d);
}

TCanvas& TwCustomNumEdit::Measure() {
  measure_.Font.Assign(font_);
  return measure_;
}

int TwCustomNumEdit::XOf(int rawIndex) {
  const std::string display = DisplayText();
  const std::size_t d = std::size_t(DisplayIndexOf(rawIndex));
  return TextRect().Right - 1 -
         GetTextWidth(Measure(), std::string_view(display).substr(std::min(d, display.size())));
}

double TwCustomNumEdit::Clamp(double x) const {
  if (minValue_ == maxValue_) return x;
  if (x < minValue_) return minValue_;
  if (x > maxValue_) return maxValue_;
  return x;
}

void TwCustomNumEdit::SelectDigits(bool intPartOnly) {
  if (rawText_.empty()) return;
  const int l = intPartOnly && decimals_ > 0 ? IntPartLength() : int(rawText_.size());
  selAnchor_ = 0;
  selEnd_ = l;
  selecting_ = true;
  caretIndex_ = l;
  Repaint();
}

// --- geometry -------------------------------------------------------------------------------------------

int TwCustomNumEdit::BorderWidth() const {
  if (borderStyle_ == bsNumNone) return 0;
  return ctl3D_ ? 2 : 1;  // a client edge, or a one-pixel border
}

QPoint TwCustomNumEdit::ClientOrigin() const {
  return QPoint(BorderWidth(), BorderWidth());
}

TRect TwCustomNumEdit::ClientRect() const {
  const int b = BorderWidth();
  return TRect{0, 0, std::max(0, width() - 2 * b), std::max(0, height() - 2 * b)};
}

TRect TwCustomNumEdit::ButtonRect() const {
  if (!spinButtons_) return TRect{};
  const TRect c = ClientRect();
  return TRect{std::max(c.Left, c.Right - ButtonWidth()), c.Top, c.Right, c.Bottom};
}

TRect TwCustomNumEdit::TextRect() const {
  TRect r = ClientRect();
  if (spinButtons_) r.Right = std::max(r.Left, r.Right - ButtonWidth());
  return r;
}

int TwCustomNumEdit::LineTop() const {
  const TRect r = TextRect();
  switch (layout_) {
    case tlTop:
      return r.Top;
    case tlBottom:
      return r.Bottom - caretHeight_;
    default:
      return r.Top + (r.Bottom - r.Top - caretHeight_) / 2;
  }
}

// --- editing rules --------------------------------------------------------------------------------------

void TwCustomNumEdit::TypeDigit(char d) {
  if (HasSelection()) DeleteSelection();
  if (rawText_.empty()) {
    SetValue(double(d - '0') * sign_);
    SetCaretIndex(IntPartLength());
    return;
  }
  std::string s = rawText_;
  const int len = int(s.size()), ipl = IntPartLength(), c = caretIndex_;
  if (decimals_ > 0) {
    if (c > len) return;
    if (c > ipl) {
      // Typing in the fraction overwrites; at its end there is no digit left to overwrite.
      if (c >= len) return;
      s[std::size_t(c)] = d;
      SetRawText(std::move(s));
      SetCaretIndex(c + 1);
      return;
    }
    const double v = Value();
    if (v <= -1 || v >= 1 || c > 1) {
      if (maxDigits_ > 0 && len - 1 >= maxDigits_) return;
      if (ipl >= kMaxIntegerDigits) return;
      s = InsertAt(s, c, d);
      SetRawText(std::move(s));
      SetCaretIndex(c + 1);
      return;
    }
    if (maxDigits_ > 0 && decimals_ >= maxDigits_) return;
    if (len == decimals_ + 2) {
      s[0] = d;
      SetRawText(std::move(s));
      if (c == 0) SetCaretIndex(1);
    } else {
      s = InsertAt(s, c, d);
      SetRawText(std::move(s));
      SetCaretIndex(c + 1);
    }
    return;
  }
  if ((maxDigits_ > 0 && len >= maxDigits_) || len >= kMaxIntegerDigits) {
    SetCaretIndex(c + 1);
    return;
  }
  if (s == "0")
    s = std::string(1, d);
  else
    s = InsertAt(s, c, d);
  SetRawText(std::move(s));
  SetCaretIndex(c + 1);
}

void TwCustomNumEdit::TypeMinus() {
  // A bounded range without negatives cannot be made negative; a negative value can still become positive.
  if (minValue_ != maxValue_ && minValue_ >= 0 && sign_ == 1) {
    ErrorBeep();
    return;
  }
  EndSelection();
  sign_ = -sign_;
  Repaint();
  if (Value() != 0) Change();
}

void TwCustomNumEdit::TypePoint() {
  if (rawText_.empty()) return;
  EndSelection();
  const int ipl = IntPartLength();
  SetCaretIndex(caretIndex_ > ipl ? ipl : ipl + 1);
}

void TwCustomNumEdit::DeleteRule() {
  if (rawText_.empty()) return;
  if (HasSelection()) {
    DeleteSelection();
    return;
  }
  EndSelection();
  std::string s = rawText_;
  const int len = int(s.size()), ipl = IntPartLength(), c = caretIndex_;
  if (enableNull_ && len == 1 && c == 0) {
    SetRawText({});
    SetCaretIndex(0);
    return;
  }
  if (c >= len) return;
  if (decimals_ > 0) {
    if (c == ipl) {
      SetCaretIndex(c + 1);
    } else if (c > ipl) {
      s[std::size_t(c)] = '0';
      SetRawText(std::move(s));
      SetCaretIndex(c + 1);
    } else if (ipl == 1 && c == 0) {
      s[0] = '0';
      SetRawText(std::move(s));
      SetCaretIndex(1);
    } else {
      s.erase(std::size_t(c), 1);
      SetRawText(std::move(s));
    }
    return;
  }
  if (len == 1) {
    SetRawText("0");
    if (c == 0) SetCaretIndex(1);
  } else {
    s.erase(std::size_t(c), 1);
    SetRawText(std::move(s));
  }
}

void TwCustomNumEdit::BackspaceRule() {
  if (rawText_.empty()) return;
  if (HasSelection()) {
    DeleteSelection();
    return;
  }
  EndSelection();
  std::string s = rawText_;
  const int len = int(s.size()), ipl = IntPartLength(), c = caretIndex_;
  if (enableNull_ && len == 1 && c == 1) {
    sign_ = 1;
    SetRawText({});
    SetCaretIndex(0);
    Repaint();
    return;
  }
  if (c != 0) {
    if (decimals_ > 0) {
      if (c == ipl + 1) {
        SetCaretIndex(c - 1);
      } else if (c > ipl + 1) {
        s[std::size_t(c - 1)] = '0';
        SetRawText(std::move(s));
        SetCaretIndex(c - 1);
      } else if (ipl == 1 && c == 1) {
        s[0] = '0';
        SetRawText(std::move(s));
      } else {
        s.erase(std::size_t(c - 1), 1);
        SetRawText(std::move(s));
        SetCaretIndex(c - 1);
      }
    } else if (len == 1) {
      SetRawText("0");
      SetCaretIndex(0);
    } else {
      s.erase(std::size_t(c - 1), 1);
      SetRawText(std::move(s));
      SetCaretIndex(c - 1);
    }
    return;
  }
  if (sign_ < 0) {
    sign_ = 1;
    Repaint();
    if (Value() != 0) Change();
  }
}

void TwCustomNumEdit::DeleteSelection() {
  if (!HasSelection() || rawText_.empty()) return;
  std::string s = rawText_;
  const int len = int(s.size()), ipl = IntPartLength();
  const int S = std::max(0, SelStart()), E = std::min(len, SelEnd());
  if (S == 0 && E == len) {
    EndSelection();
    if (enableNull_) {
      SetRawText({});
      SetCaretIndex(0);
    } else {
      SetValue(0);
      SetCaretIndex(IntPartLength());
    }
    Repaint();
    return;
  }
  if (decimals_ > 0 && ipl < S) {
    for (int i = S; i < E; ++i) s[std::size_t(i)] = '0';
  } else if (decimals_ > 0 && S <= ipl && ipl < E) {
    // The fraction digits become zeros, the point stays, the integer digits go.
    for (int i = ipl + 1; i < E; ++i) s[std::size_t(i)] = '0';
    s.erase(std::size_t(S), std::size_t(ipl - S));
  } else {
    s.erase(std::size_t(S), std::size_t(E - S));
  }
  if (decimals_ > 0 && !s.empty() && s[0] == '.') s.insert(0, 1, '0');
  EndSelection();
  SetRawText(std::move(s));
  SetCaretIndex(S);
  Repaint();
}

void TwCustomNumEdit::Spin(int direction) {
  if (!CanModify()) return;
  if (OnSpin) {
    bool allow = true;
    OnSpin(this, direction, allow);
    if (!allow) return;
  }
  SetValue(Clamp(Value() + direction));
}

void TwCustomNumEdit::CopyToClipboard() {
  if (!HasSelection()) return;
  const int S = std::max(0, SelStart()), E = std::min(int(rawText_.size()), SelEnd());
  if (E <= S) return;
  QApplication::clipboard()->setText(tw::ToQ(rawText_.substr(std::size_t(S), std::size_t(E - S))));
}

void TwCustomNumEdit::CutToClipboard() {
  if (!HasSelection()) return;
  CopyToClipboard();
  DeleteSelection();
}

// --- keys and characters --------------------------------------------------------------------------------

void TwCustomNumEdit::KeyDown(int& Key, TShiftState Shift) {
  switch (Key) {
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
      if (Shift.Contains(ssShift)) {
        if (!selecting_) StartSelection();
      } else {
        EndSelection();
      }
      if (Key == VK_HOME)
        SetCaretIndex(0);
      else if (Key == VK_END)
        SetCaretIndex(int(rawText_.size()));
      else if (Key == VK_LEFT)
        SetCaretIndex(caretIndex_ - 1);
      else
        SetCaretIndex(caretIndex_ + 1);
      break;
    case VK_BACK:
      if (CanModify()) {
        BackspaceRule();
        Key = 0;
      }
      break;
    case VK_DELETE:
      if (CanModify()) {
        if (Shift.Contains(ssCtrl))
          CutToClipboard();
        else
          DeleteRule();
        Key = 0;
      }
      break;
    case VK_INSERT:
      if (Shift.Contains(ssCtrl)) CopyToClipboard();
      break;  // Shift+Insert would paste: pasting is not supported
    default:
      break;
  }
}

void TwCustomNumEdit::KeyPress(char32_t& Key) {
  constexpr char32_t kCtrlC = 3, kCtrlV = 22, kCtrlX = 24;
  if (Key == 0) return;
  if (Key == kCtrlC) {
    CopyToClipboard();
    return;
  }
  if (Key == kCtrlX) {
    if (CanModify()) CutToClipboard();
    return;
  }
  if (Key == kCtrlV || Key < 32 || Key == 127) return;
  // The locale's decimal separator is typed for the point as well.
  const bool point = decimals_ > 0 && (Key == '.' || Key == char32_t(plat::fmt::Locale().DecimalSeparator));
  // The character is looked at before the permission: asking may start the row's edit.
  if (!(Key == '-' || IsDigit(Key) || point) || !CanModify()) {
    ErrorBeep();
    return;
  }
  if (Key == '-')
    TypeMinus();
  else if (point)
    TypePoint();
  else
    TypeDigit(char(Key));
}

void TwCustomNumEdit::keyPressEvent(QKeyEvent* e) {
  int key = VirtualKeyOf(e->key());
  bool consumed = false;
  if (key) {
    KeyDown(key, ShiftStateOf(e->modifiers()));
    consumed = key == 0;
  }
  if (!consumed) {
    char32_t ch = CharOf(e);
    if (ch) KeyPress(ch);
  }
  // The control keeps every key it is given (arrows, Enter and Esc included); Tab never arrives here.
  e->accept();
}

bool TwCustomNumEdit::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (!(k->modifiers() & Qt::AltModifier) && k->key() != Qt::Key_Tab && k->key() != Qt::Key_Backtab) {
      e->accept();
      return true;
    }
  }
  return QWidget::event(e);
}

// --- mouse ----------------------------------------------------------------------------------------------

void TwCustomNumEdit::MouseDown(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (!hasFocus() && focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
  const QPoint p = e->position().toPoint() - ClientOrigin();
  const TRect b = ButtonRect();
  if (b.Contains(p.x(), p.y())) {
    spinDir_ = p.y() - b.Top < b.Height() / 2 ? 1 : -1;
    spinTracking_ = true;
    spinPressed_ = true;
    Repaint();
    return;
  }
  EndSelection();
  const int len = int(rawText_.size());
  int index = len;
  for (int i = 0; i < len; ++i)
    if (XOf(i) <= p.x() && p.x() < XOf(i + 1)) {
      index = i;
      break;
    }
  SetCaretIndex(index);
}

void TwCustomNumEdit::mousePressEvent(QMouseEvent* e) {
  MouseDown(e);
}

void TwCustomNumEdit::mouseMoveEvent(QMouseEvent* e) {
  if (!spinTracking_) return;
  const QPoint p = e->position().toPoint() - ClientOrigin();
  const TRect b = ButtonRect();
  const bool upper = p.y() - b.Top < b.Height() / 2;
  const bool over = b.Contains(p.x(), p.y()) && upper == (spinDir_ > 0);
  if (over != spinPressed_) {
    spinPressed_ = over;
    Repaint();
  }
}

void TwCustomNumEdit::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !spinTracking_) return;
  mouseMoveEvent(e);  // the pointer's last position decides, as a move to it would
  spinTracking_ = false;
  if (spinPressed_) {
    spinPressed_ = false;
    Repaint();
    Spin(spinDir_);
  }
}

void TwCustomNumEdit::mouseDoubleClickEvent(QMouseEvent* e) {
  MouseDown(e);
  if (e->button() == Qt::LeftButton) DblClick();
}

void TwCustomNumEdit::DblClick() {
  SelectDigits(false);
}

// --- focus and creation ---------------------------------------------------------------------------------

void TwCustomNumEdit::focusInEvent(QFocusEvent* e) {
  caretCreated_ = true;
  DoEnter();
  Repaint();
  QWidget::focusInEvent(e);
}

void TwCustomNumEdit::focusOutEvent(QFocusEvent* e) {
  caretCreated_ = false;
  if (caretTimer_) killTimer(caretTimer_);
  caretTimer_ = 0;
  DoExit();
  Repaint();
  QWidget::focusOutEvent(e);
}

void TwCustomNumEdit::DoEnter() {
  if (autoSelect_) SelectDigits(true);
}

void TwCustomNumEdit::DoExit() {
  if (HasSelection()) Repaint();
  // The number is bounded and re-formatted only when the user leaves.
  if (!(enableNull_ && rawText_.empty())) SetValue(Clamp(Value()));
}

void TwCustomNumEdit::CreateWnd() {
  if (rawText_.empty()) {
    if (enableNull_) {
      sign_ = 1;
      caretIndex_ = 0;
      EndSelection();
    }
  } else {
    SetValue(Value());
    SetCaretIndex(IntPartLength());
  }
}

void TwCustomNumEdit::showEvent(QShowEvent* e) {
  if (!created_) {
    created_ = true;
    CreateWnd();
  }
  QWidget::showEvent(e);
}

void TwCustomNumEdit::changeEvent(QEvent* e) {
  if (e->type() == QEvent::EnabledChange) Repaint();
  QWidget::changeEvent(e);
}

// --- painting -------------------------------------------------------------------------------------------

void TwCustomNumEdit::Repaint() {
  ResetCaretBlink();
  update();
}

void TwCustomNumEdit::ResetCaretBlink() {
  caretBlinkOn_ = true;
  if (!caretCreated_) return;
  if (caretTimer_) killTimer(caretTimer_);
  const int flash = QApplication::cursorFlashTime();
  caretTimer_ = flash > 0 ? startTimer(flash / 2) : 0;
}

void TwCustomNumEdit::timerEvent(QTimerEvent* e) {
  if (e->timerId() != caretTimer_) return QWidget::timerEvent(e);
  caretBlinkOn_ = !caretBlinkOn_;
  update();
}

void TwCustomNumEdit::PaintTo(TCanvas& canvas) {
  const QPoint o = ClientOrigin();
  auto off = [&](TRect r) { return TRect{r.Left + o.x(), r.Top + o.y(), r.Right + o.x(), r.Bottom + o.y()}; };
  const TRect whole{0, 0, width(), height()};
  if (borderStyle_ == bsNumSingle) {
    TRect r = whole;
    if (ctl3D_) {
      canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
    } else {
      canvas.Brush.Color = clWindowFrame;
      canvas.FillRect(whole);
    }
  }
  const TRect client = ClientRect();
  canvas.Brush.Color = color_;
  canvas.FillRect(off(client));
  canvas.Font.Assign(font_);
  if (spinButtons_)
    DrawSpinButtons(canvas, off(ButtonRect()), spinPressed_ ? spinDir_ : 0, isEnabled(), !buttonsCtl3D_);

  TRect text = TextRect();
  text.Right -= 1;
  canvas.SetClipRect(off(text));
  const int top = LineTop() + o.y();
  const TColor textColor = isEnabled() ? font_.Color() : clGrayText;
  canvas.Font.SetColor(textColor);
  canvas.TransparentText = true;
  const std::string display = DisplayText();
  const int x0 = XOf(0) + o.x();
  if (sign_ < 0) canvas.TextOut(x0 - GetTextWidth(canvas, "-"), top, "-");
  if (!hasFocus() || !HasSelection()) {
    canvas.TextOut(x0, top, display);
  } else {
    const int S = std::clamp(SelStart(), 0, int(rawText_.size())),
              E = std::clamp(SelEnd(), 0, int(rawText_.size()));
    const std::size_t dS = std::size_t(DisplayIndexOf(S)), dE = std::size_t(DisplayIndexOf(E));
    const int xS = XOf(S) + o.x(), xE = XOf(E) + o.x();
    canvas.TextOut(x0, top, std::string_view(display).substr(0, dS));
    canvas.Brush.Color = clHighlight;
    canvas.FillRect(TRect{xS, top, xE, top + caretHeight_});
    canvas.Font.SetColor(clHighlightText);
    canvas.TextOut(xS, top, std::string_view(display).substr(dS, dE - dS));
    canvas.Font.SetColor(textColor);
    canvas.TextOut(xE, top, std::string_view(display).substr(dE));
    canvas.Brush.Color = color_;
  }
  if (caretCreated_ && caretBlinkOn_)
    canvas.PatBlt(XOf(caretIndex_) + o.x(), top, 1, caretHeight_, DSTINVERT);
  canvas.ClearClip();
}

void TwCustomNumEdit::paintEvent(QPaintEvent*) {
  if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_RGB32);
  {
    TCanvas canvas(&buffer_);
    PaintTo(canvas);
  }
  QPainter p(this);
  p.drawImage(0, 0, buffer_);
}

// --- the in-place number editor -------------------------------------------------------------------------

namespace {}  // namespace

TwInNumEdit::TwInNumEdit(TwEditorHost& host) : TwCustomNumEdit(host.EditorParent()), TwInplaceEditor(host) {
  setObjectName("InNumEdit");
  SetAutoSelect(false);
  SetEnableNull(true);
  SetBorderStyle(bsNumNone);
  setFocusPolicy(Qt::ClickFocus);  // not a tab stop
  hide();
}

int TwInNumEdit::DecimalsOfFormat(std::string_view f) {
  const std::size_t p = f.find('.');
  if (p == std::string_view::npos) return 0;
  int n = 0;
  for (std::size_t i = p + 1; i < f.size() && (f[i] == '#' || f[i] == '0'); ++i) ++n;
  return n;
}

bool TwInNumEdit::GroupingOfFormat(std::string_view f) {
  return f.find(',') != std::string_view::npos;
}

void TwInNumEdit::SetColumn(TwColumn* column) {
  TwInplaceEditor::SetColumn(column);
  if (!column) return;
  SetColor(column->EditColor() ? clWindow : column->Color());
  const TwFont& f = column->Font();
  TFont font(f.Name, 0, f.Style, f.Color);
  font.SetSize(f.Size);
  SetFont(font);
  SetLayout(column->Layout());
  SetMaxDigits(column->MaxLength());
  double lo = column->MinValue().empty() ? 0 : column->MinValueAsFloat();
  double hi = column->MaxValue().empty() ? 0 : column->MaxValueAsFloat();
  // The data type's range narrows the column's bounds (or stands for them when the column has none).
  double typeLo = 0, typeHi = 0;
  if (column->NumberRange(typeLo, typeHi)) {
    if (lo == hi) {
      lo = typeLo;
      hi = typeHi;
    } else {
      lo = std::max(lo, typeLo);
      hi = std::min(hi, typeHi);
      if (lo > hi) lo = typeLo, hi = typeHi;  // bounds the type cannot hold at all
    }
  }
  SetMaxValue(hi);
  SetMinValue(lo);
  SetDecimals(DecimalsOfFormat(column->EditFormat()));
  SetGrouping(GroupingOfFormat(column->EditFormat()));
  SetSpinButtons(column->GetEditKind() == wekSpinNumber);
  // The column's border: none, a single line, or a sunken edge.
  SetCtl3D(column->EditBorder() == webSunken);
  SetBorderStyle(column->EditBorder() == webNone ? bsNumNone : bsNumSingle);
}

void TwInNumEdit::ShowAt(const TRect& Loc, bool Redraw) {
  if (Loc.IsEmpty()) {
    HideEditor();
    return;
  }
  PlaceControl(Loc, Redraw);
}

void TwInNumEdit::HideEditor() {
  HideControl();
}

plat::Variant TwInNumEdit::GetValue() {
  if (RawText().empty()) return plat::Variant::Null();
  return plat::Variant(Clamp(Value()));
}

void TwInNumEdit::SetValue(const plat::Variant& v) {
  if (v.IsNull()) {
    ClearToNull();
    return;
  }
  TwCustomNumEdit::SetValue(v.ToDouble());
}

bool TwInNumEdit::CanModify() {
  return !ReadOnly() && Column() && Column()->CanModify();
}

void TwInNumEdit::TakeInputMethodEvent(QInputMethodEvent* e) {
  for (char32_t ch : e->commitString().toUcs4()) TypeChar(ch);
}

TwEditorCaret TwInNumEdit::Caret() const {
  TwEditorCaret at;
  at.AtStart = at.AtLeftEdge = CaretIndex() == 0;
  at.AtEnd = at.AtRightEdge = CaretIndex() == int(RawText().size());
  return at;
}

void TwInNumEdit::KeyDown(int& Key, TShiftState Shift) {
  // Backspace and Delete change the text: refused with the beep when the column may not change.
  if ((Key == VK_BACK || Key == VK_DELETE) && !CanModify()) {
    ErrorBeep();
    Key = 0;
    return;
  }
  TwCustomNumEdit::KeyDown(Key, Shift);
}

void TwInNumEdit::KeyPress(char32_t& Key) {
  TwCustomNumEdit::KeyPress(Key);
}

void TwInNumEdit::keyPressEvent(QKeyEvent* e) {
  RouteKey(e);
  e->accept();
}

void TwInNumEdit::mousePressEvent(QMouseEvent* e) {
  // The click that opened the editor and this one make a double click.
  if (e->button() == Qt::LeftButton && TakeOpeningDoubleClick()) {
    mouseDoubleClickEvent(e);
    return;
  }
  TwCustomNumEdit::mousePressEvent(e);
}

void TwInNumEdit::DblClick() {
  TwCustomNumEdit::DblClick();
  TwGuard(Host().EditorParent(), [&] { Host().DblClick(); });
}
