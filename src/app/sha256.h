#pragma once
// SHA-256 of short texts, for the action log's chain: one record's hash is taken per file a run handles, so
// the hash runs on the processor's SHA instructions where it has them (most x86-64 processors since 2017)
// and on portable code elsewhere. Both give the standard digest (FIPS 180-4).
#include <array>
#include <cstdint>
#include <string_view>

namespace vek {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The digest of `first` followed by `second`.
Sha256Digest Sha256(std::string_view first, std::string_view second = {});

// Which code computes the digest: the processor's SHA instructions (when it has them) or portable code.
enum class Sha256Code : std::uint8_t { Best, Portable };
// Chooses the code for this process (tests compare both); Best is the default.
void UseSha256Code(Sha256Code code);
// The processor has the SHA instructions and they are in use.
bool Sha256InHardware();

}  // namespace vek
