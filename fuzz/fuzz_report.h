// How a fuzz target reports a broken invariant: a message on stderr and an
// abort, which libFuzzer records as a crash and keeps the input of.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace varne::fuzz {

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

inline void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

}  // namespace varne::fuzz
