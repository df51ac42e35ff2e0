// A way in for tests: a function the layer calls once a modal dialog's loop
// is running, with the dialog's handle, so a script can drive the real
// widgets from inside the loop.
#pragma once

#include <functional>

#include "platform/win32_types.h"

namespace varne::ui {

using ModalLoopHook = std::function<void(HWND dialog)>;

// Installs `hook` and returns the one it replaces; empty means none.
ModalLoopHook SetModalLoopHook(ModalLoopHook hook);
void RunModalLoopHook(HWND dialog);

}  // namespace varne::ui
