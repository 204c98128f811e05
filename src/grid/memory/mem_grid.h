#pragma once
// TMemGrid: the grid whose rows live in memory, column by column (TwMemColumn pools), with a
// dataset-like editing life cycle for the current row (browse, edit, insert, post, cancel, delete),
// multi-row selection and the data operations the base grid paints and navigates with.
//
// Row numbers are 0-based. While a row is being inserted (EditState 2) it exists only in the edit
// buffers at index Row; grid rows after it map to store rows one lower, and RowCount counts it.
#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/memory/cells.h"
#include "grid/memory/mem_column.h"
#include "grid/memory/mem_sort.h"
#include "grid/memory/row_infos.h"
#include "grid/view/custom_grid.h"

class TMemGrid : public TwCustomGrid {
  Q_OBJECT

 public:
  using TweBoolEvent = std::function<void(QObject* Sender, bool bAppend)>;
  using TweDeleteRowEvent = std::function<void(QObject* Sender, int ARow, bool& bAccept)>;
  using TweValueChangingEvent = std::function<void(TwMemColumn* AColumn, const plat::Variant& NewValue)>;
  using TweValueChangedEvent = std::function<void(TwMemColumn* AColumn)>;
  using TweGetTextEvent = std::function<void(TwMemColumn* AColumn, int ARow, std::string& Text)>;
  using TweImageEvent = std::function<void(TwMemColumn* AColumn, int ARow, QImage& Image)>;
  using TweGetImageIndexEvent = std::function<void(TwMemColumn* AColumn, int ARow, int& Index)>;
  using TweCalcFootersEvent = std::function<void(QObject* Sender, bool& Default)>;

  explicit TMemGrid(QWidget* parent = nullptr);
  ~TMemGrid() override;

  TwMemColumn* Column(int i) const { return static_cast<TwMemColumn*>(Model().Columns().Items(i)); }
  int ColumnCount() const { return Model().Columns().Count(); }
  TwMemColumn* AddColumn() { return static_cast<TwMemColumn*>(Model().Columns().Add()); }

  // --- published properties ---
  bool AutoCalcFooters() const { return autoCalcFooters_; }
  void SetAutoCalcFooters(bool v) { autoCalcFooters_ = v; }
  bool CheckRowState() const { return checkRowState_; }
  void SetCheckRowState(bool v) { checkRowState_ = v; }
  bool SoftDeleting() const { return softDeleting_; }
  void SetSoftDeleting(bool v) { softDeleting_ = v; }
  int MaxRowCount() const { return maxRowCount_; }
  void SetMaxRowCount(int v) { maxRowCount_ = v < 0 ? 0 : v; }
  bool Modified() const { return modified_; }

  // --- rows and cells ---
  int RowCount() const override;
  void SetRowCount(int n) override;
  TwEditState EditState() const override { return editState_; }
  TwCells& Cells(int ACol, int ARow);
  void ClearRows();
  void InsertRow(int ARow, bool ApplyDefaults, bool MarkInserted, bool FireNewRow);
  void AppendRow(bool ApplyDefaults, bool MarkInserted, bool FireNewRow) {
    InsertRow(RowCount(), ApplyDefaults, MarkInserted, FireNewRow);
  }
  void DeleteRow(int ARow, int ACount, bool Notify);
  /// Deletes the rows named, in any order (repeats and rows out of range are left out), each column moved
  /// once however scattered they are; the current row stays where it was, within the new count.
  void DeleteRows(std::vector<int> rows, bool Notify);
  void SetRow(int ARow) override;
  /// Taking wgoMultiSelect away clears the selection (raising OnSelectionChange when there was one).
  void SetOptions(TwGridOptions value) override;
  TwRowState RowState(int ARow) const;
  void SetRowState(int ARow, TwRowState state);

  // --- sorting ---
  /// Reorders the rows by the keys, the first deciding first, ties kept in their order (a stable sort);
  /// ticks, states, selection and every column's value travel with their row, and the current record stays
  /// current. A row being edited is posted first.
  void SortRows(const std::vector<TwSortKey>& keys);
  /// The order SortRows would give: position i holds the row that goes there.
  std::vector<int> SortedOrder(const std::vector<TwSortKey>& keys);

  // --- editing life cycle of the current row ---
  bool Edit();
  void Insert(bool bAppend);
  void Post();
  void Cancel();
  void DeleteCurrent();
  void DeleteSelectedRows();
  bool CanDelete() const { return RowCount() > 0 && HasOption(wgoDeleting); }
  /// CalcFooters when AutoCalcFooters, then OnDataChanged.
  void DataChanged();
  /// OnCalcFooters may take the work over (Default := false); otherwise every footer row with an aggregate
  /// of every column is computed into its stored text. OnAfterCalcFooters follows unless a condition value
  /// raised its conversion error.
  void CalcFooters();
  /// A footer aggregate's text formatted as the column formats a cell's text for display.
  std::string FooterDisplayText(const TwMemColumn& column, const std::string& text) const;

  // --- selection ---
  bool Selected(int ARow) const override;
  void SetSelected(int ARow, bool Value);
  int SelectedCount() const { return HasOption(wgoMultiSelect) ? infos_.SelectedCount() : 0; }
  void ClearSelection();
  void SelectRange(int a, int b);
  void ExtendSelection(int r);
  /// The selection step after a move of the current row with modifier keys.
  void SelectAfterMove(bool ctrl, bool shift);
  bool AnchorActive() const { return anchorActive_; }
  int SelectionAnchor() const { return anchor_; }

  // --- data operations of the base grid ---
  void GetCellText(TwColumn* AColumn, int ARow, std::string& Text) override;
  TwIndicatorGlyph GetIndicatorGlyph(int ARow) override;
  bool IsCellNull(TwColumn* AColumn, int ARow) override;
  bool GetCellChecked(TwColumn* AColumn, int ARow) override;
  int GetCellItemIndex(TwColumn* AColumn, int ARow) override;
  plat::Variant GetEditValue(TwColumn* AColumn, int ARow) override;
  /// The memo dialog hands back its text; the picture dialog its picture.
  void SetMemoText(const std::string& text) override;
  void SetPicture(QImage& picture) override;
  /// Writes the open editor's value into the cell it edits (the row being edited or inserted).
  bool CommitEdit() override;
  /// The picture of a graphic cell from OnGetImage, or none.
  const QImage* GetCellGraphic(TwColumn* AColumn, int ARow) override;
  /// The image of a cell in its column's image list: the index of its value in Values, changed by
  /// OnGetImageIndex; -1 for none.
  int GetCellImageIndex(TwColumn* AColumn, int ARow) override;
  /// Repaints the data area when rows are selected, the current row with wgoRowSelect, else the cell.
  void InvalidateCurrent() override;

  void Loaded() override;

  /// Whether the store holds together: the row infos are consistent and every prepared pool holds as many
  /// rows as they do, within a capacity of whole blocks of 16. True when it does; otherwise Problem says
  /// what broke, in words. Tests call it after every change.
  struct TwConsistency {
    std::string Problem;
    explicit operator bool() const { return Problem.empty(); }
  };
  TwConsistency CheckConsistency() const;
  const TwRowInfos& RowInfos() const { return infos_; }
  std::size_t MemoryUsed() const;

  // --- events ---
  TNotifyEvent OnRowEnter, OnRowExit, OnNewRow, OnBeforeEdit, OnAfterEdit, OnBeforePost, OnAfterPost,
      OnBeforeCancel, OnAfterCancel, OnBeforeDelete, OnAfterDelete, OnCalcColumns, OnAfterCalcFooters,
      OnDataChanged;
  TweBoolEvent OnBeforeInsert, OnAfterInsert;
  TweDeleteRowEvent OnDeleteRow;
  TweValueChangingEvent OnValueChanging;
  TweValueChangedEvent OnValueChanged;
  TweGetTextEvent OnGetText;
  TweImageEvent OnGetImage, OnSetImage;
  TweGetImageIndexEvent OnGetImageIndex;
  TweCalcFootersEvent OnCalcFooters;

  // --- keyboard, rows by keys and mouse (mem_grid_input.cpp) ---
  /// Insert, Ctrl+Delete (with its question), F3, after the grid's own keys.
  void KeyDown(int& Key, plat::ui::TShiftState Shift) override;
  /// Esc cancels the row edit.
  void KeyPress(char32_t& Key) override;
  /// Down and Up by N rows: inserting, appending, the Shift selection from the anchor, cells below/above.
  void MoveDown(int N, plat::ui::TShiftState Shift) override;
  void MoveUp(int N, plat::ui::TShiftState Shift) override;
  /// CM_EXIT: with wgoCancelOnExit an untouched new row is cancelled.
  void DoExit() override;
  /// Ctrl+Delete: asks (wgoConfirmDelete) and deletes the selected rows or the current one.
  void DeleteByKey();
  /// F3: the value of the cell above into the current cell.
  void CopyCellAbove();

 protected:
  /// TwGridModelHost
  void ColumnAdded(TwColumn* column) override;
  bool ColumnCanModify(TwColumn* column) override;
  void RequestInsert(bool bAppend) override { Insert(bAppend); }
  void SelectionStep(plat::ui::TShiftState Shift) override;

 private:
  friend class TwCells;
  /// What the grid shows for a value of a column (null, value texts, display and edit formats, OnGetText).
  void DisplayTextOf(TwMemColumn& column, const TwValueSlot& slot, int storeRow, std::string& text);
  /// The store row of grid row r (one lower after a row being inserted).
  int StoreRow(int r) const { return (editState_ == esInsert && r > Row()) ? r - 1 : r; }
  /// A write of the current row's edit buffer happened: note it and repaint the cell.
  void BufferValueChanged(TwMemColumn* column, int ACol);
  void CellWrittenInPool(int ACol, int ARow);
  void Fire(const TNotifyEvent& e) {
    if (e) e(this);
  }
  void AfterDeleteEvents();
  /// After rows left the store: the view, the current row and (Notify) the footers follow.
  void RowsDeleted(bool Notify);
  void SetCount(int n);

  TwRowInfos infos_;
  TwCells cells_{this};
  bool autoCalcFooters_ = true;
  bool checkRowState_ = true;
  bool softDeleting_ = false;
  int maxRowCount_ = 0;
  TwEditState editState_ = esBrowse;
  bool modified_ = false;
  int designRowCount_ = 0;
  int anchor_ = 0;
  int lastSelected_ = 0;
  bool anchorActive_ = false;
  bool inRowExit_ = false;
  QImage sharedGraphic_;
};
