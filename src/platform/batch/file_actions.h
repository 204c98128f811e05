#pragma once
// The file actions behind md, move and del. Operands are the texts of the batch line (Windows or host paths,
// quotes removed, "%%" already folded); they are resolved through the drive map here, and messages name them
// as written.
#include <string_view>

#include "platform/batch/batch.h"

namespace plat::batch::detail {

// Creates the folder and every missing folder above it. An existing folder is success.
LineResult MakeFolder(std::string_view folder);

// Moves the file into the existing folder under the same name. Never replaces a file.
LineResult MoveFileInto(std::string_view file, std::string_view folder);

// Deletes one file (not a folder).
LineResult DeleteOneFile(std::string_view file);

}  // namespace plat::batch::detail
