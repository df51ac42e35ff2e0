#include <algorithm>

#include "platform/bmp/bmp_decoder.h"
#include "platform/bmp/bottom_up_rows.h"
#include "platform/bmp/channel_mask.h"
#include "platform/bmp/rle_decoder.h"

namespace varne::bmp {
namespace {

// Stored rows have the section's padded length, so each is read straight
// into its place, with no copy of the file in between. A bottom-up file's
// rows lie in the section in file order and arrive in one read; a top-down
// file's go one by one into mirrored rows. Where the data ends, the rest
// of that row and the rows after it stay zero.
void ReadRows(ByteSource& source, const BmpLayout& layout, const BottomUpRows& rows,
              std::span<std::uint8_t> bottomUpRows) {
  if (!layout.topDown) {
    source.ReadAt(layout.pixelOffset, bottomUpRows.first(layout.imageBytes));
    return;
  }
  for (std::int32_t row = 0; row < rows.height(); ++row) {
    const std::size_t offset = layout.pixelOffset + static_cast<std::size_t>(row) * rows.rowBytes();
    if (source.ReadAt(offset, rows.Row(row)) < rows.rowBytes()) return;
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

// Both rebuild a row in place: each stored word is read before the same
// bytes are written.

// Any other 32-bit channel layout becomes 0x00RRGGBB; the fourth byte is
// 0, as the platform's loader leaves it for such files.
void Rebuild32(const FileChannels& channels, std::span<std::uint8_t> row, std::size_t pixels) {
  for (std::size_t x = 0; x < pixels; ++x) {
    std::uint8_t* pixel = row.data() + 4 * x;
    const std::uint32_t word = static_cast<std::uint32_t>(pixel[0]) |
                               (static_cast<std::uint32_t>(pixel[1]) << 8) |
                               (static_cast<std::uint32_t>(pixel[2]) << 16) |
                               (static_cast<std::uint32_t>(pixel[3]) << 24);
    pixel[0] = ChannelTo8Bits(word, channels.blue);
    pixel[1] = ChannelTo8Bits(word, channels.green);
    pixel[2] = ChannelTo8Bits(word, channels.red);
    pixel[3] = 0;
  }
}

// 16-bit words whose masks the section cannot carry become 5-5-5 words.
void Rebuild16(const FileChannels& channels, std::span<std::uint8_t> row, std::size_t pixels) {
  for (std::size_t x = 0; x < pixels; ++x) {
    std::uint8_t* pixel = row.data() + 2 * x;
    const std::uint32_t word = pixel[0] | (static_cast<std::uint32_t>(pixel[1]) << 8);
    const std::uint32_t packed = ((ChannelTo8Bits(word, channels.red) >> 3) << 10) |
                                 ((ChannelTo8Bits(word, channels.green) >> 3) << 5) |
                                 (ChannelTo8Bits(word, channels.blue) >> 3);
    pixel[0] = static_cast<std::uint8_t>(packed);
    pixel[1] = static_cast<std::uint8_t>(packed >> 8);
  }
}

// Each row is read into its place and rebuilt there. The padding, and the
// bytes of a pixel the data ends inside, are zeroed again: they were not
// decoded.
template <typename RebuildRow>
void RebuildMaskedRows(ByteSource& source, const BmpLayout& layout, const BottomUpRows& rows,
                       RebuildRow rebuild) {
  const FileChannels channels = ChannelsOf(layout);
  const std::size_t pixelBytes = static_cast<std::size_t>(layout.bitCount) / 8;
  for (std::int32_t row = 0; row < rows.height(); ++row) {
    const std::span<std::uint8_t> out = rows.Row(row);
    const std::size_t offset = layout.pixelOffset + static_cast<std::size_t>(row) * rows.rowBytes();
    const std::size_t got = source.ReadAt(offset, out);
    const std::size_t pixels =
        std::min<std::size_t>(static_cast<std::size_t>(layout.width), got / pixelBytes);
    rebuild(channels, out, pixels);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(pixels * pixelBytes), out.end(), 0);
    if (got < rows.rowBytes()) return;
  }
}

}  // namespace

void DecodeBmpPixels(const BmpLayout& layout, ByteSource& source,
                     std::span<std::uint8_t> bottomUpRows) {
  if (bottomUpRows.size() < layout.imageBytes) return;
  const BottomUpRows rows(bottomUpRows, layout.rowBytes, layout.height, layout.topDown);
  switch (layout.encoding) {
    case PixelEncoding::kRows:
      ReadRows(source, layout, rows, bottomUpRows);
      break;
    case PixelEncoding::kMaskedRows32:
      RebuildMaskedRows(source, layout, rows, Rebuild32);
      break;
    case PixelEncoding::kMaskedRows16:
      RebuildMaskedRows(source, layout, rows, Rebuild16);
      break;
    case PixelEncoding::kRle8:
      DecodeRle(source, layout.pixelOffset, RleKind::kRle8, layout.width, rows);
      break;
    case PixelEncoding::kRle4:
      DecodeRle(source, layout.pixelOffset, RleKind::kRle4, layout.width, rows);
      break;
  }
}

}  // namespace varne::bmp
