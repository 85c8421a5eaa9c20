#include "stats/paint/BacktestChartPaint.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "view/paint/LineChart.h"

namespace {

const QColor HitColor(220, 80, 60);
const QColor ChanceColor(60, 110, 200);
constexpr TChartMargins Margins{44, 26, 12, 24};

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
    std::vector<QPointF> at;
    at.reserve(points.size());
    for (const TBacktestPoint& p : points) at.emplace_back(scale.X(p.Row), scale.Y(p.*value));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(LinePath(at));
}

}  // namespace

void PaintBacktestChart(QPainter& painter, const QRect& area,
                        const std::vector<TBacktestPoint>& points, int32_t firstRow,
                        int32_t lastRow, const QString& firstLabel, const QString& lastLabel) {
    painter.save();
    const QRect plot = BeginLineChart(painter, area, Margins);
    if (plot.isEmpty()) {
        painter.restore();
        return;
    }
    const double top = AxisTop(points);
    const TChartScale scale(plot, firstRow, lastRow, top);

    // Grid and value axis in steps of a tenth.
    for (int tenth = 0; tenth <= static_cast<int>(std::lround(top * 10)); ++tenth)
        PaintValueLine(painter, plot, scale.Y(tenth / 10.0),
                       QString::number(tenth * 10) + QLatin1Char('%'));
    PaintChartFrame(painter, plot);
    PaintRowEnds(painter, plot, firstLabel.isEmpty() ? QString::number(firstRow) : firstLabel,
                 lastLabel.isEmpty() ? QString::number(lastRow) : lastLabel);

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

    const int legendY = area.top() + Margins.Top / 2;
    PaintLegendLine(painter, plot.left(), legendY, hitPen, QStringLiteral("命中率"));
    PaintLegendLine(painter, plot.left() + 110, legendY, chancePen, QStringLiteral("随机水平"));
    PaintLegendLine(painter, plot.left() + 230, legendY, hitMeanPen, QStringLiteral("命中率均值"));
    PaintLegendLine(painter, plot.left() + 370, legendY, chanceMeanPen,
                    QStringLiteral("随机水平均值"));
    painter.restore();
}
