// The diagonal rims written straight from their definition, pixel by pixel,
// as the model the raster sequences are checked against.
#pragma once

#include "tests/support/picture.h"

namespace varne::test {

// 1 where the pixel is the key colour (0x00RRGGBB), else 0.
Picture KeyOf(const Picture& picture, DWORD keyPixel);

// 0 on a key pixel whose lower-right (upper-left) diagonal neighbour exists
// and is not key; 1 everywhere else.
Picture UpperLeftRimOf(const Picture& key);
Picture LowerRightRimOf(const Picture& key);

}  // namespace varne::test
