#include <algorithm>

#include "image/dib32.h"

HBITMAP CopyDib32(HBITMAP source) {
  Dib32Pixels from{};
  if (!ReadDib32Pixels(source, &from)) return nullptr;
  const HDC screen = GetDC(nullptr);
  const HBITMAP copy = CreateDib32(screen, from.width, from.height);
  ReleaseDC(nullptr, screen);
  Dib32Pixels to{};
  if (!ReadDib32Pixels(copy, &to)) {
    DeleteObject(copy);
    return nullptr;
  }
  // The platform may still be drawing into the source.
  GdiFlush();
  std::copy_n(from.words, WordCount(from), to.words);
  return copy;
}
