// Reading back what LoadImageA returned, the same way on both builds:
// the section's description, its stored pixel values, and its colours as
// the platform draws them into a 32-bit surface.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32.h"
#include "tests/support/owned_bitmap.h"
#include "tests/support/picture.h"

namespace varne::test {

// LoadImageA with the flags the system uses.
OwnedBitmap LoadBmpFile(const std::string& path);

std::optional<DIBSECTION> DescribeSection(HBITMAP bitmap);

// The stored pixel value at (x, y), y counted from the top row as
// displayed: a palette index, a 16-bit word, 0x00RRGGBB for 24 bits, or
// the whole 32-bit word.
std::uint32_t StoredValue(const DIBSECTION& section, int x, int y);

// Every pixel as 0x00RRGGBB after a SRCCOPY into a fresh 32-bit section:
// this is what the colour table or masks make of the bits.
Picture DrawnColours(HBITMAP bitmap);

}  // namespace varne::test
