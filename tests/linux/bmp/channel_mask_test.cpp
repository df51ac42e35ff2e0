// Channel masks against brute force over every contiguous mask and value.
#include <gtest/gtest.h>

#include <random>

#include "platform/bmp/channel_mask.h"
#include "tests/support/picture.h"

namespace varne::bmp {
namespace {

bool IsOneRunOfBits(std::uint32_t mask) {
  int runs = 0;
  for (int bit = 0; bit < 32; ++bit) {
    const bool set = (mask >> bit) & 1;
    const bool previous = bit > 0 && ((mask >> (bit - 1)) & 1);
    if (set && !previous) ++runs;
  }
  return runs <= 1;
}

TEST(ChannelMaskTest, AcceptsExactlyTheContiguousMasks) {
  std::mt19937 random(2024);
  for (int i = 0; i < 20000; ++i) {
    // Sparse and dense random masks, and runs with one bit knocked out.
    std::uint32_t mask = random();
    if (i % 3 == 0) mask &= random();
    if (i % 3 == 1) {
      const int shift = static_cast<int>(random() % 32);
      const int length = static_cast<int>(random() % (33 - shift));
      mask = length == 32 ? 0xFFFFFFFFu : ((std::uint32_t{1} << length) - 1) << shift;
      if (i % 2 == 0) mask &= ~(std::uint32_t{1} << (random() % 32));
    }
    SCOPED_TRACE(mask);
    const auto channel = MakeChannelMask(mask);
    ASSERT_EQ(channel.has_value(), IsOneRunOfBits(mask));
  }
}

TEST(ChannelMaskTest, WidensEveryValueOfEveryPlacedWidthLikeTheModel) {
  for (int bits = 1; bits <= 16; ++bits) {
    for (const int shift : {0, 3, 32 - bits}) {
      const std::uint32_t mask = ((std::uint32_t{1} << bits) - 1) << shift;
      const auto channel = MakeChannelMask(mask);
      ASSERT_TRUE(channel.has_value());
      EXPECT_EQ(channel->bits, bits);
      EXPECT_EQ(channel->shift, shift);
      for (std::uint32_t value = 0; value < (std::uint32_t{1} << bits); ++value) {
        // Noise in the other bits must not leak into the channel.
        const std::uint32_t word = (value << shift) | (~mask & 0xA5A5A5A5u);
        ASSERT_EQ(ChannelTo8Bits(word, *channel), varne::test::WidenChannel(value, bits))
            << "bits " << bits << " value " << value;
      }
    }
  }
}

TEST(ChannelMaskTest, FullScaleStaysFullScaleAndAbsentChannelReadsZero) {
  for (int bits = 1; bits <= 32; ++bits) {
    const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << bits) - 1;
    EXPECT_EQ(ChannelTo8Bits(0xFFFFFFFFu, *MakeChannelMask(mask)), 255) << bits;
    EXPECT_EQ(ChannelTo8Bits(0, *MakeChannelMask(mask)), 0) << bits;
  }
  EXPECT_EQ(ChannelTo8Bits(0xFFFFFFFFu, *MakeChannelMask(0)), 0);
}

}  // namespace
}  // namespace varne::bmp
