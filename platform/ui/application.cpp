#include "platform/ui/application.h"

#include <QApplication>

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
  (void)application;
}

}  // namespace varne::ui
