#include "stats/TrendLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

TTrendLayout TTrendLayout::Digits() {
    return {Kind::Digits, 10, DigitCellWidth};
}

TTrendLayout TTrendLayout::Sums() {
    return {Kind::Sums, 37, SumCellWidth};
}

TTrendLayout TTrendLayout::Shape(const TShapeMetric& metric, int32_t windowLength) {
    int32_t width = ShapeCellWidth;
    if (metric.Id() == TShapeMetricId::Roads) width = WideShapeCellWidth;
    // The sums have many narrow columns, each as wide as its widest number.
    if (metric.Id() == TShapeMetricId::Sum || metric.Id() == TShapeMetricId::FrontSum) {
        int32_t digits = 1;
        for (int64_t n = std::max(windowLength, 0); n >= 10; n /= 10) ++digits;
        width = std::max(SumCellWidth, std::max(3, digits) * NarrowDigitWidth + NarrowCellPadding);
    }
    return {Kind::Shape, metric.CategoryCount(), width};
}

int32_t TTrendLayout::ValueX(double value) const {
    return ValueLeft(0) + static_cast<int32_t>(std::lround((value + 0.5) * cellWidth_));
}

TChartRect TTrendLayout::BallRect(int32_t top, int32_t value) const {
    const int32_t side = std::min(cellWidth_, RowHeight) - 2 * BallMargin;
    const int32_t width = IsShape() ? cellWidth_ - 2 * BallMargin : side;
    const int32_t left = ValueLeft(value) + (cellWidth_ - width) / 2;
    const int32_t ballTop = top + (RowHeight - side) / 2;
    return {left, ballTop, left + width, ballTop + side};
}

TChartPoint TTrendLayout::BallCentre(int32_t top, int32_t value) const {
    const TChartRect ball = BallRect(top, value);
    return {(ball.Left + ball.Right) / 2, (ball.Top + ball.Bottom) / 2};
}

int32_t TTrendLayout::RowsThatFit(int32_t height) {
    return std::max(1, height / RowHeight);
}

int32_t TTrendLayout::FooterHeight() const {
    return IsSums() ? SumBarBandHeight + RowHeight : DigitFooterRows * RowHeight;
}

TChartRect TTrendLayout::SumBar(int32_t top, int32_t value, int32_t frequency,
                                int32_t highest) const {
    const int32_t bottom = top + SumBarBandHeight - 2;
    if (frequency <= 0 || highest <= 0) return {ValueLeft(value), bottom, ValueLeft(value), bottom};
    // The tallest bar leaves room for its count above it; a bar of one is never invisible.
    const int32_t room = SumBarBandHeight - RowHeight;
    const auto height = std::max<int32_t>(
        1, static_cast<int32_t>(std::lround(static_cast<double>(room) * frequency / highest)));
    return {ValueLeft(value) + 3, bottom - height, ValueLeft(value + 1) - 3, bottom};
}

int32_t TTrendLayout::ClampTopRow(int32_t top, int32_t visible, int32_t total) {
    return std::clamp(top, 0, std::max(0, total - visible));
}

std::string FormatAverage(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}
