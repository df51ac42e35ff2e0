// Which of the toolkit's platforms the dialog tests ran on: a run meant for
// the native Wayland platform must not pass quietly on another.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

#include "app/resources/resource.h"
#include "tests/linux/ui/dialog_driver.h"
#include "tests/linux/ui/recording_procedure.h"

namespace varne::test {
namespace {

TEST(PlatformTest, TheDialogRunsOnTheChosenPlatform) {
  const char* chosen = std::getenv("VARNE_TEST_QPA_PLATFORM");
  const QString expected = chosen != nullptr && *chosen != '\0' ? chosen : "offscreen";
  EXPECT_EQ(RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
              EXPECT_EQ(QGuiApplication::platformName(), expected);
              driver.CloseBox();
            }),
            kClosedResult);
}

}  // namespace
}  // namespace varne::test
