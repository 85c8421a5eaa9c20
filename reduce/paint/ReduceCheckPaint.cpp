#include "reduce/paint/ReduceCheckPaint.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "tickets/TicketLedger.h"
#include "view/paint/LineChart.h"

namespace {

const QColor ShareColor(60, 110, 200);
const QColor KeptColor(220, 80, 60);
const QColor LiftColor(40, 140, 70);
constexpr TChartMargins Margins{52, 26, 12, 24};
constexpr int PanelGap = 18;

double X(const QRect& plot, int32_t row, int32_t firstRow, int32_t lastRow) {
    const int32_t span = std::max(1, lastRow - firstRow);
    return plot.left() + plot.width() * static_cast<double>(row - firstRow) / span;
}

double Y(const QRect& plot, double value, double top) {
    return plot.bottom() - plot.height() * std::clamp(value / top, 0.0, 1.0);
}

// A value label never in exponent form: shares as percentages ("0.00001%"), lifts as plain
// numbers ("0.5", "5,000,000"; a share of one in ten million kept once lifts to ten million).
QString ValueText(double value, bool percent) {
    if (percent) return QString::fromStdString(ProbabilityText(value));
    if (value >= 100) return QString::fromStdString(GroupedNumber(std::llround(value)));
    return QString::number(value, 'g', 3);
}

// The frame of one panel with its value labels at 0, top/2 and top.
void Frame(QPainter& painter, const QRect& plot, double top, bool percent) {
    for (int i = 0; i <= 2; ++i) {
        const double value = top * i / 2;
        PaintValueLine(painter, plot, Y(plot, value, top), ValueText(value, percent));
    }
    PaintChartFrame(painter, plot);
}

}  // namespace

void PaintReduceCheckChart(QPainter& painter, const QRect& area,
                           const std::vector<TReduceCheckPoint>& points, int32_t firstRow,
                           int32_t lastRow, const QString& firstLabel, const QString& lastLabel) {
    painter.save();
    const QRect inner = BeginLineChart(painter, area, Margins, 20, 60);
    if (inner.isEmpty()) {
        painter.restore();
        return;
    }
    const int upperHeight = (inner.height() - PanelGap) * 3 / 5;
    const QRect upper(inner.left(), inner.top(), inner.width(), upperHeight);
    const QRect lower(inner.left(), upper.bottom() + PanelGap, inner.width(),
                      inner.bottom() - upper.bottom() - PanelGap);

    double shareTop = 0.01;
    double liftTop = 2;
    for (const TReduceCheckPoint& p : points) {
        shareTop = std::max(shareTop, p.Share);
        if (p.RunningLift) liftTop = std::max(liftTop, *p.RunningLift);
    }
    shareTop = std::min(1.0, shareTop * 1.1);
    liftTop = std::ceil(liftTop);
    Frame(painter, upper, shareTop, true);
    Frame(painter, lower, liftTop, false);

    PaintRowEnds(painter, lower, firstLabel.isEmpty() ? QString::number(firstRow) : firstLabel,
                 lastLabel.isEmpty() ? QString::number(lastRow) : lastLabel);

    // q_t as a line, s_t as its marks.
    std::vector<QPointF> shares;
    std::vector<QPointF> lifts;
    for (const TReduceCheckPoint& p : points) {
        const double x = X(upper, p.Row, firstRow, lastRow);
        shares.emplace_back(x, Y(upper, p.Share, shareTop));
        if (p.RunningLift) lifts.emplace_back(x, Y(lower, *p.RunningLift, liftTop));
    }
    painter.setClipRect(inner.adjusted(-4, -4, 4, 4));
    painter.setPen(QPen(ShareColor, 1.5));
    painter.drawPath(LinePath(shares));
    const double radius =
        std::clamp(upper.width() / (2.5 * std::max<size_t>(1, points.size())), 1.5, 4.0);
    for (const TReduceCheckPoint& p : points) {
        const QPointF at(X(upper, p.Row, firstRow, lastRow), Y(upper, p.Share, shareTop));
        painter.setPen(QPen(p.DrawKept ? KeptColor : QColor(150, 150, 150), 1.2));
        painter.setBrush(p.DrawKept ? QBrush(KeptColor) : QBrush(Qt::white));
        painter.drawEllipse(at, radius, radius);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    const double one = Y(lower, 1, liftTop);
    painter.drawLine(QPointF(lower.left(), one), QPointF(lower.right(), one));
    painter.setPen(QPen(LiftColor, 2));
    painter.drawPath(LinePath(lifts));
    painter.setClipping(false);

    // The legend.
    const int y = area.top() + Margins.Top / 2;
    const int x = upper.left();
    PaintLegendLine(painter, x, y, QPen(ShareColor, 1.5), QStringLiteral("保留比例 q"), 20);
    PaintLegendDot(painter, x + 120, y, QPen(KeptColor, 1.2), QBrush(KeptColor),
                   QStringLiteral("开奖号码被保留"));
    PaintLegendDot(painter, x + 250, y, QPen(QColor(150, 150, 150), 1.2), QBrush(Qt::white),
                   QStringLiteral("未被保留"));
    PaintLegendLine(painter, x + 350, y, QPen(LiftColor, 2),
                    QStringLiteral("累计倍数（1 = 随机水平）"), 20);
    painter.restore();
}
