#include "effects/pixel/pixel_loops.h"

bool CpuHasAvx2() {
#if defined(VARNE_AVX2_PATH)
  // The compiler's check covers the operating system saving the wide
  // registers as well as the instructions themselves.
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
#else
  return false;
#endif
}
