#pragma once
// The grid's edit session. What this file owns:
//   - TwEditSession: the in-place editing life cycle (which editor serves the current cell, when it opens
//     and closes, where it lies, how its value is read, the first step of Esc), the edit button, the memo
//     and picture dialogs, the input method settings, and the focus the grid shares with its editor;
//   - TwGridEditorHost: the grid behind the TwEditorHost interface its editors see;
//   - TwEditorFilter: the one filter installed on every editor's control, which routes the control's keys
//     through the key table of its kind and tells the session when the focus goes in and out.
#include <QObject>
#include <array>
#include <map>
#include <memory>
#include <string>

#include "grid/view/editor_host.h"
#include "grid/view/inplace_editor.h"
#include "platform/paint/canvas.h"
#include "platform/variant/variant.h"

class QKeyEvent;
class TwCustomGrid;

class TwGridEditorHost final : public TwEditorHost {
 public:
  explicit TwGridEditorHost(TwCustomGrid& grid) : grid_(grid) {}

  QWidget* EditorParent() override;
  bool ArrowMove() const override;
  bool TabLeavesGrid() const override;
  void SendToGrid(int& Key, plat::ui::TShiftState Shift) override;
  void GridKeyDown(int& Key, plat::ui::TShiftState Shift) override;
  void GridKeyEvent(int& Key, plat::ui::TShiftState Shift) override;
  void GridKeyPress(char32_t& Key) override;
  void DblClick() override;
  void FocusChanged(bool gained, Qt::FocusReason reason) override;
  bool GridHasFocus() const override;
  Qt::FocusReason EditorFocusReason() const override;
  void TakeFocusBack() override;
  void DroppedDown() override;
  void ClosedUp(bool Accept) override;
  int ListImageIndex(int Row) override;
  int ClientHeight() const override;
  plat::Variant CellValue(TwColumn* AColumn) override;
  const QImage* CellPicture(TwColumn* AColumn) override;
  void SetMemoText(const std::string& Text) override;
  void SetPicture(QImage& Picture) override;

 private:
  TwCustomGrid& grid_;
};

/// Installed by the grid on each editor's control (kept by the editor, gone with it). Every key
/// pressed in the control runs this way: the editor's list keys; then the key table of the editor's kind
/// (keys that leave the cell to the grid's KeyDown), the grid's OnKeyDown, the editor's own KeyDown; then
/// the key's character to the grid's KeyPress and the editor's own KeyPress; what is left to the control.
/// Enter and Esc belong to the editor, not to the window's default and cancel buttons. The grid hears of the
/// focus going in and out after the control has handled it.
class TwEditorFilter final : public QObject {
 public:
  TwEditorFilter(TwEditorHost& host, TwInplaceEditor& editor);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  TwEditorHost& host_;
  TwInplaceEditor& editor_;
};

/// The key table of the editor's kind: sends the keys that leave the cell to the grid (Key becomes 0) and
/// refuses the changes the column does not allow (Key becomes 0).
void TwApplyKeyTable(TwEditorHost& host, TwInplaceEditor& editor, int& Key, plat::ui::TShiftState Shift);
/// One key event of an editor's control, the whole way the filter routes it.
void TwRouteEditorKey(TwEditorHost& host, TwInplaceEditor& editor, QKeyEvent* e);

/// The grid's edit session: its registry, one editor per kind and per custom kind (made on first use, kept
/// for the grid's life), the memo and picture dialogs, the active editor, the cell it edits and the value
/// last read from it, the edit button, and the focus the grid and its editor share. The grid's overridable
/// steps of the life cycle (ShowEditor, HideEditor, CreateEditor, RefreshEditor, ...) run their default
/// parts here.
class TwEditSession {
 public:
  explicit TwEditSession(TwCustomGrid& grid);
  ~TwEditSession();
  TwEditSession(const TwEditSession&) = delete;
  TwEditSession& operator=(const TwEditSession&) = delete;

  // --- the editor and the cell it edits ---
  bool EditorMode() const { return editorMode_; }
  /// The open editor (null when none), the cell it edits.
  TwInplaceEditor* InplaceEditor() const { return editorMode_ ? active_ : nullptr; }
  int EditColumn() const { return editorMode_ ? editColumn_ : -1; }
  int EditRow() const { return editorMode_ ? editRow_ : -1; }
  /// The editor of a column has a cell of ARow open.
  bool EditorShowsCell(int ACol, int ARow) const;
  /// This grid's registry of editor and dialog factories (empty for a bare grid; the data grid installs the
  /// standard editors), and the host its editors see.
  TwEditorRegistry& Editors() { return registry_; }
  TwEditorHost& EditorHost() { return host_; }
  /// The column is edited by the editor registered under its custom kind.
  bool HasCustomEditor(const TwColumn* AColumn) const;
  /// The column opens a dialog (memo, picture) instead of an in-place editor.
  bool OpensDialog(const TwColumn* AColumn) const;

  // --- the default parts of the grid's life cycle ---
  /// Makes (or reuses) the editor of the column's kind and makes it the active one; false when there is none.
  bool CreateEditor(TwColumn* AColumn);
  /// Opens the editor on the current cell when the update lock, the options, the focus, the fixed bands and
  /// the column allow it.
  void ShowEditor();
  /// Hides the editor and ends the edit (no commit).
  void CloseEditor();
  /// Reloads the current cell's value into the open editor and commits again.
  void RefreshEditor();
  /// Selects the whole text of a text-like editor; the F2 variant removes the selection instead.
  void SelectEditorText(bool F2);
  /// The edit button of the current cell: placed on it or hidden.
  void UpdateEditButton();
  /// Drops every editor and dialog (the grid is going; they go before the columns they point to).
  void DropEditors();

  // --- placing and reading ---
  /// Moves the open editor onto the current cell; without Reposition it is also shown and focused.
  void PlaceEditor(bool Reposition);
  /// Where the editor of the current cell lies (viewport coordinates); empty when the cell does not show.
  plat::paint::TRect EditorRect() const;
  /// The open editor's value (a date or time picker first takes a half-typed field); kept as LastEditValue.
  plat::Variant ReadEditorValue();
  const plat::Variant& LastEditValue() const { return lastValue_; }
  /// The first step of Esc: restores the cell's value in the editor when it was changed there, and hides
  /// the editor unless wgoAlwaysShowEditor. True when something was undone.
  bool CancelEditor();

  // --- the edit button and the dialogs ---
  QWidget* EditButtonControl() const { return editButton_; }
  /// The edit button was clicked (or Ctrl+F2 pressed while it shows).
  void EditButtonClick();
  /// Opens the memo or picture dialog on the current cell (F2, a click on the current cell).
  void ShowCellDialog();
  /// A press on the current cell: the editor opens (a dialog for memo and picture cells) and a check box,
  /// boolean or radio editor takes the click.
  void ClickCurrentCell(int X, int Y);

  // --- focus and input method ---
  /// The input method settings of the current column (or the grid's own) are applied to the grid.
  void ApplyColumnIme();
  /// Opens the editor for a composition begun in the grid: the composition moves on into the editor without
  /// being committed (the editor takes the focus as a pop-up would).
  void OpenForComposition();
  /// The reason an editor gives when it takes the focus on showing.
  Qt::FocusReason EditorFocusReason() const;
  /// The focus widget is the grid or one of its children (the editor).
  bool FocusInside() const;
  /// The grid gained or lost the keyboard focus (after Qt's own handling).
  void GridFocusIn();
  void GridFocusOut();
  /// The open editor gained or lost the keyboard focus (its focus events call this): the grid's OnEnter and
  /// OnExit and the commit on leaving follow the grid and its editor as one control.
  void EditorFocusChanged(bool gained, Qt::FocusReason reason);

 private:
  /// The focus left the grid and its editor: commit, hide, CM_EXIT.
  void LeaveFocus();

  TwCustomGrid& grid_;
  TwGridEditorHost host_;
  TwEditorRegistry registry_;
  std::array<std::unique_ptr<TwInplaceEditor>, TwEditorRegistry::KindCount> editors_;
  std::array<std::unique_ptr<TwCellDialog>, TwEditorRegistry::KindCount> dialogs_;
  std::map<std::string, std::unique_ptr<TwInplaceEditor>, std::less<>> customEditors_;
  std::map<std::string, std::unique_ptr<TwCellDialog>, std::less<>> customDialogs_;
  TwInplaceEditor* active_ = nullptr;
  TwEditKind activeKind_ = wekNone;
  bool editorMode_ = false;
  int editColumn_ = -1;
  int editRow_ = -1;
  plat::Variant lastValue_;
  QWidget* editButton_ = nullptr;
  bool focusEntered_ = false;
  bool handingComposition_ = false;
};
