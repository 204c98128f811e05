#pragma once
// Small value types the description objects share: TwFont (a font as the description holds it) and
// TwImageList (pictures of one size with a transparent colour, observed through change links).
//
// The description model keeps a font as a value: face, size in points, style flags and colour. Two fonts
// are the same font when all four agree (what the painting layer would call the same handle and colour).
#include <QImage>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "grid/structure/draw_info.h"
#include "platform/paint/color.h"
#include "platform/paint/font.h"

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TwFont {
  std::string Name = "MS Sans Serif";
  int Size = 8;            ///< points
  std::uint8_t Style = 0;  ///< TFontStyle bits
  TColor Color = clWindowText;
  friend bool operator==(const TwFont&, const TwFont&) = default;
};

/// The platform font that draws a description font.
plat::paint::TFont PaintFont(const TwFont& f);

class TwImageList;

/// Registration of an observer with an image list: Changed runs after the list's content changed, Freed
/// when the list is destroyed (the observer must then forget it).
struct TwImageChangeLink {
  std::function<void()> Changed;
  std::function<void()> Freed;
};

class TwImageList {
 public:
  TwImageList(int width, int height) : width_(width), height_(height) {}
  ~TwImageList();
  TwImageList(const TwImageList&) = delete;
  TwImageList& operator=(const TwImageList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return int(images_.size()); }
  /// The picture with every pixel of the mask colour made transparent.
  const QImage& Image(int i) const { return images_[std::size_t(i)]; }
  /// Adds a picture; pixels of maskColor (0x00BBGGRR) become transparent. Returns its index.
  int AddMasked(const QImage& image, TColor maskColor);
  void Clear();

  void RegisterChanges(TwImageChangeLink* link);
  void UnregisterChanges(TwImageChangeLink* link);

 private:
  void NotifyChanged();
  int width_;
  int height_;
  std::vector<QImage> images_;
  std::vector<TwImageChangeLink*> links_;
};
