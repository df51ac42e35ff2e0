// Reading the chosen file, for the loader: opened once, then read where
// the decoder needs it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

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

// The size of the read call that starts `filled` bytes into a read of
// `wanted`: at most kReadCallBytes, and never across a multiple of
// raster::kFillPieceBytes, where the pieces that the destination's pages
// come in by meet, so that the calls are the same however they come in.
std::size_t ReadCallBytes(std::size_t filled, std::size_t wanted);

// The regular file at a path, open for reading. Reads go straight into the
// caller's memory (a section's rows), so the file is never held whole.
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

  // A file that shrank, or whose size was only an estimate (files under
  // /sys report a page), gives fewer bytes; so does a failed read.
  std::size_t ReadAt(std::size_t offset, std::span<std::uint8_t> out) override;

 private:
  OpenedFile(int fd, std::size_t size) : fd_(fd), size_(size) {}

  int fd_;
  std::size_t size_;
};

// The contents of the regular file at `path`, at most `maxBytes` of them
// (the rest is left unread), never more than its size when it was opened
// and never bytes it did not hold. Nothing where OpenedFile::Open gives
// nothing, and nothing when memory for the contents cannot be had.
// LoadImageA reads through OpenedFile and never calls this; only the tests
// do (read_file_bytes_test, unusual_paths_test), to hold OpenedFile's
// refusals and size limits to account through one whole read.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const char* path, std::size_t maxBytes);

}  // namespace varne::bmp
