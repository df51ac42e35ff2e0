// Files for tests that abuse paths: a private folder that disappears with
// the test, small valid bitmaps, and odd things to put where a file was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varne::test {

// A new empty folder under the temporary folder, removed with everything
// in it when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A bottom-up 24-bit .bmp of width x height, every pixel `colour`
// (0x00RRGGBB), written out field by field.
std::vector<std::uint8_t> SolidBmp24(int width, int height, std::uint32_t colour);

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Makes nested folders inside `root` so that the file `leaf` in the
// innermost one has a path of exactly `length` characters; returns it.
std::string PathOfLength(const std::string& root, std::size_t length, const std::string& leaf);

}  // namespace varne::test
