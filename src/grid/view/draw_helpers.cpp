#include "grid/view/draw_helpers.h"

std::string ExtractItem(std::string_view Text, char Separator, int Index) {
  if (Index < 0) return {};
  std::size_t start = 0;
  for (int i = 0; i < Index; ++i) {
    const std::size_t p = Text.find(Separator, start);
    if (p == std::string_view::npos) return {};
    start = p + 1;
  }
  const std::size_t end = Text.find(Separator, start);
  return std::string(Text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}
