#include "tests/support/platform_quirks.h"

#include <cstdlib>

#include "platform/win32.h"

namespace varne::test {

bool RunningOnWine() {
#ifdef _WIN32
  // Wine's ntdll exports its version; Windows' does not.
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

bool RunningUnderUserModeEmulation() {
  const char* emulator = std::getenv("VARNE_USER_MODE_EMULATOR");
  return emulator != nullptr && *emulator != '\0';
}

}  // namespace varne::test
