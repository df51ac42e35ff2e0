#include "effects/pixel/pixel_effects.h"
#include "effects/pixel/rewrite_words.h"
#include "image/dib32.h"

HBITMAP InvertDib(HBITMAP image) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  GdiFlush();
  // Each channel complemented in its own place; the fourth byte is not a
  // colour and is cleared like every computed pixel's.
  RewriteWords(pixels.words, WordCount(pixels), [](DWORD word) { return ~word & 0x00FFFFFFu; });
  return image;
}
