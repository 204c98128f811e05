#pragma once
// TwGridExtents: the layout of the grid. It turns the description model (visible columns or groups with
// their widths, levels and weights, header and footer heights, the side columns, FixedCount, RowHeight,
// the horizontal scroll offset and TopRow) into pixel positions and answers the inverse questions (which
// item, level, column or row lies under a point). Pure arithmetic: nothing here paints.
//
//   client left                                                            client right
//   |Edges[0]  |Edges[1]  |Edges[2]=DataLeft           |FixedRight                    |Edges[count+3]
//   +----------+----------+------------+---------------+------------+--------...------+  client top
//   | corner (HeaderCellRect(-1))      | header of the | header of  |                 |
//   |                                  | fixed items   | item k     |  (scrolls)      |
//   +----------+----------+------------+---------------+------------+-----------------+  DataTop
//   | indic.   | marker   | item 0 ..  FixedCount-1    | item FixedCount ..            |
//   |  (-2)    |  (-1)    |  (fixed, never scroll)     |  shifted left by the offset   |  rows from TopRow
//   +----------+----------+----------------------------+-------------------------------+  ContentRect.bottom
//   |                              background                                         |
//   +---------------------------------------------------------------------------------+  FooterTop
//   | footer row 0 .. VisibleCount-1 of the footers                                   |
//   +---------------------------------------------------------------------------------+  client bottom
//
// Display index i: -2 the indicator column, -1 the marker column, 0..count-1 the visible columns (column
// mode) or the visible groups (group mode). Edges[i+2] is the left of item i before scrolling and
// Edges[i+3] its right. In group mode a group's band is cut into levels by the group's offsets (its
// TwGroupAxis) and each level into its columns (LevelLeft .. LevelRight of their TwColumnDraw).
//
// Besides the geometry the layout keeps the drawing records painting reads: one per visible column (column
// mode) or per column of a visible group (group mode) with the cell, title and footer records, one per
// group title, per visible footer row, for the header corner, the indicator and the marker column.
//
// Layout reads the description objects and never writes into them. Every value is derived; a stale value
// is replaced by the next Layout. The arrays only grow, so a layout in the steady state allocates nothing.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "grid/structure/draw_info.h"
#include "grid/structure/group.h"
#include "platform/paint/canvas.h"

class TwColumn;
class TwGridFooter;
class TwGridModel;
enum class TwEditKind : std::uint8_t;

using plat::paint::TRect;

/// The drawing record of a column for the last layout: its cell, title and footer records, its editor kind,
/// whether it lies in the fixed area, and in group mode its span inside its level from the group's left.
struct TwColumnDraw {
  TwColumn* Column = nullptr;
  TwDrawInfo Cell;
  TwDrawInfo Title;
  TwDrawInfo Footer;
  TwEditKind EditKind{};
  bool Fixed = false;
  int LevelLeft = 0;
  int LevelRight = 0;
};

/// A visible group for the last layout: the y offsets of its levels and the drawing records of its title
/// and of its columns. The last level always takes the remainder of a height.
struct TwGroupAxis {
  TwGroup* Group = nullptr;
  int Levels = 0;
  /// Header[0 .. Levels+1]: Header[0]..Header[1] the title, Header[k+1]..Header[k+2] level k.
  std::vector<int> Header;
  /// Row[0 .. Levels]: level k spans Row[k]..Row[k+1] of a data row.
  std::vector<int> Row;
  /// Footer[k * (Levels+1) + i]: the same for visible footer row k (one extra pixel per inner boundary).
  std::vector<int> Footer;
  /// The columns level by level: those of level l are Cells[LevelStart[l] .. LevelStart[l+1]).
  std::vector<int> LevelStart;
  std::vector<TwColumnDraw> Cells;
  TwDrawInfo Title;
};

/// A visible footer row for the last layout.
struct TwFooterRow {
  TwGridFooter* Footer = nullptr;
  int Top = 0;  ///< from the top of the footer area
  int Height = 0;
  TwDrawInfo Title;
};

class TwGridExtents {
 public:
  static constexpr int kInitialCapacity = 16;

  /// Reads the grid's description (never writes into it).
  explicit TwGridExtents(const TwGridModel* grid);

  /// The whole computation for this client rectangle (see the file comment).
  void Layout(const TRect& clientRect);
  /// Only TopRow or RowCount changed since the last layout: the rows' positions and the content bottom follow
  /// (nothing else depends on them).
  void MoveRows(int topRow, int rowCount);
  /// The largest horizontal scroll offset: scrolling moves in whole items and the last page ends with the
  /// last item; 0 when nothing is visible.
  int MaxHorzScroll() const;

  // --- results of the last layout ---
  const TRect& ClientRect() const { return clientRect_; }
  /// Right: the on-screen right of the last item; bottom: the bottom of the painted rows.
  const TRect& ContentRect() const { return contentRect_; }
  int ScrollWidth() const { return scrollWidth_; }
  int Count() const { return count_; }
  int DataLeft() const { return dataLeft_; }
  int FixedRight() const { return fixedRight_; }
  int DataTop() const { return dataTop_; }
  int FooterTop() const { return footerTop_; }
  int VisibleRows() const { return visibleRows_; }
  int FullRows() const { return fullRows_; }
  /// Edges[i], 0 <= i <= Count()+3.
  int Edge(int i) const { return edges_[std::size_t(i)]; }
  /// Entries allocated for the edges (16 at creation, never shrunk).
  int Capacity() const { return int(edges_.size()); }
  /// The inputs the last layout used.
  bool GroupMode() const { return groupMode_; }
  int FixedCount() const { return fixedCount_; }
  int ScrollOffset() const { return offset_; }
  int TopRow() const { return topRow_; }
  int RowHeight() const { return rowHeight_; }

  // --- horizontal queries (display index -2 .. Count()-1) ---
  bool IsFixedItem(int i) const { return i < fixedCount_; }
  int ItemLeft(int i) const;
  int ItemRight(int i) const;
  int ItemWidth(int i) const;
  /// The lowest item index whose on-screen span holds x (fixed items first), else -1.
  int ItemAt(int x) const;

  // --- vertical queries ---
  /// A row far from TopRow lies beyond +-kMaxCoordinate (never wraps round).
  int RowTop(int row) const { return RowEdge(std::int64_t(row) - topRow_); }
  int RowBottom(int row) const { return RowEdge(std::int64_t(row) - topRow_ + 1); }
  /// -1 above the data rows or below the last painted row.
  int RowAt(int y) const;
  /// k is a visible footer index.
  int FooterRowTop(int k) const;
  int FooterRowBottom(int k) const;
  /// The visible footer rows the last layout used, top to bottom.
  int FooterCount() const { return footerCount_; }
  const TwFooterRow& FooterRow(int k) const { return footers_[std::size_t(k)]; }

  // --- drawing records of the last layout ---
  const TwDrawInfo& HeaderTitleDraw() const { return headerTitle_; }
  const TwDrawInfo& IndicatorDraw() const { return indicator_; }
  const TwDrawInfo& MarkerDraw() const { return marker_; }
  /// Column mode: the record of visible column i.
  const TwColumnDraw& ColumnDraw(int i) const { return columns_[std::size_t(i)]; }
  /// Group mode: visible group g (0 <= g < Count()).
  const TwGroupAxis& GroupAxis(int g) const { return groups_[std::size_t(g)]; }
  /// The record of the column at a group-mode position, nullptr when there is none.
  const TwColumnDraw* GroupCellDraw(const TwCellPos& pos) const;
  /// The level offsets of visible group g (see TwGroupAxis); 0 levels outside group mode.
  int OffsetLevels(int g) const { return groupMode_ && g >= 0 && g < count_ ? GroupAxis(g).Levels : 0; }
  int HeaderOffset(int g, int i) const { return GroupAxis(g).Header[std::size_t(i)]; }
  int RowOffset(int g, int i) const { return GroupAxis(g).Row[std::size_t(i)]; }
  int FooterOffset(int g, int k, int i) const {
    const TwGroupAxis& a = GroupAxis(g);
    return a.Footer[std::size_t(k * (a.Levels + 1) + i)];
  }

  // --- rectangles (an index out of range gives an empty rectangle) ---
  TRect HeaderCellRect(int i) const;
  TRect HeaderStripRect(int i) const;
  /// Level -1 is the group title.
  TRect GroupHeaderRect(int g, int level) const;
  TRect ColumnTitleRect(const TwCellPos& pos) const;
  TRect CellRect(int i, int row) const;
  TRect CellInnerRect(int i, int row) const;
  TRect LevelRect(int g, int level, int row) const;
  TRect GroupCellRect(const TwCellPos& pos, int row) const;
  TRect GroupCellInnerRect(const TwCellPos& pos, int row) const;
  TRect FooterCellRect(int i, int k) const;
  TRect FooterCellInnerRect(int i, int k) const;
  TRect FooterStripRect(int i, int k) const;
  TRect FooterLevelRect(int g, int level, int k) const;
  TRect GroupFooterCellRect(const TwCellPos& pos, int k) const;
  TRect GroupFooterCellInnerRect(const TwCellPos& pos, int k) const;

  // --- hit tests of group mode ---
  /// The visible index of the group whose title holds the point, else -1.
  int GroupTitleAt(int x, int y) const;
  /// The column title under the point: (group, level, index); the parts that match nothing are -1.
  TwCellPos HeaderPosAt(int x, int y) const;
  /// The cell of data row `row` under the point, the same way.
  TwCellPos CellPosAt(int row, int x, int y) const;

  /// Coordinates are kept inside +-kMaxCoordinate: sums of many widths saturate there instead of
  /// overflowing.
  static constexpr int kMaxCoordinate = 1 << 29;

 private:
  bool ValidItem(int i) const { return i >= -2 && i < count_; }
  int RowEdge(std::int64_t rowsFromTop) const {
    const std::int64_t y = rowsFromTop * rowHeight_ + dataTop_;
    return int(std::clamp<std::int64_t>(y, -kMaxCoordinate, kMaxCoordinate));
  }
  int ItemWidthOf(int i) const;
  const TwGroupAxis* VisibleGroup(int g) const;
  /// x span of a column inside group g (on screen), false when there is no column at pos.
  bool ColumnSpan(const TwCellPos& pos, int& left, int& right) const;
  void FooterPass();
  void VerticalPass();
  void ContentBottom();
  void HorizontalPass();
  void GroupPass(int g);
  void DrawRecords();

  const TwGridModel* grid_;
  std::vector<std::int32_t> edges_;
  TRect clientRect_;
  TRect contentRect_;
  int scrollWidth_ = 0;
  int count_ = 0;
  int dataLeft_ = 0;
  int fixedRight_ = 0;
  int dataTop_ = 0;
  int footerTop_ = 0;
  int visibleRows_ = 0;
  int fullRows_ = 0;
  bool groupMode_ = false;
  int fixedCount_ = 0;
  int offset_ = 0;
  int topRow_ = 0;
  int rowHeight_ = 1;
  int rowCount_ = 0;
  int footerCount_ = 0;
  int footerHeight_ = 0;
  std::vector<TwFooterRow> footers_;
  std::vector<TwColumnDraw> columns_;
  std::vector<TwGroupAxis> groups_;
  TwDrawInfo headerTitle_;
  TwDrawInfo indicator_;
  TwDrawInfo marker_;
};
