// The loop of the effects that map each word through its luma.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "effects/pixel/studio_luma.h"
#include "platform/win32.h"

constexpr std::size_t kLumaBlock = 16;

// StudioLuma of kLumaBlock words. The weighted sum is at most
// 220 * 255 + 128 = 56 228, so it is computed in 16-bit lanes: SSE2 has a
// single multiply for those (eight at a time), none for 32-bit lanes, and
// the compiler does not find this narrowing itself.
inline void LumaOfBlock(const DWORD* words, std::uint16_t* luma) {
#if defined(__SSE2__)
  const __m128i byte = _mm_set1_epi32(0xFF);
  for (std::size_t half = 0; half < kLumaBlock; half += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + half));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + half + 4));
    // Channels of at most 255 pack into 16 bits without saturating.
    const __m128i blue = _mm_packs_epi32(_mm_and_si128(a, byte), _mm_and_si128(b, byte));
    const __m128i green = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(a, 8), byte),
                                          _mm_and_si128(_mm_srli_epi32(b, 8), byte));
    const __m128i red = _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(a, 16), byte),
                                        _mm_and_si128(_mm_srli_epi32(b, 16), byte));
    const __m128i sum = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(red, _mm_set1_epi16(66)), _mm_mullo_epi16(green, _mm_set1_epi16(129))),
        _mm_add_epi16(_mm_mullo_epi16(blue, _mm_set1_epi16(25)), _mm_set1_epi16(128)));
    const __m128i result = _mm_add_epi16(_mm_srli_epi16(sum, 8), _mm_set1_epi16(16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + half), result);
  }
#else
  for (std::size_t k = 0; k < kLumaBlock; ++k) luma[k] = static_cast<std::uint16_t>(StudioLuma(words[k]));
#endif
}

// Each word replaced by `fromLuma` of its luma; `fromLuma` is inlined.
template <typename FromLuma>
inline void RewriteWordsByLuma(DWORD* words, std::size_t count, FromLuma fromLuma) {
  std::size_t i = 0;
  for (; count - i >= kLumaBlock; i += kLumaBlock) {
    std::uint16_t luma[kLumaBlock];
    LumaOfBlock(words + i, luma);
    for (std::size_t k = 0; k < kLumaBlock; ++k) words[i + k] = fromLuma(DWORD{luma[k]});
  }
  for (; i < count; ++i) words[i] = fromLuma(StudioLuma(words[i]));
}
