// A forward read position over a ByteSource, through a small buffer of its
// own: run-length data is read a few bytes at a time, and the file behind
// it is never held whole. It stops for good at the first short read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "platform/bmp/byte_source.h"

namespace varne::bmp {

class SourceCursor {
 public:
  // The longest stretch Take hands out at once; an RLE code needs at most
  // 255 bytes.
  static constexpr std::size_t kBufferBytes = std::size_t{16} << 10;

  SourceCursor(ByteSource& source, std::size_t start) : source_(source), next_(start) {}

  bool ReadU8(std::uint8_t& out) {
    if (!Fill(1)) return false;
    out = buffer_[begin_++];
    return true;
  }

  bool Skip(std::size_t count) {
    if (!Fill(count)) return false;
    begin_ += count;
    return true;
  }

  // Up to `count` (at most kBufferBytes) bytes from here: fewer where the
  // data ends.
  std::span<const std::uint8_t> Take(std::size_t count) {
    if (count > kBufferBytes) count = kBufferBytes;
    Fill(count);
    const std::size_t taken = count < end_ - begin_ ? count : end_ - begin_;
    const std::span<const std::uint8_t> part(buffer_.data() + begin_, taken);
    begin_ += taken;
    return part;
  }

 private:
  // True when `count` bytes are buffered, reading more if they are not.
  bool Fill(std::size_t count) {
    if (end_ - begin_ >= count) return true;
    if (ended_ || count > kBufferBytes) return false;
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    const std::size_t wanted = kBufferBytes - end_;
    const std::size_t got = source_.ReadAt(next_, {buffer_.data() + end_, wanted});
    next_ += got;
    end_ += got;
    if (got < wanted) ended_ = true;
    return end_ - begin_ >= count;
  }

  ByteSource& source_;
  std::size_t next_;  // the source offset of buffer_[end_]
  std::array<std::uint8_t, kBufferBytes> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
};

}  // namespace varne::bmp
