// The one Qt application object of the process, made on first need.
#pragma once

namespace varne::ui {

// The command line the toolkit sees; main() records it before WinMain runs.
void SetApplicationArguments(int argc, char** argv);

// Creates the application object the first time; it lives until the process
// ends (ExitProcess does not unwind), so it is never destroyed.
void EnsureApplication();

}  // namespace varne::ui
