#pragma once
// What every fuzz target shares: a check that stops the run with a message, and the input as text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// Stops the run (libFuzzer keeps the input as a crash) when a property does not hold.
[[noreturn]] inline void Fail(const char* what, std::string_view a = {}, std::string_view b = {}) {
  std::fprintf(stderr, "property failed: %s\n  [%.*s]\n  [%.*s]\n", what, int(a.size()), a.data(),
               int(b.size()), b.data());
  std::abort();
}

inline void Check(bool ok, const char* what, std::string_view a = {}, std::string_view b = {}) {
  if (!ok) Fail(what, a, b);
}

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut in two at its first NUL byte (the second part is empty without one).
inline std::pair<std::string_view, std::string_view> TwoParts(std::string_view s) {
  const std::size_t nul = s.find('\0');
  if (nul == std::string_view::npos) return {s, {}};
  return {s.substr(0, nul), s.substr(nul + 1)};
}

}  // namespace fuzz
