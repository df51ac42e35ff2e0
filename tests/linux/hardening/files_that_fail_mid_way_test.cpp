// The file the user picked changes between the open dialog and the load:
// it is swapped for a pipe, a folder or a link to nowhere, loses its
// permissions, shrinks. The loader gives none, silently, and leaves no
// platform object behind; a path that only fits the name buffer with its
// last character cut off never loads the shorter name.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "image/bitmap_loader.h"
#include "platform/ui/open_file_chooser.h"
#include "tests/linux/hardening/scratch_files.h"
#include "tests/support/live_objects.h"

namespace varne::test {
namespace {

// What happens to the chosen file after the dialog closed on it.
using Mischief = std::function<void(const std::string& path)>;

class FilesThatFailMidWay : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    WriteChosen();
  }
  void TearDown() override {
    ui::SetOpenFileChooser({});
    LeakCheckedTest::TearDown();
  }

  // Runs LoadBitmapFile with a dialog that picks `path`, after which
  // `mischief` strikes.
  HBITMAP LoadChosen(const std::string& path, const Mischief& mischief) {
    ui::SetOpenFileChooser([&](const OPENFILENAMEA&) -> std::optional<std::string> {
      mischief(path);
      return path;
    });
    return LoadBitmapFile(nullptr);
  }

  void WriteChosen() { WriteFile(chosen_, SolidBmp24(5, 4, 0x00336699)); }

  ScratchFolder folder_;
  std::string chosen_ = folder_ / "picture.bmp";
};

void Replace(const std::string& path, const std::function<int(const char*)>& make) {
  ASSERT_EQ(::unlink(path.c_str()), 0);
  ASSERT_EQ(make(path.c_str()), 0);
}

TEST_F(FilesThatFailMidWay, ASwappedOrDamagedFileGivesNoneAndLeavesNothing) {
  const std::string elsewhere = folder_ / "elsewhere";
  const std::string loopOther = folder_ / "loop-other.bmp";
  const struct {
    const char* what;
    Mischief mischief;
  } cases[] = {
      {"swapped for a pipe", [](const std::string& p) { Replace(p, [](const char* q) { return ::mkfifo(q, 0600); }); }},
      {"swapped for a folder", [](const std::string& p) { Replace(p, [](const char* q) { return ::mkdir(q, 0700); }); }},
      {"swapped for a link to nowhere",
       [&](const std::string& p) { Replace(p, [&](const char* q) { return ::symlink(elsewhere.c_str(), q); }); }},
      {"swapped for a link in a circle",
       [&](const std::string& p) {
         ASSERT_EQ(::symlink(p.c_str(), loopOther.c_str()), 0);
         Replace(p, [&](const char* q) { return ::symlink(loopOther.c_str(), q); });
       }},
      {"swapped for a link to an endless device",
       [](const std::string& p) { Replace(p, [](const char* q) { return ::symlink("/dev/urandom", q); }); }},
      {"emptied", [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), 0), 0); }},
      {"cut inside its header", [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), 30), 0); }},
      {"overwritten with text",
       [](const std::string& p) { WriteFile(p, {'h', 'e', 'l', 'l', 'o', '\n'}); }},
  };
  for (const auto& [what, mischief] : cases) {
    SCOPED_TRACE(what);
    WriteChosen();
    EXPECT_EQ(LoadChosen(chosen_, mischief), nullptr);
    EXPECT_TRUE(LiveAsAtSetUp());
    EXPECT_STREQ(PathBuffer, chosen_.c_str()) << "the dialog's answer stays where it was put";
    std::error_code ignored;
    std::filesystem::remove_all(chosen_, ignored);
    std::filesystem::remove(loopOther, ignored);
  }
}

// Permission bits do not bind the superuser: as root a file whose bits
// were all cleared still reads, on Linux as on the platform for an
// administrator with backup rights. Only a normal user sees none.
TEST_F(FilesThatFailMidWay, AFileMadeUnreadableGivesNoneUnlessPermissionsDoNotApply) {
  const HBITMAP loaded =
      LoadChosen(chosen_, [](const std::string& p) { ASSERT_EQ(::chmod(p.c_str(), 0), 0); });
  if (::geteuid() == 0) {
    ASSERT_NE(loaded, nullptr) << "root reads whatever the bits say";
    BITMAP record{};
    ASSERT_EQ(GetObjectA(loaded, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.bmWidth, 5);
    EXPECT_EQ(record.bmHeight, 4);
    DeleteObject(loaded);
  } else {
    EXPECT_EQ(loaded, nullptr);
  }
  EXPECT_TRUE(LiveAsAtSetUp());

  // A folder on the way that cannot be searched stops even the lookup.
  const std::string inner = folder_ / "locked";
  ASSERT_EQ(::mkdir(inner.c_str(), 0700), 0);
  const std::string hidden = inner + "/picture.bmp";
  WriteFile(hidden, SolidBmp24(2, 2, 0));
  const HBITMAP behindLock =
      LoadChosen(hidden, [&](const std::string&) { ASSERT_EQ(::chmod(inner.c_str(), 0), 0); });
  if (::geteuid() == 0) {
    EXPECT_NE(behindLock, nullptr);
    DeleteObject(behindLock);
  } else {
    EXPECT_EQ(behindLock, nullptr);
  }
}

// The name buffer holds 259 characters and the NUL. A 260-character path
// is refused whole: cut to fit, it would name another file, and here that
// other file exists and is a perfectly good bitmap.
TEST_F(FilesThatFailMidWay, APathOneCharacterTooLongNeverLoadsItsShorterNamesake) {
  const std::string fits = PathOfLength(folder_.path(), kPathBufferSize - 1, "p.bm");
  const std::string tooLong = fits + "p";
  ASSERT_EQ(fits.size(), 259u);
  ASSERT_EQ(tooLong.size(), 260u);
  WriteFile(fits, SolidBmp24(3, 2, 0x00FFFFFF));
  WriteFile(tooLong, SolidBmp24(7, 7, 0x00000000));

  const auto nothing = [](const std::string&) {};
  const HBITMAP atLimit = LoadChosen(fits, nothing);
  ASSERT_NE(atLimit, nullptr) << "259 characters fit";
  BITMAP record{};
  ASSERT_EQ(GetObjectA(atLimit, sizeof record, &record), static_cast<int>(sizeof record));
  EXPECT_EQ(record.bmWidth, 3);
  DeleteObject(atLimit);

  EXPECT_EQ(LoadChosen(tooLong, nothing), nullptr);
}

}  // namespace
}  // namespace varne::test
