#include "platform/bmp/opened_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/raster/make_resident.h"

namespace varne::bmp {
namespace {

bool NamesRegularFile(const char* path) {
  struct stat status {};
  return ::stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

#if defined(VARNE_FUZZ_READ_CALL_BYTES)
ReadCallObserver readCallObserver = nullptr;

void AfterReadCall(std::size_t offset, ssize_t got) {
  if (readCallObserver != nullptr) readCallObserver(offset, got > 0 ? static_cast<std::size_t>(got) : 0);
}
#else
void AfterReadCall(std::size_t, ssize_t) {}
#endif

}  // namespace

#if defined(VARNE_FUZZ_READ_CALL_BYTES)
void ObserveReadCalls(ReadCallObserver observer) { readCallObserver = observer; }
#endif

std::unique_ptr<OpenedFile> OpenedFile::Open(const char* path, std::size_t maxBytes) {
  // Opening is already an act on a FIFO (a writer waiting for a reader is
  // let go) and on some devices, so a path that does not name a regular
  // file is never opened.
  if (path == nullptr || !NamesRegularFile(path)) return nullptr;
  // The path may be replaced in between: O_NONBLOCK keeps a FIFO put there
  // from stalling the open, and what was opened is checked again.
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  const std::size_t size = std::min<std::size_t>(static_cast<std::size_t>(status.st_size), maxBytes);
  // A picture's rows are read once, front to back, so a file not yet
  // cached may be read further ahead. Only advice: a file system that
  // ignores it reads as before.
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::unique_ptr<OpenedFile>(new OpenedFile(fd, size));
}

OpenedFile::~OpenedFile() { ::close(fd_); }

std::size_t OpenedFile::ReadAt(std::size_t offset, std::span<std::uint8_t> out) {
  if (offset >= size_) return 0;
  const std::size_t wanted = std::min(out.size(), size_ - offset);
  // The file holds these bytes, so every page of them is about to be
  // written.
  raster::MakeResident(out.data(), wanted);
  std::size_t filled = 0;
  while (filled < wanted) {
    const std::size_t call = std::min(wanted - filled, kReadCallBytes);
    const ssize_t got = ::pread(fd_, out.data() + filled, call, static_cast<off_t>(offset + filled));
    if (got < 0 && errno == EINTR) continue;
    AfterReadCall(offset + filled, got);
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return filled;
}

}  // namespace varne::bmp
