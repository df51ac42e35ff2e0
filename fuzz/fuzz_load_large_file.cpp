// LoadImageA on a real file well past its 64 KiB head: the stored rows,
// the reads split into calls (small in the fuzz build), files at and past
// the loader's size cap, and a file whose size changes between two read
// calls, as another program may change it at any moment. The section must
// hold exactly what the same reads give over the same bytes in memory: a
// model of the file that shares no code with OpenedFile.
//
// The input is the file; its last four bytes also say how it is laid out
// and changed (a BMP decoder ignores trailing bytes, so seeds stay whole):
//   c0 bits 0-2  the file when opened: as it is (0-2), the input repeated
//                to 200 000 bytes (3) or to 1 MiB (4), or a hole up to just
//                under, at, or past the cap, the input again at its end
//                (5-7)
//   c0 bits 3-4  the change: none, cut to a fraction, grown, or cut and
//                grown back to its size (the cut part reads as zeros)
//   c1, c2       the change follows read call 1 + c1 + 256 * (c2 % 4)
//   c3           the fraction (c3 / 256) or the growth (c3 + 1 calls)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <variant>
#include <vector>

#include "fuzz/fuzz_report.h"
#include "fuzz/memory_file.h"
#include "platform/bmp/bmp_decoder.h"
#include "platform/bmp/load_limits.h"
#include "platform/bmp/opened_file.h"
#include "platform/raster/live_objects.h"
#include "platform/win32.h"

namespace {

using varne::bmp::kHeadBytes;
using varne::bmp::kMaxLoadedFileBytes;
using varne::bmp::kReadCallBytes;
using varne::fuzz::Check;

// Pictures larger than this are loaded but not compared: the model would
// need a second copy, and filling memory finds nothing.
constexpr std::size_t kModelBytes = std::size_t{64} << 20;

enum class Change { kNone, kCut, kGrow, kCutAndRefill };

struct Plan {
  std::size_t openedSize = 0;  // the file's size when LoadImageA opens it
  bool tiled = false;          // past the input, the input again and again
  std::size_t tailAt = 0;      // 0, or where a second copy of the input lies
  Change change = Change::kNone;
  std::size_t afterCall = 0;  // the change follows this read call (from 1)
  std::size_t newSize = 0;
};

Plan PlanOf(std::span<const std::uint8_t> input) {
  Plan plan;
  plan.openedSize = input.size();
  if (input.size() < 4) return plan;
  const std::uint8_t* c = input.data() + input.size() - 4;
  switch (c[0] & 7) {
    case 3: plan.openedSize = std::max<std::size_t>(input.size(), 200000); break;
    case 4: plan.openedSize = std::max<std::size_t>(input.size(), std::size_t{1} << 20); break;
    case 5: plan.openedSize = kMaxLoadedFileBytes - 1; break;
    case 6: plan.openedSize = kMaxLoadedFileBytes; break;
    case 7: plan.openedSize = kMaxLoadedFileBytes + kReadCallBytes; break;
    default: break;
  }
  plan.tiled = (c[0] & 7) == 3 || (c[0] & 7) == 4;
  if ((c[0] & 7) >= 5) plan.tailAt = plan.openedSize - input.size();
  plan.change = static_cast<Change>((c[0] >> 3) & 3);
  plan.afterCall = 1 + c[1] + 256 * std::size_t{c[2] % 4u};
  if (plan.change == Change::kGrow) {
    plan.newSize = plan.openedSize + (std::size_t{c[3]} + 1) * kReadCallBytes;
  } else {
    plan.newSize = static_cast<std::size_t>(static_cast<unsigned __int128>(plan.openedSize) * c[3] / 256);
  }
  return plan;
}

// What the file holds at any moment: the input's bytes where the plan puts
// them, zeros elsewhere, nothing from `end` on; a cut also zeroes what lay
// past the cut, should the file grow back.
struct Contents {
  std::span<const std::uint8_t> input;
  const Plan* plan;
  std::size_t end;
  std::size_t dataEnd;

  std::uint8_t At(std::size_t offset) const {
    if (offset >= dataEnd) return 0;
    if (offset < input.size()) return input[offset];
    if (plan->tailAt != 0 && offset >= plan->tailAt) return input[offset - plan->tailAt];
    return plan->tiled ? input[offset % input.size()] : 0;
  }

  void Apply() {
    switch (plan->change) {
      case Change::kNone: break;
      case Change::kCut: end = std::min(end, plan->newSize); dataEnd = std::min(dataEnd, end); break;
      case Change::kGrow: end = std::max(end, plan->newSize); break;
      case Change::kCutAndRefill: dataEnd = std::min(dataEnd, plan->newSize); break;
    }
  }
};

// The real file, and the change made between read calls.
struct FileUnderLoad {
  varne::fuzz::MemoryFile file;
  const Plan* plan = nullptr;
  std::size_t calls = 0;
};

FileUnderLoad& Current() {
  static FileUnderLoad current;
  return current;
}

void ChangeFile(std::size_t /*offset*/, std::size_t /*got*/) {
  FileUnderLoad& current = Current();
  if (current.plan == nullptr || ++current.calls != current.plan->afterCall) return;
  const Plan& plan = *current.plan;
  switch (plan.change) {
    case Change::kNone: break;
    case Change::kCut:
      if (plan.newSize < plan.openedSize) current.file.Resize(plan.newSize);
      break;
    case Change::kGrow: current.file.Resize(plan.newSize); break;
    case Change::kCutAndRefill:
      current.file.Resize(std::min(plan.newSize, plan.openedSize));
      current.file.Resize(plan.openedSize);
      break;
  }
}

void LayOut(FileUnderLoad& current, std::span<const std::uint8_t> input, const Plan& plan) {
  current.file.Write(input.data(), input.size());
  if (plan.openedSize == input.size()) return;
  if (plan.tiled) {
    for (std::size_t at = input.size(); at < plan.openedSize; at += input.size()) {
      current.file.WriteAt(at, input.data(), std::min(input.size(), plan.openedSize - at));
    }
    return;
  }
  // A hole: tmpfs holds no pages for it, so a file past 1 GiB costs nothing.
  current.file.Resize(plan.openedSize);
  current.file.WriteAt(plan.tailAt, input.data(), input.size());
}

// OpenedFile's reads, over Contents instead of a descriptor: capped at the
// size when opened, split into calls of at most kReadCallBytes, ended by an
// empty call, the change made after the planned call.
class ModelFile final : public varne::bmp::ByteSource {
 public:
  explicit ModelFile(Contents contents)
      : contents_(contents), size_(std::min(contents.end, kMaxLoadedFileBytes)) {}

  std::size_t size() const { return size_; }

  std::size_t ReadAt(std::size_t offset, std::span<std::uint8_t> out) override {
    if (offset >= size_) return 0;
    const std::size_t wanted = std::min(out.size(), size_ - offset);
    std::size_t filled = 0;
    while (filled < wanted) {
      const std::size_t at = offset + filled;
      const std::size_t call = std::min(wanted - filled, kReadCallBytes);
      const std::size_t got = at < contents_.end ? std::min(call, contents_.end - at) : 0;
      for (std::size_t i = 0; i < got; ++i) out[filled + i] = contents_.At(at + i);
      if (++calls_ == contents_.plan->afterCall) contents_.Apply();
      if (got == 0) break;
      filled += got;
    }
    return filled;
  }

 private:
  Contents contents_;
  std::size_t size_;
  std::size_t calls_ = 0;
};

// LoadImageA's steps over the model: the head, judged against the size
// unless it came back short, then the pixels into zeroed rows.
void CompareWithModel(HBITMAP loaded, std::span<const std::uint8_t> input, const Plan& plan) {
  ModelFile file(Contents{input, &plan, plan.openedSize, plan.openedSize});
  std::vector<std::uint8_t> head(std::min(file.size(), kHeadBytes));
  head.resize(file.ReadAt(0, head));
  const std::size_t fileSize = head.size() < kHeadBytes ? head.size() : file.size();
  const auto parsed = varne::bmp::ParseBmpLayout(head, fileSize);
  const auto* layout = std::get_if<varne::bmp::BmpLayout>(&parsed);
  Check((loaded != nullptr) == (layout != nullptr), "the loader accepts what the model accepts");
  if (loaded == nullptr) return;
  DIBSECTION section{};
  Check(GetObjectA(loaded, sizeof section, &section) == sizeof section, "a loaded file is a section");
  Check(section.dsBm.bmWidth == layout->width && section.dsBm.bmHeight == layout->height &&
            section.dsBm.bmBitsPixel == layout->bitCount,
        "the section has the file's size and depth");
  if (layout->imageBytes > kModelBytes) return;
  std::vector<std::uint8_t> rows(layout->imageBytes, 0);
  varne::bmp::DecodeBmpPixels(*layout, file, rows);
  Check(std::memcmp(section.dsBm.bmBits, rows.data(), rows.size()) == 0,
        "the section holds what the reads gave");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> input(data, size);
  const Plan plan = PlanOf(input);
  FileUnderLoad& current = Current();
  LayOut(current, input, plan);
  const varne::raster::LiveObjects before = varne::raster::CountLiveObjects();
  current.plan = &plan;
  current.calls = 0;
  varne::bmp::ObserveReadCalls(ChangeFile);
  const auto loaded = static_cast<HBITMAP>(LoadImageA(nullptr, current.file.Path(), IMAGE_BITMAP, 0,
                                                      0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  varne::bmp::ObserveReadCalls(nullptr);
  current.plan = nullptr;
  CompareWithModel(loaded, input, plan);
  if (loaded != nullptr) Check(DeleteObject(loaded) == TRUE, "a loaded section can be released");
  Check(varne::raster::CountLiveObjects() == before, "the run released everything it made");
  return 0;
}
