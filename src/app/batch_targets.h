#pragma once
// The host's file system as a move batch sees it before it is written: whether a backup file is already
// taken, through the drive map, each target folder read once.
#include <memory>

#include "app/batch_text.h"

namespace vek {

// A file of the same name (compared without case, as Windows does) already in the target folder, or a
// file where a folder of the target path should be, makes a move's target taken.
std::unique_ptr<TargetProbe> HostTargetProbe();

}  // namespace vek
