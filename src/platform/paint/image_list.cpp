#include "platform/paint/image_list.h"

#include "platform/paint/canvas.h"

namespace plat::paint {

QImage MaskedCopy(const QImage& image, TColor c) {
  QImage img = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb mask = ToQRgb(c) & 0xFFFFFF;
  for (int y = 0; y < img.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((line[x] & 0xFFFFFF) == mask) line[x] = 0;
  }
  return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int TImageList::AddMasked(const QImage& image, TColor maskColor) {
  images_.push_back(MaskedCopy(image, maskColor));
  return Count() - 1;
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index) const {
  if (index < 0 || index >= Count()) return;
  canvas.Draw(x, y, images_[std::size_t(index)]);
}

QImage SortMarkBitmap(bool descending) {
  constexpr int kBase = 9, kRows = 5;
  QImage img(kSortMarkSize, kSortMarkSize, QImage::Format_RGB32);
  img.fill(ToQRgb(clOlive));
  const QRgb black = ToQRgb(clBlack), grey = ToQRgb(clGray);
  const int left = (kSortMarkSize - kBase) / 2, top = (kSortMarkSize - kRows) / 2;
  const int apex = left + kBase / 2;
  for (int k = 0; k < kRows; ++k) {
    // Row k from the apex: its pixels run from apex - k to apex + k.
    const int y = descending ? top + kRows - 1 - k : top + k;
    const bool base = k == kRows - 1;
    for (int x = apex - k; x <= apex + k; ++x) {
      const bool leftSlope = x == apex - k;
      const bool black_pixel = leftSlope || (base && x < apex + k);
      img.setPixel(x, y, black_pixel ? black : grey);
    }
  }
  return img;
}

}  // namespace plat::paint
