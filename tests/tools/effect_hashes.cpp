// varne_effect_hashes MARK SKIN FILE...: loads each FILE as the Open command
// does, applies every effect as its command does (MARK as the watermark's
// second picture, SKIN as the skin's), and prints one line per file and
// effect: the result's size and a hash of its pixel words, or "none". Two
// builds of the same sources print the same lines only if every effect gives
// the same pixels on both: the test command compares the arm64 build, run
// under emulation, with the amd64 one this way.
#include <cstdint>
#include <cstdio>

#include "effects/geometry/rotate_dib.h"
#include "effects/pixel/pixel_effects.h"
#include "effects/raster/raster_ops.h"
#include "image/bitmap_loader.h"
#include "image/dib32.h"

namespace {

// The commands' own settings.
constexpr int kThreshold = 128;
constexpr int kEdgesThreshold = 127;
constexpr int kEmbossThreshold = -128;
constexpr COLORREF kLightRim = 0x00FF8080;
constexpr COLORREF kDarkRim = 0x00A00000;
constexpr COLORREF kRotateBackground = 0x00C0C0C0;

HBITMAP Load(const char* path) {
  const HANDLE loaded =
      LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  return loaded ? NormalizeTo32Bpp(static_cast<HBITMAP>(loaded)) : nullptr;
}

// FNV-1a over the words' bytes, bottom row first.
void Print(const char* path, const char* effect, HBITMAP result) {
  Dib32Pixels pixels{};
  if (result == nullptr || !ReadDib32Pixels(result, &pixels)) {
    std::printf("%s %s none\n", path, effect);
    return;
  }
  std::uint64_t hash = 14695981039346656037ull;
  for (std::size_t i = 0; i < WordCount(pixels); ++i) {
    for (int byte = 0; byte < 4; ++byte) {
      hash = (hash ^ (pixels.words[i] >> (8 * byte) & 0xFF)) * 1099511628211ull;
    }
  }
  std::printf("%s %s %ldx%ld %016llx\n", path, effect, static_cast<long>(pixels.width),
              static_cast<long>(pixels.height), static_cast<unsigned long long>(hash));
}

// Each effect on a fresh copy of the source, as each command takes one.
void HashEffects(const char* path, HBITMAP source, HBITMAP mark, HBITMAP skin) {
  Print(path, "open", source);
  if (source == nullptr) return;
  const auto inPlace = [&](const char* effect, auto apply) {
    HBITMAP copy = CopyDib32(source);
    Print(path, effect, copy ? apply(copy) : nullptr);
    DeleteObject(copy);
  };
  inPlace("grayscale", [](HBITMAP copy) { return GrayScaleDib(copy); });
  inPlace("invert", [](HBITMAP copy) { return InvertDib(copy); });
  inPlace("threshold", [](HBITMAP copy) { return ThresholdDib(copy, kThreshold); });
  inPlace("edges", [](HBITMAP copy) { return EdgesDib(copy, kEdgesThreshold); });

  // EmbossDib releases the copy it was given when it succeeds.
  HBITMAP copy = CopyDib32(source);
  HBITMAP embossed = copy ? EmbossDib(copy, kEmbossThreshold) : nullptr;
  Print(path, "emboss", embossed);
  DeleteObject(embossed ? embossed : copy);

  const auto intoNew = [&](const char* effect, auto apply) {
    HBITMAP copy = CopyDib32(source);
    HBITMAP result = copy ? apply(copy) : nullptr;
    Print(path, effect, result);
    if (result != copy) DeleteObject(copy);
    DeleteObject(result);
  };
  intoNew("rotate", [](HBITMAP copy) {
    return RotateDib(copy, DegreesToRadians(45.0f), kRotateBackground);
  });
  if (mark) {
    intoNew("watermark", [&](HBITMAP copy) {
      return WatermarkDib(mark, copy, 1, 0, 0, kLightRim, kDarkRim);
    });
  }
  if (skin) {
    intoNew("skin", [&](HBITMAP copy) { return SkinDib(copy, skin, 0, kLightRim, kDarkRim); });
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s MARK SKIN FILE...\n", argv[0]);
    return 2;
  }
  HBITMAP mark = Load(argv[1]);
  HBITMAP skin = Load(argv[2]);
  for (int i = 3; i < argc; ++i) {
    HBITMAP source = Load(argv[i]);
    HashEffects(argv[i], source, mark, skin);
    DeleteObject(source);
  }
  DeleteObject(mark);
  DeleteObject(skin);
  return 0;
}
