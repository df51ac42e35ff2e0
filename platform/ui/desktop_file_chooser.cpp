// The default chooser: the desktop's open-file dialog, set up from the
// caller's OPENFILENAMEA.
#include <QFileDialog>
#include <QStringList>
#include <cstring>

#include "platform/ui/open_file_chooser.h"
#include "platform/ui/window_table.h"

namespace varne::ui {
namespace {

// lpstrFilter is pairs of NUL-terminated strings (description, patterns
// separated by ';') ending with an empty string; Qt wants "Label (*.a *.b)".
QStringList NameFilters(LPCSTR filter) {
  QStringList filters;
  while (filter != nullptr && *filter != '\0') {
    const QString description = QString::fromUtf8(filter);
    filter += std::strlen(filter) + 1;
    if (*filter == '\0') break;
    const QString patterns = QString::fromUtf8(filter).split(';', Qt::SkipEmptyParts).join(' ');
    filter += std::strlen(filter) + 1;
    const QString suffix = QStringLiteral("(%1)").arg(patterns);
    filters << (description.endsWith(suffix) ? description : description + ' ' + suffix);
  }
  return filters;
}

std::optional<std::string> ShowDesktopDialog(const OPENFILENAMEA& record) {
  const QString title =
      record.lpstrTitle ? QString::fromUtf8(record.lpstrTitle) : QStringLiteral("Open");
  QFileDialog dialog(WidgetOf(record.hwndOwner), title);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode((record.Flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
  const QStringList filters = NameFilters(record.lpstrFilter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = static_cast<int>(record.nFilterIndex) - 1;
    if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
  }
  if (record.lpstrInitialDir != nullptr) dialog.setDirectory(QString::fromUtf8(record.lpstrInitialDir));
  if (record.lpstrDefExt != nullptr) dialog.setDefaultSuffix(QString::fromUtf8(record.lpstrDefExt));
  // The caller's buffer is the initial name; cleared, it starts empty.
  if (record.lpstrFile != nullptr && record.lpstrFile[0] != '\0')
    dialog.selectFile(QString::fromUtf8(record.lpstrFile));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toUtf8().toStdString();
}

}  // namespace

OpenFileChooser DesktopOpenFileChooser() { return ShowDesktopDialog; }

}  // namespace varne::ui
