#include "bench/bmp_writer.h"

#include <cstdio>
#include <memory>

namespace varne::bench {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Header (with a grey palette at 8 bpp), then the bottom-up rows as `pack`
// turns each row of words into bytes, one row in memory at a time so that
// 64 MP files need no second copy.
template <typename PackRow>
bool WriteBmp(const std::string& path, int width, int height, int bitCount,
              const std::vector<std::uint32_t>& pixels, PackRow pack) {
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * bitCount / 8 + 3) / 4 * 4;
  const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(height);
  const std::uint32_t paletteEntries = bitCount == 8 ? 256 : 0;
  const std::uint32_t headers = 14 + 40 + paletteEntries * 4;
  std::vector<std::uint8_t> header;
  header.push_back('B');
  header.push_back('M');
  Put32(header, static_cast<std::uint32_t>(headers + imageBytes));
  Put32(header, 0);
  Put32(header, headers);
  Put32(header, 40);
  Put32(header, static_cast<std::uint32_t>(width));
  Put32(header, static_cast<std::uint32_t>(height));
  Put16(header, 1);
  Put16(header, static_cast<std::uint32_t>(bitCount));
  Put32(header, 0);
  Put32(header, static_cast<std::uint32_t>(imageBytes));
  Put32(header, 2835);
  Put32(header, 2835);
  Put32(header, paletteEntries);
  Put32(header, 0);
  for (std::uint32_t i = 0; i < paletteEntries; ++i) Put32(header, i * 0x010101u);

  std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  if (std::fwrite(header.data(), 1, header.size(), file.get()) != header.size()) return false;
  std::vector<std::uint8_t> row(rowBytes, 0);
  for (int y = 0; y < height; ++y) {
    pack(pixels.data() + static_cast<std::size_t>(y) * width, row.data());
    if (std::fwrite(row.data(), 1, rowBytes, file.get()) != rowBytes) return false;
  }
  return true;
}

}  // namespace

bool WriteBmp24(const std::string& path, int width, int height,
                const std::vector<std::uint32_t>& pixels) {
  return WriteBmp(path, width, height, 24, pixels, [width](const std::uint32_t* words, std::uint8_t* row) {
    for (int x = 0; x < width; ++x) {
      row[static_cast<std::size_t>(x) * 3] = static_cast<std::uint8_t>(words[x]);
      row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<std::uint8_t>(words[x] >> 8);
      row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<std::uint8_t>(words[x] >> 16);
    }
  });
}

bool WriteBmp8(const std::string& path, int width, int height,
               const std::vector<std::uint32_t>& pixels) {
  return WriteBmp(path, width, height, 8, pixels, [width](const std::uint32_t* words, std::uint8_t* row) {
    for (int x = 0; x < width; ++x) row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(words[x] >> 8);
  });
}

}  // namespace varne::bench
