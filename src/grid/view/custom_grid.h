#pragma once
// TwCustomGrid: the grid control. It paints and handles input using only overridable data operations
// (RowCount, EditState, Selected, GetCellText, ...) that a data grid such as TMemGrid implements.
//
// The grid holds what every role shares and what a descendant overrides: its description model (Model()),
// the current row and column, the options, the update lock and the event nesting counter, the OnRowChange
// timer, the data operations, the overridable handlers and steps (KeyDown, KeyPress, MoveDown, DoExit,
// ShowEditor, CommitEdit, DrawCell, InvalidateCurrent, ...), the events its users assign, and repaint
// requests, which become the rectangles of the layout (TwGridExtents) handed to Qt's update of the
// viewport; an installed TwGridObserver hears of both. Three roles are classes of their own, each held by
// the grid and reached through an accessor:
//   - Input() (TwGridInput, grid_input.h): Qt's key and mouse events, the hit tests, the drag state machine
//     with its feedback, click reporting (grid_input.cpp, grid_sizing.cpp);
//   - Editing() (TwEditSession, edit_session.h): the in-place editing life cycle, the editor registry and
//     host, the edit button, the dialogs, the focus the grid shares with its editor;
//   - Painter() (TwGridPainter, grid_paint.h): painting the viewport, the cell renderers.
// Navigation, scrolling and the default key table are the grid's own (grid_navigation.cpp), as are its
// sides of editing (grid_editing.cpp) and of painting (custom_grid.cpp).
#include <QAbstractScrollArea>
#include <QRect>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/structure/grid_model.h"
#include "grid/view/grid_paint.h"
#include "grid/view/inplace_editor.h"
#include "platform/paint/color.h"
#include "platform/persist/component.h"
#include "platform/ui/keys.h"
#include "platform/variant/variant.h"

struct TwCellRecord;  ///< grid/view/cell_walk.h
class TwGridPainter;  ///< grid/view/grid_paint.h
class TwEditSession;  ///< grid/view/edit_session.h
class TwGridInput;    ///< grid/view/grid_input.h

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

/// Set of TwGridOption; bit n is option n.
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

/// Edit states of the current row.
enum class TwEditState : std::uint8_t { esBrowse = 0, esEdit = 1, esInsert = 2 };
using enum TwEditState;

using TNotifyEvent = std::function<void(QObject* Sender)>;

// --- navigation, scrolling, sizing and moving (grid_navigation.cpp, grid_input.cpp, grid_sizing.cpp) ---
enum class TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
using enum TScrollStyle;
enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };
using enum TBorderStyle;

/// The interaction state: what a left-button press started. Press, move, release and Esc switch on it.
enum class TwGridState : std::uint8_t {
  wgsNone,
  wgsIndicatorSizing,  ///< 1: width of the indicator column
  wgsMarkerSizing,     ///< 2: width of the marker column
  wgsHeaderSizing,     ///< 3: height of the title area
  wgsFooterSizing,     ///< 4: height of one footer row
  wgsRowSizing,        ///< 5: RowHeight
  wgsColSizing,        ///< 6: width of a column (column mode) or a group (group mode)
  wgsCellSizing,       ///< 7: width of one cell of a group
  wgsLevelSizing,      ///< 8: height of a group's title row or weight of a level
  wgsColMoving,        ///< 9: moving a column or a group
  wgsCellMoving,       ///< 10: moving a cell inside the groups
  wgsHeaderTitleDown,  ///< title presses: the header corner,
  wgsColTitleDown,     ///<   a column title (column mode),
  wgsCellTitleDown,    ///<   a column title inside a group,
  wgsGroupTitleDown,   ///<   a group title,
  wgsFooterTitleDown   ///<   a footer title
};
using enum TwGridState;

/// What the grid keeps of the drag or title press in progress.
struct TwGridDrag {
  TwGridState State = wgsNone;
  /// Sizing: the edge's start and current position (x or y), the mouse's offset from the edge.
  int StartPos = 0, CurPos = 0, Offset = 0;
  /// The band (display index), the visible footer index, or the group band with its level (-1 title row).
  int Band = -1, Footer = -1, Level = -1;
  /// Cell sizing and moving: the cell; moving: source and target (bands in SourceBand/TargetBand).
  TwCellPos Cell, Source, Target;
  int SourceBand = -1, TargetBand = -1;
  /// Cell moving: the drop marker rectangle (empty when none).
  QRect Marker;
  /// Sizing: the feedback line runs from From to To across the other axis (vertical: x = CurPos).
  bool Vertical = true;
  int From = 0, To = 0;
  /// Title presses: the title still shows pressed (the mouse is over it).
  bool Pressed = false;
  /// The feedback currently shown (a line or two bands), so that it can be taken away.
  bool FeedbackShown = false;
};

/// The part of the grid a point lies in.
enum class TwGridRegion : std::uint8_t {
  None,          ///< outside every cell (the background, below the last row, no layout)
  HeaderCorner,  ///< the header title over the indicator and marker columns
  Title,         ///< a column title
  GroupTitle,    ///< a group title (group mode)
  Indicator,     ///< the indicator cell of a data row
  Marker,        ///< the marker cell of a data row
  Data,          ///< a data cell
  FooterTitle,   ///< a footer row's title over the indicator and marker columns
  Footer         ///< a footer cell
};

/// What lies under a point of the viewport.
struct TwGridHit {
  TwGridRegion Region = TwGridRegion::None;
  /// Display index: -2 indicator, -1 marker, then the visible columns or groups; -1 when none.
  int Band = -1;
  /// Collection index of the column under the point, -1 when none.
  int Column = -1;
  /// Group mode: the cell (group band, level, index in level).
  TwCellPos Cell;
  /// The data row (Indicator, Marker, Data), -1 otherwise.
  int Row = -1;
  /// The visible footer index (FooterTitle, Footer), -1 otherwise.
  int Footer = -1;
  /// What a left press there started: wgsNone for a plain press, else a sizing, moving or title press.
  TwGridState Started = wgsNone;
};

class TwCustomGrid : public QAbstractScrollArea, private TwGridModelHost {
  Q_OBJECT

 public:
  using RepaintRequest = TwRepaintRequest;

  TwCustomGrid(QWidget* parent, TwColumns::Factory columnFactory);
  ~TwCustomGrid() override;

  /// The description (columns, lines, side columns, headers, footers, Font, GroupMode, FixedCount) and the
  /// component state: the grid's model, whose host the grid is.
  TwGridModel& Model() { return model_; }
  const TwGridModel& Model() const { return model_; }

  /// Ends loading from a form description: the grid lays itself out and the data grid prepares its store.
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
  /// A negative value is stored as 0; taking the delay away drops a pending OnRowChange timer.
  void SetChangeDelay(int ms) {
    changeDelay_ = ms < 0 ? 0 : ms;
    if (changeDelay_ == 0) CancelRowChange();
  }
  int TopRow() const override { return topRow_; }
  virtual void SetTopRow(int value);
  /// RowHeight (per mode) comes from the model.
  /// Rows that fit entirely between the header band and the footers (at least 1).
  int VisibleRowCount() const;

  // --- data operations the data grid supplies ---
  int RowCount() const override { return 0; }
  virtual void SetRowCount(int) {}
  virtual TwEditState EditState() const { return esBrowse; }
  virtual bool Selected(int ARow) const { return false; }
  virtual void GetCellText(TwColumn* AColumn, int ARow, std::string& Text) { Text.clear(); }
  virtual TwIndicatorGlyph GetIndicatorGlyph(int ARow) { return wigNone; }
  virtual bool IsLastRow(int ARow) const { return RowCount() == ARow + 1; }
  virtual int GetRowNumber(int ARow) const { return ARow + 1; }
  virtual bool CanShowRowNo() const { return true; }
  virtual bool IsCellNull(TwColumn* AColumn, int ARow) { return true; }
  virtual bool GetCellChecked(TwColumn* AColumn, int ARow) { return false; }
  virtual int GetCellItemIndex(TwColumn* AColumn, int ARow) { return -1; }
  virtual plat::Variant GetEditValue(TwColumn* AColumn, int ARow) { return plat::Variant::Null(); }

  // --- in-place editing (grid_editing.cpp) ---
  /// One editor per edit kind, made through MakeEditor on first use and kept hidden for the grid's life; the
  /// open one lies over the current cell. Memo and picture cells open modal dialogs instead.
  bool EditorMode() const;
  bool EditorShowing() const { return EditorMode(); }
  /// The edit session: the open editor and the cell it edits, placing and reading it, the edit button, the
  /// dialogs, the editor registry and host, the focus shared with the editor (edit_session.h).
  TwEditSession& Editing() { return *editing_; }
  const TwEditSession& Editing() const { return *editing_; }
  /// Opens the editor on the current cell when the update lock, the options, the focus, the fixed bands and
  /// the column allow it; does nothing otherwise.
  virtual void ShowEditor();
  /// The grid-level permission: not designing, focused, something to show, rows, and wgoEditing or
  /// wgoInserting.
  virtual bool CanEditorShow() const;
  /// Makes (or reuses) the editor of the column's kind; false when there is none for it.
  virtual bool CreateEditor(TwColumn* AColumn);
  /// The editor of a kind: the registered standard editors; the two descendant list kinds come from
  /// CreateListEditor1 and CreateListEditor2.
  virtual std::unique_ptr<TwInplaceEditor> MakeEditor(TwEditKind kind);
  virtual std::unique_ptr<TwInplaceEditor> CreateListEditor1() { return nullptr; }
  virtual std::unique_ptr<TwInplaceEditor> CreateListEditor2() { return nullptr; }
  /// The memo and picture dialogs (kinds 13 and 14).
  virtual std::unique_ptr<TwCellDialog> MakeCellDialog(TwEditKind kind);
  virtual void HideEditor();
  /// Writes the open editor's value into the cell it edits; true when it did (the data grid's part).
  virtual bool CommitEdit() { return false; }
  /// Reloads the current cell's value into the open editor and commits again.
  virtual void RefreshEditor();
  /// Selects the whole text of a text-like editor; the F2 variant removes the selection instead.
  virtual void SelectEditorText(bool F2 = false);
  /// The edit button of the current cell: placed on it or hidden.
  virtual void UpdateEditButton();
  /// The dialogs hand their result back (the data grid writes the cell).
  virtual void SetMemoText(const std::string& text) {}
  virtual void SetPicture(QImage& picture) {}
  /// The key step of a double click in an editor (the grid's DblClick).
  virtual void DblClick();

  using TweEdit = std::function<void(QObject* Sender, TwColumn* AColumn, bool& Accept)>;
  using TweCloseUp = std::function<void(QObject* Sender, bool bAccept)>;
  TweEdit OnEdit;
  std::function<void(QObject* Sender, TwColumn* AColumn)> OnEditButtonClick;
  /// A list editor opened or closed its list.
  TNotifyEvent OnDropDown;
  TweCloseUp OnCloseUp;
  /// The picture of a row of a column's drop-down list (Index comes in as -1: none).
  std::function<void(QObject* Sender, TwColumn* AColumn, int Row, int& Index)> OnGetListImageIndex;

  // --- update lock and event nesting ---
  void BeginUpdate() { ++updateLock_; }
  void EndUpdate(bool repaint = true);
  bool UpdateLocked() const { return updateLock_ > 0; }
  int EventNesting() const { return eventNesting_; }

  // --- repaint requests ---
  void InvalidateGrid();
  void InvalidateRow(int ARow);
  void InvalidateCell(int ACol, int ARow);
  /// Hands a rectangle of the viewport to Qt's update (and tells the observer).
  void UpdateRect(const TRect& r);
  /// Scroll ranges follow RowCount and the visible rows; TopRow is kept in range.
  virtual void UpdateScrollRange();
  /// Brings ARow into view unless wgoNoScroll is set.
  void ScrollRowIntoView(int ARow);

  // --- OnRowChange delay ---
  /// Drops a pending timer; with ChangeDelay > 0 starts a one-shot timer that fires OnRowChange.
  void ScheduleRowChange();
  void CancelRowChange();
  bool RowChangePending() const { return rowChangeTimer_ != 0; }
  /// What the timer does when it elapses (tests call it to avoid waiting).
  void RowChangeTimerElapsed();
  bool RowChangeRunning() const { return rowChangeRunning_; }
  void FireRowChange();

  TNotifyEvent OnRowChange;
  TNotifyEvent OnSelectionChange;

  // ===== navigation, selection, scrolling and the input handlers (grid_navigation.cpp; Qt's events come
  /// through the input, grid_input.h) =====
  using TweColumn = std::function<void(QObject* Sender, TwColumn* AColumn)>;
  using TweGroup = std::function<void(QObject* Sender, TwGroup* AGroup)>;
  using TweRow = std::function<void(QObject* Sender, int ARow)>;
  using TweLevel = std::function<void(QObject* Sender, TwGroup* AGroup, int ALevel)>;
  using TKeyEvent = std::function<void(QObject* Sender, int& Key, plat::ui::TShiftState Shift)>;
  using TKeyPressEvent = std::function<void(QObject* Sender, char32_t& Key)>;
  using TMouseEvent = std::function<void(QObject* Sender, plat::ui::TMouseButton Button,
                                         plat::ui::TShiftState Shift, int X, int Y)>;

  /// Group mode: makes the cell current (a cell of a fixed group moves on unless wfxSelecting).
  void SetCell(const TwCellPos& ACell);
  /// One move to another row and column (or cell): the row first, then the column.
  void SetColRow(int ACol, int ARow);
  void SetCellRow(const TwCellPos& ACell, int ARow);
  /// The Enter-to-tab step: the next column or cell, or the first one of the next row.
  void MoveToNextCell();
  /// Down and Up by N rows (the Down/Up/PgDn/PgUp keys); the data grid adds inserting and the selection.
  virtual void MoveDown(int N, plat::ui::TShiftState Shift);
  virtual void MoveUp(int N, plat::ui::TShiftState Shift);

  /// The input handlers (Windows virtual-key numbers, viewport coordinates).
  virtual void KeyDown(int& Key, plat::ui::TShiftState Shift);
  virtual void KeyPress(char32_t& Key);
  virtual void MouseDown(plat::ui::TMouseButton Button, plat::ui::TShiftState Shift, int X, int Y);
  virtual void MouseMove(plat::ui::TShiftState Shift, int X, int Y);
  virtual void MouseUp(plat::ui::TMouseButton Button, plat::ui::TShiftState Shift, int X, int Y);
  /// One wheel message (negative delta: towards the user); false when the position is outside the client.
  virtual bool DoMouseWheel(int WheelDelta, int X, int Y);
  /// The focus leaves the grid (CM_EXIT): the open editor's value is committed and the editor hidden.
  virtual void DoExit();
  /// The keyboard and mouse input: hit tests, the drag in progress, click reporting (grid_input.h).
  TwGridInput& Input() { return *input_; }
  const TwGridInput& Input() const { return *input_; }

  /// Scroll bars: a line/page/thumb action as the scroll bars deliver it (QAbstractSlider::SliderAction).
  void HorzScrollAction(int action, int trackPos);
  void VertScrollAction(int action, int trackPos);
  /// Pixels the scrolling bands are shifted left; the area right of the fixed bands is scrolled.
  void SetHorzOffset(int v);
  /// HorzOffset so that visible band B is the first scrolling band shown.
  void ScrollToBand(int B);
  /// The first scrolling band that shows (at or right of the fixed area), -1 when none.
  int FirstVisibleScrollBand() const;
  /// Brings the current column (or cell) into view unless wgoNoScroll.
  void ScrollColumnIntoView();

  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool v);

  TNotifyEvent OnCellEnter, OnCellExit, OnClick, OnDblClick, OnEnter, OnExit, OnHeaderTitleClick;
  TweColumn OnColumnTitleClick, OnColumnSizing;
  TweGroup OnGroupTitleClick, OnGroupSizing;
  TweRow OnFooterTitleClick, OnMarkerClick;
  TweLevel OnLevelSizing;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TMouseEvent OnMouseDown, OnMouseUp;

  // --- painting (the grid's side, custom_grid.cpp; the painter, grid_paint.h) ---
  /// Background and text colour of selected cells and of the current cell.
  TColor SelBgColor() const { return selBgColor_; }
  void SetSelBgColor(TColor v);
  TColor SelFgColor() const { return selFgColor_; }
  void SetSelFgColor(TColor v);
  /// The in-place editor has the keyboard focus, or the grid is the focus control of its window.
  bool IsGridFocused() const;
  /// Repaints what shows the current cell (the whole control here; the data grid narrows it).
  virtual void InvalidateCurrent();
  /// The one place a data cell is painted (from its record of the cell walk), and one row's cells between
  /// two bands; only while a paint runs.
  virtual void DrawCell(const TwCellRecord& Cell, bool CallRowEvent, bool CallCellEvent);
  virtual void DrawRow(int ARow, bool WithIndicator, int LastBand, int FirstBand, bool WithMarker);
  /// The painter: PaintTo (tests paint into images), the cell renderers, the current cell's change
  /// (grid_paint.h).
  TwGridPainter& Painter() { return *painter_; }
  const TwGridPainter& Painter() const { return *painter_; }
  /// Picture and image index of a cell (the data grid supplies them).
  virtual const QImage* GetCellGraphic(TwColumn* AColumn, int ARow) { return nullptr; }
  virtual int GetCellImageIndex(TwColumn* AColumn, int ARow) { return -1; }

  TweDrawRow OnDrawRow;
  TweDrawCell OnDrawCell;
  TweDrawIndi OnDrawIndicator;
  TweDrawMark OnDrawMarker;
  TweDrawFooter OnDrawFooter;

 protected:
  /// TwGridModelHost: what the description asks of the grid (the model asks through Model()).
  /// A row that is not yet being edited or inserted asks OnEdit before its first change.
  bool ColumnCanModify(TwColumn* column) override;
  bool SkipReadOnly() const override { return options_.Contains(wgoSkipReadOnly); }
  int CurrentColumnIndex() const override { return col_; }
  void SetCurrentVisibleColumn(int visibleIndex) override;
  void SetCurrentCell(const TwCellPos& pos) override;
  void CurrentColumnHidden(int oldVisibleIndex) override;
  void HideCellEditor() override { HideEditor(); }
  void RestoreCellEditor() override;
  QObject* EventSender() override { return this; }
  TRect ClientRect() const override;
  int ClientHeight() const override;
  /// The update lock (the model adds its own paint lock).
  bool PaintLocked() const override { return UpdateLocked(); }
  void ColumnAdded(TwColumn* column) override {}
  void ColumnRemoving(TwColumn* column) override {}

  void SetRowField(int r) { row_ = r; }
  void SetColField(int c) { col_ = c; }
  void FireSelectionChange();
  struct EventNestingScope {
    explicit EventNestingScope(TwCustomGrid* g) : grid(g) { ++grid->eventNesting_; }
    ~EventNestingScope() { --grid->eventNesting_; }
    TwCustomGrid* grid;
  };

  // --- navigation hooks the data grid fills (grid_navigation.cpp) ---
  /// Asks for a new row (appended or inserted before Row); the data grid checks wgoInserting.
  virtual void RequestInsert(bool bAppend) {}
  /// The selection step after a mouse move of the current row.
  virtual void SelectionStep(plat::ui::TShiftState Shift) {}
  /// Whether a character typed while browsing opens the editor: the grid allows editing or inserting, and
  /// the current column takes the character (IsValidChar) and may change now (CanModify).
  virtual bool ColumnAcceptsChar(char32_t ch);
  /// A character the current column takes while its row may not change now (OnEdit refused, read-only).
  bool ColumnRefusesChange(char32_t ch);
  /// Qt events into the handlers above.
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  bool focusNextPrevChild(bool next) override;
  bool event(QEvent* e) override;

  void paintEvent(QPaintEvent* e) override;
  void timerEvent(QTimerEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  /// TwGridModelHost: carrying out the description's refresh requests.
  void InvalidateArea(const TwRepaintArea& area) override;
  void UpdateScrollBars() override { UpdateScrollRange(); }
  void RecomputeLayout() override;

 private:
  void Record(const RepaintRequest& r) {
    if (TwGridObserver* o = model_.Observer()) o->RepaintRequested(r);
  }

  /// The description; made first and destroyed last, while the grid is still whole.
  TwGridModel model_;
  int row_ = 0;
  int col_ = 0;
  int topRow_ = 0;
  TwGridOptions options_{wgoArrowMove, wgoConfirmDelete, wgoEnterToTab, wgoFocusRect};
  int changeDelay_ = 200;
  int updateLock_ = 0;
  int eventNesting_ = 0;
  std::unique_ptr<TwEditSession> editing_;
  int rowChangeTimer_ = 0;
  bool rowChangeRunning_ = false;
  bool syncingScrollBar_ = false;
  bool scrollRangePending_ = false;
  /// navigation, sizing and moving
  void InitNavigation();
  void ApplyScrollBarPolicies();
  void TakeFocusForScroll();
  /// The row change of SetColRow/SetCellRow with the cell-change flag; false when a handler moved the row.
  bool MoveRowForCell(int ARow, bool columnChanges);
  TScrollStyle scrollBars_ = ssBoth;
  TBorderStyle borderStyle_ = bsSingle;
  bool ctl3D_ = true;
  std::unique_ptr<TwGridInput> input_;
  bool inCellExit_ = false;
  bool settingHorz_ = false;
  /// painting
  std::unique_ptr<TwGridPainter> painter_;
  TColor selBgColor_ = clBlack;
  TColor selFgColor_ = clWhite;
};
