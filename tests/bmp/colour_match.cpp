#include "tests/bmp/colour_match.h"

#include <cstdio>
#include <cstdlib>

namespace varne::test {
namespace {

bool WithinTolerance(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(difference) > tolerance) return false;
  }
  return true;
}

}  // namespace

::testing::AssertionResult ColoursMatch(const Picture& drawn, const Picture& expected, int tolerance) {
  if (drawn.width != expected.width || drawn.height != expected.height) {
    return ::testing::AssertionFailure() << "drew " << drawn.width << "x" << drawn.height << ", expected "
                                         << expected.width << "x" << expected.height;
  }
  int mismatches = 0;
  char first[96] = "";
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const std::uint32_t got = drawn.at(x, y);
      const std::uint32_t want = expected.at(x, y) & 0x00FFFFFF;
      if (WithinTolerance(got, want, tolerance)) continue;
      if (mismatches++ == 0) {
        std::snprintf(first, sizeof first, "(%d, %d): got %06X, expected %06X", x, y,
                      static_cast<unsigned>(got), static_cast<unsigned>(want));
      }
    }
  }
  if (mismatches == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << mismatches << " pixels differ, first at " << first;
}

}  // namespace varne::test
