#include "platform/raster/pixel_format.h"

#include <bit>
#include <cstring>
#include <limits>

namespace varne::raster {

namespace {

// A channel of `bits` bits widened to 8 by repeating its bits, so full
// intensity stays 255 (five bits 11111 become 11111111).
std::uint32_t WidenChannel(std::uint32_t value, int bits) {
  if (bits >= 8) return value >> (bits - 8);
  std::uint32_t widened = 0;
  int filled = 0;
  while (filled < 8) {
    widened = (widened << bits) | value;
    filled += bits;
  }
  return widened >> (filled - 8);
}

std::uint32_t ExtractChannel(std::uint32_t raw, DWORD mask) {
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  return WidenChannel((raw & mask) >> shift, bits);
}

std::uint32_t PackChannel(std::uint32_t value8, DWORD mask) {
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const std::uint32_t narrowed = bits >= 8 ? WidenChannel(value8, 8) << (bits - 8)
                                           : value8 >> (8 - bits);
  return (narrowed << shift) & mask;
}

int DistanceSquared(COLORREF colour, const RGBQUAD& entry) {
  const int red = GetRValue(colour) - entry.rgbRed;
  const int green = GetGValue(colour) - entry.rgbGreen;
  const int blue = GetBValue(colour) - entry.rgbBlue;
  return red * red + green * green + blue * blue;
}

}  // namespace

std::uint32_t ReadRaw(const Surface& surface, const std::uint8_t* row, int x) {
  const std::size_t at = static_cast<std::size_t>(x);
  if (surface.IsMonochrome()) {
    std::uint64_t word;
    std::memcpy(&word, row + at / 64 * 8, sizeof(word));
    return static_cast<std::uint32_t>((word >> (at % 64)) & 1);
  }
  switch (surface.bitsPerPixel) {
    case 1: return (row[at / 8] >> (7 - at % 8)) & 1;
    case 4: return (row[at / 2] >> (at % 2 == 0 ? 4 : 0)) & 0xF;
    case 8: return row[at];
    case 16: return row[2 * at] | (std::uint32_t{row[2 * at + 1]} << 8);
    case 24:
      return row[3 * at] | (std::uint32_t{row[3 * at + 1]} << 8) |
             (std::uint32_t{row[3 * at + 2]} << 16);
    default: {
      std::uint32_t value;
      std::memcpy(&value, row + 4 * at, sizeof(value));
      return value;
    }
  }
}

void WriteRaw(const Surface& surface, std::uint8_t* row, int x, std::uint32_t raw) {
  const std::size_t at = static_cast<std::size_t>(x);
  if (surface.IsMonochrome()) {
    std::uint64_t word;
    std::memcpy(&word, row + at / 64 * 8, sizeof(word));
    const std::uint64_t bit = std::uint64_t{1} << (at % 64);
    word = (raw & 1) ? (word | bit) : (word & ~bit);
    std::memcpy(row + at / 64 * 8, &word, sizeof(word));
    return;
  }
  switch (surface.bitsPerPixel) {
    case 1: {
      const int shift = 7 - static_cast<int>(at % 8);
      row[at / 8] = static_cast<std::uint8_t>((row[at / 8] & ~(1 << shift)) | ((raw & 1) << shift));
      return;
    }
    case 4: {
      const int shift = at % 2 == 0 ? 4 : 0;
      row[at / 2] =
          static_cast<std::uint8_t>((row[at / 2] & ~(0xF << shift)) | ((raw & 0xF) << shift));
      return;
    }
    case 8: row[at] = static_cast<std::uint8_t>(raw); return;
    case 16:
      row[2 * at] = static_cast<std::uint8_t>(raw);
      row[2 * at + 1] = static_cast<std::uint8_t>(raw >> 8);
      return;
    case 24:
      row[3 * at] = static_cast<std::uint8_t>(raw);
      row[3 * at + 1] = static_cast<std::uint8_t>(raw >> 8);
      row[3 * at + 2] = static_cast<std::uint8_t>(raw >> 16);
      return;
    default: std::memcpy(row + 4 * at, &raw, sizeof(raw)); return;
  }
}

COLORREF ColourOfRaw(const Surface& surface, std::uint32_t raw) {
  if (surface.IsMonochrome()) return raw ? 0x00FFFFFF : 0;
  if (surface.bitsPerPixel <= 8) {
    const RGBQUAD& entry = surface.colours[raw];
    return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
  }
  if (surface.bitsPerPixel == 24) return SwapRedBlue(raw);
  return RGB(ExtractChannel(raw, surface.masks[0]), ExtractChannel(raw, surface.masks[1]),
             ExtractChannel(raw, surface.masks[2]));
}

std::uint32_t RawOfColour(const Surface& surface, COLORREF colour) {
  if (surface.IsMonochrome()) {
    static const RGBQUAD kBlack{0, 0, 0, 0};
    static const RGBQUAD kWhite{255, 255, 255, 0};
    return DistanceSquared(colour, kWhite) < DistanceSquared(colour, kBlack) ? 1 : 0;
  }
  if (surface.bitsPerPixel <= 8) {
    // Every entry a pixel can hold, the black ones past a short table too:
    // a pixel of such an index shows black, and must match black.
    std::uint32_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < (1 << surface.bitsPerPixel); ++i) {
      const int distance = DistanceSquared(colour, surface.colours[static_cast<std::size_t>(i)]);
      if (distance < bestDistance) {
        bestDistance = distance;
        best = static_cast<std::uint32_t>(i);
      }
    }
    return best;
  }
  if (surface.bitsPerPixel == 24) return SwapRedBlue(colour);
  return PackChannel(GetRValue(colour), surface.masks[0]) |
         PackChannel(GetGValue(colour), surface.masks[1]) |
         PackChannel(GetBValue(colour), surface.masks[2]);
}

std::uint32_t ColourBits(const Surface& surface) {
  if (surface.IsMonochrome()) return 1;
  if (surface.bitsPerPixel <= 8) return (1u << surface.bitsPerPixel) - 1;
  if (surface.bitsPerPixel == 24) return 0x00FFFFFF;
  return surface.masks[0] | surface.masks[1] | surface.masks[2];
}

}  // namespace varne::raster
