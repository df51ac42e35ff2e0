#include "platform/raster/rop_rows.h"

#include <cstring>

#include "platform/raster/gdi.h"
#include "platform/raster/prefetch_ahead.h"
#include "platform/raster/rop3.h"

namespace varne::raster {

namespace {

// With the pattern fixed, every bit of the result is a function of (S, D)
// chosen by that bit of P: the table's high nibble where P is 1, its low
// nibble where P is 0. Any such function is A ^ (B & S) ^ (C & D) ^
// (E & S & D) (its algebraic normal form), so each code costs four
// operations per word once the coefficients are spread over P's bits.
// It must equal EvaluateRop3 for every code; the RopRows tests check all 256.
template <typename T>
struct GeneralOp {
  T a, b, c, e;

  GeneralOp(std::uint8_t index, T p) {
    const auto spread = [p](std::uint8_t nibbleWhereSet, std::uint8_t nibbleWhereClear,
                            int coefficient) {
      const T set = Coefficient(nibbleWhereSet, coefficient) ? p : T{0};
      const T clear = Coefficient(nibbleWhereClear, coefficient) ? static_cast<T>(~p) : T{0};
      return static_cast<T>(set | clear);
    };
    const auto high = static_cast<std::uint8_t>(index >> 4);
    const auto low = static_cast<std::uint8_t>(index & 0xF);
    a = spread(high, low, 0);
    b = spread(high, low, 1);
    c = spread(high, low, 2);
    e = spread(high, low, 3);
  }

  // Nibble bit S*2 + D is f(S, D). Coefficient 0 is the constant, 1 the S
  // term, 2 the D term, 3 the S & D term.
  static bool Coefficient(std::uint8_t nibble, int which) {
    const bool f00 = nibble & 1, f01 = nibble & 2, f10 = nibble & 4, f11 = nibble & 8;
    switch (which) {
      case 0: return f00;
      case 1: return f00 != f10;
      case 2: return f00 != f01;
      default: return (f00 != f01) != (f10 != f11);
    }
  }

  T operator()(T s, T d) const {
    return static_cast<T>(a ^ (b & s) ^ (c & d) ^ (e & s & d));
  }
};

template <typename T, typename Op>
void RunRow(Op op, const T* s, T* d, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) d[i] = op(s[i], d[i]);
}

// Calls body with the operation for the index: a fast one where it exists.
// Each must equal EvaluateRop3 for its code on every input; RopRows tests
// (tests/linux/raster/rop_rows_test.cpp) compare all 256 codes with it.
template <typename T, typename Body>
void WithOp(std::uint8_t index, T p, Body body) {
  switch (index) {
    case RopIndex(SRCCOPY): return body([](T s, T) { return s; });
    case RopIndex(SRCAND): return body([](T s, T d) { return static_cast<T>(s & d); });
    case RopIndex(MERGEPAINT): return body([](T s, T d) { return static_cast<T>(~s | d); });
    case RopIndex(SRCPAINT): return body([](T s, T d) { return static_cast<T>(s | d); });
    case RopIndex(SRCINVERT): return body([](T s, T d) { return static_cast<T>(s ^ d); });
    case RopIndex(NOTSRCCOPY): return body([](T s, T) { return static_cast<T>(~s); });
    case RopIndex(kPsdpxax):
      return body([p](T s, T d) { return static_cast<T>(((d ^ p) & s) ^ p); });
    case RopIndex(PATCOPY): return body([p](T, T) { return p; });
    case RopIndex(PATINVERT): return body([p](T, T d) { return static_cast<T>(p ^ d); });
    case RopIndex(DSTINVERT): return body([](T, T d) { return static_cast<T>(~d); });
    case RopIndex(BLACKNESS): return body([](T, T) { return T{0}; });
    case RopIndex(WHITENESS): return body([](T, T) { return static_cast<T>(~T{0}); });
    default: return body(GeneralOp<T>{index, p});
  }
}

template <typename Op>
void RunWords(Op op, const std::uint64_t* s, std::uint64_t* d, std::size_t count,
              std::uint64_t firstMask, std::uint64_t lastMask) {
  if (count == 0) return;
  if (count == 1) {
    const std::uint64_t mask = firstMask & lastMask;
    d[0] = (d[0] & ~mask) | (op(s[0], d[0]) & mask);
    return;
  }
  d[0] = (d[0] & ~firstMask) | (op(s[0], d[0]) & firstMask);
  for (std::size_t i = 1; i + 1 < count; ++i) d[i] = op(s[i], d[i]);
  const std::size_t last = count - 1;
  d[last] = (d[last] & ~lastMask) | (op(s[last], d[last]) & lastMask);
}

}  // namespace

void CombineRow32(std::uint8_t index, std::uint32_t p, const std::uint32_t* s, std::uint32_t* d,
                  std::size_t count) {
  if (index == RopIndex(SRCCOPY)) {
    std::memmove(d, s, count * sizeof(std::uint32_t));
    return;
  }
  WithOp<std::uint32_t>(index, p, [&](auto op) { RunRow<std::uint32_t>(op, s, d, count); });
}

void CombineWords(std::uint8_t index, std::uint64_t p, const std::uint64_t* s, std::uint64_t* d,
                  std::size_t count, std::uint64_t firstMask, std::uint64_t lastMask) {
  WithOp<std::uint64_t>(index, p,
                        [&](auto op) { RunWords(op, s, d, count, firstMask, lastMask); });
}

void CombineExpandedRow32(std::uint8_t index, std::uint32_t p, const std::uint64_t* bits,
                          std::size_t first, std::uint32_t one, std::uint32_t zero,
                          std::uint32_t* d, std::size_t count) {
  if (count == 0) return;
  const std::size_t lastWord = (first + count - 1) / 64;
  // 64 mask bits starting at bit `at`, reading no word past the last one
  // the row needs.
  const auto window = [bits, lastWord](std::size_t at) {
    const std::size_t word = at / 64;
    const unsigned shift = at % 64;
    std::uint64_t value = bits[word] >> shift;
    if (shift != 0 && word < lastWord) value |= bits[word + 1] << (64 - shift);
    return value;
  };
  // Four mask bits at a time become four pixels through a 16-entry table;
  // the operation then runs over a plain row of 64 pixels.
  std::uint32_t expanded[16][4];
  for (unsigned nibble = 0; nibble < 16; ++nibble) {
    for (unsigned bit = 0; bit < 4; ++bit) expanded[nibble][bit] = (nibble >> bit) & 1 ? one : zero;
  }
  std::uint32_t chunk[64];
  WithOp<std::uint32_t>(index, p, [&](auto op) {
    // Masks are mostly runs: a chunk of 64 equal bits is one source colour,
    // and where the operation leaves every destination bit as it is with
    // that colour (a rim's "keep" bits) the chunk is not even read.
    const bool keepsUnderOne = op(one, 0u) == 0u && op(one, ~0u) == ~0u;
    const bool keepsUnderZero = op(zero, 0u) == 0u && op(zero, ~0u) == ~0u;
    const auto kept = [&](std::uint64_t word, std::uint64_t used) {
      return ((word & used) == used && keepsUnderOne) || ((word & used) == 0 && keepsUnderZero);
    };
    constexpr std::size_t kAhead = kPrefetchBytesAhead / sizeof(std::uint32_t);
    for (std::size_t i = 0; i < count; i += 64) {
      // The chunk a page ahead is asked for only if it will be read.
      if (count - i >= kAhead + 64 && !kept(window(first + i + kAhead), ~std::uint64_t{0})) {
        PrefetchLines(d + i + kAhead, 64 * sizeof(std::uint32_t), true);
      }
      const std::uint64_t word = window(first + i);
      const std::size_t n = count - i < 64 ? count - i : 64;
      const std::uint64_t used = n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
      if (kept(word, used)) continue;
      for (unsigned k = 0; k < 16; ++k) {
        std::memcpy(chunk + 4 * k, expanded[(word >> (4 * k)) & 0xF], sizeof(expanded[0]));
      }
      RunRow<std::uint32_t>(op, chunk, d + i, n);
    }
  });
}

void CombineRow32General(std::uint8_t index, std::uint32_t p, const std::uint32_t* s,
                         std::uint32_t* d, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) d[i] = EvaluateRop3<std::uint32_t>(index, p, s[i], d[i]);
}

void CombineWordsGeneral(std::uint8_t index, std::uint64_t p, const std::uint64_t* s,
                         std::uint64_t* d, std::size_t count, std::uint64_t firstMask,
                         std::uint64_t lastMask) {
  RunWords([&](std::uint64_t sw, std::uint64_t dw) { return EvaluateRop3(index, p, sw, dw); }, s,
           d, count, firstMask, lastMask);
}

}  // namespace varne::raster
