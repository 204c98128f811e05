// UTF-8 helpers and the CP949 boundary (see text.h).
#include "platform/text/text.h"

#include <iconv.h>

#include <QCollator>
#include <QString>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/error.h"

namespace plat::text {

namespace {

// Length of the well-formed UTF-8 sequence starting at s[i], or 0 when the byte there does not start one
// (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, or a truncated sequence).
std::size_t SeqLen(std::string_view s, std::size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) return 1;
  std::size_t len;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    if (b == 0xE0) lo = 0xA0;  // overlong
    if (b == 0xED) hi = 0x9F;  // surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    if (b == 0xF0) lo = 0x90;  // overlong
    if (b == 0xF4) hi = 0x8F;  // beyond U+10FFFF
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  const auto b1 = static_cast<unsigned char>(s[i + 1]);
  if (b1 < lo || b1 > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    const auto bk = static_cast<unsigned char>(s[i + k]);
    if (bk < 0x80 || bk > 0xBF) return 0;
  }
  return len;
}

// Step over one character: a valid sequence, or a single invalid byte (which counts as one character).
std::size_t Step(std::string_view s, std::size_t i) {
  const std::size_t n = SeqLen(s, i);
  return n == 0 ? 1 : n;
}

char32_t DecodeAt(std::string_view s, std::size_t i, std::size_t len) {
  const auto b = static_cast<unsigned char>(s[i]);
  if (len == 1) return b;
  char32_t cp = b & (0xFF >> (len + 1));
  for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  return cp;
}

// Scripts without letter case: Hangul (syllables, jamo, compatibility jamo), CJK symbols and punctuation,
// kana, and the unified CJK ideographs.
bool IsCaseless(char32_t c) {
  return (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3000 && c <= 0x30FF) ||
         (c >= 0x3130 && c <= 0x318F) || (c >= 0x4E00 && c <= 0x9FFF);
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

QString ToQ(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string FromQ(const QString& q) {
  return q.toUtf8().toStdString();
}

bool IsBlank(unsigned char c) {
  return c <= ' ';
}

// One iconv descriptor per direction and thread: opening a descriptor costs far more than converting a
// line, and files are converted line by line.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts in into out. On failure returns false with errOffset set to the input offset of the bad
  // sequence and errIncomplete telling whether the input merely ended inside a sequence.
  bool Run(std::string_view in, std::string& out, std::size_t& errOffset, bool& errIncomplete) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw EEncodingError("CP949 conversion is not available");
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset the shift state left by an earlier failure
    out.resize(in.size() * 3 / 2 + 16);              // enough for CP949->UTF-8; grown on E2BIG otherwise
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t done = 0;
    for (;;) {
      char* outPtr = out.data() + done;
      std::size_t outLeft = out.size() - done;
      const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      done = static_cast<std::size_t>(outPtr - out.data());
      if (rc != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      errOffset = static_cast<std::size_t>(inPtr - in.data());
      errIncomplete = (errno == EINVAL);
      return false;
    }
    out.resize(done);
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& Decoder() {
  thread_local Converter c("UTF-8", "CP949");
  return c;
}
Converter& Encoder() {
  thread_local Converter c("CP949", "UTF-8");
  return c;
}

// The modern Hangul syllables (U+AC00..U+D7A3), the bulk of Korean text, in CP949: asked of the converter
// once, then mapped directly in both directions. Texts with other characters go through the converter whole,
// so results and error reports are the converter's.
constexpr char32_t kFirstSyllable = 0xAC00;
constexpr std::size_t kSyllables = 11172;

bool IsSyllable(char32_t c) {
  return c >= kFirstSyllable && c < kFirstSyllable + kSyllables;
}

// The three UTF-8 bytes of a character from U+0800 to U+FFFF.
void PutUtf8Of3(char* o, char32_t c) {
  o[0] = char(0xE0 | (c >> 12));
  o[1] = char(0x80 | ((c >> 6) & 0x3F));
  o[2] = char(0x80 | (c & 0x3F));
}

struct HangulTable {
  std::vector<std::uint16_t> cp949;       // per syllable: lead byte << 8 | trail byte
  std::vector<std::uint16_t> syllableOf;  // per byte pair: syllable index + 1, 0 for any other pair
  bool ok = false;
};

const HangulTable& Hangul() {
  static const HangulTable table = [] {
    HangulTable t;
    std::string all(kSyllables * 3, '\0');
    for (std::size_t k = 0; k < kSyllables; ++k) PutUtf8Of3(all.data() + 3 * k, kFirstSyllable + char32_t(k));
    std::string bytes;
    std::size_t off = 0;
    bool incomplete = false;
    Converter encoder("CP949", "UTF-8");
    if (!encoder.Run(all, bytes, off, incomplete) || bytes.size() != kSyllables * 2) return t;
    t.cp949.resize(kSyllables);
    t.syllableOf.assign(0x10000, 0);
    for (std::size_t k = 0; k < kSyllables; ++k) {
      const auto lead = static_cast<unsigned char>(bytes[2 * k]),
                 trail = static_cast<unsigned char>(bytes[2 * k + 1]);
      if (lead < 0x81 || t.syllableOf[std::size_t(lead << 8 | trail)] != 0) return HangulTable{};
      t.cp949[k] = std::uint16_t(lead << 8 | trail);
      t.syllableOf[std::size_t(lead << 8 | trail)] = std::uint16_t(k + 1);
    }
    t.ok = true;
    return t;
  }();
  return table;
}

// ASCII and Hangul syllables mapped directly; false (out unspecified) at the first other byte pair.
bool DecodeHangul(std::string_view cp949, std::string& out) {
  const HangulTable& t = Hangul();
  if (!t.ok) return false;
  out.resize(cp949.size() * 3 / 2 + 1);  // a two-byte pair gives three bytes, an ASCII byte one
  const auto* in = reinterpret_cast<const unsigned char*>(cp949.data());
  const auto* const end = in + cp949.size();
  char* o = out.data();
  while (in < end) {
    const unsigned char b = *in;
    if (b < 0x80) {
      *o++ = char(b);
      ++in;
      continue;
    }
    if (end - in < 2) return false;
    const std::uint16_t k = t.syllableOf[std::size_t(b << 8 | in[1])];
    if (k == 0) return false;
    PutUtf8Of3(o, kFirstSyllable + char32_t(k - 1));
    o += 3;
    in += 2;
  }
  out.resize(std::size_t(o - out.data()));
  return true;
}

// The same towards CP949.
bool EncodeHangul(std::string_view utf8, std::string& out) {
  const HangulTable& t = Hangul();
  if (!t.ok) return false;
  out.resize(utf8.size());  // never longer: three UTF-8 bytes give two
  const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* const end = in + utf8.size();
  char* o = out.data();
  while (in < end) {
    const unsigned char b = *in;
    if (b < 0x80) {
      *o++ = char(b);
      ++in;
      continue;
    }
    // U+AC00..U+D7A3 is EA B0 80 .. ED 9E A3.
    if (b < 0xEA || b > 0xED || end - in < 3 || (in[1] & 0xC0) != 0x80 || (in[2] & 0xC0) != 0x80)
      return false;
    const char32_t c = char32_t(b & 0x0F) << 12 | char32_t(in[1] & 0x3F) << 6 | char32_t(in[2] & 0x3F);
    if (!IsSyllable(c)) return false;
    const std::uint16_t code = t.cp949[c - kFirstSyllable];
    o[0] = char(code >> 8);
    o[1] = char(code & 0xFF);
    o += 2;
    in += 3;
  }
  out.resize(std::size_t(o - out.data()));
  return true;
}

// Converts; on failure returns nullopt and, when msg is given, the text of the error.
std::optional<std::string> Decode(std::string_view cp949, std::string* msg) {
  if (IsAscii(cp949)) return std::string(cp949);  // the common case: no conversion needed
  std::string out;
  if (DecodeHangul(cp949, out)) return out;
  std::size_t off = 0;
  bool incomplete = false;
  if (Decoder().Run(cp949, out, off, incomplete)) return out;
  if (msg) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%s CP949 byte sequence at byte offset %zu (byte 0x%02X)",
                  incomplete ? "Incomplete" : "Invalid", off, static_cast<unsigned char>(cp949[off]));
    *msg = buf;
  }
  return std::nullopt;
}

// The offset of the first character whose CP949 bytes do not decode back to it (npos when every one does).
std::size_t FirstLostCharacter(std::string_view utf8) {
  std::string bytes, back;
  std::size_t off = 0;
  bool incomplete = false;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = std::max<std::size_t>(1, SeqLen(utf8, i));
    const std::string_view one = utf8.substr(i, n);
    if (!Encoder().Run(one, bytes, off, incomplete) || !Decoder().Run(bytes, back, off, incomplete) ||
        back != one)
      return i;
    i += n;
  }
  return std::string_view::npos;
}

std::optional<std::string> Encode(std::string_view utf8, std::string* msg) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  if (EncodeHangul(utf8, out)) return out;
  std::size_t off = 0;
  bool incomplete = false;
  if (Encoder().Run(utf8, out, off, incomplete)) {
    // The converter skips some characters without a word (the Unicode tag characters U+E0000..U+E007F): a
    // name that does not come back whole would name another file, so it does not fit.
    std::string back;
    std::size_t backOff = 0;
    if (Decoder().Run(out, back, backOff, incomplete) && back == utf8) return out;
    off = FirstLostCharacter(utf8);
    if (off == std::string_view::npos) off = 0;  // lost only as a whole: refused all the same
  }
  if (msg) {
    char buf[160];
    const std::size_t len = SeqLen(utf8, off);
    if (len == 0) {
      std::snprintf(buf, sizeof buf, "Invalid UTF-8 byte sequence at byte offset %zu (byte 0x%02X)", off,
                    static_cast<unsigned char>(utf8[off]));
    } else {
      std::snprintf(buf, sizeof buf, "Character U+%04X at byte offset %zu cannot be encoded in CP949",
                    static_cast<unsigned>(DecodeAt(utf8, off, len)), off);
    }
    *msg = buf;
  }
  return std::nullopt;
}

}  // namespace

std::size_t Utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); i += Step(s, i)) ++n;
  return n;
}

std::size_t Utf8Offset(std::string_view s, std::size_t index) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < index && i < s.size(); ++n) i += Step(s, i);
  return i;
}

std::string Utf8Cut(std::string_view s, std::size_t maxChars) {
  return std::string(s.substr(0, Utf8Offset(s, maxChars)));
}

std::string Utf8CutBytes(std::string_view s, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t next = i + Step(s, i);
    if (next > maxBytes) break;
    i = next;
  }
  return std::string(s.substr(0, i));
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = SeqLen(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string UpperCase(std::string_view s) {
  // Fast path: ASCII letters map directly, and Korean, Chinese and Japanese characters have no case (most
  // keys and paths are of these); any other character sends the whole text through Qt's case tables.
  std::string r(s);
  for (std::size_t i = 0; i < r.size();) {
    const auto b = static_cast<unsigned char>(r[i]);
    if (b < 0x80) {
      if (b >= 'a' && b <= 'z') r[i] = static_cast<char>(b - 32);
      ++i;
      continue;
    }
    const std::size_t n = SeqLen(r, i);
    if (n == 0 || !IsCaseless(DecodeAt(r, i, n))) return FromQ(ToQ(s).toUpper());
    i += n;
  }
  return r;
}

std::string LowerCase(std::string_view s) {
  if (IsAscii(s)) {
    std::string r(s);
    for (char& c : r)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
  }
  return FromQ(ToQ(s).toLower());
}

bool SameText(std::string_view a, std::string_view b) {
  return UpperCase(a) == UpperCase(b);
}

int CompareText(std::string_view a, std::string_view b) {
  // Byte order of UTF-8 is code-point order, so comparing the upper-cased bytes orders by character.
  const int c = UpperCase(a).compare(UpperCase(b));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareStrLocale(std::string_view a, std::string_view b) {
  // QCollator is costly to build; one per thread follows the default locale at the time of first use.
  thread_local QCollator collator;
  const int c = collator.compare(ToQ(a), ToQ(b));
  if (c != 0) return c < 0 ? -1 : 1;
  // Texts the collation deems equal but that differ still need a stable, case-sensitive order.
  const int raw = a.compare(b);
  return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
}

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
  return std::string(s.substr(b));
}

std::string Cp949ToUtf8(std::string_view cp949) {
  std::string msg;
  auto r = Decode(cp949, &msg);
  if (!r) throw EEncodingError(msg);
  return std::move(*r);
}

std::string Utf8ToCp949(std::string_view utf8) {
  std::string msg;
  auto r = Encode(utf8, &msg);
  if (!r) throw EEncodingError(msg);
  return std::move(*r);
}

bool TryCp949ToUtf8(std::string_view cp949, std::string& out) {
  if (IsAscii(cp949)) {
    out.assign(cp949);
    return true;
  }
  if (DecodeHangul(cp949, out)) return true;
  std::size_t off = 0;
  bool incomplete = false;
  return Decoder().Run(cp949, out, off, incomplete);
}

std::optional<std::string> TryCp949ToUtf8(std::string_view cp949) {
  return Decode(cp949, nullptr);
}
std::optional<std::string> TryUtf8ToCp949(std::string_view utf8) {
  return Encode(utf8, nullptr);
}

bool FitsCp949(std::string_view utf8) {
  // ASCII and the 11,172 modern Hangul syllables are all in CP949; anything else is asked of the encoder.
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = SeqLen(utf8, i);
    if (n == 0) return false;
    if (!IsSyllable(DecodeAt(utf8, i, n))) return TryUtf8ToCp949(utf8).has_value();
    i += n;
  }
  return true;
}

}  // namespace plat::text
