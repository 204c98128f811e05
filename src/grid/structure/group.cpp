#include "grid/structure/group.h"

#include <algorithm>
#include <cstdint>

#include "grid/structure/column.h"
#include "grid/structure/extents.h"
#include "grid/structure/grid_model.h"
#include "grid/structure/pixel_range.h"
#include "platform/error.h"
#include "platform/format/format.h"
#include "platform/text/text.h"

// Map: messages - TwGroupTitle - TwGroup (construction, levels and weights, visibility, columns in
// levels, widths, cells below and above, layout offsets, checks) - TwGroups (items, captions, visible
// list, RebuildLevels, positions, Update, checks).

std::string LevelsInUseMessage(int level) {
  return "Level " + std::to_string(level) + "에는 연결된 컬럼들이 " + "존재합니다" + "\r\n" +
         "이들과의 연결을 먼저 끊어야" + "합니다";
}

std::string LevelBoundsMessage(int level) {
  return "Level bounds error in GetLevelWeight(" + std::to_string(level) + ")";
}

// --- TwGroupTitle ---------------------------------------------------------------------------------

TwGridModel* TwGroupTitle::GetGrid() const {
  return group_->Grid();
}

void TwGroupTitle::Changed() {
  group_->Changed();
}

void TwGroupTitle::SetHeight(int v) {
  TwGridModel* g = GetGrid();
  if (g && g->GridState().Loading()) {
    height_ = ClampPixelSize(v, 0);
    return;
  }
  // Every level keeps at least 4 pixels of the group-mode header.
  const int most =
      g ? std::max(0, g->Headers().GrpHeight() - TwGroup::kMinColumnWidth * group_->Levels()) : v;
  v = std::clamp(v, 0, std::max(0, most));
  if (v == height_) return;
  const int old = height_;
  height_ = v;
  Changed();
  if (g) {
    g->RequestLayout();
    g->LevelHeightChanged(group_, -1, old);
  }
}

void TwGroupTitle::SetVisible(bool v) {
  if (visible_ == v) return;
  TwGridModel* g = GetGrid();
  const bool loading = g && g->GridState().Loading();
  // A group without column titles shows its title over the whole header.
  if (!loading && !v && group_->NoColTitles()) return;
  visible_ = v;
  if (loading) return;
  Changed();
  if (g) g->RequestLayout();
}

void TwGroupTitle::FillDrawInfo(TwDrawInfo& d) const {
  TwDrawObject::FillDrawInfo(d);
  TwGridModel* g = GetGrid();
  if (!g) return;
  d.ClipLeft = group_->IsFixed() ? 0 : g->Extents().FixedRight();
  d.ClipBottom = g->ClientHeight();
  if (Pressed()) d.CellStyle = wcsDown;
  const TwGridLinesEx& l = g->Headers().Lines();
  if (group_->NoColTitles())
    SetHorzLine(d, l);
  else
    SetHorzLine(d, l.LevelColor(), l.LevelStyle(), l.LevelWidth());
  SetVertLine(d, l);
}

// --- TwGroup: construction ------------------------------------------------------------------------

TwGroup::TwGroup(TwGroups* collection)
    : collection_(collection), levelLists_(1), title_(std::make_unique<TwGroupTitle>(this)) {
  weights_.fill(1);
  prevWeights_.fill(1);
}

// The collection takes the group out of the visible list and its columns out of the group before it
// destroys it (TwGroups::Delete); here only the owned parts go.
TwGroup::~TwGroup() = default;

void TwGroup::CreateParts() {
  title_ = CreateTitle();
}

TwGridModel* TwGroup::Grid() const {
  return collection_ ? collection_->Owner() : nullptr;
}

int TwGroup::Index() const {
  return collection_ ? collection_->IndexOf(this) : -1;
}

std::string TwGroup::DisplayName() const {
  if (!title_->Caption().empty()) return title_->Caption();
  return "TwGroup" + std::to_string(Index());
}

bool TwGroup::GridLoading() const {
  const TwGridModel* g = Grid();
  return g && g->GridState().Loading();
}

bool TwGroup::GridUpdating() const {
  const TwGridModel* g = Grid();
  return g && g->GridState().Updating();
}

void TwGroup::Changed(bool allItems) {
  if (collection_) collection_->Update(allItems ? nullptr : this);
}

// --- TwGroup: levels and weights ------------------------------------------------------------------

void TwGroup::SetLevels(int v) {
  v = std::clamp(v, 1, kMaxLevels);
  if (v == levels_) return;
  if (v < levels_) {
    for (int l = v; l < levels_ && l < int(levelLists_.size()); ++l)
      if (!levelLists_[std::size_t(l)].empty()) throw plat::Exception(LevelsInUseMessage(l));
    for (std::size_t l = std::size_t(v); l < levelLists_.size(); ++l) levelLists_[l].clear();
  } else if (int(levelLists_.size()) < v) {
    levelLists_.resize(std::size_t(v));
  }
  levels_ = v;
  if (!GridLoading() && !GridUpdating()) {
    weight_ = v;
    weights_.fill(1);
  }
  Changed(true);
}

void TwGroup::SetNoColTitles(bool v) {
  if (noColTitles_ == v) return;
  if (!GridLoading() && v && !title_->Visible()) return;
  noColTitles_ = v;
  if (GridLoading()) return;
  Changed();
  if (TwGridModel* g = Grid()) g->RequestLayout();
}

void TwGroup::SetWeight(int v) {
  if (GridLoading()) {
    weight_ = v;
    return;
  }
  if (levels_ < 2) return;
  v = std::clamp(v, levels_, 3 * levels_);
  if (v == weight_) return;
  // The difference is measured from the level weights themselves, so that the sum stays Weight.
  int sum = 0;
  for (int l = 0; l < levels_; ++l) sum += weights_[std::size_t(l)];
  if (v == levels_) {
    for (int l = 0; l < levels_; ++l) weights_[std::size_t(l)] = 1;
  } else if (v > sum) {
    weights_[0] = std::uint8_t(weights_[0] + (v - sum));
  } else if (v < sum) {
    int d = sum - v;
    for (int l = 0; l < levels_ && d > 0; ++l) {
      const int give = std::min(d, weights_[std::size_t(l)] - 1);
      weights_[std::size_t(l)] = std::uint8_t(weights_[std::size_t(l)] - give);
      d -= give;
    }
    v += d;  // what could not be taken stays
  }
  weight_ = v;
  Changed();
}

int TwGroup::LevelWeight(int level) const {
  if (level < 0 || level >= levels_) throw plat::Exception(LevelBoundsMessage(level));
  return weights_[std::size_t(level)];
}

void TwGroup::SetLevelWeight(int level, int w) {
  if (GridLoading()) return;
  if (level < 0 || level >= levels_) throw plat::Exception(LevelBoundsMessage(level));
  w = std::max(1, w);
  const int old = weights_[std::size_t(level)];
  if (weight_ == levels_ || old == w) return;
  prevWeights_ = weights_;
  if (w < old) {
    const int to = level + 1 < levels_ ? level + 1 : level - 1;
    if (to < 0) return;
    weights_[std::size_t(level)] = std::uint8_t(w);
    weights_[std::size_t(to)] = std::uint8_t(weights_[std::size_t(to)] + (old - w));
  } else {
    const int d = w - old;
    int got = 0;
    auto take = [&](int l) {
      const int t = std::min(d - got, weights_[std::size_t(l)] - 1);
      weights_[std::size_t(l)] = std::uint8_t(weights_[std::size_t(l)] - t);
      got += t;
    };
    for (int l = level + 1; l < levels_ && got < d; ++l) take(l);
    for (int l = 0; l < level && got < d; ++l) take(l);
    weights_[std::size_t(level)] = std::uint8_t(old + got);
  }
  if (weights_ == prevWeights_) return;  // no other level had weight to give
  Changed();
  TwGridModel* g = Grid();
  if (!g) return;
  g->RequestLayout();
  for (int l = 0; l < levels_; ++l)
    if (weights_[std::size_t(l)] != prevWeights_[std::size_t(l)])
      g->LevelHeightChanged(this, l, prevWeights_[std::size_t(l)]);
}

// --- TwGroup: visibility --------------------------------------------------------------------------

void TwGroup::SetVisible(bool v) {
  if (visible_ == v) return;
  visible_ = v;
  TwGridModel* g = Grid();
  if (!collection_ || !g) return;
  const plat::ComponentState& st = g->GridState();
  if (st.Loading() || st.Destroying()) return;
  if (st.Designing()) {
    collection_->Update(nullptr);
    collection_->RebuildVisible();
    return;
  }
  const TwCellPos cur = g->GroupMode() ? g->CurrentCell() : TwCellPos{};
  int vi;
  if (v) {
    vi = std::min(savedVisibleIndex_, collection_->VisibleCount());
    collection_->InsertVisible(this, vi);
  } else {
    vi = VisibleIndex();
    collection_->RemoveVisible(this);
  }
  bool moveToFirst = false;
  if (cur.IsSet()) {
    if (!v && cur.Group == vi) {
      g->RequestChange({TwGridModel::ChangeRequest::CloseEditor});
      moveToFirst = true;
    } else if (vi <= cur.Group) {
      g->RequestLayout();  // the current cell moved sideways: the edit button follows
    }
  }
  Changed(true);
  if (moveToFirst && g->GroupMode()) g->RequestChange({TwGridModel::ChangeRequest::MoveToFirstCell});
}

void TwGroup::SetVisibleIndex(int v) {
  v = std::max(-1, v);
  if (!collection_ || GridLoading()) return;
  const int cur = VisibleIndex();
  if (v == cur) return;
  if (v == -1) {
    SetVisible(false);
    return;
  }
  if (cur >= 0) {
    v = std::min(v, collection_->VisibleCount() - 1);
    savedVisibleIndex_ = v;
    collection_->MoveVisible(this, v);
    Changed(true);
  } else {
    v = std::min(v, collection_->VisibleCount());
    savedVisibleIndex_ = v;
    SetVisible(true);
  }
}

bool TwGroup::IsFixed() const {
  const TwGridModel* g = Grid();
  const int vi = VisibleIndex();
  return g && vi >= 0 && vi < g->GrpFixedCount();
}

// --- TwGroup: columns in levels -------------------------------------------------------------------

int TwGroup::MaxColumnsPerLevel() const {
  int n = 1;
  for (int l = 0; l < levels_; ++l) n = std::max(n, LevelCount(l));
  return n;
}

int TwGroup::ColumnCount() const {
  int n = 0;
  for (const Level& lv : levelLists_) n += int(lv.size());
  return n;
}

bool TwGroup::Find(const TwColumn* column, int& level, int& index) const {
  if (!column) return false;
  // The column's own fields say where it stands; check them before searching.
  const int l = column->level_, i = column->levelIndex_;
  if (l >= 0 && l < int(levelLists_.size()) && i >= 0 && i < int(levelLists_[std::size_t(l)].size()) &&
      levelLists_[std::size_t(l)][std::size_t(i)] == column) {
    level = l;
    index = i;
    return true;
  }
  for (std::size_t a = 0; a < levelLists_.size(); ++a)
    for (std::size_t b = 0; b < levelLists_[a].size(); ++b)
      if (levelLists_[a][b] == column) {
        level = int(a);
        index = int(b);
        return true;
      }
  return false;
}

void TwGroup::Renumber(int level) {
  const int gi = Index();
  Level& lv = levelLists_[std::size_t(level)];
  for (std::size_t i = 0; i < lv.size(); ++i) {
    lv[i]->group_ = gi;
    lv[i]->level_ = level;
    lv[i]->levelIndex_ = int(i);
  }
}

void TwGroup::InsertColumn(int level, int index, TwColumn* column) {
  if (!column) return;
  // A column stands in one group only.
  if (collection_) {
    for (int i = 0; i < collection_->Count(); ++i) {
      TwGroup* holder = collection_->Items(i);
      int l, x;
      if (holder->Find(column, l, x)) {
        holder->RemoveColumn(column);
        break;
      }
    }
  }
  level = std::clamp(level, 0, levels_ - 1);
  if (int(levelLists_.size()) < levels_) levelLists_.resize(std::size_t(levels_));
  Level& lv = levelLists_[std::size_t(level)];
  index = std::clamp(index, 0, int(lv.size()));
  lv.insert(lv.begin() + index, column);
  Renumber(level);
  const int n = int(lv.size());
  if (n == 1) {
    column->grpWidth_ = width_;
    Changed();
    return;
  }
  TwColumn* neighbour = index + 1 < n ? lv[std::size_t(index) + 1] : lv[std::size_t(index) - 1];
  if (neighbour->grpWidth_ < kMinPairWidth) {
    // Too narrow to share: the group widens. The other levels take the added pixels in their last
    // column, so that every level still fills the group.
    const int grow = kMinPairWidth - neighbour->grpWidth_;
    width_ += grow;
    column->grpWidth_ = kMinColumnWidth;
    neighbour->grpWidth_ = kMinColumnWidth;
    for (int l = 0; l < levels_; ++l)
      if (l != level && !levelLists_[std::size_t(l)].empty())
        levelLists_[std::size_t(l)].back()->grpWidth_ += grow;
    Changed(true);
  } else {
    column->grpWidth_ = neighbour->grpWidth_ / 2;
    neighbour->grpWidth_ -= column->grpWidth_;
    Changed();
  }
}

void TwGroup::RemoveColumn(TwColumn* column) {
  int level, index;
  if (!Find(column, level, index)) return;
  Level& lv = levelLists_[std::size_t(level)];
  lv.erase(lv.begin() + index);
  column->group_ = -1;
  if (!lv.empty()) {
    Renumber(level);
    const int n = int(lv.size());
    int sum = 0;
    for (TwColumn* c : lv) sum += c->grpWidth_;
    const int add = (width_ - sum) / n;
    int others = 0;
    for (int i = 0; i < n - 1; ++i) {
      lv[std::size_t(i)]->grpWidth_ += add;
      others += lv[std::size_t(i)]->grpWidth_;
    }
    lv.back()->grpWidth_ = width_ - others;
  }
  Changed();
}

bool TwGroup::MoveColumn(TwColumn* column, int newIndex) {
  int level, index;
  if (!Find(column, level, index)) return false;
  Level& lv = levelLists_[std::size_t(level)];
  if (newIndex < 0 || newIndex >= int(lv.size())) return false;
  if (newIndex == index) return true;
  lv.erase(lv.begin() + index);
  lv.insert(lv.begin() + newIndex, column);
  Renumber(level);
  Changed();
  return true;
}

// --- TwGroup: widths ------------------------------------------------------------------------------

void TwGroup::NotifyWidths(const std::vector<std::pair<TwColumn*, int>>& old) {
  TwGridModel* g = Grid();
  if (!g) return;
  for (const auto& [c, w] : old)
    if (c->grpWidth_ != w) g->ColumnWidthChanged(c, w);
}

void TwGroup::SetColumnWidth(TwColumn* column, int width) {
  int level, index;
  if (!Find(column, level, index)) return;
  Level& lv = levelLists_[std::size_t(level)];
  const int n = int(lv.size());
  width = std::max(kMinColumnWidth, width);
  if (n < 2 || width == column->grpWidth_) return;
  TwColumn* partner = index + 1 < n ? lv[std::size_t(index) + 1] : lv[std::size_t(index) - 1];
  const int old = column->grpWidth_;
  const int oldPartner = partner->grpWidth_;
  if (width < old) {
    partner->grpWidth_ += old - width;
    column->grpWidth_ = width;
  } else {
    const int growth = std::min(width - old, partner->grpWidth_ - kMinColumnWidth);
    if (growth <= 0) return;  // the partner has nothing left to give
    partner->grpWidth_ -= growth;
    column->grpWidth_ += growth;
  }
  Changed();
  if (TwGridModel* g = Grid()) {
    g->RequestLayout();
    g->ColumnWidthChanged(column, old);
    g->ColumnWidthChanged(partner, oldPartner);
  }
}

void TwGroup::SetWidth(int v) {
  if (GridLoading()) {
    width_ = ClampPixelSize(v, 0);
    return;
  }
  v = ClampPixelSize(v, kMinColumnWidth * MaxColumnsPerLevel());
  if (v == width_) return;
  const int old = width_;
  std::vector<std::pair<TwColumn*, int>> before;
  for (int l = 0; l < levels_ && l < int(levelLists_.size()); ++l)
    for (TwColumn* c : levelLists_[std::size_t(l)]) {
      c->savedWidth_ = c->grpWidth_;
      before.emplace_back(c, c->grpWidth_);
    }
  for (int l = 0; l < levels_ && l < int(levelLists_.size()); ++l) {
    Level& lv = levelLists_[std::size_t(l)];
    const int n = int(lv.size());
    if (n == 0) continue;
    if (n == 1) {
      lv[0]->grpWidth_ = v;
      continue;
    }
    int others = 0;
    for (int i = 0; i < n - 1; ++i) {
      TwColumn* c = lv[std::size_t(i)];
      if (v > old)
        c->grpWidth_ += (v - old) / n;
      else
        c->grpWidth_ = int(std::int64_t(v - kMinColumnWidth * n) * c->savedWidth_ / old) + kMinColumnWidth;
      others += c->grpWidth_;
    }
    lv.back()->grpWidth_ = v - others;
  }
  width_ = v;
  if (GridUpdating()) return;
  if (TwGridModel* g = Grid()) {
    g->GroupWidthChanged(this, old);
    NotifyWidths(before);
  }
}

void TwGroup::FitLevel(int level) {
  Level& lv = levelLists_[std::size_t(level)];
  const int n = int(lv.size());
  if (n == 0) return;
  if (n == 1) {
    lv[0]->grpWidth_ = width_;
    return;
  }
  std::int64_t sum = 0;
  for (TwColumn* c : lv) {
    c->grpWidth_ = std::max(kMinColumnWidth, c->grpWidth_);
    sum += c->grpWidth_;
  }
  if (sum == width_) return;
  // Keep the proportions: the shrinking rule of SetWidth with the widths' sum as the old width.
  int others = 0;
  for (int i = 0; i < n - 1; ++i) {
    TwColumn* c = lv[std::size_t(i)];
    c->grpWidth_ = int(std::int64_t(width_ - kMinColumnWidth * n) * c->grpWidth_ / sum) + kMinColumnWidth;
    others += c->grpWidth_;
  }
  lv.back()->grpWidth_ = width_ - others;
}

int TwGroup::ColumnLeft(int level, int index) const {
  int x = 0;
  for (int i = 0; i < index && i < LevelCount(level); ++i)
    x += levelLists_[std::size_t(level)][std::size_t(i)]->grpWidth_;
  return x;
}

int TwGroup::ColumnRight(int level, int index) const {
  if (index == LevelCount(level) - 1) return width_;
  return ColumnLeft(level, index) + (LevelColumn(level, index) ? LevelColumn(level, index)->grpWidth_ : 0);
}

// --- TwGroup: positions -------------------------------------------------------------------------

TwCellPos TwGroup::FirstCellPos() const {
  const int vi = VisibleIndex();
  for (int l = 0; l < levels_; ++l)
    if (LevelCount(l) > 0) return {vi, l, 0};
  return {vi, -1, -1};
}

namespace {
bool CanFocusAt(const TwGroup& g, int level, int index) {
  const TwColumn* c = g.LevelColumn(level, index);
  return c && c->CanFocus();
}
}  // namespace

bool TwGroup::FindCellVertically(TwCellPos& pos, int step) const {
  const int first = pos.Level + step;
  if (pos.Level < 0 || pos.Level >= levels_ || first < 0 || first >= levels_ || pos.Index < 0 ||
      pos.Index >= LevelCount(pos.Level))
    return false;
  const int x = ColumnLeft(pos.Level, pos.Index);
  for (int l = first; l >= 0 && l < levels_; l += step) {
    const int n = LevelCount(l);
    if (n == 0) continue;
    int hit = n - 1;
    for (int i = 0; i < n; ++i)
      if (ColumnLeft(l, i) <= x && x < ColumnRight(l, i)) {
        hit = i;
        break;
      }
    // The column straight across, else the nearest focusable one: going down the left side is tried
    // first, going up the right side.
    int found = CanFocusAt(*this, l, hit) ? hit : -1;
    for (int side : {-step, step})
      for (int i = hit + side; found < 0 && i >= 0 && i < n; i += side)
        if (CanFocusAt(*this, l, i)) found = i;
    if (found >= 0) {
      pos.Level = l;
      pos.Index = found;
      return true;
    }
  }
  return false;
}

bool TwGroup::FindCellBelow(TwCellPos& pos) const {
  return FindCellVertically(pos, 1);
}

bool TwGroup::FindCellAbove(TwCellPos& pos) const {
  return FindCellVertically(pos, -1);
}

// --- TwGroup: checks ------------------------------------------------------------------------------

std::string TwGroup::CheckConsistency() const {
  const std::string name = "group " + std::to_string(Index()) + ": ";
  if (levels_ < 1 || levels_ > kMaxLevels)
    return name + "Levels " + std::to_string(levels_) + " out of range";
  if (int(levelLists_.size()) < levels_) return name + "fewer level lists than Levels";
  for (std::size_t l = std::size_t(levels_); l < levelLists_.size(); ++l)
    if (!levelLists_[l].empty()) return name + "columns beyond the last level";
  const TwGridModel* g = Grid();
  for (int l = 0; l < levels_; ++l) {
    const Level& lv = levelLists_[std::size_t(l)];
    int sum = 0;
    for (std::size_t i = 0; i < lv.size(); ++i) {
      const TwColumn* c = lv[i];
      const std::string at = name + "level " + std::to_string(l) + " index " + std::to_string(i) + ": ";
      if (!c) return at + "empty entry";
      if (g && g->Columns().IndexOf(c) < 0) return at + "column not in the grid";
      if (c->Group() != Index() || c->Level() != l || c->LevelIndex() != int(i))
        return at + "column says (" + std::to_string(c->Group()) + ", " + std::to_string(c->Level()) + ", " +
               std::to_string(c->LevelIndex()) + ")";
      if (c->GrpWidth() < kMinColumnWidth) return at + "GrpWidth below 4";
      sum += c->GrpWidth();
    }
    if (!lv.empty() && sum != width_)
      return name + "level " + std::to_string(l) + " widths add up to " + std::to_string(sum) +
             ", not Width " + std::to_string(width_);
  }
  int wsum = 0;
  for (int l = 0; l < levels_; ++l) {
    if (weights_[std::size_t(l)] < 1) return name + "level weight below 1";
    wsum += weights_[std::size_t(l)];
  }
  if (wsum != weight_)
    return name + "level weights add up to " + std::to_string(wsum) + ", not Weight " +
           std::to_string(weight_);
  return {};
}

// --- TwGroups: items ------------------------------------------------------------------------------

TwGroups::TwGroups(TwGridModel* owner, Factory factory) : owner_(owner), factory_(std::move(factory)) {}

TwGroups::~TwGroups() {
  visible_.Clear();
  auto items = std::move(items_);
  items.clear();
}

int TwGroups::IndexOf(const TwGroup* g) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == g) return int(i);
  return -1;
}

std::string TwGroups::NextCaption(const TwGroup* except) const {
  // 1 + the largest number among captions "Group<n>" (compared in upper case); 0 when there is none.
  std::int64_t best = -1;
  for (const auto& g : items_) {
    if (g.get() == except) continue;
    const std::string& caption = g->Title().Caption();
    if (plat::text::UpperCase(caption).find("GROUP") == std::string::npos) continue;
    const std::string_view rest = std::string_view(caption).substr(plat::text::Utf8Offset(caption, 5));
    std::int64_t n;
    if (!plat::fmt::TryStrToInt64(rest, n) || n < INT32_MIN || n > INT32_MAX) continue;
    best = std::max(best, n);
  }
  return "Group" + std::to_string(best + 1);
}

TwGroup* TwGroups::Add() {
  items_.push_back(factory_ ? factory_(this) : std::make_unique<TwGroup>(this));
  TwGroup* g = items_.back().get();
  g->CreateParts();
  const plat::ComponentState* st = owner_ ? &owner_->GridState() : nullptr;
  if (!st || !st->Loading()) g->Title().SetCaption(NextCaption(g));
  if (st && (st->Loading() || st->Designing())) {
    if (g->Visible()) visible_.Append(g);
  } else {
    g->savedVisibleIndex_ = std::min(Count() - 1, VisibleCount());
    InsertVisible(g, g->savedVisibleIndex_);
  }
  Update(nullptr);
  return g;
}

void TwGroups::Delete(int i) {
  if (i < 0 || i >= Count()) return;
  TwGroup* g = items_[std::size_t(i)].get();
  const plat::ComponentState* st = owner_ ? &owner_->GridState() : nullptr;
  if (!st || !st->Designing()) g->SetVisible(false);
  RemoveVisible(g);
  // Its columns leave it; the renumbering of the other groups' columns follows in Update.
  const bool updating = st && st->Updating();
  for (auto& lv : g->levelLists_)
    for (TwColumn* c : lv)
      if (!updating) c->group_ = -1;
  std::unique_ptr<TwGroup> doomed = std::move(items_[std::size_t(i)]);
  items_.erase(items_.begin() + i);
  doomed.reset();
  Update(nullptr);
}

void TwGroups::Clear() {
  BeginUpdate();
  while (Count() > 0) Delete(Count() - 1);
  EndUpdate();
}

// --- TwGroups: visible list -----------------------------------------------------------------------

void TwGroups::RebuildVisible() {
  for (std::size_t i = 0; i < items_.size(); ++i) items_[i]->savedVisibleIndex_ = int(i);
  visible_.Rebuild(items_, [](const TwGroup& g) { return g.Visible(); });
}

void TwGroups::InsertVisible(TwGroup* g, int at) {
  visible_.Insert(g, at);
}

void TwGroups::RemoveVisible(TwGroup* g) {
  visible_.Remove(g);
}

void TwGroups::MoveVisible(TwGroup* g, int to) {
  visible_.Move(g, to);
}

// --- TwGroups: levels from the columns' places ----------------------------------------------------

void TwGroups::RebuildLevels(TwColumns& columns) {
  for (auto& g : items_) {
    if (int(g->levelLists_.size()) < g->levels_) g->levelLists_.resize(std::size_t(g->levels_));
    for (auto& lv : g->levelLists_) lv.clear();
  }
  // Collection order first, then the stored LevelIndex: a gap closes and a shared index keeps both.
  for (int i = 0; i < columns.Count(); ++i) {
    TwColumn* c = columns.Items(i);
    if (c->group_ < 0) continue;
    if (c->group_ >= Count()) {
      c->group_ = -1;
      continue;
    }
    TwGroup* g = items_[std::size_t(c->group_)].get();
    const int level = std::clamp(c->level_, 0, g->levels_ - 1);
    g->levelLists_[std::size_t(level)].push_back(c);
  }
  for (auto& g : items_) {
    for (int l = 0; l < g->levels_; ++l) {
      auto& lv = g->levelLists_[std::size_t(l)];
      std::stable_sort(lv.begin(), lv.end(),
                       [](const TwColumn* a, const TwColumn* b) { return a->levelIndex_ < b->levelIndex_; });
      g->Renumber(l);
    }
    g->width_ = std::max(g->width_, TwGroup::kMinColumnWidth * g->MaxColumnsPerLevel());
    for (int l = 0; l < g->levels_; ++l) g->FitLevel(l);
    // Weight is the sum of the level weights, whatever the description said.
    int sum = 0;
    for (int l = 0; l < g->levels_; ++l) {
      g->weights_[std::size_t(l)] = std::max<std::uint8_t>(1, g->weights_[std::size_t(l)]);
      sum += g->weights_[std::size_t(l)];
    }
    g->weight_ = sum;
  }
}

void TwGroups::WriteColumnPlaces() {
  for (auto& g : items_)
    for (int l = 0; l < int(g->levelLists_.size()); ++l) g->Renumber(l);
}

// --- TwGroups: positions --------------------------------------------------------------------------

bool TwGroups::SkipReadOnly() const {
  return owner_ && owner_->SkipReadOnly();
}

int TwGroups::StartGroup() const {
  if (!owner_ || owner_->FixedStyle().Options().Contains(wfxSelecting)) return 0;
  return std::clamp(owner_->GrpFixedCount(), 0, VisibleCount());
}

bool TwGroups::IsValidPos(const TwCellPos& pos) const {
  const TwGroup* g = VisibleItems(pos.Group);
  return g && pos.Level >= 0 && pos.Level < g->Levels() && pos.Index >= 0 &&
         pos.Index < g->LevelCount(pos.Level);
}

TwColumn* TwGroups::ColumnAt(const TwCellPos& pos) const {
  const TwGroup* g = VisibleItems(pos.Group);
  return g ? g->LevelColumn(pos.Level, pos.Index) : nullptr;
}

TwCellPos TwGroups::PosOf(const TwColumn* column) const {
  if (!column || column->group_ < 0 || column->group_ >= Count()) return {};
  const TwGroup* g = items_[std::size_t(column->group_)].get();
  const int vi = g->VisibleIndex();
  int level, index;
  if (vi < 0 || !g->Find(column, level, index)) return {};
  return {vi, level, index};
}

bool TwGroups::Focusable(const TwCellPos& pos) const {
  const TwColumn* c = ColumnAt(pos);
  return c && c->CanFocus();
}

TwCellPos TwGroups::StepNext(const TwCellPos& pos) const {
  if (!IsValidPos(pos)) return pos;
  const TwGroup* g = visible_.At(pos.Group);
  if (pos.Index + 1 < g->LevelCount(pos.Level)) return {pos.Group, pos.Level, pos.Index + 1};
  for (int l = pos.Level + 1; l < g->Levels(); ++l)
    if (g->LevelCount(l) > 0) return {pos.Group, l, 0};
  for (int gi = pos.Group + 1; gi < VisibleCount(); ++gi) {
    const TwGroup* n = visible_.At(gi);
    for (int l = 0; l < n->Levels(); ++l)
      if (n->LevelCount(l) > 0) return {gi, l, 0};
  }
  return pos;
}

TwCellPos TwGroups::StepPrior(const TwCellPos& pos) const {
  if (!IsValidPos(pos)) return pos;
  const TwGroup* g = visible_.At(pos.Group);
  if (pos.Index > 0) return {pos.Group, pos.Level, pos.Index - 1};
  for (int l = pos.Level - 1; l >= 0; --l)
    if (g->LevelCount(l) > 0) return {pos.Group, l, g->LevelCount(l) - 1};
  for (int gi = pos.Group - 1; gi >= 0; --gi) {
    const TwGroup* p = visible_.At(gi);
    for (int l = p->Levels() - 1; l >= 0; --l)
      if (p->LevelCount(l) > 0) return {gi, l, p->LevelCount(l) - 1};
  }
  return pos;
}

TwCellPos TwGroups::PlainFirstPos() const {
  for (int gi = StartGroup(); gi < VisibleCount(); ++gi) {
    const TwGroup* g = visible_.At(gi);
    for (int l = 0; l < g->Levels(); ++l)
      if (g->LevelCount(l) > 0) return {gi, l, 0};
  }
  return {};
}

TwCellPos TwGroups::PlainLastPos() const {
  const int start = StartGroup();
  for (int gi = VisibleCount() - 1; gi >= start; --gi) {
    const TwGroup* g = visible_.At(gi);
    for (int l = g->Levels() - 1; l >= 0; --l)
      if (g->LevelCount(l) > 0) return {gi, l, g->LevelCount(l) - 1};
  }
  return {};
}

TwCellPos TwGroups::NextPos(const TwCellPos& pos) const {
  if (!SkipReadOnly()) return StepNext(pos);
  TwCellPos p = pos;
  for (;;) {
    const TwCellPos q = StepNext(p);
    if (q == p) return pos;  // already the last focusable cell
    if (Focusable(q)) return q;
    p = q;
  }
}

TwCellPos TwGroups::PriorPos(const TwCellPos& pos) const {
  if (!SkipReadOnly()) return StepPrior(pos);
  TwCellPos p = pos;
  for (;;) {
    const TwCellPos q = StepPrior(p);
    if (q == p) return pos;
    if (Focusable(q)) return q;
    p = q;
  }
}

TwCellPos TwGroups::FirstPos() const {
  const TwCellPos first = PlainFirstPos();
  if (!SkipReadOnly() || !first.IsSet()) return first;
  for (TwCellPos p = first;;) {
    if (Focusable(p)) return p;
    const TwCellPos q = StepNext(p);
    if (q == p) return first;  // nothing focusable: the first cell after all
    p = q;
  }
}

TwCellPos TwGroups::LastPos() const {
  const TwCellPos last = PlainLastPos();
  if (!SkipReadOnly() || !last.IsSet()) return last;
  const int start = StartGroup();
  for (TwCellPos p = last;;) {
    if (Focusable(p)) return p;
    const TwCellPos q = StepPrior(p);
    if (q == p || q.Group < start) return last;
    p = q;
  }
}

// --- TwGroups: notifications and checks -----------------------------------------------------------

void TwGroups::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Update(nullptr);
}

void TwGroups::Update(TwGroup* item) {
  if (!owner_) return;
  owner_->InvalidateLayout();
  if (updateCount_ > 0) return;
  owner_->GroupsChanged(item);
}

std::string TwGroups::CheckConsistency() const {
  const bool designing = owner_ && owner_->GridState().Designing();
  const bool loading = owner_ && owner_->GridState().Loading();
  // While loading or designing a visible group may be missing from the list.
  const std::string broken = visible_.CheckConsistency(
      items_, [](const TwGroup& g) { return g.Visible(); }, !designing && !loading, false, "group");
  if (!broken.empty() || loading) return broken;
  for (const auto& g : items_) {
    std::string e = g->CheckConsistency();
    if (!e.empty()) return e;
  }
  return {};
}
