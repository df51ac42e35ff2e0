// The loops the pixel effects run over a surface's words: the plain loop
// first, then the SSE2 and AVX2 loops and the run-time choice between them.
// Only pixel_effects.cpp and the loops' own test include this header, so
// the vector intrinsics stay out of everything else.
//
// Each effect is one pass of the plain loop: every word rewritten from
// itself, grey and threshold through LumaOf. The vector loops give the same
// words faster than the plain loop as GCC vectorises it at -O3, with AVX2
// and SSE2 alike; they stay while they save more than 15 % over it.
#pragma once

#include <cstddef>

#include "effects/pixel/luma_of.h"
#include "platform/win32.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define VARNE_AVX2_PATH 1
#define VARNE_AVX2 __attribute__((target("avx2")))
#endif

// Words a pass asks for ahead of itself: one 4 KiB page. The hardware
// prefetcher stays too close behind a loop that spends more than a few
// instructions on each cache line, as grey and threshold do. Nothing past
// the end.
constexpr std::size_t kPrefetchWordsAhead = 1024;

inline void PrefetchAhead(const DWORD* words, std::size_t i, std::size_t count) {
  if (count - i > kPrefetchWordsAhead) __builtin_prefetch(words + i + kPrefetchWordsAhead, 1);
}

// The plain loop: `rewrite` maps a word to its new value and is inlined, so
// no call is made per pixel. A block is one cache line's worth of words, so
// the look-ahead asks for each line once.
template <typename Rewrite>
inline void RewriteWords(DWORD* words, std::size_t count, Rewrite rewrite) {
  constexpr std::size_t kBlock = 16;
  std::size_t i = 0;
  for (; count - i >= kBlock; i += kBlock) {
    PrefetchAhead(words, i, count);
    DWORD* const block = words + i;
    for (std::size_t k = 0; k < kBlock; ++k) block[k] = rewrite(block[k]);
  }
  for (; i < count; ++i) words[i] = rewrite(words[i]);
}

// Each word replaced by `fromLuma` of its LumaOf: what GrayScaleDib and
// ThresholdDib do, and what the vector loops below must equal word for word.
template <typename FromLuma>
inline void RewriteWordsByLumaPlain(DWORD* words, std::size_t count, FromLuma fromLuma) {
  RewriteWords(words, count,
               [&](DWORD word) { return fromLuma(static_cast<DWORD>(LumaOf(word))); });
}

// ---------------------------------------------------------------------------
// The vector loops. Same words as RewriteWordsByLumaPlain; `fromLuma` also
// maps the lumas in the 32-bit lanes of an __m128i (and, compiled for AVX2,
// an __m256i) to words. The build targets baseline x86-64, so the 256-bit
// loop is compiled for AVX2 on its own and chosen at run time.

// Masked to bytes in alternate 16-bit lanes a word is the pair (blue, red),
// and shifted right by a byte it is (green, fourth); one multiply-add of each
// pair by its weights makes the whole sum, the fourth byte weighing nothing.
// Adding 16 << 8 before the shift is the same as adding 16 after it. Each
// 32-bit lane holds one word's luma.
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

// Each round is sixteen words, one cache line's worth, as in the plain loop;
// the last few words go through the plain loop.
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
  RewriteWordsByLumaPlain(words + i, count - i, fromLuma);
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
  RewriteWordsByLumaPlain(words + i, count - i, fromLuma);
}
#endif

// Whether this processor and its operating system run 256-bit integer code.
bool CpuHasAvx2();

// The widest loop this processor runs.
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
