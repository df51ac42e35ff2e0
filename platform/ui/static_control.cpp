#include "platform/ui/static_control.h"

#include <QPaintEvent>
#include <QPainter>

#include "platform/ui/accessibility_announcements.h"
#include "platform/ui/picture_pixels.h"
#include "platform/win32.h"

namespace varne::ui {
namespace {

constexpr DWORD kStaticTypeMask = 0x1F;

}  // namespace

StaticControl::StaticControl(QWidget* parent, HWND dialog, int id, DWORD style, const QString& text)
    : QWidget(parent), Control(this, dialog, id), style_(style), text_(text) {
  setAutoFillBackground(true);
  setFocusPolicy(Qt::NoFocus);
}

StaticControl::~StaticControl() {
  if (ownsImage_) DeleteObject(image_);
}

bool StaticControl::showsBitmap() const { return (style_ & kStaticTypeMask) == SS_BITMAP; }

QRect StaticControl::clientRect() const {
  return (style_ & SS_SUNKEN) ? rect().adjusted(1, 1, -1, -1) : rect();
}

LRESULT StaticControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleTextMessage(text_, message, wParam, lParam, result)) {
    if (message == WM_SETTEXT) {
      update();
      // A text static is named by its text (the number display by its number).
      if (!showsBitmap()) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        Announce(renamed);
      }
    }
    return result;
  }
  switch (message) {
    case STM_SETIMAGE: {
      if (wParam != IMAGE_BITMAP) return 0;
      // The previous handle goes back to the caller, who owns it from then
      // on, the area's own copy included. The area keeps only a handle and
      // reads its pixels when it paints: the caller's, or with Common
      // Controls 6 a copy taken now of a bitmap with alpha.
      HBITMAP previous = image_;
      const auto given = reinterpret_cast<HBITMAP>(lParam);
      const HBITMAP copy = PremultipliedCopy(given);
      image_ = copy != nullptr ? copy : given;
      ownsImage_ = copy != nullptr;
      update();
      // The picture's description gives the size of what it shows.
      QAccessibleEvent described(this, QAccessible::DescriptionChanged);
      Announce(described);
      return reinterpret_cast<LRESULT>(previous);
    }
    case STM_GETIMAGE:
      return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(image_) : 0;
    default:
      return 0;
  }
}

void StaticControl::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect client = clientRect();
  if (showsBitmap())
    PaintBitmap(painter, client, event->rect());
  else
    PaintText(painter, client);
  if (style_ & SS_SUNKEN) PaintEdge(painter);
}

// Filled one-pixel rows and columns rather than lines: on a scaled screen a
// line's stroke straddles its pixel and would reach into the client area,
// while a filled rectangle covers exactly the outermost logical pixels.
void StaticControl::PaintEdge(QPainter& painter) const {
  const QRect r = rect();
  const QColor shadow = palette().color(QPalette::Dark);
  painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), shadow);
  painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), shadow);
  const QColor highlight = palette().color(QPalette::Light);
  painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), highlight);
  painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), highlight);
}

void StaticControl::PaintText(QPainter& painter, QRect client) const {
  Qt::Alignment alignment = (style_ & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
  alignment |= (style_ & kStaticTypeMask) == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(client, alignment | Qt::TextSingleLine, text_);
}

// A DPI-aware program shows a bitmap one pixel per device pixel whatever
// the screen's scale, so the area and the damage are measured in device
// pixels, and the pixels read carry the painter's scale so that they are
// blitted, never resampled. The widget itself may start inside a device pixel
// (a fractional scale); the painter's device transform knows where.
void StaticControl::PaintBitmap(QPainter& painter, QRect client, QRect dirty) const {
  const QTransform toDevice = painter.deviceTransform();
  const QRect area = CoveredPixels(toDevice.mapRect(QRectF(client)));
  const QRect damage = CoveredPixels(toDevice.mapRect(QRectF(dirty)));
  std::optional<VisiblePart> part =
      ReadVisiblePart(image_, area.size(), damage.translated(-area.topLeft()), ownsImage_);
  if (!part) return;
  part->pixels.setDevicePixelRatio(toDevice.m11());
  painter.drawImage(toDevice.inverted().map(QPointF(area.topLeft() + part->at)), part->pixels);
}

}  // namespace varne::ui
