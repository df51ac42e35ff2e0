// A bitmap as the raster layer holds it: either a device-dependent
// monochrome bitmap (CreateBitmap) or a DIB section whose memory the caller
// addresses directly (CreateDIBSection).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/win32_types.h"

namespace varne::raster {

enum class SurfaceKind : std::uint8_t {
  // One bit per pixel, rows of 64-bit words, pixel x at bit x % 64 of word
  // x / 64 (least significant first). Nobody outside the layer sees this
  // memory, so it is laid out for whole-word raster operations.
  kMonochrome,
  // Memory exactly as a DIB of the header's depth: rows padded to 32 bits,
  // bottom-up unless the height was negative, 1/4/8-bpp pixels most
  // significant first.
  kDibSection,
};

// Gives the memory back to the pool it came from, which knows it by size.
struct FreeMemory {
  std::size_t bytes = 0;
  void operator()(std::uint8_t* memory) const;
};

struct Surface {
  SurfaceKind kind = SurfaceKind::kMonochrome;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 1;
  bool topDown = true;
  std::size_t rowBytes = 0;  // stride of the memory, in bytes
  std::unique_ptr<std::uint8_t, FreeMemory> memory;

  // DIB sections only.
  BITMAPINFOHEADER header{};
  std::array<DWORD, 3> masks{};  // red, green, blue; set for 16 and 32 bpp
  std::array<RGBQUAD, 256> colours{};
  int colourCount = 0;

  int selections = 0;  // DCs holding it; at most one unless it is stock

  bool IsMonochrome() const { return kind == SurfaceKind::kMonochrome; }

  // The row at display row y (0 at the top).
  std::uint8_t* Row(std::int64_t y) const {
    const std::size_t memoryRow = topDown ? static_cast<std::size_t>(y)
                                          : static_cast<std::size_t>(height - 1 - y);
    return memory.get() + memoryRow * rowBytes;
  }
};

// Both return nothing when the size is out of range or memory is short.
std::unique_ptr<Surface> MakeMonochromeSurface(int width, int height);
std::unique_ptr<Surface> MakeDibSurface(const BITMAPINFO& info);

}  // namespace varne::raster
