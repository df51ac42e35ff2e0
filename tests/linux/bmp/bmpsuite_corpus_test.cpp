// The BMP corpus through LoadImageA and the platform's drawing: good files
// must show exactly their reference pictures, questionable ones must load
// or be refused as the platform does, bad ones must merely be survived.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/bmp/colour_match.h"
#include "tests/bmp/section_contents.h"
#include "tests/support/live_objects.h"

namespace varne::test {
namespace {

namespace fs = std::filesystem;

fs::path Corpus() { return fs::path(VARNE_BMPSUITE_DIR); }

// Empty when the corpus is missing: the suite is listed before main() runs,
// where a thrown error would end the process without a word.
// CorpusTest.IsPresent says what is missing.
std::vector<std::string> BmpNamesIn(const char* folder) {
  std::vector<std::string> names;
  std::error_code missing;
  for (const auto& entry : fs::directory_iterator(Corpus() / folder, missing)) {
    if (entry.path().extension() == ".bmp") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Good files whose picture is another file's reference (same image,
// different encoding).
std::string ReferenceOfGoodFile(const std::string& name) {
  static const std::map<std::string, std::string> kSharedReference = {
      {"pal1wb", "pal1"},        {"pal4rle", "pal4"},          {"pal8-0", "pal8"},
      {"pal8os2", "pal8"},       {"pal8rle", "pal8"},          {"pal8topdown", "pal8"},
      {"pal8v4", "pal8"},        {"pal8v5", "pal8"},           {"pal8nonsquare", "pal8nonsquare-e"},
      {"rgb16-565pal", "rgb16-565"}, {"rgb16bfdef", "rgb16"},  {"rgb24pal", "rgb24"},
      {"rgb32", "rgb24"},        {"rgb32bf", "rgb24"},         {"rgb32bfdef", "rgb24"},
  };
  const auto shared = kSharedReference.find(name);
  return shared == kSharedReference.end() ? name : shared->second;
}

// Pixels a reference marks transparent (alpha below 255) carry no colour a
// section without alpha could show; they are left out of the comparison.
constexpr std::uint32_t kTransparent = 0xFF000000;

Picture ReferencePicture(const std::string& reference) {
  const QImage image = QImage(QString::fromStdString((Corpus() / "ref" / (reference + ".png")).string()))
                           .convertToFormat(QImage::Format_ARGB32);
  Picture picture(image.width(), image.height());
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const QRgb pixel = image.pixel(x, y);
      picture.at(x, y) = qAlpha(pixel) == 255 ? (pixel & 0x00FFFFFF) : kTransparent;
    }
  }
  return picture;
}

::testing::AssertionResult LooksLike(const std::string& file, const std::string& reference,
                                     int tolerance) {
  const OwnedBitmap bitmap = LoadBmpFile(file);
  if (!bitmap) return ::testing::AssertionFailure() << file << " did not load";
  Picture expected = ReferencePicture(reference);
  if (expected.empty()) return ::testing::AssertionFailure() << "no reference " << reference;
  const auto section = DescribeSection(bitmap.get());
  if (!section || section->dsBm.bmWidth != expected.width || section->dsBm.bmHeight != expected.height) {
    return ::testing::AssertionFailure() << file << " has the wrong size";
  }
  Picture drawn = DrawnColours(bitmap.get());
  for (std::size_t i = 0; i < drawn.pixels.size() && i < expected.pixels.size(); ++i) {
    if (expected.pixels[i] != kTransparent) continue;
    drawn.pixels[i] = kTransparent & 0x00FFFFFF;
    expected.pixels[i] = 0;
  }
  return ColoursMatch(drawn, expected, tolerance);
}

int ToleranceFor(const std::string& name) {
  // Channels narrower than 8 bits are widened by repeating their bits; the
  // references scale exactly. Within 4 levels either way.
  return name.find("16") != std::string::npos ? 4 : 0;
}

class GoodCorpusTest : public LeakCheckedTest, public ::testing::WithParamInterface<std::string> {};

TEST(CorpusTest, IsPresent) {
  for (const char* folder : {"g", "q", "b", "ref"}) {
    EXPECT_TRUE(fs::is_directory(Corpus() / folder))
        << "the BMP corpus is read from " << Corpus() << " (shared/bmpsuite beside the clone); "
        << folder << "/ is missing there";
  }
}

TEST_P(GoodCorpusTest, ShowsExactlyTheReferencePicture) {
  const std::string& name = GetParam();
  const std::string file = (Corpus() / "g" / (name + ".bmp")).string();
  EXPECT_TRUE(LooksLike(file, ReferenceOfGoodFile(name), ToleranceFor(name)));
}

INSTANTIATE_TEST_SUITE_P(Bmpsuite, GoodCorpusTest, ::testing::ValuesIn(BmpNamesIn("g")),
                         [](const auto& info) {
                           std::string name = info.param;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

// What the platform's loader refuses in q/, except the 52 and 56-byte
// headers, which are well defined and which this loader reads.
const std::set<std::string> kRefusedQuestionable = {
    "pal1huffmsb", "pal2",      "pal2color", "pal8os2v2",   "pal8os2v2-16", "pal8os2v2-sz",
    "rgb24jpeg",   "rgb24png",  "rgb24rle24", "rgba64",
};

const std::set<std::string> kRefusedBad = {
    "badbitcount", "badheadersize", "badplanes", "badwidth", "reallybig",
};

TEST(QuestionableCorpusTest, LoadsOrRefusesLikeThePlatform) {
  for (const std::string& name : BmpNamesIn("q")) {
    SCOPED_TRACE(name);
    const OwnedBitmap bitmap = LoadBmpFile((Corpus() / "q" / (name + ".bmp")).string());
    EXPECT_EQ(static_cast<bool>(bitmap), kRefusedQuestionable.count(name) == 0);
  }
}

// Where a questionable file has a reference picture (or the two accepted
// renderings of its undefined pixels), it must look like one of them.
TEST(QuestionableCorpusTest, LoadedFilesLookLikeAnAcceptedReference) {
  const std::map<std::string, std::string> kOtherReference = {
      {"rgb32fakealpha", "fakealpha"}, {"rgba32-1", "rgba32"},    {"rgba32-2", "rgba32"},
      {"rgba32abf", "rgba32"},         {"rgba32h56", "rgba32"},   {"rgb32h52", "rgb24"},
      {"rgb32-xbgr", "rgb24"},         {"rgb32-111110", "rgb24"}, {"pal8offs", "pal8"},
      {"pal8oversizepal", "pal8"},     {"pal8os2-hs", "pal8"},    {"pal8os2-sz", "pal8"},
      {"pal8os2sp", "pal8"},           {"pal8os2v2-40sz", "pal8"}, {"rgb24largepal", "rgb24"},
      {"rgb24lprof", "rgb24"},
  };
  // These references show transparent pixels blended onto grey; a section
  // has no transparency, so it shows their stored colours instead.
  const std::set<std::string> kBlendedReference = {"rgb16faketrns", "rgba16-5551"};
  for (const std::string& name : BmpNamesIn("q")) {
    if (kRefusedQuestionable.count(name) != 0 || kBlendedReference.count(name) != 0) continue;
    SCOPED_TRACE(name);
    const auto other = kOtherReference.find(name);
    const std::string base = other == kOtherReference.end() ? name : other->second;
    std::vector<std::string> candidates;
    for (const char* suffix : {"", "-0", "-b"}) {
      if (fs::exists(Corpus() / "ref" / (base + suffix + ".png"))) candidates.push_back(base + suffix);
    }
    if (candidates.empty()) continue;
    const std::string file = (Corpus() / "q" / (name + ".bmp")).string();
    bool matched = false;
    std::string failures;
    for (const std::string& candidate : candidates) {
      const auto result = LooksLike(file, candidate, 4);
      matched = matched || static_cast<bool>(result);
      failures += candidate + ": " + result.message() + "; ";
    }
    EXPECT_TRUE(matched) << failures;
  }
}

TEST(BadCorpusTest, GivesABitmapOrNoneAndRefusesWhatThePlatformRefuses) {
  for (const std::string& name : BmpNamesIn("b")) {
    SCOPED_TRACE(name);
    const OwnedBitmap bitmap = LoadBmpFile((Corpus() / "b" / (name + ".bmp")).string());
    if (kRefusedBad.count(name) != 0) {
      EXPECT_FALSE(bitmap);
    } else if (bitmap) {
      // Whatever was recovered must be drawable in full.
      const auto section = DescribeSection(bitmap.get());
      ASSERT_TRUE(section.has_value());
      EXPECT_EQ(DrawnColours(bitmap.get()).pixels.size(),
                static_cast<std::size_t>(section->dsBm.bmWidth) * section->dsBm.bmHeight);
    }
  }
}

}  // namespace
}  // namespace varne::test
