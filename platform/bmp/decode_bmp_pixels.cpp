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

// Any other channel layout becomes 0x00RRGGBB; the fourth byte is 0, as
// the platform's loader leaves it for such files.
void RebuildMaskedRows(ByteCursor& cursor, const BmpLayout& layout, const BottomUpRows& rows) {
  const ChannelMask red = *MakeChannelMask(layout.masks[0]);
  const ChannelMask green = *MakeChannelMask(layout.masks[1]);
  const ChannelMask blue = *MakeChannelMask(layout.masks[2]);
  for (std::int32_t row = 0; row < rows.height() && cursor.remaining() > 0; ++row) {
    const std::span<const std::uint8_t> stored = cursor.Take(rows.rowBytes());
    const std::span<std::uint8_t> out = rows.Row(row);
    const std::size_t pixels = std::min<std::size_t>(layout.width, stored.size() / 4);
    ByteCursor words(stored);
    for (std::size_t x = 0; x < pixels; ++x) {
      std::uint32_t word = 0;
      words.ReadU32(word);
      out[4 * x] = ChannelTo8Bits(word, blue);
      out[4 * x + 1] = ChannelTo8Bits(word, green);
      out[4 * x + 2] = ChannelTo8Bits(word, red);
    }
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
      RebuildMaskedRows(cursor, layout, rows);
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
