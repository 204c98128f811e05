// The cell store: slot layout, growth, row moves and relayout of the pool and the row infos.
#include "grid/memory/mem_pool.h"

#include <gtest/gtest.h>

#include "grid/memory/cell_value.h"
#include "grid/memory/row_infos.h"
#include "grid/memory/text_list.h"

namespace {

TwMemPool MakePool(TwDataType t, int width = 0) {
  TwMemPool p;
  p.SetLayoutSource(t, width);
  p.Prepare();
  return p;
}

int ReadLong(TwMemPool& p, int r) {
  return int(twcell::GetInt({wdtLong, 4}, TwPoolSlot(p, r)));
}

TEST(MemPool, SlotSizesFollowTheType) {
  EXPECT_EQ(MakePool(wdtString).SlotSize(), 1);
  EXPECT_EQ(MakePool(wdtGraphic).SlotSize(), 1);
  EXPECT_EQ(MakePool(wdtChar, 10).SlotSize(), 12);
  EXPECT_EQ(MakePool(wdtBool, 1).SlotSize(), 2);
  EXPECT_EQ(MakePool(wdtSmall, 2).SlotSize(), 3);
  EXPECT_EQ(MakePool(wdtLong, 4).SlotSize(), 5);
  EXPECT_EQ(MakePool(wdtDateTime, 8).SlotSize(), 9);
  EXPECT_TRUE(MakePool(wdtString).HasStrings());
  EXPECT_FALSE(MakePool(wdtGraphic).HasStrings());
}

TEST(MemPool, GrowsInMultiplesOfSixteenAndGeometrically) {
  TwMemPool p = MakePool(wdtLong, 4);
  EXPECT_EQ(p.Capacity(), 16);
  p.SetCount(16);
  EXPECT_EQ(p.Capacity(), 16);
  p.SetCount(17);
  EXPECT_EQ(p.Capacity(), 32);
  int reallocations = 0, last = p.Capacity();
  for (int i = 0; i < 100000; ++i) {
    p.InsertBlank(p.Count());
    if (p.Capacity() != last) {
      ++reallocations;
      last = p.Capacity();
      EXPECT_EQ(last % 16, 0);
    }
  }
  // Linear growth by 16 would need thousands of reallocations.
  EXPECT_LT(reallocations, 60);
  EXPECT_TRUE(p.IsNull(p.Count() - 1));
}

TEST(MemPool, InsertAndDeleteMoveTheTail) {
  TwMemPool p = MakePool(wdtLong, 4);
  p.SetCount(10);
  for (int r = 0; r < 10; ++r) {
    TwPoolSlot slot(p, r);
    twcell::SetInt({wdtLong, 4}, slot, r);
  }
  p.DeleteRows(2, 3);
  ASSERT_EQ(p.Count(), 7);
  EXPECT_EQ(ReadLong(p, 1), 1);
  EXPECT_EQ(ReadLong(p, 2), 5);
  EXPECT_EQ(ReadLong(p, 6), 9);
  p.InsertBlank(0);
  EXPECT_TRUE(p.IsNull(0));
  EXPECT_EQ(ReadLong(p, 1), 0);
  EXPECT_EQ(ReadLong(p, 7), 9);
}

TEST(MemPool, TextsFollowTheirRows) {
  TwMemPool p = MakePool(wdtString);
  p.SetCount(5);
  for (int r = 0; r < 5; ++r) p.SetText(r, "행" + std::to_string(r));
  p.InsertBlank(2);
  p.DeleteRows(0, 1);
  ASSERT_EQ(p.Count(), 5);
  EXPECT_EQ(p.Text(0), "행1");
  EXPECT_EQ(p.Text(1), "");
  EXPECT_TRUE(p.IsNull(1));
  EXPECT_EQ(p.Text(2), "행2");
  EXPECT_EQ(p.Text(4), "행4");
  p.SetCount(2);
  p.SetCount(3);
  EXPECT_EQ(p.Text(2), "");
}

TEST(MemPool, RelayoutFromTextToNumberNullsEveryCell) {
  TwMemPool p = MakePool(wdtString);
  p.SetCount(3);
  p.SetText(0, "12");
  p.SetLayoutSource(wdtLong, 4);
  p.Relayout();
  EXPECT_EQ(p.SlotSize(), 5);
  EXPECT_FALSE(p.HasStrings());
  for (int r = 0; r < 3; ++r) EXPECT_TRUE(p.IsNull(r));
  p.SetLayoutSource(wdtString, 0);
  p.Relayout();
  EXPECT_TRUE(p.HasStrings());
  EXPECT_TRUE(p.IsNull(0));
  EXPECT_EQ(p.Text(2), "");
}

TEST(MemPool, RelayoutKeepsLeadingBytesWhenTheSlotShrinksOrGrows) {
  TwMemPool p = MakePool(wdtChar, 6);
  p.SetCount(3);
  p.SetText(0, "abcdef");
  p.SetText(2, "xyz");
  p.SetLayoutSource(wdtChar, 3);
  p.Relayout();
  EXPECT_EQ(p.Text(0), "abc");
  EXPECT_EQ(p.Text(2), "xyz");
  EXPECT_TRUE(p.IsNull(1));
  p.SetLayoutSource(wdtChar, 8);
  p.Relayout();
  EXPECT_EQ(p.Text(0).substr(0, 3), "abc");
  EXPECT_EQ(p.Text(2).substr(0, 3), "xyz");
}

TEST(TextList, OverwritesAreReclaimedAndTextsSurviveCompaction) {
  TwTextList t;
  t.Resize(1000);
  const std::string longText(200000, 'x');  // larger than one arena chunk
  t.Set(500, longText);
  for (int round = 0; round < 500; ++round)
    for (int r = 0; r < 1000; ++r) t.Set(r == 500 ? 501 : r, "값 " + std::to_string(round * 1000 + r));
  EXPECT_EQ(t.Get(500), longText);
  EXPECT_EQ(t.Get(0), "값 499000");
  EXPECT_EQ(t.Get(999), "값 499999");
  // 500 rounds write about 7 MB of texts; the live data is about 215 KB and garbage is reclaimed once it
  // passes 1 MB.
  EXPECT_LT(t.MemoryUsed(), std::size_t(2) << 20);
}

TEST(RowInfos, SelectedCountStaysExact) {
  TwRowInfos infos;
  int events = 0;
  infos.OnSelectionChange = [&] { ++events; };
  infos.SetCount(10);
  infos.SetSelected(1, true);
  infos.SetSelected(3, true);
  infos.SetSelected(3, true);  // no change, no event
  infos.SetSelected(8, true);
  EXPECT_EQ(events, 3);
  infos.DeleteRows(2, 3);  // removes row 3
  EXPECT_EQ(infos.SelectedCount(), 2);
  EXPECT_TRUE(infos.Selected(5));  // row 8 moved to 5
  infos.SetCount(4);
  EXPECT_EQ(infos.SelectedCount(), 1);
  EXPECT_EQ(infos.CheckConsistency(), "");
  infos.ClearSelected();
  infos.ClearSelected();  // already empty: no event
  EXPECT_EQ(events, 4);
  EXPECT_EQ(infos.SelectedCount(), 0);
}

TEST(RowInfos, StateAndChangedBitsAreIndependent) {
  TwRowInfos infos;
  infos.SetCount(2);
  infos.SetRowState(0, wrsDeleted);
  infos.SetChanged(0, true);
  infos.SetSelected(0, true);
  EXPECT_EQ(infos.RowState(0), wrsDeleted);
  infos.SetRowState(0, wrsUpdated);
  EXPECT_EQ(infos.RowState(0), wrsUpdated);
  EXPECT_TRUE(infos.Changed(0));
  EXPECT_TRUE(infos.Selected(0));
  EXPECT_EQ(infos.RowState(1), wrsUnchanged);
  EXPECT_EQ(infos.CheckConsistency(), "");
}

}  // namespace
