// Whatever loads, through the rest of the system: LoadImageA on the input,
// NormalizeTo32Bpp, then one effect chosen by the input's last byte (a BMP
// decoder ignores trailing bytes, so the choice does not disturb the file).
// Besides sanitizer reports, every object the run creates must be released
// by the time it ends.
#include <cstddef>
#include <cstdint>

#include "effects/geometry/rotate_dib.h"
#include "effects/pixel/pixel_effects.h"
#include "effects/raster/raster_ops.h"
#include "fuzz/fuzz_report.h"
#include "fuzz/memory_file.h"
#include "image/bitmap_loader.h"
#include "image/dib32.h"
#include "platform/raster/live_objects.h"
#include "platform/win32.h"

namespace {

using varne::fuzz::Check;

void Release(HBITMAP image) {
  if (image != nullptr) Check(DeleteObject(image) == TRUE, "a result can be released");
}

// A thin strip turned by 45 degrees fills a frame of about (w + h)^2 / 2
// pixels: a small file can ask for a few hundred million. Those are correct
// but take the sanitized build longer than the fuzzer's time limit, and
// filling memory finds nothing, so the turn is tried on smaller frames only.
bool TurnIsQuick(const Dib32Pixels& pixels) {
  const long long side = static_cast<long long>(pixels.width) + pixels.height;
  return side * side / 2 <= (1LL << 24);
}

// A small file can describe a picture of up to the 1 GiB cap (run-length
// data, or a file cut short). Loading it is the loader's work and is
// timed like any input; copying and filtering a gigabyte is correct but
// slow with the sanitizers, and would break the time limit without
// finding anything, so the effects run on pictures up to 4 megapixels.
bool EffectIsQuick(HBITMAP loaded) {
  BITMAP description{};
  Check(GetObjectA(loaded, sizeof description, &description) != 0, "a loaded image describes itself");
  return static_cast<long long>(description.bmWidth) * description.bmHeight <= (1LL << 22);
}

// Runs effect `choice` on `image` and releases everything, the input too.
void RunEffect(HBITMAP image, const Dib32Pixels& pixels, std::uint8_t choice) {
  const int t = choice;  // a threshold that varies with the input
  switch (choice % 8) {
    case 0: Check(GrayScaleDib(image) == image, "GrayScaleDib works in place"); break;
    case 1: Check(ThresholdDib(image, t - 128) == image, "ThresholdDib works in place"); break;
    case 2: Check(InvertDib(image) == image, "InvertDib works in place"); break;
    case 3:
      if (TurnIsQuick(pixels)) Release(RotateDib(image, DegreesToRadians(45), 0x00C0C0C0));
      break;
    case 4: EdgesDib(image, 127); break;
    case 5: {
      // On success Emboss has released its input itself.
      const HBITMAP embossed = EmbossDib(image, -128);
      if (embossed != nullptr) {
        Release(embossed);
        return;
      }
      break;
    }
    case 6: Release(WatermarkDib(image, image, 1, 0, 0, 0x00FF8080, 0x00A00000)); break;
    default: Release(SkinDib(image, image, 0, 0x00FF8080, 0x00A00000)); break;
  }
  Release(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static varne::fuzz::MemoryFile file;
  if (size == 0) return 0;
  const varne::raster::LiveObjects before = varne::raster::CountLiveObjects();
  file.Write(data, size);
  const auto loaded = static_cast<HBITMAP>(
      LoadImageA(nullptr, file.Path(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  if (loaded != nullptr && !EffectIsQuick(loaded)) {
    Release(loaded);
  } else if (loaded != nullptr) {
    const HBITMAP image = NormalizeTo32Bpp(loaded);
    if (image != nullptr) {
      Dib32Pixels pixels{};
      Check(ReadDib32Pixels(image, &pixels), "a normalised image is a Dib32");
      RunEffect(image, pixels, data[size - 1]);
    }
  }
  Check(varne::raster::CountLiveObjects() == before, "the run released everything it made");
  return 0;
}
