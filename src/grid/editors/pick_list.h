#pragma once
// TwInCombo: a mask edit with a drop button at its right edge and a list window that drops down under it
// (above it near the screen's bottom), follows the typed text and closes with or without accepting a row.
// TwInPickList fills it with a column's values and items and maps the shown text to the stored value.
//
// Keys while the list is down: Enter accepts, Esc restores the text from before the drop-down, Alt+Up or
// Alt+Down toggles, Home/End/Up/Down/PageUp/PageDown move in the list. A typed character, or text committed
// by an input method (Hangul), drops the list when the column's list option has AutoDrop.
#include <functional>
#include <memory>

#include "grid/editors/custom_mask_edit.h"
#include "grid/editors/item_list.h"
#include "platform/variant/variant.h"

class TwInCombo : public TwCustomMaskEdit {
 public:
  explicit TwInCombo(QWidget* parent = nullptr);
  ~TwInCombo() override;

  // The column whose values, items and list option the editor uses.
  TwColumn* Column() const { return column_; }
  void SetColumn(TwColumn* c) { column_ = c; }

  TwItemList* DropList() const { return dropList_; }
  bool DroppedDown() const { return droppedDown_; }
  bool ButtonPressed() const { return buttonPressed_; }
  bool Tracking() const { return tracking_; }
  const std::string& SavedText() const { return savedText_; }
  // End/Home/Left/Right at the text's edge leave the editor (closing the list with Accept).
  bool ArrowMove() const { return arrowMove_; }
  void SetArrowMove(bool v) { arrowMove_ = v; }

  virtual void CreateDropList() = 0;
  virtual void UpdateDropList() = 0;
  virtual void CloseUp(bool Accept);
  virtual void DropDown(bool Capture);

  void DrawButton(plat::paint::TCanvas& DC, const plat::paint::TRect& Rect) override;
  void GetButtonRect(plat::paint::TRect& Rect) const override;

  // Whether the value may change; a read-only editor's close-up changes neither text nor value.
  virtual bool EditCanModify() const;

  std::function<void(TwInCombo* Sender)> OnDropDown;
  std::function<void(TwInCombo* Sender, bool Accept)> OnCloseUp;
  // Called when an arrow key leaves the editor under ArrowMove (the grid moves to the next cell).
  std::function<void(TwInCombo* Sender, int Key)> OnLeaveKey;

 protected:
  // What an accepted close-up does with the list's row (R < 0: none).
  virtual void AcceptRow(int R) = 0;
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

  TwItemList* dropList_ = nullptr;  // a child of the editor, deleted with it

 private:
  bool HandleComboKey(QKeyEvent* e);
  bool PointOnButton(const QPointF& p) const;
  void StopTracking();
  bool WillDropOnChar(char32_t c) const;

  TwColumn* column_ = nullptr;
  bool droppedDown_ = false;
  bool buttonPressed_ = false;
  bool tracking_ = false;
  bool arrowMove_ = false;
  std::string savedText_;
};

class TwInPickList : public TwInCombo {
 public:
  explicit TwInPickList(QWidget* parent = nullptr);

  int ValueIndex() const { return valueIndex_; }
  plat::Variant GetValue() const;
  void SetValue(const plat::Variant& X);

  void CreateDropList() override;
  void UpdateDropList() override;

 protected:
  void AcceptRow(int R) override;

 private:
  // The text a row shows in the editor: the first items field when the items describe the values and the
  // value is not the first list column, else the value.
  std::string RowText(int R) const;
  bool ItemsMode() const;

  int valueIndex_ = -1;
};
