#pragma once

#include <QFont>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>

#include "data/DrawRegister.h"
#include "data/Hao.h"
#include "search/Gui2Reg.h"
#include "view/GridGeometry.h"
#include "view/PixelUnits.h"
#include "view/paint/PaintBasics.h"

class QPainter;

// Everything the painting reads from the grid control, so that the grid can be painted onto
// any QPainter (the control on screen, a QImage for pictures and tests).
struct TGridPaintInput {
    const TGridGeometry& Geometry;
    const TCodes& Draws;
    const TGui2Reg& Pattern;
    int32_t IssueBase = 1;
    int32_t BoxColorMode = 0;
    int32_t LinkLineStyle = 0;
    int32_t DrawBoxStyle = 0;
    QFont Font;  // the control's font; painting changes only size and boldness
    QPalette Palette;
    // The draws of the search that found the pattern, for its verdict rings; null: Draws.
    const TCodes* SearchDraws = nullptr;
    // The 期号 of the draws (the 期 column shows them when known); null: row numbers.
    const TDrawRegister* Register = nullptr;
};

// The text of the 期 column for a draw index (the coming draw at Draws.Count()): its 期号, or
// the last five characters of it when the column is too narrow, else the row number.
QString IssueCellText(const TGridPaintInput& grid, int32_t index, const QRect& cell,
                      int32_t sizePoints);

// A grid coordinate scaled, halves to even.
int32_t ScaleCoord(int32_t v, float scale);

// Mapping of grid coordinates onto the canvas: scaled (halves to even), then moved by origin.
QPoint ScalePoint(int32_t x, int32_t y, float scale, QPoint origin);
QRect ScaleRect(const TGridRect& rect, float scale, QPoint origin);
QRect ToQRect(const TGridRect& rect);

void DrawHeaderCell(QPainter& painter, const QPalette& palette, const QRect& rect);
// Centred text; bold text uses sizePoints, plain text always Ceil(11m).
void DrawCellText(QPainter& painter, const TGridPaintInput& grid, const QString& text,
                  const QRect& rect, bool bold, const QColor& color, int32_t sizePoints);
