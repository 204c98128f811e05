// Edit masks and Format(): any mask on any text, any format string on arguments made from the input, never
// misbehave (a conversion error is an answer); "%s" and "%d" write back what they were given.
// Input: mask or format, NUL, text (also read as the numbers given as arguments).
#include <cstring>

#include "fuzz_check.h"
#include "platform/error.h"
#include "platform/format/format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plat::fmt;
  using plat::Variant;
  const auto [pattern, text] = fuzz::TwoParts(fuzz::Text(data, size));

  FormatMaskText(pattern, text);

  std::int64_t n = 0;
  double d = 0;
  if (!text.empty()) std::memcpy(&n, text.data(), std::min(text.size(), sizeof n));
  if (!text.empty()) std::memcpy(&d, text.data(), std::min(text.size(), sizeof d));
  const std::vector<Variant> args{Variant(std::string(text)), Variant(n), Variant(d),
                                  Variant(std::int32_t(n)), Variant(std::string(pattern))};
  try {
    Format(pattern, args);
  } catch (const plat::EConvertError&) {
  }
  for (std::size_t k = 0; k < args.size(); ++k) {
    try {
      Format(pattern, {args[k]});
    } catch (const plat::EConvertError&) {
    }
  }

  fuzz::Check(Format("%s", {Variant(std::string(text))}) == text, "%s writes the text", text);
  fuzz::Check(Format("%d", {Variant(n)}) == IntToStr(n), "%d writes the integer", IntToStr(n));
  std::int64_t back = 0;
  fuzz::Check(TryStrToInt64(Format("%d", {Variant(n)}), back) && back == n, "%d reads back", IntToStr(n));
  return 0;
}
