#include "app/scan_result.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/format/format.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace vek {

namespace {

constexpr std::size_t kMaxRestChars = 500;

bool IsBlankOrControl(unsigned char c) {
  return c <= ' ';
}

// The text without leading and trailing blanks and control characters (bytes up to 0x20: a UTF-8
// sequence never contains them, so trimming bytes never splits a character).
std::string_view TrimView(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlankOrControl(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && IsBlankOrControl(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// A decimal (or "$" hexadecimal) integer of 32 bits, with nothing after its last digit. Plain digits,
// the common case, are read here; anything else goes through the general parser.
bool StrictInt32(std::string_view s, std::int64_t& out) {
  if (s.empty() || IsBlankOrControl(static_cast<unsigned char>(s.back()))) return false;
  std::int64_t v = 0;
  bool plain = s.size() <= 9;
  for (std::size_t i = 0; plain && i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') plain = false;
    v = v * 10 + (s[i] - '0');
  }
  if (!plain && !plat::fmt::TryStrToInt64(s, v)) return false;
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    return false;
  out = v;
  return true;
}

}  // namespace

bool Contains(std::string_view text, std::string_view part) {
  return !part.empty() && text.find(part) != std::string_view::npos;
}

void DbItemDivide(std::string_view line, TItemFields& fields) {
  for (auto& f : fields) f.clear();
  thread_local std::string rest;
  rest.assign(line);
  rest += ',';
  std::string_view r = rest;
  for (auto& field : fields) {
    const std::size_t comma = r.find(',');
    if (comma == std::string_view::npos) break;  // every further field stays empty
    field.assign(r.substr(0, comma));
    std::string_view after = r.substr(comma + 1);
    // A character takes at least one byte: a rest of at most 500 bytes needs no counting.
    if (after.size() > kMaxRestChars) after = after.substr(0, plat::text::Utf8Offset(after, kMaxRestChars));
    r = TrimView(after);
  }
}

bool LineCursor::Next(std::string_view& line) {
  const std::size_t n = bytes_.size();
  if (pos_ >= n) return false;
  const char* base = bytes_.data();
  // Each search runs vectorised from the cursor to the next hit and is not repeated until the cursor
  // has passed that hit: every byte is looked at once per kind of line end.
  const auto find = [&](char c) {
    const void* hit = std::memchr(base + pos_, c, n - pos_);
    return hit ? std::size_t(static_cast<const char*>(hit) - base) : n;
  };
  if (!searched_ || nextLf_ < pos_) nextLf_ = find('\n');
  if (!searched_ || nextCr_ < pos_) nextCr_ = find('\r');
  searched_ = true;
  const std::size_t end = std::min(nextCr_, nextLf_);
  line = bytes_.substr(pos_, end - pos_);
  std::size_t next = end + 1;
  if (end < n && base[end] == '\r' && next < n && base[next] == '\n') ++next;
  pos_ = std::min(next, n);
  ++index_;
  return true;
}

bool DecodeLine(std::string_view cp949, std::string& utf8) {
  // A character takes one or two bytes: more than twice the limit is never needed. A cut that splits
  // the last double-byte character leaves it out.
  std::string_view part = cp949.substr(0, 2 * kMaxLineChars);
  bool ok = plat::text::TryCp949ToUtf8(part, utf8);
  if (!ok && part.size() < cp949.size())
    ok = plat::text::TryCp949ToUtf8(part.substr(0, part.size() - 1), utf8);
  if (!ok) return false;
  if (utf8.size() > kMaxLineChars) utf8.resize(plat::text::Utf8Offset(utf8, kMaxLineChars));
  return true;
}

bool ScanFilter::FileExistsAt(const std::string& folder, const std::string& name) {
  // A plain name below a folder resolves to the folder's host path, "/" and the name; anything else
  // (separators or dots in the name, an empty name) goes through the whole drive map.
  const bool plainName = !name.empty() && name != "." && name != ".." &&
                         std::none_of(name.begin(), name.end(), [](char c) { return c == '\\' || c == '/'; });
  if (!plainName) {
    const std::string host = plat::os::ResolvePath(folder + "\\" + name);
    return !host.empty() && plat::os::FileExists(host);
  }
  if (!haveLastFolder_ || folder != lastFolder_) {
    lastFolder_ = folder;
    lastHostFolder_ = plat::os::ResolvePath(folder + "\\x");
    lastHostFolder_.resize(lastHostFolder_.size() >= 2 ? lastHostFolder_.size() - 1 : 0);  // keep the "/"
    haveLastFolder_ = true;
    heldFolder_.Close();
    linesInFolder_ = 0;
  }
  if (lastHostFolder_.empty()) return false;
  // From the second line in a row naming the folder on, the folder is held open and only the name is
  // looked up in it; the path is walked for a folder named once.
  if (++linesInFolder_ == 2) heldFolder_.Open(lastHostFolder_);
  if (heldFolder_.IsOpen()) return heldFolder_.FileExists(name);
  hostPath_.assign(lastHostFolder_).append(name);
  return plat::os::FileExists(hostPath_);
}

bool ScanFilter::Accept(const TItemFields& fields) {
  bool accept = !settings_.Keywords;
  std::int64_t h;
  if (StrictInt32(fields[2], h)) hits_ = h;
  if (settings_.Keywords)
    for (std::string_view k : kKeywords)
      if (Contains(fields[1], k)) accept = true;
  if (settings_.AtLeast10 && hits_ < 10) accept = false;
  if (settings_.AtLeast100 && hits_ < 100) accept = false;
  for (const std::string& word : settings_.Exclude)
    if (Contains(fields[1], word)) accept = false;
  for (const std::string& word : settings_.Exclude)
    if (Contains(fields[3], word)) accept = false;
  if (!FileExistsAt(fields[3], fields[0])) accept = false;
  return accept;
}

ScanFilter::TLineFate ScanFilter::TakeLine(std::string_view raw, TItemFields& fields, std::string& line) {
  try {
    if (!DecodeLine(raw, line)) {
      ++unreadable_;
      return TLineFate::Unreadable;
    }
    DbItemDivide(line, fields);
    return Accept(fields) ? TLineFate::Kept : TLineFate::Dropped;
  } catch (const std::exception&) {
    // A line that cannot be handled is skipped; the loaders say how many there were.
    ++unreadable_;
    return TLineFate::Unreadable;
  }
}

}  // namespace vek
