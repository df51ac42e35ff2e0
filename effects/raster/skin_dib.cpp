#include "effects/raster/raster_ops.h"

HBITMAP SkinDib(HBITMAP, HBITMAP, int, COLORREF, COLORREF) { return nullptr; }
