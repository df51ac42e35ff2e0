// What the mask effects (Edges, Watermark, Skin) share: the memory contexts
// and masks they create and release, and the steps Watermark and Skin take
// alike.
#pragma once

#include "platform/win32.h"

// Every mask is w x h and monochrome. A context holds one bitmap at a time,
// so Edges, which draws from its key into both rims at once, gives its
// lower rim a context of its own; the others leave lowerRimContext none.
struct MaskWorkSet {
  int width;
  int height;
  HDC workContext;      // the colour picture being drawn
  HDC inputContext;     // a bitmap read from: the target, the skin, or Edges' key
  HDC maskContext;      // the mask being built or painted through
  HDC lowerRimContext;  // Edges only
  HBITMAP key;
  HBITMAP upperLeftRim;
  HBITMAP lowerRightRim;
};

// False if anything was refused; the set must then still be released.
bool CreateMaskWorkSet(HDC screen, int w, int h, bool lowerRimContext, MaskWorkSet* set);

// Releasing none does nothing, so a partly created set goes the same way.
void ReleaseMaskWorkSet(const MaskWorkSet& set);

// `shape` is read as a colour-keyed shape: its pixel at (keyX, keyY) is the
// key. Builds the key mask and both rims from it and returns the key
// colour; the work context holds what it held before, its background
// colour set to the key.
COLORREF BuildShapeMasks(const MaskWorkSet& set, HBITMAP shape, int keyX, int keyY);

// Paints the upper-left rim in `first`, then the lower-right in `second`,
// at (x, y) of the picture in the work context: where both mark a pixel,
// the second colour wins.
void PaintRims(const MaskWorkSet& set, int x, int y, COLORREF first, COLORREF second);
