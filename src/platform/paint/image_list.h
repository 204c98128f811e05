#pragma once
// TImageList: pictures of one size, each stored with the pixels of its mask colour made transparent; and
// the two sort marks the column titles show.
#include <QImage>
#include <vector>

#include "platform/paint/color.h"

namespace plat::paint {

class TCanvas;

class TImageList {
 public:
  TImageList(int width, int height) : width_(width), height_(height) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return int(images_.size()); }
  const QImage& Image(int i) const { return images_[std::size_t(i)]; }
  /// Adds a picture; every pixel of maskColor (0x00BBGGRR) becomes transparent. Returns its index.
  int AddMasked(const QImage& image, TColor maskColor);
  void Clear() { images_.clear(); }
  void Draw(TCanvas& canvas, int x, int y, int index) const;

 private:
  int width_, height_;
  std::vector<QImage> images_;
};

/// A copy of image with every pixel of colour c made transparent (ARGB32 premultiplied).
QImage MaskedCopy(const QImage& image, TColor c);

/// The 11 x 11 sort marks on their olive (0x008080) background: a triangle 9 pixels wide at its base and 5
/// rows high, centred, pointing up (ascending) or down (descending); black along its left slope and base
/// (the base's rightmost pixel grey), grey inside and along its right slope.
constexpr int kSortMarkSize = 11;
QImage SortMarkBitmap(bool descending);

}  // namespace plat::paint
