#include "stats/paint/BacktestChartPaint.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

const QColor HitColor(220, 80, 60);
const QColor ChanceColor(60, 110, 200);
constexpr int LeftMargin = 44;
constexpr int RightMargin = 12;
constexpr int TopMargin = 26;
constexpr int BottomMargin = 24;

// Maps rows and rates onto the plot rectangle.
class TChartScale {
  public:
    TChartScale(const QRect& plot, int32_t firstRow, int32_t lastRow, double top)
        : plot_(plot), firstRow_(firstRow), span_(std::max(1, lastRow - firstRow)), top_(top) {}
    double X(int32_t row) const {
        return plot_.left() + plot_.width() * static_cast<double>(row - firstRow_) / span_;
    }
    double Y(double rate) const { return plot_.bottom() - plot_.height() * rate / top_; }

  private:
    QRect plot_;
    int32_t firstRow_;
    int32_t span_;
    double top_;
};

// The value axis' top: the largest rate rounded up to a tenth, at least 0.3.
double AxisTop(const std::vector<TBacktestPoint>& points) {
    double top = 0.3;
    for (const TBacktestPoint& p : points) top = std::max({top, p.Hit, p.Chance});
    return std::min(1.0, std::ceil(top * 10 - 1e-9) / 10);
}

void Series(QPainter& painter, const std::vector<TBacktestPoint>& points, const TChartScale& scale,
            double TBacktestPoint::*value, const QPen& pen) {
    QPainterPath path;
    for (size_t i = 0; i < points.size(); ++i) {
        const QPointF at(scale.X(points[i].Row), scale.Y(points[i].*value));
        if (i == 0)
            path.moveTo(at);
        else
            path.lineTo(at);
    }
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void LegendEntry(QPainter& painter, int x, int y, const QPen& pen, const QString& text) {
    painter.setPen(pen);
    painter.drawLine(x, y, x + 24, y);
    painter.setPen(Qt::black);
    painter.drawText(x + 28, y + 5, text);
}

}  // namespace

void PaintBacktestChart(QPainter& painter, const QRect& area,
                        const std::vector<TBacktestPoint>& points, int32_t firstRow,
                        int32_t lastRow, const QString& firstLabel, const QString& lastLabel) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(area, Qt::white);
    const QRect plot = area.adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin);
    if (plot.width() < 20 || plot.height() < 20) {
        painter.restore();
        return;
    }
    const double top = AxisTop(points);
    const TChartScale scale(plot, firstRow, lastRow, top);

    // Grid and value axis in steps of a tenth.
    painter.setPen(QColor(225, 225, 225));
    const QFontMetrics metrics(painter.font());
    for (int tenth = 0; tenth <= static_cast<int>(std::lround(top * 10)); ++tenth) {
        const double y = scale.Y(tenth / 10.0);
        painter.setPen(QColor(225, 225, 225));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        const QString label = QString::number(tenth * 10) + QLatin1Char('%');
        painter.drawText(QPointF(plot.left() - 6 - metrics.horizontalAdvance(label),
                                 y + metrics.ascent() / 2.0 - 1),
                         label);
    }
    painter.setPen(Qt::black);
    painter.drawRect(plot);
    painter.drawText(QPointF(plot.left(), plot.bottom() + metrics.ascent() + 4),
                     firstLabel.isEmpty() ? QString::number(firstRow) : firstLabel);
    const QString last = lastLabel.isEmpty() ? QString::number(lastRow) : lastLabel;
    painter.drawText(QPointF(plot.right() - metrics.horizontalAdvance(last),
                             plot.bottom() + metrics.ascent() + 4),
                     last);

    QPen hitPen(HitColor, 1);
    QPen chancePen(ChanceColor, 1);
    QPen hitMeanPen(HitColor.darker(130), 2.5);
    QPen chanceMeanPen(ChanceColor.darker(130), 2.5, Qt::DashLine);
    painter.setClipRect(plot.adjusted(-2, -2, 2, 2));
    Series(painter, points, scale, &TBacktestPoint::Chance, chancePen);
    Series(painter, points, scale, &TBacktestPoint::Hit, hitPen);
    Series(painter, points, scale, &TBacktestPoint::MeanChance, chanceMeanPen);
    Series(painter, points, scale, &TBacktestPoint::MeanHit, hitMeanPen);
    painter.setClipping(false);

    const int legendY = area.top() + TopMargin / 2;
    LegendEntry(painter, plot.left(), legendY, hitPen, QStringLiteral("命中率"));
    LegendEntry(painter, plot.left() + 110, legendY, chancePen, QStringLiteral("随机水平"));
    LegendEntry(painter, plot.left() + 230, legendY, hitMeanPen, QStringLiteral("命中率均值"));
    LegendEntry(painter, plot.left() + 370, legendY, chanceMeanPen, QStringLiteral("随机水平均值"));
    painter.restore();
}
