#include "effects/raster/raster_ops.h"

HBITMAP EdgesDib(HBITMAP, int) { return nullptr; }
