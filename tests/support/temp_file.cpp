#include "tests/support/temp_file.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "bmp_writer/bmp_writer.h"

namespace varne::test {

TempFile::TempFile(std::span<const std::uint8_t> bytes) {
  // Time and a counter keep names apart across tests and concurrent runs.
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::string name = "varne_" + std::to_string(ticks) + "_" +
                           std::to_string(counter.fetch_add(1)) + ".bmp";
  std::error_code error;
  path_ = (std::filesystem::temp_directory_path(error) / name).string();
  WriteFileBytes(path_, bytes);
}

TempFile::~TempFile() {
  std::error_code error;
  std::filesystem::remove(std::filesystem::path(path_), error);
}

}  // namespace varne::test
