// RotateDib gives the picture of this plain loop over the destination,
// where s and c are the angle's sine and cosine rounded to single
// precision, f(...) rounds a product to single precision, and round(...)
// goes to the nearest integer, ties to even:
//
//   for (i = 0; i < height; ++i)
//     for (j = 0; j < width; ++j) {
//       gx = j + minX;  gy = i + minY;
//       sx = round(gy * s + f(gx * c));
//       sy = round(gy * c - f(gx * s));
//       out[i][j] = 0 <= sx < w && 0 <= sy < h ? src[sy][sx] : bg;
//     }
//
// Everything below (spans, tiles, streaming stores) only reorders that
// work, and must leave every word equal to the loop's, bit for bit; the
// tests compare the two word for word (ModelTurn in rotate_dib_test.cpp).
#include "effects/geometry/rotate_dib.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <numbers>

#include "image/colour_order.h"
#include "image/dib32.h"

// The rounding trick below needs sums held in double, not in wider registers.
static_assert(FLT_EVAL_METHOD == 0);

namespace {

// Adding 1.5 * 2^52 to a double below 2^51 in size rounds it to an integer
// n, ties to even, as the default rounding mode gives it, and leaves the
// sum exactly 1.5 * 2^52 + n: no library call per pixel.
constexpr double kRoundingShift = 6755399441055744.0;

inline std::int64_t RoundToEven(double value) {
  return static_cast<std::int64_t>((value + kRoundingShift) - kRoundingShift);
}

// The same n read from the low bits of that sum, which hold n modulo 2^32;
// the same as RoundToEven where n lies in [0, 2^32), as every coordinate
// inside the source does. One instruction where the conversion takes two.
inline std::uint32_t RoundToEvenInRange(double value) {
  return static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(value + kRoundingShift));
}

// The product of a coordinate with sine or cosine, rounded to single precision.
inline double Single(double product) { return static_cast<double>(static_cast<float>(product)); }

// Out of line on purpose: g++ 12 at -O2, with these inlined into
// RotateDib, merged sin and cos into one double sincos and dropped the
// rounding to float (a 7 x 5 image at 30 degrees came out 9 wide, not 8).
[[gnu::noinline]] float SineInSingle(float angle) {
  return static_cast<float>(std::sin(static_cast<double>(angle)));
}
[[gnu::noinline]] float CosineInSingle(float angle) {
  return static_cast<float>(std::cos(static_cast<double>(angle)));
}

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

// Everything a destination row needs to trace a column back to the source.
// The column products repeat on every row, so they are tables of
// single-precision values, held as double so no loop converts them.
struct RowTurn {
  const double* columnC;
  const double* columnS;
  double rowS;
  double rowC;

  std::int64_t SourceX(std::int64_t j) const { return RoundToEven(rowS + columnC[j]); }
  std::int64_t SourceY(std::int64_t j) const { return RoundToEven(rowC - columnS[j]); }
};

// Columns [begin, end) of one destination row whose source pixel is inside.
struct Span {
  std::int64_t begin;
  std::int64_t end;
};

// The first j in [lo, hi) where `holds` is true, or hi; `holds` must be
// false up to some column and true from there on.
template <typename Predicate>
std::int64_t FirstHolding(std::int64_t lo, std::int64_t hi, Predicate holds) {
  while (lo < hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    if (holds(mid)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

// Narrows a span to the columns where 0 <= coordinate(j) < limit. Along a
// row the coordinate never falls when `rising` and never rises otherwise:
// a product with a fixed sine or cosine, its rounding to float, the sum with
// a fixed row term and the rounding to an integer each keep order. So the
// columns inside form one run, and bisection with the copy loop's own
// arithmetic finds its ends exactly.
template <typename Coordinate>
Span Narrowed(Span span, bool rising, std::int64_t limit, Coordinate coordinate) {
  const std::int64_t hi = span.end;
  if (rising) {
    span.begin = FirstHolding(span.begin, hi, [&](std::int64_t j) { return coordinate(j) >= 0; });
    span.end = FirstHolding(span.begin, hi, [&](std::int64_t j) { return coordinate(j) >= limit; });
  } else {
    span.begin = FirstHolding(span.begin, hi, [&](std::int64_t j) { return coordinate(j) < limit; });
    span.end = FirstHolding(span.begin, hi, [&](std::int64_t j) { return coordinate(j) < 0; });
  }
  return span;
}

// sx follows the sign of the cosine along a row, sy the opposite of the
// sine's. An empty span is left at the row's end.
Span InsideSpan(const RowTurn& turn, std::int64_t width, double s, double c, std::int64_t w,
                std::int64_t h) {
  Span span{0, width};
  span = Narrowed(span, c >= 0, w, [&](std::int64_t j) { return turn.SourceX(j); });
  span = Narrowed(span, s <= 0, h, [&](std::int64_t j) { return turn.SourceY(j); });
  return span.begin < span.end ? span : Span{width, width};
}

// The destination is written once and not read back here, and is far
// larger than the caches: streaming stores skip reading each line in
// before overwriting it, which is a third of the memory traffic.
// Without SSE2 they are plain stores.
inline void StreamWord(DWORD* to, DWORD word) {
#if defined(__SSE2__)
  _mm_stream_si32(reinterpret_cast<int*>(to), static_cast<int>(word));
#else
  *to = word;
#endif
}

void StreamFill(DWORD* begin, DWORD* end, DWORD word) {
#if defined(__SSE2__)
  while (begin < end && (reinterpret_cast<std::uintptr_t>(begin) & 15) != 0) StreamWord(begin++, word);
  const __m128i four = _mm_set1_epi32(static_cast<int>(word));
  for (; end - begin >= 4; begin += 4) _mm_stream_si128(reinterpret_cast<__m128i*>(begin), four);
#endif
  while (begin < end) StreamWord(begin++, word);
}

// Streaming stores are weakly ordered: make them visible before the
// surface is handed on.
inline void FinishStreaming() {
#if defined(__SSE2__)
  _mm_sfence();
#endif
}

// No bounds test: the span guarantees every traced pixel is inside.
void SampleRun(const RowTurn& turn, std::int64_t begin, std::int64_t end, const DWORD* src,
               std::size_t w, DWORD* row) {
  for (std::int64_t j = begin; j < end; ++j) {
    const std::uint32_t sx = RoundToEvenInRange(turn.rowS + turn.columnC[j]);
    const std::uint32_t sy = RoundToEvenInRange(turn.rowC - turn.columnS[j]);
    StreamWord(row + j, src[sy * w + sx]);
  }
}

// The destination is walked in tiles of this many rows by columns. A
// destination row crosses the source along a diagonal, into another source
// row every pixel or two; within a tile the next rows reuse those source
// lines while they are still in cache.
constexpr std::int64_t kTileRows = 128;
constexpr std::int64_t kTileColumns = 64;
// Tile edges fall on cache-line boundaries of each row, so that streaming
// stores fill whole lines.
constexpr std::uintptr_t kLineBytes = 64;

struct Turning {
  const DWORD* src;
  std::int64_t w;
  std::int64_t h;
  double s;
  double c;
  Frame frame;
  const double* columnC;
  const double* columnS;
  DWORD bg;
  DWORD* out;
};

RowTurn RowAt(const Turning& t, std::int64_t i) {
  const double gy = static_cast<double>(i + t.frame.minY);
  return {t.columnC, t.columnS, gy * t.s, gy * t.c};
}

DWORD* RowWords(const Turning& t, std::int64_t i) { return t.out + i * t.frame.width; }

// The first column of a row that starts a cache line.
std::int64_t LinePhase(const DWORD* row) {
  const std::uintptr_t misalignment = reinterpret_cast<std::uintptr_t>(row) % kLineBytes;
  return static_cast<std::int64_t>((kLineBytes - misalignment) % kLineBytes / sizeof(DWORD));
}

// Rows [top, top + count): the background on both sides of each row's span
// first, then the spans tile by tile.
void TurnStrip(const Turning& t, std::int64_t top, std::int64_t count) {
  Span spans[kTileRows];
  std::int64_t first = t.frame.width;
  std::int64_t last = 0;
  for (std::int64_t r = 0; r < count; ++r) {
    const Span span = InsideSpan(RowAt(t, top + r), t.frame.width, t.s, t.c, t.w, t.h);
    DWORD* const row = RowWords(t, top + r);
    StreamFill(row, row + span.begin, t.bg);
    StreamFill(row + span.end, row + t.frame.width, t.bg);
    spans[r] = span;
    first = std::min(first, span.begin);
    last = std::max(last, span.end);
  }
  // Block m of a row starts at its line phase + m tiles; a phase is under
  // one line, so these m reach from before `first` to past `last`.
  for (std::int64_t m = first / kTileColumns - 1; m <= last / kTileColumns; ++m) {
    for (std::int64_t r = 0; r < count; ++r) {
      DWORD* const row = RowWords(t, top + r);
      const std::int64_t left = LinePhase(row) + m * kTileColumns;
      const std::int64_t begin = std::max(spans[r].begin, left);
      const std::int64_t end = std::min(spans[r].end, left + kTileColumns);
      if (begin < end) {
        SampleRun(RowAt(t, top + r), begin, end, t.src, static_cast<std::size_t>(t.w), row);
      }
    }
  }
}

}  // namespace

float DegreesToRadians(float degrees) {
  return static_cast<float>(std::numbers::pi / 180.0 * static_cast<double>(degrees));
}

HBITMAP RotateDib(HBITMAP source, float angle, COLORREF background) {
  const DWORD bg = PixelFromColorref(background);
  Dib32Pixels from{};
  if (!ReadDib32Pixels(source, &from)) return nullptr;
  const double s = SineInSingle(angle);
  const double c = CosineInSingle(angle);
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
  const std::unique_ptr<double[]> columnC(new (std::nothrow) double[frame.width]);
  const std::unique_ptr<double[]> columnS(new (std::nothrow) double[frame.width]);
  if (!columnC || !columnS) {
    DeleteObject(turned);
    return nullptr;
  }
  for (std::int64_t j = 0; j < frame.width; ++j) {
    const double gx = static_cast<double>(j + frame.minX);
    columnC[j] = Single(gx * c);
    columnS[j] = Single(gx * s);
  }
  GdiFlush();
  const Turning turning{from.words, w, h, s, c, frame, columnC.get(), columnS.get(), bg, to.words};
  for (std::int64_t top = 0; top < frame.height; top += kTileRows) {
    TurnStrip(turning, top, std::min(kTileRows, frame.height - top));
  }
  FinishStreaming();
  return turned;
}
