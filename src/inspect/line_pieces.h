#pragma once
// A long text cut into pieces after line breaks, one thread each: decoding CP949 and the detectors work
// line by line (a line break is never the second byte of a CP949 character, and no match holds one).
#include <algorithm>
#include <cstddef>
#include <string_view>
#include <thread>
#include <vector>

namespace vek::inspect {

// Where the pieces of `text` begin, with text.size() at the end: as many pieces as `threads` (0: one per
// processor, at most 8), each of about `atLeast` bytes or more, each cut just after a line break. A text too
// short to cut, or without line breaks, is one piece ({0, size}).
inline std::vector<std::size_t> LinePieces(std::string_view text, int threads = 0,
                                           std::size_t atLeast = std::size_t(4) << 20) {
  std::size_t n =
      threads > 0 ? std::size_t(threads) : std::min(8u, std::max(1u, std::thread::hardware_concurrency()));
  n = std::min(n, std::max<std::size_t>(1, text.size() / atLeast));
  std::vector<std::size_t> cuts{0};
  for (std::size_t k = 1; k < n; ++k) {
    const std::size_t nl = text.find('\n', std::max(cuts.back(), text.size() / n * k));
    if (nl == std::string_view::npos) break;
    cuts.push_back(nl + 1);
  }
  cuts.push_back(text.size());
  return cuts;
}

}  // namespace vek::inspect
