// How many objects of each kind the raster layer holds right now, so tests
// can prove that an operation releases everything it creates. Stock
// objects (the memory DCs' 1x1 bitmap) are not counted.
#pragma once

namespace varne::raster {

struct LiveObjects {
  int deviceContexts = 0;  // memory DCs and screen DCs not yet given back
  int bitmaps = 0;         // DIB sections and monochrome bitmaps
  int brushes = 0;

  int total() const { return deviceContexts + bitmaps + brushes; }
  friend bool operator==(const LiveObjects&, const LiveObjects&) = default;
};

LiveObjects CountLiveObjects();

}  // namespace varne::raster
