// What each effect and the picture area should make of a pixel, written out
// from the rules channel by channel, so that the system's word tricks and
// vector loops are judged by code that shares nothing with them. Pixels are
// 0x00RRGGBB words; the fourth byte is ignored unless a rule says otherwise.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "tests/support/picture.h"

namespace varne::test {

// Studio-range luma (16 to 235), the integer form the effects use.
constexpr int ModelLuma(std::uint32_t pixel) {
  const int red = static_cast<int>(pixel >> 16 & 0xFF);
  const int green = static_cast<int>(pixel >> 8 & 0xFF);
  const int blue = static_cast<int>(pixel & 0xFF);
  return ((66 * red + 129 * green + 25 * blue + 128) >> 8) + 16;
}

// Every channel the luma, the fourth byte 0.
constexpr std::uint32_t ModelGrey(std::uint32_t pixel) {
  return static_cast<std::uint32_t>(ModelLuma(pixel)) * 0x010101u;
}

// The photographic negative, the fourth byte 0.
constexpr std::uint32_t ModelNegative(std::uint32_t pixel) {
  const std::uint32_t red = pixel >> 16 & 0xFF, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
  return (255 - red) << 16 | (255 - green) << 8 | (255 - blue);
}

// White where the luma is above |t|, black elsewhere; a negative t swaps the
// two. Widened first, as INT_MIN has no negation in int.
constexpr std::uint32_t ModelThreshold(std::uint32_t pixel, int t) {
  const long long limit = t < 0 ? -static_cast<long long>(t) : t;
  const bool dark = ModelLuma(pixel) <= limit;
  return dark == (t >= 0) ? 0x000000u : 0xFFFFFFu;
}

// The rules over every pixel of a picture.
inline Picture Greyed(Picture picture) {
  for (auto& pixel : picture.pixels) pixel = ModelGrey(pixel);
  return picture;
}

inline Picture Inverted(Picture picture) {
  for (auto& pixel : picture.pixels) pixel = ModelNegative(pixel);
  return picture;
}

inline Picture Thresholded(Picture picture, int t) {
  for (auto& pixel : picture.pixels) pixel = ModelThreshold(pixel, t);
  return picture;
}

// What the picture area paints of a word of a picture it shows as given
// (every fourth byte zero): the colour bytes as stored, opaque.
constexpr std::uint32_t AsTheAreaShowsIt(std::uint32_t word) { return 0xFF000000u | (word & 0x00FFFFFFu); }

// Whether any fourth byte of `picture` is not zero.
inline bool HasAlpha(const Picture& picture) {
  return std::any_of(picture.pixels.begin(), picture.pixels.end(), [](auto word) { return word >> 24 != 0; });
}

// What the picture area keeps of a 32-bpp picture, as Common Controls 6
// does: the picture itself when every fourth byte is zero, else a copy
// whose colour bytes are each multiplied by the fourth byte / 255, rounded
// to nearest, which it paints blended over its background.
inline Picture AsTheAreaKeepsIt(const Picture& picture) {
  if (!HasAlpha(picture)) return picture;
  Picture kept = picture;
  for (auto& word : kept.pixels) {
    const std::uint32_t alpha = word >> 24;
    std::uint32_t premultiplied = alpha << 24;
    for (const int shift : {0, 8, 16}) premultiplied |= (((word >> shift) & 0xFFu) * alpha + 127) / 255 << shift;
    word = premultiplied;
  }
  return kept;
}

// The raster effects' rules, pixel by pixel, over a source given as its
// size and a function of position (x, y from the top row): one rule then
// serves a Picture and a generated 64-megapixel photograph alike.

// A picture as such a function.
inline auto PixelsOf(const Picture& picture) {
  return [&picture](std::int64_t x, std::int64_t y) {
    return picture.at(static_cast<int>(x), static_cast<int>(y));
  };
}

// A w x h picture of rule(x, y).
template <class Rule>
Picture EveryPixel(int w, int h, const Rule& rule) {
  Picture picture(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) picture.at(x, y) = rule(x, y);
  }
  return picture;
}

// Whether (x, y) lies inside and the threshold at `t` makes it black: the
// edges' and the emboss's ink.
template <class At>
bool BlackAfterThreshold(const At& at, std::int64_t w, std::int64_t h, std::int64_t x, std::int64_t y,
                         int t) {
  return x >= 0 && y >= 0 && x < w && y < h && ModelThreshold(at(x, y), t) == 0;
}

// Edges: black where the thresholded pixel is white and its upper-left or
// lower-right neighbour black; white everywhere else.
template <class At>
std::uint32_t EdgesAt(const At& at, std::int64_t w, std::int64_t h, std::int64_t x, std::int64_t y, int t) {
  const auto black = [&](std::int64_t px, std::int64_t py) { return BlackAfterThreshold(at, w, h, px, py, t); };
  return !black(x, y) && (black(x - 1, y - 1) || black(x + 1, y + 1)) ? 0x000000u : 0xFFFFFFu;
}

inline Picture ModelEdges(const Picture& source, int t) {
  return EveryPixel(source.width, source.height,
                    [&](int x, int y) { return EdgesAt(PixelsOf(source), source.width, source.height, x, y, t); });
}

// Emboss: the disabled style of the thresholded picture over black, as the
// platform draws it: ink in the shadow colour, and one pixel down and to the
// right of ink, where there is no ink, the highlight colour.
template <class At>
std::uint32_t EmbossAt(const At& at, std::int64_t w, std::int64_t h, std::int64_t x, std::int64_t y, int t,
                       std::uint32_t highlight, std::uint32_t shadow) {
  if (BlackAfterThreshold(at, w, h, x, y, t)) return shadow;
  return BlackAfterThreshold(at, w, h, x - 1, y - 1, t) ? highlight : 0x000000u;
}

inline Picture ModelEmboss(const Picture& source, int t, std::uint32_t highlight, std::uint32_t shadow) {
  return EveryPixel(source.width, source.height, [&](int x, int y) {
    return EmbossAt(PixelsOf(source), source.width, source.height, x, y, t, highlight, shadow);
  });
}

// A pixel of the key colour whose diagonal neighbour (x + dx, y + dy) lies
// inside and is not key: the upper-left rim for (1, 1), the lower-right for
// (-1, -1).
template <class At>
bool OnRimAt(const At& at, std::int64_t w, std::int64_t h, std::int64_t x, std::int64_t y, int dx, int dy,
             std::uint32_t key) {
  const std::int64_t nx = x + dx, ny = y + dy;
  return at(x, y) == key && nx >= 0 && ny >= 0 && nx < w && ny < h && at(nx, ny) != key;
}

// 1 where the pixel is the key colour, else 0.
inline Picture KeyOf(const Picture& picture, std::uint32_t keyPixel) {
  Picture key(picture.width, picture.height);
  for (std::size_t i = 0; i < key.pixels.size(); ++i) key.pixels[i] = picture.pixels[i] == keyPixel;
  return key;
}

// 0 on the rims of a key picture (1 for key), 1 everywhere else.
inline Picture UpperLeftRimOf(const Picture& key) {
  return EveryPixel(key.width, key.height, [&](int x, int y) {
    return OnRimAt(PixelsOf(key), key.width, key.height, x, y, 1, 1, 1) ? 0u : 1u;
  });
}
inline Picture LowerRightRimOf(const Picture& key) {
  return EveryPixel(key.width, key.height, [&](int x, int y) {
    return OnRimAt(PixelsOf(key), key.width, key.height, x, y, -1, -1, 1) ? 0u : 1u;
  });
}

// The two rim colours of Watermark and ApplySkin: `a` first when raised.
inline std::pair<std::uint32_t, std::uint32_t> RimColours(int raised, COLORREF a, COLORREF b) {
  using Colours = std::pair<std::uint32_t, std::uint32_t>;
  return raised != 0 ? Colours(PixelOf(a), PixelOf(b)) : Colours(PixelOf(b), PixelOf(a));
}

// Watermark: the target, except under the mark placed with its top-left
// pixel at (left, top): there the lower-right rim of the mark's key (the
// colour of that top-left pixel) takes the second colour and, elsewhere,
// its upper-left rim the first.
template <class Mark, class Target>
std::uint32_t WatermarkAt(const Mark& mark, std::int64_t markWidth, std::int64_t markHeight,
                          const Target& target, std::int64_t left, std::int64_t top, int raised, COLORREF a,
                          COLORREF b, std::int64_t x, std::int64_t y) {
  const std::int64_t mx = x - left, my = y - top;
  if (mx >= 0 && my >= 0 && mx < markWidth && my < markHeight) {
    const std::uint32_t key = mark(0, 0);
    const auto [first, second] = RimColours(raised, a, b);
    if (OnRimAt(mark, markWidth, markHeight, mx, my, -1, -1, key)) return second;
    if (OnRimAt(mark, markWidth, markHeight, mx, my, 1, 1, key)) return first;
  }
  return target(x, y);
}

inline Picture ModelWatermark(const Picture& mark, const Picture& target, int raised, int left, int top,
                              COLORREF a, COLORREF b) {
  return EveryPixel(target.width, target.height, [&](int x, int y) {
    return WatermarkAt(PixelsOf(mark), mark.width, mark.height, PixelsOf(target), left, top, raised, a, b, x, y);
  });
}

// ApplySkin: the shape's key is the colour at (10, 10), or at the pixel
// nearest it in a smaller shape. Its lower-right rim takes the second
// colour, then its upper-left rim the first; key pixels keep the key, and
// the rest show the skin tiled from the top-left corner.
template <class Shape, class Skin>
std::uint32_t SkinAt(const Shape& shape, std::int64_t w, std::int64_t h, const Skin& skin, std::int64_t skinWidth,
                     std::int64_t skinHeight, int raised, COLORREF a, COLORREF b, std::int64_t x, std::int64_t y) {
  const std::uint32_t key = shape(std::min<std::int64_t>(10, w - 1), std::min<std::int64_t>(10, h - 1));
  const auto [first, second] = RimColours(raised, a, b);
  if (OnRimAt(shape, w, h, x, y, -1, -1, key)) return second;
  if (OnRimAt(shape, w, h, x, y, 1, 1, key)) return first;
  if (shape(x, y) == key) return key;
  return skin(x % skinWidth, y % skinHeight);
}

inline Picture ModelSkin(const Picture& shape, const Picture& skin, int raised, COLORREF a, COLORREF b) {
  return EveryPixel(shape.width, shape.height, [&](int x, int y) {
    return SkinAt(PixelsOf(shape), shape.width, shape.height, PixelsOf(skin), skin.width, skin.height, raised, a,
                  b, x, y);
  });
}

// The turn, written out as plainly as possible: every rounding through
// std::nearbyint, every single-precision step through a float. It works in
// memory coordinates, bottom row first, as the platform's rows lie.
struct TurnFrame {
  long long minX = 0;
  long long minY = 0;
  long long width = 0;
  long long height = 0;
  float s = 0;  // the angle's sine and cosine, in single precision
  float c = 0;
};

inline long long NearestInteger(double value) { return static_cast<long long>(std::nearbyint(value)); }

// Where a W x H picture's corners land, turned counter-clockwise by `angle`.
inline TurnFrame ModelTurnFrame(long long W, long long H, float angle) {
  const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
  const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
  const float hs = static_cast<float>(static_cast<double>(H) * s);
  const float ws = static_cast<float>(static_cast<double>(W) * s);
  const long long xs[] = {0, NearestInteger(-static_cast<double>(H) * s),
                          NearestInteger(static_cast<double>(W) * c - hs),
                          NearestInteger(static_cast<double>(W) * c)};
  const long long ys[] = {0, NearestInteger(static_cast<double>(H) * c),
                          NearestInteger(static_cast<double>(H) * c + ws),
                          NearestInteger(static_cast<double>(W) * s)};
  long long minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (int k = 0; k < 4; ++k) {
    minX = std::min(minX, xs[k]), maxX = std::max(maxX, xs[k]);
    minY = std::min(minY, ys[k]), maxY = std::max(maxY, ys[k]);
  }
  return {minX, minY, maxX - minX, maxY - minY, s, c};
}

// The source pixel (column, memory row) that memory row `row`, column
// `column` of the turned picture samples; nothing where it falls outside.
inline std::optional<std::pair<long long, long long>> ModelTurnSource(const TurnFrame& frame, long long W,
                                                                      long long H, long long row,
                                                                      long long column) {
  const float s = frame.s, c = frame.c;
  const long long gx = column + frame.minX, gy = row + frame.minY;
  const float gxc = static_cast<float>(static_cast<double>(gx) * c);
  const float gxs = static_cast<float>(static_cast<double>(gx) * s);
  const long long sx = NearestInteger(static_cast<double>(gy) * s + gxc);
  const long long sy = NearestInteger(static_cast<double>(gy) * c - gxs);
  if (sx < 0 || sx >= W || sy < 0 || sy >= H) return std::nullopt;
  return std::pair{sx, sy};
}

// The turned picture, `background` where nothing of the source lands.
// Memory rows run bottom-up, so memory row r is display row height - 1 - r.
inline Picture ModelTurn(const Picture& source, float angle, std::uint32_t background) {
  const long long W = source.width, H = source.height;
  const TurnFrame frame = ModelTurnFrame(W, H, angle);
  Picture turned(static_cast<int>(frame.width), static_cast<int>(frame.height));
  for (long long i = 0; i < frame.height; ++i) {
    for (long long j = 0; j < frame.width; ++j) {
      const auto from = ModelTurnSource(frame, W, H, i, j);
      turned.at(static_cast<int>(j), static_cast<int>(frame.height - 1 - i)) =
          from ? source.at(static_cast<int>(from->first), static_cast<int>(H - 1 - from->second)) : background;
    }
  }
  return turned;
}

}  // namespace varne::test
