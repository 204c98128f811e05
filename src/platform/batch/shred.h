#pragma once
// 완전삭제 of one file: del under DeleteMethod::Shred.
//
// The steps, in this order, each checked:
//   1. the name is looked at without following a link: a symbolic link is removed, its target never touched;
//      a folder, a device or a pipe is refused; a regular file with another hard link is refused (its data
//      would stay readable under the other name);
//   2. the file is opened without following links (O_NOFOLLOW) and must still be the file looked at;
//   3. its data extents within its size are found (SEEK_DATA/SEEK_HOLE): holes stay holes, and nothing is
//      ever written past the end, so the file is never extended;
//   4. random bytes over every extent, fsync; zeros over every extent, fsync;
//   5. a random name in its folder (never replacing a file), the folder fsynced;
//   6. the file removed.
// A failure in steps 3-4 leaves the file where it was, partly overwritten, and says "interrupted"; a failure
// in 5-6 says the file was overwritten but is still there. Every result carries the medium note (medium.h).
#include <string_view>

#include "platform/batch/batch.h"

namespace plat::batch::detail {

LineResult ShredOneFile(std::string_view file);

}  // namespace plat::batch::detail
