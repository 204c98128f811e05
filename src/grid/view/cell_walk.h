#pragma once
// The walk over the cells of the view: one record per cell, in the order a paint draws them. Data rows row
// by row; in each row the indicator, the marker, then the fixed bands and the scrolling bands that show; in
// group mode every level of a band from the top and the cells of a level from the left. The title row and
// each footer row the same way: first the cell over the indicator and marker columns, then the bands.
// Painting draws the records; tests read them to see which cells show where and in which state.
#include <algorithm>
#include <cstdint>

#include "grid/structure/column.h"
#include "grid/structure/extents.h"
#include "grid/structure/group.h"
#include "grid/view/custom_grid.h"
#include "grid/view/draw_helpers.h"

/// Header: the title cell over the indicator and marker columns; Title: a column title, a group title
/// (Level -1) or an empty level of the title row; FooterTitle: a footer row's cell over the side columns;
/// Footer: a column's footer cell.
enum class TwCellRegion : std::uint8_t { Indicator, Marker, Data, Header, Title, FooterTitle, Footer };

struct TwCellRecord {
  TwCellRegion Region = TwCellRegion::Data;
  int Band = 0;   ///< display index: -2 indicator, -1 marker, else the column or, in group mode, the group
  int Row = 0;    ///< data row; the visible footer row for Footer and FooterTitle; -1 in the title row
  int Level = 0;  ///< group mode: the level, -1 for a group without columns or a group title; column mode: 0
  int Index = 0;  ///< group mode: the place of the column in its level
  TwColumn* Column = nullptr;  ///< null for the indicator, the marker and a group or level without columns
  const TwColumnDraw* Draw = nullptr;  ///< the column's drawing record of the layout, with Column
  TRect Rect;
  bool Selected = false;    ///< the row is selected, or is the current row of a row-select grid
  bool Current = false;     ///< the current cell
  bool Focused = false;     ///< the current cell shows the focus rectangle
  bool Null = false;        ///< no value (always so without rows); filled when the walk asks for contents
  bool EditorOpen = false;  ///< the in-place editor covers the cell
  bool LastRow = false;     ///< the last row, or the grid has no rows
  bool LastLevel = true;    ///< the bottom level of its group (always so in column mode; a group title only
                            /// when it covers the whole title row)
  TwCellButton Button = TwCellButton::None;        ///< decided when the cell is drawn
  TwCellEllipsis Ellipsis = TwCellEllipsis::None;  ///< decided when the cell is drawn
};

/// Calls f(band) for the fixed bands from first to last, then the scrolling ones that show.
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
  /// Rows first to last and bands first to last; the indicator and marker cells when asked for. With
  /// contents, the Null flag of every data cell the editor does not cover is asked of the grid.
  struct Range {
    int FirstRow = 0, LastRow = -1;
    int FirstBand = 0, LastBand = -1;
    bool WithIndicator = false, WithMarker = false;
    bool WithContents = false;
    /// For hit tests: also the cells a paint leaves out (wholly under the fixed bands, the column titles of
    /// a group that shows only its title), and in a group without columns one cell per level.
    bool AllCells = false;
  };
  TwCellWalk(TwCustomGrid& grid, const Range& range) : grid_(grid), range_(range) {}

  template <class F>
  void ForEach(F&& f) {
    const TwGridExtents& e = grid_.Model().Extents();
    const bool hasRows = grid_.RowCount() > 0;
    const bool focusShows = grid_.HasOption(wgoFocusRect) && !grid_.Model().GridState().Designing() &&
                            !grid_.Painter().CellChanging() && grid_.IsGridFocused();
    const bool designing = grid_.Model().GridState().Designing();
    const bool rowSelect = grid_.HasOption(wgoRowSelect);
    const TwCellPos current = grid_.Model().GroupMode() ? grid_.Model().CurrentCell() : TwCellPos{};
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
      ForEachVisibleBand(e, grid_.Model().FixedCount(), range_.FirstBand, range_.LastBand, [&](int band) {
        if (!grid_.Model().GroupMode()) {
          start(TwCellRegion::Data, band, e.CellRect(band, row));
          data(e.ColumnDraw(band), currentRow && band == grid_.Col());
          return;
        }
        const TwGroupAxis& axis = e.GroupAxis(band);
        const int levels = axis.Levels;
        if (axis.LevelStart[std::size_t(levels)] == 0 && !range_.AllCells) {
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
            if (draw.Cell.ClipLeft >= r.Right && !range_.AllCells) continue;  // wholly under the fixed bands
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

  /// The title row (nothing when the header is hidden): the header cell when the indicator or the marker is
  /// asked for, then per band the column title, or in group mode the group title and the titles of each
  /// level (an empty level is one cell without a column). A group title or a column title wholly under the
  /// fixed bands is left out; a group without column titles shows only its title over the whole header
  /// (not at design time).
  template <class F>
  void ForEachTitle(F&& f) {
    if (!grid_.Model().Headers().Visible()) return;
    const TwGridExtents& e = grid_.Model().Extents();
    const bool designing = grid_.Model().GridState().Designing();
    TwCellRecord rec;
    auto yield = [&](TwCellRegion region, int band, int level, int index, const TwColumnDraw* draw,
                     const TRect& r, bool lastLevel) {
      rec = TwCellRecord{};
      rec.Region = region;
      rec.Band = band;
      rec.Row = -1;
      rec.Level = level;
      rec.Index = index;
      rec.Draw = draw;
      rec.Column = draw ? draw->Column : nullptr;
      rec.Rect = r;
      rec.LastLevel = lastLevel;
      f(static_cast<const TwCellRecord&>(rec));
    };
    if (range_.WithIndicator || range_.WithMarker) {
      TRect r = e.HeaderCellRect(-1);
      if (!range_.WithIndicator) r.Left = e.ItemLeft(-1);
      if (!range_.WithMarker) r.Right = e.ItemRight(-2);
      yield(TwCellRegion::Header, -1, 0, 0, nullptr, r, true);
    }
    ForEachVisibleBand(e, grid_.Model().FixedCount(), range_.FirstBand, range_.LastBand, [&](int band) {
      if (!grid_.Model().GroupMode()) {
        yield(TwCellRegion::Title, band, 0, 0, &e.ColumnDraw(band), e.HeaderCellRect(band), true);
        return;
      }
      const TwGroupAxis& axis = e.GroupAxis(band);
      const TwGroup& grp = *axis.Group;
      const bool titleOnly = grp.NoColTitles() && !designing;
      if (grp.Title().Visible() || grp.NoColTitles()) {
        const TRect r = titleOnly ? e.HeaderStripRect(band) : e.GroupHeaderRect(band, -1);
        if (axis.Title.ClipLeft < r.Right || range_.AllCells)
          yield(TwCellRegion::Title, band, -1, 0, nullptr, r, titleOnly);
        if (titleOnly && !range_.AllCells) return;
      }
      for (int level = 0; level < axis.Levels; ++level) {
        const int first = axis.LevelStart[std::size_t(level)];
        const int count = axis.LevelStart[std::size_t(level) + 1] - first;
        const bool last = level == axis.Levels - 1;
        if (count == 0) {
          yield(TwCellRegion::Title, band, level, 0, nullptr, e.GroupHeaderRect(band, level), last);
          continue;
        }
        for (int i = 0; i < count; ++i) {
          const TwColumnDraw& draw = axis.Cells[std::size_t(first + i)];
          const TRect r = e.ColumnTitleRect(TwCellPos{band, level, i});
          if (draw.Title.ClipLeft >= r.Right && !range_.AllCells) continue;  // wholly under the fixed bands
          yield(TwCellRegion::Title, band, level, i, &draw, r, last);
        }
      }
    });
  }

  /// Visible footer row k: the footer title over the indicator and marker columns when either is asked
  /// for, then per band the footer cells of the columns (group mode: level by level), with the rectangles
  /// inside the row's top lines where their text goes. A footer cell under the fixed bands is walked too:
  /// its events run before the clipping.
  template <class F>
  void ForEachFooter(int k, F&& f) {
    const TwGridExtents& e = grid_.Model().Extents();
    if (k < 0 || k >= e.FooterCount()) return;
    TwCellRecord rec;
    auto yield = [&](TwCellRegion region, int band, int level, int index, const TwColumnDraw* draw,
                     const TRect& r, bool lastLevel) {
      rec = TwCellRecord{};
      rec.Region = region;
      rec.Band = band;
      rec.Row = k;
      rec.Level = level;
      rec.Index = index;
      rec.Draw = draw;
      rec.Column = draw ? draw->Column : nullptr;
      rec.Rect = r;
      rec.LastLevel = lastLevel;
      f(static_cast<const TwCellRecord&>(rec));
    };
    if (range_.WithIndicator || range_.WithMarker) {
      TRect r = e.FooterCellRect(-2, k);
      if (!range_.WithIndicator) r.Left = e.ItemLeft(-1);
      if (!range_.WithMarker) r.Right = e.ItemRight(-2);
      const TRect inner = e.FooterCellInnerRect(-2, k);  // inside the row's top lines
      yield(TwCellRegion::FooterTitle, -2, 0, 0, nullptr,
            TRect{r.Left + 1, inner.Top, r.Right - 1, inner.Bottom}, true);
    }
    ForEachVisibleBand(e, grid_.Model().FixedCount(), range_.FirstBand, range_.LastBand, [&](int band) {
      if (!grid_.Model().GroupMode()) {
        yield(TwCellRegion::Footer, band, 0, 0, &e.ColumnDraw(band), e.FooterCellInnerRect(band, k), true);
        return;
      }
      const TwGroupAxis& axis = e.GroupAxis(band);
      for (int level = 0; level < axis.Levels; ++level) {
        const int first = axis.LevelStart[std::size_t(level)];
        const int count = axis.LevelStart[std::size_t(level) + 1] - first;
        for (int i = 0; i < count; ++i)
          yield(TwCellRegion::Footer, band, level, i, &axis.Cells[std::size_t(first + i)],
                e.GroupFooterCellInnerRect(TwCellPos{band, level, i}, k), level == axis.Levels - 1);
      }
    });
  }

  /// The buttons a data cell shows. At design time the top row shows the buttons of the column's editor
  /// kind; at run time the current cell keeps room for its editor's ellipsis button (a radio group and a
  /// picture column draw theirs).
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
