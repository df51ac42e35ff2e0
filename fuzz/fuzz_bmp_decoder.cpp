// Whole files through the BMP decoder that stands behind LoadImageA. Any
// sanitizer report is a finding; so is a decoded picture whose description
// does not add up, because the loader trusts it when it copies the pixels.
#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>

#include "fuzz/fuzz_report.h"
#include "platform/bmp/test_seam.h"
#include "platform/raster/surface_limits.h"

namespace {

using varne::fuzz::Check;

void CheckLayout(const varne::bmp::BmpLayout& layout, std::size_t fileSize) {
  Check(layout.width > 0 && layout.height > 0, "dimensions are positive");
  const auto bytes = varne::raster::CheckedSurfaceBytes(layout.width, layout.height,
                                                        layout.bitCount);
  Check(bytes.has_value(), "the picture is within the surface cap");
  Check(layout.imageBytes == *bytes, "image bytes are padded rows times height");
  Check(layout.rowBytes * static_cast<std::size_t>(layout.height) == layout.imageBytes,
        "row bytes times height is the image");
  Check(layout.pixelOffset < fileSize, "pixel data starts inside the file");
  if (layout.bitCount <= 8) {
    Check(layout.colours.size() == (std::size_t{1} << layout.bitCount),
          "a palette picture carries a full colour table");
  } else {
    Check(layout.colours.empty(), "a true-colour picture carries no colour table");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  const auto parsed = varne::bmp::ParseBmpLayout(file);
  const auto decoded = varne::bmp::DecodeBmp(file);
  Check(parsed.index() == decoded.index(), "parsing and decoding agree on acceptance");
  if (const auto* result = std::get_if<varne::bmp::DecodedBmp>(&decoded)) {
    CheckLayout(result->layout, size);
    Check(result->bits.size() == result->layout.imageBytes, "decoded rows fill the image");
  }
  return 0;
}
