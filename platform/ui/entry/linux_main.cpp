// main() as the platform's start-up code provides it: the program itself
// starts at WinMain. Before any window exists it makes sure there is a
// desktop to show one on, and says so plainly when there is not.
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ui/application.h"
#include "platform/ui/user.h"

namespace {

constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

const char* program = "varne";

void ExplainMissingDesktop() {
  std::fprintf(stderr,
               "%s: no desktop to open its window on.\n"
               "Varne is a desktop program: start it from a graphical session (X11 or Wayland),\n"
               "or give it a virtual display, for example:\n"
               "    xvfb-run -a %s\n",
               program, program);
}

bool HasDisplay() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// A display that is named but cannot be reached makes the toolkit give up
// with a fatal message of its own; turn that into the same plain answer.
QtMessageHandler toolkitHandler = nullptr;
void OnToolkitMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg && (message.contains(QLatin1String("platform plugin")) ||
                             message.contains(QLatin1String("connect to display")))) {
    ExplainMissingDesktop();
    std::_Exit(EXIT_FAILURE);
  }
  if (toolkitHandler != nullptr)
    toolkitHandler(type, context, message);
  else
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

std::string CommandLine(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 0 && argv[0] != nullptr) program = argv[0];
  if (!HasDisplay()) {
    ExplainMissingDesktop();
    return EXIT_FAILURE;
  }
  toolkitHandler = qInstallMessageHandler(OnToolkitMessage);
  varne::ui::SetApplicationArguments(argc, argv);
  std::string commandLine = CommandLine(argc, argv);
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), kShowNormal);
}
