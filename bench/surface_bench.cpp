// Making surfaces: CopyDib32, normalising loaded bitmaps, and the loader.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_sizes.h"
#include "bench/bmp_writer.h"
#include "bench/memcpy_reference.h"
#include "bench/synthetic_image.h"
#include "image/bitmap_loader.h"
#include "image/dib32.h"

namespace varne::bench {

namespace {

// As a command pays for it: the copy, and later the release of the image
// it replaces.
void BM_CopyDib32(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const HBITMAP source = SyntheticDib32(w, h);
  MemcpyReference reference(state, ImageBytes(w, h));
  for (auto _ : state) {
    reference.Time([&] { DeleteObject(CopyDib32(source)); });
  }
  DeleteObject(source);
}
BENCHMARK(BM_CopyDib32)->Apply(PhotoSizes);

// A loaded section of a lower depth: a palette or packed BGR rows.
struct LoadedSection {
  std::vector<std::uint8_t> info;  // header and colour table
  std::vector<std::uint8_t> bits;
  std::size_t rowBytes;
};

LoadedSection MakeLoadedSection(int w, int h, int bitsPerPixel) {
  LoadedSection section;
  const int colours = bitsPerPixel == 8 ? 256 : 0;
  section.info.assign(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD), 0);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = w;
  header.biHeight = h;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bitsPerPixel);
  header.biCompression = BI_RGB;
  std::memcpy(section.info.data(), &header, sizeof(header));
  for (int i = 0; i < colours; ++i) {
    const RGBQUAD entry{static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                        static_cast<BYTE>((i * 7) & 255), 0};
    std::memcpy(section.info.data() + sizeof(header) + i * sizeof(RGBQUAD), &entry, sizeof(entry));
  }
  section.rowBytes = (static_cast<std::size_t>(w) * bitsPerPixel / 8 + 3) / 4 * 4;
  const std::vector<std::uint32_t> pixels = SyntheticPixels(w, h);
  section.bits.assign(section.rowBytes * static_cast<std::size_t>(h), 0);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = section.bits.data() + static_cast<std::size_t>(y) * section.rowBytes;
    const std::uint32_t* words = pixels.data() + static_cast<std::size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      if (bitsPerPixel == 8) {
        row[x] = static_cast<std::uint8_t>(words[x] >> 8);
      } else {
        std::memcpy(row + static_cast<std::size_t>(x) * 3, &words[x], 3);
      }
    }
  }
  return section;
}

HBITMAP InstantiateSection(const LoadedSection& section) {
  void* bits = nullptr;
  const HBITMAP bitmap =
      CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(section.info.data()),
                       DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) std::memcpy(bits, section.bits.data(), section.bits.size());
  return bitmap;
}

void NormalizeFrom(benchmark::State& state, int bitsPerPixel) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const LoadedSection section = MakeLoadedSection(w, h, bitsPerPixel);
  MemcpyReference reference(state, ImageBytes(w, h));
  for (auto _ : state) {
    const HBITMAP loaded = InstantiateSection(section);
    HBITMAP normalised = nullptr;
    reference.Time([&] { normalised = NormalizeTo32Bpp(loaded); });
    DeleteObject(normalised);
  }
}

void BM_NormalizeTo32Bpp_From8(benchmark::State& state) { NormalizeFrom(state, 8); }
void BM_NormalizeTo32Bpp_From24(benchmark::State& state) { NormalizeFrom(state, 24); }
BENCHMARK(BM_NormalizeTo32Bpp_From8)->Apply(PhotoSizes);
BENCHMARK(BM_NormalizeTo32Bpp_From24)->Apply(PhotoSizes);

// What LoadBitmapFile does once the file is chosen: decode, normalise. The
// file is in the page cache after the first round, so this is the decoder's
// cost, not the disk's. Reference: the 32-bpp image's bytes.
void BM_LoadBmp24(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const std::string path = "/tmp/varne_bench_" + std::to_string(w) + "x" + std::to_string(h) + ".bmp";
  if (!WriteBmp24(path, w, h, SyntheticPixels(w, h))) {
    state.SkipWithError("cannot write the test file");
    return;
  }
  MemcpyReference reference(state, ImageBytes(w, h));
  for (auto _ : state) {
    HBITMAP image = nullptr;
    reference.Time([&] {
      image = NormalizeTo32Bpp(static_cast<HBITMAP>(
          LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    });
    if (image == nullptr) state.SkipWithError("the loader refused the file");
    DeleteObject(image);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadBmp24)->Apply(PhotoSizes);

}  // namespace

}  // namespace varne::bench
