#include "effects/pixel/pixel_effects.h"
#include "effects/pixel/studio_luma.h"

int LumaOf(DWORD pixel) { return static_cast<int>(StudioLuma(pixel)); }
