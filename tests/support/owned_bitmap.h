// A bitmap handle the test owns: released when it leaves the scope, so a
// failed assertion never leaks a platform object into the next test's count.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/win32.h"

namespace varne::test {

struct BitmapDeleter {
  void operator()(std::remove_pointer_t<HBITMAP>* bitmap) const { DeleteObject(bitmap); }
};
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

}  // namespace varne::test
