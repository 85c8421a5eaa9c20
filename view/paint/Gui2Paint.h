#pragma once

#include <QPainter>
#include <QPoint>
#include <cstdint>

#include "view/paint/GridPaintInput.h"

// Paints header, cells, digits, grid lines, the caption band and the pattern.
// first: draw in grid row 1; rows: grid rows below the header (on screen VisibleRows).
void PaintTo(QPainter& painter, const TGridPaintInput& grid, bool onScreen, int32_t first,
             int32_t rows, float scale, QPoint origin);
