#pragma once
// The contract between the grid and the controls that edit its cells, and the registry that makes them.
//
// An in-place editor is a control laid over the current cell (a child of the grid's viewport, so its
// rectangle is in viewport coordinates, the grid's client coordinates). The grid makes one editor per
// edit kind (or per custom kind) on first use through its own TwEditorRegistry, keeps it hidden and reuses
// it for every cell of that kind; it binds the editor to a column and loads the cell's value (BeginEdit),
// places and shows it, and reads the value back when the cell is left (EndEdit). The grid never sees an
// editor's class, and an editor never sees the grid: only this interface and TwEditorHost.
//
// Keys: the grid's editor filter routes every key pressed in an editor through the key table of the
// editor's kind (KeyTable), in one order: the table sends the keys that leave the cell to the grid, the
// grid's OnKeyDown then sees what is left, then the editor's own KeyDown; a character goes to the grid's
// KeyPress first, then to the editor's own KeyPress; what both leave reaches the control (KeyDefault).
// The table asks the editor where its caret is (Caret), whether its keys stay inside (a list or calendar
// dropped down: KeysStayInside, ListKey) and whether its text may change (CanChange).
//
// Memo and picture columns are edited in modal dialogs instead (TwCellDialog): the grid keeps the focus
// and the dialog hands its result back through the host's SetMemoText and SetPicture.
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "grid/structure/column.h"
#include "grid/view/editor_host.h"
#include "platform/paint/canvas.h"
#include "platform/ui/keys.h"
#include "platform/variant/variant.h"

class QInputMethodEvent;
class QKeyEvent;

/// The key tables of the editor kinds: which keys an editor hands to the grid.
enum class TwKeyTable : std::uint8_t {
  Text,    ///< one or several lines of text: the caret's ends and lines decide
  Number,  ///< as text, and Insert always goes to the grid
  Date,    ///< Left and Right move between fields, Up and Down leave unless they step a field
  Check,   ///< every key goes to the grid's KeyDown
  Radio    ///< the arrows move between the items and leave at the block's edges
};

/// Where the editor's caret (or chosen item) lies, as its key table asks.
struct TwEditorCaret {
  bool AtStart = true, AtEnd = true;           ///< Home and End leave here
  bool AtLeftEdge = true, AtRightEdge = true;  ///< Left and Right leave here
  bool OnFirstLine = true, OnLastLine = true;  ///< Up/PageUp and Down/PageDown leave here
  bool Empty = false;                          ///< no value (a date moves on with Left and Right)
};

class TwInplaceEditor {
 public:
  explicit TwInplaceEditor(TwEditorHost& host) : host_(host) {}
  virtual ~TwInplaceEditor() = default;
  TwInplaceEditor(const TwInplaceEditor&) = delete;
  TwInplaceEditor& operator=(const TwInplaceEditor&) = delete;

  TwEditorHost& Host() const { return host_; }
  /// The control itself (its parent is the grid's viewport).
  virtual QWidget* Control() = 0;
  /// The column being edited; every per-column setting is read from it when the editor is shown.
  TwColumn* Column() const { return column_; }
  virtual void SetColumn(TwColumn* c) { column_ = c; }
  /// Binds the editor to a column and loads a cell's value (before it is placed and shown).
  virtual void BeginEdit(TwColumn* c, const plat::Variant& value) {
    SetColumn(c);
    SetValue(value);
  }
  /// The value to store: a half-typed field is taken in first.
  virtual plat::Variant EndEdit() { return GetValue(); }
  /// Places the editor over Loc (viewport coordinates) and shows it; an empty rectangle hides it. Redraw
  /// repaints the editor even when it was showing already. The editor takes the focus when the grid has it.
  virtual void ShowAt(const plat::paint::TRect& Loc, bool Redraw) = 0;
  /// Hides the editor; when it had the focus the grid takes it back.
  virtual void HideEditor() = 0;
  bool Showing() { return Control()->isVisible(); }
  /// The editor's content: Null for an empty text or an empty date, else a string, number, date or boolean.
  virtual plat::Variant GetValue() = 0;
  /// Loads a cell's value (Null gives the empty content).
  virtual void SetValue(const plat::Variant& v) = 0;
  /// The selection commands the grid gives after showing: the whole text selected, or the selection gone
  /// with the caret kept (a multi-line editor puts the caret at the end).
  virtual void SelectAll() {}
  virtual void Deselect() {}
  /// Editors with a text to select (text, multi-line, number, pick list): SelectEditorText applies to them.
  virtual bool HasText() const { return false; }
  /// The character that opened the editor: handled as if typed into it (replacing the selected text).
  /// The default sends the key to the control.
  virtual void TypeChar(char32_t ch);
  /// An input-method event that began while the grid was browsing: the default hands it to the control.
  virtual void TakeInputMethodEvent(QInputMethodEvent* e);
  /// A mouse press on the cell that opened the editor (check boxes and radio groups act on it); viewport
  /// coordinates. Nothing by default.
  virtual void ClickAt(int X, int Y) {}
  /// Message time (milliseconds) of the click that opened the editor; a second click inside the editor
  /// within the double-click time is a double click.
  std::int64_t ClickTime = 0;

  // --- the editor's answers to its key table (see the opening comment) ---
  virtual TwKeyTable KeyTable() const { return TwKeyTable::Text; }
  virtual TwEditorCaret Caret() const { return {}; }
  /// A list or calendar is down (or the editor is taking typed input in): no key goes to the grid.
  virtual bool KeysStayInside() const { return false; }
  /// Keys the editor takes before anyone else (a dropped-down list's keys); true when it took the key.
  virtual bool ListKey(int Key, plat::ui::TShiftState Shift) { return false; }
  /// The text may change now; a refusal may sound the error beep.
  virtual bool CanChange() { return true; }
  /// The editor's own handling of a key and a character that the grid left (0: taken).
  virtual void KeyDown(int& Key, plat::ui::TShiftState Shift) {}
  virtual void KeyPress(char32_t& Key) {}
  /// The control's own handling of a key event nobody took.
  virtual void KeyDefault(QKeyEvent* e) {}

  /// The grid's filter on the control; it goes with the editor (before the control).
  void SetFilter(std::unique_ptr<QObject> filter) { filter_ = std::move(filter); }
  bool HasFilter() const { return filter_ != nullptr; }

 protected:
  /// What every editor does the same way.
  void SendToGrid(int& Key, plat::ui::TShiftState Shift) { host_.SendToGrid(Key, Shift); }
  void GridKeyEvent(int& Key, plat::ui::TShiftState Shift) { host_.GridKeyEvent(Key, Shift); }
  /// A key event of the control, routed as the grid's filter routes it (for a control the filter does not
  /// watch, such as an editor made outside a grid's registry).
  void RouteKey(QKeyEvent* e);
  /// Puts the control over Loc, on top, shown; repaints it when Redraw or when it was hidden; takes the
  /// focus when the grid has it.
  void PlaceControl(const plat::paint::TRect& Loc, bool Redraw);
  /// Hides the control; when it had the focus, the grid takes it back.
  void HideControl();
  /// A left press inside the editor within the double-click time of the click that opened it; ClickTime is
  /// used up either way.
  bool TakeOpeningDoubleClick();

 private:
  TwEditorHost& host_;
  TwColumn* column_ = nullptr;
  std::unique_ptr<QObject> filter_;
};

/// A memo or picture dialog, shown modally over a cell by the grid.
class TwCellDialog {
 public:
  virtual ~TwCellDialog() = default;
  /// Shows the dialog over CellRect (viewport coordinates, bottom one pixel higher) for the current cell
  /// of AColumn; on OK it hands the result to the host (SetMemoText or SetPicture).
  virtual void Run(TwEditorHost& host, TwColumn* AColumn, const plat::paint::TRect& CellRect) = 0;
};

/// Which factory makes the editor (or dialog) of each edit kind and of each custom kind a program names
/// (TwColumn::CustomKind). Every grid has its own registry, empty for a bare grid; the data grid installs
/// the standard editors into its own (InstallStandardEditors of the editors library).
class TwEditorRegistry {
 public:
  using EditorFactory = std::function<std::unique_ptr<TwInplaceEditor>(TwEditorHost& host)>;
  using DialogFactory = std::function<std::unique_ptr<TwCellDialog>(TwEditorHost& host)>;

  void Register(TwEditKind kind, EditorFactory f) { editors_[Slot(kind)] = std::move(f); }
  void Register(const std::string& customKind, EditorFactory f) { customEditors_[customKind] = std::move(f); }
  void RegisterDialog(TwEditKind kind, DialogFactory f) { dialogs_[Slot(kind)] = std::move(f); }
  void RegisterDialog(const std::string& customKind, DialogFactory f) {
    customDialogs_[customKind] = std::move(f);
  }
  /// The editor (or dialog) for the kind; null when none is registered.
  std::unique_ptr<TwInplaceEditor> MakeEditor(TwEditKind kind, TwEditorHost& host) const;
  std::unique_ptr<TwInplaceEditor> MakeEditor(const std::string& customKind, TwEditorHost& host) const;
  std::unique_ptr<TwCellDialog> MakeDialog(TwEditKind kind, TwEditorHost& host) const;
  std::unique_ptr<TwCellDialog> MakeDialog(const std::string& customKind, TwEditorHost& host) const;
  bool Has(TwEditKind kind) const { return bool(editors_[Slot(kind)]); }
  bool Has(const std::string& customKind) const { return customEditors_.count(customKind) > 0; }
  bool HasDialog(const std::string& customKind) const { return customDialogs_.count(customKind) > 0; }

  static constexpr int KindCount = int(wekPicture) + 1;

 private:
  static std::size_t Slot(TwEditKind k) { return std::size_t(k); }
  std::array<EditorFactory, KindCount> editors_;
  std::array<DialogFactory, KindCount> dialogs_;
  std::map<std::string, EditorFactory, std::less<>> customEditors_;
  std::map<std::string, DialogFactory, std::less<>> customDialogs_;
};
