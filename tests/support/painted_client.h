// What a window paints into its client area, read back: on Windows and Wine
// painted into a memory context (WM_PRINTCLIENT); on Linux rendered by the
// stand-in layer's widget. Display order, 0x00RRGGBB; empty when the window
// is unknown.
#pragma once

#include "platform/win32.h"
#include "tests/support/picture.h"

namespace varne::test {

Picture PaintedClient(HWND window);

}  // namespace varne::test
