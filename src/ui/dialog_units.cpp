#include "dialog_units.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>

namespace {

// (a * b + c / 2) / c for the non-negative values used here.
int MulDiv(int a, int b, int c) {
    return (a * b + c / 2) / c;
}

} // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    // The template's font sets its Latin letters in half-width cells of its
    // ideographs, so its average character width is half an ideograph; a
    // proportional stand-in would widen the whole dialog by its wider Latin.
    const int ideograph = metrics.horizontalAdvance(QChar(0x5B57));
    const int averageWidth = (ideograph + 1) / 2;
    // Its character cell was exactly one em high, where a CJK stand-in's line
    // spacing is about 1.45 em: the em height keeps the template's proportions.
    const int height = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    return {averageWidth, height};
}

int MapDialogX(int x, DialogBaseUnits units) {
    return MulDiv(x, units.x, 4);
}
int MapDialogY(int y, DialogBaseUnits units) {
    return MulDiv(y, units.y, 8);
}

QRect MapDialogRect(const QRect& dlu, DialogBaseUnits units) {
    const int left = MapDialogX(dlu.x(), units);
    const int top = MapDialogY(dlu.y(), units);
    const int right = MapDialogX(dlu.x() + dlu.width(), units);
    const int bottom = MapDialogY(dlu.y() + dlu.height(), units);
    return QRect(left, top, right - left, bottom - top);
}

QFont DialogFont(int pointSize) {
    QFont font(QStringLiteral("Noto Serif CJK SC"));
    font.setStyleHint(QFont::Serif);
    // Points at 96 pixels per inch, as the template's layout assumes.
    font.setPixelSize(pointSize * 96 / 72);
    return font;
}
