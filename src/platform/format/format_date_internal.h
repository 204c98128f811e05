#pragma once
// Date helpers shared by format_date.cpp and format_parse.cpp; not part of the module's interface.
#include <cstdint>

#include "platform/variant/variant.h"

namespace plat::fmt {

bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out);

namespace detail {

// A TDateTime as whole day and milliseconds into that day (rounded to the millisecond).
struct Stamp {
  std::int64_t day = 0;
  std::int64_t msec = 0;
};
Stamp Split(TDateTime t);

// Date plus time of day, also for dates before day 0 (where the time is subtracted).
TDateTime Compose(TDateTime date, TDateTime time);

}  // namespace detail
}  // namespace plat::fmt
