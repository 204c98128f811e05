#pragma once
// The grid's edit session: what the grid keeps while it edits (TwEditingState), the host its editors see
// (TwGridEditorHost, the grid behind the TwEditorHost interface) and the one filter installed on every
// editor's control (TwEditorFilter), which routes the control's keys through the key table of its kind and
// tells the grid when the focus goes in and out.
#include <QObject>
#include <array>
#include <map>
#include <memory>
#include <string>

#include "grid/view/editor_host.h"
#include "grid/view/inplace_editor.h"

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

// Installed by the grid on each editor's control (kept by the editor, gone with it). Every key
// pressed in the control runs this way: the editor's list keys; then the key table of the editor's kind
// (keys that leave the cell to the grid's KeyDown), the grid's OnKeyDown, the editor's own KeyDown; then
// the key's character to the grid's KeyPress and the editor's own KeyPress; what is left to the control.
// Enter and Esc belong to the editor, not to the window's default and cancel buttons. The grid hears of the
// focus going in and out after the control has handled it.
class TwEditorFilter final : public QObject {
 public:
  TwEditorFilter(TwEditorHost& host, TwInplaceEditor& editor);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  TwEditorHost& host_;
  TwInplaceEditor& editor_;
};

// The key table of the editor's kind: sends the keys that leave the cell to the grid (Key becomes 0) and
// refuses the changes the column does not allow (Key becomes 0).
void TwApplyKeyTable(TwEditorHost& host, TwInplaceEditor& editor, int& Key, plat::ui::TShiftState Shift);
// One key event of an editor's control, the whole way the filter routes it.
void TwRouteEditorKey(TwEditorHost& host, TwInplaceEditor& editor, QKeyEvent* e);

// What the grid keeps while it edits: its registry, one editor per kind and per custom kind (made on first
// use, kept for the grid's life), the memo and picture dialogs, the active editor, the cell it edits and the
// value last read from it.
struct TwEditingState {
  explicit TwEditingState(TwCustomGrid& grid) : Host(grid) {}
  TwGridEditorHost Host;
  TwEditorRegistry Registry;
  std::array<std::unique_ptr<TwInplaceEditor>, TwEditorRegistry::KindCount> Editors;
  std::array<std::unique_ptr<TwCellDialog>, TwEditorRegistry::KindCount> Dialogs;
  std::map<std::string, std::unique_ptr<TwInplaceEditor>, std::less<>> CustomEditors;
  std::map<std::string, std::unique_ptr<TwCellDialog>, std::less<>> CustomDialogs;
  TwInplaceEditor* Active = nullptr;
  TwEditKind ActiveKind = wekNone;
  bool EditorMode = false;
  int EditColumn = -1;
  int EditRow = -1;
  plat::Variant LastValue;
};
