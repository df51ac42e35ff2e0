// RotateDib at 45 degrees, from the source to a new surface. Reference:
// the output's bytes, which are about twice the input's.
#include <benchmark/benchmark.h>

#include "bench/bench_sizes.h"
#include "bench/memcpy_reference.h"
#include "bench/synthetic_image.h"
#include "effects/geometry/rotate_dib.h"

namespace varne::bench {

namespace {

constexpr COLORREF kLightGrey = 0x00C0C0C0;  // red, green and blue 192

void BM_RotateDib45(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const HBITMAP source = SyntheticDib32(w, h);
  const float angle = DegreesToRadians(45.0f);
  BITMAP turned{};
  const HBITMAP probe = RotateDib(source, angle, kLightGrey);
  GetObjectA(probe, sizeof(turned), &turned);
  DeleteObject(probe);
  MemcpyReference reference(state, ImageBytes(turned.bmWidth, turned.bmHeight));
  for (auto _ : state) {
    reference.Time([&] { DeleteObject(RotateDib(source, angle, kLightGrey)); });
  }
  DeleteObject(source);
}
BENCHMARK(BM_RotateDib45)->Apply(PhotoSizes);

}  // namespace

}  // namespace varne::bench
