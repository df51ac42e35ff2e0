// Making and reading Dib32 surfaces in tests, with the handles owned by RAII
// so a failed assertion never leaks a platform object into the next test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "image/dib32.h"
#include "platform/win32.h"
#include "tests/support/owned_bitmap.h"

namespace varne::test {

// A Dib32 made through the screen's context, or null.
inline OwnedBitmap NewDib32(int width, int height) {
  const HDC screen = GetDC(nullptr);
  OwnedBitmap surface(CreateDib32(screen, width, height));
  ReleaseDC(nullptr, screen);
  return surface;
}

// The words of a Dib32 in memory order (bottom row first), or nothing.
inline std::vector<DWORD> WordsOf(HBITMAP image) {
  Dib32Pixels pixels{};
  if (!ReadDib32Pixels(image, &pixels)) return {};
  GdiFlush();
  return std::vector<DWORD>(pixels.words, pixels.words + WordCount(pixels));
}

inline void WriteWords(HBITMAP image, const std::vector<DWORD>& words) {
  Dib32Pixels pixels{};
  ASSERT_TRUE(ReadDib32Pixels(image, &pixels));
  ASSERT_EQ(WordCount(pixels), words.size());
  GdiFlush();
  std::memcpy(pixels.words, words.data(), words.size() * sizeof(DWORD));
}

// Full 32-bit words, fourth byte included, from a fixed seed.
inline std::vector<DWORD> RandomWords(std::size_t count, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<DWORD> words(count);
  for (DWORD& word : words) word = static_cast<DWORD>(generator());
  return words;
}

inline OwnedBitmap RandomDib32(int width, int height, std::uint32_t seed) {
  OwnedBitmap surface = NewDib32(width, height);
  if (surface) {
    WriteWords(surface.get(),
               RandomWords(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), seed));
  }
  return surface;
}

inline BITMAP DescriptionOf(HBITMAP image) {
  BITMAP description{};
  GetObjectA(image, sizeof(description), &description);
  return description;
}

}  // namespace varne::test
