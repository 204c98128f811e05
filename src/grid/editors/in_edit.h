#pragma once
// The in-place text editors of the grid: TwInEdit (one line, on the mask edit; also the base of the pick
// list) and TwInMultiEdit (several lines, growing downward with its text, never below the grid).
//
// Both take every setting from the column they edit when shown and follow the text key table (the grid's
// filter hands the keys that move between cells to the grid and lets the grid see each character first:
// Enter commits, Esc undoes); they answer where their caret is. A change of the text is allowed only when the
// column may be modified (EditCanModify: not read-only, and the row is being edited or OnEdit allows it); a
// refused change or character sounds the error beep and changes nothing.
#include <QPlainTextEdit>

#include "grid/editors/custom_mask_edit.h"
#include "grid/structure/qt_text.h"
#include "grid/view/inplace_editor.h"
#include "platform/ui/keys.h"

class TwInEdit : public TwCustomMaskEdit, public TwInplaceEditor {
 public:
  explicit TwInEdit(TwEditorHost& host);

  QWidget* Control() override { return this; }
  void ShowAt(const plat::paint::TRect& Loc, bool Redraw) override;
  void HideEditor() override;
  /// An empty text is Null, any other text a string.
  plat::Variant GetValue() override;
  /// Null gives the empty text; the text counts as unmodified afterwards.
  void SetValue(const plat::Variant& v) override;
  void SelectAll() override { selectAll(); }
  /// The selection goes, the caret stays.
  void Deselect() override { deselect(); }
  bool HasText() const override { return true; }
  /// The column accepts the character (no column: nothing is accepted).
  virtual bool IsValidChar(char32_t Key);
  /// The text may change; a refusal sounds the error beep.
  virtual bool EditCanModify();

  /// The key table's answers and the editor's own key steps (Windows virtual-key numbers).
  TwEditorCaret Caret() const override;
  bool CanChange() override { return EditCanModify(); }
  void KeyDown(int& Key, plat::ui::TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyDefault(QKeyEvent* e) override;

 protected:
  /// The settings of the column: alignment, colour, font, layout, mask, maximum length, margins, border.
  virtual void ApplyColumn();
  bool AtLeft() const;
  bool AtRight() const;

  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  /// Tab moves the focus on only when the grid lets Tab go (wgoEnterToTab); else the grid keeps it.
  bool focusNextPrevChild(bool next) override;

 private:
  /// A list editor never takes the column's edit mask or maximum length.
  bool dropMask_ = false;
  friend class TwInCombo;
};

class TwInMultiEdit : public QPlainTextEdit, public TwInplaceEditor {
 public:
  explicit TwInMultiEdit(TwEditorHost& host);

  QWidget* Control() override { return this; }
  void ShowAt(const plat::paint::TRect& Loc, bool Redraw) override;
  void HideEditor() override;
  /// Always the text (an empty text is an empty string).
  plat::Variant GetValue() override;
  void SetValue(const plat::Variant& v) override;
  void SelectAll() override { selectAll(); }
  /// The caret goes to the end of the text.
  void Deselect() override;
  bool HasText() const override { return true; }
  std::string Text() const { return tw::FromQ(toPlainText()); }
  TAlignment Alignment() const { return alignment_; }
  /// The height the editor wants: its lines, at least the cell's height, never below the grid.
  int FitHeight();
  const plat::paint::TRect& CellRect() const { return cell_; }

  /// The key table's answers (Up and Down leave from the first and the last line) and the editor's own key
  /// steps; Ctrl+Enter types a line break before anyone else sees the key.
  TwEditorCaret Caret() const override;
  bool CanChange() override { return EditCanModify(); }
  bool ListKey(int Key, plat::ui::TShiftState Shift) override;
  void KeyDown(int& Key, plat::ui::TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyDefault(QKeyEvent* e) override;
  bool EditCanModify();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void insertFromMimeData(const QMimeData* source) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void FollowText();
  bool CaretOnFirstLine() const;
  bool CaretOnLastLine() const;

  plat::paint::TRect cell_;
  TAlignment alignment_ = taLeftJustify;
  plat::paint::TFont font_;
};
