#pragma once
// TwCustomNumEdit: a number entry control that paints itself. It keeps the number as a string of digits
// (RawText) with the sign apart, shows it right-aligned with the locale's thousand separators, draws its own
// caret and selection, and filters every key so that the text is always a well-formed number with exactly
// Decimals fraction digits. Spin buttons can sit at its right edge. TwInNumEdit adds what a number column
// of the grid gives it (colours, font, bounds, decimals and grouping taken from the column's edit format).
//
// Words used here
//   raw index      position in RawText (0..length); CaretIndex and the selection are raw indices
//   display index  position in DisplayText, which adds separators and typed leading zeros
//   X(N)           the x position (client coordinates) of raw index N: the text is right-aligned, one pixel
//                  left of the text rectangle's right edge
//   IntPartLength  the digits before the point (the whole text without Decimals)
//   client         the widget less its border; every geometry below is in client coordinates
//
// Map: properties - derived quantities - editing rules (digit, '-', '.', Delete, Backspace, selection) -
// keys and characters - mouse and spin buttons - focus - painting.
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "grid/structure/draw_info.h"
#include "grid/view/inplace_editor.h"
#include "platform/paint/canvas.h"
#include "platform/paint/font.h"
#include "platform/persist/component.h"
#include "platform/ui/keys.h"
#include "platform/variant/variant.h"

class TwColumn;

enum class TwNumBorderStyle : std::uint8_t { bsNumNone, bsNumSingle };
using enum TwNumBorderStyle;

class TwCustomNumEdit : public QWidget {
 public:
  using TNumChangeEvent = std::function<void(QObject* Sender)>;
  using TNumSpinEvent = std::function<void(QObject* Sender, int Direction, bool& Allow)>;

  /// Typing never makes the integer part longer than this, also without MaxDigits: a longer number would no
  /// longer read back as a finite floating-point value.
  static constexpr int kMaxIntegerDigits = 300;
  static constexpr int kDefaultWidth = 121;
  static constexpr int kDefaultHeight = 21;

  explicit TwCustomNumEdit(QWidget* parent = nullptr);
  ~TwCustomNumEdit() override;

  // --- state and properties ---
  const std::string& RawText() const { return rawText_; }
  int Sign() const { return sign_; }
  double Value() const;
  /// Writes the value as its digits with exactly Decimals fraction digits; the caret goes to the end. A
  /// value that is not finite is refused (the text stays as it is).
  void SetValue(double v);
  int Decimals() const { return decimals_; }
  void SetDecimals(int v);
  int MaxDigits() const { return maxDigits_; }
  void SetMaxDigits(int v);
  double MinValue() const { return minValue_; }
  void SetMinValue(double v) { minValue_ = v; }
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double v) { maxValue_ = v; }
  bool Grouping() const { return grouping_; }
  void SetGrouping(bool v);
  bool SpinButtons() const { return spinButtons_; }
  void SetSpinButtons(bool v);
  bool ButtonsCtl3D() const { return buttonsCtl3D_; }
  void SetButtonsCtl3D(bool v);
  bool EnableNull() const { return enableNull_; }
  void SetEnableNull(bool v) { enableNull_ = v; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  TwNumBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TwNumBorderStyle v);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  const plat::paint::TFont& Font() const { return font_; }
  void SetFont(const plat::paint::TFont& f);
  plat::ComponentState& State() { return state_; }
  /// Ends loading: the settings stored unchanged while loading take effect.
  void Loaded();

  int CaretIndex() const { return caretIndex_; }
  void SetCaretIndex(int n);
  bool Selecting() const { return selecting_; }
  int SelStart() const { return std::min(selAnchor_, selEnd_); }
  int SelEnd() const { return std::max(selAnchor_, selEnd_); }
  /// An active selection that covers at least one character.
  bool HasSelection() const { return selecting_ && selAnchor_ != selEnd_; }
  /// Ends the selection; the caret stays.
  void ClearSelection() { EndSelection(); }

  TNumChangeEvent OnChange;
  TNumSpinEvent OnSpin;

  // --- operations ---
  int IntPartLength() const;
  /// What is painted for RawText: separators when Grouping, the locale's decimal separator, and the leading
  /// zeros the user typed.
  std::string DisplayText() const;
  int DisplayIndexOf(int rawIndex) const;
  /// X(N) of the map above, in client coordinates.
  int XOf(int rawIndex);
  void SelectDigits(bool intPartOnly);
  double Clamp(double x) const;
  virtual bool CanModify() { return !readOnly_; }
  virtual void Change();
  virtual void Spin(int direction);
  void CopyToClipboard();
  void CutToClipboard();
  void DeleteSelection();

  // --- input as the handlers receive it (Windows key numbers, one character) ---
  virtual void KeyDown(int& Key, plat::ui::TShiftState Shift);
  virtual void KeyPress(char32_t& Key);

  // --- geometry (client coordinates) ---
  plat::paint::TRect ClientRect() const;
  plat::paint::TRect TextRect() const;
  plat::paint::TRect ButtonRect() const;
  QPoint ClientOrigin() const;
  /// Top of the text line (and of the caret).
  int LineTop() const;
  int CaretHeight() const { return caretHeight_; }
  bool CaretShown() const { return caretCreated_; }
  bool SpinPressed() const { return spinPressed_; }
  bool SpinTracking() const { return spinTracking_; }
  int SpinDirection() const { return spinDir_; }

  /// Paints the whole control onto a canvas the size of the widget.
  void PaintTo(plat::paint::TCanvas& canvas);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool event(QEvent* e) override;

  virtual void DoEnter();
  virtual void DoExit();
  virtual void DblClick();
  /// What the window's creation does to the text and the caret; runs on the first show and after the
  /// border changes.
  void CreateWnd();
  /// Sets the text to empty, the sign to +1, the caret to 0 and ends the selection.
  void ClearToNull();

 private:
  void SetRawText(std::string s);
  void SetSign(int s);
  void EndSelection();
  void StartSelection();
  void Repaint();
  void MouseDown(QMouseEvent* e);
  void TypeDigit(char d);
  void TypeMinus();
  void TypePoint();
  void DeleteRule();
  void BackspaceRule();
  int BorderWidth() const;
  plat::paint::TCanvas& Measure();
  void ResetCaretBlink();
  void timerEvent(QTimerEvent* e) override;

  std::string rawText_ = "0";
  int sign_ = 1;
  int decimals_ = 0;
  int maxDigits_ = 10;
  double minValue_ = 0, maxValue_ = 0;
  bool grouping_ = true;
  bool spinButtons_ = false;
  bool buttonsCtl3D_ = true;
  bool enableNull_ = false;
  bool autoSelect_ = true;
  TwNumBorderStyle borderStyle_ = bsNumSingle;
  bool ctl3D_ = true;
  TTextLayout layout_ = tlCenter;
  bool readOnly_ = false;
  TColor color_ = clWindow;
  plat::paint::TFont font_;
  plat::ComponentState state_;
  int caretIndex_ = 0;
  bool selecting_ = false;
  int selAnchor_ = 0, selEnd_ = 0;
  int caretHeight_ = 0;
  bool caretCreated_ = false;
  bool caretBlinkOn_ = true;
  int caretTimer_ = 0;
  int spinDir_ = 0;
  bool spinPressed_ = false;
  bool spinTracking_ = false;
  bool created_ = false;
  QImage buffer_;
  QImage measureImage_{1, 1, QImage::Format_RGB32};
  plat::paint::TCanvas measure_;
};

/// The grid's in-place number editor (the number and the spin-number kinds share it). It takes every setting
/// from the column it is given (colours, font, layout, border, maximum digits, bounds, decimals and grouping
/// from the edit format, spin buttons) and follows the number key table (the grid's filter hands the keys
/// that leave the cell to the grid and lets the grid see each character first: Enter commits, Esc undoes);
/// it answers where its caret is. Changes need the column's permission; a refused change sounds the error
/// beep.
///
/// Bounds: the column's MinValue..MaxValue, narrowed to what the column's data type can hold (a whole-number
/// type would otherwise keep only the low bytes of a larger number). The value is bounded when the editor is
/// left and whenever the grid reads it; while typing, any number is allowed.
class TwInNumEdit : public TwCustomNumEdit, public TwInplaceEditor {
 public:
  explicit TwInNumEdit(TwEditorHost& host);

  QWidget* Control() override { return this; }
  /// Takes the column's settings (the grid sets the column before loading the value and showing).
  void SetColumn(TwColumn* column) override;
  void ShowAt(const plat::paint::TRect& Loc, bool Redraw) override;
  void HideEditor() override;
  /// Null for an empty text, else the bounded value as a floating-point Variant.
  plat::Variant GetValue() override;
  /// Null empties the text; any other value is written as the number it converts to.
  void SetValue(const plat::Variant& v) override;
  using TwCustomNumEdit::SetValue;
  bool CanModify() override;
  void SelectAll() override { SelectDigits(false); }
  void Deselect() override { ClearSelection(); }
  bool HasText() const override { return true; }
  /// Committed input-method text is typed character by character (the control has no composition).
  void TakeInputMethodEvent(QInputMethodEvent* e) override;

  TwKeyTable KeyTable() const override { return TwKeyTable::Number; }
  TwEditorCaret Caret() const override;
  /// The control's own handling of the keys and characters the grid left (Backspace and Delete need the
  /// column's permission).
  void KeyDown(int& Key, plat::ui::TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;

  /// Decimals and grouping of a column's edit format: the count of '#' or '0' right after the first '.',
  /// and whether it holds a ','.
  static int DecimalsOfFormat(std::string_view editFormat);
  static bool GroupingOfFormat(std::string_view editFormat);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void DblClick() override;
};
