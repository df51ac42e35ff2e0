// Writes the sample pictures: a photo-like landscape to open, a black shape
// on white for Watermark and a texture for ApplySkin. Everything is
// computed from coordinates, so every run writes the same bytes.
#include <cmath>
#include <cstdio>
#include <string>

#include "bmp_writer/bmp_writer.h"

namespace {

using varne::BmpColour;
using varne::BmpFileRecipe;

std::uint32_t Rgb(double red, double green, double blue) {
  const auto clamp = [](double v) {
    return static_cast<std::uint32_t>(v < 0 ? 0 : v > 255 ? 255 : std::lround(v));
  };
  return (clamp(red) << 16) | (clamp(green) << 8) | clamp(blue);
}

// Sky fading to the horizon, a sun with a halo, two rolling hills and a
// lake that mirrors the sky: smooth gradients and hard edges for the effects.
std::uint32_t LandscapeAt(int x, int y) {
  const double u = x / 480.0;
  const double v = y / 320.0;
  const double farHill = 0.52 + 0.06 * std::sin(u * 7.0 + 1.0) + 0.02 * std::sin(u * 23.0);
  const double nearHill = 0.66 + 0.08 * std::sin(u * 4.0 + 2.5) + 0.015 * std::sin(u * 41.0);
  const double lake = 0.84;
  if (v >= lake) {
    const double ripple = 12.0 * std::sin(x * 0.21 + y * 0.9);
    return Rgb(40 + ripple, 90 + 60 * (v - lake) / (1 - lake) + ripple, 150 + ripple);
  }
  if (v >= nearHill) {
    const double shade = 40.0 * (v - nearHill) / (lake - nearHill);
    const double grass = 10.0 * std::sin(x * 1.3) * std::sin(y * 1.7);
    return Rgb(50 - shade + grass, 130 - shade + grass, 40 - shade / 2);
  }
  if (v >= farHill) {
    return Rgb(70 + 30 * u, 110 + 20 * u, 90 + 20 * (v - farHill) * 4);
  }
  const double sunX = 0.72 * 480;
  const double sunY = 0.22 * 320;
  const double distance = std::hypot(x - sunX, y - sunY);
  if (distance < 28) return Rgb(255, 240, 190);
  const double halo = 90.0 * std::exp(-(distance - 28) / 40.0);
  return Rgb(90 + 140 * v + halo, 150 + 80 * v + halo * 0.8, 235 - 40 * v + halo * 0.2);
}

// A five-petalled flower inside a ring, in black on white.
bool FlowerAt(int x, int y) {
  constexpr double kPi = 3.14159265358979323846;
  const double dx = x - 95.5;
  const double dy = 95.5 - y;
  const double radius = std::hypot(dx, dy);
  if (radius > 84 && radius < 94) return true;
  const double angle = std::atan2(dy, dx) - kPi / 2;
  const double sector = std::fmod(std::fabs(angle) + kPi / 5, 2 * kPi / 5) - kPi / 5;
  // Petal outline in polar form: widest on each petal axis.
  const double edge = 30 + 46 * (1 - std::fabs(sector) / (kPi / 5));
  return radius < edge;
}

// Woven threads: two interleaved stripe sets with a little shading, in a
// 16-colour palette.
std::uint32_t WeaveAt(int x, int y) {
  const int cellX = (x / 8) % 2;
  const int cellY = (y / 8) % 2;
  const bool overWarp = cellX == cellY;
  const int along = overWarp ? y % 8 : x % 8;
  const int shade = along < 4 ? along : 7 - along;  // 0..3, brightest mid-thread
  return static_cast<std::uint32_t>((overWarp ? 0 : 8) + shade * 2 + ((x + y) / 32) % 2);
}

std::vector<BmpColour> WeavePalette() {
  std::vector<BmpColour> palette;
  for (int i = 0; i < 16; ++i) {
    const int light = 60 + (i % 8) * 22;
    if (i < 8) {
      palette.push_back({static_cast<std::uint8_t>(light), static_cast<std::uint8_t>(light / 2),
                         static_cast<std::uint8_t>(light / 4)});
    } else {
      palette.push_back({static_cast<std::uint8_t>(light / 3), static_cast<std::uint8_t>(light / 2),
                         static_cast<std::uint8_t>(light)});
    }
  }
  return palette;
}

bool Write(const std::string& path, const BmpFileRecipe& recipe) {
  if (varne::WriteFileBytes(path, varne::BuildBmp(recipe))) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string directory = argc > 1 ? argv[1] : ".";

  BmpFileRecipe photo;
  photo.width = 480;
  photo.height = 320;
  photo.bitCount = 24;
  photo.pixels = varne::PackRows(480, 320, 24, false, LandscapeAt);

  BmpFileRecipe shape;
  shape.width = 192;
  shape.height = 192;
  shape.bitCount = 1;
  shape.palette = {{0, 0, 0}, {255, 255, 255}};
  shape.pixels = varne::PackRows(192, 192, 1, false,
                                       [](int x, int y) { return FlowerAt(x, y) ? 0u : 1u; });

  BmpFileRecipe texture;
  texture.width = 128;
  texture.height = 128;
  texture.bitCount = 4;
  texture.palette = WeavePalette();
  texture.pixels = varne::PackRows(128, 128, 4, false, WeaveAt);

  const bool written = Write(directory + "/landscape.bmp", photo) &&
                       Write(directory + "/watermark_flower.bmp", shape) &&
                       Write(directory + "/skin_weave.bmp", texture);
  return written ? 0 : 1;
}
