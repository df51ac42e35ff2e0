// The loop of the effects that map each word through its luma.
#pragma once

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effects/pixel/cpu_has_avx2.h"
#include "effects/pixel/prefetch_ahead.h"
#include "effects/pixel/studio_luma.h"
#include "platform/win32.h"

// The vector lumas: masked to bytes in alternate 16-bit lanes a word is the
// pair (blue, red), and shifted right by a byte it is (green, fourth); one
// multiply-add of each pair by its weights makes the whole sum, the fourth
// byte weighing nothing. Adding 16 << 8 before the shift is the same as
// adding 16 after it. Each 32-bit lane holds one word's luma.
#if defined(__SSE2__)
inline __m128i LumaOf4(__m128i words) {
  const __m128i blueRed = _mm_and_si128(words, _mm_set1_epi32(0x00FF00FF));
  const __m128i greenFourth = _mm_srli_epi16(words, 8);
  const __m128i sum = _mm_add_epi32(_mm_madd_epi16(blueRed, _mm_set1_epi32(66 << 16 | 25)),
                                    _mm_madd_epi16(greenFourth, _mm_set1_epi32(129)));
  return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(128 + (16 << 8))), 8);
}
#endif

#if defined(VARNE_AVX2_PATH)
VARNE_AVX2 inline __m256i LumaOf8(__m256i words) {
  const __m256i blueRed = _mm256_and_si256(words, _mm256_set1_epi32(0x00FF00FF));
  const __m256i greenFourth = _mm256_srli_epi16(words, 8);
  const __m256i sum = _mm256_add_epi32(_mm256_madd_epi16(blueRed, _mm256_set1_epi32(66 << 16 | 25)),
                                       _mm256_madd_epi16(greenFourth, _mm256_set1_epi32(129)));
  return _mm256_srli_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(128 + (16 << 8))), 8);
}
#endif

// Each word replaced by `fromLuma` of its luma. `fromLuma` maps a DWORD
// luma to a word, and the lumas in the 32-bit lanes of an __m128i (and,
// compiled for AVX2, an __m256i) to words. Everything is inlined, so no
// call is made per pixel and the pass runs near the memory's speed. Each
// round of the vector loops is sixteen words, one cache line's worth.
template <typename FromLuma>
inline void RewriteWordsByLumaSse2(DWORD* words, std::size_t count, FromLuma fromLuma) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; count - i >= 16; i += 16) {
    PrefetchAhead(words, i, count);
    auto* const line = reinterpret_cast<__m128i*>(words + i);
    for (int k = 0; k < 4; ++k) _mm_storeu_si128(line + k, fromLuma(LumaOf4(_mm_loadu_si128(line + k))));
  }
  for (; count - i >= 4; i += 4) {
    auto* const four = reinterpret_cast<__m128i*>(words + i);
    _mm_storeu_si128(four, fromLuma(LumaOf4(_mm_loadu_si128(four))));
  }
#endif
  for (; i < count; ++i) words[i] = fromLuma(StudioLuma(words[i]));
}

#if defined(VARNE_AVX2_PATH)
template <typename FromLuma>
VARNE_AVX2 void RewriteWordsByLumaAvx2(DWORD* words, std::size_t count, FromLuma fromLuma) {
  std::size_t i = 0;
  for (; count - i >= 16; i += 16) {
    PrefetchAhead(words, i, count);
    auto* const line = reinterpret_cast<__m256i*>(words + i);
    _mm256_storeu_si256(line, fromLuma(LumaOf8(_mm256_loadu_si256(line))));
    _mm256_storeu_si256(line + 1, fromLuma(LumaOf8(_mm256_loadu_si256(line + 1))));
  }
  for (; count - i >= 8; i += 8) {
    auto* const eight = reinterpret_cast<__m256i*>(words + i);
    _mm256_storeu_si256(eight, fromLuma(LumaOf8(_mm256_loadu_si256(eight))));
  }
  for (; i < count; ++i) words[i] = fromLuma(StudioLuma(words[i]));
}
#endif

template <typename FromLuma>
inline void RewriteWordsByLuma(DWORD* words, std::size_t count, FromLuma fromLuma) {
#if defined(VARNE_AVX2_PATH)
  if (CpuHasAvx2()) {
    RewriteWordsByLumaAvx2(words, count, fromLuma);
    return;
  }
#endif
  RewriteWordsByLumaSse2(words, count, fromLuma);
}
