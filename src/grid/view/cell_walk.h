#pragma once
// The walk over the data cells of the view: one record per cell, in the order a paint draws them (row by
// row; in each row the indicator, the marker, then the fixed bands and the scrolling bands that show; in
// group mode every level of a band from the top and the cells of a level from the left). Painting draws
// the records; tests read them to see which cells show where and in which state.
#include <algorithm>
#include <cstdint>

#include "grid/structure/column.h"
#include "grid/structure/extents.h"
#include "grid/structure/group.h"
#include "grid/view/custom_grid.h"

enum class TwCellRegion : std::uint8_t { Indicator, Marker, Data };
// A button drawn at the right of a cell: the spin buttons of a time or the drop button of a date or list.
enum class TwCellButton : std::uint8_t { None, Spin, Combo };
// The ellipsis button of a column with an edit button: drawn, or only its room kept (the editor of the
// current cell brings its own).
enum class TwCellEllipsis : std::uint8_t { None, Drawn, Room };

struct TwCellRecord {
  TwCellRegion Region = TwCellRegion::Data;
  int Band = 0;   // display index: -2 indicator, -1 marker, else the column or, in group mode, the group
  int Row = 0;    // data row
  int Level = 0;  // group mode: the level, -1 for a group without columns; column mode: 0
  int Index = 0;  // group mode: the place of the column in its level
  TwColumn* Column = nullptr;  // null for the indicator, the marker and a group or level without columns
  const TwColumnDraw* Draw = nullptr;  // the column's drawing record of the layout, with Column
  TRect Rect;
  bool Selected = false;    // the row is selected, or is the current row of a row-select grid
  bool Current = false;     // the current cell
  bool Focused = false;     // the current cell shows the focus rectangle
  bool Null = false;        // no value (always so without rows); filled when the walk asks for contents
  bool EditorOpen = false;  // the in-place editor covers the cell
  bool LastRow = false;     // the last row, or the grid has no rows
  bool LastLevel = true;    // the bottom level of its group (always so in column mode)
  TwCellButton Button = TwCellButton::None;        // decided when the cell is drawn
  TwCellEllipsis Ellipsis = TwCellEllipsis::None;  // decided when the cell is drawn
};

// Calls f(band) for the fixed bands from first to last, then the scrolling ones that show.
template <class F>
void ForEachVisibleBand(const TwGridExtents& e, int fixedCount, int firstBand, int lastBand, F&& f) {
  fixedCount = std::min(fixedCount, e.Count());
  for (int b = firstBand; b <= std::min(lastBand, fixedCount - 1); ++b) f(b);
  // The first scrolling band that shows: the last one whose left edge is not right of the scrolling
  // area's left edge.
  int firstScrolling = fixedCount;
  for (int b = e.Count() - 1; b >= fixedCount; --b)
    if (e.ItemLeft(b) <= e.FixedRight()) {
      firstScrolling = b;
      break;
    }
  for (int b = std::max(firstScrolling, firstBand); b <= std::min(lastBand, e.Count() - 1); ++b) f(b);
}

class TwCellWalk {
 public:
  // Rows first to last and bands first to last; the indicator and marker cells when asked for. With
  // contents, the Null flag of every data cell the editor does not cover is asked of the grid.
  struct Range {
    int FirstRow = 0, LastRow = -1;
    int FirstBand = 0, LastBand = -1;
    bool WithIndicator = false, WithMarker = false;
    bool WithContents = false;
  };
  TwCellWalk(TwCustomGrid& grid, const Range& range) : grid_(grid), range_(range) {}

  template <class F>
  void ForEach(F&& f) {
    const TwGridExtents& e = grid_.Extents();
    const bool hasRows = grid_.RowCount() > 0;
    const bool focusShows = grid_.HasOption(wgoFocusRect) && !grid_.GridState().Designing() &&
                            !grid_.CellChanging() && grid_.IsGridFocused();
    const bool designing = grid_.GridState().Designing();
    const bool rowSelect = grid_.HasOption(wgoRowSelect);
    const TwCellPos current = grid_.GroupMode() ? grid_.CurrentCell() : TwCellPos{};
    TwCellRecord rec;
    for (int row = range_.FirstRow; row <= range_.LastRow; ++row) {
      const bool lastRow = !hasRows || grid_.IsLastRow(row);
      const bool selected = grid_.Selected(row) || (rowSelect && row == grid_.Row());
      const bool currentRow = row == grid_.Row();
      auto start = [&](TwCellRegion region, int band, const TRect& r) {
        rec = TwCellRecord{};
        rec.Region = region;
        rec.Band = band;
        rec.Row = row;
        rec.Rect = r;
        rec.Selected = selected;
        rec.LastRow = lastRow;
      };
      auto data = [&](const TwColumnDraw& draw, bool isCurrent) {
        TwColumn* c = draw.Column;
        rec.Column = c;
        rec.Draw = &draw;
        rec.Current = isCurrent;
        rec.Focused = isCurrent && focusShows;
        rec.EditorOpen = isCurrent && grid_.EditorShowing();
        rec.Null = !hasRows || (range_.WithContents && !rec.EditorOpen && grid_.IsCellNull(c, row));
        DecideButtons(rec, designing, designing && row == grid_.TopRow());
        f(static_cast<const TwCellRecord&>(rec));
      };
      if (range_.WithIndicator) {
        start(TwCellRegion::Indicator, -2, e.CellRect(-2, row));
        f(static_cast<const TwCellRecord&>(rec));
      }
      if (range_.WithMarker) {
        start(TwCellRegion::Marker, -1, e.CellRect(-1, row));
        f(static_cast<const TwCellRecord&>(rec));
      }
      ForEachVisibleBand(e, grid_.FixedCount(), range_.FirstBand, range_.LastBand, [&](int band) {
        if (!grid_.GroupMode()) {
          start(TwCellRegion::Data, band, e.CellRect(band, row));
          data(e.ColumnDraw(band), currentRow && band == grid_.Col());
          return;
        }
        const TwGroupAxis& axis = e.GroupAxis(band);
        const int levels = axis.Levels;
        if (axis.LevelStart[std::size_t(levels)] == 0) {
          start(TwCellRegion::Data, band, e.CellRect(band, row));
          rec.Level = -1;
          f(static_cast<const TwCellRecord&>(rec));
          return;
        }
        for (int level = 0; level < levels; ++level) {
          const int first = axis.LevelStart[std::size_t(level)];
          const int count = axis.LevelStart[std::size_t(level) + 1] - first;
          if (count == 0) {
            start(TwCellRegion::Data, band, e.LevelRect(band, level, row));
            rec.Level = level;
            rec.LastLevel = level == levels - 1;
            f(static_cast<const TwCellRecord&>(rec));
            continue;
          }
          for (int i = 0; i < count; ++i) {
            const TwCellPos pos{band, level, i};
            const TRect r = e.GroupCellRect(pos, row);
            const TwColumnDraw& draw = axis.Cells[std::size_t(first + i)];
            if (draw.Cell.ClipLeft >= r.Right) continue;  // wholly under the fixed bands
            start(TwCellRegion::Data, band, r);
            rec.Level = level;
            rec.Index = i;
            rec.LastLevel = level == levels - 1;
            data(draw, currentRow && pos == current);
          }
        }
      });
    }
  }

  // The buttons a data cell shows. At design time the top row shows the buttons of the column's editor
  // kind; at run time the current cell keeps room for its editor's ellipsis button (a radio group and a
  // picture column draw theirs).
  static void DecideButtons(TwCellRecord& rec, bool designing, bool topRowAtDesign) {
    const TwColumn& c = *rec.Column;
    const TwEditKind kind = rec.Draw->EditKind;
    rec.Button = TwCellButton::None;
    rec.Ellipsis = TwCellEllipsis::None;
    if (c.IsGraphic()) {
      if (c.EditButton()) rec.Ellipsis = TwCellEllipsis::Drawn;
      return;
    }
    if (designing) {
      if (topRowAtDesign && c.EditButton()) rec.Ellipsis = TwCellEllipsis::Drawn;
    } else if (rec.Current && c.EditButton()) {
      rec.Ellipsis = kind == wekRadioGroup ? TwCellEllipsis::Drawn : TwCellEllipsis::Room;
    }
    if (!topRowAtDesign) return;
    if (kind == wekDate || kind == wekPickList || kind == wekCustomList1 || kind == wekCustomList2)
      rec.Button = TwCellButton::Combo;
    else if (kind == wekTime)
      rec.Button = TwCellButton::Spin;
  }

 private:
  TwCustomGrid& grid_;
  Range range_;
};
