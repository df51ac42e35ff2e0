// The channel masks a 16-bpp BI_RGB section or file stands for: 5-5-5, the
// top bit unused. Sections and the file decoder read such words alike.
#pragma once

#include <array>
#include <cstdint>

namespace varne::raster {

inline constexpr std::array<std::uint32_t, 3> kDefault16Masks{0x7C00, 0x03E0, 0x001F};

}  // namespace varne::raster
