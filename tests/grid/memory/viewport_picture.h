#pragma once
// A grid's viewport painted into an image, and the pixels of a rectangle of it, for the painting tests.
#include <QImage>

#include "grid/view/custom_grid.h"
#include "grid/view/grid_paint.h"
#include "platform/paint/canvas.h"
#include "platform/paint/color.h"

// Paints the whole viewport into an image (magenta where nothing is painted).
inline QImage RenderViewport(TwCustomGrid& grid) {
  QImage img(grid.viewport()->size(), QImage::Format_RGB32);
  img.fill(Qt::magenta);
  plat::paint::TCanvas canvas(&img);
  grid.Painter().PaintTo(canvas, plat::paint::TRect{0, 0, img.width(), img.height()});
  canvas.End();
  return img;
}

struct PixelProbe {
  static TColor At(const QImage& img, int x, int y) { return plat::paint::FromQRgb(img.pixel(x, y)); }
  // How many pixels of a rectangle have the colour.
  static int Count(const QImage& img, const plat::paint::TRect& r, TColor c) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += At(img, x, y) == plat::paint::ColorToRGB(c);
    return n;
  }
};
