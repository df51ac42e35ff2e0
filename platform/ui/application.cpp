#include "platform/ui/application.h"

#include <QApplication>
#include <QIcon>

namespace varne::ui {
namespace {

struct Arguments {
  int argc = 1;
  char* argv[2] = {const_cast<char*>("varne"), nullptr};
  char** pointer = argv;
};

Arguments& Recorded() {
  static Arguments arguments;
  return arguments;
}

}  // namespace

void SetApplicationArguments(int argc, char** argv) {
  if (argc < 1 || argv == nullptr) return;
  Recorded().argc = argc;
  Recorded().pointer = argv;
}

void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  // QApplication keeps references to argc and argv for its whole life.
  static QApplication* application = new QApplication(Recorded().argc, Recorded().pointer);
  // The installed desktop entry's name: with it the desktop shows Varne's
  // icon and name for the window (X11's _GTK_APPLICATION_ID, Wayland's app id).
  application->setDesktopFileName(QStringLiteral(VARNE_APP_ID));
  application->setApplicationVersion(QStringLiteral(VARNE_VERSION));
  // Title bars that draw an icon find the installed one; a build tree has
  // none, and the toolkit's default stays.
  application->setWindowIcon(QIcon::fromTheme(QStringLiteral(VARNE_APP_ID)));
}

}  // namespace varne::ui
