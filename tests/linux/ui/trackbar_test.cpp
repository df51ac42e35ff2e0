// The trackbar's WM_HSCROLL traffic and messages, through real mouse and
// key events on the dialog's trackbar.
#include <gtest/gtest.h>

#include <QTest>

#include "app/resources/resource.h"
#include "tests/linux/ui/dialog_driver.h"
#include "tests/linux/ui/recording_procedure.h"

namespace varne::test {
namespace {

using Codes = std::vector<WORD>;

// Runs `script` on the dialog, closes it, and checks the script's traffic
// all came from the trackbar itself.
void RunTrackbarScript(const std::function<void(DialogDriver&)>& script) {
  HWND trackbar = nullptr;
  const INT_PTR result = RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
    trackbar = driver.Item(IDC_THRESHOLD);
    script(driver);
    driver.CloseBox();
  });
  EXPECT_EQ(result, kClosedResult);
  for (const Arrival& arrival : Arrivals()) {
    if (arrival.message != WM_HSCROLL) continue;
    EXPECT_EQ(arrival.lParam, reinterpret_cast<LPARAM>(trackbar));
  }
}

TEST(TrackbarTest, DraggedThumbTracksEachMoveThenReportsItsPositionAndTheEnd) {
  RunTrackbarScript([](DialogDriver& driver) {
    ui::TrackbarControl& bar = driver.Trackbar(IDC_THRESHOLD);
    const int start = bar.ThumbRect().center().x();
    driver.DragThumb(IDC_THRESHOLD, {start + 10, start + 10, start + 40, start + 90});
  });
  const std::vector<Arrival>& arrivals = Arrivals();
  ASSERT_GE(arrivals.size(), 4u);
  const size_t tracks = arrivals.size() - 2;
  EXPECT_EQ(tracks, 3u) << "a move that does not change the position is not reported";
  LRESULT previous = 0;
  for (size_t i = 0; i < tracks; ++i) {
    EXPECT_EQ(LOWORD(arrivals[i].wParam), TB_THUMBTRACK);
    EXPECT_EQ(HIWORD(arrivals[i].wParam), arrivals[i].trackbarPosition);
    EXPECT_GT(arrivals[i].trackbarPosition, previous);
    previous = arrivals[i].trackbarPosition;
  }
  EXPECT_EQ(LOWORD(arrivals[tracks].wParam), TB_THUMBPOSITION);
  EXPECT_EQ(HIWORD(arrivals[tracks].wParam), previous);
  EXPECT_EQ(arrivals.back().wParam, static_cast<WPARAM>(TB_ENDTRACK));
  EXPECT_EQ(arrivals.back().trackbarPosition, previous);
}

TEST(TrackbarTest, DragPastEitherEndStopsAtTheRange) {
  LRESULT atRight = -1, atLeft = -1;
  RunTrackbarScript([&](DialogDriver& driver) {
    ui::TrackbarControl& bar = driver.Trackbar(IDC_THRESHOLD);
    driver.DragThumb(IDC_THRESHOLD, {bar.width() / 2, bar.width() + 300});
    atRight = SendMessageA(driver.Item(IDC_THRESHOLD), TBM_GETPOS, 0, 0);
    driver.DragThumb(IDC_THRESHOLD, {bar.width() / 3, -300});
    atLeft = SendMessageA(driver.Item(IDC_THRESHOLD), TBM_GETPOS, 0, 0);
  });
  EXPECT_EQ(atRight, 255);
  EXPECT_EQ(atLeft, 0);
}

TEST(TrackbarTest, ChannelClicksPageTowardsTheClickAndEndOnRelease) {
  std::vector<LRESULT> positions;
  RunTrackbarScript([&](DialogDriver& driver) {
    ui::TrackbarControl& bar = driver.Trackbar(IDC_THRESHOLD);
    driver.ClickChannel(IDC_THRESHOLD, bar.width() - 6);
    positions.push_back(SendMessageA(driver.Item(IDC_THRESHOLD), TBM_GETPOS, 0, 0));
    driver.ClickChannel(IDC_THRESHOLD, bar.width() - 6);
    positions.push_back(SendMessageA(driver.Item(IDC_THRESHOLD), TBM_GETPOS, 0, 0));
    driver.ClickChannel(IDC_THRESHOLD, 2);
    positions.push_back(SendMessageA(driver.Item(IDC_THRESHOLD), TBM_GETPOS, 0, 0));
  });
  // The page is a fifth of 0..255.
  EXPECT_EQ(positions, (std::vector<LRESULT>{51, 102, 51}));
  EXPECT_EQ(ScrollCodes(), (Codes{TB_PAGEDOWN, TB_ENDTRACK, TB_PAGEDOWN, TB_ENDTRACK, TB_PAGEUP,
                                  TB_ENDTRACK}));
}

TEST(TrackbarTest, KeysMoveByLineAndPageAndToTheEndsEachFollowedByEndTrack) {
  std::vector<LRESULT> positions;
  RunTrackbarScript([&](DialogDriver& driver) {
    const auto position = [&] {
      positions.push_back(SendMessageA(driver.Item(IDC_THRESHOLD), TBM_GETPOS, 0, 0));
    };
    driver.KeyTo(IDC_THRESHOLD, Qt::Key_Right);
    position();
    driver.Key(Qt::Key_PageDown);
    position();
    driver.Key(Qt::Key_Up);
    position();
    driver.Key(Qt::Key_End);
    position();
    driver.Key(Qt::Key_PageUp);
    position();
    driver.Key(Qt::Key_Home);
    position();
    driver.Key(Qt::Key_Left);  // already at the start
    position();
  });
  EXPECT_EQ(positions, (std::vector<LRESULT>{1, 52, 51, 255, 204, 0, 0}));
  EXPECT_EQ(ScrollCodes(),
            (Codes{TB_LINEDOWN, TB_ENDTRACK, TB_PAGEDOWN, TB_ENDTRACK, TB_LINEUP, TB_ENDTRACK,
                   TB_BOTTOM, TB_ENDTRACK, TB_PAGEUP, TB_ENDTRACK, TB_TOP, TB_ENDTRACK,
                   TB_ENDTRACK}));
}

TEST(TrackbarTest, AnswersItsMessagesAsThePlatformDoes) {
  RunTrackbarScript([](DialogDriver& driver) {
    HWND bar = driver.Item(IDC_THRESHOLD);
    EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0), 255);
    EXPECT_EQ(SendMessageA(bar, TBM_GETPAGESIZE, 0, 0), 51);
    EXPECT_EQ(SendMessageA(bar, TBM_GETLINESIZE, 0, 0), 1);
    SendMessageA(bar, TBM_SETPOS, TRUE, 300);
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 255) << "positions are clamped to the range";
    // Range halves are 16-bit signed: 0xFFF6 is -10.
    SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0xFFF6, 40));
    EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0), -10);
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 40);
    EXPECT_EQ(SendMessageA(bar, TBM_GETPAGESIZE, 0, 0), 10);
    EXPECT_EQ(SendMessageA(bar, TBM_SETPAGESIZE, 0, 7), 10);
    SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 255));
    EXPECT_EQ(SendMessageA(bar, TBM_GETPAGESIZE, 0, 0), 7) << "a page size set stays set";
  });
  EXPECT_TRUE(ScrollCodes().empty()) << "messages from the caller are not notified back";
}

TEST(TrackbarTest, SetBuddyMovesTheBuddyBesideTheTrackbarWithoutResizingIt) {
  RunTrackbarScript([](DialogDriver& driver) {
    ui::TrackbarControl& bar = driver.Trackbar(IDC_THRESHOLD);
    QWidget& buddy = driver.Widget(IDC_THRESHOLD_VALUE);
    EXPECT_EQ(SendMessageA(driver.Item(IDC_THRESHOLD), TBM_GETBUDDY, FALSE, 0),
              reinterpret_cast<LRESULT>(driver.Item(IDC_THRESHOLD_VALUE)));
    EXPECT_EQ(buddy.geometry().left(), bar.geometry().right() + 1);
    const int channelMiddle = bar.geometry().top() + bar.ChannelRect().center().y();
    EXPECT_LE(std::abs(buddy.geometry().center().y() - channelMiddle), 1);

    const QSize size = buddy.size();
    EXPECT_EQ(SendMessageA(driver.Item(IDC_THRESHOLD), TBM_SETBUDDY, FALSE, 0),
              reinterpret_cast<LRESULT>(driver.Item(IDC_THRESHOLD_VALUE)));
    const LRESULT previous = SendMessageA(driver.Item(IDC_THRESHOLD), TBM_SETBUDDY, TRUE,
                                          reinterpret_cast<LPARAM>(driver.Item(IDC_THRESHOLD_VALUE)));
    EXPECT_EQ(previous, 0) << "no left buddy before";
    EXPECT_EQ(buddy.geometry().right() + 1, bar.geometry().left());
    EXPECT_EQ(buddy.size(), size);
  });
}

}  // namespace
}  // namespace varne::test
