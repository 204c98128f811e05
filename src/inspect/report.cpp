#include "inspect/report.h"

#include <ostream>

#include "inspect/detect.h"
#include "inspect/extract.h"
#include "platform/text/text.h"

namespace vek::inspect {

int PrintInspection(const std::string& hostPath, std::ostream& out, std::ostream& err) {
  const Extraction x = Extract(hostPath);
  if (!x.sentence.empty()) err << hostPath << ": " << x.sentence << "\n";
  if (!x.HasText()) return 1;
  const std::vector<Match> matches = Detect(x.text);
  // Lines and columns (in characters, from 1) found in one walk along the text.
  std::size_t line = 1, lineStart = 0, at = 0;
  std::string block;
  for (const Match& m : matches) {
    for (; at < m.offset; ++at)
      if (x.text[at] == '\n' || x.text[at] == '\f') {
        ++line;
        lineStart = at + 1;
      }
    const std::size_t column =
        plat::text::Utf8Length(std::string_view(x.text).substr(lineStart, m.offset - lineStart)) + 1;
    block += std::to_string(line) + ":" + std::to_string(column) + "\t" + std::string(KindName(m.kind)) +
             "\t" + m.masked;
    if (!m.checkDigitOk) block += "\t검증번호 불일치";
    block += "\n";
  }
  out << block << SummaryLine(matches) << "\n";
  return 0;
}

std::optional<int> RecheckCount(const std::string& hostPath, std::string_view scannerKind, std::string* why) {
  const Extraction x = Extract(hostPath);
  if (why) *why = x.sentence;
  if (!x.HasText()) return std::nullopt;
  return CountForScannerKind(Detect(x.text), scannerKind);
}

}  // namespace vek::inspect
