#include "view/paint/LineChart.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

const QColor GridColor(225, 225, 225);

}  // namespace

QRect BeginLineChart(QPainter& painter, const QRect& area, const TChartMargins& margins,
                     int leastWidth, int leastHeight) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(area, Qt::white);
    const QRect plot = area.adjusted(margins.Left, margins.Top, -margins.Right, -margins.Bottom);
    if (plot.width() < leastWidth || plot.height() < leastHeight) return {};
    return plot;
}

void PaintValueLine(QPainter& painter, const QRect& plot, double y, const QString& label) {
    const QFontMetrics metrics(painter.font());
    painter.setPen(GridColor);
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    painter.setPen(Qt::black);
    painter.drawText(
        QPointF(plot.left() - 6 - metrics.horizontalAdvance(label), y + metrics.ascent() / 2.0 - 1),
        label);
}

void PaintChartFrame(QPainter& painter, const QRect& plot) {
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
}

void PaintRowEnds(QPainter& painter, const QRect& plot, const QString& first, const QString& last) {
    const QFontMetrics metrics(painter.font());
    painter.setPen(Qt::black);
    const double y = plot.bottom() + metrics.ascent() + 4;
    painter.drawText(QPointF(plot.left(), y), first);
    painter.drawText(QPointF(plot.right() - metrics.horizontalAdvance(last), y), last);
}

int PaintLegendLine(QPainter& painter, int x, int y, const QPen& pen, const QString& text,
                    int length) {
    painter.setPen(pen);
    painter.drawLine(x, y, x + length, y);
    painter.setPen(Qt::black);
    painter.drawText(x + length + 4, y + 5, text);
    return x + length + 4 + QFontMetrics(painter.font()).horizontalAdvance(text);
}

int PaintLegendDot(QPainter& painter, int x, int y, const QPen& pen, const QBrush& brush,
                   const QString& text) {
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.drawEllipse(QPointF(x + 6, y), 4, 4);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    painter.drawText(x + 14, y + 5, text);
    return x + 14 + QFontMetrics(painter.font()).horizontalAdvance(text);
}

QPainterPath LinePath(const std::vector<QPointF>& points) {
    QPainterPath path;
    for (size_t i = 0; i < points.size(); ++i) {
        if (i == 0)
            path.moveTo(points[i]);
        else
            path.lineTo(points[i]);
    }
    return path;
}
