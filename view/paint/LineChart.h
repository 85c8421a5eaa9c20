#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QString>
#include <vector>

class QBrush;
class QPainter;
class QPen;

// What every line chart paints alike (the backtest, the 缩水 strategy check, the ticket ledger):
// a white area with the plot inside its margins, light value lines with their labels left of
// the plot, the frame, the names of the first and last row under it, the legend above it and
// each series as one path. Each chart keeps its own scales, series and marks.

struct TChartMargins {
    int Left = 44;
    int Top = 26;
    int Right = 12;
    int Bottom = 24;
};

// Fills the area white and gives the plot inside the margins, or an empty rectangle when the
// plot would be narrower or lower than the least (then the chart paints nothing more).
QRect BeginLineChart(QPainter& painter, const QRect& area, const TChartMargins& margins,
                     int leastWidth = 20, int leastHeight = 20);
// A light line across the plot at y, its label right-aligned 6 pixels left of the plot.
void PaintValueLine(QPainter& painter, const QRect& plot, double y, const QString& label);
// The plot's black frame, not filled.
void PaintChartFrame(QPainter& painter, const QRect& plot);
// The names of the first and last row under the plot's ends.
void PaintRowEnds(QPainter& painter, const QRect& plot, const QString& first, const QString& last);
// A legend entry at (x, y): a short line in the pen, then the text. Returns where the text
// ends.
int PaintLegendLine(QPainter& painter, int x, int y, const QPen& pen, const QString& text,
                    int length = 24);
// A legend entry with a dot of the pen and brush for a chart's marks.
int PaintLegendDot(QPainter& painter, int x, int y, const QPen& pen, const QBrush& brush,
                   const QString& text);
// The points joined in order.
QPainterPath LinePath(const std::vector<QPointF>& points);
