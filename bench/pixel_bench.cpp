// The pixel effects: as a command runs them (a fresh copy, the pass, and
// the release of the image the result replaces) and the in-place pass alone.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_sizes.h"
#include "bench/memcpy_reference.h"
#include "bench/synthetic_image.h"
#include "effects/pixel/pixel_effects.h"
#include "image/dib32.h"

namespace varne::bench {

namespace {

constexpr int kThreshold = 128;

HBITMAP GrayScale(HBITMAP image) { return GrayScaleDib(image); }
HBITMAP Invert(HBITMAP image) { return InvertDib(image); }
HBITMAP Threshold(HBITMAP image) { return ThresholdDib(image, kThreshold); }

template <HBITMAP (*Effect)(HBITMAP)>
void BM_Command(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const HBITMAP source = SyntheticDib32(w, h);
  MemcpyReference reference(state, ImageBytes(w, h));
  for (auto _ : state) {
    reference.Time([&] {
      const HBITMAP copy = CopyDib32(source);
      Effect(copy);
      DeleteObject(copy);
    });
  }
  DeleteObject(source);
}

// The pass runs on the source's pixels every time: they are put back,
// untimed, before each round.
template <HBITMAP (*Effect)(HBITMAP)>
void BM_Pass(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const HBITMAP source = SyntheticDib32(w, h);
  const HBITMAP work = CopyDib32(source);
  Dib32Pixels from{};
  Dib32Pixels to{};
  ReadDib32Pixels(source, &from);
  ReadDib32Pixels(work, &to);
  MemcpyReference reference(state, ImageBytes(w, h));
  for (auto _ : state) {
    std::memcpy(to.words, from.words, ImageBytes(w, h));
    reference.Time([&] { Effect(work); });
  }
  DeleteObject(work);
  DeleteObject(source);
}

BENCHMARK(BM_Command<GrayScale>)->Name("BM_GrayScaleCommand")->Apply(PhotoSizes);
BENCHMARK(BM_Command<Invert>)->Name("BM_InvertCommand")->Apply(PhotoSizes);
BENCHMARK(BM_Command<Threshold>)->Name("BM_ThresholdCommand")->Apply(PhotoSizes);
BENCHMARK(BM_Pass<GrayScale>)->Name("BM_GrayScaleDib")->Apply(PhotoSizes);
BENCHMARK(BM_Pass<Invert>)->Name("BM_InvertDib")->Apply(PhotoSizes);
BENCHMARK(BM_Pass<Threshold>)->Name("BM_ThresholdDib")->Apply(PhotoSizes);

}  // namespace

}  // namespace varne::bench
