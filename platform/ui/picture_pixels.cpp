#include "platform/ui/picture_pixels.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/raster/gdi.h"

namespace varne::ui {
namespace {

struct PixelSource {
  const std::uint8_t* bits = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;

  // The system shows only Dib32s, whose first memory row is the bottom one.
  const std::uint32_t* DisplayRow(int y) const {
    return reinterpret_cast<const std::uint32_t*>(bits + (height - 1 - y) * stride);
  }
};

// Far below a pixel, far above the error of a few products of doubles.
constexpr double kEdgeTolerance = 1e-6;

bool HasStandardMasks(const DIBSECTION& section) {
  return section.dsBitfields[0] == 0x00FF0000 && section.dsBitfields[1] == 0x0000FF00 &&
         section.dsBitfields[2] == 0x000000FF;
}

std::optional<PixelSource> Describe(HBITMAP bitmap) {
  DIBSECTION section{};
  if (bitmap == nullptr ||
      GetObjectA(bitmap, sizeof section, &section) != static_cast<int>(sizeof section))
    return std::nullopt;
  const BITMAP& bm = section.dsBm;
  const DWORD compression = section.dsBmih.biCompression;
  const bool plainWords = compression == BI_RGB ||
                          (compression == BI_BITFIELDS && HasStandardMasks(section));
  if (bm.bmBits == nullptr || bm.bmBitsPixel != 32 || !plainWords || bm.bmWidth <= 0 ||
      bm.bmHeight <= 0 || bm.bmWidthBytes < static_cast<std::int64_t>(bm.bmWidth) * 4)
    return std::nullopt;
  return PixelSource{static_cast<const std::uint8_t*>(bm.bmBits), bm.bmWidth, bm.bmHeight,
                     bm.bmWidthBytes};
}

}  // namespace

std::optional<QSize> DrawableSize(HBITMAP bitmap) {
  const std::optional<PixelSource> source = Describe(bitmap);
  if (!source) return std::nullopt;
  return QSize(source->width, source->height);
}

QRect CoveredPixels(const QRectF& onDevice) {
  if (onDevice.isEmpty()) return QRect();
  const int left = static_cast<int>(std::floor(onDevice.left() + kEdgeTolerance));
  const int top = static_cast<int>(std::floor(onDevice.top() + kEdgeTolerance));
  const int right = static_cast<int>(std::ceil(onDevice.right() - kEdgeTolerance));
  const int bottom = static_cast<int>(std::ceil(onDevice.bottom() - kEdgeTolerance));
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QPoint CentredOrigin(QSize client, QSize bitmap) {
  return QPoint(client.width() / 2 - bitmap.width() / 2, client.height() / 2 - bitmap.height() / 2);
}

std::optional<VisiblePart> ReadVisiblePart(HBITMAP bitmap, QSize client, QRect dirty,
                                           bool premultiplied) {
  const std::optional<PixelSource> source = Describe(bitmap);
  if (!source) return std::nullopt;
  const QPoint origin = CentredOrigin(client, QSize(source->width, source->height));
  const QRect visible = QRect(origin, QSize(source->width, source->height))
                            .intersected(QRect(QPoint(0, 0), client))
                            .intersected(dirty);
  if (visible.isEmpty()) return std::nullopt;

  QImage pixels(visible.size(),
                premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (pixels.isNull()) return std::nullopt;
  const std::uint32_t opaque = premultiplied ? 0 : 0xFF000000u;
  const int firstColumn = visible.left() - origin.x();
  for (int row = 0; row < visible.height(); ++row) {
    const std::uint32_t* from = source->DisplayRow(visible.top() - origin.y() + row) + firstColumn;
    auto* to = reinterpret_cast<std::uint32_t*>(pixels.scanLine(row));
    for (int column = 0; column < visible.width(); ++column) to[column] = from[column] | opaque;
  }
  return VisiblePart{visible.topLeft(), std::move(pixels)};
}

HBITMAP PremultipliedCopy(HBITMAP bitmap) {
  const std::optional<PixelSource> source = Describe(bitmap);
  if (!source) return nullptr;
  // Every picture a command shows passes here, so a row is tested whole:
  // the OR of its words vectorises, where a test per word would not.
  std::uint32_t fourthBytes = 0;
  for (int y = 0; y < source->height && fourthBytes == 0; ++y) {
    const std::uint32_t* row = source->DisplayRow(y);
    for (int x = 0; x < source->width; ++x) fourthBytes |= row[x];
    fourthBytes &= 0xFF000000u;
  }
  if (fourthBytes == 0) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = source->width;
  info.bmiHeader.biHeight = source->height;  // bottom-up, as the area reads every bitmap
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (copy == nullptr) return nullptr;
  const auto times = [](std::uint32_t word, int shift, std::uint32_t alpha) {
    return ((((word >> shift) & 0xFFu) * alpha + 127) / 255) << shift;
  };
  auto* to = static_cast<std::uint32_t*>(bits);
  for (int y = source->height; y-- > 0;) {
    const std::uint32_t* row = source->DisplayRow(y);
    for (int x = 0; x < source->width; ++x, ++to) {
      const std::uint32_t word = row[x];
      const std::uint32_t alpha = word >> 24;
      *to = (alpha << 24) | times(word, 16, alpha) | times(word, 8, alpha) | times(word, 0, alpha);
    }
  }
  return copy;
}

}  // namespace varne::ui
