#include "grid/structure/extents.h"

#include <algorithm>

#include "grid/structure/column.h"
#include "grid/structure/grid_model.h"

// Map: Layout (footer rows, vertical pass, horizontal pass, group axes, the drawing records) - MaxHorzScroll
// - horizontal and vertical queries - rectangles - hit tests of group mode.

TwGridExtents::TwGridExtents(const TwGridModel* grid) : grid_(grid), edges_(kInitialCapacity, 0) {}

// --- layout ---------------------------------------------------------------------------------------

void TwGridExtents::Layout(const TRect& clientRect) {
  const TwGridModel& g = *grid_;
  clientRect_ = clientRect;
  contentRect_ = clientRect;
  groupMode_ = g.GroupMode();
  topRow_ = std::max(0, g.TopRow());
  rowCount_ = std::max(0, g.RowCount());
  rowHeight_ = std::max(1, g.RowHeight());
  offset_ = std::max(0, g.HorzOffset());
  // The visible footer rows first, so that every part of this layout sees the same rows.
  FooterPass();
  VerticalPass();
  HorizontalPass();
  if (groupMode_) {
    if (int(groups_.size()) < count_) groups_.resize(std::size_t(count_));
    for (int i = 0; i < count_; ++i) GroupPass(i);
  } else if (int(columns_.size()) < count_) {
    columns_.resize(std::size_t(count_));
  }
  DrawRecords();
}

void TwGridExtents::FooterPass() {
  const TwGridFooters& f = grid_->Footers();
  footerCount_ = 0;
  footerHeight_ = 0;
  for (int i = 0; i < f.Count(); ++i) {
    TwGridFooter* footer = f.Items(i);
    if (!footer->Visible()) continue;
    if (int(footers_.size()) <= footerCount_) footers_.resize(std::size_t(footerCount_) + 1);
    TwFooterRow& row = footers_[std::size_t(footerCount_++)];
    row.Footer = footer;
    row.Top = footerHeight_;
    row.Height = footer->Height();
    footerHeight_ += row.Height;
  }
}

void TwGridExtents::VerticalPass() {
  const TwGridModel& g = *grid_;
  dataTop_ = clientRect_.Top + (g.Headers().Visible() ? g.Headers().Height() : 0);
  footerTop_ = clientRect_.Bottom - footerHeight_;
  // A negative share of a tiny client counts as no rows.
  visibleRows_ = std::max(0, (rowHeight_ + footerTop_ - dataTop_ - 1) / rowHeight_);
  fullRows_ = visibleRows_;
  if (dataTop_ + rowHeight_ * std::max(1, visibleRows_) > footerTop_) fullRows_ = std::max(0, fullRows_ - 1);
  ContentBottom();
}

void TwGridExtents::ContentBottom() {
  // At least one row's height, also without rows.
  const int painted = std::max(1, std::min(rowCount_ - topRow_, visibleRows_));
  contentRect_.Bottom = std::min(footerTop_, dataTop_ + rowHeight_ * painted);
}

void TwGridExtents::MoveRows(int topRow, int rowCount) {
  topRow_ = std::max(0, topRow);
  rowCount_ = std::max(0, rowCount);
  ContentBottom();
}

int TwGridExtents::ItemWidthOf(int i) const {
  if (groupMode_) return grid_->Groups().VisibleItems(i)->Width();
  return grid_->Columns().VisibleItems(i)->ColWidth();
}

void TwGridExtents::HorizontalPass() {
  const TwGridModel& g = *grid_;
  count_ = groupMode_ ? g.Groups().VisibleCount() : g.Columns().VisibleCount();
  if (int(edges_.size()) < count_ + 4) edges_.resize(std::size_t(count_) + 4, 0);
  fixedCount_ = std::clamp(g.FixedCount(), 0, count_);

  edges_[0] = clientRect_.Left;
  edges_[std::size_t(count_) + 3] = clientRect_.Right;
  edges_[1] = edges_[0] + (g.Indicators().Visible() ? g.Indicators().Width() : 0);
  edges_[2] = edges_[1] + (g.Markers().Visible() ? g.Markers().Width() : 0);
  dataLeft_ = fixedRight_ = edges_[2];
  scrollWidth_ = 0;
  // The sums saturate at kMaxCoordinate: items beyond it get no width and never show.
  const auto saturated = [](std::int64_t v) { return int(std::min<std::int64_t>(v, kMaxCoordinate)); };
  for (int i = 0; i < count_; ++i) {
    const int w = std::max(0, ItemWidthOf(i));
    edges_[std::size_t(i) + 3] = saturated(std::int64_t(edges_[std::size_t(i) + 2]) + w);
    if (i < fixedCount_)
      fixedRight_ = saturated(std::int64_t(fixedRight_) + w);
    else
      scrollWidth_ = saturated(std::int64_t(scrollWidth_) + w);
  }
  // The last item scrolls unless it is fixed (only when nothing scrolls at all).
  contentRect_.Right = edges_[std::size_t(count_) + 2] - (count_ > fixedCount_ ? offset_ : 0);
}

void TwGridExtents::GroupPass(int gi) {
  const TwGridModel& g = *grid_;
  TwGroupAxis& a = groups_[std::size_t(gi)];
  TwGroup* grp = g.Groups().VisibleItems(gi);
  a.Group = grp;
  const int L = grp->Levels();
  // Weight is the sum of the level weights; a weight read as 0 must not divide.
  int W = grp->Weight();
  if (W <= 0) {
    W = 0;
    for (int l = 0; l < L; ++l) W += grp->LevelWeight(l);
    W = std::max(1, W);
  }
  const auto weight = [&](int l) { return grp->LevelWeight(l); };
  // resize keeps the capacity: after the first layout nothing is allocated here.
  a.Levels = L;
  a.Row.resize(std::size_t(L) + 1);
  a.Header.resize(std::size_t(L) + 2);
  a.Footer.resize(std::size_t(footerCount_) * std::size_t(L + 1));
  a.LevelStart.resize(std::size_t(L) + 1);

  // Header: the title on top, then the levels share the rest.
  const int header = g.Headers().Height();
  int title = 0;
  if (grp->Title().Visible())
    title =
        grp->NoColTitles() && !g.GridState().Designing() ? header : std::min(grp->Title().Height(), header);
  a.Header[0] = 0;
  a.Header[1] = title;
  a.Header[std::size_t(L) + 1] = header;
  for (int i = 2; i <= L; ++i)
    a.Header[std::size_t(i)] =
        std::min(header, (header - title) * weight(i - 2) / W + a.Header[std::size_t(i) - 1]);

  // A data row.
  const int rowHeight = g.RowHeight();
  a.Row[0] = 0;
  a.Row[std::size_t(L)] = rowHeight;
  for (int i = 1; i < L; ++i)
    a.Row[std::size_t(i)] = std::min(rowHeight, rowHeight * weight(i - 1) / W + a.Row[std::size_t(i) - 1]);

  // Each visible footer row: one extra pixel per inner boundary.
  for (int k = 0; k < footerCount_; ++k) {
    int* f = &a.Footer[std::size_t(k) * std::size_t(L + 1)];
    const int h = footers_[std::size_t(k)].Height;
    f[0] = 0;
    f[L] = h;
    for (int j = 1; j < L; ++j) f[j] = std::min(h, h * weight(j - 1) / W + f[j - 1] + 1);
  }

  // The columns level by level with their spans; the last column of a level reaches the group's right edge.
  int cells = 0;
  for (int l = 0; l < L; ++l) cells += grp->LevelCount(l);
  if (int(a.Cells.size()) < cells) a.Cells.resize(std::size_t(cells));
  int n = 0;
  for (int l = 0; l < L; ++l) {
    a.LevelStart[std::size_t(l)] = n;
    int left = 0;
    const int count = grp->LevelCount(l);
    for (int i = 0; i < count; ++i) {
      TwColumnDraw& c = a.Cells[std::size_t(n++)];
      c.Column = grp->LevelColumn(l, i);
      c.LevelLeft = left;
      c.LevelRight = i == count - 1 ? grp->Width() : left + c.Column->GrpWidth();
      left += c.Column->GrpWidth();
    }
  }
  a.LevelStart[std::size_t(L)] = n;
}

void TwGridExtents::DrawRecords() {
  const TwGridModel& g = *grid_;
  // The fixed area: the item's visible index below the grid's FixedCount (as TwColumn::Fixed).
  const auto fill = [&](TwColumnDraw& r, int item) {
    const TwColumn& c = *r.Column;
    r.EditKind = c.GetEditKind();
    r.Fixed = item < g.FixedCount();
    c.FillDrawRecords(r.Cell, r.Title, r.Footer);
  };
  if (groupMode_) {
    for (int i = 0; i < count_; ++i) {
      TwGroupAxis& a = groups_[std::size_t(i)];
      a.Group->Title().FillDrawInfo(a.Title);
      for (int n = 0; n < a.LevelStart[std::size_t(a.Levels)]; ++n) fill(a.Cells[std::size_t(n)], i);
    }
  } else {
    for (int i = 0; i < count_; ++i) {
      TwColumnDraw& r = columns_[std::size_t(i)];
      r.Column = g.Columns().VisibleItems(i);
      r.LevelLeft = r.LevelRight = 0;
      fill(r, i);
    }
  }
  g.Headers().Title().FillDrawInfo(headerTitle_);
  for (int k = 0; k < footerCount_; ++k) {
    TwFooterRow& f = footers_[std::size_t(k)];
    f.Footer->Title().FillDrawInfo(f.Title);
  }
  g.Indicators().FillDrawInfo(indicator_);
  g.Markers().FillDrawInfo(marker_);
}

const TwColumnDraw* TwGridExtents::GroupCellDraw(const TwCellPos& pos) const {
  if (!groupMode_ || pos.Group < 0 || pos.Group >= count_) return nullptr;
  const TwGroupAxis& a = GroupAxis(pos.Group);
  if (pos.Level < 0 || pos.Level >= a.Levels) return nullptr;
  const int first = a.LevelStart[std::size_t(pos.Level)];
  if (pos.Index < 0 || first + pos.Index >= a.LevelStart[std::size_t(pos.Level) + 1]) return nullptr;
  return &a.Cells[std::size_t(first + pos.Index)];
}

int TwGridExtents::MaxHorzScroll() const {
  if (count_ == 0) return 0;
  // The edges are absolute, so the fixed area ends at FixedRight whatever the client's left.
  const int available = clientRect_.Right - fixedRight_;
  int total = scrollWidth_;
  int result = 0;
  int i = fixedCount_;
  if (i >= count_) return 0;
  while (total > available && i < count_ - 1) {
    const int w = ItemWidth(i);
    result += w;
    total -= w;
    ++i;
  }
  return result + std::max(0, ItemWidth(i) - available);
}

// --- horizontal queries ---------------------------------------------------------------------------

int TwGridExtents::ItemLeft(int i) const {
  if (!ValidItem(i)) return 0;
  return edges_[std::size_t(i) + 2] - (IsFixedItem(i) ? 0 : offset_);
}

int TwGridExtents::ItemRight(int i) const {
  if (!ValidItem(i)) return 0;
  return edges_[std::size_t(i) + 3] - (IsFixedItem(i) ? 0 : offset_);
}

int TwGridExtents::ItemWidth(int i) const {
  if (!ValidItem(i)) return 0;
  return edges_[std::size_t(i) + 3] - edges_[std::size_t(i) + 2];
}

int TwGridExtents::ItemAt(int x) const {
  // Fixed items come first in display order; a scrolled item is hidden under the whole fixed area,
  // the indicator and marker columns included, so it is never found left of FixedRight. The edges are a
  // running sum (never decreasing), so each part is a binary search: the last item starting at or left
  // of x holds x when it ends right of it (an empty item holds nothing).
  const auto find = [&](int first, int last, int shift) {
    if (first >= last) return -1;
    const auto begin = edges_.begin() + 2 + first, end = edges_.begin() + 2 + last;
    const auto after = std::upper_bound(begin, end, x + shift);
    if (after == begin) return -1;
    const int i = first + int(after - begin) - 1;
    return x + shift < edges_[std::size_t(i) + 3] ? i : -1;
  };
  const int fixed = find(0, fixedCount_, 0);
  if (fixed >= 0 || fixedCount_ >= count_ || x < fixedRight_) return fixed;
  return find(fixedCount_, count_, offset_);
}

// --- vertical queries -----------------------------------------------------------------------------

int TwGridExtents::RowAt(int y) const {
  if (y < dataTop_ || y >= contentRect_.Bottom) return -1;
  return topRow_ + (y - dataTop_) / rowHeight_;
}

int TwGridExtents::FooterRowTop(int k) const {
  if (k < 0 || k >= footerCount_) return footerTop_;
  return footerTop_ + footers_[std::size_t(k)].Top;
}

int TwGridExtents::FooterRowBottom(int k) const {
  if (k < 0 || k >= footerCount_) return footerTop_;
  return FooterRowTop(k) + footers_[std::size_t(k)].Height;
}

// --- rectangles -----------------------------------------------------------------------------------

TRect TwGridExtents::HeaderCellRect(int i) const {
  if (!ValidItem(i)) return {};
  if (i < 0) return {edges_[0], clientRect_.Top, edges_[2], dataTop_};
  return {ItemLeft(i), clientRect_.Top, ItemRight(i), dataTop_};
}

TRect TwGridExtents::HeaderStripRect(int i) const {
  if (!ValidItem(i)) return {};
  return {ItemLeft(i), clientRect_.Top, ItemRight(i), dataTop_};
}

const TwGroupAxis* TwGridExtents::VisibleGroup(int g) const {
  if (!groupMode_ || g < 0 || g >= count_) return nullptr;
  return &groups_[std::size_t(g)];
}

TRect TwGridExtents::GroupHeaderRect(int g, int level) const {
  const TwGroupAxis* a = VisibleGroup(g);
  if (!a || a->Levels == 0 || level < -1 || level >= a->Levels) return {};
  TRect r = HeaderStripRect(g);
  r.Bottom = clientRect_.Top + a->Header[std::size_t(level) + 2];
  r.Top = clientRect_.Top + a->Header[std::size_t(level) + 1];
  return r;
}

bool TwGridExtents::ColumnSpan(const TwCellPos& pos, int& left, int& right) const {
  const TwColumnDraw* c = GroupCellDraw(pos);
  if (!c) return false;
  const int groupLeft = ItemLeft(pos.Group);
  left = groupLeft + c->LevelLeft;
  right = groupLeft + c->LevelRight;
  return true;
}

TRect TwGridExtents::ColumnTitleRect(const TwCellPos& pos) const {
  int left, right;
  if (!ColumnSpan(pos, left, right)) return {};
  TRect r = GroupHeaderRect(pos.Group, pos.Level);
  r.Left = left;
  r.Right = right;
  return r;
}

TRect TwGridExtents::CellRect(int i, int row) const {
  if (!ValidItem(i)) return {};
  return {ItemLeft(i), RowTop(row), ItemRight(i), RowBottom(row)};
}

TRect TwGridExtents::CellInnerRect(int i, int row) const {
  TRect r = CellRect(i, row);
  if (r.IsEmpty()) return r;
  const TwGridLines& l = i == -2   ? static_cast<const TwGridLines&>(grid_->Indicators().Lines())
                         : i == -1 ? static_cast<const TwGridLines&>(grid_->Markers().Lines())
                                   : static_cast<const TwGridLines&>(grid_->Lines());
  r.Right -= l.VertWidth();
  r.Bottom -= l.HorzWidth();
  return r;
}

TRect TwGridExtents::LevelRect(int g, int level, int row) const {
  const TwGroupAxis* a = VisibleGroup(g);
  if (!a || level < 0 || level >= a->Levels) return {};
  TRect r = CellRect(g, row);
  const int top = r.Top;
  r.Top = top + a->Row[std::size_t(level)];
  r.Bottom = top + a->Row[std::size_t(level) + 1];
  return r;
}

TRect TwGridExtents::GroupCellRect(const TwCellPos& pos, int row) const {
  int left, right;
  if (!ColumnSpan(pos, left, right)) return {};
  TRect r = LevelRect(pos.Group, pos.Level, row);
  r.Left = left;
  r.Right = right;
  return r;
}

TRect TwGridExtents::GroupCellInnerRect(const TwCellPos& pos, int row) const {
  TRect r = GroupCellRect(pos, row);
  if (r.IsEmpty()) return r;
  const TwGroupAxis& a = groups_[std::size_t(pos.Group)];
  const TwGridLinesEx& l = grid_->Lines();
  const bool lastInLevel =
      pos.Index == a.LevelStart[std::size_t(pos.Level) + 1] - a.LevelStart[std::size_t(pos.Level)] - 1;
  const bool lastLevel = pos.Level == a.Levels - 1;
  r.Right -= lastInLevel ? l.VertWidth() : l.CellWidth();
  r.Bottom -= lastLevel ? l.HorzWidth() : l.LevelWidth();
  return r;
}

TRect TwGridExtents::FooterCellRect(int i, int k) const {
  if (!ValidItem(i) || k < 0 || k >= footerCount_) return {};
  if (i < 0) return {edges_[0], FooterRowTop(k), edges_[2], FooterRowBottom(k)};
  return {ItemLeft(i), FooterRowTop(k), ItemRight(i), FooterRowBottom(k)};
}

TRect TwGridExtents::FooterCellInnerRect(int i, int k) const {
  TRect r = FooterCellRect(i, k);
  if (r.IsEmpty()) return r;
  return {r.Left + 1, r.Top + 3, r.Right - 1, r.Bottom - 1};
}

TRect TwGridExtents::FooterStripRect(int i, int k) const {
  if (!ValidItem(i) || k < 0 || k >= footerCount_) return {};
  return {ItemLeft(i), FooterRowTop(k), ItemRight(i), FooterRowBottom(k)};
}

TRect TwGridExtents::FooterLevelRect(int g, int level, int k) const {
  const TwGroupAxis* a = VisibleGroup(g);
  if (!a || level < 0 || level >= a->Levels || k < 0 || k >= footerCount_) return {};
  TRect r = FooterStripRect(g, k);
  const int top = r.Top;
  r.Top = top + FooterOffset(g, k, level);
  r.Bottom = top + FooterOffset(g, k, level + 1);
  return r;
}

TRect TwGridExtents::GroupFooterCellRect(const TwCellPos& pos, int k) const {
  int left, right;
  if (k < 0 || k >= footerCount_ || !ColumnSpan(pos, left, right)) return {};
  TRect r = FooterLevelRect(pos.Group, pos.Level, k);
  r.Left = left;
  r.Right = right;
  return r;
}

TRect TwGridExtents::GroupFooterCellInnerRect(const TwCellPos& pos, int k) const {
  TRect r = GroupFooterCellRect(pos, k);
  if (r.IsEmpty()) return r;
  return {r.Left, r.Top + (pos.Level == 0 ? 2 : 1), r.Right - 1, r.Bottom - 1};
}

// --- hit tests of group mode ----------------------------------------------------------------------

int TwGridExtents::GroupTitleAt(int x, int y) const {
  if (!groupMode_) return -1;
  // Only the first group containing x is examined.
  for (int g = 0; g < count_; ++g) {
    if (!(ItemLeft(g) <= x && x < ItemRight(g))) continue;
    if (!groups_[std::size_t(g)].Group->Title().Visible()) return -1;
    const TRect r = GroupHeaderRect(g, -1);
    return y >= clientRect_.Top && y < r.Bottom ? g : -1;
  }
  return -1;
}

TwCellPos TwGridExtents::HeaderPosAt(int x, int y) const {
  TwCellPos pos;
  pos.Group = groupMode_ ? ItemAt(x) : -1;
  if (pos.Group < 0) return TwCellPos{};
  const TwGroupAxis& a = groups_[std::size_t(pos.Group)];
  for (int level = 0; level < a.Levels; ++level) {
    if (!GroupHeaderRect(pos.Group, level).Contains(x, y)) continue;
    pos.Level = level;
    const int count = a.LevelStart[std::size_t(level) + 1] - a.LevelStart[std::size_t(level)];
    for (int i = 0; i < count; ++i)
      if (ColumnTitleRect({pos.Group, level, i}).Contains(x, y)) {
        pos.Index = i;
        break;
      }
    break;
  }
  return pos;
}

TwCellPos TwGridExtents::CellPosAt(int row, int x, int y) const {
  TwCellPos pos;
  pos.Group = groupMode_ ? ItemAt(x) : -1;
  if (pos.Group < 0) return TwCellPos{};
  const TwGroupAxis& a = groups_[std::size_t(pos.Group)];
  for (int level = 0; level < a.Levels; ++level) {
    if (!LevelRect(pos.Group, level, row).Contains(x, y)) continue;
    pos.Level = level;
    const int count = a.LevelStart[std::size_t(level) + 1] - a.LevelStart[std::size_t(level)];
    for (int i = 0; i < count; ++i)
      if (GroupCellRect({pos.Group, level, i}, row).Contains(x, y)) {
        pos.Index = i;
        break;
      }
    break;
  }
  return pos;
}
