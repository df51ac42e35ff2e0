#include "platform/ui/modal_loop_hook.h"

#include <utility>

namespace varne::ui {
namespace {

ModalLoopHook& Installed() {
  static ModalLoopHook hook;
  return hook;
}

}  // namespace

ModalLoopHook SetModalLoopHook(ModalLoopHook hook) { return std::exchange(Installed(), std::move(hook)); }

void RunModalLoopHook(HWND dialog) {
  // A copy, so the hook may replace itself while it runs.
  const ModalLoopHook hook = Installed();
  if (hook) hook(dialog);
}

}  // namespace varne::ui
