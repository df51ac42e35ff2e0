// The mask-composite effects: sequences of the platform's raster operations
// over monochrome masks. Every context, mask and brush they create is
// released before they return, selections undone first.
#pragma once

#include "platform/win32.h"

// Paints `colour` on the w x h destination pixels at (x, y) whose mask bit
// is 0, when the destination's background is white and its text black (so
// the rims are painted). With the two the other way round it paints where
// the bit is 1 (so Skin puts the key colour back on the background).
void PaintWhereMaskClear(HDC destination, int x, int y, HDC maskContext, HBITMAP mask, int w,
                         int h, COLORREF colour);

// The key mask of the colour image in `source`: 1 where a pixel has the
// source context's background colour, 0 elsewhere.
void BuildKeyMask(HDC source, HDC maskContext, int w, int h, HBITMAP key);

// Builds the two diagonal rims of the shape held by `source` (a colour image
// whose background colour is the key, or the key mask itself).
void BuildRimMasks(HDC source, HDC maskContext, int w, int h, HBITMAP upperLeftRim,
                   HBITMAP lowerRightRim);

// The two halves of one rim, for callers that hold each rim in a context of
// its own: the rim selected into rimContext must already be all ones.
void MarkUpperLeftRim(HDC rimContext, HDC source, int w, int h);
void MarkLowerRightRim(HDC rimContext, HDC source, int w, int h);

// Thresholds the image at t and keeps only the one-pixel diagonal outline of
// its black areas, black on white, in place. None, with the image untouched,
// if it cannot be read or the masks cannot be made.
HBITMAP EdgesDib(HBITMAP image, int t);

// A new copy of `target` with the two rims of `mark`'s shape (its top-left
// pixel is the background) painted at (x, y): the upper-left rim in
// colourA and the lower-right in colourB when raised is not 0, swapped when
// it is. Neither input is changed or released.
HBITMAP WatermarkDib(HBITMAP mark, HBITMAP target, int raised, int x, int y, COLORREF colourA,
                     COLORREF colourB);

// A new image of `shape`'s size: the skin tiled over the shape (every
// colour but the one at (10, 10), or the nearest pixel to it), the
// background in that key colour, and the rims coloured as WatermarkDib's.
// Neither input is changed or released.
HBITMAP SkinDib(HBITMAP shape, HBITMAP skin, int raised, COLORREF colourA, COLORREF colourB);

// Thresholds the image at t and draws it in the platform's disabled style
// on a new black surface. On success the input is released; none leaves it
// (thresholded if only the new surface was refused) with the caller.
HBITMAP EmbossDib(HBITMAP image, int t);
