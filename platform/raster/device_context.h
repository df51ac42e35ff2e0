#pragma once

#include "platform/win32_types.h"

namespace varne::raster {

struct DeviceContext {
  // The screen's DC has no bitmap of its own here: there is no screen.
  bool screen = false;
  HBITMAP bitmap = nullptr;
  HBRUSH brush = nullptr;
  COLORREF background = 0x00FFFFFF;  // RGB(255, 255, 255)
  COLORREF text = 0x00000000;
};

}  // namespace varne::raster
