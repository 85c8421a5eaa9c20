#pragma once

#include <QColor>
#include <QFont>

#include "view/Color.h"

// What every painter of the program shares: its colour type in Qt's form and its fonts.

inline QColor ToQColor(TArgb color) {
    return QColor::fromRgba(color);
}

// The program's text face "宋体" (mapped once to an installed CJK serif), sized in pixels so
// that output does not depend on the screen's dpi. Windows, dialogs and the grid use 14 px.
QFont SongFont(int pixelSize = 14, bool bold = false);
