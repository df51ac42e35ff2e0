#include "platform/raster/surface_limits.h"

namespace varne::raster {

namespace {

bool IsSupportedDepth(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::optional<std::uint64_t> CheckedRowBytes(std::int64_t width, int bitsPerPixel) {
  if (width < 1 || width > kMaxSurfaceDimension || !IsSupportedDepth(bitsPerPixel)) {
    return std::nullopt;
  }
  // Both factors are bounded above, so the product fits in 64 bits.
  const std::uint64_t bits = static_cast<std::uint64_t>(width) * static_cast<unsigned>(bitsPerPixel);
  return (bits + 31) / 32 * 4;
}

std::optional<std::uint64_t> CheckedSurfaceBytes(std::int64_t width, std::int64_t height,
                                                 int bitsPerPixel) {
  if (height < 1 || height > kMaxSurfaceDimension) return std::nullopt;
  const std::optional<std::uint64_t> rowBytes = CheckedRowBytes(width, bitsPerPixel);
  if (!rowBytes) return std::nullopt;
  const std::uint64_t total = *rowBytes * static_cast<std::uint64_t>(height);
  if (total > kMaxSurfaceBytes) return std::nullopt;
  return total;
}

}  // namespace varne::raster
