#include "app/sha256.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#define VEK_SHA_X86 1
#endif

namespace vek {

namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t kStart[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                     0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

using Compress = void (*)(std::uint32_t state[8], const std::uint8_t* data, std::size_t blocks);

constexpr std::uint32_t Rotr(std::uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

void CompressPortable(std::uint32_t state[8], const std::uint8_t* data, std::size_t blocks) {
  for (; blocks > 0; --blocks, data += 64) {
    std::uint32_t w[64];
    for (int t = 0; t < 16; ++t)
      w[t] = std::uint32_t(data[4 * t]) << 24 | std::uint32_t(data[4 * t + 1]) << 16 |
             std::uint32_t(data[4 * t + 2]) << 8 | std::uint32_t(data[4 * t + 3]);
    for (int t = 16; t < 64; ++t) {
      const std::uint32_t s0 = Rotr(w[t - 15], 7) ^ Rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
      const std::uint32_t s1 = Rotr(w[t - 2], 17) ^ Rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
      w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int t = 0; t < 64; ++t) {
      const std::uint32_t t1 =
          h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[t] + w[t];
      const std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#ifdef VEK_SHA_X86
// The SHA extensions keep the state as two vectors, ABEF and CDGH, and do two rounds per instruction; the
// message schedule of four words at a time comes from sha256msg1/sha256msg2.
__attribute__((target("sha,sse4.1"))) void CompressShaNi(std::uint32_t state[8], const std::uint8_t* data,
                                                         std::size_t blocks) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);
  __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
  __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  hgfe = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, hgfe, 8);
  __m128i cdgh = _mm_blend_epi16(hgfe, cdab, 0xF0);
  for (; blocks > 0; --blocks, data += 64) {
    const __m128i abefBefore = abef, cdghBefore = cdgh;
    __m128i w[4];
    for (int i = 0; i < 16; ++i) {
      __m128i& wi = w[i & 3];
      if (i < 4) {
        wi = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
      } else {
        // w[i-4] is the slot being replaced; w[i-3], w[i-2], w[i-1] are the three after it.
        __m128i next = _mm_sha256msg1_epu32(wi, w[(i + 1) & 3]);
        next = _mm_add_epi32(next, _mm_alignr_epi8(w[(i + 3) & 3], w[(i + 2) & 3], 4));
        wi = _mm_sha256msg2_epu32(next, w[(i + 3) & 3]);
      }
      __m128i msg = _mm_add_epi32(wi, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kRound[4 * i])));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, msg);
      msg = _mm_shuffle_epi32(msg, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, msg);
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}

bool CpuHasSha() {
  // Asked of the processor itself (not every compiler's __builtin_cpu_supports knows "sha"): SHA in leaf 7's
  // EBX bit 29, SSE4.1 in leaf 1's ECX bit 19.
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & (1u << 19))) return false;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & (1u << 29));
}
#else
bool CpuHasSha() {
  return false;
}
#endif

Compress BestCompress() {
#ifdef VEK_SHA_X86
  if (CpuHasSha()) return CompressShaNi;
#endif
  return CompressPortable;
}

std::atomic<Compress> g_compress{BestCompress()};

// Feeds bytes through a 64-byte buffer, compressing whole blocks straight from the input.
class Hasher {
 public:
  explicit Hasher(Compress compress) : compress_(compress) { std::memcpy(state_, kStart, sizeof state_); }

  void Add(std::string_view bytes) {
    auto p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t n = bytes.size();
    total_ += n;
    if (used_ > 0) {
      const std::size_t take = std::min(n, 64 - used_);
      std::memcpy(block_ + used_, p, take);
      used_ += take;
      p += take;
      n -= take;
      if (used_ < 64) return;
      compress_(state_, block_, 1);
      used_ = 0;
    }
    if (n >= 64) {
      compress_(state_, p, n / 64);
      p += n / 64 * 64;
      n %= 64;
    }
    std::memcpy(block_, p, n);
    used_ = n;
  }

  Sha256Digest Finish() {
    const std::uint64_t bits = total_ * 8;
    block_[used_++] = 0x80;
    if (used_ > 56) {
      std::memset(block_ + used_, 0, 64 - used_);
      compress_(state_, block_, 1);
      used_ = 0;
    }
    std::memset(block_ + used_, 0, 56 - used_);
    for (int i = 0; i < 8; ++i) block_[56 + i] = std::uint8_t(bits >> (56 - 8 * i));
    compress_(state_, block_, 1);
    Sha256Digest out;
    for (int i = 0; i < 8; ++i)
      for (int j = 0; j < 4; ++j) out[std::size_t(4 * i + j)] = std::uint8_t(state_[i] >> (24 - 8 * j));
    return out;
  }

 private:
  Compress compress_;
  std::uint32_t state_[8];
  std::uint8_t block_[64];
  std::size_t used_ = 0;
  std::uint64_t total_ = 0;
};

}  // namespace

Sha256Digest Sha256(std::string_view first, std::string_view second) {
  Hasher h(g_compress.load(std::memory_order_relaxed));
  h.Add(first);
  h.Add(second);
  return h.Finish();
}

void UseSha256Code(Sha256Code code) {
  g_compress = code == Sha256Code::Portable ? CompressPortable : BestCompress();
}

bool Sha256InHardware() {
  return g_compress.load() != CompressPortable;
}

}  // namespace vek
