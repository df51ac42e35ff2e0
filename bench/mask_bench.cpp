// The mask-composite effects, each call alone: inputs are made and results
// released outside the timed part.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/bench_sizes.h"
#include "bench/memcpy_reference.h"
#include "bench/synthetic_image.h"
#include "effects/raster/raster_ops.h"
#include "image/dib32.h"

namespace varne::bench {

namespace {

constexpr int kThreshold = 128;
constexpr COLORREF kRaisedLight = 0x00FF8080;
constexpr COLORREF kRaisedDark = 0x00A00000;
constexpr int kSkinSide = 256;

// One timed call a round. When `copied` is not none the call gets a fresh
// copy of it, made outside the timed part (Edges works in place, Emboss
// releases its input); what the call returns is released outside it too.
template <typename Effect>
void TimeEachCall(benchmark::State& state, int w, int h, HBITMAP copied, Effect effect) {
  MemcpyReference reference(state, ImageBytes(w, h));
  for (auto _ : state) {
    const HBITMAP input = copied != nullptr ? CopyDib32(copied) : nullptr;
    HBITMAP result = nullptr;
    reference.Time([&] { result = effect(input); });
    DeleteObject(result);
  }
}

void BM_EdgesDib(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const HBITMAP source = SyntheticDib32(w, h);
  TimeEachCall(state, w, h, source, [](HBITMAP copy) {
    EdgesDib(copy, kThreshold);
    return copy;
  });
  DeleteObject(source);
}
BENCHMARK(BM_EdgesDib)->Apply(PhotoSizes);

void BM_EmbossDib(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const HBITMAP source = SyntheticDib32(w, h);
  TimeEachCall(state, w, h, source, [](HBITMAP copy) { return EmbossDib(copy, kThreshold); });
  DeleteObject(source);
}
BENCHMARK(BM_EmbossDib)->Apply(PhotoSizes);

// The largest mark the command can meet: as large as the target, at (0, 0).
void BM_WatermarkDib(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const HBITMAP target = SyntheticDib32(w, h);
  const HBITMAP mark = SyntheticShapes(w, h);
  TimeEachCall(state, w, h, nullptr, [&](HBITMAP) {
    return WatermarkDib(mark, target, 1, 0, 0, kRaisedLight, kRaisedDark);
  });
  DeleteObject(mark);
  DeleteObject(target);
}
BENCHMARK(BM_WatermarkDib)->Apply(PhotoSizes);

// A photograph as the shape (its key colour is rare) and a small tile.
void BM_SkinDib(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const HBITMAP shape = SyntheticShapes(w, h);
  const HBITMAP skin = SyntheticDib32(kSkinSide, kSkinSide);
  TimeEachCall(state, w, h, nullptr,
               [&](HBITMAP) { return SkinDib(shape, skin, 1, kRaisedLight, kRaisedDark); });
  DeleteObject(skin);
  DeleteObject(shape);
}
BENCHMARK(BM_SkinDib)->Apply(PhotoSizes);

}  // namespace

}  // namespace varne::bench
