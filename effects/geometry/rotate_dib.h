// Turning a Dib32 about its first pixel in memory (bottom-left as displayed)
// onto a new surface just large enough to hold it.
#pragma once

#include "platform/win32.h"

// (pi / 180) * degrees, computed in double and rounded once to float.
float DegreesToRadians(float degrees);

// Counter-clockwise as displayed for a positive angle; uncovered pixels take
// `background` (a COLORREF). The source is neither changed nor released.
HBITMAP RotateDib(HBITMAP source, float angle, COLORREF background);
