#pragma once
// What one paint of the grid keeps between its steps; reused from paint to paint so that painting
// allocates nothing per cell.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "grid/structure/grid_font.h"
#include "grid/view/custom_grid.h"
#include "platform/paint/canvas.h"
#include "platform/paint/font.h"

class TwCellRenderer;
class TwGridExtents;
class TwRendererRegistry;
struct TwCellRecord;

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

  // The renderer of every column's drawing record in this paint's layout, resolved when the paint starts so
  // that a cell finds its renderer by its place: in column mode Looks[band]; in group mode the columns of
  // the groups one group after another, group band's first at GroupFirst[band], then level by level.
  struct Look {
    const TwColumn* Column = nullptr;
    const TwCellRenderer* Renderer = nullptr;
  };
  std::vector<Look> Looks;
  std::vector<std::size_t> GroupFirst;
  bool Grouped = false;
  const TwGridExtents* ResolvedLayout = nullptr;  // the layout they were resolved from
  void ResolveRenderers(const TwGridExtents& e, bool groupMode, const TwRendererRegistry& registry);
  const TwCellRenderer* RendererOf(const TwCellRecord& cell, const TwRendererRegistry& registry) const;
};
