// The live threshold as a drag pays for it: one trackbar notification with
// "Real time" checked (copy, threshold, ShowImage, release of the previous
// picture) and the picture area's repaint of its visible part, at
// 3840 x 2160, inside the real dialog's modal loop on Qt's offscreen
// platform. Reported as updates per second beside the usual memcpy ratio.
#include <benchmark/benchmark.h>

#include <QWidget>
#include <cstdlib>

#include "app/image_slots.h"
#include "app/main_dialog.h"
#include "app/resources/resource.h"
#include "bench/memcpy_reference.h"
#include "bench/synthetic_image.h"
#include "image/dib32.h"
#include "platform/ui/modal_loop_hook.h"
#include "platform/ui/window_table.h"

namespace varne::bench {

namespace {

HWND TheDialog = nullptr;

void BM_LiveThreshold(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const HWND dialog = TheDialog;
  DeleteObject(SourceImage);
  SourceImage = SyntheticDib32(w, h);
  // The command stops while nothing is shown.
  CurrentImage = CopyDib32(SourceImage);
  ShowImage(dialog, CurrentImage);
  SendDlgItemMessageA(dialog, IDC_REAL_TIME, BM_SETCHECK, BST_CHECKED, 0);
  const HWND trackbar = GetDlgItem(dialog, IDC_THRESHOLD);
  QWidget* picture = ui::WidgetOf(GetDlgItem(dialog, IDC_PICTURE));
  if (SourceImage == nullptr || trackbar == nullptr || picture == nullptr) {
    state.SkipWithError("the dialog or the picture could not be set up");
    return;
  }
  int position = 0;
  double seconds = 0;
  {
    MemcpyReference reference(state, ImageBytes(w, h));
    for (auto _ : state) {
      position = (position + 7) % 256;
      SendMessageA(trackbar, TBM_SETPOS, TRUE, position);
      reference.Time([&] {
        SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                     reinterpret_cast<LPARAM>(trackbar));
        picture->repaint();
      });
    }
    seconds = reference.OperationSeconds();
  }
  if (seconds > 0) state.counters["updates_per_s"] = static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK(BM_LiveThreshold)
    ->Args({3840, 2160})
    ->ArgNames({"w", "h"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace varne::bench

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  benchmark::Initialize(&argc, argv);
  varne::ui::SetModalLoopHook([](HWND dialog) {
    varne::bench::TheDialog = dialog;
    benchmark::RunSpecifiedBenchmarks();
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  });
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc,
                  0);
  benchmark::Shutdown();
  return 0;
}
