#include "effects/pixel/pixel_effects.h"
#include "effects/pixel/luma_words.h"
#include "image/dib32.h"

namespace {

// `high` above the limit, `low` at or below it.
struct LevelOfLuma {
  DWORD limit;
  DWORD high;
  DWORD low;

  DWORD operator()(DWORD luma) const { return luma > limit ? high : low; }
#if defined(__SSE2__)
  // The compare is signed, which is safe: luma and limit are at most 255.
  __m128i operator()(__m128i luma) const {
    const __m128i above = _mm_cmpgt_epi32(luma, _mm_set1_epi32(static_cast<int>(limit)));
    return _mm_xor_si128(_mm_set1_epi32(static_cast<int>(low)),
                         _mm_and_si128(above, _mm_set1_epi32(static_cast<int>(high ^ low))));
  }
#endif
#if defined(VARNE_AVX2_PATH)
  VARNE_AVX2 __m256i operator()(__m256i luma) const {
    const __m256i above = _mm256_cmpgt_epi32(luma, _mm256_set1_epi32(static_cast<int>(limit)));
    return _mm256_xor_si256(_mm256_set1_epi32(static_cast<int>(low)),
                            _mm256_and_si256(above, _mm256_set1_epi32(static_cast<int>(high ^ low))));
  }
#endif
};

}  // namespace

HBITMAP ThresholdDib(HBITMAP image, int t) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  const bool inverted = t < 0;
  // Negated in 64 bits so INT_MIN is safe; luma never exceeds 255, so any
  // larger limit gives the same picture.
  const long long magnitude = inverted ? -static_cast<long long>(t) : t;
  const DWORD limit = magnitude > 255 ? 255u : static_cast<DWORD>(magnitude);
  const LevelOfLuma level = inverted ? LevelOfLuma{limit, 0x000000u, 0xFFFFFFu}
                                     : LevelOfLuma{limit, 0xFFFFFFu, 0x000000u};
  GdiFlush();
  RewriteWordsByLuma(pixels.words, WordCount(pixels), level);
  return image;
}
