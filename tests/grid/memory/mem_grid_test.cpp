// Rows of the memory grid: bounds, insert and delete, the editing life cycle and its events, selection,
// and the delayed row-change event.
#include <gtest/gtest.h>

#include <QTest>

#include "grid_fixture.h"
#include "platform/error.h"

namespace {

using Events = std::vector<std::string>;

class MemGrid : public ::testing::Test, public GridFixture {
 protected:
  void SetUp() override { AddColumns({wdtString, wdtLong, wdtString, wdtString, wdtString}); }
  void Editable() { grid.SetOptions(TwGridOptions{wgoEditing, wgoInserting, wgoMultiSelect, wgoDeleting}); }
  std::string Text(int c, int r) { return grid.Cells(c, r).AsString(); }
  template <class F>
  std::string ErrorOf(F f) {
    try {
      f();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no error)";
  }
};

TEST_F(MemGrid, BoundsErrorsCarryTheirTexts) {
  EXPECT_EQ(ErrorOf([&] { grid.Cells(0, 0); }), "Cells row bounds error[0]");
  Fill(1);
  EXPECT_EQ(ErrorOf([&] { grid.Cells(5, 0); }), "Cells col bounds error[5]");
  EXPECT_EQ(ErrorOf([&] { grid.Cells(-1, 0); }), "Cells col bounds error[-1]");
  EXPECT_EQ(ErrorOf([&] { grid.InsertRow(3, false, false, false); }),
            "TMemGrid - Row Bounds Error(3) in InsertRow");
  EXPECT_EQ(ErrorOf([&] { grid.DeleteRow(1, 1, false); }), "TMemGrid - Row Bounds Error(1) in DeleteRow");
  EXPECT_EQ(ErrorOf([&] { grid.SetSelected(4, true); }), "Bound Error in SetSelected(4)");
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(MemGrid, AppendRowAppliesDefaultsAndKeepsRowState) {
  grid.Column(2)->SetDefaults("x");
  Fill(2);
  Take();
  grid.AppendRow(true, false, false);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(Text(2, 2), "x");
  EXPECT_TRUE(grid.Cells(0, 2).IsNull());
  EXPECT_TRUE(grid.Cells(1, 2).IsNull());
  EXPECT_EQ(grid.RowState(2), wrsUnchanged);
  grid.InsertRow(0, false, true, true);
  EXPECT_EQ(grid.RowState(0), wrsInserted);
  EXPECT_EQ(Take(), Events{"NewRow"});
  EXPECT_EQ(Text(0, 1), "0");
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(MemGrid, DefaultThatDoesNotConvertLeavesTheStoreAsItWas) {
  grid.Column(1)->SetDefaults("abc");
  Fill(2);
  EXPECT_THROW(grid.AppendRow(true, false, false), plat::EConvertError);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(MemGrid, DeletingTheLastCurrentRowMovesToTheNewLast) {
  Fill(5);
  grid.SetRow(4);
  Take();
  grid.DeleteRow(4, 1, false);
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.RowCount(), 4);
  const Events e = Take();
  EXPECT_EQ(std::count(e.begin(), e.end(), "DataChanged"), 0);
}

TEST_F(MemGrid, DeleteToTheEndNotifiesOnce) {
  Fill(10);
  Take();
  grid.DeleteRow(3, -1, true);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(Text(0, 2), "2");
  const Events e = Take();
  EXPECT_EQ(std::count(e.begin(), e.end(), "DataChanged"), 1);
  grid.DeleteRow(0, 99, false);
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

// Scattered rows leave in one pass: the rows kept close up in order with their texts, numbers, states and
// selection; repeats and rows out of range are left out; the current row keeps its place.
TEST_F(MemGrid, DeleteRowsTakesScatteredRowsOut) {
  const auto Label = [](int r) {
    std::string s = "글" + std::to_string(r);
    for (int i = 0; i < r % 7; ++i) s += "가";
    return s;
  };
  Editable();
  Fill(40);
  std::vector<int> kept;
  for (int r = 0; r < 40; ++r) {
    grid.Cells(1, r).SetAsString(std::to_string(r * 10));
    grid.Cells(2, r).SetAsString(Label(r));
    if (r % 3 == 0) grid.SetSelected(r, true);
    if (r % 5 == 0) grid.SetRowState(r, wrsUpdated);
    if (r % 4 != 1 && r != 39) kept.push_back(r);
  }
  grid.SetRow(20);
  Take();
  std::vector<int> gone = {39, 1, 5, 5, -2, 40, 99};
  for (int r = 9; r < 39; r += 4) gone.push_back(r);
  grid.DeleteRows(gone, true);
  ASSERT_EQ(grid.RowCount(), int(kept.size()));
  int selected = 0;
  for (int i = 0; i < grid.RowCount(); ++i) {
    const int r = kept[std::size_t(i)];
    EXPECT_EQ(Text(0, i), std::to_string(r));
    EXPECT_EQ(grid.Cells(1, i).AsFloat(), r * 10);
    EXPECT_EQ(Text(2, i), Label(r));
    EXPECT_EQ(grid.Selected(i), r % 3 == 0) << r;
    EXPECT_EQ(grid.RowState(i), r % 5 == 0 ? wrsUpdated : wrsUnchanged) << r;
    selected += r % 3 == 0 ? 1 : 0;
  }
  EXPECT_EQ(grid.SelectedCount(), selected);
  EXPECT_EQ(grid.Row(), 20);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
  const Events e = Take();
  EXPECT_EQ(std::count(e.begin(), e.end(), "DataChanged"), 1);
  ASSERT_TRUE(grid.Edit());
  EXPECT_EQ(ErrorOf([&] { grid.DeleteRows({0}, false); }), "Can't DeleteRows in Editing");
}

TEST_F(MemGrid, RowCountCannotChangeWhileEditing) {
  Editable();
  Fill(3);
  ASSERT_TRUE(grid.Edit());
  EXPECT_EQ(ErrorOf([&] { grid.SetRowCount(5); }), "수정/추가 중일 때는 RowCount를 변경할 수 없습니다.");
  EXPECT_EQ(ErrorOf([&] { grid.InsertRow(0, false, false, false); }), "Can't InsertRow in Editing");
  EXPECT_EQ(ErrorOf([&] { grid.DeleteRow(0, 1, false); }), "Can't DeleteRow in Editing");
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.EditState(), esEdit);
}

TEST_F(MemGrid, EditPostFiresTheEventsInOrderAndMarksTheRow) {
  Editable();
  Fill(3);
  grid.SetRow(1);
  Take();
  ASSERT_TRUE(grid.Edit());
  grid.Cells(2, 1).SetAsString("new");
  grid.Cells(2, 1).SetAsString("new");  // same value: nothing happens
  EXPECT_TRUE(grid.Modified());
  grid.Post();
  EXPECT_EQ(Take(), (Events{"BeforeEdit", "AfterEdit", "Changing C=new", "Changed C", "BeforePost",
                            "AfterPost", "DataChanged"}));
  EXPECT_EQ(Text(2, 1), "new");
  EXPECT_EQ(grid.RowState(1), wrsUpdated);
  EXPECT_TRUE(grid.RowInfos().Changed(1));
  EXPECT_EQ(grid.EditState(), esBrowse);
}

TEST_F(MemGrid, CancelDropsTheEditBuffer) {
  Editable();
  Fill(2);
  ASSERT_TRUE(grid.Edit());
  grid.Cells(0, 0).SetAsString("changed");
  EXPECT_EQ(Text(0, 0), "changed");  // reads the buffer
  grid.Cancel();
  EXPECT_EQ(Text(0, 0), "0");
  EXPECT_EQ(grid.RowState(0), wrsUnchanged);
}

TEST_F(MemGrid, RequiredColumnStopsPostAndKeepsTheEdit) {
  Editable();
  grid.Column(3)->SetRequired(true);
  Fill(1);
  ASSERT_TRUE(grid.Edit());
  EXPECT_EQ(ErrorOf([&] { grid.Post(); }), "Column 'D' must have a value.");
  EXPECT_EQ(grid.EditState(), esEdit);
  grid.Cells(3, 0).SetAsString("d");
  grid.Post();
  EXPECT_EQ(Text(3, 0), "d");
}

TEST_F(MemGrid, InsertedRowSitsInTheBufferAndShiftsTheRowsBelow) {
  Editable();
  Fill(5);
  grid.SetRow(2);
  Take();
  grid.Insert(false);
  EXPECT_EQ(grid.RowCount(), 6);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_TRUE(grid.Cells(0, 2).InBuffer());
  EXPECT_TRUE(grid.Cells(0, 2).IsNull());
  EXPECT_EQ(Text(0, 3), "2");
  EXPECT_EQ(Text(0, 5), "4");
  EXPECT_EQ(grid.GetIndicatorGlyph(2), wigInserting);
  // Leaving an untouched new row drops it again.
  grid.SetRow(4);
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(Text(0, 2), "2");
  EXPECT_EQ(grid.EditState(), esBrowse);
  const Events e = Take();
  EXPECT_EQ(e.front(), "BeforeInsert");
  EXPECT_NE(std::find(e.begin(), e.end(), "AfterCancel"), e.end());
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(MemGrid, InsertedRowWithAValueIsPostedWhenLeft) {
  Editable();
  Fill(3);
  grid.SetRow(1);
  grid.Insert(false);
  grid.Cells(0, 1).SetAsString("inserted");
  grid.SetRow(3);
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(Text(0, 1), "inserted");
  EXPECT_EQ(Text(0, 2), "1");
  EXPECT_EQ(grid.RowState(1), wrsInserted);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(MemGrid, AppendIntoAnEmptyGridAndCancel) {
  Editable();
  grid.Insert(true);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Row(), 0);
  grid.Cancel();
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(grid.Row(), 0);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(MemGrid, MaxRowCountRefusesInsertSilently) {
  Editable();
  grid.SetMaxRowCount(3);
  Fill(3);
  Take();
  grid.Insert(true);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(grid.EditState(), esBrowse);
}

TEST_F(MemGrid, SoftDeletingMarksTheRowAndEditRefusesIt) {
  Editable();
  grid.SetSoftDeleting(true);
  Fill(3);
  grid.SetRow(1);
  grid.DeleteCurrent();
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.RowState(1), wrsDeleted);
  EXPECT_FALSE(grid.Edit());
}

TEST_F(MemGrid, DeleteCurrentFiresRowChangeAtOnce) {
  Editable();
  Fill(3);
  grid.SetRow(1);
  Take();
  grid.DeleteCurrent();
  const Events e = Take();
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(e.front(), "BeforeDelete");
  EXPECT_EQ(std::count(e.begin(), e.end(), "RowChange"), 1);
  EXPECT_FALSE(grid.RowChangePending());
}

TEST_F(MemGrid, SelectionCountsAndDeletingSelectedRows) {
  Editable();
  Fill(8);
  int changes = 0;
  grid.OnSelectionChange = [&](QObject*) { ++changes; };
  grid.SelectRange(2, 4);
  EXPECT_EQ(grid.SelectedCount(), 3);
  EXPECT_EQ(changes, 3);
  grid.ExtendSelection(6);
  EXPECT_EQ(grid.SelectedCount(), 5);
  grid.ExtendSelection(3);
  EXPECT_EQ(grid.SelectedCount(), 2);
  EXPECT_TRUE(grid.Selected(2));
  EXPECT_TRUE(grid.Selected(3));
  EXPECT_FALSE(grid.Selected(4));
  grid.ExtendSelection(0);  // across the anchor
  EXPECT_EQ(grid.SelectedCount(), 3);
  EXPECT_EQ(grid.RowInfos().CheckConsistency(), "");

  grid.OnDeleteRow = [](QObject*, int row, bool& accept) { accept = row != 1; };
  grid.DeleteSelectedRows();
  EXPECT_EQ(grid.RowCount(), 6);
  EXPECT_EQ(grid.SelectedCount(), 1);  // row 1 was refused
  EXPECT_EQ(Text(0, 0), "1");
  EXPECT_EQ(Text(0, 1), "3");
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(MemGrid, WithoutMultiSelectNothingIsSelected) {
  Fill(3);
  grid.SetSelected(1, true);
  EXPECT_FALSE(grid.Selected(1));
  EXPECT_EQ(grid.SelectedCount(), 0);
}

TEST_F(MemGrid, RowChangeIsDelayedAndFiredOnceForQuickMoves) {
  Fill(10);
  grid.SetChangeDelay(30);
  Take();
  grid.SetRow(1);
  grid.SetRow(2);
  grid.SetRow(3);
  EXPECT_TRUE(grid.RowChangePending());
  Events e = Take();
  EXPECT_EQ(std::count(e.begin(), e.end(), "RowChange"), 0);
  EXPECT_EQ(std::count(e.begin(), e.end(), "RowEnter"), 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !grid.RowChangePending(); }, 2000));
  e = Take();
  EXPECT_EQ(std::count(e.begin(), e.end(), "RowChange"), 1);

  grid.SetChangeDelay(0);
  grid.SetRow(5);
  EXPECT_FALSE(grid.RowChangePending());
  e = Take();
  EXPECT_EQ(std::count(e.begin(), e.end(), "RowChange"), 0);
}

TEST_F(MemGrid, RowExitIsNotReenteredWhenItsHandlerMovesTheRow) {
  Fill(5);
  int exits = 0;
  grid.OnRowExit = [&](QObject*) {
    ++exits;
    grid.SetRow(4);
  };
  grid.SetRow(2);
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(grid.Row(), 2);
}

TEST_F(MemGrid, IndicatorGlyphs) {
  Editable();
  EXPECT_EQ(grid.GetIndicatorGlyph(0), wigNone);
  Fill(3);
  EXPECT_EQ(grid.GetIndicatorGlyph(0), wigCurrent);
  EXPECT_EQ(grid.GetIndicatorGlyph(1), wigNone);
  grid.SetSelected(1, true);
  EXPECT_EQ(grid.GetIndicatorGlyph(1), wigSelected);
  ASSERT_TRUE(grid.Edit());
  EXPECT_EQ(grid.GetIndicatorGlyph(0), wigEditing);
}

TEST_F(MemGrid, EqualBlankHidesRepeatedValuesBelowTheTopRow) {
  grid.Column(2)->SetEqualBlank(true);
  Fill(3);
  for (int r = 0; r < 3; ++r) grid.Cells(2, r).SetAsString("같음");
  std::string text;
  grid.GetCellText(grid.Column(2), 0, text);
  EXPECT_EQ(text, "같음");
  grid.GetCellText(grid.Column(2), 1, text);
  EXPECT_EQ(text, "");
  grid.GetCellText(grid.Column(0), 1, text);
  EXPECT_EQ(text, "1");
}

TEST_F(MemGrid, NewColumnsAreNumberedAfterTheHighestColumnTitle) {
  TMemGrid g;
  EXPECT_EQ(g.AddColumn()->Title().Caption(), "Column0");
  g.Column(0)->Title().SetCaption("Column1");
  g.AddColumn()->Title().SetCaption("column7");
  g.AddColumn()->Title().SetCaption("Name");
  g.AddColumn()->Title().SetCaption("Columns");
  EXPECT_EQ(g.AddColumn()->Title().Caption(), "Column8");
}

TEST_F(MemGrid, ChangingAColumnTypeAtRunTimeNullsItsCells) {
  Fill(3);
  grid.Cells(2, 1).SetAsString("12");
  grid.Column(2)->SetDataType(wdtLong);
  for (int r = 0; r < 3; ++r) EXPECT_TRUE(grid.Cells(2, r).IsNull());
  grid.Cells(2, 1).SetAsString("12");
  EXPECT_EQ(grid.Cells(2, 1).AsFloat(), 12.0);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

}  // namespace
