#include "bmp_writer/bmp_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace varne {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint8_t kGapFiller = 0xA5;  // visible garbage, never valid pixels by chance

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

void PatchU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool HasBitfieldCompression(const BmpFileRecipe& recipe) {
  return recipe.compression == kBmpBitfields || recipe.compression == kBmpAlphaBitfields;
}

void PutCoreHeader(std::vector<std::uint8_t>& out, const BmpFileRecipe& recipe) {
  PutU32(out, 12);
  PutU16(out, static_cast<std::uint32_t>(recipe.width) & 0xFFFF);
  PutU16(out, static_cast<std::uint32_t>(recipe.height) & 0xFFFF);
  PutU16(out, recipe.planes);
  PutU16(out, recipe.bitCount);
}

// The 40-byte fields, then whatever the larger header holds: masks first,
// then colour-space fields left zero.
void PutInfoHeader(std::vector<std::uint8_t>& out, const BmpFileRecipe& recipe) {
  const std::size_t start = out.size();
  PutU32(out, recipe.headerBytes);
  PutU32(out, static_cast<std::uint32_t>(recipe.width));
  PutU32(out, static_cast<std::uint32_t>(recipe.height));
  PutU16(out, recipe.planes);
  PutU16(out, recipe.bitCount);
  PutU32(out, recipe.compression);
  PutU32(out, recipe.imageBytes.value_or(static_cast<std::uint32_t>(recipe.pixels.size())));
  PutU32(out, 2835);  // 72 dpi, in pixels per metre
  PutU32(out, 2835);
  PutU32(out, recipe.coloursUsed.value_or(static_cast<std::uint32_t>(recipe.palette.size())));
  PutU32(out, 0);
  for (const std::uint32_t mask : recipe.masks) {
    if (out.size() - start + 4 > recipe.headerBytes) break;
    PutU32(out, mask);
  }
  while (out.size() - start < recipe.headerBytes) out.push_back(0);
  if (recipe.headerBytes == 40 && HasBitfieldCompression(recipe)) {
    const int count = recipe.compression == kBmpAlphaBitfields ? 4 : 3;
    for (int i = 0; i < count; ++i) PutU32(out, recipe.masks[i]);
  }
}

}  // namespace

std::vector<std::uint8_t> BuildBmp(const BmpFileRecipe& recipe) {
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutU32(out, 0);  // file size, patched below
  PutU32(out, 0);  // reserved
  PutU32(out, 0);  // pixel offset, patched below
  if (recipe.headerBytes == 12) {
    PutCoreHeader(out, recipe);
  } else {
    PutInfoHeader(out, recipe);
  }
  const std::size_t headersEnd = out.size();
  for (const BmpColour& colour : recipe.palette) {
    out.push_back(colour.blue);
    out.push_back(colour.green);
    out.push_back(colour.red);
    if (recipe.headerBytes != 12) out.push_back(0);
  }
  const std::size_t offset = recipe.pixelOffset.value_or(static_cast<std::uint32_t>(out.size()));
  // Pixels may overlap the palette but never the headers: an offset into
  // them is stored as given, with the pixels after the palette.
  const std::size_t placed = offset < headersEnd ? out.size() : offset;
  if (placed > out.size()) out.resize(placed, kGapFiller);
  out.resize(std::max(out.size(), placed + recipe.pixels.size()));
  std::copy(recipe.pixels.begin(), recipe.pixels.end(), out.begin() + static_cast<long>(placed));
  PatchU32(out, 2, static_cast<std::uint32_t>(out.size()));
  PatchU32(out, 10, static_cast<std::uint32_t>(offset));
  return out;
}

bool WriteBmpRows(const std::string& path, const BmpFileRecipe& recipe,
                  const std::function<void(int stored, std::uint8_t* row)>& packRow) {
  const std::size_t rowBytes = BmpRowBytes(recipe.width, recipe.bitCount);
  const int rows = recipe.height < 0 ? -recipe.height : recipe.height;
  const std::size_t pixelBytes = rowBytes * static_cast<std::size_t>(rows);
  BmpFileRecipe headers = recipe;
  headers.pixels.clear();
  if (!headers.imageBytes) headers.imageBytes = static_cast<std::uint32_t>(pixelBytes);
  std::vector<std::uint8_t> bytes = BuildBmp(headers);
  PatchU32(bytes, 2, static_cast<std::uint32_t>(bytes.size() + pixelBytes));
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  std::vector<std::uint8_t> row(rowBytes, 0);
  for (int stored = 0; stored < rows && file; ++stored) {
    packRow(stored, row.data());
    file.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(rowBytes));
  }
  return static_cast<bool>(file);
}

std::vector<std::uint8_t> PackRows(std::int32_t width, std::int32_t height, int bitCount,
                                   bool topDown,
                                   const std::function<std::uint32_t(int x, int y)>& valueAt) {
  const std::size_t rowBytes = BmpRowBytes(width, bitCount);
  std::vector<std::uint8_t> out(rowBytes * height, 0);
  for (int stored = 0; stored < height; ++stored) {
    const int y = topDown ? stored : height - 1 - stored;
    std::uint8_t* row = out.data() + rowBytes * stored;
    for (int x = 0; x < width; ++x) PutRowValue(row, bitCount, x, valueAt(x, y));
  }
  return out;
}

RleStream& RleStream::Run(int count, std::uint8_t value) {
  bytes_.push_back(static_cast<std::uint8_t>(count));
  bytes_.push_back(value);
  return *this;
}

RleStream& RleStream::Absolute(const std::vector<std::uint8_t>& indices) {
  bytes_.push_back(0);
  bytes_.push_back(static_cast<std::uint8_t>(indices.size()));
  std::size_t written = 0;
  if (rle4_) {
    for (std::size_t i = 0; i < indices.size(); i += 2) {
      const std::uint8_t low = i + 1 < indices.size() ? (indices[i + 1] & 0x0F) : 0;
      bytes_.push_back(static_cast<std::uint8_t>((indices[i] << 4) | low));
      ++written;
    }
  } else {
    bytes_.insert(bytes_.end(), indices.begin(), indices.end());
    written = indices.size();
  }
  if (written % 2 != 0) bytes_.push_back(0);
  return *this;
}

RleStream& RleStream::EndOfLine() { return Bytes({0, 0}); }
RleStream& RleStream::EndOfBitmap() { return Bytes({0, 1}); }
RleStream& RleStream::Delta(std::uint8_t right, std::uint8_t up) {
  return Bytes({0, 2, right, up});
}

RleStream& RleStream::Bytes(std::initializer_list<std::uint8_t> raw) {
  bytes_.insert(bytes_.end(), raw.begin(), raw.end());
  return *this;
}

bool WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace varne
