#include "effects/pixel/pixel_effects.h"
#include "effects/pixel/luma_words.h"
#include "image/dib32.h"

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

}  // namespace

HBITMAP GrayScaleDib(HBITMAP image) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  GdiFlush();
  RewriteWordsByLuma(pixels.words, WordCount(pixels), GreyOfLuma{});
  return image;
}
