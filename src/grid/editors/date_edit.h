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

#include "grid/view/inplace_editor.h"
#include "platform/paint/canvas.h"
#include "platform/persist/component.h"
#include "platform/ui/keys.h"
#include "platform/variant/variant.h"

class TwColumn;

enum class TDateTimeKind : std::uint8_t { Date, Time };

/// The library's date pattern in the picker's syntax (both passes; the locale formats and separators come
/// from the platform's format settings).
std::string ConvertEditFormat(std::string_view pattern);
/// A format in the picker's syntax as Qt's display format.
QString PickerFormatToQt(std::string_view picker);

/// A TDateTime as a QDateTime (local time) and back; an invalid QDateTime gives 0.
QDateTime DateTimeToQt(plat::TDateTime d);
plat::TDateTime QtToDateTime(const QDateTime& d);

class TwDateEdit : public QDateTimeEdit {
 public:
  using TNotifyEvent = std::function<void(QObject* Sender)>;

  explicit TwDateEdit(QWidget* parent = nullptr);
  ~TwDateEdit() override;

  const std::string& EditFormat() const { return editFormat_; }
  void SetEditFormat(std::string_view v);
  /// The Qt display format in force (the converted EditFormat, or the locale's default for the kind).
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
  /// Ends loading: the stored EditFormat is converted and applied.
  void Loaded();
  bool DroppedDown() const;

  virtual bool CanModify() { return true; }
  virtual void Change();
  TNotifyEvent OnChange;

  /// Input as the handlers receive it (Windows key numbers, one character); a key or character set to 0 is
  /// consumed.
  virtual void KeyDown(int& Key, plat::ui::TShiftState Shift);
  virtual void KeyPress(char32_t& Key);

  /// The empty state's button rectangle and the client rectangle (inside the frame), widget coordinates.
  plat::paint::TRect ClientRect() const;
  plat::paint::TRect NullButtonRect() const;
  /// Paints the empty state onto a canvas the size of the widget.
  void PaintNull(plat::paint::TCanvas& canvas);

  /// The current time; replaceable so that tests know "now".
  static std::function<QDateTime()> Now;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  /// Opens the calendar drop-down of the date kind.
  void DropDown();
  /// Puts the input on the first field, as a click at the left of the text does.
  void SelectFirstField();
  /// What a key does after KeyDown and KeyPress left it: F4 and Alt+Down open the calendar, a read-only
  /// edit takes no step, everything else goes to the date-time edit.
  void PickerKey(QKeyEvent* e, int key, plat::ui::TShiftState shift);

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
  /// The last digit filled its field and the input moved on to the next one by itself.
  bool advanced_ = false;
};

/// The grid's in-place date editor (and, switched to the time kind, the time editor). It takes the column's
/// colour, edit format, font, border and date bounds, allows the empty value (Null) and follows the date key
/// table (the keys that leave the cell go to the grid, which sees each character first; while the calendar
/// is open every key stays with it). Before it gives its value back (EndEdit) it makes the edit take a field
/// that is still being typed in (CommitTypedInput: a Left and a Right step).
class TwInDateEdit : public TwDateEdit, public TwInplaceEditor {
 public:
  explicit TwInDateEdit(TwEditorHost& host);

  QWidget* Control() override { return this; }
  /// Takes the column's settings at once (before the grid loads the value).
  void SetColumn(TwColumn* column) override;
  /// Colour, edit format, font, border and date bounds from the column. A bound that is not a date in the
  /// locale's short date format raises the date parser's error.
  void ApplyColumnSettings();
  void ShowAt(const plat::paint::TRect& Loc, bool Redraw) override;
  /// Hides the edit at 0, 0 (keeping its size); the grid takes the focus back if the edit had it.
  void HideEditor() override;
  plat::Variant GetValue() override;
  void SetValue(const plat::Variant& v) override;
  bool CanModify() override;
  plat::Variant EndEdit() override;
  bool Committing() const { return committing_; }
  /// Makes the edit take a field the user is still typing in (before the value is read).
  void CommitTypedInput();

  TwKeyTable KeyTable() const override { return TwKeyTable::Date; }
  /// An empty edit moves on with Left and Right.
  TwEditorCaret Caret() const override;
  /// While the calendar is open, or while the edit takes typed input in, no key goes to the grid.
  bool KeysStayInside() const override { return committing_ || DroppedDown(); }
  /// The date edit's own keys; Enter and Esc are the grid's alone.
  void KeyDown(int& Key, plat::ui::TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyDefault(QKeyEvent* e) override;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  bool committing_ = false;
};

class TwInTimeEdit : public TwInDateEdit {
 public:
  explicit TwInTimeEdit(TwEditorHost& host);
};
