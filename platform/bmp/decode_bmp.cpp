#include "platform/bmp/bmp_decoder.h"

namespace varne::bmp {

std::variant<DecodedBmp, DecodeError> DecodeBmp(std::span<const std::uint8_t> file) {
  auto parsed = ParseBmpLayout(file);
  if (const auto* error = std::get_if<DecodeError>(&parsed)) return *error;
  DecodedBmp decoded{std::move(std::get<BmpLayout>(parsed)), {}};
  decoded.bits.assign(decoded.layout.imageBytes, 0);
  DecodeBmpPixels(decoded.layout, file, decoded.bits);
  return decoded;
}

}  // namespace varne::bmp
