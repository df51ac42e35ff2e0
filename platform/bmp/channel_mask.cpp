#include "platform/bmp/channel_mask.h"

#include <bit>

namespace varne::bmp {

std::optional<ChannelMask> MakeChannelMask(std::uint32_t mask) {
  if (mask == 0) return ChannelMask{};
  const int shift = std::countr_zero(mask);
  const std::uint32_t run = mask >> shift;
  if ((run & (run + 1)) != 0) return std::nullopt;  // a gap inside the run
  return ChannelMask{mask, shift, std::popcount(mask)};
}

std::uint8_t ChannelTo8Bits(std::uint32_t word, const ChannelMask& channel) {
  if (channel.bits == 0) return 0;
  const std::uint32_t value = (word & channel.mask) >> channel.shift;
  if (channel.bits >= 8) return static_cast<std::uint8_t>(value >> (channel.bits - 8));
  std::uint32_t widened = 0;
  for (int filled = 0; filled < 8; filled += channel.bits) {
    widened = (widened << channel.bits) | value;
  }
  // The loop overshoots to a multiple of the channel width; drop the excess.
  const int excess = ((8 + channel.bits - 1) / channel.bits) * channel.bits - 8;
  return static_cast<std::uint8_t>(widened >> excess);
}

}  // namespace varne::bmp
