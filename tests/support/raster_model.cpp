#include "tests/support/raster_model.h"

#include <algorithm>

namespace varne::test {

namespace {

int LowestBit(std::uint32_t mask) {
  int shift = 0;
  while (shift < 32 && ((mask >> shift) & 1) == 0) ++shift;
  return shift;
}

int BitCount(std::uint32_t mask) {
  int count = 0;
  for (int bit = 0; bit < 32; ++bit) count += (mask >> bit) & 1;
  return count;
}

std::uint32_t Pack(std::uint32_t value8, std::uint32_t mask) {
  const int bits = BitCount(mask);
  const std::uint32_t value = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
  return (value << LowestBit(mask)) & mask;
}

int Distance(COLORREF colour, int red, int green, int blue) {
  const int r = GetRValue(colour) - red;
  const int g = GetGValue(colour) - green;
  const int b = GetBValue(colour) - blue;
  return r * r + g * g + b * b;
}

std::uint32_t StoredBits(const Picture& bitmap) {
  if (bitmap.monochrome) return 1;
  if (bitmap.bitsPerPixel == 32) return 0xFFFFFFFF;
  return (std::uint32_t{1} << bitmap.bitsPerPixel) - 1;
}

// The raw bits that carry colour; a 32-bit pixel's spare byte does not.
std::uint32_t ColourBits(const Picture& bitmap) {
  if (bitmap.monochrome || bitmap.bitsPerPixel <= 8) return StoredBits(bitmap);
  if (bitmap.bitsPerPixel == 24) return 0x00FFFFFF;
  return bitmap.masks[0] | bitmap.masks[1] | bitmap.masks[2];
}

std::uint32_t Rop3(std::uint8_t index, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t result = 0;
  for (int bit = 0; bit < 32; ++bit) {
    const unsigned row = (((p >> bit) & 1) << 2) | (((s >> bit) & 1) << 1) | ((d >> bit) & 1);
    result |= static_cast<std::uint32_t>((index >> row) & 1) << bit;
  }
  return result;
}

bool UsesSource(std::uint8_t index) {
  for (unsigned row = 0; row < 8; ++row) {
    if (((index >> row) & 1) != ((index >> (row ^ 2)) & 1)) return true;
  }
  return false;
}

// The source pixel as the destination's raw value.
std::uint32_t SourceRaw(const ModelDc& destination, const ModelDc& source, std::uint32_t raw) {
  const Picture& to = *destination.bitmap;
  const Picture& from = *source.bitmap;
  if (to.monochrome) {
    if (from.monochrome) return raw;
    const std::uint32_t key = ModelRawOf(from, source.background) & ColourBits(from);
    return (raw & ColourBits(from)) == key ? 1 : 0;
  }
  if (from.monochrome) {
    return ModelRawOf(to, raw ? destination.background : destination.text);
  }
  if (SameFormat(from, to)) return raw;
  return ModelRawOf(to, ColourOf(from, raw));
}

struct Span {
  std::int64_t start;
  std::int64_t length;
};

Span Clip(Span span, std::int64_t low, std::int64_t high) {
  const std::int64_t begin = std::max(span.start, low);
  const std::int64_t end = std::min(span.start + span.length, high);
  return {begin, std::max<std::int64_t>(end - begin, 0)};
}

}  // namespace

std::uint32_t ModelRawOf(const Picture& bitmap, COLORREF colour) {
  if (bitmap.monochrome) {
    return Distance(colour, 255, 255, 255) < Distance(colour, 0, 0, 0) ? 1 : 0;
  }
  if (bitmap.bitsPerPixel <= 8) {
    std::uint32_t best = 0;
    for (std::uint32_t i = 1; i < bitmap.colours.size(); ++i) {
      const RGBQUAD& a = bitmap.colours[i];
      const RGBQUAD& b = bitmap.colours[best];
      if (Distance(colour, a.rgbRed, a.rgbGreen, a.rgbBlue) <
          Distance(colour, b.rgbRed, b.rgbGreen, b.rgbBlue)) {
        best = i;
      }
    }
    return best;
  }
  if (bitmap.bitsPerPixel == 24) {
    return (std::uint32_t{GetRValue(colour)} << 16) | (std::uint32_t{GetGValue(colour)} << 8) |
           GetBValue(colour);
  }
  return Pack(GetRValue(colour), bitmap.masks[0]) | Pack(GetGValue(colour), bitmap.masks[1]) |
         Pack(GetBValue(colour), bitmap.masks[2]);
}

bool ModelBitBlt(ModelDc& destination, std::int64_t x, std::int64_t y, std::int64_t width,
                 std::int64_t height, const ModelDc* source, std::int64_t sourceX,
                 std::int64_t sourceY, DWORD rop) {
  if (destination.bitmap == nullptr) return false;
  const auto index = static_cast<std::uint8_t>(rop >> 16);
  const bool usesSource = UsesSource(index);
  if (usesSource && (source == nullptr || source->bitmap == nullptr)) return false;
  // A negative extent names the rectangle on the other side of the origin,
  // for the source as for the destination.
  if (width < 0) {
    x += width;
    sourceX += width;
    width = -width;
  }
  if (height < 0) {
    y += height;
    sourceY += height;
    height = -height;
  }
  Picture& to = *destination.bitmap;
  Span columns = Clip({x, width}, 0, to.width);
  Span rows = Clip({y, height}, 0, to.height);
  if (usesSource) {
    const Picture& from = *source->bitmap;
    columns = Clip(columns, x - sourceX, x - sourceX + from.width);
    rows = Clip(rows, y - sourceY, y - sourceY + from.height);
  }
  // Read the whole source first: it may be the destination itself.
  const std::vector<std::uint32_t> sourceRaw =
      usesSource ? source->bitmap->pixels : std::vector<std::uint32_t>{};
  const std::uint32_t pattern =
      to.monochrome ? (ModelRawOf(to, destination.brush) ? 0xFFFFFFFF : 0)
                    : ModelRawOf(to, destination.brush);
  for (std::int64_t row = rows.start; row < rows.start + rows.length; ++row) {
    for (std::int64_t column = columns.start; column < columns.start + columns.length;
         ++column) {
      std::uint32_t s = 0;
      if (usesSource) {
        const Picture& from = *source->bitmap;
        const std::int64_t fromX = column - x + sourceX;
        const std::int64_t fromY = row - y + sourceY;
        s = SourceRaw(destination, *source,
                      sourceRaw[static_cast<std::size_t>(fromY * from.width + fromX)]);
        if (to.monochrome) s = s ? 0xFFFFFFFF : 0;
      }
      std::uint32_t& d = to.at(static_cast<int>(column), static_cast<int>(row));
      d = Rop3(index, pattern, s, d) & StoredBits(to);
    }
  }
  return true;
}

COLORREF ModelGetPixel(const ModelDc& dc, std::int64_t x, std::int64_t y) {
  if (dc.bitmap == nullptr) return CLR_INVALID;
  const Picture& bitmap = *dc.bitmap;
  if (x < 0 || y < 0 || x >= bitmap.width || y >= bitmap.height) return CLR_INVALID;
  return ColourOf(bitmap, bitmap.at(static_cast<int>(x), static_cast<int>(y)));
}

void ModelDrawDisabled(ModelDc& destination, const Picture& image, std::int64_t x,
                       std::int64_t y, int width, int height, COLORREF highlight,
                       COLORREF shadow) {
  Picture& to = *destination.bitmap;
  if (width <= 0 || width > image.width) width = image.width;
  if (height <= 0 || height > image.height) height = image.height;
  const auto paint = [&](std::int64_t left, std::int64_t top, COLORREF colour) {
    const std::uint32_t raw = ModelRawOf(to, colour);
    for (int iy = 0; iy < height; ++iy) {
      for (int ix = 0; ix < width; ++ix) {
        if (ColourOf(image, image.at(ix, iy)) == 0x00FFFFFF) continue;
        const std::int64_t tx = left + ix;
        const std::int64_t ty = top + iy;
        if (tx < 0 || ty < 0 || tx >= to.width || ty >= to.height) continue;
        to.at(static_cast<int>(tx), static_cast<int>(ty)) = raw;
      }
    }
  };
  paint(x + 1, y + 1, highlight);
  paint(x, y, shadow);
}

}  // namespace varne::test
