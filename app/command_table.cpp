#include "app/command_table.h"

#include "app/commands.h"
#include "app/resources/resource.h"

namespace {

struct CommandEntry {
  int id;
  CommandProcedure run;
};

// IDOK and IDCANCEL are deliberately absent: Enter and Escape do nothing.
constexpr CommandEntry kCommands[] = {
    {IDC_OPEN_BMP, OpenBmpCommand},     {IDC_GRAYSCALE, GrayScaleCommand},
    {IDC_EMBOSS, EmbossCommand},        {IDC_INVERT, InvertCommand},
    {IDC_WATERMARK, WatermarkCommand},  {IDC_APPLY_SKIN, ApplySkinCommand},
    {IDC_EDGES, EdgesCommand},          {IDC_ROTATE_45, Rotate45Command},
};

}  // namespace

CommandProcedure FindCommand(int id) {
  for (const CommandEntry& entry : kCommands)
    if (entry.id == id) return entry.run;
  return nullptr;
}
