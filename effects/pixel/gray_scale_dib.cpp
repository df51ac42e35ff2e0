#include <cstddef>

#include "effects/pixel/pixel_effects.h"
#include "effects/pixel/studio_luma.h"
#include "image/dib32.h"

HBITMAP GrayScaleDib(HBITMAP image) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  GdiFlush();
  DWORD* const words = pixels.words;
  const std::size_t count = WordCount(pixels);
  for (std::size_t i = 0; i < count; ++i) words[i] = StudioLuma(words[i]) * 0x010101u;
  return image;
}
