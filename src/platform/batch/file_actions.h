#pragma once
// The file actions behind md, move and del. Operands are the texts of the batch line (Windows or host paths,
// quotes removed, "%%" already folded); they are resolved through the drive map here, and messages name them
// as written.
#include <optional>
#include <string_view>

#include "platform/batch/batch.h"

namespace plat::batch::detail {

// Creates the folder and every missing folder above it. An existing folder is success. On success the md
// line it came from (when given) is noted: the same line again gives its result at once through
// RepeatedMakeFolder, without reading it again, while this run still knows the folder.
LineResult MakeFolder(std::string_view folder, std::string_view line = {});
std::optional<LineResult> RepeatedMakeFolder(std::string_view line);

// Moves the file into the existing folder under the same name. Never replaces a file.
LineResult MoveFileInto(std::string_view file, std::string_view folder);

// Deletes one file (not a folder).
LineResult DeleteOneFile(std::string_view file);

}  // namespace plat::batch::detail
