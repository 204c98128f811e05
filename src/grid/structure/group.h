#pragma once
// Groups of group mode: TwGroup (a collection item) with its title TwGroupTitle, the collection TwGroups
// with the list of visible groups in display order, and the cell position TwCellPos.
//
// Map: TwCellPos - TwGroupTitle - TwGroup (published properties, level lists and widths, level weights,
// positions below and above, layout offsets) - TwGroups (items, visible list, RebuildLevels, position
// navigation, Update, checks).
//
// Words used here:
//   level        one of the 1..16 stacked sub-rows of a group; each holds a left-to-right list of columns
//                whose GrpWidth values add up to the group's Width
//   weight       each level has a weight (at least 1); a level's share of a height is its weight over the
//                group's Weight, the sum of the level weights
//   position     (group, level, index in level); the group member is the visible index of the group,
//                while a column's own Group property is the collection index
//   offsets      the y offsets of the levels inside the header, a data row and each footer row: they are
//                geometry and live in the layout (TwGridExtents, TwGroupAxis)
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/structure/appearance.h"
#include "grid/structure/visible_list.h"

class TwColumn;
class TwColumns;
class TwGroup;
class TwGroups;
class TwGridModel;

/// A cell position in group mode; (-1, -1, -1) means none.
struct TwCellPos {
  std::int32_t Group = -1;
  std::int32_t Level = -1;
  std::int32_t Index = -1;
  /// All three members are non-negative.
  bool IsSet() const { return Group >= 0 && Level >= 0 && Index >= 0; }
  friend bool operator==(const TwCellPos&, const TwCellPos&) = default;
};

class TwGroupTitle : public TwTitle {
 public:
  static constexpr int kDefaultHeight = 19;
  explicit TwGroupTitle(TwGroup* group) : group_(group) {}
  TwGroup* Group() const { return group_; }

  /// Clamped to 0 .. (group-mode header height - 4 x Levels); stored unchanged while loading.
  int Height() const { return height_; }
  void SetHeight(int v);
  /// Cannot be hidden while the group has NoColTitles (outside loading).
  bool Visible() const { return visible_; }
  void SetVisible(bool v);

  TwGridModel* GetGrid() const override;
  void Changed() override;
  void FillDrawInfo(TwDrawInfo& d) const override;

 private:
  TwGroup* group_;
  int height_ = kDefaultHeight;
  bool visible_ = true;
};

class TwGroup : public TwVisibleSlot {
 public:
  static constexpr int kMaxLevels = 16;
  static constexpr int kDefaultWidth = 64;
  /// The smallest width of a column inside a group.
  static constexpr int kMinColumnWidth = 4;
  /// The smallest width two neighbours need to share a level.
  static constexpr int kMinPairWidth = 2 * kMinColumnWidth;
  /// The 16 level weights, stored as the binary property "Weights".
  using LevelWeightArray = std::array<std::uint8_t, kMaxLevels>;

  explicit TwGroup(TwGroups* collection);
  virtual ~TwGroup();
  TwGroup(const TwGroup&) = delete;
  TwGroup& operator=(const TwGroup&) = delete;

  TwGroups* Collection() const { return collection_; }
  TwGridModel* Grid() const;
  int Index() const;
  /// The title's caption, or the item's default name ("TwGroup" + index) when it is empty.
  std::string DisplayName() const;

  // --- published properties ---
  int Levels() const { return levels_; }
  void SetLevels(int v);
  bool NoColTitles() const { return noColTitles_; }
  void SetNoColTitles(bool v);
  TwGroupTitle& Title() { return *title_; }
  const TwGroupTitle& Title() const { return *title_; }
  void SetTitle(const TwDrawObject& v) { title_->Assign(v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  /// The sum of the level weights.
  int Weight() const { return weight_; }
  void SetWeight(int v);
  int Width() const { return width_; }
  void SetWidth(int v);
  /// "Weights": the 16 level weights as raw bytes. The setter stores them as given (the form reader).
  const LevelWeightArray& Weights() const { return weights_; }
  void SetWeights(const LevelWeightArray& v) { weights_ = v; }

  /// Weight of one level; raises "Level bounds error in GetLevelWeight(N)" outside 0 .. Levels-1.
  int LevelWeight(int level) const;
  void SetLevelWeight(int level, int w);

  /// Position in the groups' visible list, -1 when hidden (kept by the list).
  int VisibleIndex() const;
  void SetVisibleIndex(int v);
  int SavedVisibleIndex() const { return savedVisibleIndex_; }
  void SetSavedVisibleIndex(int v) { savedVisibleIndex_ = v; }

  // --- columns in levels ---
  /// Inserts the column (taken out of any group first) at (level, index), both clamped.
  void InsertColumn(int level, int index, TwColumn* column);
  void RemoveColumn(TwColumn* column);
  /// Moves a column of this group within its level; false when it is not here or the index is out of range.
  bool MoveColumn(TwColumn* column, int newIndex);
  /// Gives a column a new GrpWidth at the expense of its neighbour; the group width never changes.
  void SetColumnWidth(TwColumn* column, int width);
  /// Asked for every cell the layout and painting place: inline.
  int LevelCount(int level) const {
    if (level < 0 || level >= levels_ || level >= int(levelLists_.size())) return 0;
    return int(levelLists_[std::size_t(level)].size());
  }
  TwColumn* LevelColumn(int level, int index) const {
    if (index < 0 || index >= LevelCount(level)) return nullptr;
    return levelLists_[std::size_t(level)][std::size_t(index)];
  }
  /// The largest number of columns in one level (at least 1).
  int MaxColumnsPerLevel() const;
  int ColumnCount() const;
  /// This group's visible index with the first level that holds columns and index 0 (level and index -1
  /// when the group has no columns).
  TwCellPos FirstCellPos() const;
  /// From a valid position of this group, the focusable cell straight below (above); false when none.
  bool FindCellBelow(TwCellPos& pos) const;
  bool FindCellAbove(TwCellPos& pos) const;
  /// The x span of a column inside its level, relative to the group's left edge (from the widths).
  int ColumnLeft(int level, int index) const;
  int ColumnRight(int level, int index) const;

  /// The group lies in the fixed area (its visible index is below FixedCount).
  bool IsFixed() const;

  /// Notifications to the collection: this item, or the whole collection.
  void Changed(bool allItems = false);
  /// Empty when the level lists, positions, widths and weights agree, else what is wrong.
  std::string CheckConsistency() const;

 protected:
  virtual std::unique_ptr<TwGroupTitle> CreateTitle() { return std::make_unique<TwGroupTitle>(this); }
  void CreateParts();
  friend class TwGroups;
  friend class TwColumn;

 private:
  using Level = std::vector<TwColumn*>;
  /// Where this group holds the column; false when it does not.
  bool Find(const TwColumn* column, int& level, int& index) const;
  /// The focusable cell in the next level with columns going down (step 1) or up (-1).
  bool FindCellVertically(TwCellPos& pos, int step) const;
  void Renumber(int level);
  /// Makes the widths of a level add up to Width (after loading or a width change of the group).
  void FitLevel(int level);
  void NotifyWidths(const std::vector<std::pair<TwColumn*, int>>& old);
  bool GridLoading() const;
  bool GridUpdating() const;

  TwGroups* collection_;
  std::vector<Level> levelLists_;
  LevelWeightArray prevWeights_{};
  LevelWeightArray weights_{};
  int savedVisibleIndex_ = 0;
  int levels_ = 1;
  bool noColTitles_ = false;
  std::unique_ptr<TwGroupTitle> title_;
  bool visible_ = true;
  int weight_ = 1;
  int width_ = kDefaultWidth;
};

/// The grid's groups in design (collection) order, and the visible ones in display order.
class TwGroups {
 public:
  using Factory = std::function<std::unique_ptr<TwGroup>(TwGroups*)>;
  explicit TwGroups(TwGridModel* owner, Factory factory = nullptr);
  ~TwGroups();
  TwGroups(const TwGroups&) = delete;
  TwGroups& operator=(const TwGroups&) = delete;

  TwGridModel* Owner() const { return owner_; }
  int Count() const { return int(items_.size()); }
  TwGroup* Items(int i) const { return items_[std::size_t(i)].get(); }
  int IndexOf(const TwGroup* g) const;
  /// Creates a group at the end: outside loading with the automatic caption, placed at the end of the
  /// visible list.
  TwGroup* Add();
  void Delete(int i);
  void Clear();

  int VisibleCount() const { return visible_.Count(); }
  /// The i-th visible group, nullptr out of range.
  TwGroup* VisibleItems(int i) const { return visible_.At(i); }
  int VisibleIndexOf(const TwGroup* g) const { return visible_.IndexOf(g); }
  /// Clears the visible list and adds the visible groups in collection order (SavedVisibleIndex := index).
  void RebuildVisible();
  /// Puts every column with a Group into that group's level list at its LevelIndex (after loading, and at
  /// the end of a batch update); out-of-range places are clamped and gaps closed.
  void RebuildLevels(TwColumns& columns);
  /// Writes every grouped column's Group, Level and LevelIndex from the level lists.
  void WriteColumnPlaces();
  /// The caption "Group" + number a new group gets.
  std::string NextCaption(const TwGroup* except) const;

  // --- positions (the group member is a visible index) ---
  bool IsValidPos(const TwCellPos& pos) const;
  TwColumn* ColumnAt(const TwCellPos& pos) const;
  /// The position of a column in a visible group, or none.
  TwCellPos PosOf(const TwColumn* column) const;
  TwCellPos NextPos(const TwCellPos& pos) const;
  TwCellPos PriorPos(const TwCellPos& pos) const;
  TwCellPos FirstPos() const;
  TwCellPos LastPos() const;
  bool IsLastPos(const TwCellPos& pos) const { return pos == LastPos(); }

  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }
  void Update(TwGroup* item);

  /// Used by the groups' Visible and VisibleIndex setters.
  void InsertVisible(TwGroup* g, int at);
  void RemoveVisible(TwGroup* g);
  void MoveVisible(TwGroup* g, int to);

  /// Empty when the visible list agrees with the collection and every group is consistent.
  std::string CheckConsistency() const;

 private:
  TwCellPos StepNext(const TwCellPos& pos) const;
  TwCellPos StepPrior(const TwCellPos& pos) const;
  TwCellPos PlainFirstPos() const;
  TwCellPos PlainLastPos() const;
  int StartGroup() const;
  bool Focusable(const TwCellPos& pos) const;
  bool SkipReadOnly() const;

  TwGridModel* owner_;
  Factory factory_;
  std::vector<std::unique_ptr<TwGroup>> items_;
  TwVisibleList<TwGroup> visible_;
  int updateCount_ = 0;
};

inline int TwGroup::VisibleIndex() const {
  return collection_ ? collection_->VisibleIndexOf(this) : -1;
}

/// The texts of the level errors.
std::string LevelsInUseMessage(int level);
std::string LevelBoundsMessage(int level);
