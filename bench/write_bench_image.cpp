// varne_write_bench_image WIDTH HEIGHT PATH [8]: the benchmarks' synthetic
// picture as a 24-bit .bmp, or as an 8-bit one.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bmp_writer.h"
#include "bench/synthetic_image.h"

int main(int argc, char** argv) {
  if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "8")) {
    std::fprintf(stderr, "usage: %s WIDTH HEIGHT PATH [8]\n", argv[0]);
    return 2;
  }
  const int width = std::atoi(argv[1]);
  const int height = std::atoi(argv[2]);
  if (width < 1 || height < 1 || width > 20000 || height > 20000) return 2;
  const auto write = argc == 5 ? varne::bench::WriteBmp8 : varne::bench::WriteBmp24;
  return write(argv[3], width, height, varne::bench::SyntheticPixels(width, height)) ? 0 : 1;
}
