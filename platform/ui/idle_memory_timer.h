// Giving pixel memory back while the program sits idle. The raster
// layer keeps released surfaces' memory for the next command, which a
// live drag depends on; once the dialog has seen no command and no
// trackbar notification for kIdleMilliseconds, that memory goes back to
// the system (raster::GiveBackIdleMemory). The countdown runs on the
// dialog's own thread and event loop, and while the user works it is only
// restarted. It may run inside a command, while the command's own file
// dialog waits for the user; that is safe, because only blocks that no
// live surface holds are given back.
#pragma once

class QObject;
class QTimer;

namespace varne::ui {

inline constexpr int kIdleMilliseconds = 3000;

// The dialog's countdown, a child of `dialog` that goes with it; the dialog
// starts it again from the full time (QTimer::start) at every command and
// trackbar notification.
QTimer* MakeIdleMemoryTimer(QObject* dialog);

}  // namespace varne::ui
