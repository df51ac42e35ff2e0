#include "effects/pixel/pixel_effects.h"
#include "effects/pixel/luma_words.h"
#include "image/dib32.h"

HBITMAP GrayScaleDib(HBITMAP image) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  GdiFlush();
  RewriteWordsByLuma(pixels.words, WordCount(pixels), [](DWORD luma) { return luma * 0x010101u; });
  return image;
}
