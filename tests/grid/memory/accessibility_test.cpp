// The grid as a screen reader sees it: Qt's table interface of a memory grid, its cells and titles, a
// tick pressed through its action, and the child cache that stays small on many rows and goes on a reload.
// (The events reach a client only through an active platform bridge: the end-to-end test reads them.)
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "grid/memory/mem_grid.h"
#include "grid/view/edit_session.h"
#include "grid/view/grid_accessible.h"
#include "grid/view/grid_input.h"
#include "platform/format/format.h"

namespace {

class GridAccessibility : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    TwMemColumn* tick = grid.AddColumn();
    tick->SetDataType(wdtBool);
    tick->Title().SetCaption("C");
    TwMemColumn* name = grid.AddColumn();
    name->Title().SetCaption("파일명");
    TwMemColumn* kind = grid.AddColumn();
    kind->Title().SetCaption("내용");
    Fill(4);
    grid.resize(500, 300);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    QApplication::processEvents();
  }
  void Fill(int rows, const std::string& prefix = "문서") {
    for (int r = 0; r < rows; ++r) {
      grid.AppendRow(false, false, false);
      grid.Cells(0, grid.RowCount() - 1).SetAsBoolean(r % 2 == 1);
      grid.Cells(1, grid.RowCount() - 1).SetAsString(prefix + std::to_string(r) + ".hwp");
      grid.Cells(2, grid.RowCount() - 1).SetAsString("주민등록번호");
    }
  }
  QAccessibleInterface* Iface() { return QAccessible::queryAccessibleInterface(&grid); }
  QAccessibleTableInterface* Table() { return Iface()->tableInterface(); }
  TwGridAccessible* Grid() { return dynamic_cast<TwGridAccessible*>(Iface()); }

  TMemGrid grid;
};

TEST_F(GridAccessibility, TheTableAnswersCountsTextsTitlesAndTickStates) {
  ASSERT_NE(Table(), nullptr);
  EXPECT_EQ(Iface()->role(), QAccessible::Table);
  EXPECT_EQ(Table()->rowCount(), 4);
  EXPECT_EQ(Table()->columnCount(), 3);
  EXPECT_EQ(Table()->columnDescription(1), QString::fromUtf8("파일명"));

  QAccessibleInterface* cell = Table()->cellAt(2, 1);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->role(), QAccessible::Cell);
  EXPECT_EQ(cell->text(QAccessible::Name), QString::fromUtf8("문서2.hwp"));
  QAccessibleTableCellInterface* place = cell->tableCellInterface();
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(place->rowIndex(), 2);
  EXPECT_EQ(place->columnIndex(), 1);
  const QList<QAccessibleInterface*> headers = place->columnHeaderCells();
  ASSERT_EQ(headers.size(), 1);
  EXPECT_EQ(headers[0]->role(), QAccessible::ColumnHeader);
  EXPECT_EQ(headers[0]->text(QAccessible::Name), QString::fromUtf8("파일명"));
  // A child's index and the child at that index agree (clients walk the children by index).
  const int index = Iface()->indexOfChild(cell);
  EXPECT_EQ(Iface()->child(index), cell);
  EXPECT_EQ(Iface()->indexOfChild(headers[0]), 1);

  // The tick column: checkable, checked as stored, with press and toggle; a text cell has no action.
  QAccessibleInterface* tick = Table()->cellAt(1, 0);
  EXPECT_TRUE(tick->state().checkable);
  EXPECT_TRUE(tick->state().checked);
  EXPECT_FALSE(Table()->cellAt(2, 0)->state().checked);
  EXPECT_TRUE(tick->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
  EXPECT_TRUE(cell->actionInterface()->actionNames().isEmpty());

  // The current cell is the focused child; a hidden column leaves the table.
  EXPECT_TRUE(Table()->cellAt(0, 0)->state().focused);
  EXPECT_FALSE(tick->state().focused);
  grid.Column(2)->SetVisible(false);
  EXPECT_EQ(Table()->columnCount(), 2);
  EXPECT_EQ(Table()->cellAt(3, 2), nullptr);
}

TEST_F(GridAccessibility, GroupTitlesHeadTheirColumnsInGroupMode) {
  grid.Model().Groups().Add();
  grid.Model().Groups().Add();
  grid.Model().Groups().Items(0)->Title().SetCaption("파일");
  grid.Model().Groups().Items(1)->Title().SetCaption("검출");
  grid.Column(0)->SetPosition(TwCellPos{0, 0, 0});
  grid.Column(1)->SetPosition(TwCellPos{0, 0, 1});
  grid.Column(2)->SetPosition(TwCellPos{1, 0, 0});
  grid.Model().SetGroupMode(true);
  ASSERT_EQ(Table()->columnCount(), 3);
  const QList<QAccessibleInterface*> headers =
      Table()->cellAt(0, 2)->tableCellInterface()->columnHeaderCells();
  ASSERT_EQ(headers.size(), 2);
  EXPECT_EQ(headers[0]->text(QAccessible::Name), QString::fromUtf8("검출"));
  EXPECT_EQ(headers[1]->text(QAccessible::Name), QString::fromUtf8("내용"));
  EXPECT_EQ(Table()->cellAt(3, 2)->text(QAccessible::Name), QString::fromUtf8("주민등록번호"));
}

TEST_F(GridAccessibility, TheOpenEditorIsTheFocusedChildAndSelectedRowsAreSelectedCells) {
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoEditing, wgoMultiSelect});
  grid.SetCol(1);
  EXPECT_EQ(Iface()->focusChild(), Table()->cellAt(0, 1));
  QTest::keyClick(&grid, Qt::Key_F2);
  ASSERT_TRUE(grid.EditorMode());
  QAccessibleInterface* editor = Iface()->focusChild();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->object(), grid.Editing().InplaceEditor()->Control());
  EXPECT_FALSE(Table()->cellAt(0, 1)->state().focused) << "the editor has the focus, not the cell under it";
  QTest::keyClick(&grid, Qt::Key_Escape);

  grid.SetSelected(1, true);
  grid.SetSelected(3, true);
  EXPECT_EQ(Table()->selectedRows(), (QList<int>{1, 3}));
  EXPECT_EQ(Table()->selectedCellCount(), 6);
  EXPECT_TRUE(Table()->cellAt(3, 2)->state().selected);
  EXPECT_FALSE(Table()->cellAt(2, 2)->state().selected);
}

TEST_F(GridAccessibility, PressingATickCellClicksItThroughTheGrid) {
  // As the document manager does: a click on the current row's tick toggles it.
  grid.OnClick = [this](QObject*) {
    const TwGridHit& hit = grid.Input().LastClickHit();
    if (hit.Region == TwGridRegion::Data && hit.Column == 0 && hit.Row == grid.Row())
      grid.Cells(0, grid.Row()).SetAsBoolean(!grid.Cells(0, grid.Row()).AsBoolean());
  };
  QAccessibleInterface* tick = Table()->cellAt(2, 0);
  ASSERT_FALSE(tick->state().checked);
  tick->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_TRUE(grid.Cells(0, 2).AsBoolean());
  EXPECT_TRUE(tick->state().checked);
  EXPECT_TRUE(grid.Cells(0, 1).AsBoolean());  // the other rows keep theirs
}

TEST_F(GridAccessibility, ManyCellsKeepTheCacheSmallAndAReloadReleasesIt) {
  grid.ClearRows();
  Fill(5000, "행");
  QApplication::processEvents();
  ASSERT_EQ(Table()->rowCount(), 5000);

  QAccessible::Id first = QAccessible::uniqueId(Table()->cellAt(0, 1));
  for (int r = 0; r < 5000; r += 7)
    for (int c = 0; c < 3; ++c) ASSERT_NE(Table()->cellAt(r, c), nullptr);
  EXPECT_LE(Grid()->CachedCount(), TwGridAccessible::kCacheCapacity);
  EXPECT_EQ(QAccessible::accessibleInterface(first), nullptr) << "the oldest cell was given back";
  // A cell asked for again is whole.
  EXPECT_EQ(Table()->cellAt(4998, 1)->text(QAccessible::Name), QString::fromUtf8("행4998.hwp"));
  EXPECT_EQ(Table()->cellAt(0, 1)->text(QAccessible::Name), QString::fromUtf8("행0.hwp"));

  const QAccessible::Id held = QAccessible::uniqueId(Table()->cellAt(10, 1));
  grid.ClearRows();
  Fill(2, "새");
  QApplication::processEvents();
  EXPECT_EQ(Grid()->CachedCount(), 0);
  EXPECT_EQ(QAccessible::accessibleInterface(held), nullptr);
  EXPECT_EQ(Table()->rowCount(), 2);
  EXPECT_EQ(Table()->cellAt(1, 1)->text(QAccessible::Name), QString::fromUtf8("새1.hwp"));
}

}  // namespace
