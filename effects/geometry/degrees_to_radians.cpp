#include <numbers>

#include "effects/geometry/rotate_dib.h"

float DegreesToRadians(float degrees) {
  return static_cast<float>(std::numbers::pi / 180.0 * static_cast<double>(degrees));
}
