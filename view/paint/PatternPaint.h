#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>

#include "view/PatternPlan.h"
#include "view/paint/GifWriter.h"
#include "view/paint/Gui2Paint.h"

// Pictures of a pattern: the grid's export frame painted in picture mode, and its GIF file.

// The font the grid inherits from the main window ("宋体", mapped to an installed CJK serif), for
// painting without a window.
QFont GridFont();

// Picture of the grid's current pattern: the export frame's rows with a margin of 40 pixels,
// the grid drawn at (18, 16) in picture mode.
QImage PaintPatternPicture(const TGridPaintInput& grid);

// Paints the picture and writes it as a GIF file (WriteGifFile: true when its colours were
// reduced; TPictureError when it could not be written).
bool SavePatternPicture(const TGridPaintInput& grid, const QString& path);
