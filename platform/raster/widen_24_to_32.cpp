#include "platform/raster/widen_24_to_32.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define VARNE_SSSE3_PATH 1
#define VARNE_SSSE3 __attribute__((target("ssse3")))
#endif

namespace varne::raster {

namespace {

std::uint32_t LoadWord(const std::uint8_t* at) {
  std::uint32_t word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// Four pixels are twelve bytes, three whole words; each output word takes
// its bytes from one or two of them. Only where words hold their bytes
// lowest first, as on every target the program ships for.
std::size_t WidenByWords(const std::uint8_t* from, std::uint32_t* to, std::size_t count) {
  if constexpr (std::endian::native != std::endian::little) return 0;
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4, from += 12) {
    const std::uint32_t a = LoadWord(from);
    const std::uint32_t b = LoadWord(from + 4);
    const std::uint32_t c = LoadWord(from + 8);
    to[i] = a & 0x00FFFFFFu;
    to[i + 1] = ((a >> 24) | (b << 8)) & 0x00FFFFFFu;
    to[i + 2] = ((b >> 16) | (c << 16)) & 0x00FFFFFFu;
    to[i + 3] = c >> 8;
  }
  return i;
}

#if defined(VARNE_SSSE3_PATH)
bool CpuHasSsse3() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
  }();
  return has;
}

// A streaming store needs `out` on a 16-byte boundary.
template <bool kStreaming>
VARNE_SSSE3 void Store(__m128i* out, __m128i words) {
  if constexpr (kStreaming) {
    _mm_stream_si128(out, words);
  } else {
    _mm_storeu_si128(out, words);
  }
}

// Sixteen pixels, 48 bytes, in three loads that never pass the row's end;
// each group of four is lined up at the start of a register, then one
// shuffle spreads its twelve bytes over four words and zeroes the fourth
// byte of each.
template <bool kStreaming>
VARNE_SSSE3 std::size_t WidenByShuffles(const std::uint8_t* from, std::uint32_t* to,
                                         std::size_t count) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16, from += 48) {
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16));
    const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 32));
    auto* out = reinterpret_cast<__m128i*>(to + i);
    Store<kStreaming>(out, _mm_shuffle_epi8(v0, spread));
    Store<kStreaming>(out + 1, _mm_shuffle_epi8(_mm_alignr_epi8(v1, v0, 12), spread));
    Store<kStreaming>(out + 2, _mm_shuffle_epi8(_mm_alignr_epi8(v2, v1, 8), spread));
    Store<kStreaming>(out + 3, _mm_shuffle_epi8(_mm_srli_si128(v2, 4), spread));
  }
  // Streaming stores are weakly ordered; the fence puts them before
  // anything this thread stores next.
  if constexpr (kStreaming) _mm_sfence();
  return i;
}
#endif

}  // namespace

void Widen24To32(const std::uint8_t* from, std::uint32_t* to, std::size_t count) {
  std::size_t done = 0;
#if defined(VARNE_SSSE3_PATH)
  if (CpuHasSsse3()) done = WidenByShuffles<false>(from, to, count);
#endif
  done += WidenByWords(from + done * 3, to + done, count - done);
  Widen24To32Plain(from + done * 3, to + done, count - done);
}

void Widen24To32BypassingCache(const std::uint8_t* from, std::uint32_t* to, std::size_t count) {
  std::size_t done = 0;
#if defined(VARNE_SSSE3_PATH)
  if (CpuHasSsse3()) {
    // The first few words in the plain way, up to a 16-byte boundary.
    const std::size_t wordsPastBoundary = reinterpret_cast<std::uintptr_t>(to) / 4 % 4;
    done = std::min(count, (4 - wordsPastBoundary) % 4);
    Widen24To32Plain(from, to, done);
    done += WidenByShuffles<true>(from + done * 3, to + done, count - done);
  }
#endif
  Widen24To32(from + done * 3, to + done, count - done);
}

}  // namespace varne::raster
