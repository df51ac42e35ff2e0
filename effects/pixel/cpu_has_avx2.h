// Whether this processor and its operating system run 256-bit integer
// vector code. The build targets baseline x86-64, so wider loops are
// compiled for AVX2 on their own and chosen at run time.
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define VARNE_AVX2_PATH 1
#define VARNE_AVX2 __attribute__((target("avx2")))
#endif

bool CpuHasAvx2();
