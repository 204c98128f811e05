// Changes of the description and of the options while the grid holds rows: hiding the current column
// moves the current cell to a visible one; taking wgoMultiSelect away drops the selection for good;
// TwMemColumn::Assign copies every property; OnDrawRow is skipped only for the row being inserted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <set>

#include "grid/memory/mem_footer.h"
#include "grid/memory/mem_grid.h"
#include "platform/format/format.h"
#include "platform/paint/canvas.h"

namespace {

using plat::paint::TCanvas;
using plat::paint::TRect;

class Changes : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    for (const char* name : {"A", "B", "C", "D"}) {
      TwMemColumn* c = grid.AddColumn();
      c->Title().SetCaption(name);
      c->SetColWidth(80);
    }
    for (int r = 0; r < 6; ++r) {
      grid.AppendRow(false, false, false);
      grid.Cells(0, r).SetAsString(std::to_string(r));
    }
    grid.resize(450, 250);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    QApplication::processEvents();
  }
  void Render() {
    QImage img(grid.viewport()->size(), QImage::Format_RGB32);
    TCanvas canvas(&img);
    grid.Painter().PaintTo(canvas, TRect{0, 0, img.width(), img.height()});
    canvas.End();
  }

  TMemGrid grid;
};

TEST_F(Changes, HidingTheCurrentColumnMovesTheCurrentCellToTheColumnNowInItsPlace) {
  grid.SetCol(1);
  grid.Column(1)->SetVisible(false);
  EXPECT_EQ(grid.Col(), 2);  // C is now at visible index 1
  // Left and Right work from there.
  QTest::keyClick(&grid, Qt::Key_Left);
  EXPECT_EQ(grid.Col(), 0);
  QTest::keyClick(&grid, Qt::Key_Right);
  EXPECT_EQ(grid.Col(), 2);
}

TEST_F(Changes, HidingTheLastVisibleColumnWhileCurrentMovesToTheNewLast) {
  grid.SetCol(3);
  grid.Column(3)->SetVisible(false);
  EXPECT_EQ(grid.Col(), 2);
  grid.Column(1)->SetVisibleIndex(-1);  // not current: the current column stays
  EXPECT_EQ(grid.Col(), 2);
  QTest::keyClick(&grid, Qt::Key_Left);
  EXPECT_EQ(grid.Col(), 0);
}

TEST_F(Changes, TakingMultiSelectAwayClearsTheSelectionAndSaysSo) {
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoMultiSelect, wgoDeleting});
  grid.SelectRange(1, 3);
  ASSERT_EQ(grid.SelectedCount(), 3);
  int changes = 0;
  grid.OnSelectionChange = [&](QObject*) { ++changes; };
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoDeleting});
  EXPECT_GE(changes, 1);
  EXPECT_EQ(grid.RowInfos().SelectedCount(), 0);
  // Switching the option on again brings nothing back, and deleting the selection deletes nothing.
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoMultiSelect, wgoDeleting});
  EXPECT_EQ(grid.SelectedCount(), 0);
  EXPECT_FALSE(grid.Selected(2));
  grid.DeleteSelectedRows();
  EXPECT_EQ(grid.RowCount(), 6);
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(Changes, OptionsWithoutMultiSelectChangingRaiseNoSelectionEvent) {
  int changes = 0;
  grid.OnSelectionChange = [&](QObject*) { ++changes; };
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoRowSizing});
  EXPECT_EQ(changes, 0);
}

TEST_F(Changes, AssignCopiesEveryColumnPropertyAndTheMemoryColumnsOwn) {
  grid.Model().Footers().Add();
  TwMemColumn* s = grid.Column(0);
  s->SetDataType(wdtLong);
  s->SetDefaults("7");
  s->SetDisplayFormat("#,##0");
  s->SetRequired(true);
  s->SetEditButton(true);
  s->SetWordWrap(true);
  s->SetRadioColumns(3);
  s->SetMaxValue("99");
  s->SetMinValue("-5");
  TwFont font = s->Font();
  font.Name = "Arial";
  font.Size = 11;
  s->SetFont(font);
  for (int i = 0; i < 4; ++i) s->SetMargin(i, 2 + i);
  s->Footer().SetStyle(0, TwMemColumnFooter::MakeStyle(wfkSum, TwMemColumnFooter::kThisColumn, wfoAll, ""));
  s->Footer().SetColor(0x123456);
  s->Title().SetCaption("금액");
  s->Title().SetColor(0x00FF00);
  s->SetLayout(tlBottom);
  s->SetFitStyle(TwFitStyle(1));
  s->SetCtl3D(false);
  s->SetTransparent(true);

  TwMemColumn* d = grid.Column(3);
  d->Assign(*s);
  EXPECT_EQ(d->DataType(), wdtLong);
  EXPECT_EQ(d->Defaults(), "7");
  EXPECT_EQ(d->DisplayFormat(), "#,##0");
  EXPECT_TRUE(d->Required());
  EXPECT_TRUE(d->EditButton());
  EXPECT_TRUE(d->WordWrap());
  EXPECT_EQ(d->RadioColumns(), 3);
  EXPECT_EQ(d->MaxValue(), "99");
  EXPECT_EQ(d->MinValue(), "-5");
  EXPECT_EQ(d->Font(), font);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d->Margin(i), 2 + i) << "margin " << i;
  EXPECT_EQ(d->Footer().Style(0), s->Footer().Style(0));
  EXPECT_EQ(d->Footer().Kind(0), wfkSum);
  EXPECT_EQ(d->Footer().Color(), TColor(0x123456));
  EXPECT_EQ(d->Title().Caption(), "금액");
  EXPECT_EQ(d->Title().Color(), TColor(0x00FF00));
  EXPECT_EQ(d->Layout(), tlBottom);
  EXPECT_EQ(d->FitStyle(), TwFitStyle(1));
  EXPECT_FALSE(d->Ctl3D());
  EXPECT_TRUE(d->Transparent());
  EXPECT_EQ(grid.CheckConsistency().Problem, "");
}

TEST_F(Changes, OnDrawRowIsSkippedOnlyForTheRowBeingInserted) {
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoInserting});
  grid.SetRow(2);
  grid.Insert(false);
  ASSERT_EQ(grid.EditState(), esInsert);
  ASSERT_EQ(grid.Row(), 2);
  std::set<int> rows;
  grid.OnDrawRow = [&](QObject*, int r, TColor&, TColor&, TFontStyles&) { rows.insert(r); };
  Render();
  EXPECT_EQ(rows.count(2), 0u);
  for (int r : {0, 1, 3, 4, 5, 6}) EXPECT_EQ(rows.count(r), 1u) << "row " << r;
}

}  // namespace
