// Paths a Linux desktop can hand the loader that are not plain files:
// pipes, devices, sockets, links that lead nowhere or in circles, files
// whose size says nothing about their contents. Each gives none, at once,
// without opening what is not a file, reading without end or handing on
// bytes the file did not hold.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/bmp/test_seam.h"
#include "platform/win32.h"
#include "tests/linux/hardening/scratch_files.h"
#include "tests/support/address_sanitizer.h"
#include "tests/support/live_objects.h"
#include "tests/support/platform_quirks.h"

namespace varne::test {
namespace {

using bmp::ReadFileBytes;

HBITMAP Load(const std::string& path) {
  return static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// How many times `path` was opened while `action` ran, or -1 if the
// kernel cannot tell.
int OpensDuring(const std::string& path, const std::function<void()>& action) {
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch < 0) return -1;
  if (::inotify_add_watch(watch, path.c_str(), IN_OPEN) < 0) {
    ::close(watch);
    return -1;
  }
  action();
  int opens = 0;
  alignas(inotify_event) char events[4096];
  ssize_t got = 0;
  while ((got = ::read(watch, events, sizeof events)) > 0) {
    for (char* at = events; at < events + got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(at);
      opens += (event->mask & IN_OPEN) != 0;
      at += sizeof(inotify_event) + event->len;
    }
  }
  ::close(watch);
  return opens;
}

// Reading `path`, and loading it, both give none without `watched` (the
// thing the path leads to) being opened.
void ExpectRefusedUnopened(const std::string& path, const std::string& watched) {
  bool read = true;
  EXPECT_EQ(OpensDuring(watched, [&] { read = ReadFileBytes(path.c_str(), 1000).has_value(); }), 0)
      << "read";
  EXPECT_FALSE(read);
  HBITMAP loaded = nullptr;
  EXPECT_EQ(OpensDuring(watched, [&] { loaded = Load(path); }), 0) << "loaded";
  EXPECT_EQ(loaded, nullptr);
}

// A socket file bound in `folder`, kept open for the test's length.
class BoundSocket {
 public:
  explicit BoundSocket(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~BoundSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  BoundSocket(const BoundSocket&) = delete;
  BoundSocket& operator=(const BoundSocket&) = delete;
  bool bound() const { return bound_; }

 private:
  int fd_;
  bool bound_ = false;
};

using UnusualPaths = LeakCheckedTest;

TEST_F(UnusualPaths, WhatIsNotARegularFileIsNotEvenOpened) {
  const ScratchFolder folder;
  const std::string plain = folder / "plain.bmp";
  WriteFile(plain, SolidBmp24(2, 2, 0x00FF0000));
  // The watch itself must see an open, or the zero counts below prove nothing.
  bool read = false;
  const int plainOpens = OpensDuring(plain, [&] { read = ReadFileBytes(plain.c_str(), 1000).has_value(); });
  EXPECT_TRUE(read);
  if (plainOpens < 0) GTEST_SKIP() << "no inotify here to see opens";
  ASSERT_EQ(plainOpens, 1);

  // A writer blocked in open() on this FIFO would be let go by a reader's
  // open, then see the reader vanish.
  const std::string fifo = folder / "pipe.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string toFifo = folder / "link-to-pipe.bmp";
  ASSERT_EQ(::symlink(fifo.c_str(), toFifo.c_str()), 0);
  for (const std::string& path : {fifo, toFifo}) {
    SCOPED_TRACE(path);
    ExpectRefusedUnopened(path, fifo);
  }

  // A device node of our own, so no other process's opens are counted.
  const std::string device = folder / "zero.bmp";
  if (::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 5)) != 0) {
    GTEST_SKIP() << "making a device node needs privileges this run lacks";
  }
  ExpectRefusedUnopened(device, device);
}

TEST_F(UnusualPaths, PipesDevicesSocketsAndBrokenLinksGiveNoneAtOnce) {
  const ScratchFolder folder;
  const std::string fifo = folder / "pipe.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string socketPath = folder / "socket.bmp";
  const BoundSocket socket(socketPath);
  ASSERT_TRUE(socket.bound());
  const std::string dangling = folder / "dangling.bmp";
  ASSERT_EQ(::symlink((folder / "never-there.bmp").c_str(), dangling.c_str()), 0);
  const std::string loopA = folder / "loop-a.bmp", loopB = folder / "loop-b.bmp";
  ASSERT_EQ(::symlink(loopB.c_str(), loopA.c_str()), 0);
  ASSERT_EQ(::symlink(loopA.c_str(), loopB.c_str()), 0);
  const std::string toZero = folder / "zero-link.bmp";
  ASSERT_EQ(::symlink("/dev/zero", toZero.c_str()), 0);
  const std::string toFolder = folder / "folder-link.bmp";
  ASSERT_EQ(::symlink(folder.path().c_str(), toFolder.c_str()), 0);
  const std::string plain = folder / "plain.bmp";
  WriteFile(plain, SolidBmp24(3, 3, 0x00123456));
  const std::string empty = folder / "empty.bmp";
  WriteFile(empty, {});

  // Should anything block or read without end, the process ends here
  // instead of the suite stalling until its time limit.
  ::alarm(60);
  for (const std::string& path :
       {fifo, socketPath, dangling, loopA, toZero, toFolder, empty, plain + "/", plain + "/x.bmp",
        std::string("/dev/zero"), std::string("/dev/urandom"), std::string("/dev/null"),
        std::string("/dev/stdin"), std::string("/dev/tty"), std::string("/proc/self/status"),
        std::string("/proc/self/mem"), std::string("/proc/self/exe"), std::string("/proc/self/fd/0"),
        std::string("")}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Load(path), nullptr);
    EXPECT_TRUE(LiveAsAtSetUp());
  }
  ::alarm(0);
  const HBITMAP loaded = Load(plain);
  EXPECT_NE(loaded, nullptr) << "the same folder still serves a real bitmap";
  DeleteObject(loaded);
}

// Files under /sys report a whole page whatever they hold; /proc files
// report nothing. The reader hands on exactly what the file gave.
TEST_F(UnusualPaths, ASizeThatSaysMoreThanTheFileHoldsGivesOnlyWhatItHolds) {
  const char* const path = "/sys/kernel/mm/transparent_hugepage/enabled";
  struct stat status {};
  if (::stat(path, &status) != 0) GTEST_SKIP() << "no " << path << " here";
  std::ifstream stream(path, std::ios::binary);
  const std::vector<std::uint8_t> held{std::istreambuf_iterator<char>(stream),
                                       std::istreambuf_iterator<char>()};
  ASSERT_FALSE(held.empty());
  ASSERT_LT(held.size(), static_cast<std::size_t>(status.st_size))
      << "this file no longer overstates its size; the test needs another";
  const auto read = ReadFileBytes(path, 1 << 20);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, held) << "no zeros past what the file held";

  const auto procRead = ReadFileBytes("/proc/self/status", 1 << 20);
  ASSERT_TRUE(procRead.has_value());
  EXPECT_TRUE(procRead->empty()) << "a /proc file is read for the size it reports";
}

bool CapAddressSpace(rlim_t bytes) {
  const rlimit capped{bytes, bytes};
  return ::setrlimit(RLIMIT_AS, &capped) == 0;
}

// A child process with its address space capped, so that the file's
// contents cannot be given memory. Its exit code says what it saw.
template <typename Check>
void InChildWithAddressSpace(std::int64_t headroom, Check check) {
  std::ifstream statm("/proc/self/statm");
  std::int64_t pages = 0;
  statm >> pages;
  const auto limit = static_cast<rlim_t>(pages * ::sysconf(_SC_PAGESIZE) + headroom);
  EXPECT_EXIT(std::_Exit(!CapAddressSpace(limit) ? 2 : check() ? 0 : 1),
              ::testing::ExitedWithCode(0), "");
}

TEST_F(UnusualPaths, AFileTooLargeForTheMemoryLeftGivesNoneInsteadOfEndingTheProcess) {
  if (kAddressSanitizer) {
    GTEST_SKIP() << "AddressSanitizer ends the process itself when an allocation fails";
  }
  if (RunningUnderUserModeEmulation()) {
    GTEST_SKIP() << "under user-mode emulation the address-space cap limits the emulator, "
                    "which reserves the guest's memory up front; the amd64 run covers it";
  }
  const ScratchFolder folder;
  const std::string small = folder / "small.bmp";
  WriteFile(small, {1, 2, 3});
  // 768 MiB that take no disk: a hole.
  const std::string large = folder / "large.bmp";
  WriteFile(large, {});
  ASSERT_EQ(::truncate(large.c_str(), std::int64_t{768} << 20), 0);
  InChildWithAddressSpace(std::int64_t{256} << 20, [&] {
    const auto smallRead = ReadFileBytes(small.c_str(), 1000);
    const bool smallOk = smallRead && *smallRead == std::vector<std::uint8_t>{1, 2, 3};
    return smallOk && !ReadFileBytes(large.c_str(), std::size_t{1} << 30);
  });

  // A short file whose header declares a picture at the cap: its bytes
  // fit, the section it asks for does not.
  const std::string atCap = folder / "at-cap.bmp";
  std::vector<std::uint8_t> file = SolidBmp24(1, 1, 0);
  const std::uint32_t side = 16384, bits = 32;
  std::memcpy(&file[18], &side, 4);
  std::memcpy(&file[22], &side, 4);
  std::memcpy(&file[28], &bits, 2);
  WriteFile(atCap, file);
  const HBITMAP unpressed = Load(atCap);
  ASSERT_NE(unpressed, nullptr) << "without the limit the short file loads";
  DeleteObject(unpressed);
  InChildWithAddressSpace(std::int64_t{256} << 20, [&] {
    // The child never reaches TearDown: the count is checked here.
    return Load(atCap) == nullptr && LiveGdiObjects() == LiveAtSetUp();
  });
}

}  // namespace
}  // namespace varne::test
