// The chosen file, for the loader: opened once, then read where the decoder
// needs it, straight into the caller's memory (a section's rows), so the
// file is never held whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/bmp/byte_source.h"

namespace varne::bmp {

#if defined(VARNE_FUZZ_READ_CALL_BYTES)
// The fuzz build splits reads into calls of this odd size, so that files
// of a few hundred KiB already take the split path, and lets its target
// act between two calls: it changes the file's size there, as another
// program could at any moment.
inline constexpr std::size_t kReadCallBytes = VARNE_FUZZ_READ_CALL_BYTES;
using ReadCallObserver = void (*)(std::size_t offset, std::size_t got);
void ObserveReadCalls(ReadCallObserver observer);
#else
// One read call moves at most this much: the kernel caps a call near
// 2 GiB anyway, and a shorter one keeps a huge read interruptible.
inline constexpr std::size_t kReadCallBytes = std::size_t{64} << 20;
#endif

// The regular file at a path, open for reading.
class OpenedFile final : public ByteSource {
 public:
  // Nothing for a missing or unreadable file, a directory, a device, a
  // pipe or a socket (none of which is even opened). Reads stop at
  // `maxBytes` and at the file's size when it was opened: a file that
  // grows is not followed.
  static std::unique_ptr<OpenedFile> Open(const char* path, std::size_t maxBytes);
  ~OpenedFile();
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;

  // The most any read can give: the file's size when opened, capped.
  std::size_t size() const { return size_; }

  // In calls of at most kReadCallBytes. A file that shrank, or whose size
  // was only an estimate (files under /sys report a page), gives fewer
  // bytes; so does a failed read.
  std::size_t ReadAt(std::size_t offset, std::span<std::uint8_t> out) override;

 private:
  OpenedFile(int fd, std::size_t size) : fd_(fd), size_(size) {}

  int fd_;
  std::size_t size_;
};

}  // namespace varne::bmp
