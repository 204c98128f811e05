// Integer and float texts: whatever parses writes back as a text that parses to the same value; number
// pictures on any value never misbehave. Input: text, NUL, picture.
#include <cmath>
#include <cstring>

#include "fuzz_check.h"
#include "platform/error.h"
#include "platform/format/format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plat::fmt;
  const auto [text, picture] = fuzz::TwoParts(fuzz::Text(data, size));

  std::int64_t i = 0;
  if (TryStrToInt64(text, i)) {
    const std::string written = IntToStr(i);
    std::int64_t back = 0;
    fuzz::Check(TryStrToInt64(written, back) && back == i, "an integer reads back", text, written);
  }

  double d = 0;
  if (TryStrToFloat(text, d) && std::isfinite(d)) {
    const std::string written = FloatToStr(d);
    double back = 0;
    fuzz::Check(TryStrToFloat(written, back), "a float's text parses", text, written);
    fuzz::Check(FloatToStr(back) == written, "a float's text reads back as the same text", written,
                FloatToStr(back));
  }

  // The picture on the parsed value and on the raw bits of the input's first eight bytes.
  double raw = 0;
  if (!text.empty()) std::memcpy(&raw, text.data(), std::min(text.size(), sizeof raw));
  for (double v : {d, raw, double(i)}) {
    try {
      FormatFloat(picture, v);
    } catch (const plat::EConvertError&) {
    }
  }
  return 0;
}
