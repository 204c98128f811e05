#pragma once
// The range every size of the description (widths, heights, row heights) is kept in, whether it comes
// from a form description or through a setter. A cell is drawn through an off-screen buffer of its own
// size, so a size is bounded well below what would make that buffer absurd (4096 x 4096 pixels is 64 MB),
// and sums of sizes over many columns stay far from the int range.
#include <algorithm>

inline constexpr int kTwMaxPixelSize = 4096;

/// v clamped to lo .. kTwMaxPixelSize (lo wins when it is larger).
constexpr int ClampPixelSize(int v, int lo) {
  return std::clamp(v, lo, std::max(lo, kTwMaxPixelSize));
}
