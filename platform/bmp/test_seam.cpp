#include "platform/bmp/test_seam.h"

#include <new>
#include <utility>

#include "platform/bmp/opened_file.h"

namespace varne::bmp {

std::variant<BmpLayout, DecodeError> ParseBmpLayout(std::span<const std::uint8_t> file) {
  return ParseBmpLayout(file, file.size());
}

void DecodeBmpPixels(const BmpLayout& layout, std::span<const std::uint8_t> file,
                     std::span<std::uint8_t> bottomUpRows) {
  MemoryBytes source(file);
  DecodeBmpPixels(layout, source, bottomUpRows);
}

std::variant<DecodedBmp, DecodeError> DecodeBmp(std::span<const std::uint8_t> file) {
  auto parsed = ParseBmpLayout(file);
  if (const auto* error = std::get_if<DecodeError>(&parsed)) return *error;
  DecodedBmp decoded{std::move(std::get<BmpLayout>(parsed)), {}};
  decoded.bits.assign(decoded.layout.imageBytes, 0);
  DecodeBmpPixels(decoded.layout, file, decoded.bits);
  return decoded;
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const char* path, std::size_t maxBytes) {
  const auto file = OpenedFile::Open(path, maxBytes);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  // Memory the process cannot have is "nothing", as promised, not an
  // exception thrown into the caller.
  try {
    bytes.resize(file->size());
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  // The part never read is cut off rather than handed on as zeros.
  bytes.resize(file->ReadAt(0, bytes));
  return bytes;
}

}  // namespace varne::bmp
