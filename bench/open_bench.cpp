// varne_open_bench FILE COUNT: COUNT opens of FILE in this process, as the
// Open command runs them (LoadImageA, NormalizeTo32Bpp, CopyDib32, and the
// release of the two images the new ones replace), without the dialog.
// Prints one JSON line: each open's phases in ms, and a memcpy of the
// 32-bpp image's bytes into touched memory, timed after the opens, so the
// conversion can be read as a multiple of it. bench/open_table.py runs it
// in fresh processes: the first open is what a person meets after start.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "image/bitmap_loader.h"
#include "image/dib32.h"
#include "platform/win32.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Phases {
  double load = 0;
  double normalize = 0;
  double copy = 0;
  double release = 0;
};

// The touched copy's median of five, after one untimed pass that faults
// both buffers in.
double TouchedMemcpyMs(std::size_t bytes) {
  const std::unique_ptr<std::uint8_t[]> from(new std::uint8_t[bytes]);
  const std::unique_ptr<std::uint8_t[]> to(new std::uint8_t[bytes]);
  std::memset(from.get(), 1, bytes);
  std::memcpy(to.get(), from.get(), bytes);
  std::vector<double> times;
  for (int i = 0; i < 5; ++i) {
    const auto start = Clock::now();
    std::memcpy(to.get(), from.get(), bytes);
    times.push_back(Ms(start, Clock::now()));
    if (to[bytes / 2] != 1) std::abort();
  }
  std::sort(times.begin(), times.end());
  return times[2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s FILE COUNT\n", argv[0]);
    return 2;
  }
  const char* path = argv[1];
  const int count = std::max(1, std::atoi(argv[2]));
  HBITMAP source = nullptr;
  HBITMAP current = nullptr;
  std::vector<Phases> opens;
  std::size_t imageBytes = 0;
  for (int i = 0; i < count; ++i) {
    Phases phases;
    const auto start = Clock::now();
    const HANDLE loaded =
        LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    const auto loadedAt = Clock::now();
    if (loaded == nullptr) return 1;
    const HBITMAP opened = NormalizeTo32Bpp(static_cast<HBITMAP>(loaded));
    const auto normalizedAt = Clock::now();
    if (opened == nullptr) return 1;
    if (source != nullptr) DeleteObject(source);
    source = opened;
    const HBITMAP copy = CopyDib32(opened);
    const auto copiedAt = Clock::now();
    if (current != nullptr) DeleteObject(current);
    current = copy;
    const auto releasedAt = Clock::now();
    phases.load = Ms(start, loadedAt);
    phases.normalize = Ms(loadedAt, normalizedAt);
    phases.copy = Ms(normalizedAt, copiedAt);
    phases.release = Ms(copiedAt, releasedAt);
    opens.push_back(phases);
    Dib32Pixels pixels{};
    if (!ReadDib32Pixels(current, &pixels)) return 1;
    imageBytes = WordCount(pixels) * sizeof(DWORD);
  }
  std::printf("{\"image_bytes\": %zu, \"memcpy_ms\": %.2f, \"opens\": [", imageBytes,
              TouchedMemcpyMs(imageBytes));
  for (std::size_t i = 0; i < opens.size(); ++i) {
    const Phases& p = opens[i];
    std::printf("%s{\"load\": %.2f, \"normalize\": %.2f, \"copy\": %.2f, \"release\": %.2f, \"total\": %.2f}",
                i ? ", " : "", p.load, p.normalize, p.copy, p.release,
                p.load + p.normalize + p.copy + p.release);
  }
  std::printf("]}\n");
  DeleteObject(source);
  DeleteObject(current);
  return 0;
}
