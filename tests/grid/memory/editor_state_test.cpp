// When the grid may enter its "editor showing" state: never on a grid whose options allow no editing
// (a click on the current cell, Delete, F2 and Enter leave the cell painted normally), and on an editing
// grid only when the column can be edited and an editor exists for it. A change of a tick repaints its
// cell.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <algorithm>

#include "grid/grid_recorder.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "platform/format/format.h"
#include "platform/paint/canvas.h"
#include "platform/paint/color.h"

namespace {

using plat::paint::TCanvas;
using plat::paint::TRect;

// A grid that has an editor for every kind, so that the conditions around CreateEditor can be seen.
class EditorGrid : public TMemGrid {
 public:
  bool CreateEditor(TwColumn*) override {
    ++created;
    return true;
  }
  int created = 0;
};

template <class Grid>
class EditorStateBase : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    TwMemColumn* tick = grid.AddColumn();
    tick->SetDataType(wdtBool);
    tick->SetColWidth(40);
    for (int i = 0; i < 2; ++i) grid.AddColumn()->SetColWidth(100);
    for (int r = 0; r < 5; ++r) {
      grid.AppendRow(false, false, false);
      grid.Cells(0, r).SetAsBoolean(false);
      grid.Cells(1, r).SetAsString("값" + std::to_string(r));
    }
    grid.resize(400, 250);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    QApplication::processEvents();
  }
  const TwGridExtents& E() { return grid.Model().Extents(); }
  QPoint Mid(int band, int row) {
    const TRect r = E().CellRect(band, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  QImage Render() {
    QImage img(grid.viewport()->size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    TCanvas canvas(&img);
    grid.Painter().PaintTo(canvas, TRect{0, 0, img.width(), img.height()});
    canvas.End();
    return img;
  }
  // The inside of a cell, without its lines.
  QImage CellImage(const QImage& img, int band, int row) {
    const TRect r = E().CellInnerRect(band, row);
    return img.copy(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  }
  bool ShowsSelectionColour(const QImage& img, int band, int row) {
    const QPoint p = Mid(band, row);
    return plat::paint::FromQRgb(img.pixel(p.x(), p.y())) == plat::paint::ColorToRGB(grid.SelBgColor());
  }
  bool Updated(int band, int row) {
    const QPoint p = Mid(band, row);
    const auto& rects = grid.UpdatedRects();
    return std::any_of(rects.begin(), rects.end(), [&](const TRect& r) {
      return p.x() >= r.Left && p.x() < r.Right && p.y() >= r.Top && p.y() < r.Bottom;
    });
  }

  Recorded<Grid> grid;
};

using EditorState = EditorStateBase<TMemGrid>;
using EditorConditions = EditorStateBase<EditorGrid>;

TEST_F(EditorState, ClickDeleteF2AndEnterOnAGridWithoutEditingLeaveTheCurrentCellPainted) {
  ASSERT_FALSE(grid.HasOption(wgoEditing));
  ASSERT_FALSE(grid.HasOption(wgoInserting));
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect});  // Enter is no tab here
  ASSERT_EQ(grid.Row(), 0);
  ASSERT_EQ(grid.Col(), 0);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Mid(0, 0));
  EXPECT_FALSE(grid.EditorShowing());
  for (Qt::Key key : {Qt::Key_Delete, Qt::Key_F2, Qt::Key_Return}) {
    QTest::keyClick(&grid, key);
    EXPECT_FALSE(grid.EditorShowing()) << "key " << key;
  }
  // The current cell still shows the selection colour, not only its lines.
  EXPECT_TRUE(ShowsSelectionColour(Render(), 0, 0));
}

TEST_F(EditorState, ATickChangedOnTheCurrentCellRepaintsAndShowsIt) {
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, Mid(0, 0));  // the current cell
  const QImage unticked = CellImage(Render(), 0, 0);
  grid.ClearRepaintLog();
  grid.Cells(0, 0).SetAsBoolean(true);
  EXPECT_TRUE(Updated(0, 0));
  const QImage ticked = CellImage(Render(), 0, 0);
  EXPECT_NE(ticked, unticked);
  grid.ClearRepaintLog();
  grid.Cells(0, 0).SetAsBoolean(false);
  EXPECT_TRUE(Updated(0, 0));
  EXPECT_EQ(CellImage(Render(), 0, 0), unticked);
}

TEST_F(EditorConditions, TheEditorOpensOnlyWhenTheOptionsAllowEditing) {
  QTest::keyClick(&grid, Qt::Key_F2);
  EXPECT_FALSE(grid.EditorShowing());
  EXPECT_EQ(grid.created, 0);

  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoEditing});
  grid.SetCol(1);
  QTest::keyClick(&grid, Qt::Key_F2);
  EXPECT_TRUE(grid.EditorShowing());
  EXPECT_EQ(grid.created, 1);
  // Taking the editing options away closes it again.
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect});
  EXPECT_FALSE(grid.EditorShowing());

  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoInserting});
  QTest::keyClick(&grid, Qt::Key_Delete);
  EXPECT_TRUE(grid.EditorShowing());
}

TEST_F(EditorConditions, TheColumnMustBeEditableAndNotInAFixedBandWithoutFixedEditing) {
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoEditing});
  // A read-only date column opens nothing; a read-only text column still does.
  grid.Column(2)->SetDataType(wdtDate);
  grid.Column(2)->SetReadOnly(true);
  grid.SetCol(2);
  grid.ShowEditor();
  EXPECT_FALSE(grid.EditorShowing());
  grid.Column(1)->SetReadOnly(true);
  grid.SetCol(1);
  grid.ShowEditor();
  EXPECT_TRUE(grid.EditorShowing());
  grid.HideEditor();

  // A memo column uses its dialog, never the in-place state.
  grid.Column(1)->SetReadOnly(false);
  grid.Column(1)->SetEditStyle(wesMemo);
  grid.ShowEditor();
  EXPECT_FALSE(grid.EditorShowing());
  grid.Column(1)->SetEditStyle(wesDefault);

  // Column 1 in the fixed band (with wfxSelecting it may be current there).
  grid.Model().FixedStyle().SetOptions({wfxSelecting});
  grid.Model().SetFixedCount(2);
  grid.SetCol(1);
  ASSERT_EQ(grid.Col(), 1);
  grid.ShowEditor();
  EXPECT_FALSE(grid.EditorShowing());
  grid.Model().FixedStyle().SetOptions({wfxSelecting, wfxEditing});
  grid.ShowEditor();
  EXPECT_TRUE(grid.EditorShowing());
}

TEST_F(EditorConditions, AGridWithoutTheFocusOrWithoutRowsOpensNoEditor) {
  grid.SetOptions(TwGridOptions{wgoArrowMove, wgoFocusRect, wgoEditing});
  grid.SetCol(1);
  grid.clearFocus();
  QApplication::processEvents();
  grid.ShowEditor();
  EXPECT_FALSE(grid.EditorShowing());
  grid.setFocus();
  QApplication::processEvents();
  grid.ClearRows();
  grid.ShowEditor();
  EXPECT_FALSE(grid.EditorShowing());
}

}  // namespace
