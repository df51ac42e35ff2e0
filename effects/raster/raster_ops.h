// The mask-composite effects: sequences of the platform's raster operations
// over monochrome masks. Every context, mask and brush they create is
// released before they return, selections undone first.
#pragma once

#include "platform/win32.h"

// Paints `colour` on the w x h destination pixels at (x, y) whose mask bit
// is 0. The destination's background must be white and its text black.
void PaintWhereMaskClear(HDC destination, int x, int y, HDC maskContext, HBITMAP mask, int w,
                         int h, COLORREF colour);

// Builds the two diagonal rims of the shape held by `source` (a colour image
// whose background colour is the key, or the key mask itself).
void BuildRimMasks(HDC source, HDC maskContext, int w, int h, HBITMAP upperLeftRim,
                   HBITMAP lowerRightRim);

// The two halves of one rim, for callers that hold each rim in a context of
// its own: the rim selected into rimContext must already be all ones.
void MarkUpperLeftRim(HDC rimContext, HDC source, int w, int h);
void MarkLowerRightRim(HDC rimContext, HDC source, int w, int h);

HBITMAP EdgesDib(HBITMAP image, int t);
HBITMAP WatermarkDib(HBITMAP mark, HBITMAP target, int raised, int x, int y, COLORREF colourA,
                     COLORREF colourB);
HBITMAP SkinDib(HBITMAP shape, HBITMAP skin, int raised, COLORREF colourA, COLORREF colourB);
HBITMAP EmbossDib(HBITMAP image, int t);
