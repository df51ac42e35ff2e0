#include "effects/pixel/pixel_effects.h"
#include "effects/pixel/luma_words.h"
#include "image/dib32.h"

HBITMAP ThresholdDib(HBITMAP image, int t) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return nullptr;
  const bool inverted = t < 0;
  const DWORD high = inverted ? 0x000000u : 0xFFFFFFu;
  const DWORD low = inverted ? 0xFFFFFFu : 0x000000u;
  // Negated in 64 bits so INT_MIN is safe; luma never exceeds 255, so any
  // larger limit gives the same picture.
  const long long magnitude = inverted ? -static_cast<long long>(t) : t;
  const DWORD limit = magnitude > 255 ? 255u : static_cast<DWORD>(magnitude);
  GdiFlush();
  RewriteWordsByLuma(pixels.words, WordCount(pixels),
                     [=](DWORD luma) { return luma > limit ? high : low; });
  return image;
}
