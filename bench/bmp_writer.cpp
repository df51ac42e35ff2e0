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

}  // namespace

bool WriteBmp24(const std::string& path, int width, int height,
                const std::vector<std::uint32_t>& pixels) {
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(height);
  constexpr std::uint32_t kHeaders = 14 + 40;
  std::vector<std::uint8_t> header;
  header.push_back('B');
  header.push_back('M');
  Put32(header, static_cast<std::uint32_t>(kHeaders + imageBytes));
  Put32(header, 0);
  Put32(header, kHeaders);
  Put32(header, 40);
  Put32(header, static_cast<std::uint32_t>(width));
  Put32(header, static_cast<std::uint32_t>(height));
  Put16(header, 1);
  Put16(header, 24);
  Put32(header, 0);
  Put32(header, static_cast<std::uint32_t>(imageBytes));
  Put32(header, 2835);
  Put32(header, 2835);
  Put32(header, 0);
  Put32(header, 0);

  std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  if (std::fwrite(header.data(), 1, header.size(), file.get()) != header.size()) return false;
  std::vector<std::uint8_t> row(rowBytes, 0);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* words = pixels.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      row[static_cast<std::size_t>(x) * 3] = static_cast<std::uint8_t>(words[x]);
      row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<std::uint8_t>(words[x] >> 8);
      row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<std::uint8_t>(words[x] >> 16);
    }
    if (std::fwrite(row.data(), 1, rowBytes, file.get()) != rowBytes) return false;
  }
  return true;
}

bool WriteBmp8(const std::string& path, int width, int height,
               const std::vector<std::uint32_t>& pixels) {
  const std::size_t rowBytes = (static_cast<std::size_t>(width) + 3) / 4 * 4;
  const std::size_t imageBytes = rowBytes * static_cast<std::size_t>(height);
  constexpr std::uint32_t kHeaders = 14 + 40 + 256 * 4;
  std::vector<std::uint8_t> header;
  header.push_back('B');
  header.push_back('M');
  Put32(header, static_cast<std::uint32_t>(kHeaders + imageBytes));
  Put32(header, 0);
  Put32(header, kHeaders);
  Put32(header, 40);
  Put32(header, static_cast<std::uint32_t>(width));
  Put32(header, static_cast<std::uint32_t>(height));
  Put16(header, 1);
  Put16(header, 8);
  Put32(header, 0);
  Put32(header, static_cast<std::uint32_t>(imageBytes));
  Put32(header, 2835);
  Put32(header, 2835);
  Put32(header, 256);
  Put32(header, 0);
  for (std::uint32_t i = 0; i < 256; ++i) Put32(header, i * 0x010101u);

  std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  if (std::fwrite(header.data(), 1, header.size(), file.get()) != header.size()) return false;
  std::vector<std::uint8_t> row(rowBytes, 0);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* words = pixels.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(words[x] >> 8);
    if (std::fwrite(row.data(), 1, rowBytes, file.get()) != rowBytes) return false;
  }
  return true;
}

}  // namespace varne::bench
