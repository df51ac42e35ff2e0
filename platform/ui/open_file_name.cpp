// GetOpenFileNameA: checks the record, asks the chooser, and fills the
// caller's buffer as the platform does.
#include <cstring>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/open_file_chooser.h"
#include "platform/ui/user.h"

namespace {

varne::ui::OpenFileChooser& Installed() {
  static varne::ui::OpenFileChooser chooser;
  return chooser;
}

bool KnownRecordSize(DWORD size) {
  return size == OPENFILENAME_SIZE_VERSION_400A || size == sizeof(OPENFILENAMEA);
}

void FillNameOffsets(OPENFILENAMEA& record, const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.find_last_of('.');
  record.nFileOffset = static_cast<WORD>(nameStart);
  // Without an extension the offset points at the terminating NUL.
  record.nFileExtension = static_cast<WORD>(
      dot == std::string::npos || dot < nameStart ? path.size() : dot + 1);
  if (record.lpstrFileTitle != nullptr && record.nMaxFileTitle > 0) {
    const std::string name = path.substr(nameStart);
    if (name.size() < record.nMaxFileTitle)
      std::memcpy(record.lpstrFileTitle, name.c_str(), name.size() + 1);
  }
}

}  // namespace

namespace varne::ui {

OpenFileChooser SetOpenFileChooser(OpenFileChooser chooser) {
  OpenFileChooser previous = std::move(Installed());
  Installed() = std::move(chooser);
  return previous;
}

}  // namespace varne::ui

BOOL GetOpenFileNameA(LPOPENFILENAMEA record) {
  if (record == nullptr || !KnownRecordSize(record->lStructSize) || record->lpstrFile == nullptr ||
      record->nMaxFile == 0)
    return FALSE;
  const varne::ui::OpenFileChooser& installed = Installed();
  std::optional<std::string> path;
  if (installed) {
    path = installed(*record);
  } else {
    varne::ui::EnsureApplication();
    path = varne::ui::DesktopOpenFileChooser()(*record);
  }
  // A path that does not fit is refused whole: a cut one would name a
  // different file.
  if (!path || path->empty() || path->size() > record->nMaxFile - 1) return FALSE;
  std::memcpy(record->lpstrFile, path->c_str(), path->size() + 1);
  FillNameOffsets(*record, *path);
  return TRUE;
}
