#include <gtest/gtest.h>

#include "stats/TrendLayout.h"

namespace {

bool Inside(const TChartRect& inner, const TChartRect& outer) {
    return inner.Left >= outer.Left && inner.Right <= outer.Right && inner.Top >= outer.Top &&
           inner.Bottom <= outer.Bottom && inner.Left < inner.Right && inner.Top < inner.Bottom;
}

}  // namespace

TEST(TrendLayout, BallsSitInsideTheirOwnCell) {
    for (const TTrendLayout& layout : {TTrendLayout::Digits(), TTrendLayout::Sums()}) {
        for (int32_t v = 0; v < layout.ValueCount(); ++v) {
            for (int32_t top : {0, 20, 977}) {
                const TChartRect cell = layout.CellRect(top, v);
                EXPECT_TRUE(Inside(layout.BallRect(top, v), cell)) << v;
                const TChartPoint centre = layout.BallCentre(top, v);
                EXPECT_EQ(centre.X, (cell.Left + cell.Right) / 2) << v;
                EXPECT_EQ(centre.Y, top + TTrendLayout::RowHeight / 2) << v;
            }
        }
        // The value columns follow the issue and draw columns and end the chart.
        EXPECT_EQ(layout.ValueLeft(0), TTrendLayout::IssueWidth + TTrendLayout::DrawWidth);
        EXPECT_EQ(layout.Width(), layout.CellRect(0, layout.ValueCount() - 1).Right + 1);
    }
    // A shape's wide cells hold a bar as wide as the cell, still inside it.
    for (const TShapeMetric& metric : AllShapeMetrics()) {
        const TTrendLayout layout = TTrendLayout::Shape(metric);
        EXPECT_EQ(layout.ValueCount(), metric.CategoryCount());
        for (int32_t v = 0; v < layout.ValueCount(); ++v)
            EXPECT_TRUE(Inside(layout.BallRect(40, v), layout.CellRect(40, v))) << metric.Name();
    }
    EXPECT_EQ(TTrendLayout::Digits().ValueCount(), 10);
    EXPECT_EQ(TTrendLayout::Sums().ValueCount(), 37);
}

TEST(TrendLayout, MeanLineRunsThroughTheMiddleOfItsCell) {
    const TTrendLayout sums = TTrendLayout::Sums();
    EXPECT_EQ(sums.ValueX(0.0), sums.BallCentre(0, 0).X);
    EXPECT_EQ(sums.ValueX(36.0), sums.BallCentre(0, 36).X);
    EXPECT_EQ(sums.ValueX(17.5), sums.ValueLeft(18));
}

TEST(TrendLayout, FrequencyBarsShareOneBottomAndScaleToTheTallest) {
    const TTrendLayout sums = TTrendLayout::Sums();
    const int32_t top = 500;
    const TChartRect tallest = sums.SumBar(top, 18, 2000, 2000);
    const TChartRect half = sums.SumBar(top, 3, 1000, 2000);
    const TChartRect rare = sums.SumBar(top, 0, 1, 2000);
    EXPECT_EQ(tallest.Bottom, half.Bottom);
    EXPECT_EQ(tallest.Bottom, rare.Bottom);
    EXPECT_EQ(tallest.Bottom - tallest.Top,
              TTrendLayout::SumBarBandHeight - TTrendLayout::RowHeight);
    EXPECT_EQ(half.Bottom - half.Top, (tallest.Bottom - tallest.Top) / 2);
    EXPECT_EQ(rare.Bottom - rare.Top, 1);  // one sum among many is still seen
    EXPECT_GE(tallest.Top, top + 14);      // room for its count above it
    const TChartRect none = sums.SumBar(top, 5, 0, 2000);
    EXPECT_EQ(none.Left, none.Right);
    EXPECT_TRUE(Inside(half, {sums.ValueLeft(3), top, sums.ValueLeft(4), top + 90}));
}

TEST(TrendLayout, ViewTopStaysInsideTheRows) {
    struct Case {
        int32_t Top, Visible, Total, Expected;
    };
    for (const Case& c : {Case{0, 10, 100, 0}, Case{95, 10, 100, 90}, Case{-3, 10, 100, 0},
                          Case{5, 10, 4, 0}, Case{50, 10, 100, 50}}) {
        EXPECT_EQ(TTrendLayout::ClampTopRow(c.Top, c.Visible, c.Total), c.Expected) << c.Top;
    }
    EXPECT_EQ(TTrendLayout::RowsThatFit(5), 1);
    EXPECT_EQ(TTrendLayout::RowsThatFit(10 * TTrendLayout::RowHeight + 7), 10);
}

TEST(TrendLayout, AverageShownWithTwoDecimals) {
    EXPECT_EQ(FormatAverage(2.0 / 3.0), "0.67");
    EXPECT_EQ(FormatAverage(8.0), "8.00");
}
