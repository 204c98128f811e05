#pragma once
// TwEditorHost: everything an in-place editor or a cell dialog may ask of the grid that shows it, and no
// more. The host owns the editors' view of the grid: the options they read, the keys their tables hand to
// the grid (SendToGrid: the grid's KeyDown; GridKeyEvent: the grid's OnKeyDown handler; GridKeyPress: the
// grid's KeyPress), the opening double click, the focus going in and out, the list's drop-down and
// close-up, the pictures of a list's rows, the client height and the cell values the dialogs load and
// hand back. The editors library sees the grid only through it; the grid implements it (the edit session)
// and installs the one editor filter that routes each editor's keys and focus (grid/view/edit_session.h).
#include <QWidget>
#include <string>

#include "platform/ui/keys.h"
#include "platform/variant/variant.h"

class QImage;
class TwColumn;

class TwEditorHost {
 public:
  virtual ~TwEditorHost() = default;

  /// The widget every editor and dialog is a child of (the grid's viewport); also the parent of error boxes.
  virtual QWidget* EditorParent() = 0;

  // --- the grid's options an editor reads ---
  /// Left, Right, Home and End leave the cell at the ends of the text (wgoArrowMove).
  virtual bool ArrowMove() const = 0;
  /// Tab moves the focus out of the grid (wgoEnterToTab).
  virtual bool TabLeavesGrid() const = 0;

  // --- keys ---
  /// The grid's KeyDown sees the key, as if typed into the grid; Key becomes 0.
  virtual void SendToGrid(int& Key, plat::ui::TShiftState Shift) = 0;
  /// The grid's KeyDown sees the key; Key stays as the grid leaves it.
  virtual void GridKeyDown(int& Key, plat::ui::TShiftState Shift) = 0;
  /// The grid's OnKeyDown handler (if any) sees the key, with the grid as sender.
  virtual void GridKeyEvent(int& Key, plat::ui::TShiftState Shift) = 0;
  /// The grid's KeyPress sees a character first (Enter commits, Esc undoes); 0 when it took it.
  virtual void GridKeyPress(char32_t& Key) = 0;

  // --- mouse and focus ---
  /// A double click in the editor (the grid's OnDblClick).
  virtual void DblClick() = 0;
  /// The editor gained or lost the keyboard focus: the grid and its editor act as one control.
  virtual void FocusChanged(bool gained, Qt::FocusReason reason) = 0;
  /// The grid itself holds the keyboard focus (an editor being shown takes it over).
  virtual bool GridHasFocus() const = 0;
  /// The reason an editor gives when it takes the focus from the grid (a composition begun in the grid
  /// moves on into the editor without being committed).
  virtual Qt::FocusReason EditorFocusReason() const = 0;
  /// The grid takes the focus back (from an editor being hidden).
  virtual void TakeFocusBack() = 0;

  // --- lists ---
  /// A list editor opened or closed its list (the grid's OnDropDown and OnCloseUp).
  virtual void DroppedDown() = 0;
  virtual void ClosedUp(bool Accept) = 0;
  /// The picture of a row of the current column's list; -1 for none.
  virtual int ListImageIndex(int Row) = 0;
  /// The height of the grid's data area, which a growing editor never passes.
  virtual int ClientHeight() const = 0;

  // --- the cell dialogs ---
  /// The current cell's value and picture for a column.
  virtual plat::Variant CellValue(TwColumn* AColumn) = 0;
  virtual const QImage* CellPicture(TwColumn* AColumn) = 0;
  /// A dialog's result for the current cell (the data grid writes it).
  virtual void SetMemoText(const std::string& Text) = 0;
  virtual void SetPicture(QImage& Picture) = 0;
};
