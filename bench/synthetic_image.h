// Deterministic, photo-like test pictures: smooth shading in three
// channels, fine noise, and dark and light regions large enough that a
// threshold leaves shapes with long ragged outlines, as a photograph does.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace varne::bench {

// 0x00RRGGBB words, bottom row first, exactly as a Dib32 holds them.
std::vector<std::uint32_t> SyntheticPixels(int width, int height);

// A Dib32 holding SyntheticPixels; none if the layer refuses the size.
HBITMAP SyntheticDib32(int width, int height);

// A Dib32 holding the thresholded picture: black shapes on white.
HBITMAP SyntheticShapes(int width, int height);

}  // namespace varne::bench
