// Painting of the memory grid, checked on the pixels of an image and on the cells each paint records:
// empty grids, selection colours, the indicator glyphs, the null mark, pictures that fail, the fixed
// area, the last row's lines, group levels and footers.
#include <gtest/gtest.h>

#include <QImage>
#include <stdexcept>

#include "grid/grid_recorder.h"
#include "grid/memory/mem_footer.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
#include "platform/format/format.h"
#include "platform/paint/canvas.h"
#include "platform/paint/color.h"
#include "viewport_picture.h"

namespace {

using plat::paint::TCanvas;
using plat::paint::TRect;

constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kSilver = 0xC0C0C0;

class Paint : public ::testing::Test, protected PixelProbe {
 protected:
  void SetUp() override {
    plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
    grid.resize(600, 300);
    for (int i = 0; i < 3; ++i) {
      TwMemColumn* c = grid.AddColumn();
      c->SetColWidth(100);
    }
  }
  void Fill(int rows) {
    for (int r = 0; r < rows; ++r) {
      grid.AppendRow(false, false, false);
      grid.Cells(0, r).SetAsString("값" + std::to_string(r));
    }
  }
  // Paints the whole viewport into an image.
  QImage Render() { return RenderViewport(grid); }
  const TwGridExtents& E() { return grid.Model().Extents(); }
  // The middle of a data cell, inside its lines and margins.
  QPoint Mid(int band, int row) {
    const TRect r = E().CellRect(band, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }

  Recorded<TMemGrid> grid;
};

TEST_F(Paint, EmptyGridCallsNoRowEventsAndShowsSilverCells) {
  int events = 0;
  grid.OnDrawRow = [&](QObject*, int, TColor&, TColor&, TFontStyles&) { ++events; };
  grid.OnDrawCell = [&](TwColumn*, int, std::string&, TColor&, TColor&, TFontStyles&) { ++events; };
  grid.OnDrawIndicator = [&](QObject*, int, std::string&, TColor&, TColor&, TFontStyles&) { ++events; };
  grid.OnDrawMarker = [&](QObject*, int, std::string&, TColor&, TColor&, TFontStyles&, int&, bool&) {
    ++events;
  };
  grid.Model().Markers().SetVisible(true);
  const QImage img = Render();
  EXPECT_EQ(events, 0);
  const QPoint m = Mid(1, 0);
  EXPECT_EQ(At(img, m.x(), m.y()), plat::paint::ColorToRGB(kSilver));
  // One empty row is drawn; the indicator shows neither number nor glyph: only its face colour.
  const TRect ind = E().CellInnerRect(-2, 0);
  EXPECT_EQ(Count(img, TRect{ind.Left + 2, ind.Top + 2, ind.Right - 2, ind.Bottom - 2},
                  grid.Model().Indicators().Color()),
            (ind.Width() - 4) * (ind.Height() - 4));
}

TEST_F(Paint, SelectedRowsUseTheSelectionColoursNotTheEventColours) {
  grid.SetOptions(TwGridOptions{wgoMultiSelect, wgoAlwaysShowSelection});
  Fill(4);
  grid.SetSelected(2, true);
  grid.OnDrawCell = [](TwColumn*, int, std::string& text, TColor& b, TColor&, TFontStyles&) {
    b = kRed;
    text.clear();
  };
  grid.Column(1)->SetColor(kGreen);
  const QImage img = Render();
  EXPECT_EQ(At(img, Mid(1, 1).x(), Mid(1, 1).y()), plat::paint::ColorToRGB(kRed));
  EXPECT_EQ(At(img, Mid(1, 2).x(), Mid(1, 2).y()), plat::paint::ColorToRGB(grid.SelBgColor()));
  // The current cell (row 0, column 0) shows selected; the rest of its row does not without wgoRowSelect.
  EXPECT_EQ(At(img, Mid(0, 0).x(), Mid(0, 0).y()), plat::paint::ColorToRGB(grid.SelBgColor()));
  EXPECT_EQ(At(img, Mid(1, 0).x(), Mid(1, 0).y()), plat::paint::ColorToRGB(kRed));
}

TEST_F(Paint, CurrentRowShowsItsGlyphInsteadOfItsNumber) {
  Fill(100);
  grid.SetTopRow(10);
  grid.SetRow(10);  // the top row of a scrolled grid: glyph 1
  ASSERT_EQ(grid.GetIndicatorGlyph(10), wigMoreAbove);
  const QImage withGlyph = Render();
  grid.Model().Indicators().SetShowState(false);
  const QImage withNumber = Render();
  const TRect cur = E().CellInnerRect(-2, 10);
  const TRect other = E().CellInnerRect(-2, 12);
  EXPECT_NE(withGlyph.copy(cur.ToQRect()), withNumber.copy(cur.ToQRect()));
  EXPECT_EQ(withGlyph.copy(other.ToQRect()), withNumber.copy(other.ToQRect()));
  grid.Model().Indicators().SetShowState(true);
  const int lastFull = grid.TopRow() + E().FullRows() - 1;
  grid.SetRow(lastFull);
  EXPECT_EQ(grid.GetIndicatorGlyph(lastFull), wigMoreBelow);
}

TEST_F(Paint, NullMarkIsSilverOrWhiteOnSilver) {
  grid.SetOptions(TwGridOptions{wgoNullMark});
  grid.Column(2)->SetColor(kSilver);
  Fill(2);  // column 1 and 2 stay null
  const QImage img = Render();
  const TRect onWhite = E().CellInnerRect(1, 1);
  const TRect onSilver = E().CellInnerRect(2, 1);
  EXPECT_GT(Count(img, onWhite, kSilver), 5);
  EXPECT_GT(Count(img, onSilver, 0xFFFFFF), 5);
  // Without the option a null cell is blank.
  grid.SetOptions(TwGridOptions{});
  const QImage plain = Render();
  EXPECT_EQ(Count(plain, onWhite, kSilver), 0);
}

TEST_F(Paint, PictureThatFailsShowsError) {
  TwMemColumn* pic = grid.Column(2);
  pic->SetDataType(wdtGraphic);
  Fill(2);
  grid.Cells(2, 0).SetAsString("x");
  grid.Cells(2, 1).SetAsString("x");
  grid.OnGetImage = [](TwMemColumn*, int row, QImage& img) {
    if (row == 0) throw std::runtime_error("broken picture");
    img = QImage();
  };
  const QImage img = Render();
  const TRect failed = E().CellInnerRect(2, 0);
  const TRect empty = E().CellInnerRect(2, 1);
  const TColor bg = pic->Color();
  EXPECT_GT(failed.Width() * failed.Height() - Count(img, failed, bg), 10);  // the "Error" text
  EXPECT_EQ(Count(img, empty, bg), empty.Width() * empty.Height());
}

TEST_F(Paint, ScrollingCellsNeverPaintOverTheFixedColumn) {
  grid.Model().SetFixedCount(1);
  grid.Model().FixedStyle().SetColor(kBlue);
  grid.Column(1)->SetColor(kRed);
  grid.Column(2)->SetColor(kRed);
  Fill(3);
  grid.SetHorzOffset(50);  // column 1 now starts under the fixed column
  const QImage img = Render();
  const TRect fixedCell = E().CellInnerRect(0, 1);
  EXPECT_EQ(Count(img, fixedCell, kRed), 0);
  EXPECT_GT(Count(img, fixedCell, kBlue), fixedCell.Width() * fixedCell.Height() / 2);
  const TRect scrolled = E().CellInnerRect(1, 1);
  EXPECT_GE(scrolled.Left, E().FixedRight() - 50);
  EXPECT_GT(Count(img, TRect{E().FixedRight(), scrolled.Top, scrolled.Right, scrolled.Bottom}, kRed), 0);
}

TEST_F(Paint, LastRowTakesItsBottomLineFromEndLines) {
  grid.Model().Lines().SetHorzColor(kGreen);
  grid.Model().EndLines().SetHorzColor(kRed);
  Fill(3);
  const QImage img = Render();
  const int x = Mid(1, 0).x();
  EXPECT_EQ(At(img, x, E().RowBottom(0) - 1), plat::paint::ColorToRGB(kGreen));
  EXPECT_EQ(At(img, x, E().RowBottom(2) - 1), plat::paint::ColorToRGB(kRed));
}

TEST_F(Paint, GroupModeDrawsLevelsAndEmptyLevels) {
  TwGroup* g = grid.Model().Groups().Add();
  g->SetLevels(2);
  grid.Column(0)->SetPosition(TwCellPos{0, 0, 0});
  grid.Column(1)->SetPosition(TwCellPos{0, 0, 1});
  grid.Model().SetGroupMode(true);
  Fill(2);
  const QImage img = Render();
  int data = 0, empty = 0;
  for (const TwPaintedCell& c : grid.PaintedCells()) {
    data += c.What == TwPaintedCell::Data && c.Row == 0;
    empty += c.What == TwPaintedCell::Empty && c.Row == 0;
  }
  EXPECT_EQ(data, 2);   // level 0 holds two columns
  EXPECT_EQ(empty, 1);  // level 1 holds none
  const TRect level1 = E().LevelRect(0, 1, 0);
  EXPECT_GT(Count(img, level1, 0xFF000010), level1.Width() * level1.Height() / 2);
}

TEST_F(Paint, FooterRowShowsItsAggregateBelowItsTopLines) {
  grid.Column(1)->SetDataType(wdtLong);
  grid.Model().Footers().Add();
  auto& f = static_cast<TwMemColumnFooter&>(grid.Column(1)->Footer());
  f.SetStyle(0, TwMemColumnFooter::MakeStyle(wfkSum, -1, wfoAll, ""));
  Fill(3);
  for (int r = 0; r < 3; ++r) grid.Cells(1, r).SetAsString(std::to_string(r + 1));
  grid.CalcFooters();
  EXPECT_EQ(f.GetText(0), "6");
  const QImage img = Render();
  int footers = 0;
  for (const TwPaintedCell& c : grid.PaintedCells()) footers += c.What == TwPaintedCell::Footer;
  EXPECT_EQ(footers, 1);
  const int top = E().FooterRowTop(0);
  const int x = Mid(1, 0).x();
  EXPECT_EQ(At(img, x, top), 0u);
  EXPECT_EQ(At(img, x, top + 1), 0xFFFFFFu);
}

TEST_F(Paint, OnlyTheRowsInTheClipArePainted) {
  Fill(50);
  QImage img(grid.viewport()->size(), QImage::Format_RGB32);
  TCanvas canvas(&img);
  const int rowTop = E().RowTop(3);
  grid.Painter().PaintTo(canvas, TRect{0, rowTop, img.width(), rowTop + grid.Model().RowHeight()});
  for (const TwPaintedCell& c : grid.PaintedCells()) {
    if (c.What == TwPaintedCell::Data || c.What == TwPaintedCell::Indicator) {
      EXPECT_EQ(c.Row, 3);
    }
  }
}

}  // namespace
