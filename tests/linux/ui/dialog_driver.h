// Drives a real dialog of the layer from inside its modal loop: controls
// found by identifier, real mouse and key events through Qt, and a
// scripted stand-in for the file chooser.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/static_control.h"
#include "platform/ui/trackbar_control.h"
#include "platform/win32.h"

namespace varne::test {

// What a test sees of the dialog while its modal loop runs.
class DialogDriver {
 public:
  explicit DialogDriver(HWND dialog);

  HWND dialog() const { return dialog_; }
  HWND Item(int id) const;
  QWidget& Widget(int id) const;
  QWidget& Window() const;
  ui::TrackbarControl& Trackbar(int id) const;
  ui::StaticControl& Static(int id) const;

  void Click(int id);                  // left click in the middle of a control
  void Key(int key);                   // to whichever widget has the focus
  void KeyTo(int id, int key);         // gives control `id` the focus first
  void DragThumb(int id, const std::vector<int>& xs);  // press, move through xs, release
  void ClickChannel(int id, int x);
  void CloseBox();                     // what the frame's close button does

 private:
  HWND dialog_;
};

// Not a value a real procedure ends with: marks a script that left the
// dialog running, which RunDialog ends and reports as a failure.
inline constexpr INT_PTR kLeftRunning = -77;

// Runs template `templateId` with `procedure` and calls `script` once its
// loop runs; returns what DialogBoxParamA returned.
INT_PTR RunDialog(int templateId, DLGPROC procedure,
                  const std::function<void(DialogDriver&)>& script);

// Replaces the file chooser for its lifetime: answers are given in order, a
// missing answer is a cancel; every call's record is kept for inspection.
class ScriptedChooser {
 public:
  struct Call {
    DWORD structSize;
    std::string title;
    std::vector<std::string> filter;  // the NUL-separated pairs, in order
    DWORD flags;
    DWORD filterIndex;
    DWORD maxFile;
    std::string defaultExtension;
    char firstFileByte;
  };

  ScriptedChooser();
  ~ScriptedChooser();
  ScriptedChooser(const ScriptedChooser&) = delete;
  ScriptedChooser& operator=(const ScriptedChooser&) = delete;

  void Answer(std::optional<std::string> path) { answers_.push_back(std::move(path)); }
  const std::vector<Call>& calls() const { return calls_; }

 private:
  std::vector<std::optional<std::string>> answers_;
  std::vector<Call> calls_;
};

// Text of a control as the platform's WM_GETTEXT gives it.
std::string ItemText(HWND dialog, int id);

}  // namespace varne::test
