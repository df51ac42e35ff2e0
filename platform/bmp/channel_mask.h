// One colour channel of a BI_BITFIELDS pixel: which bits hold it and how to
// bring it to 8 bits.
#pragma once

#include <cstdint>
#include <optional>

namespace varne::bmp {

struct ChannelMask {
  std::uint32_t mask = 0;
  int shift = 0;  // position of the lowest set bit
  int bits = 0;   // number of set bits; 0 for a channel that is absent
};

// Nothing when the set bits are not one contiguous run.
std::optional<ChannelMask> MakeChannelMask(std::uint32_t mask);

// The channel's value in `word` at 8 bits: wider channels keep their top
// 8 bits, narrower ones repeat their bits downwards, so full scale stays
// full scale (5-bit 31 becomes 255, 1-bit 1 becomes 255).
std::uint8_t ChannelTo8Bits(std::uint32_t word, const ChannelMask& channel);

}  // namespace varne::bmp
