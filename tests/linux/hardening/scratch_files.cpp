#include "tests/linux/hardening/scratch_files.h"

#include <fstream>

#include "bmp_writer/bmp_writer.h"

namespace varne::test {

std::vector<std::uint8_t> SolidBmp24(int width, int height, std::uint32_t colour) {
  return BuildBmp({.width = width,
                   .height = height,
                   .pixels = PackRows(width, height, 24, false, [colour](int, int) { return colour; }),
                   .imageBytes = 0});
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace varne::test
