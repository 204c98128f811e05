// Date and time texts and values under the Korean settings:
//   - a text that parses gives a date of the years 1 to 9999, written as a text that reads back the same
//   - any double either is such a date (then its text reads back the same) or is a conversion error
//   - a date picture on any value writes text or raises a conversion error, nothing else
// Input: text, NUL, picture (its first eight bytes also give a raw double).
#include <cstring>

#include "fuzz_check.h"
#include "platform/error.h"
#include "platform/format/format.h"

namespace {

using namespace plat::fmt;
using plat::TDateTime;

void TextReadsBack(TDateTime v, std::string_view from) {
  fuzz::Check(IsValidDateTime(v), "a parsed date is in range", from);
  const std::string written = DateTimeToStr(v);
  TDateTime back = 0;
  fuzz::Check(TryStrToDateTime(written, back), "a date's text parses", from, written);
  fuzz::Check(DateTimeToStr(back) == written, "a date's text reads back as the same text", written,
              DateTimeToStr(back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto [text, picture] = fuzz::TwoParts(fuzz::Text(data, size));
  TDateTime v = 0;
  if (TryStrToDateTime(text, v)) TextReadsBack(v, text);
  if (TryStrToDate(text, v)) TextReadsBack(v, text);
  if (TryStrToTime(text, v)) {
    const std::string written = TimeToStr(v);
    TDateTime back = 0;
    fuzz::Check(TryStrToTime(written, back) && TimeToStr(back) == written, "a time's text reads back", text,
                written);
  }

  double raw = 0;
  if (!picture.empty()) std::memcpy(&raw, picture.data(), std::min(picture.size(), sizeof raw));
  for (double d : {raw, v}) {
    if (IsValidDateTime(d)) {
      TextReadsBack(d, "a raw double");
      FormatDateTime(picture, d);  // must not raise
    } else {
      try {
        FormatDateTime(picture, d);
        fuzz::Fail("a value out of range is an error", picture);
      } catch (const plat::EConvertError&) {
      }
    }
  }
  return 0;
}
