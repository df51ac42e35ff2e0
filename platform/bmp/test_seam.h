// The BMP layer's test seam: whole files in memory, for the fuzz targets
// and the tests, which hold their files in memory. LoadImageA never calls
// these, so the program never links them. Each is a thin wrapper over the
// calls LoadImageA makes, so that what is fuzzed and tested is the very
// code it runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "platform/bmp/bmp_decoder.h"
#include "platform/bmp/byte_source.h"

namespace varne::bmp {

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

// ParseBmpLayout and DecodeBmpPixels over a whole file in memory.
std::variant<BmpLayout, DecodeError> ParseBmpLayout(std::span<const std::uint8_t> file);
void DecodeBmpPixels(const BmpLayout& layout, std::span<const std::uint8_t> file,
                     std::span<std::uint8_t> bottomUpRows);

struct DecodedBmp {
  BmpLayout layout;
  std::vector<std::uint8_t> bits;  // bottom-up rows, layout.imageBytes long
};

// Both steps at once, into memory of its own.
std::variant<DecodedBmp, DecodeError> DecodeBmp(std::span<const std::uint8_t> file);

// The contents of the regular file at `path` through OpenedFile, at most
// `maxBytes` of them (the rest is left unread), never more than its size
// when it was opened and never bytes it did not hold: OpenedFile's
// refusals and size limits, held to account through one whole read.
// Nothing where OpenedFile::Open gives nothing, and nothing when memory
// for the contents cannot be had.
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const char* path, std::size_t maxBytes);

}  // namespace varne::bmp
