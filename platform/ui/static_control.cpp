#include "platform/ui/static_control.h"

#include <QPaintEvent>
#include <QPainter>

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

QRect StaticControl::clientRect() const {
  return (style_ & SS_SUNKEN) ? rect().adjusted(1, 1, -1, -1) : rect();
}

LRESULT StaticControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleTextMessage(text_, message, wParam, lParam, result)) {
    if (message == WM_SETTEXT) update();
    return result;
  }
  switch (message) {
    case STM_SETIMAGE: {
      if (wParam != IMAGE_BITMAP) return 0;
      // The previous handle goes back to the caller, who owns it; the area
      // keeps only the handle and reads its pixels when it paints.
      HBITMAP previous = image_;
      image_ = reinterpret_cast<HBITMAP>(lParam);
      update();
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
  if ((style_ & kStaticTypeMask) == SS_BITMAP)
    PaintBitmap(painter, client, event->rect());
  else
    PaintText(painter, client);
  if (style_ & SS_SUNKEN) PaintEdge(painter);
}

void StaticControl::PaintEdge(QPainter& painter) const {
  const QRect r = rect();
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawLine(r.topLeft(), r.topRight());
  painter.drawLine(r.topLeft(), r.bottomLeft());
  painter.setPen(palette().color(QPalette::Light));
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
}

void StaticControl::PaintText(QPainter& painter, QRect client) const {
  Qt::Alignment alignment = (style_ & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
  alignment |= (style_ & kStaticTypeMask) == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(client, alignment | Qt::TextSingleLine, text_);
}

void StaticControl::PaintBitmap(QPainter& painter, QRect client, QRect dirty) const {
  const std::optional<VisiblePart> part =
      ReadVisiblePart(image_, client.size(), dirty.translated(-client.topLeft()));
  if (part) painter.drawImage(part->at + client.topLeft(), part->pixels);
}

}  // namespace varne::ui
