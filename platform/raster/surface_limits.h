// The largest surface the layer will allocate. Every size computation that
// leads to an allocation (the raster layer's and the BMP decoder's) goes
// through CheckedSurfaceBytes, so a hostile width or height is refused up
// front instead of overflowing or reserving gigabytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace varne::raster {

// 1 GiB of pixel memory: room for an 8000 x 8000 image turned by 45 degrees
// (about 11314 x 11314 at 32 bpp, 488 MiB) with margin, and far below what
// the machine could not hold. Set by the build (VARNE_SURFACE_CAP_MIB), so
// that the fuzzers' memory limits follow it.
inline constexpr std::uint64_t kMaxSurfaceBytes = std::uint64_t{VARNE_SURFACE_CAP_MIB} << 20;
inline constexpr std::int64_t kMaxSurfaceDimension = 1 << 20;

// Bytes of one row, padded to 32 bits, as every DIB and DDB row is.
std::optional<std::uint64_t> CheckedRowBytes(std::int64_t width, int bitsPerPixel);

// Row bytes times rows, or nothing if either dimension is out of range or
// the product is above kMaxSurfaceBytes.
std::optional<std::uint64_t> CheckedSurfaceBytes(std::int64_t width, std::int64_t height,
                                                 int bitsPerPixel);

}  // namespace varne::raster
