#include "view/paint/Gui2Paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "view/PatternPlan.h"
#include "view/paint/PatternOverlay.h"

namespace {

const QColor GridLineColor(170, 170, 170);
const QColor DigitColor(102, 0, 51);
const QColor TailDigitColor(153, 153, 153);
const QColor CaptionColor(153, 51, 0);

void FillIfNotEmpty(QPainter& painter, const QRect& r, const QColor& color) {
    if (!r.isEmpty()) painter.fillRect(r, color);
}

void DrawLine(QPainter& painter, QPoint from, QPoint to, const QColor& color, int32_t width) {
    QPen pen(color);
    pen.setWidth(width);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(from, to);
}

}  // namespace

void PaintTo(QPainter& painter, const TGridPaintInput& grid, bool onScreen, int32_t first,
             int32_t rows, float scale, QPoint origin) {
    const TGridGeometry& g = grid.Geometry;
    const int32_t n = grid.Draws.Count();
    const int32_t w = g.LineWidth;
    const int32_t pitch = g.CellHeight + w;
    const int32_t lc = g.ColCount;
    const QColor black(0, 0, 0);
    auto cell = [&](int32_t row, int32_t column) {
        return ScaleRect(g.RectOfCell(row, column), scale, origin);
    };

    // 1. Background of the whole area being painted: the content background (white in a light
    // theme), against which the header cells stand out.
    const QRect clip = painter.hasClipping()
                           ? painter.clipBoundingRect().toAlignedRect()
                           : QRect(0, 0, painter.device()->width(), painter.device()->height());
    painter.fillRect(clip, grid.Palette.color(QPalette::Base));

    // 2. Header.
    if (clip.height() > g.CellHeight) {
        for (int32_t c = 0; c < lc; ++c) {
            const QRect r = cell(0, c);
            DrawHeaderCell(painter, grid.Palette, r);
            DrawCellText(painter, grid, QString::fromStdString(g.HeaderTexts[c]), r, false, black,
                         0);
        }
    }
    if (rows <= 0) return;

    // 4. Vertical grid lines.
    const int32_t yEnd = onScreen ? g.DataRect.Bottom + w : pitch * rows + 2 * w;
    for (int32_t j = 0; j <= lc; ++j) {
        const int32_t x = g.ColLeft(j) - w;
        DrawLine(painter, ScalePoint(x, g.RowTop(0) - w, scale, origin),
                 ScalePoint(x, yEnd, scale, origin), GridLineColor, w);
    }

    // 5. Cell backgrounds of the draws and the append row.
    for (int32_t t = 0; t <= rows + 2; ++t) {
        if (first + t > n) break;
        for (int32_t c = 0; c < lc; ++c) {
            const QRect r = cell(t + 1, c);
            if (c == 0) {
                FillIfNotEmpty(painter, r, ToQColor(CellColors[0]));
            } else if (c == 1) {
                FillIfNotEmpty(painter, r, ToQColor(CellColors[1]));
            } else {
                const bool tail = c >= 6 && lc == 10;
                FillIfNotEmpty(painter, r, ToQColor(CellColors[tail ? 3 : 2]));
            }
            if (c == lc - 1) FillIfNotEmpty(painter, r, ToQColor(CellColors[4]));
        }
    }

    // 6. Issue numbers, sums and digits.
    for (int32_t t = 0; t <= rows + 1; ++t) {
        const int32_t index = first + t;
        if (index == n) {  // the coming draw: its 期号 when the last one's is known
            const QRect r = cell(t + 1, 0);
            const QString next = IssueCellText(grid, index, r, SizeFor(g, 9));
            if (!next.isEmpty() && !r.isEmpty())
                DrawCellText(painter, grid, next, r, true, black, SizeFor(g, 9));
        }
        if (index >= n) break;
        if (index < 0) continue;
        const DrawRecord record = grid.Draws.GetCode(index);
        for (int32_t c = 0; c <= lc - 2; ++c) {
            const QRect r = cell(t + 1, c);
            if (c == 0) {
                DrawCellText(painter, grid, IssueCellText(grid, index, r, SizeFor(g, 9)), r, true,
                             black, SizeFor(g, 9));
            } else if (c == 1) {
                DrawCellText(painter, grid, QString::number(record[0]), r, true, black,
                             SizeFor(g, 10));
            } else if (!r.isEmpty()) {
                DrawCellText(painter, grid, QString::number(record[c - 1]), r, true,
                             c < 6 ? DigitColor : TailDigitColor, SizeFor(g, 16));
            }
        }
    }

    // 7. Horizontal grid lines; a double line above every draw whose index is a multiple of 4.
    const int32_t lineRight = g.ColLeft(lc - 1) + g.FColWidthArr[lc - 1] + w;
    for (int32_t t = 0; t <= rows + 3; ++t) {
        const int32_t y = g.RowTop(t) - w;
        const bool thick = t > 1 && (t + first) % 4 == 1;
        DrawLine(painter, ScalePoint(g.ColLeft(0), y, scale, origin),
                 ScalePoint(lineRight, y, scale, origin), GridLineColor, thick ? 2 * w : w);
    }

    // 8. Caption band: the two rows after the append row (on screen) or the last two rows.
    const int32_t band = onScreen ? n + 2 - first : rows - 2;
    FillIfNotEmpty(
        painter,
        ScaleRect(UnionOf(g.RectOfCell(band, 0), g.RectOfCell(band + 1, 0)), scale, origin),
        ToQColor(CellColors[5]));
    FillIfNotEmpty(
        painter,
        ScaleRect(UnionOf(g.RectOfCell(band, 1), g.RectOfCell(band + 1, lc - 1)), scale, origin),
        ToQColor(CellColors[6]));

    // 9. Pictures carry a caption above the header and below the band.
    if (!onScreen) DrawPictureCaption(painter, grid, band, scale, origin);

    // 10. The pattern, never over the header.
    QRect patternClip = clip;
    patternClip.setTop(ScaleCoord(g.HeaderRect.Bottom + 2, scale) + origin.y());
    const bool hadClipping = painter.hasClipping();
    const QRegion oldClip = painter.clipRegion();
    painter.setClipRect(patternClip);
    DrawPattern(painter, grid, first, scale, origin);
    if (hadClipping)
        painter.setClipRegion(oldClip);
    else
        painter.setClipping(false);

    // 11. Caption lines of the band.
    const TGui2Reg& pattern = grid.Pattern;
    if (pattern.StepTotal > 0) {
        QFont font = grid.Font;
        font.setBold(true);
        font.setPixelSize(PointsToPixels(SizeFor(g, 10)));
        painter.setFont(font);
        painter.setPen(CaptionColor);
        const QFontMetrics metrics(font);
        auto textAt = [&](const TGridRect& r, int32_t dx, int32_t dy, const QString& text) {
            const QPoint p = ScalePoint(r.Left + dx, r.Top + dy, scale, origin);
            painter.drawText(QPoint(p.x(), p.y() + metrics.ascent()), text);
        };
        const TGridRect issueCell = g.RectOfCell(band, 0);
        const TGridRect valueCell = g.RectOfCell(band, 1);
        textAt(issueCell, 16, 4, QStringLiteral("点"));
        textAt(issueCell, 16, g.CellHeight + w, QStringLiteral("评"));
        textAt(valueCell, 12, 4,
               QStringLiteral("规律走势：") + QString::fromStdString(pattern.PredictionText()));
        textAt(valueCell, 12, g.CellHeight + w, QString::fromStdString(FeaturesText(pattern)));
    }
}
