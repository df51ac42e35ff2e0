#pragma once

#include "platform/win32_types.h"

namespace varne::raster {

struct Brush {
  COLORREF colour = 0;
  int selections = 0;  // DCs holding it
};

}  // namespace varne::raster
