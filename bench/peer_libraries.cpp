// varne_peer_libraries WIDTH HEIGHT [REPEATS]: times libvips and
// ImageMagick in-process, through their C libraries, on the benchmarks'
// synthetic picture (the pixels varne_write_bench_image writes), and prints
// one JSON object for bench/peers.py.
//
// Each figure is the best of REPEATS runs (default 3) of one operation as a
// caller who wants a new picture pays for it: the output's allocation, every
// pixel computed, and the output released. Each library runs once on one
// thread and once on its default number of threads. A memcpy of the
// picture's 32-bpp bytes into memory touched before follows every run, so
// peers.py can put the figures beside the run's own memory speed.
#include <glib.h>
#include <magick/MagickCore.h>
#include <sys/mman.h>
#include <vips/vips.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/synthetic_image.h"

namespace {

constexpr int kThreshold = 128;
constexpr double kLightGrey = 192;
constexpr double kDegrees = 45;

[[noreturn]] void Fail(const std::string& what, const char* detail) {
  std::fprintf(stderr, "varne_peer_libraries: %s: %s\n", what.c_str(), detail ? detail : "");
  std::exit(1);
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// Tells the compiler the bytes behind `p` are used, so a copy into them
// cannot be dropped.
void KeepWritten(void* p) { asm volatile("" : : "r"(p) : "memory"); }

// The reference the figures are read against: the picture's 32-bpp bytes
// copied into memory that was touched before.
class TouchedCopy {
 public:
  explicit TouchedCopy(std::size_t bytes) : from_(bytes, 0x5A), to_(bytes, 0) {}

  void Run() {
    const auto start = std::chrono::steady_clock::now();
    std::memcpy(to_.data(), from_.data(), from_.size());
    KeepWritten(to_.data());
    best_ = std::min(best_, MillisecondsSince(start));
  }

  double BestMs() const { return best_; }

  // The same copy into a new anonymous mapping: what a first touch of every
  // output page costs, as a library's freshly allocated output pays it.
  double FreshMs() {
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
      void* mapping =
          mmap(nullptr, from_.size(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (mapping == MAP_FAILED) Fail("memcpy reference", "no memory");
      const auto start = std::chrono::steady_clock::now();
      std::memcpy(mapping, from_.data(), from_.size());
      KeepWritten(mapping);
      best = std::min(best, MillisecondsSince(start));
      munmap(mapping, from_.size());
    }
    return best;
  }

 private:
  std::vector<unsigned char> from_;
  std::vector<unsigned char> to_;
  double best_ = 1e30;
};

struct Output {
  std::string format;  // channel order, e.g. "RGBA" or "grey"
  int bytesPerPixel = 0;
  std::size_t bytes = 0;
};

struct Timing {
  std::string library;
  int threads = 0;
  bool singleThread = false;
  std::string operation;
  std::size_t inputBytes = 0;
  Output output;
  double ms = 0;
};

// Best of `repeats` runs; each run returns what it made.
double BestOf(int repeats, const std::function<Output()>& run, TouchedCopy& copy, Output* made) {
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    *made = run();
    best = std::min(best, MillisecondsSince(start));
    copy.Run();
  }
  return best;
}

// The picture as top-down RGBA bytes, opaque: SyntheticPixels holds
// 0x00RRGGBB words bottom row first.
std::vector<unsigned char> RgbaBytes(int width, int height) {
  const std::vector<std::uint32_t> words = varne::bench::SyntheticPixels(width, height);
  std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = words.data() + static_cast<std::size_t>(height - 1 - y) * width;
    unsigned char* out = rgba.data() + static_cast<std::size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x) {
      out[4 * x + 0] = static_cast<unsigned char>(row[x] >> 16);
      out[4 * x + 1] = static_cast<unsigned char>(row[x] >> 8);
      out[4 * x + 2] = static_cast<unsigned char>(row[x]);
      out[4 * x + 3] = 255;
    }
  }
  return rgba;
}

// ---- libvips ----

// libvips is lazy: an operation only describes its output. Writing it to
// a new memory buffer computes every pixel; the buffer is then freed, as
// the other peers' results are.
Output VipsToMemory(VipsImage* image, const char* format) {
  std::size_t size = 0;
  void* pixels = vips_image_write_to_memory(image, &size);
  const int bytesPerPixel = static_cast<int>(VIPS_IMAGE_SIZEOF_PEL(image));
  g_object_unref(image);
  if (pixels == nullptr) Fail("libvips", vips_error_buffer());
  g_free(pixels);
  return {format, bytesPerPixel, size};
}

VipsImage* VipsGrey(VipsImage* rgba) {
  VipsImage* rgb = nullptr;
  VipsImage* grey = nullptr;
  // The picture is opaque: convert its colour bands, so the result is one
  // band, not grey and alpha.
  if (vips_extract_band(rgba, &rgb, 0, "n", 3, nullptr) != 0 ||
      vips_colourspace(rgb, &grey, VIPS_INTERPRETATION_B_W, nullptr) != 0) {
    Fail("libvips grey", vips_error_buffer());
  }
  g_object_unref(rgb);
  return grey;
}

void TimeVips(VipsImage* picture, int threads, bool single, int repeats, TouchedCopy& copy,
              std::vector<Timing>* timings) {
  vips_concurrency_set(threads);
  const std::size_t inputBytes = VIPS_IMAGE_SIZEOF_IMAGE(picture);
  const std::vector<std::pair<const char*, std::function<Output()>>> operations = {
      {"copy",
       [&] {
         g_object_ref(picture);
         return VipsToMemory(picture, "RGBA");
       }},
      {"grayscale", [&] { return VipsToMemory(VipsGrey(picture), "grey"); }},
      {"invert",
       [&] {
         VipsImage* out = nullptr;
         if (vips_invert(picture, &out, nullptr) != 0) Fail("libvips invert", vips_error_buffer());
         return VipsToMemory(out, "RGBA");
       }},
      {"threshold",
       [&] {
         VipsImage* grey = VipsGrey(picture);
         VipsImage* out = nullptr;
         if (vips_relational_const1(grey, &out, VIPS_OPERATION_RELATIONAL_MORE, kThreshold,
                                    nullptr) != 0) {
           Fail("libvips threshold", vips_error_buffer());
         }
         g_object_unref(grey);
         return VipsToMemory(out, "grey");
       }},
      {"rotate45",
       [&] {
         const double fill[4] = {kLightGrey, kLightGrey, kLightGrey, 255};
         VipsArrayDouble* background = vips_array_double_new(fill, 4);
         VipsImage* out = nullptr;
         const int failed = vips_rotate(picture, &out, kDegrees, "interpolate",
                                        vips_interpolate_nearest_static(), "background",
                                        background, nullptr);
         vips_area_unref(VIPS_AREA(background));
         if (failed != 0) Fail("libvips rotate", vips_error_buffer());
         return VipsToMemory(out, "RGBA");
       }},
  };
  for (const auto& [name, run] : operations) {
    Timing timing{"libvips", threads, single, name, inputBytes, {}, 0};
    timing.ms = BestOf(repeats, run, copy, &timing.output);
    timings->push_back(timing);
  }
}

// ---- ImageMagick ----

// Its operations change an image in place, and a clone shares its pixels
// until written; so each run clones the picture and the operation's first
// write copies the pixels into the clone's own new memory, as a caller who
// keeps the original pays for it.
Output MagickResult(Image* image, const char* format, ExceptionInfo* exception) {
  if (image == nullptr) Fail("ImageMagick", exception->reason);
  // Figures taken from pixels kept in a file would not be the library's
  // in-memory speed.
  if (GetImagePixelCacheType(image) != MemoryCache) {
    Fail("ImageMagick", "the pixels are not in memory (resource limits)");
  }
  const Output output{format, static_cast<int>(sizeof(PixelPacket)),
                      image->columns * image->rows * sizeof(PixelPacket)};
  DestroyImage(image);
  return output;
}

Image* MagickClone(const Image* picture, ExceptionInfo* exception) {
  Image* clone = CloneImage(picture, 0, 0, MagickTrue, exception);
  if (clone == nullptr) Fail("ImageMagick clone", exception->reason);
  return clone;
}

Image* MagickGrey(const Image* picture, ExceptionInfo* exception) {
  Image* grey = MagickClone(picture, exception);
  if (TransformImageColorspace(grey, GRAYColorspace) == MagickFalse) {
    Fail("ImageMagick grey", grey->exception.reason);
  }
  return grey;
}

void TimeMagick(Image* picture, int threads, bool single, int repeats, TouchedCopy& copy,
                ExceptionInfo* exception, std::vector<Timing>* timings) {
  SetMagickResourceLimit(ThreadResource, static_cast<MagickSizeType>(threads));
  const std::size_t inputBytes = picture->columns * picture->rows * sizeof(PixelPacket);
  const char* colour = "16-bit RGBA";
  const char* grey = "grey in 16-bit RGBA";
  const std::vector<std::pair<const char*, std::function<Output()>>> operations = {
      {"copy",
       [&] {
         Image* clone = MagickClone(picture, exception);
         // Asks for writable pixels, which gives the clone a copy of its own.
         if (SetImageStorageClass(clone, DirectClass) == MagickFalse) {
           Fail("ImageMagick copy", clone->exception.reason);
         }
         return MagickResult(clone, colour, exception);
       }},
      {"grayscale", [&] { return MagickResult(MagickGrey(picture, exception), grey, exception); }},
      {"invert",
       [&] {
         Image* clone = MagickClone(picture, exception);
         if (NegateImage(clone, MagickFalse) == MagickFalse) {
           Fail("ImageMagick invert", clone->exception.reason);
         }
         return MagickResult(clone, colour, exception);
       }},
      {"threshold",
       [&] {
         Image* image = MagickGrey(picture, exception);
         if (BilevelImage(image, kThreshold * QuantumRange / 255.0) == MagickFalse) {
           Fail("ImageMagick threshold", image->exception.reason);
         }
         return MagickResult(image, grey, exception);
       }},
      {"rotate45",
       [&] {
         // Scale 1 and the angle; the output grows to hold the whole turn.
         const double arguments[1] = {kDegrees};
         return MagickResult(DistortImage(picture, ScaleRotateTranslateDistortion, 1, arguments,
                                          MagickTrue, exception),
                             colour, exception);
       }},
  };
  for (const auto& [name, run] : operations) {
    Timing timing{"ImageMagick", threads, single, name, inputBytes, {}, 0};
    timing.ms = BestOf(repeats, run, copy, &timing.output);
    timings->push_back(timing);
  }
}

Image* MagickPicture(const std::vector<unsigned char>& rgba, int width, int height,
                     ExceptionInfo* exception) {
  // The picture is opaque: no alpha channel, as a photograph is read.
  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
  for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
    std::memcpy(&rgb[3 * i], &rgba[4 * i], 3);
  }
  Image* picture = ConstituteImage(width, height, "RGB", CharPixel, rgb.data(), exception);
  if (picture == nullptr) Fail("ImageMagick picture", exception->reason);
  // Nearest pixel, light grey outside the picture: the rotation Varne does.
  picture->filter = PointFilter;
  picture->interpolate = NearestNeighborInterpolatePixel;
  const std::string grey = "rgb(" + std::to_string(static_cast<int>(kLightGrey)) + "," +
                           std::to_string(static_cast<int>(kLightGrey)) + "," +
                           std::to_string(static_cast<int>(kLightGrey)) + ")";
  QueryColorDatabase(grey.c_str(), &picture->background_color, exception);
  SetImageVirtualPixelMethod(picture, BackgroundVirtualPixelMethod);
  return picture;
}

void PrintJson(int width, int height, TouchedCopy& copy, const std::vector<Timing>& timings) {
  std::printf("{\"width\": %d, \"height\": %d, \"image_bytes\": %zu,\n", width, height,
              static_cast<std::size_t>(width) * height * 4);
  std::printf(" \"libvips\": \"%s\", \"imagemagick\": \"%s\",\n", vips_version_string(),
              MagickLibVersionText);
  std::printf(" \"memcpy_ms\": %.3f, \"fresh_memcpy_ms\": %.3f,\n \"timings\": [\n",
              copy.BestMs(), copy.FreshMs());
  for (std::size_t i = 0; i < timings.size(); ++i) {
    const Timing& t = timings[i];
    std::printf(
        "  {\"library\": \"%s\", \"threads\": %d, \"single_thread\": %s, \"operation\": \"%s\","
        " \"input_bytes\": %zu, \"format\": \"%s\", \"bytes_per_pixel\": %d,"
        " \"output_bytes\": %zu, \"ms\": %.3f}%s\n",
        t.library.c_str(), t.threads, t.singleThread ? "true" : "false", t.operation.c_str(),
        t.inputBytes, t.output.format.c_str(), t.output.bytesPerPixel, t.output.bytes, t.ms,
        i + 1 < timings.size() ? "," : "");
  }
  std::printf(" ]}\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s WIDTH HEIGHT [REPEATS]\n", argv[0]);
    return 2;
  }
  const int width = std::atoi(argv[1]);
  const int height = std::atoi(argv[2]);
  const int repeats = argc == 4 ? std::atoi(argv[3]) : 3;
  if (width < 1 || height < 1 || width > 20000 || height > 20000 || repeats < 1 || repeats > 100) {
    return 2;
  }

  // Debian's policy caps ImageMagick's pixel memory at 256 MiB and its
  // area at 128 MP, and SetMagickResourceLimit cannot raise a limit above
  // the policy's; past the cap the pixels go to a file. This policy, read
  // before the system's, lifts the caps for this process alone.
  setenv("MAGICK_CONFIGURE_PATH", VARNE_MAGICK_POLICY_DIR, 1);
  MagickCoreGenesis(argv[0], MagickFalse);
  if (VIPS_INIT(argv[0]) != 0) Fail("libvips", vips_error_buffer());
  // Every run must compute its result, not take it from the cache.
  vips_cache_set_max(0);

  const int vipsThreads = vips_concurrency_get();
  const int magickThreads = static_cast<int>(GetMagickResourceLimit(ThreadResource));

  const std::vector<unsigned char> rgba = RgbaBytes(width, height);
  TouchedCopy copy(rgba.size());
  std::vector<Timing> timings;

  {
    VipsImage* picture = vips_image_new_from_memory_copy(rgba.data(), rgba.size(), width,
                                                         height, 4, VIPS_FORMAT_UCHAR);
    if (picture == nullptr) Fail("libvips picture", vips_error_buffer());
    // Raw memory comes in as "multiband"; say what the bands are, so the
    // grey conversion knows its input.
    picture->Type = VIPS_INTERPRETATION_sRGB;
    TimeVips(picture, 1, true, repeats, copy, &timings);
    TimeVips(picture, vipsThreads, false, repeats, copy, &timings);
    g_object_unref(picture);
  }
  {
    ExceptionInfo* exception = AcquireExceptionInfo();
    Image* picture = MagickPicture(rgba, width, height, exception);
    TimeMagick(picture, 1, true, repeats, copy, exception, &timings);
    TimeMagick(picture, magickThreads, false, repeats, copy, exception, &timings);
    DestroyImage(picture);
    DestroyExceptionInfo(exception);
  }

  PrintJson(width, height, copy, timings);
  vips_shutdown();
  MagickCoreTerminus();
  return 0;
}
