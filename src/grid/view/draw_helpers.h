#pragma once
// Small helpers shared by painting, the editors and the data grid.
#include <string>
#include <string_view>

// Field number Index (from 0) of Text split at Separator; the last field runs to the end of the text;
// an empty string when the text has fewer than Index separators.
std::string ExtractItem(std::string_view Text, char Separator, int Index);
