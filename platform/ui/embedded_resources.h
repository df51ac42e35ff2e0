// The resource script and its identifier header, as the build embedded them.
#pragma once

namespace varne::ui {

extern const char kResourceScript[];
extern const char kResourceHeader[];

}  // namespace varne::ui
