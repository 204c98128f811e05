#include "grid/structure/grid_font.h"

#include <algorithm>

TwImageList::~TwImageList() {
  // Observers forget the list; they may unregister from within Freed, so walk a copy.
  auto links = links_;
  links_.clear();
  for (TwImageChangeLink* l : links)
    if (l->Freed) l->Freed();
}

int TwImageList::AddMasked(const QImage& image, TColor maskColor) {
  QImage img = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb mask = qRgb(int(maskColor & 0xFF), int((maskColor >> 8) & 0xFF), int((maskColor >> 16) & 0xFF));
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == (mask & 0xFFFFFF)) img.setPixel(x, y, 0);
  images_.push_back(std::move(img));
  NotifyChanged();
  return Count() - 1;
}

void TwImageList::Clear() {
  if (images_.empty()) return;
  images_.clear();
  NotifyChanged();
}

void TwImageList::RegisterChanges(TwImageChangeLink* link) {
  if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TwImageList::UnregisterChanges(TwImageChangeLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void TwImageList::NotifyChanged() {
  auto links = links_;
  for (TwImageChangeLink* l : links)
    if (l->Changed) l->Changed();
}

plat::paint::TFont PaintFont(const TwFont& f) {
  plat::paint::TFont font(f.Name, 0, f.Style, f.Color);
  font.SetSize(f.Size);
  return font;
}
