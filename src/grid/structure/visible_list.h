#pragma once
// TwVisibleList<T>: the visible items of a collection in display order. Each item keeps its place in the
// list (its cached visible index, in the TwVisibleSlot it derives from), so asking an item's place costs
// nothing; a stale place (the item left the list) no longer points back at the item and reads as -1.
// Only the list writes the places.
//
// CheckConsistency compares the list with its collection and returns what broke (empty when fine): an
// entry that is not a live item of the collection (a pointer that dangles once the item is gone), an item
// listed twice, a place that disagrees with the list, a hidden item listed, a visible item missing, an
// order that is not the collection's (when asked). Debug builds assert it after every Rebuild. The memory
// the list holds follows its entries: it gives room back when it shrinks (MemoryUsed).
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class TwVisibleSlot {
 public:
  /// The place the list last gave this item; -1 before it was listed. Ask the list: this may be stale.
  int CachedVisibleIndex() const { return visibleIndex_; }

 private:
  template <class T>
  friend class TwVisibleList;
  int visibleIndex_ = -1;
};

template <class T>
class TwVisibleList {
 public:
  /// The list keeps room for at most max(kSlack, 4 x its entries): it gives memory back when it shrinks.
  static constexpr std::size_t kSlack = 16;

  int Count() const { return int(items_.size()); }
  bool Empty() const { return items_.empty(); }
  /// The i-th visible item, nullptr out of range.
  T* At(int i) const { return i >= 0 && i < Count() ? items_[std::size_t(i)] : nullptr; }
  /// The item's place, -1 when it is not listed.
  int IndexOf(const T* item) const {
    if (!item) return -1;
    const int vi = static_cast<const TwVisibleSlot&>(*item).visibleIndex_;
    return vi >= 0 && vi < Count() && items_[std::size_t(vi)] == item ? vi : -1;
  }
  bool Contains(const T* item) const { return IndexOf(item) >= 0; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  /// Never touches the items it held: a collection may have destroyed them already (their stale places
  /// read as -1 through IndexOf).
  void Clear() {
    items_.clear();
    Trim();
  }
  /// Inserts the item at `at` (clamped); nothing when it is listed already.
  void Insert(T* item, int at) {
    if (!item || Contains(item)) return;
    at = std::clamp(at, 0, Count());
    items_.insert(items_.begin() + at, item);
    Renumber(std::size_t(at));
  }
  void Append(T* item) { Insert(item, Count()); }
  void Remove(const T* item) {
    const int vi = IndexOf(item);
    if (vi < 0) return;
    SetSlot(items_[std::size_t(vi)], -1);
    items_.erase(items_.begin() + vi);
    Renumber(std::size_t(vi));
    Trim();
  }
  /// Moves a listed item to place `to` (clamped).
  void Move(const T* item, int to) {
    const int from = IndexOf(item);
    if (from < 0) return;
    to = std::clamp(to, 0, Count() - 1);
    if (from == to) return;
    T* t = items_[std::size_t(from)];
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, t);
    Renumber(std::size_t(std::min(from, to)));
  }
  /// Lists the items of the collection `all` (pointers or owning pointers, in collection order) for which
  /// visible(item) holds, in that order. The entries before may be gone (see Clear).
  template <class Range, class Pred>
  void Rebuild(const Range& all, Pred visible) {
    Clear();
    for (const auto& p : all)
      if (visible(*p)) items_.push_back(&*p);
    Renumber(0);
    Trim();
#ifndef NDEBUG
    const std::string broken = CheckConsistency(all, visible, true, true);
    assert(broken.empty() && "visible list inconsistent after a rebuild");
#endif
  }

  /// Bytes the list holds for its entries.
  std::size_t MemoryUsed() const {
    return items_.capacity() * sizeof(T*);
  }

  /// See the file comment. `complete`: every visible item of the collection must be listed (not so while a
  /// collection is loaded or designed); `collectionOrder`: the list must follow the collection's order.
  /// `what` names the items in the description ("column", "group", "footer row").
  template <class Range, class Pred>
  std::string CheckConsistency(const Range& all, Pred visible, bool complete, bool collectionOrder,
                               std::string_view what = "item") const {
    const std::string name(what);
    std::unordered_set<const T*> live;
    std::vector<const T*> order;
    for (const auto& p : all) {
      live.insert(&*p);
      order.push_back(&*p);
    }
    std::unordered_set<const T*> seen;
    std::size_t lastPos = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
      const T* t = items_[i];
      const std::string at = " at visible index " + std::to_string(i);
      if (!live.count(t))
        return "visible " + name + " list holds an entry that is not in the collection" + at;
      if (!seen.insert(t).second) return name + " listed twice" + at;
      const int slot = static_cast<const TwVisibleSlot&>(*t).visibleIndex_;
      if (slot != int(i))
        return name + " keeps visible index " + std::to_string(slot) + " but is listed" + at;
      if (!visible(*t)) return "hidden " + name + " in the visible list" + at;
      if (collectionOrder) {
        const std::size_t pos = std::size_t(std::find(order.begin(), order.end(), t) - order.begin());
        if (i > 0 && pos < lastPos) return name + at + " is out of the collection's order";
        lastPos = pos;
      }
    }
    if (complete)
      for (const T* t : order)
        if (visible(*t) && !seen.count(t)) return "visible " + name + " missing from the visible list";
    return {};
  }

 private:
  static void SetSlot(T* t, int v) {
    static_cast<TwVisibleSlot&>(*t).visibleIndex_ = v;
  }
  void Renumber(std::size_t from) {
    for (std::size_t i = from; i < items_.size(); ++i) SetSlot(items_[i], int(i));
  }
  void Trim() {
    if (items_.capacity() > std::max(kSlack, 4 * items_.size())) items_.shrink_to_fit();
  }

  std::vector<T*> items_;
};
