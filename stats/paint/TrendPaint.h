#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QString>
#include <cstdint>

#include "data/DrawRegister.h"
#include "data/Hao.h"
#include "stats/ShapeStats.h"
#include "stats/TrendLayout.h"
#include "stats/TrendStats.h"
#include "view/paint/GifWriter.h"

class QPainter;

// Everything the trend chart paints from, so that it can be painted onto any QPainter (the
// window's chart, a picture, a test's QImage). Position 1-7 paints that position's chart, 0
// the sums of digits 1-4; Shape, when set, the chart of that shape metric.
struct TTrendPaintInput {
    const TCodes& Draws;
    const TTrendStats& Stats;
    // Of Position (or of Shape's categories) over Stats.Window; unused for the sums.
    const TOmissionTable& Omissions;
    int32_t Position = 1;
    int32_t IssueBase = 1;  // issue number of draw index 0, as the grid numbers it
    QFont Font;
    QPalette Palette;
    const TShapeMetricStats* Shape = nullptr;  // over Stats.Window
    // The 期号 of the draws: the issue column shows them where known; null: numbers from
    // IssueBase.
    const TDrawRegister* Register = nullptr;

    // What the issue column shows for a draw index.
    QString IssueText(int32_t drawIndex) const;

    TTrendLayout Layout() const {
        if (Shape) return TTrendLayout::Shape(Shape->Metric, Stats.Window.Length);
        return Position == 0 ? TTrendLayout::Sums() : TTrendLayout::Digits();
    }
};

// Colours a test can look for.
inline const QColor TrendBallColor(204, 0, 0);
inline const QColor TrendSumBallColor(0, 90, 200);
inline const QColor TrendShapeBallColor(130, 50, 160);

// The header row with its top at y = top.
void PaintTrendHeader(QPainter& painter, const TTrendPaintInput& input, int32_t top);
// Window rows [first, first + rows), row `first` with its top at y = top. The line joining the
// balls also runs to the rows just outside, so that it continues past the painted rows.
void PaintTrendRows(QPainter& painter, const TTrendPaintInput& input, int32_t first, int32_t rows,
                    int32_t top);
// The summary rows (or the frequency bars and mean of the sums) with their top at y = top.
void PaintTrendFooter(QPainter& painter, const TTrendPaintInput& input, int32_t top);

// The tool tip of window row `row`: for a shape chart the issue, the draw and the metric's
// category, with the roads of the draw for 012路; empty for the other charts.
QString TrendRowToolTip(const TTrendPaintInput& input, int32_t row);

// The width of the widest text of the summary rows under a position's or a shape's chart, in
// the font they are painted in; the cells are at least this wide, so that no two run together.
int32_t TrendFooterTextWidth(const TTrendPaintInput& input);

// A picture holds the whole window up to this many rows.
inline constexpr int32_t TrendPictureMaxRows = 500;
// The picture of window rows [first, first + rows) with header and footer, on the palette's
// base colour.
QImage PaintTrendPicture(const TTrendPaintInput& input, int32_t first, int32_t rows);
// Writes a picture as PNG or, for a name ending in ".gif", through the program's GIF writer;
// TPictureError when it could not be written.
void SaveTrendPicture(const QImage& picture, const QString& path);
