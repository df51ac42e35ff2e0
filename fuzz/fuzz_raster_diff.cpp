// The raster layer against the brute-force model of
// tests/support/raster_model.h: random bitmaps of every depth and size,
// random origins, extents, colours and raster codes for BitBlt, PatBlt,
// GetPixel and DrawStateA. After every
// call the whole destination is compared with the model; any difference
// aborts with a description of the call.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bmp_writer/dib_rows.h"
#include "fuzz/fuzz_report.h"
#include "platform/raster/live_objects.h"
#include "platform/win32.h"
#include "tests/support/raster_model.h"
#include "tests/support/section_header.h"

namespace {

using varne::fuzz::Check;
using varne::test::ModelDc;
using varne::test::Picture;

constexpr int kMaxSide = 300;

// How much of the work reached a comparison, printed at exit with
// VARNE_FUZZ_STATS set: a model that is never consulted finds nothing.
struct Counts {
  long runs = 0;
  long comparisons = 0;
  ~Counts() {
    if (std::getenv("VARNE_FUZZ_STATS") != nullptr) {
      std::fprintf(stderr, "inputs with bitmaps: %ld, comparisons: %ld\n", runs, comparisons);
    }
  }
};

Counts& Statistics() {
  static Counts counts;
  return counts;
}

// Fills pixel memory beyond what the input itself provides.
struct SplitMix {
  std::uint64_t state;
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
};

struct Bitmap {
  Picture model;
  HBITMAP handle = nullptr;
  std::uint8_t* bits = nullptr;  // DIB sections only
  std::size_t rowBytes = 0;
};

std::uint32_t ReadDibPixel(const Bitmap& bitmap, int x, int y) {
  const Picture& m = bitmap.model;
  const int memoryRow = m.topDown ? y : m.height - 1 - y;
  const std::uint8_t* row = bitmap.bits + static_cast<std::size_t>(memoryRow) * bitmap.rowBytes;
  return varne::RowValue(row, m.bitsPerPixel, x);
}

// Contiguous, disjoint channel masks of 1 to `widest` bits within `depth`.
std::array<std::uint32_t, 3> RandomMasks(FuzzedDataProvider& input, int depth, int widest) {
  std::array<int, 3> widths{};
  int total = 0;
  for (int& w : widths) {
    w = input.ConsumeIntegralInRange(1, widest);
    total += w;
  }
  while (total > depth) {
    for (int& w : widths) {
      if (w > 1 && total > depth) {
        --w;
        --total;
      }
    }
  }
  // Channels in a random order, with random gaps, from the bottom up.
  std::array<int, 3> order{0, 1, 2};
  if (input.ConsumeBool()) std::swap(order[0], order[2]);
  if (input.ConsumeBool()) std::swap(order[1], order[2]);
  std::array<std::uint32_t, 3> masks{};
  int shift = 0;
  int spare = depth - total;
  for (int channel : order) {
    const int gap = input.ConsumeIntegralInRange(0, spare);
    spare -= gap;
    shift += gap;
    const int w = widths[static_cast<std::size_t>(channel)];
    masks[static_cast<std::size_t>(channel)] =
        static_cast<std::uint32_t>(((std::uint64_t{1} << w) - 1) << shift);
    shift += w;
  }
  return masks;
}

bool MakeDib(FuzzedDataProvider& input, SplitMix& noise, Bitmap& bitmap) {
  static constexpr int kDepths[] = {1, 4, 8, 16, 24, 32};
  Picture& m = bitmap.model;
  m.bitsPerPixel = input.PickValueInArray(kDepths);
  // An empty side now and then: the platform refuses such a section.
  const bool empty = input.ConsumeIntegralInRange(0, 31) == 0;
  m.width = empty ? 0 : input.ConsumeIntegralInRange(1, kMaxSide);
  m.height = input.ConsumeIntegralInRange(empty ? 0 : 1, kMaxSide);
  m.topDown = input.ConsumeBool();
  varne::test::SectionHeaderWithColours info = varne::test::SectionHeaderWithTable(
      m.width, m.topDown ? -m.height : m.height, static_cast<WORD>(m.bitsPerPixel));
  if (m.bitsPerPixel <= 8) {
    const int capacity = 1 << m.bitsPerPixel;
    const int used = input.ConsumeIntegralInRange(0, capacity);  // 0: the whole table
    info.header.biClrUsed = static_cast<DWORD>(used);
    m.colours.assign(static_cast<std::size_t>(capacity), RGBQUAD{0, 0, 0, 0});
    // Few distinct colours, so that equal entries and ties come up.
    const bool coarse = input.ConsumeBool();
    for (int i = 0; i < (used == 0 ? capacity : used); ++i) {
      const std::uint64_t r = noise.Next();
      RGBQUAD entry{static_cast<BYTE>(r), static_cast<BYTE>(r >> 8), static_cast<BYTE>(r >> 16),
                    0};
      if (coarse) {
        entry.rgbBlue = (entry.rgbBlue & 1) * 255;
        entry.rgbGreen = (entry.rgbGreen & 1) * 255;
        entry.rgbRed = (entry.rgbRed & 1) * 255;
      }
      info.colours[i] = entry;
      m.colours[static_cast<std::size_t>(i)] = entry;
    }
  } else if (m.bitsPerPixel == 16 || m.bitsPerPixel == 32) {
    if (input.ConsumeBool()) {
      info.header.biCompression = BI_BITFIELDS;
      m.masks = RandomMasks(input, m.bitsPerPixel, m.bitsPerPixel == 16 ? 8 : 10);
      std::memcpy(info.colours, m.masks.data(), sizeof(m.masks));
    } else {
      m.masks = m.bitsPerPixel == 16
                    ? std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                    : std::array<std::uint32_t, 3>{0x00FF0000, 0x0000FF00, 0x000000FF};
    }
  }
  void* bits = nullptr;
  bitmap.handle = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (m.width == 0 || m.height == 0) {
    Check(bitmap.handle == nullptr && bits == nullptr, "an empty DIB section is refused");
    return false;
  }
  Check(bitmap.handle != nullptr && bits != nullptr, "a DIB section of a valid format is made");
  bitmap.bits = static_cast<std::uint8_t*>(bits);
  bitmap.rowBytes = varne::BmpRowBytes(m.width, m.bitsPerPixel);
  for (std::size_t i = 0; i < bitmap.rowBytes * static_cast<std::size_t>(m.height); ++i) {
    bitmap.bits[i] = static_cast<std::uint8_t>(noise.Next());
  }
  m.pixels.resize(static_cast<std::size_t>(m.width) * static_cast<std::size_t>(m.height));
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) m.at(x, y) = ReadDibPixel(bitmap, x, y);
  }
  return true;
}

bool MakeMonochrome(FuzzedDataProvider& input, SplitMix& noise, Bitmap& bitmap) {
  Picture& m = bitmap.model;
  m.monochrome = true;
  m.bitsPerPixel = 1;
  m.width = input.ConsumeIntegralInRange(1, kMaxSide);
  m.height = input.ConsumeIntegralInRange(1, kMaxSide);
  const std::size_t rowBytes = varne::MonochromeRowBytes(m.width);
  std::vector<std::uint8_t> bits(rowBytes * static_cast<std::size_t>(m.height));
  for (auto& byte : bits) byte = static_cast<std::uint8_t>(noise.Next());
  bitmap.handle = CreateBitmap(m.width, m.height, 1, 1, bits.data());
  Check(bitmap.handle != nullptr, "a monochrome bitmap is made");
  m.pixels.resize(static_cast<std::size_t>(m.width) * static_cast<std::size_t>(m.height));
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      m.at(x, y) = varne::RowValue(&bits[static_cast<std::size_t>(y) * rowBytes], 1, x);
    }
  }
  return true;
}

bool MakeBitmap(FuzzedDataProvider& input, SplitMix& noise, Bitmap& bitmap) {
  return input.ConsumeIntegralInRange(0, 6) == 0 ? MakeMonochrome(input, noise, bitmap)
                                                 : MakeDib(input, noise, bitmap);
}

struct Context {
  HDC dc = nullptr;
  HGDIOBJ previousBitmap = nullptr;
  HGDIOBJ previousBrush = nullptr;
  HBRUSH brush = nullptr;
  Bitmap* bitmap = nullptr;
  ModelDc model;
};

COLORREF RandomColour(FuzzedDataProvider& input) {
  static constexpr COLORREF kTypical[] = {0x00FFFFFF, 0x00000000, 0x00A0A0A0, 0x00FF8080};
  return input.ConsumeBool() ? input.PickValueInArray(kTypical)
                             : input.ConsumeIntegral<COLORREF>() & 0x00FFFFFF;
}

void SetUpContext(FuzzedDataProvider& input, Context& context, Bitmap& bitmap) {
  context.dc = CreateCompatibleDC(nullptr);
  Check(context.dc != nullptr, "a memory DC is made");
  context.bitmap = &bitmap;
  context.model.bitmap = &bitmap.model;
  context.previousBitmap = SelectObject(context.dc, bitmap.handle);
  Check(context.previousBitmap != nullptr, "a bitmap can be selected");
  if (input.ConsumeBool()) {
    context.model.background = RandomColour(input);
    SetBkColor(context.dc, context.model.background);
  }
  if (input.ConsumeBool()) {
    context.model.text = RandomColour(input);
    SetTextColor(context.dc, context.model.text);
  }
  if (input.ConsumeBool()) {
    context.model.brush = RandomColour(input);
    context.brush = CreateSolidBrush(context.model.brush);
    context.previousBrush = SelectObject(context.dc, context.brush);
  }
}

void TearDownContext(Context& context) {
  SelectObject(context.dc, context.previousBitmap);
  if (context.brush != nullptr) {
    SelectObject(context.dc, context.previousBrush);
    Check(DeleteObject(context.brush) == TRUE, "a deselected brush can be released");
  }
  Check(DeleteDC(context.dc) == TRUE, "a memory DC can be deleted");
}

std::uint32_t ActualRaw(const Context& context, int x, int y) {
  if (!context.bitmap->model.monochrome) return ReadDibPixel(*context.bitmap, x, y);
  return GetPixel(context.dc, x, y) == 0x00FFFFFF ? 1 : 0;
}

void Compare(Context& context, const char* call) {
  ++Statistics().comparisons;
  Picture& m = context.bitmap->model;
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      const std::uint32_t actual = ActualRaw(context, x, y);
      if (actual != m.at(x, y)) {
        std::fprintf(stderr, "%s: pixel (%d, %d) of a %dx%d %s%d-bpp bitmap is %08X, model %08X\n",
                     call, x, y, m.width, m.height, m.monochrome ? "mono " : "", m.bitsPerPixel,
                     actual, m.at(x, y));
        varne::fuzz::Fail("the raster layer differs from the model");
      }
    }
  }
}

// Coordinates: mostly near the bitmaps, sometimes at the ends of int.
int Coordinate(FuzzedDataProvider& input) {
  static constexpr int kExtremes[] = {INT_MIN, INT_MIN + 1, -65536, 65536, INT_MAX - 1, INT_MAX};
  if (input.ConsumeIntegralInRange(0, 15) == 0) return input.PickValueInArray(kExtremes);
  return input.ConsumeIntegralInRange(-2 * kMaxSide, 2 * kMaxSide);
}

DWORD RandomRop(FuzzedDataProvider& input) {
  static constexpr DWORD kCommon[] = {SRCCOPY, MERGEPAINT, SRCAND, 0x00B8074A, SRCPAINT,
                                      SRCINVERT, NOTSRCCOPY, PATCOPY, WHITENESS, BLACKNESS,
                                      DSTINVERT, PATINVERT};
  if (input.ConsumeBool()) return input.PickValueInArray(kCommon);
  // The index byte decides; the low word is only the platform's hint.
  return (DWORD{input.ConsumeIntegral<std::uint8_t>()} << 16) | input.ConsumeIntegral<WORD>();
}

// A 32-bpp section in the working layout 0x00RRGGBB.
bool IsDib32(const Picture& bitmap) {
  return !bitmap.monochrome && bitmap.bitsPerPixel == 32 && bitmap.masks[0] == 0x00FF0000 &&
         bitmap.masks[1] == 0x0000FF00 && bitmap.masks[2] == 0x000000FF;
}

// Results are compared where the system draws: its 0x00RRGGBB surfaces and
// monochrome masks, from sources of every depth. How colours land in a
// colour table or narrow masks (nearest entry, dithering, truncation) is
// each platform's own choice; those destinations are exercised, not judged.
bool IsComparedDestination(const Picture& bitmap) {
  return bitmap.monochrome || IsDib32(bitmap);
}

void RunBlit(FuzzedDataProvider& input, Context* contexts, HDC released, bool patternOnly) {
  Context& to = contexts[input.ConsumeIntegralInRange(0, 1)];
  const int sourceChoice = input.ConsumeIntegralInRange(0, 3);
  const int x = Coordinate(input), y = Coordinate(input);
  const int width = Coordinate(input), height = Coordinate(input);
  const int sourceX = Coordinate(input), sourceY = Coordinate(input);
  const DWORD rop = RandomRop(input);
  if (input.ConsumeIntegralInRange(0, 15) == 0) {
    Check(BitBlt(released, x, y, width, height, to.dc, sourceX, sourceY, rop) == FALSE &&
              PatBlt(released, x, y, width, height, rop) == FALSE,
          "a released destination DC is refused");
    return;
  }
  const int width0 = to.bitmap->model.width, height0 = to.bitmap->model.height;
  bool expected;
  BOOL result;
  if (patternOnly) {
    // With no source, the model refuses a code that reads one, as PatBlt must.
    result = PatBlt(to.dc, x, y, width, height, rop);
    expected = ModelBitBlt(to.model, x, y, width, height, nullptr, 0, 0, rop);
  } else {
    Context* from = sourceChoice < 2 ? &contexts[sourceChoice] : nullptr;
    const HDC sourceDc = from ? from->dc : sourceChoice == 2 ? released : nullptr;
    result = BitBlt(to.dc, x, y, width, height, sourceDc, sourceX, sourceY, rop);
    expected = ModelBitBlt(to.model, x, y, width, height, from ? &from->model : nullptr, sourceX,
                           sourceY, rop);
  }
  char call[160];
  std::snprintf(call, sizeof call, "%s(%d, %d, %d, %d, source %d at %d, %d, rop %08X)",
                patternOnly ? "PatBlt" : "BitBlt", x, y, width, height, sourceChoice, sourceX,
                sourceY, rop);
  if ((result != FALSE) != expected) {
    std::fprintf(stderr, "%s returned %d\n", call, result);
    varne::fuzz::Fail("the raster layer's answer differs from the model's");
  }
  if (!IsComparedDestination(to.bitmap->model)) {
    // Nothing to compare: take what the layer made as the new state.
    for (int row = 0; row < height0; ++row) {
      for (int column = 0; column < width0; ++column) {
        to.bitmap->model.at(column, row) = ActualRaw(to, column, row);
      }
    }
    return;
  }
  Compare(to, call);
}

void RunGetPixel(FuzzedDataProvider& input, Context* contexts, HDC released) {
  const int choice = input.ConsumeIntegralInRange(0, 2);
  const int x = input.ConsumeBool() ? Coordinate(input) : input.ConsumeIntegralInRange(-1, kMaxSide);
  const int y = input.ConsumeBool() ? Coordinate(input) : input.ConsumeIntegralInRange(-1, kMaxSide);
  const COLORREF actual = GetPixel(choice < 2 ? contexts[choice].dc : released, x, y);
  const COLORREF expected =
      choice < 2 ? varne::test::ModelGetPixel(contexts[choice].model, x, y) : CLR_INVALID;
  if (actual != expected) {
    std::fprintf(stderr, "GetPixel(%d, %d, %d) = %08X, model %08X\n", choice, x, y, actual,
                 expected);
    varne::fuzz::Fail("GetPixel differs from the model");
  }
}

void RunDrawState(FuzzedDataProvider& input, Context* contexts, const Bitmap* image,
                  HBITMAP released) {
  Context& to = contexts[input.ConsumeIntegralInRange(0, 1)];
  const int x = Coordinate(input), y = Coordinate(input);
  const int width = input.ConsumeIntegralInRange(0, kMaxSide + 20);
  const int height = input.ConsumeIntegralInRange(0, kMaxSide + 20);
  const HBITMAP drawn = image ? image->handle : released;
  const BOOL result = DrawStateA(to.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(drawn), 0, x,
                                 y, width, height, DST_BITMAP | DSS_DISABLED);
  char call[120];
  std::snprintf(call, sizeof call, "DrawStateA(%d, %d, %d, %d)", x, y, width, height);
  if (image == nullptr) {
    Check(result == FALSE, "DrawStateA refuses a released bitmap");
    Compare(to, call);
    return;
  }
  Check(result == TRUE, "DrawStateA draws a live bitmap");
  // The ink rule is measured for 0x00RRGGBB images drawn onto 0x00RRGGBB
  // surfaces, the only case the system uses. For other depths, what counts as white
  // in a palette or a narrow mask and how the colours land there are the
  // platform's own choices: exercise them, but adopt the layer's result.
  const bool measured = IsDib32(image->model) && IsDib32(to.bitmap->model);
  if (!measured) {
    for (int row = 0; row < to.bitmap->model.height; ++row)
      for (int column = 0; column < to.bitmap->model.width; ++column)
        to.bitmap->model.at(column, row) = ActualRaw(to, column, row);
    return;
  }
  varne::test::ModelDrawDisabled(to.model, image->model, x, y, width, height,
                                 GetSysColor(COLOR_3DHILIGHT), GetSysColor(COLOR_3DSHADOW));
  Compare(to, call);
}

// The provider takes numbers from the end of its buffer, so the input goes
// last and decides first; once it is used up, bytes derived from it keep
// the calls coming, so that a short input still exercises the model.
std::vector<std::uint8_t> Extended(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kPadding = 4096;
  std::uint64_t seed = 0xCBF29CE484222325ull;
  for (std::size_t i = 0; i < size; ++i) seed = (seed ^ data[i]) * 0x100000001B3ull;
  SplitMix padding{seed};
  std::vector<std::uint8_t> buffer(kPadding + size);
  for (std::size_t i = 0; i < kPadding; ++i) buffer[i] = static_cast<std::uint8_t>(padding.Next());
  if (size > 0) std::memcpy(buffer.data() + kPadding, data, size);
  return buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> buffer = Extended(data, size);
  FuzzedDataProvider input(buffer.data(), buffer.size());
  const varne::raster::LiveObjects baseline = varne::raster::CountLiveObjects();
  SplitMix noise{input.ConsumeIntegral<std::uint64_t>()};

  Bitmap bitmaps[3];
  bool made = true;
  for (Bitmap& bitmap : bitmaps) made = made && MakeBitmap(input, noise, bitmap);
  if (made) {
    ++Statistics().runs;
    // A DC and a bitmap that no longer exist: every call must refuse them.
    const HDC releasedDc = CreateCompatibleDC(nullptr);
    DeleteDC(releasedDc);
    const HBITMAP releasedBitmap = CreateBitmap(1, 1, 1, 1, nullptr);
    DeleteObject(releasedBitmap);

    Context contexts[2];
    SetUpContext(input, contexts[0], bitmaps[0]);
    SetUpContext(input, contexts[1], bitmaps[1]);
    const int calls = input.ConsumeIntegralInRange(1, 12);
    for (int call = 0; call < calls; ++call) {
      switch (input.ConsumeIntegralInRange(0, 4)) {
        case 0:
        case 1: RunBlit(input, contexts, releasedDc, false); break;
        case 2: RunBlit(input, contexts, releasedDc, true); break;
        case 3: RunGetPixel(input, contexts, releasedDc); break;
        default:
          RunDrawState(input, contexts, input.ConsumeIntegralInRange(0, 7) ? &bitmaps[2] : nullptr,
                       releasedBitmap);
          break;
      }
    }
    TearDownContext(contexts[1]);
    TearDownContext(contexts[0]);
  }
  for (Bitmap& bitmap : bitmaps) {
    if (bitmap.handle != nullptr) {
      Check(DeleteObject(bitmap.handle) == TRUE, "a deselected bitmap can be released");
    }
  }
  Check(varne::raster::CountLiveObjects() == baseline, "every object made was released");
  return 0;
}
