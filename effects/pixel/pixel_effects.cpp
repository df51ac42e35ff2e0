#include "effects/pixel/pixel_effects.h"

#include <cstddef>

#include "effects/pixel/pixel_loops.h"
#include "image/dib32.h"

namespace {

// Each word replaced by what grey or threshold makes of its luma, through
// the widest loop this processor runs; below the effects, with the word
// makers' vector forms.
void GreyWords(DWORD* words, std::size_t count);
void LevelWords(DWORD* words, std::size_t count, DWORD limit, DWORD high, DWORD low);

}  // namespace

HBITMAP GrayScaleDib(HBITMAP image) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  GdiFlush();
  GreyWords(pixels.words, WordCount(pixels));
  return image;
}

HBITMAP ThresholdDib(HBITMAP image, int t) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  const bool inverted = t < 0;
  // Negated in 64 bits so INT_MIN is safe; luma never exceeds 255, so any
  // larger limit gives the same picture.
  const long long magnitude = inverted ? -static_cast<long long>(t) : t;
  const DWORD limit = magnitude > 255 ? 255u : static_cast<DWORD>(magnitude);
  const DWORD high = inverted ? 0x000000u : 0xFFFFFFu;
  const DWORD low = inverted ? 0xFFFFFFu : 0x000000u;
  GdiFlush();
  LevelWords(pixels.words, WordCount(pixels), limit, high, low);
  return image;
}

HBITMAP InvertDib(HBITMAP image) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  GdiFlush();
  // Each channel complemented in its own place; the fourth byte is not a
  // colour and is cleared like every computed pixel's.
  RewriteWords(pixels.words, WordCount(pixels), [](DWORD word) { return ~word & 0x00FFFFFFu; });
  return image;
}

namespace {

// The grey whose three channels are the luma.
struct GreyOfLuma {
  DWORD operator()(DWORD luma) const { return luma * 0x010101u; }
#if defined(__SSE2__)
  __m128i operator()(__m128i luma) const {
    return _mm_or_si128(luma, _mm_or_si128(_mm_slli_epi32(luma, 8), _mm_slli_epi32(luma, 16)));
  }
#endif
#if defined(VARNE_AVX2_PATH)
  VARNE_AVX2 __m256i operator()(__m256i luma) const {
    return _mm256_or_si256(luma,
                           _mm256_or_si256(_mm256_slli_epi32(luma, 8), _mm256_slli_epi32(luma, 16)));
  }
#endif
};

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

void GreyWords(DWORD* words, std::size_t count) { RewriteWordsByLuma(words, count, GreyOfLuma{}); }

void LevelWords(DWORD* words, std::size_t count, DWORD limit, DWORD high, DWORD low) {
  RewriteWordsByLuma(words, count, LevelOfLuma{limit, high, low});
}

}  // namespace
