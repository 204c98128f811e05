#pragma once
// UTF-8 text helpers and the CP949 boundary.
//
// Inside the program every text is UTF-8 in std::string. A "character" is one Unicode code point: every cut
// counts code points and never splits one. CP949 is decoded and encoded only at file boundaries.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace plat::text {

// A hash of texts for unordered containers keyed by std::string that are searched with a std::string_view
// (together with std::equal_to<>), without building a string for the lookup.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
};

// Number of code points in a UTF-8 text (an invalid byte counts as one character).
std::size_t Utf8Length(std::string_view s);

// The first maxChars code points of s.
std::string Utf8Cut(std::string_view s, std::size_t maxChars);

// The longest prefix of s of at most maxBytes bytes that ends on a code-point boundary.
std::string Utf8CutBytes(std::string_view s, std::size_t maxBytes);

// Byte offset of code point number index (Utf8Length(s) gives s.size()).
std::size_t Utf8Offset(std::string_view s, std::size_t index);

bool IsValidUtf8(std::string_view s);

// Unicode upper and lower case (Hangul and other caseless scripts are unchanged).
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// Case-insensitive equality and ordering (by upper case).
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);

// Case-sensitive comparison by the user's locale (collation); <0, 0, >0.
int CompareStrLocale(std::string_view a, std::string_view b);

// Leading and trailing blanks and control characters removed (TrimLeft: leading only).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);

// CP949 (Unified Hangul Code, a superset of EUC-KR) to UTF-8 and back. An invalid or incomplete byte
// sequence, or a character CP949 cannot hold, raises EEncodingError with a text naming the byte offset or
// the character. Nothing is ever replaced silently.
std::string Cp949ToUtf8(std::string_view cp949);
std::string Utf8ToCp949(std::string_view utf8);
std::optional<std::string> TryCp949ToUtf8(std::string_view cp949);
// The same into a buffer the caller reuses (no allocation once it is large enough); false when the bytes
// are not valid CP949 (out is then unspecified).
bool TryCp949ToUtf8(std::string_view cp949, std::string& out);
std::optional<std::string> TryUtf8ToCp949(std::string_view utf8);
// Whether a text is valid UTF-8 that CP949 can hold (TryUtf8ToCp949 would succeed), without converting it
// when it is ASCII and Hangul.
bool FitsCp949(std::string_view utf8);

}  // namespace plat::text
