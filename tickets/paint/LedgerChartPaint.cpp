#include "tickets/paint/LedgerChartPaint.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "view/paint/LineChart.h"

namespace {

const QColor NetColor(200, 40, 40);
const QColor ExpectedColor(60, 110, 200);
constexpr TChartMargins Margins{64, 28, 14, 26};

}  // namespace

void PaintLedgerChart(QPainter& painter, const QRect& area, const TLedger& ledger,
                      const std::function<QString(int32_t)>& rowLabel) {
    painter.save();
    const QRect plot = BeginLineChart(painter, area, Margins);
    if (plot.isEmpty()) {
        painter.restore();
        return;
    }
    if (ledger.Draws.empty()) {
        painter.setPen(Qt::darkGray);
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("还没有开奖的票据"));
        painter.restore();
        return;
    }
    double low = 0, high = 0;
    for (const TLedgerLine& line : ledger.Draws) {
        low = std::min(
            {low, static_cast<double>(line.CumulativeFixedNet), line.CumulativeExpectedNet});
        high = std::max(
            {high, static_cast<double>(line.CumulativeFixedNet), line.CumulativeExpectedNet});
    }
    // Round steps of 1, 2 or 5 times a power of ten, about four of them.
    const double rough = std::max(1.0, (high - low) / 4);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double step = rough <= power       ? power
                        : rough <= 2 * power ? 2 * power
                        : rough <= 5 * power ? 5 * power
                                             : 10 * power;
    low = std::floor(low / step) * step;
    high = std::max(low + step, std::ceil(high / step) * step);
    const size_t count = ledger.Draws.size();
    const auto x = [&](size_t i) {
        return count == 1 ? plot.center().x()
                          : plot.left() + plot.width() * static_cast<double>(i) / (count - 1);
    };
    const auto y = [&](double value) {
        return plot.bottom() - plot.height() * (value - low) / (high - low);
    };

    // The value axis: five steps, and the zero line.
    for (double value = low; value <= high + step / 2; value += step)
        PaintValueLine(painter, plot, std::round(y(value)),
                       QString::number(static_cast<long long>(std::llround(value))));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPointF(plot.left(), y(0)), QPointF(plot.right(), y(0)));
    PaintChartFrame(painter, plot);

    const auto series = [&](auto value, const QPen& pen) {
        std::vector<QPointF> at;
        for (size_t i = 0; i < count; ++i) at.emplace_back(x(i), y(value(ledger.Draws[i])));
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(LinePath(at));
    };
    const QPen expectedPen(ExpectedColor, 2, Qt::DashLine);
    const QPen netPen(NetColor, 2);
    series([](const TLedgerLine& line) { return line.CumulativeExpectedNet; }, expectedPen);
    series([](const TLedgerLine& line) { return static_cast<double>(line.CumulativeFixedNet); },
           netPen);

    // The first and last draw under the axis; the legend above.
    PaintRowEnds(painter, plot, rowLabel(ledger.Draws.front().Row),
                 rowLabel(ledger.Draws.back().Row));
    PaintLegendLine(painter, plot.left() + 4, area.top() + 14, netPen,
                    QStringLiteral("累计盈亏（元，固定奖）"));
    PaintLegendLine(painter, plot.left() + 190, area.top() + 14, expectedPen,
                    QStringLiteral("按理论概率的期望（固定奖）"));
    painter.restore();
}
