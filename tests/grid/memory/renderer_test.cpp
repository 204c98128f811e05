// Cell renderers: a program adds a kind of its own (a progress bar drawn from a number) through the grid's
// renderer registry and a column's CustomKind, and replaces a standard kind's look, without touching the
// view. The bar shows in the pixels, in column and in group mode; clicks and hit tests find the cells as
// before; a name nobody registered, a null value and other grids keep their standard looks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <memory>

#include "grid/grid_recorder.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "grid/view/cell_renderer.h"
#include "grid/view/grid_input.h"
#include "platform/format/format.h"
#include "platform/paint/canvas.h"
#include "platform/paint/color.h"
#include "viewport_picture.h"

namespace {

using plat::paint::TCanvas;
using plat::paint::TRect;

constexpr TColor kBar = 0x20A040;  // a green no standard look uses
constexpr TColor kSilver = 0xC0C0C0;
constexpr TColor kRed = 0x0000FF;

// A number from 0 to 100 as a bar from the cell's left: the cell's background and lines, then the bar.
class ProgressBar : public TwCellRenderer {
 public:
  void Paint(const TwCellPaint& p) const override {
    DrawEmptyCell(p.Canvas, p.Rect, p.Draw, p.Buttons);
    const plat::Variant v = p.Grid.GetEditValue(p.Cell.Column, p.Cell.Row);
    const double share = v.IsNull() ? 0.0 : std::clamp(v.ToDouble(), 0.0, 100.0);
    p.Canvas.FillRect(
        TRect{p.Rect.Left + 2, p.Rect.Top + 3, p.Rect.Left + 2 + BarWidth(p.Rect, share), p.Rect.Bottom - 4},
        kBar);
  }
  static int BarWidth(const TRect& cell, double share) { return int((cell.Width() - 5) * share / 100); }
};

// Fills the whole cell with one colour.
class Solid : public TwCellRenderer {
 public:
  void Paint(const TwCellPaint& p) const override { p.Canvas.FillRect(p.Rect, kRed); }
};

QPoint MidOf(const TRect& r) {
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

class Renderers : public ::testing::Test, protected PixelProbe {
 protected:
  // Columns: a name, the progress (custom kind "progress") and the same numbers without a custom kind.
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    grid.resize(520, 260);
    grid.AddColumn()->SetColWidth(110);
    for (int i = 0; i < 2; ++i) {
      TwMemColumn* c = grid.AddColumn();
      c->SetDataType(wdtLong);
      c->SetColWidth(150);
    }
    grid.Column(1)->SetCustomKind("progress");
    const char* values[] = {"25", "75", nullptr};
    for (int r = 0; r < 3; ++r) {
      grid.AppendRow(false, false, false);
      grid.Cells(0, r).SetAsString("작업 " + std::to_string(r + 1));
      if (values[r]) {
        grid.Cells(1, r).SetAsString(values[r]);
        grid.Cells(2, r).SetAsString(values[r]);
      }
    }
  }
  QImage Render() { return RenderViewport(grid); }
  // The bar's pixels along the middle line of a cell.
  static int BarRun(const QImage& img, const TRect& cell) {
    return Count(img, TRect{cell.Left, MidOf(cell).y(), cell.Right, MidOf(cell).y() + 1}, kBar);
  }
  const TwGridExtents& E() { return grid.Model().Extents(); }
  static QImage Cut(const QImage& img, const TRect& r) { return img.copy(r.ToQRect()); }

  Recorded<TMemGrid> grid;
};

TEST_F(Renderers, AProgressBarKindPaintsItsColumnAndClicksStillFindItsCells) {
  grid.Painter().Renderers().Register("progress", std::make_shared<ProgressBar>());
  grid.show();
  grid.activateWindow();
  grid.setFocus();
  QApplication::processEvents();

  // A click on the bar's cell makes it current as on any other cell.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, MidOf(E().CellRect(1, 1)));
  EXPECT_EQ(grid.Col(), 1);
  EXPECT_EQ(grid.Row(), 1);
  const TwGridHit hit = grid.Input().LastClickHit();
  EXPECT_EQ(hit.Region, TwGridRegion::Data);
  EXPECT_EQ(hit.Column, 1);
  EXPECT_EQ(hit.Row, 1);

  // What the window shows: bars as long as the numbers say, only in the progress column.
  const QImage shot = grid.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  for (int r = 0; r < 2; ++r) {
    const TRect cell = E().CellRect(1, r);
    const double share = grid.Cells(1, r).AsFloat();
    EXPECT_EQ(BarRun(shot, cell), ProgressBar::BarWidth(cell, share)) << "row " << r;
    EXPECT_EQ(Count(shot, E().CellRect(2, r), kBar), 0) << "the same number without the kind";
  }
  EXPECT_EQ(Count(shot, E().CellRect(1, 2), kBar), 0) << "a null value has no bar";
  EXPECT_EQ(Count(shot, E().CellRect(0, 0), kBar), 0);
  // The painted cells are the same ones as without the kind.
  int data = 0;
  for (const TwPaintedCell& c : grid.PaintedCells()) data += c.What == TwPaintedCell::Data;
  EXPECT_EQ(data, 3 * grid.Model().Columns().VisibleCount());
}

TEST_F(Renderers, OnlyARegisteredNameDecidesAndHitTestsStayAsTheyWere) {
  const TRect cell = E().CellRect(1, 0);
  grid.Column(1)->SetCustomKind("");
  const QImage standard = Render();
  std::vector<TwGridHit> before;
  for (int r = 0; r < 3; ++r)
    for (int b = -2; b < 3; ++b)
      before.push_back(grid.Input().HitTest(MidOf(E().CellRect(b, r)).x(), MidOf(E().CellRect(b, r)).y()));

  grid.Column(1)->SetCustomKind("progress");  // named, not registered: the standard look
  EXPECT_EQ(Cut(Render(), cell), Cut(standard, cell));

  grid.Painter().Renderers().Register("progress", std::make_shared<ProgressBar>());
  const QImage bar = Render();
  EXPECT_EQ(BarRun(bar, cell), ProgressBar::BarWidth(cell, 25));
  EXPECT_EQ(Cut(bar, E().CellRect(0, 0)), Cut(standard, E().CellRect(0, 0)));
  std::size_t i = 0;
  for (int r = 0; r < 3; ++r)
    for (int b = -2; b < 3; ++b, ++i) {
      const QPoint p = MidOf(E().CellRect(b, r));
      const TwGridHit h = grid.Input().HitTest(p.x(), p.y());
      EXPECT_EQ(h.Region, before[i].Region) << b << "," << r;
      EXPECT_EQ(h.Band, before[i].Band) << b << "," << r;
      EXPECT_EQ(h.Column, before[i].Column) << b << "," << r;
      EXPECT_EQ(h.Row, before[i].Row) << b << "," << r;
    }

  // The null mark stays the grid's: a null progress cell shows it, not an empty bar.
  grid.SetOptions(TwGridOptions{wgoNullMark});
  const QImage marked = Render();
  EXPECT_GT(Count(marked, E().CellInnerRect(1, 2), kSilver), 5);
  EXPECT_EQ(Count(marked, E().CellRect(1, 2), kBar), 0);
  grid.SetOptions(TwGridOptions{});

  grid.Painter().Renderers().Register("progress", nullptr);  // taken away: the standard look again
  EXPECT_EQ(Cut(Render(), cell), Cut(standard, cell));
}

TEST_F(Renderers, AKindsRendererIsReplacedPerGrid) {
  TMemGrid other;
  other.resize(520, 260);
  TwMemColumn* tick = other.AddColumn();
  tick->SetDataType(wdtBool);
  grid.Column(0)->SetDataType(wdtBool);
  for (TMemGrid* g : {static_cast<TMemGrid*>(&grid), &other}) {
    while (g->RowCount() < 2) g->AppendRow(false, false, false);
    g->Cells(0, 0).SetAsBoolean(true);
  }
  ASSERT_EQ(grid.Column(0)->GetEditKind(), wekCheckBox);
  grid.Painter().Renderers().Register(wekCheckBox, std::make_shared<Solid>());
  const TRect cell = E().CellRect(0, 0);
  EXPECT_EQ(Count(Render(), cell, kRed), cell.Width() * cell.Height());
  // The other grid keeps the standard check box.
  QImage img(other.viewport()->size(), QImage::Format_RGB32);
  TCanvas canvas(&img);
  other.Painter().PaintTo(canvas, TRect{0, 0, img.width(), img.height()});
  canvas.End();
  EXPECT_EQ(Count(img, other.Model().Extents().CellRect(0, 0), kRed), 0);
}

TEST_F(Renderers, GroupModeFindsEachCellsRenderer) {
  // One group of two levels: the name and the progress on level 0, the plain numbers on level 1.
  TwGroup* g = grid.Model().Groups().Add();
  g->SetLevels(2);
  g->SetWidth(300);
  grid.Column(0)->SetPosition(TwCellPos{0, 0, 0});
  grid.Column(1)->SetPosition(TwCellPos{0, 0, 1});
  grid.Column(2)->SetPosition(TwCellPos{0, 1, 0});
  grid.Model().SetGroupMode(true);
  grid.Painter().Renderers().Register("progress", std::make_shared<ProgressBar>());
  const QImage img = Render();
  for (int r = 0; r < 2; ++r) {
    const TRect bar = E().GroupCellRect(TwCellPos{0, 0, 1}, r);
    EXPECT_EQ(BarRun(img, bar), ProgressBar::BarWidth(bar, grid.Cells(1, r).AsFloat())) << "row " << r;
    EXPECT_EQ(Count(img, E().GroupCellRect(TwCellPos{0, 1, 0}, r), kBar), 0);
    EXPECT_EQ(Count(img, E().GroupCellRect(TwCellPos{0, 0, 0}, r), kBar), 0);
  }
}

}  // namespace
