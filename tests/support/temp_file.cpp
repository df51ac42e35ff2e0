#include "tests/support/temp_file.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "bmp_writer/bmp_writer.h"

namespace varne::test {

namespace {

// Time and a counter keep names apart across tests and concurrent runs.
std::filesystem::path UniqueTempPath(const std::string& suffix) {
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::string name = "varne_" + std::to_string(ticks) + "_" +
                           std::to_string(counter.fetch_add(1)) + suffix;
  std::error_code error;
  return std::filesystem::temp_directory_path(error) / name;
}

}  // namespace

TempFile::TempFile(std::span<const std::uint8_t> bytes) {
  path_ = UniqueTempPath(".bmp").string();
  WriteFileBytes(path_, bytes);
}

TempFile::~TempFile() {
  std::error_code error;
  std::filesystem::remove(std::filesystem::path(path_), error);
}

ScratchFolder::ScratchFolder() {
  const std::filesystem::path folder = UniqueTempPath("_scratch");
  std::error_code error;
  if (!std::filesystem::create_directory(folder, error)) throw std::runtime_error("no scratch folder");
  path_ = folder.string();
}

ScratchFolder::~ScratchFolder() {
  namespace fs = std::filesystem;
  std::error_code ignored;
  // Put back what a test took away, so the folder can be emptied.
  for (const auto& entry : fs::recursive_directory_iterator(
           path_, fs::directory_options::skip_permission_denied, ignored)) {
    if (!entry.is_symlink(ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(path_, ignored);
}

std::string ScratchFolder::operator/(const std::string& name) const {
  return (std::filesystem::path(path_) / name).string();
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
    std::error_code ignored;
    std::filesystem::create_directory(folder, ignored);
  }
  return folder + "/" + leaf;
}

}  // namespace varne::test
