// Where the platform under test is known to differ from Windows.
#pragma once

namespace varne::test {

// True when the Windows build runs under Wine rather than Windows.
bool RunningOnWine();

// True for the Windows build, on Windows or Wine.
constexpr bool RunningWindowsBuild() {
#ifdef _WIN32
  return true;
#else
  return false;
#endif
}

}  // namespace varne::test
