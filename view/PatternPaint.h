#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>

#include "view/GifWriter.h"
#include "view/Gui2Paint.h"
#include "view/PatternPlan.h"

// The pattern part of the grid painting (markers, links, predicted digits, step notes), the
// caption of pictures, and pictures of a pattern. DrawPattern itself is declared with PaintTo.

// The caption written on pictures: top left above the header, bottom right below the band.
// band: grid row of the caption band's first row.
void DrawPictureCaption(QPainter& painter, const TGridPaintInput& grid, int32_t band, float scale,
                        QPoint origin);

// The font the grid inherits from the main window ("宋体", mapped to an installed CJK serif), for
// painting without a window.
QFont GridFont();

// Picture of the grid's current pattern: the export frame's rows with a margin of 40 pixels,
// the grid drawn at (18, 16) in picture mode.
QImage PaintPatternPicture(const TGridPaintInput& grid);

// Paints the picture and writes it as a GIF file.
TGifResult SavePatternPicture(const TGridPaintInput& grid, const QString& path);
