#include "stats/paint/ShapeBarsPaint.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t TitleHeight = 28;
constexpr int32_t AxisWidth = 48;
constexpr int32_t LabelHeight = 24;
constexpr int32_t FitHeight = 40;
constexpr int32_t Margin = 12;
constexpr int32_t PictureHeight = 420;
constexpr int32_t PictureSlotWidth = 34;
constexpr int32_t PictureMinWidth = 640;

QFont Sized(const QFont& base, int32_t pixels, bool bold = false) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A step of 1, 2 or 5 times a power of ten that divides [0, top] into at most `ticks` parts.
double NiceStep(double top, int32_t ticks) {
    const double raw = std::max(top / ticks, 1e-9);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= raw) return std::max(1.0, factor * power);
    return std::max(1.0, 10 * power);
}

}  // namespace

void PaintShapeBars(QPainter& painter, const TShapeBarsInput& input, const QRect& area) {
    const TShapeMetricStats& stats = input.Stats;
    const TShapeMetric& metric = stats.Metric;
    const int32_t categories = metric.CategoryCount();
    painter.save();
    painter.fillRect(area, input.Palette.color(QPalette::Base));
    const QColor ink = input.Palette.color(QPalette::Text);

    // Title and legend.
    const QFont title = Sized(input.Font, 14, true);
    const QFont small = Sized(input.Font, 12);
    painter.setFont(title);
    painter.setPen(ink);
    const QRect titleBox(area.left() + Margin, area.top(), area.width() - 2 * Margin, TitleHeight);
    painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("%1：出现次数与理论次数（最近 %2 期）")
                         .arg(QString::fromUtf8(metric.Name()))
                         .arg(input.WindowLength));
    painter.setFont(small);
    const QFontMetrics smallMetrics(small);
    const QString observedText = QStringLiteral("出现次数");
    const QString expectedText = QStringLiteral("理论次数");
    int32_t x = titleBox.right() - smallMetrics.horizontalAdvance(observedText) -
                smallMetrics.horizontalAdvance(expectedText) - 64;
    const int32_t legendY = titleBox.center().y();
    painter.fillRect(QRect(x, legendY - 5, 12, 10), ShapeObservedColor);
    painter.drawText(QPoint(x + 16, legendY + smallMetrics.ascent() / 2 - 1), observedText);
    x += 16 + smallMetrics.horizontalAdvance(observedText) + 16;
    painter.fillRect(QRect(x, legendY - 1, 12, 3), ShapeExpectedColor);
    painter.drawText(QPoint(x + 16, legendY + smallMetrics.ascent() / 2 - 1), expectedText);

    // The plot.
    const QRect plot(area.left() + AxisWidth, area.top() + TitleHeight + 8,
                     std::max(10, area.width() - AxisWidth - Margin),
                     std::max(10, area.height() - TitleHeight - 8 - LabelHeight - FitHeight));
    double highest = 1;
    for (int32_t c = 0; c < categories; ++c)
        highest = std::max({highest, static_cast<double>(stats.Trend.Count[static_cast<size_t>(c)]),
                            stats.Expected[static_cast<size_t>(c)]});
    const double step = NiceStep(highest, 5);
    const double top = std::ceil(highest / step) * step;
    auto yOf = [&](double value) {
        return plot.bottom() - static_cast<int32_t>(std::lround(value / top * plot.height()));
    };
    painter.setPen(QColor(224, 224, 224));
    for (double tick = 0; tick <= top + 1e-9; tick += step) {
        const int32_t y = yOf(tick);
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(ink);
        painter.drawText(QRect(area.left(), y - 8, AxisWidth - 6, 16),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(tick, 'g', 6));
        painter.setPen(QColor(224, 224, 224));
    }
    painter.setPen(ink);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());

    const double slot = static_cast<double>(plot.width()) / categories;
    int32_t widestLabel = 1;
    for (int32_t c = 0; c < categories; ++c)
        widestLabel = std::max<int32_t>(
            widestLabel,
            smallMetrics.horizontalAdvance(QString::fromStdString(metric.CategoryLabel(c))) + 4);
    // Every k-th label when they would overlap.
    const int32_t labelEvery = std::max(1, static_cast<int32_t>(std::ceil(widestLabel / slot)));
    for (int32_t c = 0; c < categories; ++c) {
        const auto i = static_cast<size_t>(c);
        const int32_t left = plot.left() + static_cast<int32_t>(std::lround(c * slot));
        const int32_t right = plot.left() + static_cast<int32_t>(std::lround((c + 1) * slot));
        const int32_t gap = std::max(1, (right - left) / 6);
        const int32_t count = stats.Trend.Count[i];
        if (count > 0)
            painter.fillRect(
                QRect(QPoint(left + gap, yOf(count)), QPoint(right - gap - 1, plot.bottom() - 1)),
                ShapeObservedColor);
        const int32_t expectedY = yOf(stats.Expected[i]);
        painter.fillRect(QRect(left + 1, expectedY - 1, std::max(1, right - left - 2), 3),
                         ShapeExpectedColor);
        if (c % labelEvery == 0) {
            painter.setPen(ink);
            painter.drawText(QRect(left - widestLabel, plot.bottom() + 2,
                                   right - left + 2 * widestLabel, LabelHeight - 4),
                             Qt::AlignHCenter | Qt::AlignTop,
                             QString::fromStdString(metric.CategoryLabel(c)));
        }
    }

    // The fit line and its level.
    const QRect fit(area.left() + Margin, plot.bottom() + LabelHeight, area.width() - 2 * Margin,
                    FitHeight / 2);
    painter.setFont(Sized(input.Font, 13, true));
    painter.setPen(stats.Fit.Deviates() ? QColor(204, 0, 0) : ShapeExpectedColor);
    painter.drawText(fit, Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(FitLineText(stats.Fit)));
    painter.setFont(small);
    painter.setPen(QColor(90, 90, 90));
    painter.drawText(fit.translated(0, FitHeight / 2), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(FitLevelText(true)));
    painter.restore();
}

QImage PaintShapeBarsPicture(const TShapeBarsInput& input) {
    const int32_t width = std::max(
        PictureMinWidth, AxisWidth + Margin +
                             input.Stats.Metric.CategoryCount() *
                                 (input.Stats.Metric.CategoryCount() > 40 ? PictureSlotWidth / 2
                                                                          : PictureSlotWidth));
    QImage picture(width, PictureHeight, QImage::Format_RGB32);
    picture.fill(input.Palette.color(QPalette::Base));
    QPainter painter(&picture);
    PaintShapeBars(painter, input, picture.rect());
    painter.end();
    return picture;
}
