#pragma once
// What one paint of the grid keeps between its steps; reused from paint to paint so that painting
// allocates nothing per cell.
#include <string>
#include <utility>
#include <vector>

#include "grid/structure/grid_font.h"
#include "grid/view/custom_grid.h"
#include "platform/paint/canvas.h"
#include "platform/paint/font.h"

struct TwCustomGrid::PaintState {
  plat::paint::TCanvas* Canvas = nullptr;  // the target while a paint runs
  bool ShowSelection = false;
  std::string Text;  // the text of the cell being drawn
  // The platform fonts of the description's fonts, made once each.
  std::vector<std::pair<TwFont, plat::paint::TFont>> Fonts;

  const plat::paint::TFont& FontOf(const TwFont& f) {
    for (auto& [key, font] : Fonts)
      if (key == f) return font;
    Fonts.emplace_back(f, PaintFont(f));
    return Fonts.back().second;
  }
};
