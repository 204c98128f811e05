// TMemGrid's part of the keyboard and mouse: Down and Up by N rows with inserting, appending and the
// Shift selection; Insert, Ctrl+Delete with its question, F3; Esc; the selection step of a click; CM_EXIT.
#include <algorithm>

#include "grid/memory/mem_grid.h"
#include "grid/view/edit_session.h"
#include "platform/ui/dialogs.h"

using namespace plat::ui;

void TMemGrid::KeyDown(int& Key, TShiftState Shift) {
  TwCustomGrid::KeyDown(Key, Shift);
  switch (Key) {
    case VK_INSERT:
      if (!Shift.Contains(ssCtrl) && !Shift.Contains(ssShift)) Insert(false);
      break;
    case VK_DELETE:
      if (Shift.Contains(ssCtrl)) DeleteByKey();
      break;
    case VK_F3:
      CopyCellAbove();
      break;
    default:
      break;
  }
}

void TMemGrid::KeyPress(char32_t& Key) {
  if (Key == U'\x1b') {
    if (OnKeyPress) OnKeyPress(this, Key);
    if (Key == 0) return;
    // The first Esc undoes what was typed into the editor; the next one cancels the row edit.
    const bool undone = Editing().CancelEditor();
    if (editState_ == esBrowse) ClearSelection();
    if (!undone && (editState_ == esEdit || editState_ == esInsert)) Cancel();
    Key = 0;
    return;
  }
  TwCustomGrid::KeyPress(Key);
}

void TMemGrid::DeleteByKey() {
  if (!CanDelete()) return;
  const bool hadFocus = hasFocus();
  if (HasOption(wgoConfirmDelete)) {
    const char* question =
        SelectedCount() > 0 ? "선택된 자료를 모두 삭제하시겠습니까?" : "자료를 삭제하시겠습니까?";
    const int answer =
        CurrentDialogs().MessageBox(this, question, "삭제", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (hadFocus && !hasFocus()) setFocus();
    if (answer != IDYES) return;
  }
  if (SelectedCount() > 0)
    DeleteSelectedRows();
  else
    DeleteCurrent();
  if (hadFocus && !hasFocus()) setFocus();
}

void TMemGrid::CopyCellAbove() {
  if (RowCount() < 2 || Row() == 0 || Col() < 0 || Col() >= ColumnCount()) return;
  TwMemColumn* c = Column(Col());
  if (!c->CanModify()) return;
  const plat::Variant above = Cells(Col(), Row() - 1).AsVariant();
  Cells(Col(), Row()).SetAsVariant(above);
  if (EditorShowing())
    RefreshEditor();
  else
    ShowEditor();
  SelectEditorText();
}

void TMemGrid::MoveDown(int N, TShiftState Shift) {
  CommitEdit();
  if (editState_ == esInsert && !modified_) {
    // An untouched new row: leaving it downwards takes it away, unless it is the last row.
    if (Row() != RowCount() - 1) Cancel();
    return;
  }
  if (Shift.Contains(ssShift) && HasOption(wgoMultiSelect) && RowCount() > 0) {
    Post();
    if (Row() < RowCount() - 1) {
      const int target = std::min(Row() + N, RowCount() - 1);
      if (anchorActive_)
        ExtendSelection(target);
      else
        SelectRange(Row(), target);
      SetRow(target);
    }
    return;
  }
  ClearSelection();
  if (Model().GroupMode() && N == 1) {
    TwCellPos pos = Model().CurrentCell();
    TwGroup* g = pos.IsSet() ? Model().Groups().VisibleItems(pos.Group) : nullptr;
    if (g && g->FindCellBelow(pos)) {
      SetCell(pos);
      return;
    }
  }
  if (RowCount() <= 0) {
    Insert(false);
    return;
  }
  if (Row() == RowCount() - 1) {
    if (N == 1) Insert(true);
    return;
  }
  SetRow(Row() + N);
}

void TMemGrid::MoveUp(int N, TShiftState Shift) {
  CommitEdit();
  if (editState_ == esInsert && !modified_) {
    Cancel();
    return;
  }
  if (Shift.Contains(ssShift) && HasOption(wgoMultiSelect) && RowCount() > 0) {
    Post();
    if (Row() > 0) {
      const int target = std::max(Row() - N, 0);
      if (anchorActive_)
        ExtendSelection(target);
      else
        SelectRange(Row(), target);
      SetRow(target);
    }
    return;
  }
  ClearSelection();
  if (Model().GroupMode() && N == 1) {
    TwCellPos pos = Model().CurrentCell();
    TwGroup* g = pos.IsSet() ? Model().Groups().VisibleItems(pos.Group) : nullptr;
    if (g && g->FindCellAbove(pos)) {
      SetCell(pos);
      return;
    }
  }
  if ((RowCount() == 1 || Row() == 0) && (editState_ == esEdit || editState_ == esInsert)) {
    Post();
    return;
  }
  SetRow(Row() - N);
}

void TMemGrid::SelectionStep(TShiftState Shift) {
  if (!HasOption(wgoMultiSelect) || RowCount() <= 0) return;
  SelectAfterMove(Shift.Contains(ssCtrl), Shift.Contains(ssShift));
}

void TMemGrid::DoExit() {
  TwCustomGrid::DoExit();
  if (HasOption(wgoCancelOnExit) && editState_ == esInsert && !modified_) Cancel();
}
