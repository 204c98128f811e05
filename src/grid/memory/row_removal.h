#pragma once
// Taking many rows out of a per-row array at once: each run of kept rows moves once, so removing scattered
// rows costs one pass over the array instead of one move of its tail per row.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

/// Removes the rows `rows` (ascending, distinct, each below `count`) from an array of `count` elements of
/// `size` bytes at `base`; the kept elements close up in their order.
inline void TwRemoveRows(void* base, std::size_t size, int count, const std::vector<int>& rows) {
  if (rows.empty()) return;
  auto* bytes = static_cast<std::uint8_t*>(base);
  std::size_t to = std::size_t(rows.front());
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::size_t from = std::size_t(rows[k]) + 1;
    const std::size_t end = k + 1 < rows.size() ? std::size_t(rows[k + 1]) : std::size_t(count);
    if (end > from) std::memmove(bytes + to * size, bytes + from * size, (end - from) * size);
    to += end - from;
  }
}
