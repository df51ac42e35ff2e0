// Dialog units to pixels, the way the platform maps a DS_SETFONT dialog:
// through the base units of the dialog's font.
#pragma once

#include <QFont>
#include <QRect>

namespace varne::ui {

struct BaseUnits {
  int x = 0;  // average character width, pixels: 4 horizontal dialog units
  int y = 0;  // font height, pixels: 8 vertical dialog units
};

// The template names a face that is rarely installed ("MS Sans Serif"), so
// the dialog uses the desktop's default sans-serif at the template's size.
QFont DialogFont(int points);

// Width of the 52 Latin letters, averaged and rounded as the platform does,
// and the font's height.
BaseUnits BaseUnitsOf(const QFont& font);

// a * b / c rounded half away from zero, in 64 bits like the platform's MulDiv.
int MulDiv(int a, int b, int c);

QRect DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits units);

}  // namespace varne::ui
