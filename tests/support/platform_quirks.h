// Where the platform under test is known to differ from Windows.
#pragma once

namespace varne::test {

// True when the Windows build runs under Wine rather than Windows.
bool RunningOnWine();

// True when another architecture's build runs under user-mode emulation
// (qemu-user, which CTest starts for a cross build and names in
// VARNE_USER_MODE_EMULATOR). There a process cannot start another of its
// own architecture, and the address space belongs to the emulator.
bool RunningUnderUserModeEmulation();

// True for the Windows build, on Windows or Wine.
constexpr bool RunningWindowsBuild() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

}  // namespace varne::test
