#pragma once
// TwInCombo: the grid's one-line text editor (TwInEdit) with a drop button at its right edge and a list
// window that drops down under it (above it near the screen's bottom), follows the typed text and closes
// with or without accepting a row. TwInPickList fills it with a column's values and items and maps the
// shown text to the stored value; it is the grid's pick-list editor.
//
// Keys while the list is down: Enter accepts, Esc restores the text from before the drop-down, Alt+Up or
// Alt+Down toggles, Home/End/Up/Down/PageUp/PageDown move in the list. A typed character, or text committed
// by an input method (Hangul), drops the list when the column's list option has AutoDrop. Every other key
// takes the text editor's way (the grid sees the keys that move between cells). The grid hears the list
// open and close through its OnDropDown and OnCloseUp (the host's DroppedDown and ClosedUp).
#include <string>

#include "grid/editors/in_edit.h"
#include "grid/editors/item_list.h"
#include "platform/variant/variant.h"

class TwInCombo : public TwInEdit {
 public:
  explicit TwInCombo(TwEditorHost& host);
  ~TwInCombo() override;

  TwItemList* DropList() const { return dropList_; }
  bool DroppedDown() const { return droppedDown_; }
  bool ButtonPressed() const { return buttonPressed_; }
  bool Tracking() const { return tracking_; }
  const std::string& SavedText() const { return savedText_; }

  virtual void CreateDropList() = 0;
  virtual void UpdateDropList() = 0;
  virtual void CloseUp(bool Accept);
  virtual void DropDown(bool Capture);

  void DrawButton(plat::paint::TCanvas& DC, const plat::paint::TRect& Rect) override;
  void GetButtonRect(plat::paint::TRect& Rect) const override;

  void HideEditor() override;

  /// The list's keys come before the text editor's and the grid's; a key that leaves the cell closes the
  /// list first, accepting its row.
  bool ListKey(int Key, plat::ui::TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;

 protected:
  /// What an accepted close-up does with the list's row (R < 0: none).
  virtual void AcceptRow(int R) = 0;
  bool event(QEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

  TwItemList* dropList_ = nullptr;  ///< a child of the editor, deleted with it

 private:
  bool PointOnButton(const QPointF& p) const;
  void StopTracking();
  bool AutoDrop() const;

  bool droppedDown_ = false;
  bool buttonPressed_ = false;
  bool tracking_ = false;
  std::string savedText_;
};

class TwInPickList : public TwInCombo {
 public:
  explicit TwInPickList(TwEditorHost& host);

  /// The value row the text stands for; -1 for free text. Editing the text by hand makes it free text.
  int ValueIndex() const { return valueIndex_; }
  /// With a value row, that value whatever the text shows; else the text (Null when empty).
  plat::Variant GetValue() override;
  /// A value of the list shows its row's text; any other value shows as typed text.
  void SetValue(const plat::Variant& X) override;

  void CreateDropList() override;
  void UpdateDropList() override;
  void DropDown(bool Capture) override;
  void CloseUp(bool Accept) override;

 protected:
  void AcceptRow(int R) override;

 private:
  /// The text a row shows in the editor: the first items field when the items describe the values and the
  /// value is not the first list column, else the value.
  std::string RowText(int R) const;
  bool ItemsMode() const;

  int valueIndex_ = -1;
  int savedIndex_ = -1;  ///< the value row when the list dropped, restored with the text
};
