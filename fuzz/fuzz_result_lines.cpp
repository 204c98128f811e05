// Result-file bytes: the line splitter, the CP949 line decoder and the field splitter.
//   - lines come out in order, hold no CR or LF, and between two lines stands exactly one line end
//     (CR LF, LF or CR); nothing but the last line end follows the last line
//   - a decoded line is valid UTF-8 of at most kMaxLineChars characters
//   - DbItemDivide: field 0 is the text up to the first comma; no field is longer than the line
#include <cstring>

#include "app/scan_result.h"
#include "fuzz_check.h"
#include "platform/text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::Text(data, size);
  static vek::TItemFields fields;
  std::size_t expectedIndex = 0;
  std::size_t pos = 0;  // where the next line may start
  vek::ForEachLine(bytes, [&](std::size_t index, std::string_view line) {
    fuzz::Check(index == expectedIndex++, "line indexes in order");
    fuzz::Check(line.find_first_of("\r\n") == std::string_view::npos, "a line holds no line end", line);
    const std::size_t start = std::size_t(line.data() - bytes.data());
    if (index == 0) {
      fuzz::Check(start == 0, "the first line starts the file");
    } else {
      const std::string_view gap = bytes.substr(pos, start - pos);
      fuzz::Check(start >= pos && (gap == "\r\n" || gap == "\n" || gap == "\r"), "one line end between lines",
                  gap);
    }
    pos = start + line.size();

    vek::DbItemDivide(line, fields);
    const std::size_t comma = line.find(',');
    fuzz::Check(fields[0] == line.substr(0, comma), "field 0 is the text before the first comma", fields[0],
                line);
    for (const std::string& f : fields) fuzz::Check(f.size() <= line.size(), "a field within its line", f);

    std::string utf8;
    if (vek::DecodeLine(line, utf8)) {
      fuzz::Check(plat::text::IsValidUtf8(utf8), "a decoded line is UTF-8", utf8);
      fuzz::Check(plat::text::Utf8Length(utf8) <= vek::kMaxLineChars, "a decoded line is cut", utf8);
      vek::DbItemDivide(utf8, fields);
      for (const std::string& f : fields)
        fuzz::Check(plat::text::IsValidUtf8(f), "fields cut at characters", f);
    }
  });
  const std::string_view tail = bytes.substr(pos);
  fuzz::Check(tail.empty() || tail == "\r\n" || tail == "\n" || tail == "\r",
              "only a line end after the last line", tail);
  return 0;
}
