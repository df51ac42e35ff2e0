// A file that lives in memory only, so a fuzz target can hand each input to
// LoadImageA by path without touching the disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_report.h"

namespace varne::fuzz {

class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("varne-fuzz-input", MFD_CLOEXEC)) {
    Check(fd_ >= 0, "memfd_create works");
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the whole contents; the path stays the same.
  void Write(const std::uint8_t* data, std::size_t size) {
    Resize(0);
    WriteAt(0, data, size);
  }

  void WriteAt(std::size_t offset, const std::uint8_t* data, std::size_t size) {
    std::size_t written = 0;
    while (written < size) {
      const ssize_t put = ::pwrite(fd_, data + written, size - written,
                                   static_cast<off_t>(offset + written));
      Check(put > 0, "the memory file takes the input");
      written += static_cast<std::size_t>(put);
    }
  }

  // Cuts the file, or extends it with a hole that reads as zeros.
  void Resize(std::size_t size) {
    Check(::ftruncate(fd_, static_cast<off_t>(size)) == 0, "the memory file can be resized");
  }

  const char* Path() const { return path_.c_str(); }

 private:
  int fd_;
  std::string path_;
};

}  // namespace varne::fuzz
