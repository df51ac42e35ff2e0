#include <algorithm>
#include <cstring>

#include "platform/bmp/bmp_decoder.h"
#include "platform/bmp/bottom_up_rows.h"
#include "platform/bmp/byte_cursor.h"
#include "platform/bmp/channel_mask.h"
#include "platform/bmp/rle_decoder.h"

namespace varne::bmp {
namespace {

// Stored rows have the section's padded length, so each is one copy; a
// file that ends early leaves its last rows (and the end of a row) zero.
void CopyRows(ByteCursor& cursor, const BottomUpRows& rows) {
  for (std::int32_t row = 0; row < rows.height() && cursor.remaining() > 0; ++row) {
    const std::span<const std::uint8_t> stored = cursor.Take(rows.rowBytes());
    std::memcpy(rows.Row(row).data(), stored.data(), stored.size());
  }
}

struct FileChannels {
  ChannelMask red;
  ChannelMask green;
  ChannelMask blue;
};

FileChannels ChannelsOf(const BmpLayout& layout) {
  return {*MakeChannelMask(layout.fileMasks[0]), *MakeChannelMask(layout.fileMasks[1]),
          *MakeChannelMask(layout.fileMasks[2])};
}

// Any other 32-bit channel layout becomes 0x00RRGGBB; the fourth byte is
// 0, as the platform's loader leaves it for such files.
void Rebuild32(std::span<const std::uint8_t> stored, const FileChannels& channels,
               std::span<std::uint8_t> out, std::size_t pixels) {
  ByteCursor words(stored);
  for (std::size_t x = 0; x < pixels; ++x) {
    std::uint32_t word = 0;
    words.ReadU32(word);
    out[4 * x] = ChannelTo8Bits(word, channels.blue);
    out[4 * x + 1] = ChannelTo8Bits(word, channels.green);
    out[4 * x + 2] = ChannelTo8Bits(word, channels.red);
  }
}

// 16-bit words whose masks the section cannot carry become 5-5-5 words.
void Rebuild16(std::span<const std::uint8_t> stored, const FileChannels& channels,
               std::span<std::uint8_t> out, std::size_t pixels) {
  ByteCursor words(stored);
  for (std::size_t x = 0; x < pixels; ++x) {
    std::uint16_t word = 0;
    words.ReadU16(word);
    const std::uint32_t packed = ((ChannelTo8Bits(word, channels.red) >> 3) << 10) |
                                 ((ChannelTo8Bits(word, channels.green) >> 3) << 5) |
                                 (ChannelTo8Bits(word, channels.blue) >> 3);
    out[2 * x] = static_cast<std::uint8_t>(packed);
    out[2 * x + 1] = static_cast<std::uint8_t>(packed >> 8);
  }
}

template <typename RebuildRow>
void RebuildMaskedRows(ByteCursor& cursor, const BmpLayout& layout, const BottomUpRows& rows,
                       RebuildRow rebuild) {
  const FileChannels channels = ChannelsOf(layout);
  const std::size_t pixelBytes = static_cast<std::size_t>(layout.bitCount) / 8;
  for (std::int32_t row = 0; row < rows.height() && cursor.remaining() > 0; ++row) {
    const std::span<const std::uint8_t> stored = cursor.Take(rows.rowBytes());
    const std::size_t pixels =
        std::min<std::size_t>(static_cast<std::size_t>(layout.width), stored.size() / pixelBytes);
    rebuild(stored, channels, rows.Row(row), pixels);
  }
}

}  // namespace

void DecodeBmpPixels(const BmpLayout& layout, std::span<const std::uint8_t> file,
                     std::span<std::uint8_t> bottomUpRows) {
  if (bottomUpRows.size() < layout.imageBytes || layout.pixelOffset > file.size()) return;
  const BottomUpRows rows(bottomUpRows, layout.rowBytes, layout.height, layout.topDown);
  ByteCursor cursor(file.subspan(layout.pixelOffset));
  switch (layout.encoding) {
    case PixelEncoding::kRows:
      CopyRows(cursor, rows);
      break;
    case PixelEncoding::kMaskedRows32:
      RebuildMaskedRows(cursor, layout, rows, Rebuild32);
      break;
    case PixelEncoding::kMaskedRows16:
      RebuildMaskedRows(cursor, layout, rows, Rebuild16);
      break;
    case PixelEncoding::kRle8:
      DecodeRle(file.subspan(layout.pixelOffset), RleKind::kRle8, layout.width, rows);
      break;
    case PixelEncoding::kRle4:
      DecodeRle(file.subspan(layout.pixelOffset), RleKind::kRle4, layout.width, rows);
      break;
  }
}

}  // namespace varne::bmp
