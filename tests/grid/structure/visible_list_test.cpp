// TwVisibleList: the visible items in display order with their cached places, and the consistency check
// that names what broke.
#include "grid/structure/visible_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Item : TwVisibleSlot {
  explicit Item(int id) : Id(id) {}
  int Id;
  bool Visible = true;
};

struct Collection {
  explicit Collection(int n) {
    for (int i = 0; i < n; ++i) items.push_back(std::make_unique<Item>(i));
  }
  Item* operator[](int i) { return items[std::size_t(i)].get(); }
  std::vector<std::unique_ptr<Item>> items;
};

const auto kVisible = [](const Item& i) { return i.Visible; };

std::vector<int> Ids(const TwVisibleList<Item>& list) {
  std::vector<int> ids;
  for (const Item* i : list) ids.push_back(i->Id);
  return ids;
}

std::string Check(const TwVisibleList<Item>& list, const Collection& c, bool complete = true,
                  bool order = false) {
  return list.CheckConsistency(c.items, kVisible, complete, order, "column");
}

TEST(VisibleList, RebuildListsTheVisibleItemsInCollectionOrderWithTheirPlaces) {
  Collection c(5);
  c[1]->Visible = false;
  c[3]->Visible = false;
  TwVisibleList<Item> list;
  list.Rebuild(c.items, kVisible);
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(list.IndexOf(c[4]), 2);
  EXPECT_EQ(list.IndexOf(c[1]), -1);
  EXPECT_EQ(list.IndexOf(nullptr), -1);
  EXPECT_EQ(list.At(1), c[2]);
  EXPECT_EQ(list.At(3), nullptr);
  EXPECT_EQ(list.At(-1), nullptr);
  EXPECT_EQ(Check(list, c, true, true), "");
}

TEST(VisibleList, InsertRemoveAndMoveKeepEveryPlace) {
  Collection c(4);
  TwVisibleList<Item> list;
  for (int i = 0; i < 3; ++i) list.Append(c[i]);
  list.Insert(c[3], 1);
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 3, 1, 2}));
  list.Insert(c[3], 0);  // listed already: nothing
  EXPECT_EQ(list.Count(), 4);
  list.Move(c[0], 99);  // clamped to the end
  EXPECT_EQ(Ids(list), (std::vector<int>{3, 1, 2, 0}));
  list.Remove(c[1]);
  EXPECT_EQ(Ids(list), (std::vector<int>{3, 2, 0}));
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.IndexOf(list.At(i)), i);
  // A removed item's stale place no longer points back at it.
  EXPECT_EQ(list.IndexOf(c[1]), -1);
  EXPECT_EQ(c[1]->CachedVisibleIndex(), -1);
  c[1]->Visible = false;
  EXPECT_EQ(Check(list, c), "");
  EXPECT_NE(Check(list, c, true, true), "");  // not in the collection's order any more
}

TEST(VisibleList, CheckNamesWhatBroke) {
  Collection c(3);
  TwVisibleList<Item> list;
  list.Rebuild(c.items, kVisible);
  // A hidden item still listed.
  c[1]->Visible = false;
  EXPECT_EQ(Check(list, c), "hidden column in the visible list at visible index 1");
  // A visible item that is missing.
  c[1]->Visible = true;
  list.Remove(c[2]);
  EXPECT_EQ(Check(list, c), "visible column missing from the visible list");
  EXPECT_EQ(Check(list, c, false), "");  // while loading the list may be incomplete
  // An entry whose item left the collection (a pointer that would dangle).
  list.Append(c[2]);
  Collection other(1);
  list.Append(other[0]);
  EXPECT_EQ(Check(list, c),
            "visible column list holds an entry that is not in the collection at visible index 3");
}

TEST(VisibleList, RebuildAfterTheCollectionDestroyedListedItemsTouchesNoneOfThem) {
  Collection c(3);
  TwVisibleList<Item> list;
  list.Rebuild(c.items, kVisible);
  c.items.erase(c.items.begin() + 1);  // destroyed while listed, as a collection deleting a row does
  list.Rebuild(c.items, kVisible);     // under AddressSanitizer a write to the freed item would fail here
  EXPECT_EQ(Ids(list), (std::vector<int>{0, 2}));
  EXPECT_EQ(list.IndexOf(c[1]), 1);
  EXPECT_EQ(Check(list, c, true, true), "");
}

TEST(VisibleList, MemoryFollowsTheEntries) {
  Collection c(200);
  TwVisibleList<Item> list;
  list.Rebuild(c.items, kVisible);
  EXPECT_GE(list.MemoryUsed(), 200 * sizeof(Item*));
  for (int i = 0; i < 199; ++i) list.Remove(c[i]);
  // Removing gives the room back: one entry keeps no more than the slack.
  EXPECT_LE(list.MemoryUsed(), TwVisibleList<Item>::kSlack * sizeof(Item*));
  EXPECT_EQ(list.IndexOf(c[199]), 0);
  list.Clear();
  EXPECT_EQ(list.IndexOf(c[199]), -1);  // its stale place no longer points back at it
  EXPECT_LE(list.MemoryUsed(), TwVisibleList<Item>::kSlack * sizeof(Item*));
}

}  // namespace
