#pragma once
// TwCustomGrid: the grid control. It paints and handles input using only overridable data operations
// (RowCount, EditState, Selected, GetCellText, ...) that a data grid such as TMemGrid implements.
//
// This file holds the state every layer shares (current row and column, options, the update lock and the
// event nesting counter, the OnRowChange timer), the data operations, and the hooks of the in-place
// editing lifecycle and of repainting. Until the editors exist the editor hooks only keep the
// "editor showing" state. Repaint requests become the rectangles of the layout (TwGridExtents) handed to
// Qt's update of the viewport; both the requests and the rectangles are recorded for tests.
#include <QAbstractScrollArea>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/structure/grid_model.h"
#include "platform/persist/component.h"
#include "platform/variant/variant.h"

enum TwGridOption : std::uint8_t {
  wgoAlwaysShowEditor,
  wgoAlwaysShowSelection,
  wgoArrowMove,
  wgoCancelOnExit,
  wgoCellMoving,
  wgoCellSizing,
  wgoColMoving,
  wgoColSizing,
  wgoConfirmDelete,
  wgoDeleting,
  wgoEditing,
  wgoEnterToTab,
  wgoFocusRect,
  wgoInserting,
  wgoLevelSizing,
  wgoMultiSelect,
  wgoNoClickEdit,
  wgoNoScroll,
  wgoNullMark,
  wgoRowSelect,
  wgoRowSizing,
  wgoSkipReadOnly
};

// Set of TwGridOption; bit n is option n.
class TwGridOptions {
 public:
  constexpr TwGridOptions() = default;
  constexpr TwGridOptions(std::initializer_list<TwGridOption> l) {
    for (auto o : l) bits_ |= Bit(o);
  }
  constexpr bool Contains(TwGridOption o) const { return (bits_ & Bit(o)) != 0; }
  constexpr TwGridOptions& Include(TwGridOption o) {
    bits_ |= Bit(o);
    return *this;
  }
  constexpr TwGridOptions& Exclude(TwGridOption o) {
    bits_ &= ~Bit(o);
    return *this;
  }
  constexpr std::uint32_t Bits() const { return bits_; }
  friend constexpr bool operator==(TwGridOptions a, TwGridOptions b) { return a.bits_ == b.bits_; }

 private:
  static constexpr std::uint32_t Bit(TwGridOption o) { return std::uint32_t(1) << unsigned(o); }
  std::uint32_t bits_ = 0;
};

// Edit states of the current row.
enum : std::uint8_t { esBrowse = 0, esEdit = 1, esInsert = 2 };

using TNotifyEvent = std::function<void(QObject* Sender)>;

class TwCustomGrid : public QAbstractScrollArea, public TwGridModel {
  Q_OBJECT

 public:
  // One repaint request as the grid issued it; tests read them to check exactly what was repainted.
  struct RepaintRequest {
    enum Kind : std::uint8_t { Grid, Row, Cell };
    Kind What = Grid;
    int ARow = -1;
    int ACol = -1;
    friend bool operator==(const RepaintRequest&, const RepaintRequest&) = default;
  };

  TwCustomGrid(QWidget* parent, TwColumns::Factory columnFactory);
  ~TwCustomGrid() override;

  // The description (columns, lines, side columns, headers, footers, Font, GroupMode, FixedCount) and the
  // component state come from TwGridModel.

  // Ends loading from a form description: the grid lays itself out and the data grid prepares its store.
  virtual void Loaded();

  // --- current cell and options ---
  int Row() const { return row_; }
  virtual void SetRow(int ARow);
  int Col() const { return col_; }
  virtual void SetCol(int ACol);
  TwGridOptions Options() const { return options_; }
  virtual void SetOptions(TwGridOptions value);
  bool HasOption(TwGridOption o) const { return options_.Contains(o); }
  int ChangeDelay() const { return changeDelay_; }
  void SetChangeDelay(int ms) { changeDelay_ = ms < 0 ? 0 : ms; }
  int TopRow() const override { return topRow_; }
  virtual void SetTopRow(int value);
  // RowHeight (per mode) comes from TwGridModel.
  // Rows that fit entirely between the header band and the footers (at least 1).
  int VisibleRowCount() const;

  // --- data operations the data grid supplies ---
  int RowCount() const override { return 0; }
  virtual void SetRowCount(int) {}
  virtual std::uint8_t EditState() const { return esBrowse; }
  virtual bool Selected(int ARow) const { return false; }
  virtual void GetCellText(TwColumn* AColumn, int ARow, std::string& Text) { Text.clear(); }
  virtual int GetIndicatorGlyph(int ARow) { return 7; }
  virtual bool IsLastRow(int ARow) const { return RowCount() == ARow + 1; }
  virtual int GetRowNumber(int ARow) const { return ARow + 1; }
  virtual bool CanShowRowNo() const { return true; }
  virtual bool IsCellNull(TwColumn* AColumn, int ARow) { return true; }
  virtual bool GetCellChecked(TwColumn* AColumn, int ARow) { return false; }
  virtual int GetCellItemIndex(TwColumn* AColumn, int ARow) { return -1; }
  virtual plat::Variant GetEditValue(TwColumn* AColumn, int ARow) { return plat::Variant::Null(); }

  // --- in-place editing hooks ---
  // The editors come with the editing layer; until then these keep the "showing" state only.
  bool EditorShowing() const { return editorShowing_; }
  virtual void ShowEditor();
  virtual void HideEditor();
  // Writes the open editor's value into the current cell.
  virtual void CommitEdit() {}
  // Reloads the current cell's value into the open editor.
  virtual void RefreshEditor() {}
  virtual void SelectEditorText() {}
  virtual void UpdateEditButton() {}
  // The editor of a column has a cell of ARow open.
  bool EditorShowsCell(int ACol, int ARow) const { return editorShowing_ && ACol == col_ && ARow == row_; }

  // --- update lock and event nesting ---
  void BeginUpdate() { ++updateLock_; }
  void EndUpdate(bool repaint = true);
  bool UpdateLocked() const { return updateLock_ > 0; }
  int EventNesting() const { return eventNesting_; }

  // --- repaint requests ---
  void InvalidateGrid();
  void InvalidateRow(int ARow);
  void InvalidateCell(int ACol, int ARow);
  const std::vector<RepaintRequest>& RepaintLog() const { return repaintLog_; }
  // The viewport rectangles handed to Qt's update for the requests above and the description's areas
  // (a request whose area shows nothing hands none).
  const std::vector<TRect>& UpdatedRects() const { return updatedRects_; }
  void ClearRepaintLog();
  // Scroll ranges follow RowCount and the visible rows; TopRow is kept in range.
  virtual void UpdateScrollRange();
  // Brings ARow into view unless wgoNoScroll is set.
  void ScrollRowIntoView(int ARow);

  // --- OnRowChange delay ---
  // Drops a pending timer; with ChangeDelay > 0 starts a one-shot timer that fires OnRowChange.
  void ScheduleRowChange();
  void CancelRowChange();
  bool RowChangePending() const { return rowChangeTimer_ != 0; }
  // What the timer does when it elapses (tests call it to avoid waiting).
  void RowChangeTimerElapsed();
  bool RowChangeRunning() const { return rowChangeRunning_; }
  void FireRowChange();

  TNotifyEvent OnRowChange;
  TNotifyEvent OnSelectionChange;

  // TwGridModel: what the description asks of the grid
  bool ColumnCanModify(TwColumn* column) override { return true; }
  bool SkipReadOnly() const override { return options_.Contains(wgoSkipReadOnly); }
  int CurrentColumnIndex() const override { return col_; }
  void SetCurrentVisibleColumn(int visibleIndex) override;
  void SetCurrentCell(const TwCellPos& pos) override;
  void HideCellEditor() override { HideEditor(); }
  void RestoreCellEditor() override;
  QObject* EventSender() override { return this; }
  TRect ClientRect() const override;
  int ClientHeight() const override;
  bool PaintLocked() const override { return UpdateLocked() || TwGridModel::PaintLocked(); }

 protected:
  void SetRowField(int r) { row_ = r; }
  void SetColField(int c) { col_ = c; }
  void SetEditorShowing(bool v) { editorShowing_ = v; }
  void FireSelectionChange();
  struct EventNestingScope {
    explicit EventNestingScope(TwCustomGrid* g) : grid(g) { ++grid->eventNesting_; }
    ~EventNestingScope() { --grid->eventNesting_; }
    TwCustomGrid* grid;
  };

  void paintEvent(QPaintEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  // TwGridModel: carrying out the description's refresh requests.
  void InvalidateArea(const TwRepaintArea& area) override;
  void UpdateScrollBars() override { UpdateScrollRange(); }
  void RecomputeLayout() override;

 private:
  void Record(RepaintRequest r);
  // Hands a rectangle to Qt's update and records it.
  void UpdateRect(const TRect& r);

  int row_ = 0;
  int col_ = 0;
  int topRow_ = 0;
  TwGridOptions options_{wgoArrowMove, wgoConfirmDelete, wgoEnterToTab, wgoFocusRect};
  int changeDelay_ = 200;
  int updateLock_ = 0;
  int eventNesting_ = 0;
  bool editorShowing_ = false;
  int rowChangeTimer_ = 0;
  bool rowChangeRunning_ = false;
  bool syncingScrollBar_ = false;
  bool scrollRangePending_ = false;
  std::vector<RepaintRequest> repaintLog_;
  std::vector<TRect> updatedRects_;
};
