#include "tests/effects/raster/rim_model.h"

namespace varne::test {

Picture KeyOf(const Picture& picture, DWORD keyPixel) {
  Picture key(picture.width, picture.height);
  for (std::size_t i = 0; i < key.pixels.size(); ++i) key.pixels[i] = picture.pixels[i] == keyPixel;
  return key;
}

static Picture RimOf(const Picture& key, int dx, int dy) {
  Picture rim(key.width, key.height, 1);
  for (int y = 0; y < key.height; ++y) {
    for (int x = 0; x < key.width; ++x) {
      const bool neighbourIsShape = key.contains(x + dx, y + dy) && key.at(x + dx, y + dy) == 0;
      if (key.at(x, y) == 1 && neighbourIsShape) rim.at(x, y) = 0;
    }
  }
  return rim;
}

Picture UpperLeftRimOf(const Picture& key) { return RimOf(key, 1, 1); }
Picture LowerRightRimOf(const Picture& key) { return RimOf(key, -1, -1); }

}  // namespace varne::test
