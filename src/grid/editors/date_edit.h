#pragma once
// TwDateEdit: Qt's date-time edit with three additions: a display format written in the library's own date
// pattern language (EditFormat), an empty (Null) state that the date-time edit itself lacks (EnableNull),
// and a focus rectangle in that state (FocusRect). The date kind has a calendar drop-down, the time kind an
// up/down control. TwInDateEdit and TwInTimeEdit add what a date or time column gives them.
//
// EditFormat goes through two steps before Qt sees it:
//   pattern (d m y h n s, am/pm, c, t, tt, ddddd, quotes, / and :)
//     --ConvertEditFormat-->  picker syntax (d M y h/H m s tt, single-quoted literals)
//     --PickerFormatToQt-->   Qt's display format (the same letters; am/pm as AP, other letters quoted)
//
// In the empty state the edit paints only the background, the button at the right edge (a combo button for
// the date kind, spin buttons for the time kind) and, when focused, a focus rectangle; the inner line
// edit's own painting is suppressed meanwhile.
#include <QDateTimeEdit>
#include <QImage>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/paint/canvas.h"
#include "platform/persist/component.h"
#include "platform/ui/keys.h"
#include "platform/variant/variant.h"

class TwColumn;

enum class TDateTimeKind : std::uint8_t { Date, Time };

// The library's date pattern in the picker's syntax (both passes; the locale formats and separators come
// from the platform's format settings).
std::string ConvertEditFormat(std::string_view pattern);
// A format in the picker's syntax as Qt's display format.
QString PickerFormatToQt(std::string_view picker);

// A TDateTime as a QDateTime (local time) and back; an invalid QDateTime gives 0.
QDateTime DateTimeToQt(plat::TDateTime d);
plat::TDateTime QtToDateTime(const QDateTime& d);

class TwDateEdit : public QDateTimeEdit {
 public:
  using TNotifyEvent = std::function<void(QObject* Sender)>;

  explicit TwDateEdit(QWidget* parent = nullptr);
  ~TwDateEdit() override;

  const std::string& EditFormat() const { return editFormat_; }
  void SetEditFormat(std::string_view v);
  // The Qt display format in force (the converted EditFormat, or the locale's default for the kind).
  QString AppliedFormat() const { return displayFormat(); }
  bool EnableNull() const { return enableNull_; }
  void SetEnableNull(bool v);
  bool FocusRect() const { return focusRect_; }
  void SetFocusRect(bool v);
  bool IsNull() const { return isNull_; }
  void SetNull(bool v);
  void Clear() { SetNull(true); }
  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind k);
  plat::TDateTime DateTime() const { return QtToDateTime(dateTime()); }
  void SetDateTime(plat::TDateTime d) { setDateTime(DateTimeToQt(d)); }
  TColor Color() const { return color_; }
  void SetColor(TColor c);
  plat::ComponentState& State() { return state_; }
  // Ends loading: the stored EditFormat is converted and applied.
  void Loaded();
  bool DroppedDown() const;

  virtual bool CanModify() { return true; }
  virtual void Change();
  TNotifyEvent OnChange;

  // Input as the handlers receive it (Windows key numbers, one character); a key or character set to 0 is
  // consumed.
  virtual void KeyDown(int& Key, plat::ui::TShiftState Shift);
  virtual void KeyPress(char32_t& Key);

  // The empty state's button rectangle and the client rectangle (inside the frame), widget coordinates.
  plat::paint::TRect ClientRect() const;
  plat::paint::TRect NullButtonRect() const;
  // Paints the empty state onto a canvas the size of the widget.
  void PaintNull(plat::paint::TCanvas& canvas);

  // The current time; replaceable so that tests know "now".
  static std::function<QDateTime()> Now;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  // Opens the calendar drop-down of the date kind.
  void DropDown();
  // Puts the input on the first field, as a click at the left of the text does.
  void SelectFirstField();

 private:
  void ApplyFormat();
  void ConnectCalendar();

  std::string editFormat_;
  bool enableNull_ = true;
  bool focusRect_ = true;
  bool isNull_ = false;
  TDateTimeKind kind_ = TDateTimeKind::Date;
  TColor color_;
  plat::ComponentState state_;
  QImage buffer_;
  bool calendarConnected_ = false;
};

// The grid's in-place date editor, as far as it stands on its column alone: the value as a Variant, the
// column's permission to change, its settings, and the commit of partly typed input.
class TwInDateEdit : public TwDateEdit {
 public:
  explicit TwInDateEdit(QWidget* parent = nullptr);

  TwColumn* Column() const { return column_; }
  void SetColumn(TwColumn* column) { column_ = column; }
  // Colour, edit format, font and date bounds from the column. A bound that is not a date in the locale's
  // short date format raises the date parser's error.
  void ApplyColumnSettings();
  plat::Variant GetValue() const;
  void SetValue(const plat::Variant& v);
  bool CanModify() override;
  bool Committing() const { return committing_; }
  // Makes the edit take a field the user is still typing in (before the value is read).
  void CommitTypedInput();

 private:
  TwColumn* column_ = nullptr;
  bool committing_ = false;
};

class TwInTimeEdit : public TwInDateEdit {
 public:
  explicit TwInTimeEdit(QWidget* parent = nullptr);
};
