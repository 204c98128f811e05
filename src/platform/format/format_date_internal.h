#pragma once
// Date helpers shared by format_date.cpp and format_parse.cpp; not part of the module's interface.
#include <cstdint>

#include "platform/variant/variant.h"

namespace plat::fmt::detail {

// A TDateTime as whole day and milliseconds into that day (rounded to the millisecond).
struct Stamp {
  std::int64_t day = 0;
  std::int64_t msec = 0;
};
Stamp Split(TDateTime t);

// Date plus time of day, also for dates before day 0 (where the time is subtracted).
TDateTime Compose(TDateTime date, TDateTime time);

}  // namespace plat::fmt::detail
