#include "tickets/paint/LedgerChartPaint.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

const QColor NetColor(200, 40, 40);
const QColor ExpectedColor(60, 110, 200);
constexpr int LeftMargin = 64;
constexpr int RightMargin = 14;
constexpr int TopMargin = 28;
constexpr int BottomMargin = 26;

void LegendEntry(QPainter& painter, int x, int y, const QPen& pen, const QString& text) {
    painter.setPen(pen);
    painter.drawLine(x, y, x + 24, y);
    painter.setPen(Qt::black);
    painter.drawText(x + 28, y + 5, text);
}

}  // namespace

void PaintLedgerChart(QPainter& painter, const QRect& area, const TLedger& ledger,
                      const std::function<QString(int32_t)>& rowLabel) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(area, Qt::white);
    const QRect plot = area.adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin);
    if (plot.width() < 20 || plot.height() < 20) {
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
        low = std::min({low, static_cast<double>(line.CumulativeNet), line.CumulativeExpectedNet});
        high =
            std::max({high, static_cast<double>(line.CumulativeNet), line.CumulativeExpectedNet});
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
    painter.setPen(QColor(225, 225, 225));
    for (double value = low; value <= high + step / 2; value += step) {
        const int at = static_cast<int>(std::lround(y(value)));
        painter.setPen(QColor(225, 225, 225));
        painter.drawLine(plot.left(), at, plot.right(), at);
        painter.setPen(Qt::black);
        painter.drawText(QRect(area.left(), at - 8, LeftMargin - 6, 16),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(static_cast<long long>(std::llround(value))));
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPointF(plot.left(), y(0)), QPointF(plot.right(), y(0)));
    painter.drawRect(plot);

    const auto series = [&](auto value, const QPen& pen) {
        QPainterPath path;
        for (size_t i = 0; i < count; ++i) {
            const QPointF at(x(i), y(value(ledger.Draws[i])));
            if (i == 0)
                path.moveTo(at);
            else
                path.lineTo(at);
        }
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    };
    const QPen expectedPen(ExpectedColor, 2, Qt::DashLine);
    const QPen netPen(NetColor, 2);
    series([](const TLedgerLine& line) { return line.CumulativeExpectedNet; }, expectedPen);
    series([](const TLedgerLine& line) { return static_cast<double>(line.CumulativeNet); }, netPen);

    // The first and last draw under the axis; the legend above.
    painter.setPen(Qt::black);
    painter.drawText(QRect(plot.left(), plot.bottom() + 4, plot.width() / 2, 18), Qt::AlignLeft,
                     rowLabel(ledger.Draws.front().Row));
    painter.drawText(QRect(plot.center().x(), plot.bottom() + 4, plot.width() / 2, 18),
                     Qt::AlignRight, rowLabel(ledger.Draws.back().Row));
    LegendEntry(painter, plot.left() + 4, area.top() + 14, netPen,
                QStringLiteral("累计盈亏（元）"));
    LegendEntry(painter, plot.left() + 170, area.top() + 14, expectedPen,
                QStringLiteral("按理论概率的期望累计盈亏"));
    painter.restore();
}
