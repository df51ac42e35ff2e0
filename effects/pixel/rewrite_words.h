// The one loop every pixel effect runs: each word rewritten from itself.
#pragma once

#include <cstddef>

#include "effects/pixel/prefetch_ahead.h"
#include "platform/win32.h"

// `rewrite` maps a word to its new value and is inlined, so no call is made
// per pixel. Blocks of a fixed length are what the -O2 cost model of GCC
// agrees to vectorise (an open-ended loop needs -O3); the last few words
// go one at a time. A block is one cache line's worth of words.
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
