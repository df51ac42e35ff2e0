// Studio-range luma (16 to 235) written out from its definition, so the
// effects' grey levels and thresholds are checked against a formula that
// owes nothing to the system's own code.
#pragma once

#include <cstdint>

namespace varne::test {

// `pixel` is 0x00RRGGBB; the fourth byte is ignored.
constexpr int ModelLuma(std::uint32_t pixel) {
  const int red = static_cast<int>(pixel >> 16 & 0xFF);
  const int green = static_cast<int>(pixel >> 8 & 0xFF);
  const int blue = static_cast<int>(pixel & 0xFF);
  return ((66 * red + 129 * green + 25 * blue + 128) >> 8) + 16;
}

}  // namespace varne::test
