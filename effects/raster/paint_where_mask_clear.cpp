#include "effects/raster/raster_ops.h"

void PaintWhereMaskClear(HDC, int, int, HDC, HBITMAP, int, int, COLORREF) {}
