#pragma once
// The grid's painting. What this file owns:
//   - the drawing events of the grid (TweDrawRow, TweDrawCell, ...) and the record of what one paint drew
//     (TwPaintedCell);
//   - TwGridPainter: one paint of the viewport (PaintTo) with the background, the title area, the data
//     rows with their indicator and marker cells, the footer rows and the empty look; what a paint keeps
//     between its steps (fonts, the resolved renderers, the text of the cell being drawn); the grid's cell
//     renderers; whether the current cell is changing (no highlight meanwhile).
// The grid's overridable DrawRow and DrawCell run their default parts here.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/structure/draw_info.h"
#include "grid/structure/grid_font.h"
#include "platform/paint/canvas.h"
#include "platform/paint/font.h"

class QObject;
class TwColumn;
class TwColumnFooter;

using TFontStyles = std::uint8_t;  // TFontStyle bits

/// Colours and font style of a cell, handed to the drawing events by reference.
using TweDrawRow =
    std::function<void(QObject* Sender, int ARow, TColor& BCol, TColor& FCol, TFontStyles& FStyle)>;
using TweDrawCell = std::function<void(TwColumn* AColumn, int ARow, std::string& Text, TColor& BCol,
                                       TColor& FCol, TFontStyles& FStyle)>;
using TweDrawIndi = std::function<void(QObject* Sender, int ARow, std::string& Text, TColor& BCol,
                                       TColor& FCol, TFontStyles& FStyle)>;
using TweDrawMark = std::function<void(QObject* Sender, int ARow, std::string& Text, TColor& BCol,
                                       TColor& FCol, TFontStyles& FStyle, int& ImgIndex, bool& Value)>;
using TweDrawFooter = std::function<void(TwColumnFooter* AFooter, int ARow, std::string& Text, TColor& BCol,
                                         TColor& FCol, TFontStyles& FStyle)>;

/// One cell as the last paint drew it (tests and benchmarks read them).
struct TwPaintedCell {
  enum class Kind : std::uint8_t {
    Corner,
    Title,
    GroupTitle,
    Data,
    Indicator,
    Marker,
    Footer,
    FooterTitle,
    Empty
  };
  using enum Kind;
  Kind What = Data;
  int Band = 0;  ///< display index: -2 indicator, -1 marker, else the column or group
  int Row = 0;   ///< data row, footer row (visible index) or -1 for titles
  plat::paint::TRect Rect;
};

class TwCustomGrid;
class TwCellRenderer;
class TwGridExtents;
class TwRendererRegistry;
struct TwCellRecord;

class TwGridPainter {
 public:
  explicit TwGridPainter(TwCustomGrid& grid);
  ~TwGridPainter();
  TwGridPainter(const TwGridPainter&) = delete;
  TwGridPainter& operator=(const TwGridPainter&) = delete;

  /// Paints the clip rectangle of the viewport onto a canvas (the paint handler; tests paint into images).
  void PaintTo(plat::paint::TCanvas& Canvas, const plat::paint::TRect& Clip);
  /// The default parts of the grid's DrawRow and DrawCell: one row's cells between two bands, and the one
  /// place a data cell is painted (from its record of the cell walk). Only while a paint runs.
  void DrawRow(int ARow, bool WithIndicator, int LastBand, int FirstBand, bool WithMarker);
  void DrawCell(const TwCellRecord& Cell, bool CallRowEvent, bool CallCellEvent);
  /// The cell renderers of this grid, per edit kind and per custom kind (TwColumn::CustomKind); made with
  /// the standard ones on first use. A change shows from the next paint.
  TwRendererRegistry& Renderers();
  /// While a row and a column change are made as one move, the current cell shows no highlight.
  bool CellChanging() const { return cellChanging_; }
  void SetCellChanging(bool v) { cellChanging_ = v; }

 private:
  void PaintTitleArea(int firstBand, int lastBand, bool withIndicator, bool withMarker);
  void PaintFooterRow(int k, int firstBand, int lastBand, bool withIndicator, bool withMarker);
  void PaintEmptyLook();
  void PaintBackground(const plat::paint::TRect& clip, int lastBand);
  void DrawIndicator(int ARow, const plat::paint::TRect& Rect);
  void DrawMarker(int ARow, const plat::paint::TRect& Rect);
  /// A group or a level of a group that holds no columns.
  void DrawEmptyBandCell(const TwCellRecord& cell);
  /// Under an open editor only the cell's lines show.
  void DrawEditorLines(const TwCellRecord& cell);
  void Note(TwPaintedCell::Kind kind, int band, int row, const plat::paint::TRect& r);
  /// The platform font of a description's font, made once each.
  const plat::paint::TFont& FontOf(const TwFont& f);
  /// The renderer of every column's drawing record in this paint's layout, resolved when the paint starts so
  /// that a cell finds its renderer by its place: in column mode looks_[band]; in group mode the columns of
  /// the groups one group after another, group band's first at groupFirst_[band], then level by level.
  void ResolveRenderers(const TwGridExtents& e, bool groupMode, const TwRendererRegistry& registry);
  const TwCellRenderer* RendererOf(const TwCellRecord& cell, const TwRendererRegistry& registry) const;

  TwCustomGrid& grid_;
  std::unique_ptr<TwRendererRegistry> renderers_;
  bool cellChanging_ = false;
  /// What one paint keeps between its steps; reused from paint to paint so that painting allocates nothing
  /// per cell.
  plat::paint::TCanvas* canvas_ = nullptr;  ///< the target while a paint runs
  bool showSelection_ = false;
  std::string text_;  ///< the text of the cell being drawn
  std::vector<std::pair<TwFont, plat::paint::TFont>> fonts_;
  struct Look {
    const TwColumn* Column = nullptr;
    const TwCellRenderer* Renderer = nullptr;
  };
  std::vector<Look> looks_;
  std::vector<std::size_t> groupFirst_;
  bool grouped_ = false;
  const TwGridExtents* resolvedLayout_ = nullptr;  ///< the layout they were resolved from
};
