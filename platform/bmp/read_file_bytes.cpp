#include "platform/bmp/read_file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace varne::bmp {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool NamesRegularFile(const char* path) {
  struct stat status {};
  return ::stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

// Reads until `bytes` is full or the file ends first. A file that shrank
// since it was measured, or whose size was only an estimate (files under
// /sys report a page), ends early; the part never read is cut off rather
// than handed on as zeros.
bool ReadInto(int fd, std::vector<std::uint8_t>& bytes) {
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const char* path, std::size_t maxBytes) {
  // Opening is already an act on a FIFO (a writer waiting for a reader is
  // let go) and on some devices, so a path that does not name a regular
  // file is never opened.
  if (path == nullptr || !NamesRegularFile(path)) return std::nullopt;
  // The path may be replaced in between: O_NONBLOCK keeps a FIFO put there
  // from stalling the open, and what was opened is checked again.
  const FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return std::nullopt;
  struct stat status {};
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;

  // Only as much as the file says it holds: a file that grows while it is
  // read is not followed.
  const std::size_t wanted =
      std::min<std::size_t>(static_cast<std::size_t>(status.st_size), maxBytes);
  std::vector<std::uint8_t> bytes;
  // The one exception in the loader: memory the process cannot have is the
  // platform's "none", not an error thrown through LoadImageA.
  try {
    bytes.resize(wanted);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (!ReadInto(file.get(), bytes)) return std::nullopt;
  return bytes;
}

}  // namespace varne::bmp
