// The batch interpreter's line parser (the file actions are never run here).
//   - operands are never empty and hold no quote, wildcard, control character or ".." segment
//   - a parsed command written again in the plain form (quoted operands, "%" doubled) reads back the same
#include "fuzz_check.h"
#include "platform/batch/batch.h"

namespace {

using plat::batch::Command;

std::string Quoted(std::string_view operand) {
  std::string out = "\"";
  for (char c : operand) {
    out += c;
    if (c == '%') out += '%';
  }
  return out + "\"";
}

bool HasParentSegment(std::string_view path) {
  for (;;) {
    const std::size_t sep = path.find_first_of("\\/");
    if (path.substr(0, sep) == "..") return true;
    if (sep == std::string_view::npos) return false;
    path.remove_prefix(sep + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line = fuzz::Text(data, size);
  const plat::batch::ParsedLine p = plat::batch::ParseBatchLine(line);
  if (!p.error.empty()) {
    fuzz::Check(p.command == Command::None && p.operands.empty(), "a refused line asks for nothing", line);
    return 0;
  }
  for (const std::string& op : p.operands) {
    fuzz::Check(!op.empty(), "no empty operand", line);
    fuzz::Check(op.find_first_of("\"*?") == std::string::npos, "no quote or wildcard in an operand", op);
    for (char c : op)
      fuzz::Check((static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) || c == '\t', "no control character",
                  op);
    fuzz::Check(!HasParentSegment(op), "no .. segment", op);
  }
  std::string again;
  switch (p.command) {
    case Command::None:
      fuzz::Check(p.operands.empty(), "a silent line has no operands", line);
      return 0;
    case Command::Echo:
      again = "echo.";
      for (char c : p.text) again += c == '%' ? std::string("%%") : std::string(1, c);
      break;
    case Command::MakeFolder:
      fuzz::Check(p.operands.size() == 1, "md has one operand", line);
      again = "md " + Quoted(p.operands[0]);
      break;
    case Command::Move:
      fuzz::Check(p.operands.size() == 2, "move has two operands", line);
      again = "move " + Quoted(p.operands[0]) + " " + Quoted(p.operands[1]);
      break;
    case Command::Delete:
      fuzz::Check(p.operands.size() == 1, "del has one operand", line);
      again = "del " + Quoted(p.operands[0]);
      break;
  }
  const plat::batch::ParsedLine q = plat::batch::ParseBatchLine(again);
  fuzz::Check(q.error.empty(), "the plain form parses", again, q.error);
  fuzz::Check(q.command == p.command && q.operands == p.operands && q.text == p.text,
              "the plain form reads back", line, again);
  return 0;
}
