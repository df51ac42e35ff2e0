#include "effects/raster/raster_ops.h"

void BuildRimMasks(HDC, HDC, int, int, HBITMAP, HBITMAP) {}
