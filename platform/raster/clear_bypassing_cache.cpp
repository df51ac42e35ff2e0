#include "platform/raster/clear_bypassing_cache.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varne::raster {

void ClearBypassingCache(std::uint8_t* memory, std::size_t bytes) {
#if defined(__SSE2__)
  // Whole cache lines go out as streaming stores; the ragged ends are
  // cleared the ordinary way.
  constexpr std::size_t kLine = 64;
  const std::size_t intoLine = reinterpret_cast<std::uintptr_t>(memory) % kLine;
  const std::size_t head = intoLine == 0 ? 0 : kLine - intoLine;
  if (bytes < head + kLine) {
    std::memset(memory, 0, bytes);
    return;
  }
  std::memset(memory, 0, head);
  std::uint8_t* line = memory + head;
  std::uint8_t* const end = line + (bytes - head) / kLine * kLine;
  const __m128i zero = _mm_setzero_si128();
  for (; line != end; line += kLine) {
    auto* const quarters = reinterpret_cast<__m128i*>(line);
    _mm_stream_si128(quarters, zero);
    _mm_stream_si128(quarters + 1, zero);
    _mm_stream_si128(quarters + 2, zero);
    _mm_stream_si128(quarters + 3, zero);
  }
  // Streaming stores are weakly ordered; the fence puts them before
  // everything this thread stores next, such as the handle publishing the
  // surface.
  _mm_sfence();
  std::memset(end, 0, memory + bytes - end);
#else
  std::memset(memory, 0, bytes);
#endif
}

}  // namespace varne::raster
