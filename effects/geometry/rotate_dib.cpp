#include "effects/geometry/rotate_dib.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "image/colour_order.h"
#include "image/dib32.h"

// The rounding trick below needs sums held in double, not in wider registers.
static_assert(FLT_EVAL_METHOD == 0);

namespace {

// Nearest integer, ties to even, as the default rounding mode gives it.
// Adding and removing 1.5 * 2^52 leaves the rounded value without a library
// call per pixel; exact for |value| < 2^51, far beyond any coordinate here.
inline std::int64_t RoundToEven(double value) {
  constexpr double kShift = 6755399441055744.0;
  return static_cast<std::int64_t>((value + kShift) - kShift);
}

// The product of a coordinate with sine or cosine, rounded to single precision.
inline double Single(double product) { return static_cast<double>(static_cast<float>(product)); }

struct Frame {
  std::int64_t minX;
  std::int64_t minY;
  std::int64_t width;
  std::int64_t height;
};

// The box of the turned image: its four corners, the origin being one.
Frame TurnedFrame(std::int64_t w, std::int64_t h, double s, double c) {
  const double W = static_cast<double>(w);
  const double H = static_cast<double>(h);
  const auto [minX, maxX] = std::minmax({std::int64_t{0}, RoundToEven(-H * s),
                                          RoundToEven(W * c - Single(H * s)), RoundToEven(W * c)});
  const auto [minY, maxY] = std::minmax({std::int64_t{0}, RoundToEven(H * c),
                                          RoundToEven(H * c + Single(W * s)), RoundToEven(W * s)});
  return {minX, minY, maxX - minX, maxY - minY};
}

bool FitsDib32(const Frame& frame) {
  return frame.width >= 1 && frame.height >= 1 && frame.width <= INT_MAX / 4 &&
         frame.height <= INT_MAX;
}

}  // namespace

HBITMAP RotateDib(HBITMAP source, float angle, COLORREF background) {
  const DWORD bg = PixelFromColorref(background);
  Dib32Pixels from{};
  if (!ReadDib32Pixels(source, &from)) return nullptr;
  const double s = static_cast<float>(std::sin(static_cast<double>(angle)));
  const double c = static_cast<float>(std::cos(static_cast<double>(angle)));
  if (!std::isfinite(s) || !std::isfinite(c)) return nullptr;
  const std::int64_t w = from.width;
  const std::int64_t h = from.height;
  const Frame frame = TurnedFrame(w, h, s, c);
  if (!FitsDib32(frame)) return nullptr;

  const HDC screen = GetDC(nullptr);
  const HBITMAP turned =
      CreateDib32(screen, static_cast<int>(frame.width), static_cast<int>(frame.height));
  ReleaseDC(nullptr, screen);
  Dib32Pixels to{};
  if (!ReadDib32Pixels(turned, &to)) {
    if (turned != nullptr) DeleteObject(turned);
    return nullptr;
  }
  // The column products repeat on every row: work them out once. They are
  // single precision already, so float tables hold them exactly.
  const std::unique_ptr<float[]> columnC(new (std::nothrow) float[frame.width]);
  const std::unique_ptr<float[]> columnS(new (std::nothrow) float[frame.width]);
  if (!columnC || !columnS) {
    DeleteObject(turned);
    return nullptr;
  }
  for (std::int64_t j = 0; j < frame.width; ++j) {
    const double gx = static_cast<double>(j + frame.minX);
    columnC[j] = static_cast<float>(gx * c);
    columnS[j] = static_cast<float>(gx * s);
  }
  GdiFlush();
  const DWORD* const src = from.words;
  DWORD* out = to.words;
  for (std::int64_t i = 0; i < frame.height; ++i) {
    const double gy = static_cast<double>(i + frame.minY);
    const double rowS = gy * s;
    const double rowC = gy * c;
    for (std::int64_t j = 0; j < frame.width; ++j) {
      const std::int64_t sx = RoundToEven(rowS + static_cast<double>(columnC[j]));
      const std::int64_t sy = RoundToEven(rowC - static_cast<double>(columnS[j]));
      const bool inside = sx >= 0 && sx < w && sy >= 0 && sy < h;
      *out++ = inside ? src[static_cast<std::size_t>(sy * w + sx)] : bg;
    }
  }
  return turned;
}
