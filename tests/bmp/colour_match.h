// Comparing a whole drawn picture against a model in one assertion that
// names the first differing pixel.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/picture.h"

namespace varne::test {

// The same size, and each channel of every pixel (0x00RRGGBB) within
// `tolerance` levels of the expected one.
::testing::AssertionResult ColoursMatch(const Picture& drawn, const Picture& expected, int tolerance = 0);

}  // namespace varne::test
