#include "effects/raster/raster_ops.h"

HBITMAP EmbossDib(HBITMAP, int) { return nullptr; }
