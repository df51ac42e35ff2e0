#include "tests/linux/hardening/scratch_files.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "bmp_writer/bmp_writer.h"

namespace varne::test {

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "varne-hardening-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // Put back what a test took away, so the folder can be emptied.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(
           path_, std::filesystem::directory_options::skip_permission_denied, ignored)) {
    if (!entry.is_symlink()) ::chmod(entry.path().c_str(), 0700);
  }
  std::filesystem::remove_all(path_, ignored);
}

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

std::string PathOfLength(const std::string& root, std::size_t length, const std::string& leaf) {
  std::string folder = root;
  // Each folder name stays well below the 255-byte limit of one name.
  while (folder.size() + 1 + leaf.size() < length) {
    const std::size_t room = length - folder.size() - 1 - leaf.size();
    // The last folder takes what is left; never leave a single character,
    // which a "/x" could not use.
    std::size_t name = room <= 101 ? room - 1 : 100;
    if (room > 101 && room - (name + 1) == 1) --name;
    folder.append(1, '/').append(name, 'd');
    ::mkdir(folder.c_str(), 0755);
  }
  return folder + "/" + leaf;
}

}  // namespace varne::test
