// The whole program's start-up and exit: WinMain as the program defines it,
// run in a child process that the close box ends.
#include <gtest/gtest.h>

#include "app/win_main.cpp"  // the entry is built only into the program itself
#include "platform/ui/modal_loop_hook.h"
#include "tests/linux/ui/dialog_driver.h"
#include "tests/support/platform_quirks.h"

namespace varne::test {
namespace {

// The death tests start this executable again as a child, which the kernel
// cannot do for another architecture's program without binfmt_misc.
constexpr const char* kNoChildUnderEmulation =
    "under user-mode emulation the test cannot start its child; the native run covers the exit";

TEST(ProgramExitDeathTest, TheProgramEndsWithExitCode259WhichLinuxParentsSeeAs3) {
  if (RunningUnderUserModeEmulation()) GTEST_SKIP() << kNoChildUnderEmulation;
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ui::SetModalLoopHook([](HWND dialog) {
          DialogDriver driver(dialog);
          driver.CloseBox();
        });
        WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), 1);
      },
      ::testing::ExitedWithCode(259 & 0xFF), "");
}

TEST(ProgramExitDeathTest, EscapeAndEnterLeaveTheProgramRunningUntilTheCloseBox) {
  if (RunningUnderUserModeEmulation()) GTEST_SKIP() << kNoChildUnderEmulation;
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ui::SetModalLoopHook([](HWND dialog) {
          DialogDriver driver(dialog);
          driver.Key(Qt::Key_Escape);
          driver.KeyTo(1005, Qt::Key_Return);
          // Still running: a closed dialog would have ended the process already.
          std::fprintf(stderr, "still running\n");
          driver.CloseBox();
        });
        WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), 1);
      },
      ::testing::ExitedWithCode(3), "still running");
}

}  // namespace
}  // namespace varne::test
