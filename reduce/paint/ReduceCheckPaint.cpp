#include "reduce/paint/ReduceCheckPaint.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

const QColor ShareColor(60, 110, 200);
const QColor KeptColor(220, 80, 60);
const QColor LiftColor(40, 140, 70);
constexpr int LeftMargin = 52;
constexpr int RightMargin = 12;
constexpr int TopMargin = 26;
constexpr int BottomMargin = 24;
constexpr int PanelGap = 18;

double X(const QRect& plot, int32_t row, int32_t firstRow, int32_t lastRow) {
    const int32_t span = std::max(1, lastRow - firstRow);
    return plot.left() + plot.width() * static_cast<double>(row - firstRow) / span;
}

double Y(const QRect& plot, double value, double top) {
    return plot.bottom() - plot.height() * std::clamp(value / top, 0.0, 1.0);
}

// The frame of one panel with its value labels at 0, top/2 and top.
void Frame(QPainter& painter, const QRect& plot, double top, bool percent) {
    const QFontMetrics metrics(painter.font());
    for (int i = 0; i <= 2; ++i) {
        const double value = top * i / 2;
        const double y = Y(plot, value, top);
        painter.setPen(QColor(225, 225, 225));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        const QString label = percent ? QString::number(value * 100, 'g', 3) + QLatin1Char('%')
                                      : QString::number(value, 'g', 3);
        painter.drawText(QPointF(plot.left() - 6 - metrics.horizontalAdvance(label),
                                 y + metrics.ascent() / 2.0 - 1),
                         label);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
}

}  // namespace

void PaintReduceCheckChart(QPainter& painter, const QRect& area,
                           const std::vector<TReduceCheckPoint>& points, int32_t firstRow,
                           int32_t lastRow) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(area, Qt::white);
    const QRect inner = area.adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin);
    if (inner.width() < 20 || inner.height() < 60) {
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

    const QFontMetrics metrics(painter.font());
    painter.drawText(QPointF(lower.left(), lower.bottom() + metrics.ascent() + 4),
                     QString::number(firstRow));
    const QString last = QString::number(lastRow);
    painter.drawText(QPointF(lower.right() - metrics.horizontalAdvance(last),
                             lower.bottom() + metrics.ascent() + 4),
                     last);

    // q_t as a line, s_t as its marks.
    QPainterPath shares;
    QPainterPath lifts;
    bool liftStarted = false;
    for (size_t i = 0; i < points.size(); ++i) {
        const TReduceCheckPoint& p = points[i];
        const double x = X(upper, p.Row, firstRow, lastRow);
        const QPointF at(x, Y(upper, p.Share, shareTop));
        if (i == 0)
            shares.moveTo(at);
        else
            shares.lineTo(at);
        if (p.RunningLift) {
            const QPointF liftAt(x, Y(lower, *p.RunningLift, liftTop));
            if (!liftStarted)
                lifts.moveTo(liftAt);
            else
                lifts.lineTo(liftAt);
            liftStarted = true;
        }
    }
    painter.setClipRect(inner.adjusted(-4, -4, 4, 4));
    painter.setPen(QPen(ShareColor, 1.5));
    painter.drawPath(shares);
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
    painter.drawPath(lifts);
    painter.setClipping(false);

    // The legend.
    const int y = area.top() + TopMargin / 2;
    int x = upper.left();
    painter.setPen(QPen(ShareColor, 1.5));
    painter.drawLine(x, y, x + 20, y);
    painter.setPen(Qt::black);
    painter.drawText(x + 24, y + 5, QStringLiteral("保留比例 q"));
    x += 120;
    painter.setPen(QPen(KeptColor, 1.2));
    painter.setBrush(QBrush(KeptColor));
    painter.drawEllipse(QPointF(x + 6, y), 4, 4);
    painter.setPen(Qt::black);
    painter.drawText(x + 14, y + 5, QStringLiteral("开奖号码被保留"));
    x += 130;
    painter.setPen(QPen(QColor(150, 150, 150), 1.2));
    painter.setBrush(QBrush(Qt::white));
    painter.drawEllipse(QPointF(x + 6, y), 4, 4);
    painter.setPen(Qt::black);
    painter.drawText(x + 14, y + 5, QStringLiteral("未被保留"));
    x += 100;
    painter.setPen(QPen(LiftColor, 2));
    painter.drawLine(x, y, x + 20, y);
    painter.setPen(Qt::black);
    painter.drawText(x + 24, y + 5, QStringLiteral("累计倍数（1 = 随机水平）"));
    painter.restore();
}
