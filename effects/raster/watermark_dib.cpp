#include "effects/raster/raster_ops.h"

HBITMAP WatermarkDib(HBITMAP, HBITMAP, int, int, int, COLORREF, COLORREF) { return nullptr; }
