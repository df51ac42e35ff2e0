// varne_memory_bench CASE PICTURE24 PICTURE8 [COUNT]: one case in this
// process, inside the real dialog on Qt's offscreen platform, commands sent
// as the buttons send them and files "chosen" by a scripted open dialog.
// Prints one JSON line. Resident memory comes from /proc/self/status; the
// peak (VmHWM) is reset before the measured step by writing 5 to
// /proc/self/clear_refs. bench/memory_table.py runs each case in a fresh
// process and prints the table.
//
// Cases:
//   open24, open8   "Open Bmp" of the 24-bit or 8-bit picture
//   reopen24        the same again, after an open of it and the idle step:
//                   the images it replaces are still there while it runs
//   grayscale, invert, threshold (a live drag: 16 notifications with "Real
//   time" ticked, then the release), edges, emboss, rotate45, watermark,
//   skin (the 24-bit picture as the mark and the texture)
//                   after an Open Bmp of the 24-bit picture and the idle
//                   step, the command twice in a row
//   <command>-at-once  the same without the idle step, as a command clicked
//                   right after the open meets it
//   session         Open Bmp, every command once, then ten seconds of the
//                   dialog's own event loop: its idle timer runs for real
//   open-times      COUNT Open Bmp commands in a row, each one's ms
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/image_slots.h"
#include "app/main_dialog.h"
#include "app/resources/resource.h"
#include "platform/raster/surface_memory_pool.h"
#include "platform/ui/modal_loop_hook.h"
#include "platform/ui/open_file_chooser.h"

namespace {

struct Arguments {
  std::string kind;
  std::string picture24;
  std::string picture8;
  int count = 6;
};
Arguments Args;

double Mib(long kib) { return static_cast<double>(kib) / 1024.0; }

long StatusKib(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string name;
  long value = 0;
  std::string unit;
  while (status >> name) {
    if (name == field) {
      status >> value;
      return value;
    }
    std::getline(status, unit);
  }
  return -1;
}

void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

void Press(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Choose(const std::string& path) {
  varne::ui::SetOpenFileChooser([path](const OPENFILENAMEA&) { return std::optional<std::string>(path); });
}

void Open(HWND dialog, const std::string& path) {
  Choose(path);
  Press(dialog, IDC_OPEN_BMP);
}

void Drag(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_REAL_TIME, BM_SETCHECK, BST_CHECKED, 0);
  const HWND trackbar = GetDlgItem(dialog, IDC_THRESHOLD);
  for (int i = 1; i <= 16; ++i) {
    SendMessageA(trackbar, TBM_SETPOS, TRUE, i * 15);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, i * 15), reinterpret_cast<LPARAM>(trackbar));
  }
  SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(trackbar));
}

const std::map<std::string, std::function<void(HWND)>>& Commands() {
  static const std::map<std::string, std::function<void(HWND)>> commands = {
      {"grayscale", [](HWND d) { Press(d, IDC_GRAYSCALE); }},
      {"invert", [](HWND d) { Press(d, IDC_INVERT); }},
      {"threshold", Drag},
      {"edges", [](HWND d) { Press(d, IDC_EDGES); }},
      {"emboss", [](HWND d) { Press(d, IDC_EMBOSS); }},
      {"rotate45", [](HWND d) { Press(d, IDC_ROTATE_45); }},
      {"watermark", [](HWND d) { Choose(Args.picture24); Press(d, IDC_WATERMARK); }},
      {"skin", [](HWND d) { Choose(Args.picture24); Press(d, IDC_APPLY_SKIN); }},
  };
  return commands;
}

double ImageMib() {
  BITMAP record{};
  if (GetObjectA(SourceImage, sizeof record, &record) != sizeof record) return 0;
  return static_cast<double>(record.bmWidthBytes) * record.bmHeight / (1 << 20);
}

void WaitInEventLoop(int milliseconds) {
  QEventLoop wait;
  QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
  wait.exec();
}

void Report(const char* kind, long baseKib, long peakKib, long afterKib, double seconds) {
  const double image = ImageMib();
  const double above = Mib(peakKib - baseKib) - 2 * image;
  std::printf(
      "{\"case\": \"%s\", \"image_mib\": %.1f, \"base_mib\": %.1f, \"peak_above_kept_mib\": %.1f, "
      "\"peak_above_kept_images\": %.2f, \"rss_after_mib\": %.1f, \"rss_after_above_base_mib\": %.1f, "
      "\"seconds\": %.3f}\n",
      kind, image, Mib(baseKib), above, image > 0 ? above / image : 0.0, Mib(afterKib),
      Mib(afterKib - baseKib), seconds);
}

double Seconds(const std::function<void()>& step) {
  const auto start = std::chrono::steady_clock::now();
  step();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int RunCase(HWND dialog) {
  const long base = StatusKib("VmRSS:");
  if (Args.kind == "open24" || Args.kind == "open8") {
    ResetPeak();
    const double s = Seconds([&] { Open(dialog, Args.kind == "open24" ? Args.picture24 : Args.picture8); });
    const long peak = StatusKib("VmHWM:");
    varne::raster::GiveBackIdleMemory();
    Report(Args.kind.c_str(), base, peak, StatusKib("VmRSS:"), s);
    return SourceImage != nullptr ? 0 : 1;
  }
  if (Args.kind == "reopen24") {
    Open(dialog, Args.picture24);
    varne::raster::GiveBackIdleMemory();
    ResetPeak();
    const double s = Seconds([&] { Open(dialog, Args.picture24); });
    const long peak = StatusKib("VmHWM:");
    varne::raster::GiveBackIdleMemory();
    Report(Args.kind.c_str(), base, peak, StatusKib("VmRSS:"), s);
    return SourceImage != nullptr ? 0 : 1;
  }
  if (Args.kind == "open-times") {
    std::printf("{\"case\": \"open-times\", \"ms\": [");
    for (int i = 0; i < Args.count; ++i) {
      const double s = Seconds([&] { Open(dialog, Args.picture24); });
      std::printf("%s%.1f", i ? ", " : "", s * 1e3);
    }
    std::printf("]}\n");
    return SourceImage != nullptr ? 0 : 1;
  }
  Open(dialog, Args.picture24);
  if (SourceImage == nullptr) return 1;
  if (Args.kind == "session") {
    double s = 0;
    ResetPeak();
    for (const auto& [name, command] : Commands()) s += Seconds([&] { command(dialog); });
    const long peak = StatusKib("VmHWM:");
    WaitInEventLoop(10000);
    Report("session", base, peak, StatusKib("VmRSS:"), s);
    return 0;
  }
  std::string name = Args.kind;
  const std::string atOnce = "-at-once";
  const bool idleFirst = !name.ends_with(atOnce);
  if (!idleFirst) name.resize(name.size() - atOnce.size());
  const auto command = Commands().find(name);
  if (command == Commands().end()) return 2;
  if (idleFirst) varne::raster::GiveBackIdleMemory();
  ResetPeak();
  // The first run after the idle step pays for fresh memory; the second
  // finds the first one's blocks in the pool.
  const double first = Seconds([&] { command->second(dialog); });
  const double again = Seconds([&] { command->second(dialog); });
  const long peak = StatusKib("VmHWM:");
  varne::raster::GiveBackIdleMemory();
  Report(Args.kind.c_str(), base, peak, StatusKib("VmRSS:"), first + again);
  std::printf("{\"case\": \"%s\", \"first_ms\": %.1f, \"again_ms\": %.1f}\n", Args.kind.c_str(),
              first * 1e3, again * 1e3);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s CASE PICTURE24 PICTURE8 [COUNT]\n", argv[0]);
    return 2;
  }
  Args = {argv[1], argv[2], argv[3], argc > 4 ? std::atoi(argv[4]) : 6};
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int status = 0;
  varne::ui::SetModalLoopHook([&](HWND dialog) {
    status = RunCase(dialog);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  });
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0);
  std::fflush(stdout);
  return status;
}
