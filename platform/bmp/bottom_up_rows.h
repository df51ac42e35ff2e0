// Where each stored row of a file lands in a bottom-up section: the same
// index for a bottom-up file, mirrored for a top-down one. Decoding into
// the final rows directly means a top-down file needs no flipping pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace varne::bmp {

class BottomUpRows {
 public:
  BottomUpRows(std::span<std::uint8_t> bits, std::size_t rowBytes, std::int32_t height,
               bool topDownFile)
      : bits_(bits), rowBytes_(rowBytes), height_(height), topDownFile_(topDownFile) {}

  std::int32_t height() const { return height_; }
  std::size_t rowBytes() const { return rowBytes_; }

  // `storedRow` counts rows in file order, 0 <= storedRow < height.
  std::span<std::uint8_t> Row(std::int32_t storedRow) const {
    const std::int32_t sectionRow = topDownFile_ ? height_ - 1 - storedRow : storedRow;
    return bits_.subspan(static_cast<std::size_t>(sectionRow) * rowBytes_, rowBytes_);
  }

 private:
  std::span<std::uint8_t> bits_;
  std::size_t rowBytes_;
  std::int32_t height_;
  bool topDownFile_;
};

}  // namespace varne::bmp
