// Where the decoder's pixel data comes from: a file read as it is decoded,
// or bytes already in memory (the fuzz targets and the tests). One decoder
// runs over either, and never sees more than a read reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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

class MemoryBytes final : public ByteSource {
 public:
  explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t ReadAt(std::size_t offset, std::span<std::uint8_t> out) override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t count = out.size() < bytes_.size() - offset ? out.size() : bytes_.size() - offset;
    if (count != 0) std::memcpy(out.data(), bytes_.data() + offset, count);
    return count;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace varne::bmp
