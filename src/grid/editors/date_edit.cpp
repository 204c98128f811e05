#include "grid/editors/date_edit.h"

#include <QCalendarWidget>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionComboBox>
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

constexpr int VK_F4 = VK_F1 + 3;

bool StartsWith(std::string_view s, std::size_t i, std::string_view token) {
  return s.substr(i, token.size()) == token;
}

std::string AsciiLower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return r;
}

}  // namespace

// --- the pattern conversion -----------------------------------------------------------------------------

std::string ConvertEditFormat(std::string_view pattern) {
  const plat::fmt::FormatSettings& loc = plat::fmt::Locale();
  // Pass 1: over the whole pattern in lower case (quoted text included), the locale's formats and
  // separators and the am/pm markers; quoted literals become single-quoted.
  const std::string p = AsciiLower(pattern);
  std::string mid;
  bool twelveHour = false;
  std::size_t i = 0;
  while (i < p.size()) {
    const char c = p[i];
    if (c == '"' || c == '\'') {
      mid.push_back('\'');
      const std::size_t close = p.find(c, i + 1);
      if (close == std::string::npos) {
        mid.append(p, i + 1, std::string::npos);
        i = p.size();
      } else {
        mid.append(p, i + 1, close - i - 1);
        mid.push_back('\'');
        i = close + 1;
      }
    } else if (c == 'c') {
      mid += loc.ShortDateFormat;
      ++i;
    } else if (StartsWith(p, i, "am/pm") || StartsWith(p, i, "ampm") || StartsWith(p, i, "a/p")) {
      mid += "tt";
      twelveHour = true;
      i += StartsWith(p, i, "am/pm") ? 5 : StartsWith(p, i, "ampm") ? 4 : 3;
    } else if (StartsWith(p, i, "dddddd")) {
      mid += loc.LongDateFormat;
      i += 6;
    } else if (StartsWith(p, i, "ddddd")) {
      mid += loc.ShortDateFormat;
      i += 5;
    } else if (StartsWith(p, i, "tt")) {
      mid += loc.LongTimeFormat;
      i += 2;
    } else if (c == 't') {
      mid += loc.ShortTimeFormat;
      ++i;
    } else if (c == '/') {
      mid += '\'';
      mid += loc.DateSeparator;
      mid += '\'';
      ++i;
    } else if (c == ':') {
      mid += '\'';
      mid += loc.TimeSeparator;
      mid += '\'';
      ++i;
    } else {
      mid.push_back(c);
      ++i;
    }
  }
  // Pass 2: m is the month, n the minute, h the 12- or 24-hour clock; quoted runs stay as they are.
  std::string out;
  out.reserve(mid.size());
  i = 0;
  while (i < mid.size()) {
    const char c = mid[i];
    if (c == '\'') {
      const std::size_t close = mid.find('\'', i + 1);
      const std::size_t end = close == std::string::npos ? mid.size() : close + 1;
      out.append(mid, i, end - i);
      i = end;
      continue;
    }
    if (c == 'm')
      out.push_back('M');
    else if (c == 'n')
      out.push_back('m');
    else if (c == 'h')
      out.push_back(twelveHour ? 'h' : 'H');
    else
      out.push_back(c);
    ++i;
  }
  return out;
}

QString PickerFormatToQt(std::string_view picker) {
  std::string out, literal;
  auto flush = [&] {
    if (literal.empty()) return;
    out.push_back('\'');
    for (char c : literal) {
      if (c == '\'') out.push_back('\'');  // a quote inside a literal is written twice
      out.push_back(c);
    }
    out.push_back('\'');
    literal.clear();
  };
  std::size_t i = 0;
  while (i < picker.size()) {
    const char c = picker[i];
    if (c == '\'') {
      const std::size_t close = picker.find('\'', i + 1);
      const std::size_t end = close == std::string_view::npos ? picker.size() : close;
      if (end == i + 1 && close != std::string_view::npos)
        literal.push_back('\'');  // '' is a quote
      else
        literal.append(picker.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? picker.size() : close + 1;
      continue;
    }
    std::size_t run = 1;
    while (i + run < picker.size() && picker[i + run] == c) ++run;
    std::string token;
    switch (c) {
      case 'd':
      case 'M':
        token.assign(std::min<std::size_t>(run, 4), c);
        break;
      case 'y':
        token = run <= 2 ? "yy" : "yyyy";
        break;
      case 'h':
      case 'H':
      case 'm':
      case 's':
        token.assign(std::min<std::size_t>(run, 2), c);
        break;
      case 't':
        token = "AP";
        break;
      case 'g':
        break;  // the era: Qt has no field for it
      default:
        // Everything else is shown as written; quoting keeps Qt from reading letters such as a, z or t as
        // fields of its own.
        literal.append(picker.substr(i, run));
        i += run;
        continue;
    }
    flush();
    out += token;
    i += run;
  }
  flush();
  return tw::ToQ(out);
}

QDateTime DateTimeToQt(plat::TDateTime d) {
  int y = 0, m = 0, day = 0, h = 0, n = 0, s = 0, ms = 0;
  plat::fmt::DecodeDate(d, y, m, day);
  plat::fmt::DecodeTime(d, h, n, s, ms);
  return QDateTime(QDate(y, m, day), QTime(h, n, s, ms));
}

plat::TDateTime QtToDateTime(const QDateTime& q) {
  if (!q.isValid()) return 0;
  plat::TDateTime date = 0, time = 0;
  if (!plat::fmt::TryEncodeDate(q.date().year(), q.date().month(), q.date().day(), date)) return 0;
  const QTime t = q.time();
  plat::fmt::TryEncodeTime(t.hour(), t.minute(), t.second(), t.msec(), time);
  // Before day 0 the time of day still counts forward, so it is taken off the negative day.
  return date < 0 ? date - time : date + time;
}

// --- TwDateEdit -----------------------------------------------------------------------------------------

std::function<QDateTime()> TwDateEdit::Now = [] { return QDateTime::currentDateTime(); };

TwDateEdit::TwDateEdit(QWidget* parent) : QDateTimeEdit(parent), color_(clWindow) {
  DrawUnitInitialize();
  setCalendarPopup(true);
  lineEdit()->installEventFilter(this);
  connect(this, &QDateTimeEdit::dateTimeChanged, this, [this] { Change(); });
  ApplyFormat();
}

TwDateEdit::~TwDateEdit() {
  DrawUnitFinalize();
}

void TwDateEdit::ApplyFormat() {
  const plat::fmt::FormatSettings& loc = plat::fmt::Locale();
  // Without a pattern the edit shows the locale's short date, or its long time for the time kind.
  const std::string picker = !editFormat_.empty()           ? ConvertEditFormat(editFormat_)
                             : kind_ == TDateTimeKind::Date ? ConvertEditFormat(loc.ShortDateFormat)
                                                            : ConvertEditFormat(loc.LongTimeFormat);
  setDisplayFormat(PickerFormatToQt(picker));
  ConnectCalendar();
}

void TwDateEdit::ConnectCalendar() {
  if (calendarConnected_ || !calendarPopup()) return;
  QCalendarWidget* calendar = calendarWidget();
  if (!calendar) return;
  calendarConnected_ = true;
  // Picking a day ends the empty state even when it is the day the edit already held.
  connect(calendar, &QCalendarWidget::clicked, this, [this] {
    if (isNull_) SetNull(false);
  });
  connect(calendar, &QCalendarWidget::activated, this, [this] {
    if (isNull_) SetNull(false);
  });
}

void TwDateEdit::SetEditFormat(std::string_view v) {
  editFormat_ = std::string(v);
  if (!state_.Loading()) ApplyFormat();
}

void TwDateEdit::Loaded() {
  state_.Exclude(plat::ComponentStateFlag::Loading);
  ApplyFormat();
}

void TwDateEdit::SetEnableNull(bool v) {
  enableNull_ = v;
  if (!v) SetNull(false);
}

void TwDateEdit::SetFocusRect(bool v) {
  if (focusRect_ == v) return;
  focusRect_ = v;
  if (isNull_) update();
}

void TwDateEdit::SetNull(bool v) {
  if (v == isNull_) return;
  if (v && !enableNull_) return;
  isNull_ = v;
  update();
  lineEdit()->update();
}

void TwDateEdit::SetKind(TDateTimeKind k) {
  if (kind_ == k) return;
  kind_ = k;
  setCalendarPopup(k == TDateTimeKind::Date);
  ApplyFormat();
  update();
}

void TwDateEdit::SetColor(TColor c) {
  color_ = c;
  QPalette p = palette();
  p.setColor(QPalette::Base, ToQColor(c));
  setPalette(p);
  update();
}

bool TwDateEdit::DroppedDown() const {
  if (!calendarPopup()) return false;
  const QCalendarWidget* calendar = calendarWidget();
  return calendar && calendar->isVisible();
}

void TwDateEdit::Change() {
  if (DroppedDown() && isNull_) SetNull(false);
  if (OnChange) OnChange(this);
}

void TwDateEdit::DropDown() {
  if (!calendarPopup() || DroppedDown()) return;
  // The date-time edit opens its calendar on a press on its arrow: press it there.
  QStyleOptionComboBox opt;
  opt.initFrom(this);
  opt.editable = true;
  opt.frame = hasFrame();
  opt.subControls = QStyle::SC_All;
  const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, this);
  const QPointF at = arrow.center();
  QMouseEvent press(QEvent::MouseButtonPress, at, mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QDateTimeEdit::mousePressEvent(&press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QDateTimeEdit::mouseReleaseEvent(&release);
}

void TwDateEdit::SelectFirstField() {
  if (sectionCount() == 0) return;
  setCurrentSectionIndex(0);
  setSelectedSection(currentSection());
}

// --- keys -----------------------------------------------------------------------------------------------

void TwDateEdit::KeyDown(int& Key, TShiftState Shift) {
  if (Key == VK_DELETE) {
    // Delete never reaches the date-time edit, which would blank a field: it empties the edit or does
    // nothing.
    if (enableNull_ && !isNull_ && CanModify()) SetNull(true);
    Key = 0;
    return;
  }
  if (Key == VK_HOME && isNull_ && CanModify()) {
    setDateTime(Now());
    SetNull(false);
    Key = 0;
    return;
  }
  const bool dropKey = Key == VK_F4 || (Key == VK_DOWN && Shift.Contains(ssAlt));
  if (dropKey && isNull_ && !DroppedDown() && CanModify()) SetNull(false);
}

void TwDateEdit::KeyPress(char32_t& Key) {
  // Enter, Esc and Tab keep their meaning for the window.
  if (Key == 0 || Key == 9 || Key == 13 || Key == 27) return;
  if (!isNull_) {
    if (!CanModify()) Key = 0;
    return;
  }
  if (((Key >= '0' && Key <= '9') || Key == '.') && CanModify()) {
    SetNull(false);
    SelectFirstField();
    return;
  }
  Key = 0;
}

void TwDateEdit::keyPressEvent(QKeyEvent* e) {
  int key = VirtualKeyOf(e->key());
  const TShiftState shift = ShiftStateOf(e->modifiers());
  if (key) {
    KeyDown(key, shift);
    if (key == 0) {
      e->accept();
      return;
    }
  }
  char32_t ch = CharOf(e);
  if (ch) {
    KeyPress(ch);
    if (ch == 0) {
      e->accept();
      return;
    }
  }
  PickerKey(e, key, shift);
}

void TwDateEdit::PickerKey(QKeyEvent* e, int key, TShiftState shift) {
  const bool dropKey = key == VK_F4 || (key == VK_DOWN && shift.Contains(ssAlt));
  if (dropKey && calendarPopup()) {
    // A read-only edit does not open its calendar: a day picked there would change it.
    if (CanModify()) DropDown();
    e->accept();
    return;
  }
  // The steps of the up/down keys change the value: not in a read-only edit.
  if (!CanModify() && (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT)) {
    e->accept();
    return;
  }
  const bool wasAdvanced = advanced_;
  advanced_ = false;
  // Left and Right move between the fields, as in a date picker (not by one character).
  if ((key == VK_LEFT || key == VK_RIGHT) && !shift.Contains(ssShift) && !shift.Contains(ssCtrl) &&
      !shift.Contains(ssAlt) && sectionCount() > 0) {
    const int i = currentSectionIndex() + (key == VK_RIGHT ? 1 : -1);
    if (i >= 0 && i < sectionCount()) {
      setCurrentSectionIndex(i);
      setSelectedSection(currentSection());
    }
    e->accept();
    return;
  }
  const QString text = e->text();
  const QChar ch = text.size() == 1 ? text.at(0) : QChar();
  // A field that is full moves the input on by itself; the separator typed after it would skip the next
  // field, so it is taken as already done ("2024-03-09" and "20240309" both fill three fields).
  if (wasAdvanced && ch.isPrint() && !ch.isLetterOrNumber()) {
    e->accept();
    return;
  }
  const int section = currentSectionIndex();
  QDateTimeEdit::keyPressEvent(e);
  advanced_ = ch.isDigit() && currentSectionIndex() > section;
}

// --- painting and focus ---------------------------------------------------------------------------------

TRect TwDateEdit::ClientRect() const {
  const int frame = hasFrame() ? 2 : 0;  // the sunken client edge
  return TRect{frame, frame, std::max(frame, width() - frame), std::max(frame, height() - frame)};
}

TRect TwDateEdit::NullButtonRect() const {
  const TRect c = ClientRect();
  return TRect{std::max(c.Left, c.Right - ButtonWidth()), c.Top, c.Right, c.Bottom};
}

void TwDateEdit::PaintNull(TCanvas& canvas) {
  if (hasFrame()) {
    TRect r{0, 0, width(), height()};
    canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
  }
  const TRect client = ClientRect();
  canvas.Brush.Color = color_;
  canvas.FillRect(client);
  const TRect button = NullButtonRect();
  if (kind_ == TDateTimeKind::Date)
    DrawComboButton(canvas, button, isEnabled(), false, false);
  else
    DrawSpinButtons(canvas, button, 0, isEnabled(), false);
  if (hasFocus() && focusRect_) {
    canvas.Brush.Color = clWhite;
    canvas.DrawFocusRect(TRect{client.Left, client.Top, button.Left, client.Bottom});
  }
}

void TwDateEdit::paintEvent(QPaintEvent* e) {
  if (!isNull_) {
    QDateTimeEdit::paintEvent(e);
    return;
  }
  if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_RGB32);
  {
    TCanvas canvas(&buffer_);
    PaintNull(canvas);
  }
  QPainter p(this);
  p.drawImage(0, 0, buffer_);
}

bool TwDateEdit::eventFilter(QObject* watched, QEvent* e) {
  // While empty the inner line edit draws nothing: the edit itself paints the empty state.
  if (watched == lineEdit() && e->type() == QEvent::Paint && isNull_) return true;
  return QDateTimeEdit::eventFilter(watched, e);
}

void TwDateEdit::focusInEvent(QFocusEvent* e) {
  QDateTimeEdit::focusInEvent(e);
  if (isNull_) update();
}

void TwDateEdit::focusOutEvent(QFocusEvent* e) {
  QDateTimeEdit::focusOutEvent(e);
  if (isNull_) update();
}

// --- the in-place date and time editors -----------------------------------------------------------------

namespace {}  // namespace

TwInDateEdit::TwInDateEdit(TwEditorHost& host) : TwDateEdit(host.EditorParent()), TwInplaceEditor(host) {
  setObjectName("InDateEdit");
  setDateTime(Now());
  SetFocusRect(false);
  SetEnableNull(true);
  setFocusPolicy(Qt::ClickFocus);  // not a tab stop
  hide();
}

plat::Variant TwInDateEdit::GetValue() {
  if (IsNull()) return plat::Variant::Null();
  return plat::Variant::Date(DateTime());
}

void TwInDateEdit::SetValue(const plat::Variant& v) {
  if (v.IsNull()) {
    SetNull(true);
    // What is typed into the empty edit starts from a clean value: today at midnight for a date, the time
    // 00:00:00 on day 0 for a time. The edit would otherwise keep the time of day (or the date) it last
    // held, unseen, and hand it back with the typed date (or time).
    if (Kind() == TDateTimeKind::Date)
      setDateTime(QDateTime(Now().date(), QTime(0, 0)));
    else
      setDateTime(DateTimeToQt(0));
    return;
  }
  const plat::TDateTime d = v.ToDateTime();  // a value that does not convert leaves the editor as it was
  SetNull(false);
  SetDateTime(d);
}

bool TwInDateEdit::CanModify() {
  return Column() && Column()->CanModify();
}

void TwInDateEdit::SetColumn(TwColumn* column) {
  TwInplaceEditor::SetColumn(column);
  // The bounds before the value: a value loaded next is held to this column's bounds, not the last one's.
  ApplyColumnSettings();
}

void TwInDateEdit::ApplyColumnSettings() {
  TwColumn* column = Column();
  if (!column) return;
  SetColor(column->EditColor() ? clWindow : column->Color());
  SetEditFormat(column->EditFormat());
  const TwFont& f = column->Font();
  TFont font(f.Name, 0, f.Style, f.Color);
  font.SetSize(f.Size);
  setFont(font.QtFont());
  // An empty bound is no bound; a bound that is not a date raises the parser's error.
  const std::string& maxText = column->MaxValue();
  const std::string& minText = column->MinValue();
  const plat::TDateTime maxDate = maxText.empty() ? 0 : plat::fmt::StrToDate(maxText);
  const plat::TDateTime minDate = minText.empty() ? 0 : plat::fmt::StrToDate(minText);
  if (maxDate == 0)
    clearMaximumDateTime();
  else
    setMaximumDate(DateTimeToQt(maxDate).date());
  if (minDate == 0)
    clearMinimumDateTime();
  else
    setMinimumDate(DateTimeToQt(minDate).date());
  setFrame(column->EditBorder() != webNone);
}

void TwInDateEdit::ShowAt(const TRect& Loc, bool Redraw) {
  if (Loc.IsEmpty()) {
    HideEditor();
    return;
  }
  const bool opening = !isVisible();
  const bool redraw = Redraw || opening;
  setGeometry(Loc.Left, Loc.Top, Loc.Width(), Loc.Height());
  raise();
  show();
  // A newly opened edit starts on its first field (typing goes there), as a fresh picker does.
  if (opening && !IsNull()) SelectFirstField();
  if (redraw) update();
  if (Host().GridHasFocus()) setFocus(Host().EditorFocusReason());
}

void TwInDateEdit::HideEditor() {
  if (!isVisible()) return;
  const bool hadFocus = hasFocus();
  hide();
  move(0, 0);  // the hidden edit keeps its size
  if (hadFocus) Host().TakeFocusBack();
}

void TwInDateEdit::CommitTypedInput() {
  if (IsNull()) return;
  committing_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{committing_};
  // A step to the left and back makes the edit leave the field being typed in; then the text is read.
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QDateTimeEdit::keyPressEvent(&left);
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QDateTimeEdit::keyPressEvent(&right);
  interpretText();
}

plat::Variant TwInDateEdit::EndEdit() {
  CommitTypedInput();
  return GetValue();
}

TwEditorCaret TwInDateEdit::Caret() const {
  TwEditorCaret at;
  at.Empty = IsNull();
  return at;
}

void TwInDateEdit::KeyDown(int& Key, TShiftState Shift) {
  TwDateEdit::KeyDown(Key, Shift);
}

void TwInDateEdit::KeyPress(char32_t& Key) {
  if (!KeysStayInside() && (Key == 13 || Key == 27)) {
    Key = 0;
    return;
  }
  TwDateEdit::KeyPress(Key);
}

void TwInDateEdit::KeyDefault(QKeyEvent* e) {
  PickerKey(e, VirtualKeyOf(e->key()), ShiftStateOf(e->modifiers()));
}

void TwInDateEdit::keyPressEvent(QKeyEvent* e) {
  RouteKey(e);
  e->accept();
}

bool TwInDateEdit::eventFilter(QObject* watched, QEvent* e) {
  // Clicks land on the inner line edit. The click that opened the editor and a second one within the
  // double-click time make a double click, which the grid sees; so does a double click of its own.
  if (watched == lineEdit()) {
    if (e->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton &&
        TakeOpeningDoubleClick())
      TwGuard(Host().EditorParent(), [&] { Host().DblClick(); });
    else if (e->type() == QEvent::MouseButtonDblClick)
      TwGuard(Host().EditorParent(), [&] { Host().DblClick(); });
  }
  return TwDateEdit::eventFilter(watched, e);
}

TwInTimeEdit::TwInTimeEdit(TwEditorHost& host) : TwInDateEdit(host) {
  setObjectName("InTimeEdit");
  SetKind(TDateTimeKind::Time);
}
