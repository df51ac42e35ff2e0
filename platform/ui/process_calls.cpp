// The COMCTL32 and KERNEL32 calls the program's start-up makes.
#include <cstdio>
#include <cstdlib>

#include "platform/ui/user.h"

namespace {

// Any non-null value serves: the layer's templates do not live in modules.
HINSTANCE ProgramModule() {
  static int anchor;
  return reinterpret_cast<HINSTANCE>(&anchor);
}

}  // namespace

// The trackbar class exists from the start; there is nothing to register.
void InitCommonControls(void) {}

HMODULE GetModuleHandleA(LPCSTR name) { return name == nullptr ? ProgramModule() : nullptr; }

void ExitProcess(UINT exitCode) {
  // Ends at once, like the platform: no destructors, no atexit handlers;
  // only buffered output is flushed. A Linux parent sees exitCode & 0xFF.
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(exitCode));
}
