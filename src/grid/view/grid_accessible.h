#pragma once
// Screen-reader access to the grid: Qt's accessibility interfaces for tables, made for every TwCustomGrid
// through a factory the grid installs on its first construction.
//
//   TwGridAccessible       the grid as a table (QAccessibleTableInterface): rows are data rows; the table's
//                          columns are the visible columns (column mode) or, in group mode, the columns of
//                          the visible groups level by level, group after group.
//   TwGridCellAccessible   one data cell: its text as painted (GetCellText), focused for the current cell,
//                          selected for a selected row, checkable and checked for a check box or boolean
//                          cell, whose press and toggle actions click it.
//   TwGridHeaderAccessible a column title, or in group mode a group title over its columns (ColumnHeader).
//
// Children of the table: the column titles (one per table column), then in group mode the group titles,
// then the cells row by row. Child interfaces are made on demand and kept in a small cache keyed by their
// place; the oldest one is released when the cache is full, and all of them when the rows change (a model
// reset), so that a million rows never mean a million objects. A released interface's id is given back
// to Qt (deleteAccessibleInterface); a client that kept it finds it gone and asks again.
//
// The grid tells the interfaces what changed through the four hooks below. They send events only while an
// accessibility client is active (QAccessible::isActive); a change of the rows releases the cached children
// of a grid whose table interface exists in any case.
#include <QAccessibleWidget>
#include <QPointer>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

class TwCustomGrid;
class TwColumn;

/// Installs the factory that gives every TwCustomGrid its table interface (once per program).
void TwInstallGridAccessibility();
/// The current cell moved or the grid took the focus: the current cell's interface gets the focus event
/// (after the move is complete; a row and a column change made as one move give one event).
void TwAccessibleCurrentCellMoved(TwCustomGrid* grid);
/// A cell's value was written (ACol: the column's collection index): a value change event for the cell when
/// it is the current one or a client has asked for it.
void TwAccessibleCellValueChanged(TwCustomGrid* grid, int ACol, int ARow);
/// Rows were loaded, inserted, deleted or sorted: one model reset (coalesced until the event loop runs).
void TwAccessibleRowsChanged(TwCustomGrid* grid);
/// The selected rows changed.
void TwAccessibleSelectionChanged(TwCustomGrid* grid);

class TwGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  /// Child interfaces kept at most; the oldest goes first when a new one is needed.
  static constexpr int kCacheCapacity = 256;

  explicit TwGridAccessible(TwCustomGrid* grid);
  ~TwGridAccessible() override;

  TwCustomGrid* Grid() const;
  /// The table's columns in their order (see the map at the top).
  std::vector<TwColumn*> TableColumns() const;
  /// The table column of a column, -1 when it is not shown.
  int TableColumnOf(const TwColumn* column) const;
  /// Child interfaces held now.
  int CachedCount() const { return int(cache_.size()); }
  /// The table interface Qt made for the grid, if it made one (none is made here).
  static TwGridAccessible* Existing(const TwCustomGrid* grid);

  /// QAccessibleInterface
  void* interface_cast(QAccessible::InterfaceType t) override;
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* focusChild() const override;
  QAccessibleInterface* childAt(int x, int y) const override;

  /// QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override;
  QString columnDescription(int column) const override;
  QString rowDescription(int row) const override;
  int columnCount() const override;
  int rowCount() const override;
  int selectedCellCount() const override;
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override;
  QList<QAccessibleInterface*> selectedCells() const override;
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override;
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override;
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent* event) override;

  /// The title of a table column, and in group mode the title of a visible group (by its visible index).
  QAccessibleInterface* ColumnHeader(int column) const;
  QAccessibleInterface* GroupHeader(int group) const;
  /// The data cell's interface if one is held now (no new one is made).
  QAccessibleInterface* HeldCell(int row, int column) const;
  /// Gives every child interface back to Qt.
  void ReleaseChildren();

  /// What the hooks schedule: one focus event and one model reset each, sent when the event loop runs.
  bool focusPending = false;
  bool resetPending = false;

 private:
  /// Child places: row >= 0 a data cell; kColumnTitle a column title (column = table column); kGroupTitle a
  /// group title (column = visible group index).
  static constexpr int kColumnTitle = -1, kGroupTitle = -2;
  static std::uint64_t Key(int row, int column) {
    return (std::uint64_t(std::uint32_t(row)) << 32) | std::uint32_t(column);
  }
  QAccessibleInterface* Held(int row, int column) const;
  /// Registers a new child interface, releasing the oldest one first when the cache is full.
  QAccessibleInterface* Keep(int row, int column, QAccessibleInterface* iface) const;
  int GroupHeaderCount() const;

  mutable std::unordered_map<std::uint64_t, QAccessible::Id> cache_;
  mutable std::deque<std::uint64_t> order_;  ///< oldest first
};
