// Dialog units: a dialog template measures its controls in quarters of the
// font's average character width and eighths of its character height, so
// the layout scales with the dialog's font.
#pragma once

#include <QRect>

class QFont;

struct DialogBaseUnits {
    int x; // average character width in pixels
    int y; // character height in pixels
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// x * baseX / 4 and y * baseY / 8, rounded to the nearest pixel.
QRect MapDialogRect(const QRect& dlu, DialogBaseUnits units);
int MapDialogX(int x, DialogBaseUnits units);
int MapDialogY(int y, DialogBaseUnits units);

// The dialog font: a CJK serif font standing in for the template's.
QFont DialogFont(int pointSize);
