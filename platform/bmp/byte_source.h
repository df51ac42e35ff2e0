// Where the decoder's pixel data comes from: a file read as it is decoded
// (OpenedFile), or bytes already in memory (the test seam's MemoryBytes).
// One decoder runs over either, and never sees more than a read reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace varne::bmp {

class ByteSource {
 public:
  // Copies the bytes from `offset` on into `out`, as many as fit, and
  // returns how many it copied. Fewer than out.size() means the data ends
  // there (or can no longer be read, which the decoder treats the same);
  // nothing past the count is written.
  virtual std::size_t ReadAt(std::size_t offset, std::span<std::uint8_t> out) = 0;

 protected:
  ~ByteSource() = default;
};

}  // namespace varne::bmp
