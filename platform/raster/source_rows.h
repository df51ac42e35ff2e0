// Reads the source rows of a blit already converted to the destination's
// format, the depth conversions of BitBlt in one place:
//  - colour -> monochrome: 1 where the pixel equals the source DC's
//    background colour (in the source's own format), else 0;
//  - monochrome -> colour: 1 becomes the destination DC's background
//    colour, 0 its text colour;
//  - monochrome -> monochrome: the bits as they are;
//  - any other pair: through the source's colour table or masks to RGB and
//    on to the destination's nearest value. Equal formats copy raw bits, so
//    a 32-bpp to 32-bpp blit carries all 32 bits.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/raster/surface.h"

namespace varne::raster {

class SourceRows {
 public:
  // one, zero: the destination raw values a monochrome source's bits
  // become. copyRows: source and destination share memory, so rows must be
  // copied out before the destination is written.
  SourceRows(const Surface& source, COLORREF sourceBackground, const Surface& destination,
             std::uint32_t one, std::uint32_t zero, bool copyRows);

  // count pixels from (x, y) of the source, as destination raw values.
  const std::uint32_t* Colour(int y, int x, int count);

  // The same values written into `out`, for a caller that takes them as
  // they are (a SRCCOPY): a converted row then lands in place without a
  // pass through the row buffer. False, writing nothing, where Colour
  // would hand out the source's own memory; `out` must not overlap it.
  // streaming: the rows add up to more than the caches hold, so they may
  // go out with streaming stores.
  bool ColourInto(int y, int x, int count, std::uint32_t* out, bool streaming);

  // For a monochrome destination: bit j of the returned words (bit j % 64
  // of word j / 64) is the source pixel x + j - offset, for j in
  // [offset, offset + count).
  const std::uint64_t* Bits(int y, int x, int count, int offset);

 private:
  enum class ColourMode { kDirect, kSameRaw, kExpandMono, kLookup, kWiden24, kConvert };
  enum class BitsMode { kShiftMono, kMatchPlain32, kMatchRaw };

  const Surface& source_;
  const Surface& destination_;
  ColourMode colourMode_ = ColourMode::kConvert;
  BitsMode bitsMode_ = BitsMode::kMatchRaw;
  std::uint32_t one_ = 0;   // destination raw value for a mono 1
  std::uint32_t zero_ = 0;  // and for a mono 0
  std::uint32_t backgroundRaw_ = 0;
  std::uint32_t colourBits_ = 0;
  std::vector<std::uint32_t> lookup_;
  std::vector<std::uint32_t> colourRow_;
  std::vector<std::uint64_t> bitsRow_;
};

}  // namespace varne::raster
