#pragma once
// TwGridModel: the description side of the grid. It owns the objects that describe the grid (lines,
// fixed style, indicators, markers, headers, footers, columns), holds the grid-level properties they
// inherit from (Font, Color, GroupMode, FixedCount, ImeMode) and turns their change notifications into
// exactly the refresh the grid needs: a repaint of an area, a new layout, new scroll ranges.
//
// The grid control (TwCustomGrid) holds one and is its host (TwGridModelHost): it answers what the model
// asks about the current cell and the rows, and carries the effects out on its window. An installed
// TwGridObserver hears of every effect the model asks for, so tests can check them without a window.
//
// Words used here: band = one display column of a row (-2 indicators, -1 markers, then the visible
// columns in column mode or the visible groups in group mode); strip = a band from the top of the header
// to the bottom of the grid, cut into its header, data and footer parts.
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/structure/appearance.h"
#include "grid/structure/column.h"
#include "grid/structure/grid_model_host.h"
#include "grid/structure/group.h"
#include "grid/structure/headers.h"
#include "grid/structure/side_columns.h"
#include "platform/paint/color.h"
#include "platform/persist/component.h"

/// The layout (grid/structure/extents.h) and its rectangle type stay out of this header, so that it does not
/// bring the paint layer's names into every file that knows the grid.
class TwGridExtents;
namespace plat::paint {
struct TRect;
}
using plat::paint::TRect;

/// An area of the grid to repaint.
struct TwRepaintArea {
  enum class Kind : std::uint8_t {
    Grid,          ///< the whole client area
    Strip,         ///< band Band from the header top to the grid bottom
    StripHeader,   ///< the header part of band Band
    StripData,     ///< the data-row part of band Band
    StripFooter,   ///< the footer part of band Band
    TitleCell,     ///< group mode: the title cell of column Index (collection index) in group band Band
    FooterRow,     ///< visible footer row Index across the client width
    HeaderCorner,  ///< the header title cell
    HeaderBand,    ///< the whole header band
    FixedData      ///< the data-row area of bands 0 .. Index-1 (the fixed columns or groups)
  };
  using enum Kind;
  Kind What = Grid;
  int Band = 0;
  int Index = -1;
  friend bool operator==(const TwRepaintArea&, const TwRepaintArea&) = default;
};

/// One refresh the model asked the grid for.
struct TwGridEffect {
  enum class Kind : std::uint8_t { Repaint, ScrollBars, Layout };
  using enum Kind;
  Kind What = Repaint;
  TwRepaintArea Area;
  friend bool operator==(const TwGridEffect&, const TwGridEffect&) = default;
};

/// One repaint request as the view issued it: the whole grid, a row, or a cell.
struct TwRepaintRequest {
  enum class Kind : std::uint8_t { Grid, Row, Cell };
  using enum Kind;
  Kind What = Grid;
  int ARow = -1;
  int ACol = -1;
  friend bool operator==(const TwRepaintRequest&, const TwRepaintRequest&) = default;
};

struct TwPaintedCell;  ///< grid/view/grid_paint.h

/// Hears what the grid does: the refreshes the description asks for, the repaint requests and the viewport
/// rectangles handed to Qt, and every cell a paint draws. Tests and tools install one; without one the grid
/// keeps no record and does no per-cell bookkeeping.
class TwGridObserver {
 public:
  virtual ~TwGridObserver() = default;
  virtual void EffectRequested(const TwGridEffect& effect) {}
  virtual void RepaintRequested(const TwRepaintRequest& request) {}
  virtual void RectUpdated(const TRect& rect) {}
  /// A paint begins (every cell it draws follows).
  virtual void PaintStarted() {}
  virtual void CellPainted(const TwPaintedCell& cell) {}
};

using TweColumnWidthChange = std::function<void(QObject* Sender, TwColumn* Column, int OldWidth)>;
using TweHeaderHeightChange = std::function<void(QObject* Sender, int OldHeight)>;
using TweGroupWidthChange = std::function<void(QObject* Sender, TwGroup* AGroup, int OldWidth)>;
using TweLevelHeightChange = std::function<void(QObject* Sender, TwGroup* AGroup, int ALevel, int OldHeight)>;
using TweRowHeightChange = std::function<void(QObject* Sender, int OldHeight)>;

class TwGridModel {
 public:
  static constexpr int kDefaultColRowHeight = 18, kMinColRowHeight = 4;
  static constexpr int kDefaultGrpRowHeight = 36, kMinGrpRowHeight = 8;

  explicit TwGridModel(TwColumns::Factory columnFactory, TwGroups::Factory groupFactory = nullptr);
  virtual ~TwGridModel();
  TwGridModel(const TwGridModel&) = delete;
  TwGridModel& operator=(const TwGridModel&) = delete;

  // --- component state ---
  plat::ComponentState& State() { return state_; }
  const plat::ComponentState& GridState() const { return state_; }

  // --- owned description objects ---
  TwColumns& Columns() { return *columns_; }
  const TwColumns& Columns() const { return *columns_; }
  TwGroups& Groups() { return *groups_; }
  const TwGroups& Groups() const { return *groups_; }
  TwGridLinesEx& Lines() { return lines_; }
  const TwGridLinesEx& Lines() const { return lines_; }
  void SetLines(const TwGridLines& v) { lines_.Assign(v); }
  /// The lines at the right end of the last visible column or group.
  TwGridLines& EndLines() { return endLines_; }
  const TwGridLines& EndLines() const { return endLines_; }
  void SetEndLines(const TwGridLines& v) { endLines_.Assign(v); }
  TwFixedStyle& FixedStyle() { return *fixedStyle_; }
  const TwFixedStyle& FixedStyle() const { return *fixedStyle_; }
  TwIndicators& Indicators() { return *indicators_; }
  const TwIndicators& Indicators() const { return *indicators_; }
  TwMarkers& Markers() { return *markers_; }
  const TwMarkers& Markers() const { return *markers_; }
  TwGridHeaders& Headers() { return *headers_; }
  const TwGridHeaders& Headers() const { return *headers_; }
  TwGridFooters& Footers() { return *footers_; }
  const TwGridFooters& Footers() const { return *footers_; }

  // --- grid-level properties the description inherits ---
  const TwFont& Font() const { return font_; }
  void SetFont(const TwFont& v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TImeMode ImeMode() const { return imeMode_; }
  void SetImeMode(TImeMode v) { imeMode_ = v; }
  const std::string& ImeName() const { return imeName_; }
  void SetImeName(std::string v) { imeName_ = std::move(v); }

  // --- the two display modes ---
  /// Column mode (false) or group mode (true). Group mode needs a visible group; a switch ends the edit,
  /// re-applies FixedCount, resets the horizontal offset and repaints.
  bool GroupMode() const { return groupMode_; }
  void SetGroupMode(bool v);
  /// Bands that do not scroll sideways, in the current mode: clamped to 0 .. visible items - 1.
  int FixedCount() const { return groupMode_ ? grpFixedCount_ : colFixedCount_; }
  void SetFixedCount(int v);
  /// The per-mode values, stored as "ColFixedCount" and "GrpFixedCount". The setter of the current mode's
  /// value is SetFixedCount; the other mode's value is stored (while loading or updating as given).
  int ColFixedCount() const { return colFixedCount_; }
  void SetColFixedCount(int v);
  int GrpFixedCount() const { return grpFixedCount_; }
  void SetGrpFixedCount(int v);
  /// Height of a data row in the current mode (at least 4 in column mode, 8 in group mode). Every
  /// assignment outside loading raises OnRowHeightChange, also an unchanged one.
  int RowHeight() const { return groupMode_ ? grpRowHeight_ : colRowHeight_; }
  void SetRowHeight(int v);
  /// The per-mode values, stored as "ColRowHeight" and "GrpRowHeight".
  int ColRowHeight() const { return colRowHeight_; }
  void SetColRowHeight(int v);
  int GrpRowHeight() const { return grpRowHeight_; }
  void SetGrpRowHeight(int v);
  /// Pixels the scrolling bands are shifted left (0 = no horizontal scroll).
  int HorzOffset() const { return horzOffset_; }
  void SetHorzOffset(int v);

  // --- what the description asks of the grid ---
  /// The control that shows the model (not owned; none by default). Every question below goes to it; a model
  /// without a host answers them itself as a grid without rows, current cell or editor.
  void SetHost(TwGridModelHost* host) { host_ = host; }
  TwGridModelHost* Host() const { return host_; }
  /// Skip read-only columns when navigating (the grid's wgoSkipReadOnly).
  virtual bool SkipReadOnly() const { return host_ && host_->SkipReadOnly(); }
  /// Collection index of the current column, -1 when none.
  virtual int CurrentColumnIndex() const { return host_ ? host_->CurrentColumnIndex() : -1; }
  /// Makes the visible column at this index the current one (column mode).
  virtual void SetCurrentVisibleColumn(int visibleIndex) {
    if (host_) host_->SetCurrentVisibleColumn(visibleIndex);
  }
  /// Group mode: the current cell (the current column's position), and moving it.
  virtual TwCellPos CurrentCell() const;
  virtual void SetCurrentCell(const TwCellPos& pos) {
    if (host_) host_->SetCurrentCell(pos);
  }
  /// Column mode: the current column was hidden from visible index oldVisibleIndex; the grid moves the
  /// current cell to a visible column.
  virtual void CurrentColumnHidden(int oldVisibleIndex) {
    if (host_) host_->CurrentColumnHidden(oldVisibleIndex);
  }
  /// Ends the current edit and hides the in-place editor; shows it again under wgoAlwaysShowEditor.
  virtual void HideCellEditor() {
    if (host_) host_->HideCellEditor();
  }
  /// What a column or a group asks of the grid about the current cell. Description objects only raise
  /// requests; RequestChange carries every one of them out through the hooks above.
  struct ChangeRequest {
    enum class Kind : std::uint8_t {
      CloseEditor,          ///< the current cell is about to leave the visible cells
      MoveToFirstCell,      ///< it left them: the first cell of the visible groups becomes current
      CurrentColumnHidden,  ///< column mode: the current column was hidden from OldVisibleIndex
    };
    using enum Kind;
    Kind What = CloseEditor;
    int OldVisibleIndex = -1;
  };
  void RequestChange(const ChangeRequest& request);
  virtual void RestoreCellEditor() {
    if (host_) host_->RestoreCellEditor();
  }
  /// The data rows: how many, and the first one shown.
  virtual int RowCount() const { return host_ ? host_->RowCount() : 0; }
  virtual int TopRow() const { return host_ ? host_->TopRow() : 0; }
  /// The sender passed to events.
  virtual QObject* EventSender() { return host_ ? host_->EventSender() : nullptr; }
  /// The client area the grid lays itself out in (without a host: the size set below).
  virtual TRect ClientRect() const;
  virtual int ClientHeight() const { return host_ ? host_->ClientHeight() : clientHeight_; }
  void SetClientHeight(int h) { clientHeight_ = h; }
  void SetClientWidth(int w) { clientWidth_ = w; }
  /// Top of the footer area and right edge of the fixed area, from the layout.
  int FooterTop() const;
  int FixedRight() const;
  /// Painting suspended (the model's own lock or the grid's update lock).
  virtual bool PaintLocked() const { return paintLock_ > 0 || (host_ && host_->PaintLocked()); }
  void LockPaint() { ++paintLock_; }
  void UnlockPaint() {
    if (paintLock_ > 0) --paintLock_;
  }

  // --- layout ---
  /// Lays the grid out from its client rectangle now (before every paint, and after changes that move
  /// things). The layout is a cache derived from the description: it writes only into the cache.
  void Layout() { Relayout(); }
  /// The layout, brought up to date first when something changed since the last one (a description
  /// change, the client rectangle, TopRow, RowCount, the offset or the mode).
  const TwGridExtents& Extents() const;
  /// Marks the layout stale; the next Extents() lays out anew.
  void InvalidateLayout() { layoutStale_ = true; }
  bool LayoutStale() const;
  /// How many layouts ran (a cache that works keeps this still).
  int LayoutCount() const { return layoutCount_; }
  /// The pixel rectangle of a repaint area, clipped to the client (empty when the area shows nothing).
  TRect AreaRect(const TwRepaintArea& area) const;
  /// The position of a column in a visible group (group mode), or none.
  TwCellPos ColumnPos(const TwColumn* column) const { return groups_->PosOf(column); }

  // --- refresh requests (recorded, then carried out by the grid) ---
  void Repaint(const TwRepaintArea& area);
  void RequestScrollBars();
  /// Recomputes the layout and re-places the edit button.
  void RequestLayout();
  /// The observer told of every refresh, repaint and painted cell (none by default; not owned).
  void SetObserver(TwGridObserver* observer) { observer_ = observer; }
  TwGridObserver* Observer() const { return observer_; }

  // --- notifications from the description objects ---
  /// The columns' collection Update: one column changed (item) or the whole collection (nullptr).
  virtual void ColumnsChanged(TwColumn* item);
  /// The groups' collection Update.
  virtual void GroupsChanged(TwGroup* item);
  /// A column was added (after its construction) or is about to be removed.
  virtual void ColumnAdded(TwColumn* column) {
    if (host_) host_->ColumnAdded(column);
  }
  virtual void ColumnRemoving(TwColumn* column) {
    if (host_) host_->ColumnRemoving(column);
  }
  /// The base rule of a column's CanModify (the grid's OnEdit); true without a handler.
  virtual bool ColumnCanModify(TwColumn* column) { return !host_ || host_->ColumnCanModify(column); }
  /// A column's width changed (column mode: scroll bars, layout, repaint; then OnColumnWidthChange).
  void ColumnWidthChanged(TwColumn* column, int oldWidth);
  /// A group's width changed (scroll bars, layout, repaint; then OnGroupWidthChange).
  void GroupWidthChanged(TwGroup* group, int oldWidth);
  /// A level's weight (level >= 0, old weight) or a group title's height (level -1, old height) changed.
  void LevelHeightChanged(TwGroup* group, int level, int old);
  /// A column title or footer changed at run time: repaint its cell.
  void ColumnTitleChanged(TwColumn* column);
  void ColumnFooterChanged(TwColumn* column);
  void HeaderHeightChanged(int oldHeight);
  /// The footers' collection Update.
  virtual void FootersChanged(TwGridFooter* item);
  /// The rebuild after loading and at the end of a batch update: visible lists, levels, footers,
  /// FixedCount, the current cell, scroll bars.
  void RebuildDescription();

  TweColumnWidthChange OnColumnWidthChange;
  TweHeaderHeightChange OnHeaderHeightChange;
  TweGroupWidthChange OnGroupWidthChange;
  TweLevelHeightChange OnLevelHeightChange;
  TweRowHeightChange OnRowHeightChange;

  /// Checks the visible lists against the collections and the groups' levels, widths and weights;
  /// returns an empty text when they agree.
  std::string CheckConsistency() const;

  /// Destroys the groups and columns while the grid that holds the model still exists (its destructor calls
  /// it).
  void DestroyColumns();

 protected:
  /// The grid carries the effects out (all three do nothing without a host).
  virtual void InvalidateArea(const TwRepaintArea& area) {
    if (host_) host_->InvalidateArea(area);
  }
  virtual void UpdateScrollBars() {
    if (host_) host_->UpdateScrollBars();
  }
  virtual void RecomputeLayout() {
    if (host_) host_->RecomputeLayout();
  }

 private:
  /// The inputs of a layout that are not description objects.
  struct LayoutKey {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int TopRow = 0, Rows = 0, Offset = 0;
    bool Group = false;
    friend bool operator==(const LayoutKey&, const LayoutKey&) = default;
  };
  LayoutKey CurrentLayoutKey() const;
  /// Clamps the current mode's FixedCount again (after the visible items or the mode changed).
  void ReapplyFixedCount();
  /// Moves the current cell out of the fixed area (FixedCount changed).
  void MoveCurrentOutOfFixedArea();
  int ModeItemCount() const;

  plat::ComponentState state_;
  TwFont font_;
  TColor color_ = clBtnShadow;  ///< the area no cell covers
  TImeMode imeMode_ = imDontCare;
  std::string imeName_;
  bool groupMode_ = false;
  int colFixedCount_ = 0;
  int grpFixedCount_ = 0;
  int colRowHeight_ = kDefaultColRowHeight;
  int grpRowHeight_ = kDefaultGrpRowHeight;
  int horzOffset_ = 0;
  int clientWidth_ = 400;
  int clientHeight_ = 200;
  int paintLock_ = 0;
  TwGridLinesEx lines_;
  TwGridLines endLines_;
  std::unique_ptr<TwFixedStyle> fixedStyle_;
  std::unique_ptr<TwIndicators> indicators_;
  std::unique_ptr<TwMarkers> markers_;
  std::unique_ptr<TwGridHeaders> headers_;
  std::unique_ptr<TwGridFooters> footers_;
  std::unique_ptr<TwColumns> columns_;
  std::unique_ptr<TwGroups> groups_;
  /// The layout cache. Extents() const brings it up to date when it is stale; laying out reads the
  /// description and writes only these members (and the TwGridExtents they own), so they are mutable.
  void Relayout() const;
  std::unique_ptr<TwGridExtents> extents_;
  mutable bool layoutStale_ = true;
  mutable bool inLayout_ = false;
  mutable LayoutKey layoutKey_;
  mutable int layoutCount_ = 0;
  TwGridObserver* observer_ = nullptr;
  TwGridModelHost* host_ = nullptr;
};
