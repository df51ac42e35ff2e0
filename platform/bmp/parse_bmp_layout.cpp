#include <algorithm>
#include <optional>

#include "platform/bmp/bmp_decoder.h"
#include "platform/bmp/byte_cursor.h"
#include "platform/bmp/channel_mask.h"
#include "platform/raster/default_masks.h"
#include "platform/raster/surface_limits.h"

namespace varne::bmp {
namespace {

constexpr std::uint16_t kBmSignature = 0x4D42;  // "BM"
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kAllowedHeaderBytes[] = {12, 40, 52, 56, 108, 124};

using varne::raster::kDefault16Masks;
constexpr std::array<std::uint32_t, 3> kDefault32Masks{0x00FF0000, 0x0000FF00, 0x000000FF};

// The info header's fields as stored, before any judgement.
struct StoredHeader {
  std::uint32_t pixelOffset = 0;
  std::uint32_t headerBytes = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = BI_RGB;
  std::uint32_t coloursUsed = 0;
  std::array<std::uint32_t, 3> masks{};
  std::size_t paletteStart = 0;  // first byte after the headers and masks
};

bool ReadCoreFields(ByteCursor& cursor, StoredHeader& header) {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  if (!cursor.ReadU16(width) || !cursor.ReadU16(height) || !cursor.ReadU16(header.planes) ||
      !cursor.ReadU16(header.bitCount)) {
    return false;
  }
  header.width = width;
  header.height = height;  // unsigned in this header: always bottom-up
  return true;
}

bool ReadInfoFields(ByteCursor& cursor, StoredHeader& header) {
  std::uint32_t ignored = 0;
  if (!cursor.ReadI32(header.width) || !cursor.ReadI32(header.height) ||
      !cursor.ReadU16(header.planes) || !cursor.ReadU16(header.bitCount) ||
      !cursor.ReadU32(header.compression)) {
    return false;
  }
  // Image size, pixel densities and "important colours" are advice the
  // section does not need; the image size in particular is often wrong.
  if (!cursor.ReadU32(ignored) || !cursor.Skip(8) || !cursor.ReadU32(header.coloursUsed) ||
      !cursor.ReadU32(ignored)) {
    return false;
  }
  const bool masksInHeader = header.headerBytes >= 52;
  const bool masksAfterHeader = header.headerBytes == kInfoHeaderBytes &&
                                (header.compression == BI_BITFIELDS ||
                                 header.compression == BI_ALPHABITFIELDS);
  if (masksInHeader || masksAfterHeader) {
    for (std::uint32_t& mask : header.masks) {
      if (!cursor.ReadU32(mask)) return false;
    }
  }
  // The alpha mask and the colour-space fields of the larger headers are
  // skipped: the section carries neither.
  const std::size_t headerEnd = kFileHeaderBytes + header.headerBytes;
  if (cursor.position() < headerEnd && !cursor.Skip(headerEnd - cursor.position())) return false;
  if (masksAfterHeader && header.compression == BI_ALPHABITFIELDS && !cursor.Skip(4)) {
    return false;
  }
  return true;
}

std::variant<StoredHeader, DecodeError> ReadHeaders(std::span<const std::uint8_t> file) {
  ByteCursor cursor(file);
  StoredHeader header;
  std::uint16_t signature = 0;
  if (!cursor.ReadU16(signature) || signature != kBmSignature) return DecodeError::kNotBitmap;
  if (!cursor.Skip(8) || !cursor.ReadU32(header.pixelOffset) ||
      !cursor.ReadU32(header.headerBytes)) {
    return DecodeError::kTruncatedHeader;
  }
  if (std::find(std::begin(kAllowedHeaderBytes), std::end(kAllowedHeaderBytes),
                header.headerBytes) == std::end(kAllowedHeaderBytes)) {
    return DecodeError::kUnsupportedHeader;
  }
  const bool read = header.headerBytes == kCoreHeaderBytes ? ReadCoreFields(cursor, header)
                                                           : ReadInfoFields(cursor, header);
  if (!read) return DecodeError::kTruncatedHeader;
  header.paletteStart = cursor.position();
  return header;
}

bool IsAllowedFormat(const StoredHeader& header) {
  const int bits = header.bitCount;
  if (header.headerBytes == kCoreHeaderBytes) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 24;
  }
  switch (header.compression) {
    case BI_RGB:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case BI_RLE8:
      return bits == 8;
    case BI_RLE4:
      return bits == 4;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
      return bits == 16 || bits == 32;
    default:  // BI_JPEG, BI_PNG (and RLE24 and Huffman, which reuse their codes)
      return false;
  }
}

// Masks that fit the pixel, are each one run of bits and share no bit.
bool AreUsableMasks(const std::array<std::uint32_t, 3>& masks, int bitCount) {
  const std::uint32_t pixelBits =
      bitCount == 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << bitCount) - 1;
  std::uint32_t seen = 0;
  for (const std::uint32_t mask : masks) {
    if ((mask & ~pixelBits) != 0 || (mask & seen) != 0 || !MakeChannelMask(mask)) return false;
    seen |= mask;
  }
  return true;
}

std::optional<DecodeError> ChooseMasksAndEncoding(const StoredHeader& header, BmpLayout& layout) {
  const bool fileHasMasks =
      header.compression == BI_BITFIELDS || header.compression == BI_ALPHABITFIELDS;
  if (header.compression == BI_RLE8) layout.encoding = PixelEncoding::kRle8;
  if (header.compression == BI_RLE4) layout.encoding = PixelEncoding::kRle4;
  if (header.bitCount != 16 && header.bitCount != 32) return std::nullopt;

  const auto& defaults = header.bitCount == 16 ? kDefault16Masks : kDefault32Masks;
  // All-zero masks say nothing; read them as the depth's defaults.
  const bool masksGiven =
      fileHasMasks && (header.masks[0] != 0 || header.masks[1] != 0 || header.masks[2] != 0);
  layout.fileMasks = masksGiven ? header.masks : defaults;
  if (!AreUsableMasks(layout.fileMasks, header.bitCount)) return DecodeError::kBadMasks;
  const bool everyChannelPresent =
      layout.fileMasks[0] != 0 && layout.fileMasks[1] != 0 && layout.fileMasks[2] != 0;
  if (header.bitCount == 16) {
    layout.sectionCompression = BI_BITFIELDS;
    layout.masks = everyChannelPresent ? layout.fileMasks : kDefault16Masks;
    if (!everyChannelPresent) layout.encoding = PixelEncoding::kMaskedRows16;
  } else if (layout.fileMasks != kDefault32Masks) {
    layout.encoding = PixelEncoding::kMaskedRows32;
  }
  return std::nullopt;
}

// Entries come from between the headers and the pixel data; a palette
// that claims more than fits there, or more than the depth can index, is cut.
void ReadPalette(std::span<const std::uint8_t> file, const StoredHeader& header,
                 BmpLayout& layout) {
  if (header.bitCount > 8) return;
  const std::size_t nominal = std::size_t{1} << header.bitCount;
  const bool core = header.headerBytes == kCoreHeaderBytes;
  const std::size_t entryBytes = core ? 3 : 4;
  std::size_t count = nominal;
  if (!core && header.coloursUsed != 0) count = std::min<std::size_t>(count, header.coloursUsed);
  count = std::min(count, (layout.pixelOffset - header.paletteStart) / entryBytes);

  layout.colours.assign(nominal, RGBQUAD{0, 0, 0, 0});
  ByteCursor cursor(file);
  cursor.Skip(header.paletteStart);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t blue = 0, green = 0, red = 0;
    if (!cursor.ReadU8(blue) || !cursor.ReadU8(green) || !cursor.ReadU8(red)) break;
    if (!core) cursor.Skip(1);  // the reserved byte is no colour; the section's stays 0
    layout.colours[i] = RGBQUAD{blue, green, red, 0};
  }
}

}  // namespace

std::variant<BmpLayout, DecodeError> ParseBmpLayout(std::span<const std::uint8_t> head,
                                                    std::size_t fileSize) {
  const auto stored = ReadHeaders(head);
  if (const auto* error = std::get_if<DecodeError>(&stored)) return *error;
  const StoredHeader& header = std::get<StoredHeader>(stored);

  if (header.planes != 1) return DecodeError::kBadPlanes;
  // INT32_MIN has no positive counterpart, so it cannot be a top-down height.
  if (header.width <= 0 || header.height == 0 || header.height == INT32_MIN) {
    return DecodeError::kBadDimensions;
  }
  if (!IsAllowedFormat(header)) return DecodeError::kUnsupportedFormat;

  BmpLayout layout;
  layout.width = header.width;
  layout.topDown = header.height < 0;
  layout.height = layout.topDown ? -header.height : header.height;
  layout.bitCount = header.bitCount;
  if (const auto error = ChooseMasksAndEncoding(header, layout)) return *error;

  if (header.pixelOffset < header.paletteStart || header.pixelOffset >= fileSize) {
    return DecodeError::kBadPixelOffset;
  }
  layout.pixelOffset = header.pixelOffset;

  if (layout.width > kMaxLoadedSide || layout.height > kMaxLoadedSide) return DecodeError::kTooLarge;
  const auto imageBytes =
      raster::CheckedSurfaceBytes(layout.width, layout.height, layout.bitCount);
  const auto rowBytes = raster::CheckedRowBytes(layout.width, layout.bitCount);
  if (!imageBytes || !rowBytes) return DecodeError::kTooLarge;
  layout.rowBytes = static_cast<std::size_t>(*rowBytes);
  layout.imageBytes = static_cast<std::size_t>(*imageBytes);

  ReadPalette(head, header, layout);
  return layout;
}

}  // namespace varne::bmp
