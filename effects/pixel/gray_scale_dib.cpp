#include "effects/pixel/pixel_effects.h"
#include "effects/pixel/rewrite_words.h"
#include "effects/pixel/studio_luma.h"
#include "image/dib32.h"

HBITMAP GrayScaleDib(HBITMAP image) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  GdiFlush();
  RewriteWords(pixels.words, WordCount(pixels), [](DWORD word) { return StudioLuma(word) * 0x010101u; });
  return image;
}
