// Comparing a whole drawn image against a model in one assertion that
// names the first differing pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace varne::test {

// Each channel of every pixel within `tolerance` levels of the expected one.
::testing::AssertionResult ColoursMatch(const std::vector<std::uint32_t>& drawn, int width,
                                        int height,
                                        const std::function<std::uint32_t(int x, int y)>& expected,
                                        int tolerance = 0);

}  // namespace varne::test
