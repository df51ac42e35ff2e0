#include <cstddef>

#include "effects/pixel/pixel_effects.h"
#include "image/dib32.h"

HBITMAP InvertDib(HBITMAP image) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  GdiFlush();
  DWORD* const words = pixels.words;
  const std::size_t count = WordCount(pixels);
  // Each channel complemented in its own place; the fourth byte is not a
  // colour and is cleared like every computed pixel's.
  for (std::size_t i = 0; i < count; ++i) words[i] = ~words[i] & 0x00FFFFFFu;
  return image;
}
