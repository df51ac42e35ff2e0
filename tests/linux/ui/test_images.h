// Small bitmaps for the dialog tests: .bmp files written here and random
// sections. A shown surface reads back through PictureFromSection.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace varne::test {

using PixelFunction = std::function<std::uint32_t(int x, int y)>;  // 0x00RRGGBB, y from the top

// Writes a 24-bit bottom-up .bmp of w x h into the test's temporary folder.
std::string WriteBmp24(const std::string& name, int w, int h, const PixelFunction& pixel);

// A 32-bpp DIB section of random colours, fourth bytes 0 as in the system's
// images, or random as well when `fourthBytes`: the picture area then shows
// a premultiplied copy of it.
HBITMAP RandomSection(int w, int h, bool topDown, std::mt19937& random, bool fourthBytes = false);

// A deterministic photo-like picture with every channel varying.
std::uint32_t Gradient(int x, int y);

}  // namespace varne::test
