// Files and folders the tests hand to the platform's loader.
#pragma once

#include <cstddef>
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

// A new empty folder under the temporary folder, removed with everything
// in it when the object goes, whatever rights a test took away inside.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

// Makes nested folders inside `root` so that the file `leaf` in the
// innermost one has a path of exactly `length` characters; returns it.
std::string PathOfLength(const std::string& root, std::size_t length, const std::string& leaf);

}  // namespace varne::test
