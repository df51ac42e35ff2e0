#include "tests/support/painted_client.h"

#include "tests/support/picture_bitmaps.h"

#ifdef _WIN32
#include "image/dib32.h"
#else
#include <QImage>

#include "platform/ui/static_control.h"
#include "platform/ui/window_table.h"
#endif

namespace varne::test {

Picture PaintedClient(HWND window) {
#ifdef _WIN32
  RECT client{};
  if (!GetClientRect(window, &client)) return {};
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP target = CreateDib32(screen, client.right, client.bottom);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ previous = SelectObject(memory, target);
  SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  SelectObject(memory, previous);
  DeleteDC(memory);
  const Picture painted = PictureFromDib(target);
  DeleteObject(target);
  return painted;
#else
  QWidget* widget = ui::WidgetOf(window);
  if (widget == nullptr) return {};
  const auto* control = dynamic_cast<ui::StaticControl*>(widget);
  const QImage image = widget->grab(control ? control->clientRect() : widget->rect()).toImage();
  Picture painted(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) painted.at(x, y) = image.pixel(x, y) & 0x00FFFFFFu;
  return painted;
#endif
}

}  // namespace varne::test
