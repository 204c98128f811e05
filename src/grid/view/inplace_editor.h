#pragma once
// The contract between the grid and the controls that edit its cells, and the registry that makes them.
//
// An in-place editor is a control laid over the current cell (a child of the grid's viewport, so its
// rectangle is in viewport coordinates, the grid's client coordinates). The grid makes one editor per
// edit kind on first use through TwEditorRegistry, keeps it hidden and reuses it for every cell of that
// kind; it binds the editor to a column, loads the cell's value, places and shows it, and reads the value
// back when the cell is left. The grid never sees an editor's class: only this interface.
//
// Memo and picture columns are edited in modal dialogs instead (TwCellDialog): the grid keeps the focus
// and the dialog hands its result back through the grid's SetMemoText and SetPicture.
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "grid/structure/column.h"
#include "platform/paint/canvas.h"
#include "platform/ui/keys.h"
#include "platform/variant/variant.h"

class QInputMethodEvent;
class TwCustomGrid;

class TwInplaceEditor {
 public:
  explicit TwInplaceEditor(TwCustomGrid& grid) : grid_(grid) {}
  virtual ~TwInplaceEditor() = default;
  TwInplaceEditor(const TwInplaceEditor&) = delete;
  TwInplaceEditor& operator=(const TwInplaceEditor&) = delete;

  TwCustomGrid& Grid() const { return grid_; }
  // The control itself (its parent is the grid's viewport).
  virtual QWidget* Control() = 0;
  // The column being edited; every per-column setting is read from it when the editor is shown.
  TwColumn* Column() const { return column_; }
  virtual void SetColumn(TwColumn* c) { column_ = c; }
  // Places the editor over Loc (viewport coordinates) and shows it; an empty rectangle hides it. Redraw
  // repaints the editor even when it was showing already. The editor takes the focus when the grid has it.
  virtual void ShowAt(const plat::paint::TRect& Loc, bool Redraw) = 0;
  // Hides the editor; when it had the focus the grid takes it back.
  virtual void HideEditor() = 0;
  bool Showing() { return Control()->isVisible(); }
  // The editor's content: Null for an empty text or an empty date, else a string, number, date or boolean.
  virtual plat::Variant GetValue() = 0;
  // Loads a cell's value (Null gives the empty content).
  virtual void SetValue(const plat::Variant& v) = 0;
  // The selection commands the grid gives after showing: the whole text selected, or the selection gone
  // with the caret kept (a multi-line editor puts the caret at the end).
  virtual void SelectAll() {}
  virtual void Deselect() {}
  // Editors with a text to select (text, multi-line, number, pick list): SelectEditorText applies to them.
  virtual bool HasText() const { return false; }
  // Text editors that a list editor builds on drop the column's edit mask and maximum length.
  virtual void DropMaskAndLength() {}
  // Date and time pickers take a half-typed field into their value before GetValue.
  virtual void TakeTypedInput() {}
  // The character that opened the editor: handled as if typed into it (replacing the selected text).
  // The default sends the key to the control.
  virtual void TypeChar(char32_t ch);
  // An input-method event that began while the grid was browsing: the default hands it to the control.
  virtual void TakeInputMethodEvent(QInputMethodEvent* e);
  // A mouse press on the cell that opened the editor (check boxes and radio groups act on it); viewport
  // coordinates. Nothing by default.
  virtual void ClickAt(int X, int Y) {}
  // Message time (milliseconds) of the click that opened the editor; a second click inside the editor
  // within the double-click time is a double click.
  std::int64_t ClickTime = 0;

 protected:
  // What every editor does the same way.
  // The grid's KeyDown sees the key, as if typed into the grid; Key becomes 0.
  void SendToGrid(int& Key, plat::ui::TShiftState Shift);
  // The grid's OnKeyDown handler (if any) sees the key, with the grid as sender.
  void GridKeyEvent(int& Key, plat::ui::TShiftState Shift);
  // Puts the control over Loc, on top, shown; repaints it when Redraw or when it was hidden; takes the
  // focus when the grid has it.
  void PlaceControl(const plat::paint::TRect& Loc, bool Redraw);
  // Hides the control; when it had the focus, the grid takes it back.
  void HideControl();
  // A left press inside the editor within the double-click time of the click that opened it; ClickTime is
  // used up either way.
  bool TakeOpeningDoubleClick();

 private:
  TwCustomGrid& grid_;
  TwColumn* column_ = nullptr;
};

// A memo or picture dialog, shown modally over a cell by the grid.
class TwCellDialog {
 public:
  virtual ~TwCellDialog() = default;
  // Shows the dialog over CellRect (viewport coordinates, bottom one pixel higher) for the current cell
  // of AColumn; on OK it hands the result to the grid (SetMemoText or SetPicture).
  virtual void Run(TwCustomGrid& grid, TwColumn* AColumn, const plat::paint::TRect& CellRect) = 0;
};

// Which factory makes the editor of each edit kind. The standard editors register themselves into
// Standard() (the editor library's RegisterStandardEditors); a grid asks through MakeEditor, which a
// descendant can override, and the two descendant list kinds have their own hooks on the grid.
class TwEditorRegistry {
 public:
  using EditorFactory = std::function<std::unique_ptr<TwInplaceEditor>(TwCustomGrid& grid)>;
  using DialogFactory = std::function<std::unique_ptr<TwCellDialog>(TwCustomGrid& grid)>;

  static TwEditorRegistry& Standard();

  void Register(TwEditKind kind, EditorFactory f) { editors_[Slot(kind)] = std::move(f); }
  void RegisterDialog(TwEditKind kind, DialogFactory f) { dialogs_[Slot(kind)] = std::move(f); }
  // The editor (or dialog) for the kind; null when none is registered.
  std::unique_ptr<TwInplaceEditor> MakeEditor(TwEditKind kind, TwCustomGrid& grid) const;
  std::unique_ptr<TwCellDialog> MakeDialog(TwEditKind kind, TwCustomGrid& grid) const;
  bool Has(TwEditKind kind) const { return bool(editors_[Slot(kind)]); }

  static constexpr int KindCount = int(wekPicture) + 1;

 private:
  static std::size_t Slot(TwEditKind k) { return std::size_t(k); }
  std::array<EditorFactory, KindCount> editors_;
  std::array<DialogFactory, KindCount> dialogs_;
};

// What the grid keeps while it edits: one editor per kind (made on first use, kept for the grid's life),
// the memo and picture dialogs, the active editor, the cell it edits and the value last read from it.
struct TwEditingState {
  std::array<std::unique_ptr<TwInplaceEditor>, TwEditorRegistry::KindCount> Editors;
  std::array<std::unique_ptr<TwCellDialog>, TwEditorRegistry::KindCount> Dialogs;
  TwInplaceEditor* Active = nullptr;
  TwEditKind ActiveKind = wekNone;
  bool EditorMode = false;
  int EditColumn = -1;
  int EditRow = -1;
  plat::Variant LastValue;
};
