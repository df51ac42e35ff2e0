// The stored rows of an uncompressed DIB, as files and sections hold them:
// how long a row is and where pixel x sits in it, for every depth. The BMP
// writer, the test surfaces, the section readers and the raster fuzzer all
// build or read rows through these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varne {

// Bytes of one stored row, padded to 32 bits.
inline std::size_t BmpRowBytes(std::int32_t width, int bitCount) {
  return ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
}

// Below 8 bits a byte holds several pixels, the leftmost in the high bits;
// from 8 bits on a pixel is whole bytes, least significant first.
inline std::uint32_t RowValue(const std::uint8_t* row, int bitCount, int x) {
  if (bitCount < 8) {
    const int perByte = 8 / bitCount;
    const int shift = 8 - bitCount * (x % perByte + 1);
    return (row[x / perByte] >> shift) & ((1u << bitCount) - 1);
  }
  const int bytes = bitCount / 8;
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) {
    value |= static_cast<std::uint32_t>(row[static_cast<std::size_t>(x) * bytes + i]) << (8 * i);
  }
  return value;
}

// Stores `value` as pixel x; below 8 bits the row must start zeroed, since
// the bits are ORed in.
inline void PutRowValue(std::uint8_t* row, int bitCount, int x, std::uint32_t value) {
  if (bitCount < 8) {
    const int perByte = 8 / bitCount;
    const int shift = 8 - bitCount * (x % perByte + 1);
    row[x / perByte] |= static_cast<std::uint8_t>((value & ((1u << bitCount) - 1)) << shift);
    return;
  }
  const int bytes = bitCount / 8;
  for (int i = 0; i < bytes; ++i) {
    row[static_cast<std::size_t>(x) * bytes + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// A CreateBitmap row of a monochrome bitmap: padded to 16 bits, not 32.
inline std::size_t MonochromeRowBytes(int width) {
  return (static_cast<std::size_t>(width) + 15) / 16 * 2;
}

}  // namespace varne
