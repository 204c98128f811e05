#pragma once
// TwGridModelHost: what the description model asks of the control that shows it. The host owns the current
// cell, the data rows and their first shown row, the in-place editor, the client area and the update lock;
// the model owns the description and its layout, and asks the host through this interface alone. A model
// without a host keeps its own defaults (no rows, no current column, its own client size and paint lock).
//
// The grid control (TwCustomGrid) is the host of the model it holds and answers every hook.
class QObject;
class TwColumn;
struct TwCellPos;
struct TwRepaintArea;
namespace plat::paint {
struct TRect;
}

class TwGridModelHost {
 public:
  virtual ~TwGridModelHost() = default;

  // --- the current cell ---
  /// Skip read-only columns when navigating.
  virtual bool SkipReadOnly() const = 0;
  /// Collection index of the current column, -1 when none.
  virtual int CurrentColumnIndex() const = 0;
  /// Makes the visible column at this index the current one (column mode).
  virtual void SetCurrentVisibleColumn(int visibleIndex) = 0;
  /// Group mode: moves the current cell.
  virtual void SetCurrentCell(const TwCellPos& pos) = 0;
  /// Column mode: the current column was hidden from visible index oldVisibleIndex.
  virtual void CurrentColumnHidden(int oldVisibleIndex) = 0;
  /// Ends the current edit and hides the in-place editor; shows it again under wgoAlwaysShowEditor.
  virtual void HideCellEditor() = 0;
  virtual void RestoreCellEditor() = 0;

  // --- the data rows and the client area ---
  virtual int RowCount() const = 0;
  virtual int TopRow() const = 0;
  /// The sender passed to events.
  virtual QObject* EventSender() = 0;
  virtual plat::paint::TRect ClientRect() const = 0;
  virtual int ClientHeight() const = 0;
  /// The host's update lock (the model adds its own paint lock).
  virtual bool PaintLocked() const = 0;

  // --- notifications from the description ---
  virtual void ColumnAdded(TwColumn* column) = 0;
  virtual void ColumnRemoving(TwColumn* column) = 0;
  /// The base rule of a column's CanModify.
  virtual bool ColumnCanModify(TwColumn* column) = 0;

  // --- carrying out the model's refresh requests ---
  virtual void InvalidateArea(const TwRepaintArea& area) = 0;
  virtual void UpdateScrollBars() = 0;
  virtual void RecomputeLayout() = 0;
};
