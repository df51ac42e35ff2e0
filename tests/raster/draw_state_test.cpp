// DrawStateA's disabled style against a model of the measured behaviour:
// pixels that are not exactly white are ink; ink is drawn in the 3D
// highlight colour one pixel down and right, then in the shadow colour in
// place; everything else keeps its colour. Colours come from GetSysColor,
// which differs between Windows and Wine.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/raster/test_surfaces.h"
#include "tests/support/live_objects.h"
#include "tests/support/picture_bitmaps.h"
#include "tests/support/platform_quirks.h"
#include "tests/support/raster_model.h"

namespace varne::test {
namespace {

struct Shape {
  std::string name;
  std::vector<std::string> rows;  // '#' ink (black), '.' white, '~' almost white
};

std::vector<Shape> Shapes() {
  return {
      {"Dot", {"...", ".#.", "..."}},
      {"Bar", {"####", "####"}},
      {"Diagonal", {"#....", ".#...", "..#..", "...#.", "....#"}},
      {"AlmostWhiteIsInk", {"~.", ".~"}},
      {"Ring", {".###.", "#...#", "#...#", ".###."}},
  };
}

Picture ImageOf(const Shape& shape) {
  Picture image(static_cast<int>(shape.rows[0].size()), static_cast<int>(shape.rows.size()));
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const char c = shape.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      image.at(x, y) = c == '#' ? 0 : c == '~' ? 0x00FFFEFF : 0x00FFFFFF;
    }
  }
  return image;
}

Picture ModelDisabled(const Picture& target, const Picture& image, int x, int y) {
  Picture result = target;
  ModelDc dc;
  dc.bitmap = &result;
  ModelDrawDisabled(dc, image, x, y, image.width, image.height, GetSysColor(COLOR_3DHILIGHT),
                    GetSysColor(COLOR_3DSHADOW));
  return result;
}

class DrawStateDisabled : public LeakCheckedTest, public testing::WithParamInterface<Shape> {};

TEST_P(DrawStateDisabled, PaintsHighlightThenShadowWhereTheImageIsNotWhite) {
  const Shape& shape = GetParam();
  std::mt19937 random(static_cast<unsigned>(shape.name.size()));
  const Picture image = ImageOf(shape);
  // Placed inside, and across the top-left and bottom-right edges.
  for (const auto& [x, y] : {std::pair{2, 1}, std::pair{-1, -1}, std::pair{5, 4}}) {
    const std::vector<COLORREF> colours = {RGB(10, 20, 30), RGB(200, 100, 50), 0x00FFFFFF};
    Picture target = RandomSurface(random, Depth::kDib32, 9, 7, colours);
    target.topDown = false;
    HBITMAP targetBitmap = BitmapFromPicture(target);
    HBITMAP imageBitmap = BitmapFromPicture(image);
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, targetBitmap);
    EXPECT_TRUE(DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(imageBitmap), 0, x, y,
                           image.width, image.height, DST_BITMAP | DSS_DISABLED));
    const Picture actual = PictureFromBitmap(targetBitmap, target, dc);
    const Picture expected = ModelDisabled(target, image, x, y);
    ASSERT_EQ(actual.pixels.size(), expected.pixels.size());
    for (int py = 0; py < target.height; ++py) {
      for (int px = 0; px < target.width; ++px) {
        // The fourth byte of painted pixels is the platform's business.
        EXPECT_EQ(actual.at(px, py) & 0x00FFFFFF, expected.at(px, py) & 0x00FFFFFF)
            << shape.name << " at (" << x << "," << y << "), pixel (" << px << "," << py << ")";
      }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(targetBitmap);
    DeleteObject(imageBitmap);
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, DrawStateDisabled, testing::ValuesIn(Shapes()),
                         [](const testing::TestParamInfo<Shape>& info) { return info.param.name; });

// The Linux layer reports Windows' default scheme. Windows and Wine report
// their running scheme, which the model above reads: an unthemed Wine prefix
// has a grey of 0x00808080 for the shadow, a high-contrast scheme others.
TEST(SystemColours, TheLinuxLayerReportsWindowsDefaultScheme) {
  if (RunningWindowsBuild()) GTEST_SKIP() << "the platform reports its running scheme's colours";
  EXPECT_EQ(GetSysColor(COLOR_3DHILIGHT), 0x00FFFFFFu);
  EXPECT_EQ(GetSysColor(COLOR_3DSHADOW), 0x00A0A0A0u);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0x00F0F0F0u);
}

}  // namespace
}  // namespace varne::test
