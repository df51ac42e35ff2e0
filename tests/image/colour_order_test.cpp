#include <gtest/gtest.h>

#include "image/colour_order.h"

namespace {

TEST(ColourOrder, ConvertsBothWaysWithTheSameSwap) {
  EXPECT_EQ(PixelFromColorref(0x00C0C0C0), 0x00C0C0C0u);
  EXPECT_EQ(PixelFromColorref(0x00FF8080), 0x008080FFu);
  EXPECT_EQ(ColorrefFromPixel(0x008080FF), 0x00FF8080u);
  // The fourth byte of a pixel never reaches a COLORREF.
  EXPECT_EQ(ColorrefFromPixel(0xAB123456), 0x00563412u);
}

}  // namespace
