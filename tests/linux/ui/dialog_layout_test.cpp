// The dialog's layout against the resource script itself: the script is
// read from disk here with a pattern of its own, and dialog units are
// turned into pixels with the font's base units computed here.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "app/resources/resource.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/embedded_resources.h"
#include "tests/linux/ui/dialog_driver.h"
#include "tests/linux/ui/recording_procedure.h"

namespace varne::test {
namespace {

struct ScriptControl {
  std::string text, idName, className;
  int x, y, cx, cy;
};

std::string ResourceFile(const std::string& name) {
  const std::filesystem::path resources =
      std::filesystem::path(__FILE__).parent_path() / "../../../app/resources";
  std::ifstream in(resources / name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<ScriptControl> ScriptControls(const std::string& script) {
  static const std::regex control(
      R"re(CONTROL\s+"([^"]*)"\s*,\s*(\w+)\s*,\s*"([^"]*)"\s*,[^,]*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+))re");
  std::vector<ScriptControl> controls;
  for (auto it = std::sregex_iterator(script.begin(), script.end(), control);
       it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    controls.push_back({m[1], m[2], m[3], std::stoi(m[4]), std::stoi(m[5]), std::stoi(m[6]),
                        std::stoi(m[7])});
  }
  return controls;
}

std::map<std::string, int> HeaderIds(const std::string& header) {
  static const std::regex define(R"re(#define\s+(\w+)\s+(\d+))re");
  std::map<std::string, int> ids;
  for (auto it = std::sregex_iterator(header.begin(), header.end(), define);
       it != std::sregex_iterator(); ++it)
    ids[(*it)[1]] = std::stoi((*it)[2]);
  return ids;
}

TEST(DialogTemplateTest, TheEmbeddedScriptIsTheFileTheWindowsBuildCompiles) {
  EXPECT_EQ(std::string(ui::kResourceScript), ResourceFile("varne.rc"));
  EXPECT_EQ(std::string(ui::kResourceHeader), ResourceFile("resource.h"));
}

TEST(DialogTemplateTest, ParsedTemplateHoldsEveryControlOfTheScriptInOrder) {
  const std::vector<ScriptControl> expected = ScriptControls(ResourceFile("varne.rc"));
  const std::map<std::string, int> ids = HeaderIds(ResourceFile("resource.h"));
  const ui::DialogTemplate* dialog = ui::FindDialogTemplate(IDD_MAIN);
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(expected.size(), 12u);
  ASSERT_EQ(dialog->controls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const ui::ControlTemplate& got = dialog->controls[i];
    SCOPED_TRACE(expected[i].idName);
    EXPECT_EQ(got.text, expected[i].text);
    EXPECT_EQ(got.id, ids.at(expected[i].idName));
    EXPECT_EQ(got.className, expected[i].className);
    EXPECT_EQ(QRect(got.x, got.y, got.cx, got.cy),
              QRect(expected[i].x, expected[i].y, expected[i].cx, expected[i].cy));
    EXPECT_EQ(got.style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
  }
  EXPECT_EQ(dialog->caption, "Varne");
  EXPECT_EQ(dialog->fontPoints, 8);
  EXPECT_EQ(dialog->style, static_cast<DWORD>(WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_SETFONT));
  EXPECT_EQ(dialog->controls[0].style & 0x1F, static_cast<DWORD>(SS_BITMAP));
  EXPECT_TRUE(dialog->controls[0].style & SS_SUNKEN);
}

TEST(DialogTemplateTest, ScriptsOutsideTheSupportedScopeGiveNoTemplate) {
  const char* header = "#define IDD_X 7\n#define IDC_A 70\n";
  const auto parse = [&](const char* script) { return ui::ParseDialogTemplate(script, header, 7); };
  const char* good =
      "// comment\n#include <windows.h>\nIDD_X DIALOGEX 1, 2, 30, 0x28\n"
      "STYLE WS_CAPTION | WS_SYSMENU | NOT WS_SYSMENU\nCAPTION \"Say \"\"hi\"\"\"\n"
      "FONT 9, \"Face\"\nBEGIN\n /* block */ CONTROL \"t\", IDC_A, \"Button\", 3L, 1, 2, 3, 4, 0\nEND\n";
  const std::optional<ui::DialogTemplate> dialog = parse(good);
  ASSERT_TRUE(dialog.has_value());
  EXPECT_EQ(dialog->caption, "Say \"hi\"");
  EXPECT_EQ(dialog->style, static_cast<DWORD>(WS_CAPTION));
  EXPECT_EQ(dialog->cy, 40);
  EXPECT_EQ(dialog->fontPoints, 9);
  ASSERT_EQ(dialog->controls.size(), 1u);
  EXPECT_EQ(dialog->controls[0].id, 70);
  EXPECT_EQ(dialog->controls[0].style, 3u);

  EXPECT_FALSE(ui::ParseDialogTemplate(good, header, 8)) << "no dialog 8";
  EXPECT_FALSE(parse("IDD_X DIALOGEX 1, 2, 3, 4\nBEGIN\nLTEXT \"a\", 1, 1, 1, 1, 1\nEND\n"));
  EXPECT_FALSE(parse("IDD_X DIALOGEX 1, 2, 3, 4\nBEGIN\nCONTROL \"a\", IDC_B, \"Static\", 0, 1, 1, 1, 1\nEND\n"));
  EXPECT_FALSE(parse("IDD_X DIALOGEX 1, 2, 3, 4\nBEGIN\nCONTROL \"a\", IDC_A, \"Static\", 0, 1, 1\nEND\n"));
  EXPECT_FALSE(parse("IDD_X DIALOGEX 1, 2, 3, 4\nBEGIN\nCONTROL \"a\", IDC_A, \"Static\", 0, 1, 1, 1, 1\n"));
  EXPECT_FALSE(parse("IDD_X DIALOGEX 1, 2, 3\n"));
}

// The platform's rounding, written independently of the layer.
int Scaled(int units, int base, int per) { return static_cast<int>(std::lround(units * base / double(per))); }

TEST(DialogLayoutTest, ControlsSitWhereTheTemplatePutsThemThroughTheFontsBaseUnits) {
  const std::vector<ScriptControl> script = ScriptControls(ResourceFile("varne.rc"));
  const std::map<std::string, int> ids = HeaderIds(ResourceFile("resource.h"));
  RunDialog(IDD_MAIN, RecordingProcedure, [&](DialogDriver& driver) {
    QWidget& window = driver.Window();
    const QFontMetrics metrics(window.font());
    EXPECT_EQ(window.font().pointSize(), 8);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseX = static_cast<int>(std::lround(letters / 52.0));
    const int baseY = metrics.height();

    EXPECT_EQ(window.windowTitle(), "Varne");
    EXPECT_EQ(window.size(), QSize(Scaled(442, baseX, 4), Scaled(328, baseY, 8)));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "not resizable";
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

    for (const ScriptControl& control : script) {
      SCOPED_TRACE(control.idName);
      const QRect expected(Scaled(control.x, baseX, 4), Scaled(control.y, baseY, 8),
                           Scaled(control.cx, baseX, 4), Scaled(control.cy, baseY, 8));
      const QWidget& widget = driver.Widget(ids.at(control.idName));
      if (ids.at(control.idName) == IDC_THRESHOLD_VALUE)
        EXPECT_EQ(widget.size(), expected.size()) << "the buddy is moved, never resized";
      else
        EXPECT_EQ(widget.geometry(), expected);
      EXPECT_TRUE(widget.isVisible());
    }
    driver.CloseBox();
  });
}

}  // namespace
}  // namespace varne::test
