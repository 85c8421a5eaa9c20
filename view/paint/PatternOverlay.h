#pragma once

#include <QPoint>
#include <cstdint>

#include "view/paint/GridPaintInput.h"

class QPainter;

// What is drawn over the grid's cells: the pattern (markers, links, predicted digits, step
// notes) and, on pictures, the caption.

// The pattern overlay: markers, links and step notes, drawn inside the clip PaintTo sets.
void DrawPattern(QPainter& painter, const TGridPaintInput& grid, int32_t first, float scale,
                 QPoint origin);

// The caption written on pictures: top left above the header, bottom right below the band.
// band: grid row of the caption band's first row.
void DrawPictureCaption(QPainter& painter, const TGridPaintInput& grid, int32_t band, float scale,
                        QPoint origin);
