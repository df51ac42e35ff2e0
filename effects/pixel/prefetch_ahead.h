// A pixel pass asks for its words a few kilobytes before it reaches them.
// On this machine type the hardware prefetcher runs too close behind a loop
// that spends a dozen instructions on each cache line: the loads then wait
// on memory, and a grey pass over a large picture ran at half the speed of
// a plain inversion, which has a third of the work. With the line 4 KiB
// ahead requested, the same pass runs twice as fast (docs/performance.md).
#pragma once

#include <cstddef>

#include "platform/win32.h"

// Words a pass runs ahead of itself: one 4 KiB page.
constexpr std::size_t kPrefetchWordsAhead = 1024;

// For a loop over words[0, count) that rewrites them in place and is at i;
// nothing is requested past the end.
inline void PrefetchAhead(const DWORD* words, std::size_t i, std::size_t count) {
  if (count - i > kPrefetchWordsAhead) __builtin_prefetch(words + i + kPrefetchWordsAhead, 1);
}
