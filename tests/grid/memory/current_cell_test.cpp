// What shows the current cell while it moves and when the focus comes and goes: a move to another row and
// column paints no highlight at the half-way cell (old column, new row), and the flag behind that never
// outlives the move, even when a row handler throws; focus in and out repaint what shows the current cell,
// which includes every selected row.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "grid/grid_recorder.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "platform/format/format.h"
#include "platform/paint/canvas.h"
#include "platform/paint/color.h"

namespace {

using plat::paint::TCanvas;
using plat::paint::TRect;

constexpr TColor kGreen = 0x00FF00;

class CurrentCell : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    auto* box = new QVBoxLayout(&window);
    box->addWidget(grid);
    box->addWidget(other);
    window.resize(500, 320);
    for (int i = 0; i < 3; ++i) {
      TwMemColumn* c = grid->AddColumn();
      c->SetColWidth(100);
      c->SetColor(kGreen);
    }
    for (int r = 0; r < 6; ++r) grid->AppendRow(false, false, false);
    // Cells paint their colour only, so that a pixel in the middle says highlighted or not.
    grid->OnDrawCell = [](TwColumn*, int, std::string& text, TColor&, TColor&, TFontStyles&) {
      text.clear();
    };
    window.show();
    window.activateWindow();
    grid->setFocus();
    QApplication::processEvents();
  }
  const TwGridExtents& E() { return grid->Model().Extents(); }
  QPoint Mid(int band, int row) {
    const TRect r = E().CellRect(band, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  QImage Render() {
    QImage img(grid->viewport()->size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    TCanvas canvas(&img);
    grid->Painter().PaintTo(canvas, TRect{0, 0, img.width(), img.height()});
    canvas.End();
    return img;
  }
  bool Highlighted(const QImage& img, int band, int row) {
    const QPoint p = Mid(band, row);
    return plat::paint::FromQRgb(img.pixel(p.x(), p.y())) == plat::paint::ColorToRGB(grid->SelBgColor());
  }
  bool Requested(TwCustomGrid::RepaintRequest::Kind kind) {
    const auto& log = grid->RepaintLog();
    return std::any_of(log.begin(), log.end(), [&](const auto& q) { return q.What == kind; });
  }
  // The viewport area handed to update covers the middle of the cell.
  bool Updated(int band, int row) {
    const QPoint p = Mid(band, row);
    const auto& rects = grid->UpdatedRects();
    return std::any_of(rects.begin(), rects.end(), [&](const TRect& r) {
      return p.x() >= r.Left && p.x() < r.Right && p.y() >= r.Top && p.y() < r.Bottom;
    });
  }

  QWidget window;
  Recorded<TMemGrid>* grid = new Recorded<TMemGrid>(&window);
  QLineEdit* other = new QLineEdit(&window);
};

// The grid is focused in these tests, so the current cell shows the selection colour.
TEST_F(CurrentCell, AMoveToAnotherRowAndColumnShowsNoHighlightHalfWay) {
  ASSERT_TRUE(grid->IsGridFocused());
  ASSERT_TRUE(Highlighted(Render(), 0, 0));
  bool changing = false, halfWayLit = true, targetLit = true;
  grid->OnRowEnter = [&](QObject*) {
    changing = grid->Painter().CellChanging();
    const QImage img = Render();
    halfWayLit = Highlighted(img, 0, 3);  // the row has moved, the column not yet
    targetLit = Highlighted(img, 2, 3);
  };
  grid->SetColRow(2, 3);
  EXPECT_TRUE(changing);
  EXPECT_FALSE(halfWayLit);
  EXPECT_FALSE(targetLit);
  EXPECT_FALSE(grid->Painter().CellChanging());
  const QImage after = Render();
  EXPECT_TRUE(Highlighted(after, 2, 3));
  EXPECT_FALSE(Highlighted(after, 0, 3));
}

TEST_F(CurrentCell, AMoveWithinTheColumnKeepsItsHighlight) {
  grid->SetCol(1);
  bool changing = true, lit = false;
  grid->OnRowEnter = [&](QObject*) {
    changing = grid->Painter().CellChanging();
    lit = Highlighted(Render(), 1, 4);
  };
  grid->SetColRow(1, 4);
  EXPECT_FALSE(changing);
  EXPECT_TRUE(lit);
}

TEST_F(CurrentCell, AClickOnAnotherRowAndColumnIsOneMove) {
  bool changing = false;
  grid->OnRowEnter = [&](QObject*) { changing = grid->Painter().CellChanging(); };
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, Mid(2, 5));
  EXPECT_EQ(grid->Row(), 5);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_TRUE(changing);
  EXPECT_FALSE(grid->Painter().CellChanging());
}

TEST_F(CurrentCell, AThrowingRowHandlerDoesNotLeaveTheCellUnlit) {
  grid->OnRowEnter = [](QObject*) { throw std::runtime_error("refused"); };
  EXPECT_THROW(grid->SetColRow(2, 3), std::runtime_error);
  EXPECT_FALSE(grid->Painter().CellChanging());
  grid->OnRowEnter = nullptr;
  EXPECT_TRUE(Highlighted(Render(), grid->Col(), grid->Row()));
}

TEST_F(CurrentCell, AHandlerThatMovesTheRowElsewhereEndsTheMove) {
  grid->OnRowEnter = [&](QObject*) {
    grid->OnRowEnter = nullptr;
    grid->SetRow(1);
  };
  grid->SetColRow(2, 4);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_EQ(grid->Col(), 0);  // the column does not follow a row that ended elsewhere
  EXPECT_FALSE(grid->Painter().CellChanging());
  EXPECT_TRUE(Highlighted(Render(), 0, 1));
}

TEST_F(CurrentCell, FocusOutAndInRepaintTheCurrentCell) {
  grid->SetColRow(1, 2);
  QApplication::processEvents();
  grid->ClearRepaintLog();
  other->setFocus();
  QApplication::processEvents();
  ASSERT_FALSE(grid->IsGridFocused());
  EXPECT_TRUE(Updated(1, 2));
  EXPECT_TRUE(Requested(TwCustomGrid::RepaintRequest::Cell));
  EXPECT_FALSE(Requested(TwCustomGrid::RepaintRequest::Grid));
  EXPECT_FALSE(Highlighted(Render(), 1, 2));

  grid->ClearRepaintLog();
  grid->setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(grid->IsGridFocused());
  EXPECT_TRUE(Updated(1, 2));
  EXPECT_TRUE(Highlighted(Render(), 1, 2));
}

TEST_F(CurrentCell, FocusOutWithRowSelectRepaintsTheCurrentRow) {
  grid->SetOptions(grid->Options().Include(wgoRowSelect));
  grid->SetRow(3);
  QApplication::processEvents();
  grid->ClearRepaintLog();
  other->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(Updated(0, 3));
  EXPECT_TRUE(Updated(2, 3));
}

// Selected rows show the selection colours only while the grid is focused: leaving it must repaint them
// all, not only the current row.
TEST_F(CurrentCell, FocusOutRepaintsEverySelectedRow) {
  grid->SetOptions(grid->Options().Include(wgoMultiSelect));
  grid->SetSelected(4, true);
  grid->SetSelected(5, true);
  QApplication::processEvents();
  ASSERT_TRUE(Highlighted(Render(), 1, 4));
  grid->ClearRepaintLog();
  other->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(Updated(1, 4));
  EXPECT_TRUE(Updated(1, 5));
  EXPECT_FALSE(Highlighted(Render(), 1, 4));

  grid->ClearRepaintLog();
  grid->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(Updated(1, 5));
  EXPECT_TRUE(Highlighted(Render(), 1, 5));
}

}  // namespace
