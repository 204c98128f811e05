#pragma once
// TwGridModel: the description side of the grid. It owns the objects that describe the grid (lines,
// fixed style, indicators, markers, headers, footers, columns), holds the grid-level properties they
// inherit from (Font, Color, GroupMode, FixedCount, ImeMode) and turns their change notifications into
// exactly the refresh the grid needs: a repaint of an area, a new layout, new scroll ranges.
//
// The grid control (TwCustomGrid) derives from it and carries the effects out on its window; the model
// records every effect it asks for in Effects(), so tests can check them without a window.
//
// Words used here: band = one display column of a row (-2 indicators, -1 markers, then the visible
// columns in column mode or the visible groups in group mode); strip = a band from the top of the header
// to the bottom of the grid, cut into its header, data and footer parts.
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/structure/appearance.h"
#include "grid/structure/column.h"
#include "grid/structure/headers.h"
#include "grid/structure/side_columns.h"
#include "platform/persist/component.h"

// An area of the grid to repaint.
struct TwRepaintArea {
  enum Kind : std::uint8_t {
    Grid,          // the whole client area
    Strip,         // band Band from the header top to the grid bottom
    StripHeader,   // the header part of band Band
    StripData,     // the data-row part of band Band
    StripFooter,   // the footer part of band Band
    TitleCell,     // group mode: the title cell of column Index (collection index) in group band Band
    FooterRow,     // visible footer row Index across the client width
    HeaderCorner,  // the header title cell
    HeaderBand,    // the whole header band
    FixedData      // the data-row area of bands 0 .. Index-1 (the fixed columns or groups)
  };
  Kind What = Grid;
  int Band = 0;
  int Index = -1;
  friend bool operator==(const TwRepaintArea&, const TwRepaintArea&) = default;
};

// One refresh the model asked the grid for.
struct TwGridEffect {
  enum Kind : std::uint8_t { Repaint, ScrollBars, Layout };
  Kind What = Repaint;
  TwRepaintArea Area;
  friend bool operator==(const TwGridEffect&, const TwGridEffect&) = default;
};

using TweColumnWidthChange = std::function<void(QObject* Sender, TwColumn* Column, int OldWidth)>;
using TweHeaderHeightChange = std::function<void(QObject* Sender, int OldHeight)>;

class TwGridModel {
 public:
  explicit TwGridModel(TwColumns::Factory columnFactory);
  virtual ~TwGridModel();
  TwGridModel(const TwGridModel&) = delete;
  TwGridModel& operator=(const TwGridModel&) = delete;

  // --- component state ---
  plat::ComponentState& State() { return state_; }
  const plat::ComponentState& GridState() const { return state_; }

  // --- owned description objects ---
  TwColumns& Columns() { return *columns_; }
  const TwColumns& Columns() const { return *columns_; }
  TwGridLinesEx& Lines() { return lines_; }
  const TwGridLinesEx& Lines() const { return lines_; }
  void SetLines(const TwGridLines& v) { lines_.Assign(v); }
  // The lines at the right end of the last visible column or group.
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
  // Column mode (false) or group mode (true). Switching only changes which per-mode sizes are reported;
  // the grid lays itself out anew.
  bool GroupMode() const { return groupMode_; }
  void SetGroupMode(bool v);
  // Bands that do not scroll sideways: clamped to 0 .. visible columns (column mode).
  int FixedCount() const { return fixedCount_; }
  void SetFixedCount(int v);

  // --- what the description asks of the grid ---
  // Skip read-only columns when navigating (the grid's wgoSkipReadOnly).
  virtual bool SkipReadOnly() const { return false; }
  // Collection index of the current column, -1 when none.
  virtual int CurrentColumnIndex() const { return -1; }
  // Makes the visible column at this index the current one (column mode).
  virtual void SetCurrentVisibleColumn(int visibleIndex) {}
  // The sender passed to events.
  virtual QObject* EventSender() { return nullptr; }
  virtual int ClientHeight() const { return clientHeight_; }
  void SetClientHeight(int h) { clientHeight_ = h; }
  // Top of the footer area (the client height less the visible footer rows).
  int FooterTop() const;
  // Right edge of the fixed area: side columns and the fixed columns (column mode).
  int FixedRight() const;
  // Painting suspended (the grid's update lock).
  virtual bool PaintLocked() const { return paintLock_ > 0; }
  void LockPaint() { ++paintLock_; }
  void UnlockPaint() {
    if (paintLock_ > 0) --paintLock_;
  }

  // --- refresh requests (recorded, then carried out by the grid) ---
  void Repaint(const TwRepaintArea& area);
  void RequestScrollBars();
  // Recomputes the layout and re-places the edit button.
  void RequestLayout();
  const std::vector<TwGridEffect>& Effects() const { return effects_; }
  void ClearEffects() { effects_.clear(); }

  // --- notifications from the description objects ---
  // The columns' collection Update: one column changed (item) or the whole collection (nullptr).
  virtual void ColumnsChanged(TwColumn* item);
  // A column was added (after its construction) or is about to be removed.
  virtual void ColumnAdded(TwColumn* column) {}
  virtual void ColumnRemoving(TwColumn* column) {}
  // The base rule of a column's CanModify (the grid's OnEdit); true without a handler.
  virtual bool ColumnCanModify(TwColumn* column) { return true; }
  // A column's width changed (column mode: scroll bars, layout, repaint; then OnColumnWidthChange).
  void ColumnWidthChanged(TwColumn* column, int oldWidth);
  // A column title or footer changed at run time: repaint its cell.
  void ColumnTitleChanged(TwColumn* column);
  void ColumnFooterChanged(TwColumn* column);
  void HeaderHeightChanged(int oldHeight);
  // The footers' collection Update.
  virtual void FootersChanged(TwGridFooter* item);
  // The rebuild after loading and at the end of a batch update: visible lists, FixedCount, footers.
  void RebuildDescription();

  TweColumnWidthChange OnColumnWidthChange;
  TweHeaderHeightChange OnHeaderHeightChange;

  // Checks the visible lists against the collections; returns an empty text when they agree.
  std::string CheckConsistency() const;

 protected:
  // The grid carries the effects out (all three do nothing here).
  virtual void InvalidateArea(const TwRepaintArea& area) {}
  virtual void UpdateScrollBars() {}
  virtual void RecomputeLayout() {}
  // Destroys the columns while the derived grid still exists (its destructor calls it).
  void DestroyColumns();

 private:
  plat::ComponentState state_;
  TwFont font_;
  TColor color_ = 0xFF000005;  // clWindow
  TImeMode imeMode_ = imDontCare;
  std::string imeName_;
  bool groupMode_ = false;
  int fixedCount_ = 0;
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
  std::vector<TwGridEffect> effects_;
};
