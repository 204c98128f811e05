#pragma once
// The stored form description of the main window's grid Mgr_grid (five columns: tick, file name, content,
// count, folder).
#include <string_view>

namespace vek {

std::string_view MgrGridForm();

}  // namespace vek
