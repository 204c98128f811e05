#include "platform/paint/color.h"

namespace plat::paint {

namespace {
// The classic ("Windows Standard") scheme, by system colour index, as 0x00BBGGRR.
constexpr TColor kClassic[] = {
    0xC0C0C0,  //  0 scroll bar
    0x808000,  //  1 desktop
    0x800000,  //  2 active caption
    0x808080,  //  3 inactive caption
    0xC0C0C0,  //  4 menu
    0xFFFFFF,  //  5 window
    0x000000,  //  6 window frame
    0x000000,  //  7 menu text
    0x000000,  //  8 window text
    0xFFFFFF,  //  9 caption text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x800000,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3D dark shadow
    0xDFDFDF,  // 22 3D light
    0x000000,  // 23 tooltip text
    0xE1FFFF,  // 24 tooltip background
    0x000000,  // 25 (unused)
    0x800000,  // 26 hot-tracked item
    0xD08410,  // 27 gradient of the active caption
    0xB5B5B5,  // 28 gradient of the inactive caption
    0x800000,  // 29 menu highlight
    0xC0C0C0,  // 30 menu bar
};
}  // namespace

TColor ColorToRGB(TColor c) {
  if ((c & 0xFF000000u) == 0xFF000000u) {
    const TColor index = c & 0xFF;
    return index < sizeof(kClassic) / sizeof(kClassic[0]) ? kClassic[index] : 0;
  }
  return c & 0x00FFFFFF;
}

}  // namespace plat::paint
