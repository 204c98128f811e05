// The drive map: Windows paths of the program and of scanners' result files turned into host paths.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/os.h"

namespace plat::os {
namespace {

bool IsSep(char c) {
  return c == '\\' || c == '/';
}
bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiAlnum(char c) {
  return IsAsciiLetter(c) || (c >= '0' && c <= '9');
}
char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

std::string GetEnv(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? std::string(v) : std::string();
}

std::string HomeDir() {
  std::string home = GetEnv("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

// Removes trailing slashes except the one of the host root.
std::string StripTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

// Splits at "\" and "/", dropping empty parts (repeated separators).
std::vector<std::string_view> SplitSegments(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsSep(s[i])) ++i;
    std::size_t j = i;
    while (j < s.size() && !IsSep(s[j])) ++j;
    if (j > i) out.push_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

// Separators read as "/", repeated ones collapsed; "." and ".." kept.
std::string MendSeparators(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (IsSep(c)) {
      if (out.empty() || out.back() != '/') out += '/';
    } else {
      out += c;
    }
  }
  return out;
}

// root + the segments of rest, with ".." resolved lexically and clamped at root ("." dropped), and a
// trailing "/" when rest ends with a separator.
std::string JoinUnderRoot(std::string_view root, std::string_view rest) {
  while (root.size() > 1 && root.back() == '/') root.remove_suffix(1);
  std::string out;
  out.reserve(root.size() + rest.size() + 1);
  out = root;
  const std::size_t rootSize = out.size();
  // One pass over the segments: ".." takes the last one joined off again, never the root.
  for (std::size_t i = 0; i < rest.size();) {
    while (i < rest.size() && IsSep(rest[i])) ++i;
    std::size_t j = i;
    while (j < rest.size() && !IsSep(rest[j])) ++j;
    const std::string_view seg = rest.substr(i, j - i);
    i = j;
    if (seg.empty() || seg == ".") continue;
    if (seg == "..") {
      if (out.size() > rootSize) out.resize(std::max(rootSize, out.rfind('/')));
      continue;
    }
    if (out.empty() || out.back() != '/') out += '/';
    out += seg;
  }
  if (!rest.empty() && IsSep(rest.back()) && (out.empty() || out.back() != '/')) out += '/';
  return out;
}

// The environment-variable form of a UNC server or share name: ASCII letters upper-cased, digits kept,
// everything else "_" (one per code point, so a multi-byte UTF-8 character gives one "_").
std::string UncNamePart(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += IsAsciiAlnum(char(c)) ? AsciiUpper(char(c)) : '_';
    } else if ((c & 0xC0) != 0x80) {
      out += '_';  // the lead byte of a multi-byte character; its continuation bytes add nothing
    }
  }
  return out;
}

}  // namespace

namespace {

// The host folder VEKSECURITY_DRIVE_<letter> names (upper- or lower-case letter), trailing slashes dropped;
// empty when neither is set. A view of the environment, to be used before it changes.
std::string_view MappedDriveRoot(char up) {
  char name[] = "VEKSECURITY_DRIVE_X";
  name[sizeof name - 2] = up;
  const char* v = std::getenv(name);
  if (!v || !*v) {
    name[sizeof name - 2] = char(up - 'A' + 'a');
    v = std::getenv(name);
  }
  std::string_view root = v ? v : "";
  while (root.size() > 1 && root.back() == '/') root.remove_suffix(1);
  return root;
}

}  // namespace

std::string DriveRoot(char letter) {
  if (!IsAsciiLetter(letter)) return {};
  const char up = AsciiUpper(letter);
  if (const std::string_view mapped = MappedDriveRoot(up); !mapped.empty()) return std::string(mapped);
  std::string data = GetEnv("XDG_DATA_HOME");
  if (data.empty() || data.front() != '/') data = StripTrailingSlashes(HomeDir()) + "/.local/share";
  return StripTrailingSlashes(data) + "/VekSecurity/drives/" + up;
}

std::string ResolvePath(std::string_view p) {
  if (p.empty()) return {};
  // "X:rest", "X:\rest", "X:/rest"
  if (p.size() >= 2 && IsAsciiLetter(p[0]) && p[1] == ':') {
    // The usual case, a mapped drive, joins straight from the environment.
    if (const std::string_view mapped = MappedDriveRoot(AsciiUpper(p[0])); !mapped.empty())
      return JoinUnderRoot(mapped, p.substr(2));
    return JoinUnderRoot(DriveRoot(p[0]), p.substr(2));
  }
  // "\\server\share\rest"
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
    const std::vector<std::string_view> segs = SplitSegments(p.substr(2));
    if (segs.size() < 2) return {};
    const std::string root = GetEnv("VEKSECURITY_UNC_" + UncNamePart(segs[0]) + "_" + UncNamePart(segs[1]));
    if (root.empty()) return {};
    // The rest after the share name (its position found again in the original text).
    std::size_t pos = 2;
    for (int k = 0; k < 2; ++k) {
      while (pos < p.size() && IsSep(p[pos])) ++pos;
      while (pos < p.size() && !IsSep(p[pos])) ++pos;
    }
    return JoinUnderRoot(root, p.substr(pos));
  }
  // "\rest": drive C
  if (p[0] == '\\') return JoinUnderRoot(DriveRoot('C'), p.substr(1));
  // "/rest" and relative paths: taken as they are, separators mended.
  return MendSeparators(p);
}

}  // namespace plat::os
