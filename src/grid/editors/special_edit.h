#pragma once
// The grid's self-drawn cell editors: TwInCheckEdit (a check box with its text), TwInBoolEdit (a bare check
// mark) and TwInRadioGroup (radio buttons in the column's RadioColumns columns), on the common base
// TwInSpecial that gives them the grid's editor contract.
//
// Values: the check editors hold three states, Null, false and true; a toggle (Space, a left press, or
// the click that opened the editor: ClickAt) goes from Null to true and then between true and false, never
// back to Null; only Delete (or a Null from the grid) empties the cell. The radio group holds an item index
// or nothing (Delete). Every change asks the column first (CanModify: not read-only, and the row is being
// edited or OnEdit allows it); a refused change does nothing, and the keys still reach the grid.
//
// Keys: the check editors follow the check key table, which gives every key to the grid's KeyDown and
// every character to its KeyPress first (so arrows, Tab, Enter and Esc act as on the grid). The radio group
// follows the radio table: it keeps the arrows that move between its items (it answers where its chosen
// item lies) and the grid gets those that leave it at an edge.
#include <QWidget>

#include "grid/view/inplace_editor.h"
#include "platform/paint/font.h"
#include "platform/ui/keys.h"

class TwInSpecial : public QWidget, public TwInplaceEditor {
 public:
  explicit TwInSpecial(TwEditorHost& host);

  QWidget* Control() override { return this; }
  void ShowAt(const plat::paint::TRect& Loc, bool Redraw) override;
  void HideEditor() override;
  /// A press of the grid on the cell that opened the editor, in the grid's viewport coordinates.
  void ClickAt(int X, int Y) override;
  /// The column may change (no beep).
  bool CanModify() const;

  TColor Color() const { return color_; }
  /// The area inside the column's edit border, in client coordinates.
  plat::paint::TRect ContentRect() const;

  /// A left press at a client point.
  virtual void MouseDown(int X, int Y) = 0;

 protected:
  /// Draws the content (border, focus and background already prepared by paintEvent) into Canvas.
  virtual void PaintContent(plat::paint::TCanvas& Canvas, const plat::paint::TRect& Rect) = 0;
  /// The column's font for painting.
  const plat::paint::TFont& PaintFont() const { return font_; }

  void paintEvent(QPaintEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  bool event(QEvent* e) override;

 private:
  TColor color_ = clWindow;
  plat::paint::TFont font_;
};

class TwInCheckEdit : public TwInSpecial {
 public:
  explicit TwInCheckEdit(TwEditorHost& host);

  bool IsNull() const { return isNull_; }
  bool Checked() const { return checked_; }
  /// Null, or the check state as a Boolean.
  plat::Variant GetValue() override;
  void SetValue(const plat::Variant& v) override;
  /// Null to true, else the opposite state; only when the column may change.
  void Toggle();

  TwKeyTable KeyTable() const override { return TwKeyTable::Check; }
  void KeyDown(int& Key, plat::ui::TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void MouseDown(int X, int Y) override;

 protected:
  void PaintContent(plat::paint::TCanvas& Canvas, const plat::paint::TRect& Rect) override;

 private:
  bool isNull_ = true;
  bool checked_ = false;
};

class TwInBoolEdit : public TwInCheckEdit {
 public:
  explicit TwInBoolEdit(TwEditorHost& host);

 protected:
  void PaintContent(plat::paint::TCanvas& Canvas, const plat::paint::TRect& Rect) override;
};

class TwInRadioGroup : public TwInSpecial {
 public:
  explicit TwInRadioGroup(TwEditorHost& host);

  int ItemIndex() const { return itemIndex_; }
  /// The chosen index as an integer; Null when nothing is chosen (or there is no column).
  plat::Variant GetValue() override;
  void SetValue(const plat::Variant& v) override;
  /// Chooses item N (< 0: nothing) when it differs and the column may change.
  void SelectIndex(int N);
  /// The labels: the column's items in items mode, else its values.
  std::vector<std::string> Labels() const;
  /// The item whose cell holds a client point; -1 between cells.
  int ItemAt(int X, int Y);

  TwKeyTable KeyTable() const override { return TwKeyTable::Radio; }
  /// At the start and end: the first and last item; at the edges: the chosen item's column and row.
  TwEditorCaret Caret() const override;
  void KeyDown(int& Key, plat::ui::TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void MouseDown(int X, int Y) override;

 protected:
  void PaintContent(plat::paint::TCanvas& Canvas, const plat::paint::TRect& Rect) override;

 private:
  int RadioColumns() const;
  int itemIndex_ = -1;
};
