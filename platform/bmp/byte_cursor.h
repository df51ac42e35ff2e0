// A read position inside a byte range that knows how much is left. Every
// read of file data in the decoder goes through one of these, so no field
// can be taken from past the end of what was actually read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace varne::bmp {

class ByteCursor {
 public:
  explicit ByteCursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t position() const { return position_; }
  std::size_t remaining() const { return bytes_.size() - position_; }

  // Each read fails (and leaves the position alone) when fewer bytes remain
  // than it needs; values are little-endian as in every BMP field.
  bool ReadU8(std::uint8_t& out) {
    if (remaining() < 1) return false;
    out = bytes_[position_++];
    return true;
  }

  bool ReadU16(std::uint16_t& out) {
    if (remaining() < 2) return false;
    out = static_cast<std::uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
    position_ += 2;
    return true;
  }

  bool ReadU32(std::uint32_t& out) {
    if (remaining() < 4) return false;
    out = static_cast<std::uint32_t>(bytes_[position_]) |
          (static_cast<std::uint32_t>(bytes_[position_ + 1]) << 8) |
          (static_cast<std::uint32_t>(bytes_[position_ + 2]) << 16) |
          (static_cast<std::uint32_t>(bytes_[position_ + 3]) << 24);
    position_ += 4;
    return true;
  }

  bool ReadI32(std::int32_t& out) {
    std::uint32_t raw = 0;
    if (!ReadU32(raw)) return false;
    out = static_cast<std::int32_t>(raw);
    return true;
  }

  bool Skip(std::size_t count) {
    if (remaining() < count) return false;
    position_ += count;
    return true;
  }

  // Up to `count` bytes from here: fewer at the end of the range.
  std::span<const std::uint8_t> Take(std::size_t count) {
    const std::size_t taken = count < remaining() ? count : remaining();
    const std::span<const std::uint8_t> part = bytes_.subspan(position_, taken);
    position_ += taken;
    return part;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace varne::bmp
