// Reading a batch file: line splitting, decoding, the small command grammar, and the printed report.
#include "platform/batch/batch.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/batch/file_actions.h"
#include "platform/batch/shred.h"
#include "platform/error.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace plat::batch {
namespace {

LineResult Fail(std::string reason) {
  LineResult r;
  r.status = LineStatus::Failed;
  r.message = std::move(reason);
  return r;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string AsciiLowerStr(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

// "%%" is one "%"; a lone "%" stays (the program doubles every "%" so the Windows interpreter reads the
// same).
std::string FoldPercents(std::string_view s) {
  if (s.find('%') == std::string_view::npos) return std::string(s);
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    out += s[i];
    if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == '%') ++i;
  }
  return out;
}

struct Token {
  std::string text;
  bool quoted = false;  // any part was inside double quotes (then it is never a switch)
};

// Splits the operands: blanks separate outside quotes, quotes are removed. Returns the failure reason in
// `error` when the quotes do not balance or an operator of the shell stands outside quotes.
std::vector<Token> Tokenize(std::string_view s, std::string& error) {
  std::vector<Token> out;
  out.reserve(2);
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i >= s.size()) break;
    Token t;
    bool inQuote = false;
    while (i < s.size()) {
      const char c = s[i];
      if (c == '"') {
        inQuote = !inQuote;
        t.quoted = true;
        ++i;
        continue;
      }
      if (inQuote) {
        // Everything up to the closing quote is taken as it is, in one piece.
        std::size_t close = s.find('"', i);
        if (close == std::string_view::npos) close = s.size();
        t.text.append(s.substr(i, close - i));
        i = close;
        continue;
      }
      if (IsBlank(c)) break;
      if (c == '&' || c == '|' || c == '<' || c == '>' || c == '^') {
        error = std::string("\"") + c + "\" outside quotes is not supported";
        return {};
      }
      t.text += c;
      ++i;
    }
    if (inQuote) {
      error = "unbalanced quotes";
      return {};
    }
    out.push_back(std::move(t));
  }
  return out;
}

// An unquoted "/X" or "/-X" word: a switch of the Windows commands (quoted operands are always paths).
bool IsSwitch(const Token& t) {
  if (t.quoted || t.text.size() < 2 || t.text.size() > 3 || t.text[0] != '/') return false;
  if (t.text.size() == 2) return IsAsciiLetter(t.text[1]);
  return t.text[1] == '-' && IsAsciiLetter(t.text[2]);
}

// Drops the tolerated switches; returns the first switch that is not, if any.
std::optional<std::string> TakeSwitches(std::vector<Token>& tokens,
                                        std::initializer_list<const char*> tolerated) {
  if (std::none_of(tokens.begin(), tokens.end(), IsSwitch))
    return std::nullopt;  // the usual line: paths only
  std::vector<Token> kept;
  for (Token& t : tokens) {
    if (!IsSwitch(t)) {
      kept.push_back(std::move(t));
      continue;
    }
    bool ok = false;
    for (const char* sw : tolerated) ok = ok || AsciiLowerStr(t.text) == sw;
    if (!ok) return t.text;
  }
  tokens = std::move(kept);
  return std::nullopt;
}

std::optional<std::string> WildcardIn(const std::vector<Token>& tokens) {
  for (const Token& t : tokens)
    if (std::any_of(t.text.begin(), t.text.end(), [](char c) { return c == '*' || c == '?'; })) return t.text;
  return std::nullopt;
}

// A segment that names the folder above under the host's rules ("..") or under Windows' rules, which drop
// trailing dots and blanks from a segment (".. ", "...").
bool IsParentSegment(std::string_view seg) {
  while (!seg.empty() && seg.back() == ' ') seg.remove_suffix(1);
  if (seg.size() < 2) return false;
  for (char c : seg)
    if (c != '.' && c != ' ') return false;
  return seg.starts_with("..");
}

std::optional<std::string> ParentSegmentIn(const std::vector<Token>& tokens) {
  for (const Token& t : tokens)
    if (HasParentSegment(t.text)) return t.text;
  return std::nullopt;
}

// The operands of md, move or del after the command word; fails on syntax, unsupported switches, wildcards,
// ".." segments and a wrong operand count.
ParsedLine Operands(Command command, std::string_view rest, std::string_view word,
                    std::initializer_list<const char*> tolerated, std::size_t count, const char* what) {
  ParsedLine p;
  const std::string cmd(word);
  std::string error;
  std::vector<Token> tokens = Tokenize(rest, error);
  if (!error.empty()) {
    p.error = cmd + ": " + error;
    return p;
  }
  if (auto sw = TakeSwitches(tokens, tolerated)) {
    p.error = cmd + ": switch " + *sw + " is not supported";
    return p;
  }
  if (auto w = WildcardIn(tokens)) {
    p.error = cmd + ": wildcards are not supported: " + *w;
    return p;
  }
  for (const Token& t : tokens) {
    if (t.text.empty()) {
      p.error = cmd + ": empty path";
      return p;
    }
  }
  if (auto parent = ParentSegmentIn(tokens)) {
    p.error = cmd + ": a \"..\" segment is not allowed in a path: " + *parent;
    return p;
  }
  if (tokens.size() != count) {
    p.error = cmd + " needs " + what + ", got " + std::to_string(tokens.size()) +
              " operand(s) (a path with blanks must be quoted)";
    return p;
  }
  p.command = command;
  for (Token& t : tokens) p.operands.push_back(std::move(t.text));
  return p;
}

ParsedLine Refused(std::string reason) {
  ParsedLine p;
  p.error = std::move(reason);
  return p;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool HasControlCharacter(std::string_view s) {
  for (char c : s)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) return true;
  return false;
}

}  // namespace

bool HasParentSegment(std::string_view path) {
  for (;;) {
    const auto at = std::find_if(path.begin(), path.end(), [](char c) { return c == '\\' || c == '/'; });
    const std::size_t sep = at == path.end() ? std::string_view::npos : std::size_t(at - path.begin());
    if (IsParentSegment(path.substr(0, sep))) return true;
    if (sep == std::string_view::npos) return false;
    path.remove_prefix(sep + 1);
  }
}

ParsedLine ParseBatchLine(std::string_view utf8Line) {
  if (HasControlCharacter(utf8Line)) return Refused("control character in the line");
  const std::string line = FoldPercents(utf8Line);
  std::string_view s = line;
  // "@" (echo suppression) may precede any command, blanks around it are allowed.
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '@')) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  if (s.empty()) return {};
  if (s.starts_with("::")) return {};

  std::size_t n = 0;
  while (n < s.size() && IsAsciiLetter(s[n])) ++n;
  const std::string word = AsciiLowerStr(s.substr(0, n));
  std::string_view rest = s.substr(n);
  const char next = rest.empty() ? '\0' : rest.front();
  const bool endsWord = next == '\0' || IsBlank(next);

  if (word == "rem" && endsWord) return {};
  // The one setting a generated batch may start with: delayed expansion off, so that "!" is a character.
  if (word == "setlocal" && endsWord && AsciiLowerStr(Trimmed(rest)) == "disabledelayedexpansion") return {};
  if (word == "echo" && (endsWord || next == '.' || next == ':' || next == ',' || next == ';')) {
    // One separator after the word is dropped, the rest printed. "echo", "echo on", "echo off" print nothing.
    const std::string_view text = rest.empty() ? rest : rest.substr(1);
    const std::string lower = AsciiLowerStr(text);
    if (endsWord && (lower.empty() || lower == "on" || lower == "off")) return {};
    ParsedLine p;
    p.command = Command::Echo;
    p.text = std::string(text);
    return p;
  }

  // A command word may be followed directly by a quoted operand: md"C:\x".
  const bool endsCommand = endsWord || next == '"';
  if ((word == "md" || word == "mkdir") && endsCommand)
    return Operands(Command::MakeFolder, rest, word, {}, 1, "one folder");
  // /Y and /-Y only choose whether Windows asks before replacing; here nothing is ever replaced.
  if (word == "move" && endsCommand)
    return Operands(Command::Move, rest, word, {"/y", "/-y"}, 2, "a file and a target folder");
  if ((word == "del" || word == "erase") && endsCommand)
    return Operands(Command::Delete, rest, word, {"/f", "/q"}, 1, "one file");
  std::size_t w = 0;
  while (w < s.size() && !IsBlank(s[w])) ++w;
  return Refused("unknown command: " + std::string(s.substr(0, w)));
}

LineResult RunBatchLine(std::string_view utf8Line, const RunOptions& options) {
  // A batch repeats the md line of a folder before every file moved into it.
  if (std::optional<LineResult> repeated = detail::RepeatedMakeFolder(utf8Line)) return std::move(*repeated);
  const ParsedLine p = ParseBatchLine(utf8Line);
  if (!p.error.empty()) return Fail(p.error);
  switch (p.command) {
    case Command::None:
      return {};
    case Command::Echo: {
      LineResult r;
      r.message = p.text;
      return r;
    }
    case Command::MakeFolder:
      return detail::MakeFolder(p.operands[0], utf8Line);
    case Command::Move:
      return detail::MoveFileInto(p.operands[0], p.operands[1]);
    case Command::Delete:
      if (options.Delete == DeleteMethod::Shred) return detail::ShredOneFile(p.operands[0]);
      return detail::DeleteOneFile(p.operands[0]);
  }
  return {};
}

std::string FormatLine(const LineResult& r) {
  if (r.status == LineStatus::Failed) return "failed: line " + std::to_string(r.number) + ": " + r.message;
  return r.message;
}

std::vector<std::string_view> SplitBatchLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    // CP949 trail bytes are never 0x0A or 0x0D, so the line ends can be found before decoding.
    std::size_t end = bytes.find('\n', pos);
    const std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(pos, end - pos);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    lines.push_back(raw);
    pos = next;
  }
  return lines;
}

BatchResult RunBatchText(std::string_view bytes, std::ostream& out, const RunOptions& options) {
  BatchResult result;
  ForgetCleanedFolders();
  int number = 0;
  for (const std::string_view raw : SplitBatchLines(bytes)) {
    ++number;
    LineResult r;
    if (std::optional<std::string> utf8 = text::TryCp949ToUtf8(raw)) {
      r = RunBatchLine(*utf8, options);
    } else {
      std::string why;
      try {
        text::Cp949ToUtf8(raw);
      } catch (const Exception& e) {
        why = e.what();
      }
      r = Fail("the line is not valid CP949 text" + (why.empty() ? std::string() : ": " + why));
    }
    r.number = number;
    if (r.status == LineStatus::Succeeded) ++result.succeeded;
    if (r.status == LineStatus::Failed) ++result.failed;
    for (const std::string& note : r.notes) out << note << '\n';
    if (r.status != LineStatus::Skipped || !r.message.empty()) out << FormatLine(r) << '\n';
    out << std::flush;
    result.lines.push_back(std::move(r));
  }
  out << result.succeeded << " succeeded, " << result.failed << " failed\n" << std::flush;
  return result;
}

int RunBatchFile(const std::string& hostPath, std::ostream& out, const RunOptions& options) {
  std::string bytes;
  try {
    bytes = os::ReadFileBytes(hostPath);
  } catch (const Exception& e) {
    out << "cannot read the batch file: " << e.what() << '\n' << std::flush;
    return kExitUnreadable;
  }
  return RunBatchText(bytes, out, options).ExitCode();
}

}  // namespace plat::batch
