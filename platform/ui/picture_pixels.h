// What a centred, unscaled, clipped picture area shows of a bitmap, in the
// device's pixels.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

#include "platform/win32_types.h"

namespace varne::ui {

// Where the bitmap's top-left pixel lands: integer halves, as the platform
// centres an SS_CENTERIMAGE bitmap; negative when the bitmap is larger.
QPoint CentredOrigin(QSize client, QSize bitmap);

struct VisiblePart {
  QPoint at;      // client position of pixels' top-left corner
  QImage pixels;  // only what is visible within `dirty`
};

// Reads just the pixels of `bitmap` that fall inside both the client area
// and `dirty`, so repainting costs the area's size, not the bitmap's. Nothing
// for a handle that no longer describes a 32-bpp DIB section, or when no
// pixel is visible. The pixels are opaque, the fourth byte of a word
// ignored, unless `premultiplied`: then the fourth byte is alpha and the
// colours are already multiplied by it, as PremultipliedCopy leaves them.
std::optional<VisiblePart> ReadVisiblePart(HBITMAP bitmap, QSize client, QRect dirty,
                                           bool premultiplied = false);

// What Common Controls 6's picture control keeps of a 32-bpp bitmap whose
// fourth bytes are not all zero: a new section of its size whose colour
// bytes are each multiplied by the fourth byte / 255, rounded to nearest,
// the fourth bytes kept, which it paints blended over its background.
// Nothing for any other bitmap (then the control keeps the caller's), or
// when the copy cannot be made.
HBITMAP PremultipliedCopy(HBITMAP bitmap);

// The size of what the area would draw for `bitmap`: nothing when it would
// draw nothing, so that what is said about the picture matches what is seen.
std::optional<QSize> DrawableSize(HBITMAP bitmap);

// Every device pixel that `onDevice` (a rectangle already mapped to the
// device) touches. At a fractional scale a logical edge falls inside a pixel;
// taking the whole pixel leaves no unpainted seam, and the painter's clip
// keeps the paint where it belongs. Rounding noise (1.1 x 100 is not quite 110)
// does not count as touching.
QRect CoveredPixels(const QRectF& onDevice);

}  // namespace varne::ui
