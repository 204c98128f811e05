// Sizes from a form description or a setter are kept to a sane pixel range, and the layout's arithmetic
// does not overflow: a description holding 2147483647 for a width or a height paints a grid of ordinary
// cells, and rows far below TopRow lie below it, never wrapped round above it.
#include <gtest/gtest.h>

#include <QImage>
#include <climits>
#include <memory>

#include "grid/grid_recorder.h"
#include "grid/memory/mem_grid_form.h"
#include "grid/structure/extents.h"
#include "grid/structure/pixel_range.h"
#include "platform/format/format.h"
#include "platform/paint/canvas.h"

namespace {

using plat::paint::TCanvas;
using plat::paint::TRect;

TEST(SizeLimits, HugeSizesInAFormDescriptionAreClamped) {
  plat::fmt::SetLocale(plat::fmt::KoreanDefaults());
  const std::string text =
      "object G: TMemGrid\n"
      "  Headers.ColHeight = 2147483647\n"
      "  Headers.GrpHeight = 2147483647\n"
      "  ColRowHeight = 2147483647\n"
      "  Indicators.Width = 2147483647\n"
      "  Columns = <\n"
      "    item\n"
      "      ColWidth = 2147483647\n"
      "      GrpWidth = 2147483647\n"
      "    end\n"
      "    item\n"
      "      ColWidth = 2147483647\n"
      "    end>\n"
      "end\n";
  const std::unique_ptr<TMemGrid> g = twform::ReadMemGridForm(text);
  TMemGrid& grid = *g;
  EXPECT_EQ(grid.Model().Headers().ColHeight(), kTwMaxPixelSize);
  EXPECT_EQ(grid.Model().Headers().GrpHeight(), kTwMaxPixelSize);
  EXPECT_EQ(grid.Model().RowHeight(), kTwMaxPixelSize);
  EXPECT_EQ(grid.Model().Indicators().Width(), kTwMaxPixelSize);
  EXPECT_EQ(grid.Column(0)->ColWidth(), kTwMaxPixelSize);
  EXPECT_EQ(grid.Column(0)->GrpWidth(), kTwMaxPixelSize);

  grid.resize(300, 200);
  grid.AppendRow(false, false, false);
  const TwGridExtents& e = grid.Model().Extents();
  EXPECT_EQ(e.ItemRight(1) - e.ItemLeft(1), kTwMaxPixelSize);
  EXPECT_GT(e.ItemRight(1), e.ItemLeft(1));
  // Painting the view asks for no cell larger than the range allows (and finishes).
  GridRecorder recorder;
  grid.Model().SetObserver(&recorder);
  QImage img(grid.viewport()->size(), QImage::Format_RGB32);
  TCanvas canvas(&img);
  grid.Painter().PaintTo(canvas, TRect{0, 0, img.width(), img.height()});
  canvas.End();
  grid.Model().SetObserver(nullptr);
  EXPECT_FALSE(recorder.PaintedCells().empty());
}

TEST(SizeLimits, HugeSizesThroughTheSettersAreClamped) {
  TMemGrid grid;
  TwMemColumn* c = grid.AddColumn();
  c->SetColWidth(INT_MAX);
  EXPECT_EQ(c->ColWidth(), kTwMaxPixelSize);
  c->SetColWidth(INT_MIN);
  EXPECT_EQ(c->ColWidth(), TwColumn::kMinWidth);
  grid.Model().SetRowHeight(INT_MAX);
  EXPECT_EQ(grid.Model().RowHeight(), kTwMaxPixelSize);
  grid.Model().Headers().SetHeight(INT_MAX);
  EXPECT_EQ(grid.Model().Headers().Height(), kTwMaxPixelSize);
  TwGridFooter* f = grid.Model().Footers().Add();
  f->SetHeight(INT_MAX);
  EXPECT_EQ(f->Height(), kTwMaxPixelSize);
  grid.Model().Markers().SetWidth(INT_MAX);
  EXPECT_EQ(grid.Model().Markers().Width(), kTwMaxPixelSize);
}

TEST(SizeLimits, RowsFarFromTopRowNeverWrapRound) {
  TMemGrid grid;
  grid.AddColumn();
  grid.resize(300, 200);
  grid.Model().SetRowHeight(kTwMaxPixelSize);
  const TwGridExtents& e = grid.Model().Extents();
  // Row INT_MAX - 1 lies below the data top, row 0 with TopRow 0 at it; nothing wraps to negative.
  EXPECT_GT(e.RowTop(INT_MAX - 1), e.DataTop());
  EXPECT_GE(e.RowBottom(INT_MAX - 1), e.RowTop(INT_MAX - 1));
  EXPECT_LE(e.RowTop(INT_MIN + 1), e.DataTop());
  EXPECT_EQ(e.RowTop(0), e.DataTop());
  EXPECT_EQ(e.RowBottom(0), e.DataTop() + kTwMaxPixelSize);
}

}  // namespace
