// Ini files in the Windows private-profile format: CP949 text, "[Section]" and "Key=Value" lines, CR LF.
//
// The file is read as raw lines and parsed at the byte level: the structure characters "[", "]", "=" and
// ";" are ASCII bytes that never occur inside a CP949 double-byte character, so a line that does not
// decode is still parsed and, when rewriting, kept byte for byte. Names and values are decoded one by one;
// a name or value with an undecodable byte is decoded as far as it goes (the bad byte becomes U+FFFD).
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace plat::os {
namespace {

struct Line {
  std::string_view body;  // without the line end
  std::string_view end;   // "\r\n", "\n", "\r" or "" (last line without line end)
};

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t j = i;
    while (j < bytes.size() && bytes[j] != '\r' && bytes[j] != '\n') ++j;
    std::size_t k = j;
    if (k < bytes.size() && bytes[k] == '\r') ++k;
    if (k < bytes.size() && bytes[k] == '\n' && (k == j || bytes[k - 1] == '\r')) ++k;
    lines.push_back({bytes.substr(i, j - i), bytes.substr(j, k - j)});
    i = k;
  }
  return lines;
}

bool IsBlankByte(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlankByte(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlankByte(s.back())) s.remove_suffix(1);
  return s;
}

// CP949 to UTF-8; an undecodable byte becomes U+FFFD and decoding goes on after it.
std::string DecodeLenient(std::string_view cp949) {
  if (std::optional<std::string> whole = text::TryCp949ToUtf8(cp949)) return *whole;
  std::string out;
  std::size_t i = 0;
  while (i < cp949.size()) {
    const unsigned char c = static_cast<unsigned char>(cp949[i]);
    if (c < 0x80) {
      out += char(c);
      ++i;
      continue;
    }
    if (i + 1 < cp949.size()) {
      if (std::optional<std::string> pair = text::TryCp949ToUtf8(cp949.substr(i, 2))) {
        out += *pair;
        i += 2;
        continue;
      }
    }
    out += "\xEF\xBF\xBD";
    ++i;
  }
  return out;
}

enum class Kind { Other, Section, Key };

struct Parsed {
  Kind kind = Kind::Other;
  std::string_view name;     // section name or key (raw bytes, trimmed)
  std::size_t valuePos = 0;  // for a key: offset of the value in the line body
};

Parsed ParseLine(std::string_view body) {
  Parsed p;
  const std::string_view t = TrimBlanks(body);
  if (t.empty() || t.front() == ';') return p;
  if (t.front() == '[') {
    std::string_view name = t.substr(1);
    if (const std::size_t close = name.find(']'); close != std::string_view::npos)
      name = name.substr(0, close);
    p.kind = Kind::Section;
    p.name = TrimBlanks(name);
    return p;
  }
  const std::size_t eq = body.find('=');
  if (eq == std::string_view::npos) return p;
  p.kind = Kind::Key;
  p.name = TrimBlanks(body.substr(0, eq));
  p.valuePos = eq + 1;
  return p;
}

bool SameName(std::string_view rawCp949, std::string_view utf8) {
  return text::SameText(DecodeLenient(rawCp949), utf8);
}

// Where a key lives in the file: the section's header line, the section's last non-blank line, the key's
// line (each an index into the lines, or npos).
struct Location {
  std::size_t header = std::string::npos;
  std::size_t lastContent = std::string::npos;
  std::size_t key = std::string::npos;
};

Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view ident) {
  Location loc;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Parsed p = ParseLine(lines[i].body);
    if (loc.header == std::string::npos) {
      if (p.kind == Kind::Section && SameName(p.name, section)) loc.header = loc.lastContent = i;
      continue;
    }
    if (p.kind == Kind::Section) break;  // the end of the (first) matching section
    if (!TrimBlanks(lines[i].body).empty()) loc.lastContent = i;
    if (p.kind == Kind::Key && loc.key == std::string::npos && SameName(p.name, ident)) loc.key = i;
  }
  return loc;
}

std::string Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

}  // namespace

IniFile::IniFile(std::string hostPath) : path_(std::move(hostPath)) {}

std::string IniFile::ReadString(std::string_view section, std::string_view ident,
                                std::string_view def) const {
  std::string bytes;
  try {
    bytes = ReadFileBytes(path_);
  } catch (const EFileError&) {
    return std::string(def);
  }
  const std::vector<Line> lines = SplitLines(bytes);
  const Location loc = Locate(lines, section, ident);
  if (loc.key == std::string::npos) return std::string(def);
  const std::string_view body = lines[loc.key].body;
  const std::size_t pos = ParseLine(body).valuePos;
  return DecodeLenient(Unquote(TrimBlanks(body.substr(pos))));
}

void IniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value) {
  // Encoding errors (a character CP949 lacks) are raised before the file is touched.
  const std::string sectionBytes = text::Utf8ToCp949(section);
  const std::string identBytes = text::Utf8ToCp949(ident);
  const std::string valueBytes = text::Utf8ToCp949(value);
  const auto unable = [this]() { return Exception("Unable to write to " + path_); };

  std::string bytes;
  if (FileExists(path_)) {
    if (::access(path_.c_str(), W_OK) != 0) throw unable();
    try {
      bytes = ReadFileBytes(path_);
    } catch (const EFileError&) {
      throw unable();
    }
  }
  const std::vector<Line> lines = SplitLines(bytes);
  const Location loc = Locate(lines, section, ident);

  std::string out;
  out.reserve(bytes.size() + identBytes.size() + valueBytes.size() + sectionBytes.size() + 16);
  const auto appendLine = [&out](std::string_view body, std::string_view end) {
    out += body;
    out += end.empty() ? std::string_view("\r\n") : end;  // a line gets an end before anything follows it
  };
  const std::string keyLine = identBytes + "=" + valueBytes;

  if (loc.header == std::string::npos) {
    // A new section at the end of the file, after a blank line.
    out = bytes;
    if (!lines.empty()) {
      if (lines.back().end.empty()) out += "\r\n";
      if (!TrimBlanks(lines.back().body).empty()) out += "\r\n";
    }
    out += "[" + sectionBytes + "]\r\n" + keyLine + "\r\n";
  } else {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const Line& l = lines[i];
      if (i == loc.key) {
        std::size_t pos = ParseLine(l.body).valuePos;
        while (pos < l.body.size() && IsBlankByte(l.body[pos])) ++pos;  // "Key = value" keeps its blank
        out += l.body.substr(0, pos);
        out += valueBytes;
        out += l.end;
        continue;
      }
      if (loc.key == std::string::npos && i == loc.lastContent) {
        appendLine(l.body, l.end);
        out += keyLine;
        out += "\r\n";
        continue;
      }
      out += l.body;
      out += l.end;
    }
  }

  try {
    WriteFileBytes(path_, out);
  } catch (const EFileError&) {
    throw unable();
  }
}

}  // namespace plat::os
