#include "grid/structure/extents.h"

#include <algorithm>

#include "grid/structure/column.h"
#include "grid/structure/grid_model.h"

// Map: Layout (vertical pass, horizontal pass, the drawing records) - MaxHorzScroll - horizontal and
// vertical queries - rectangles - hit tests of group mode.

TwGridExtents::TwGridExtents(TwGridModel* grid) : grid_(grid), edges_(kInitialCapacity, 0) {}

// --- layout ---------------------------------------------------------------------------------------

void TwGridExtents::Layout(const TRect& clientRect) {
  TwGridModel& g = *grid_;
  clientRect_ = clientRect;
  contentRect_ = clientRect;
  groupMode_ = g.GroupMode();
  topRow_ = std::max(0, g.TopRow());
  rowCount_ = std::max(0, g.RowCount());
  rowHeight_ = std::max(1, g.RowHeight());
  offset_ = std::max(0, g.HorzOffset());
  // The visible footer rows first, so that every part of this layout sees the same rows.
  g.Footers().RebuildVisible();

  VerticalPass();
  HorizontalPass();

  if (groupMode_) {
    TwGroups& groups = g.Groups();
    for (int i = 0; i < groups.Count(); ++i) {
      TwGroup* grp = groups.Items(i);
      if (!grp->Visible()) continue;
      grp->PrepareLayout();
      grp->Title().PrepareDrawInfo();
    }
  }
  g.Headers().Title().PrepareDrawInfo();
  g.Footers().PrepareTitles();
  g.Indicators().PrepareDrawInfo();
  g.Markers().PrepareDrawInfo();
  TwColumns& columns = g.Columns();
  if (groupMode_) {
    for (int i = 0; i < columns.Count(); ++i) {
      TwColumn* c = columns.Items(i);
      if (c->Group() >= 0) c->PrepareDrawInfo();
    }
  } else {
    for (int i = 0; i < columns.VisibleCount(); ++i) columns.VisibleItems(i)->PrepareDrawInfo();
  }
}

void TwGridExtents::VerticalPass() {
  TwGridModel& g = *grid_;
  dataTop_ = clientRect_.Top + (g.Headers().Visible() ? g.Headers().Height() : 0);
  footerTop_ = clientRect_.Bottom - g.Footers().TotalHeight();
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
  TwGridModel& g = *grid_;
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
  const TwGridFooters& f = grid_->Footers();
  if (k < 0 || k >= f.VisibleCount()) return footerTop_;
  return footerTop_ + f.VisibleOffset(k);
}

int TwGridExtents::FooterRowBottom(int k) const {
  const TwGridFooters& f = grid_->Footers();
  if (k < 0 || k >= f.VisibleCount()) return footerTop_;
  return FooterRowTop(k) + f.VisibleItems(k)->Height();
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

TwGroup* TwGridExtents::VisibleGroup(int g) const {
  if (!groupMode_ || g < 0 || g >= count_) return nullptr;
  return grid_->Groups().VisibleItems(g);
}

TRect TwGridExtents::GroupHeaderRect(int g, int level) const {
  const TwGroup* grp = VisibleGroup(g);
  if (!grp || grp->OffsetLevels() == 0 || level < -1 || level >= grp->OffsetLevels()) return {};
  TRect r = HeaderStripRect(g);
  r.Bottom = clientRect_.Top + grp->HeaderOffset(level + 2);
  r.Top = clientRect_.Top + grp->HeaderOffset(level + 1);
  return r;
}

bool TwGridExtents::ColumnSpan(const TwCellPos& pos, int& left, int& right) const {
  const TwGroup* grp = VisibleGroup(pos.Group);
  if (!grp || pos.Level < 0 || pos.Level >= grp->OffsetLevels()) return false;
  const TwColumn* c = grp->LevelColumn(pos.Level, pos.Index);
  if (!c) return false;
  const int groupLeft = ItemLeft(pos.Group);
  left = groupLeft + c->LevelLeft();
  right = groupLeft + c->LevelRight();
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
  const TwGroup* grp = VisibleGroup(g);
  if (!grp || level < 0 || level >= grp->OffsetLevels()) return {};
  TRect r = CellRect(g, row);
  const int top = r.Top;
  r.Top = top + grp->RowOffset(level);
  r.Bottom = top + grp->RowOffset(level + 1);
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
  const TwGroup* grp = VisibleGroup(pos.Group);
  const TwGridLinesEx& l = grid_->Lines();
  const bool lastInLevel = pos.Index == grp->LevelCount(pos.Level) - 1;
  const bool lastLevel = pos.Level == grp->OffsetLevels() - 1;
  r.Right -= lastInLevel ? l.VertWidth() : l.CellWidth();
  r.Bottom -= lastLevel ? l.HorzWidth() : l.LevelWidth();
  return r;
}

TRect TwGridExtents::FooterCellRect(int i, int k) const {
  if (!ValidItem(i) || k < 0 || k >= grid_->Footers().VisibleCount()) return {};
  if (i < 0) return {edges_[0], FooterRowTop(k), edges_[2], FooterRowBottom(k)};
  return {ItemLeft(i), FooterRowTop(k), ItemRight(i), FooterRowBottom(k)};
}

TRect TwGridExtents::FooterCellInnerRect(int i, int k) const {
  TRect r = FooterCellRect(i, k);
  if (r.IsEmpty()) return r;
  return {r.Left + 1, r.Top + 3, r.Right - 1, r.Bottom - 1};
}

TRect TwGridExtents::FooterStripRect(int i, int k) const {
  if (!ValidItem(i) || k < 0 || k >= grid_->Footers().VisibleCount()) return {};
  return {ItemLeft(i), FooterRowTop(k), ItemRight(i), FooterRowBottom(k)};
}

TRect TwGridExtents::FooterLevelRect(int g, int level, int k) const {
  const TwGroup* grp = VisibleGroup(g);
  if (!grp || level < 0 || level >= grp->OffsetLevels() || k < 0 || k >= grid_->Footers().VisibleCount())
    return {};
  TRect r = FooterStripRect(g, k);
  const int top = r.Top;
  r.Top = top + grp->FooterOffset(k, level);
  r.Bottom = top + grp->FooterOffset(k, level + 1);
  return r;
}

TRect TwGridExtents::GroupFooterCellRect(const TwCellPos& pos, int k) const {
  int left, right;
  if (k < 0 || k >= grid_->Footers().VisibleCount() || !ColumnSpan(pos, left, right)) return {};
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
    const TwGroup* grp = VisibleGroup(g);
    if (!grp->Title().Visible()) return -1;
    const TRect r = GroupHeaderRect(g, -1);
    return y >= clientRect_.Top && y < r.Bottom ? g : -1;
  }
  return -1;
}

TwCellPos TwGridExtents::HeaderPosAt(int x, int y) const {
  TwCellPos pos;
  pos.Group = groupMode_ ? ItemAt(x) : -1;
  if (pos.Group < 0) return TwCellPos{};
  const TwGroup* grp = VisibleGroup(pos.Group);
  for (int level = 0; level < grp->OffsetLevels(); ++level) {
    if (!GroupHeaderRect(pos.Group, level).Contains(x, y)) continue;
    pos.Level = level;
    for (int i = 0; i < grp->LevelCount(level); ++i)
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
  const TwGroup* grp = VisibleGroup(pos.Group);
  for (int level = 0; level < grp->OffsetLevels(); ++level) {
    if (!LevelRect(pos.Group, level, row).Contains(x, y)) continue;
    pos.Level = level;
    for (int i = 0; i < grp->LevelCount(level); ++i)
      if (GroupCellRect({pos.Group, level, i}, row).Contains(x, y)) {
        pos.Index = i;
        break;
      }
    break;
  }
  return pos;
}
