// Files the tests hand to the platform's loader.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace varne::test {

// A file in the temporary directory holding the given bytes, removed when
// this goes out of scope. Its path is in the platform's native form.
class TempFile {
 public:
  explicit TempFile(std::span<const std::uint8_t> bytes);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace varne::test
