// The raster layer's transfers as the mask effects use them, on a
// thresholded picture (black shapes on white) and its masks.
#include <benchmark/benchmark.h>

#include "bench/bench_sizes.h"
#include "bench/memcpy_reference.h"
#include "bench/synthetic_image.h"
#include "image/dib32.h"

namespace varne::bench {

namespace {

constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kBlack = 0x00000000;
constexpr DWORD kPsdpxax = 0x00B8074A;

enum class Path { kColourToMono, kMonoToColour, kMonoToMono, kBrushThroughMono };

// One destination and one source, each in a memory DC of its own.
struct BlitPair {
  HDC to;
  HDC from;
  HBITMAP destination;
  HBITMAP source;
  HGDIOBJ previousTo;
  HGDIOBJ previousFrom;
  HBRUSH brush;
  HGDIOBJ previousBrush;
};

HBITMAP MonoMaskOf(HBITMAP shapes, int w, int h) {
  const HDC screen = GetDC(nullptr);
  const HDC image = CreateCompatibleDC(screen);
  const HDC mask = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  const HBITMAP bits = CreateBitmap(w, h, 1, 1, nullptr);
  const HGDIOBJ previousImage = SelectObject(image, shapes);
  const HGDIOBJ previousMask = SelectObject(mask, bits);
  BitBlt(mask, 0, 0, w, h, image, 0, 0, SRCCOPY);
  SelectObject(mask, previousMask);
  SelectObject(image, previousImage);
  DeleteDC(mask);
  DeleteDC(image);
  return bits;
}

BlitPair MakePair(Path path, int w, int h) {
  BlitPair pair{};
  const HDC screen = GetDC(nullptr);
  pair.to = CreateCompatibleDC(screen);
  pair.from = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  const HBITMAP shapes = SyntheticShapes(w, h);
  switch (path) {
    case Path::kColourToMono:
      pair.source = shapes;
      pair.destination = CreateBitmap(w, h, 1, 1, nullptr);
      break;
    case Path::kMonoToColour:
    case Path::kBrushThroughMono:
      pair.source = MonoMaskOf(shapes, w, h);
      pair.destination = shapes;
      break;
    case Path::kMonoToMono:
      pair.source = MonoMaskOf(shapes, w, h);
      pair.destination = CreateBitmap(w, h, 1, 1, nullptr);
      DeleteObject(shapes);
      break;
  }
  pair.previousTo = SelectObject(pair.to, pair.destination);
  pair.previousFrom = SelectObject(pair.from, pair.source);
  SetBkColor(pair.to, kWhite);
  SetTextColor(pair.to, kBlack);
  pair.brush = CreateSolidBrush(0x00A00000);
  pair.previousBrush = SelectObject(pair.to, pair.brush);
  return pair;
}

void ReleasePair(const BlitPair& pair) {
  SelectObject(pair.to, pair.previousBrush);
  SelectObject(pair.to, pair.previousTo);
  SelectObject(pair.from, pair.previousFrom);
  DeleteObject(pair.brush);
  DeleteObject(pair.destination);
  DeleteObject(pair.source);
  DeleteDC(pair.to);
  DeleteDC(pair.from);
}

// shift 1: the rims' diagonal copy, which misaligns every mono word.
void RunBlit(benchmark::State& state, Path path, DWORD rop, int shift) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const BlitPair pair = MakePair(path, w, h);
  // Colour paths move a 32-bpp image; mono to mono only its bits.
  const std::size_t bytes = path == Path::kMonoToMono
                                ? (static_cast<std::size_t>(w) + 63) / 64 * 8 * h
                                : ImageBytes(w, h);
  {
    MemcpyReference reference(state, bytes);
    for (auto _ : state) {
      reference.Time([&] { BitBlt(pair.to, 0, 0, w - shift, h - shift, pair.from, shift, shift, rop); });
    }
  }
  ReleasePair(pair);
}

void BM_ColourToMono_SRCCOPY(benchmark::State& s) { RunBlit(s, Path::kColourToMono, SRCCOPY, 0); }
void BM_ColourToMono_MERGEPAINT(benchmark::State& s) {
  RunBlit(s, Path::kColourToMono, MERGEPAINT, 0);
}
void BM_ColourToMono_SRCCOPY_Shifted(benchmark::State& s) {
  RunBlit(s, Path::kColourToMono, SRCCOPY, 1);
}
void BM_MonoToColour_SRCCOPY(benchmark::State& s) { RunBlit(s, Path::kMonoToColour, SRCCOPY, 0); }
void BM_MonoToColour_SRCAND(benchmark::State& s) { RunBlit(s, Path::kMonoToColour, SRCAND, 0); }
void BM_MonoToMono_SRCCOPY_Shifted(benchmark::State& s) {
  RunBlit(s, Path::kMonoToMono, SRCCOPY, 1);
}
void BM_MonoToMono_MERGEPAINT(benchmark::State& s) { RunBlit(s, Path::kMonoToMono, MERGEPAINT, 0); }
void BM_PSDPxax_Brush(benchmark::State& s) { RunBlit(s, Path::kBrushThroughMono, kPsdpxax, 0); }

BENCHMARK(BM_ColourToMono_SRCCOPY)->Apply(PhotoSizes);
BENCHMARK(BM_ColourToMono_MERGEPAINT)->Apply(PhotoSizes);
BENCHMARK(BM_ColourToMono_SRCCOPY_Shifted)->Apply(PhotoSizes);
BENCHMARK(BM_MonoToColour_SRCCOPY)->Apply(PhotoSizes);
BENCHMARK(BM_MonoToColour_SRCAND)->Apply(PhotoSizes);
BENCHMARK(BM_MonoToMono_SRCCOPY_Shifted)->Apply(PhotoSizes);
BENCHMARK(BM_MonoToMono_MERGEPAINT)->Apply(PhotoSizes);
BENCHMARK(BM_PSDPxax_Brush)->Apply(PhotoSizes);

}  // namespace

}  // namespace varne::bench
