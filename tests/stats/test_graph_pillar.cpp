#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stats/GraphPillarCore.h"

namespace {

// A chart set up the way the statistics window sets its charts up.
struct TChartFixture : ::testing::Test {
    TGraphPilarData chart;
    std::vector<std::string> messages;

    void SetUp() override {
        chart.OnRangeError = [this](const std::string& m) { messages.push_back(m); };
        chart.SetDimensions(11, 2, {ColorToArgb(0, 0, 255), ColorToArgb(255, 98, 84)});
        chart.BarWidth = 16;
        chart.GroupGap = 18;
        chart.StepHeight = 13;
        chart.StepCount = 10;
        chart.ValueScale = 20.0f / 130.0f;
        chart.Relayout();
    }
};

TEST_F(TChartFixture, OutOfRangeAccessReportsAndTouchesNothing) {
    EXPECT_EQ(chart.Values, std::vector<std::string>(22, "0"));
    chart.SetValue(10, 1, "5");  // the last valid cell
    EXPECT_TRUE(messages.empty());
    chart.SetValue(11, 1, "x");
    chart.SetValue(11, 2, "x");
    chart.SetValue(0, 2, "x");  // index 22: one past the matrix
    chart.SetValue(-1, 0, "x");
    EXPECT_EQ(chart.GetValue(0, 2), "");
    EXPECT_EQ(chart.GetValue(11, 0), "");
    EXPECT_EQ(messages,
              (std::vector<std::string>{"SetValue x>=FDynColCount ", "SetValue x>=FDynColCount ",
                                        "SetValue x>=FDynRowCount ", "SetValue x>=FDynRowCount ",
                                        "SetValue x>=FDynColCount ", "GetValue x>=FDynRowCount ",
                                        "GetValue x>=FDynColCount "}));
    std::vector<std::string> expected(22, "0");
    expected[10 + 11] = "5";
    EXPECT_EQ(chart.Values, expected);
}

TEST(GraphPilarData, EmptyAndDegenerateMatricesStayInBounds) {
    TGraphPilarData chart;
    int reports = 0;
    chart.OnRangeError = [&](const std::string&) { ++reports; };
    // Empty after creation: both counts are 0 but there is no cell (0, 0) to read or write.
    EXPECT_EQ(chart.GetValue(0, 0), "");
    chart.SetValue(0, 0, "1");
    EXPECT_TRUE(chart.Values.empty());
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(chart.GetValue(1, 0), "");
    EXPECT_EQ(reports, 1);
    chart.SetDimensions(-3, 2, {});
    EXPECT_TRUE(chart.Values.empty());
    chart.SetValue(0, 0, "1");
    EXPECT_TRUE(chart.Values.empty());
    chart.SetDimensions(2, 2, {});
    chart.ClearChart();
    EXPECT_TRUE(chart.Values.empty());
    EXPECT_TRUE(chart.RowColors.empty());
    EXPECT_EQ(chart.FDynColCount, 0);
    EXPECT_EQ(chart.FDynRowCount, 0);
}

TEST(GraphPilarData, MissingRowColoursComeFromThePaletteByRowIndex) {
    TGraphPilarData chart;
    chart.SetDimensions(3, 12, {ColorToArgb(1, 2, 3), ColorToArgb(4, 5, 6)});
    ASSERT_EQ(chart.RowColors.size(), 12u);
    EXPECT_EQ(chart.RowColors[1], ColorToArgb(4, 5, 6));
    EXPECT_EQ(chart.RowColors[2], ColorToArgb(255, 18, 69));
    EXPECT_EQ(chart.RowColors[11], ColorToArgb(68, 0, 255));  // past the palette: its last
}

TEST_F(TChartFixture, LayoutOfTheStatisticsCharts) {
    EXPECT_EQ(chart.PlotRect, (TChartRect{30, 30, 586, 160}));
    for (int c = 1; c <= 10; ++c) {
        const TChartRect bar = chart.BarRect(c, 1);
        EXPECT_EQ(bar.Left, 52 * (c - 1) + 64);
        EXPECT_EQ(bar.Right, 52 * (c - 1) + 80);
        EXPECT_EQ(bar.Bottom, 161);
        EXPECT_EQ(bar.Top, 161);  // value 0
    }
    EXPECT_EQ(chart.TitleRect(), (TChartRect{30, 0, 586, 20}));
    EXPECT_EQ(chart.AxisY(0), 160);
    EXPECT_EQ(chart.AxisY(10), 30);
    EXPECT_EQ(chart.AxisLabelRect(3), (TChartRect{5, 114, 20, 129}));
    // Label box of column 2: under the bar, one bar wide per data row.
    EXPECT_EQ(chart.ColumnLabelRect(2), (TChartRect{116, 164, 132, 179}));
}

TEST_F(TChartFixture, BarsAreScaledUpToWholePixels) {
    chart.SetValue(1, 1, "15");
    chart.SetValue(2, 1, "20");
    chart.SetValue(3, 1, "1");
    EXPECT_EQ(chart.BarRect(1, 1).Top, 161 - 15);
    EXPECT_EQ(chart.ScaleBar(chart.BarRect(1, 1)).Top, 161 - 98);
    EXPECT_EQ(chart.ScaleBar(chart.BarRect(2, 1)).Top, 161 - 130);  // the full axis
    EXPECT_EQ(chart.ScaleBar(chart.BarRect(3, 1)).Top, 161 - 7);
    // Column labels hang below the unscaled bottom, whatever the bar's height.
    EXPECT_EQ(chart.ColumnLabelRect(1).Top, 164);

    chart.ValueScale = 10.0f / 130.0f;  // exact multiples must not gain a pixel
    chart.SetValue(1, 1, "5");
    EXPECT_EQ(chart.ScaleBar(chart.BarRect(1, 1)).Top, 161 - 65);
}

TEST_F(TChartFixture, AxisLabelsFollowTheScale) {
    std::vector<std::string> labels;
    for (int i = 0; i <= 10; ++i) labels.push_back(chart.AxisLabel(i));
    EXPECT_EQ(labels, (std::vector<std::string>{"0", "2", "4", "6", "8", "10", "12", "14", "16",
                                                "18", "20"}));
    chart.ValueScale = 10.0f / 130.0f;
    EXPECT_EQ(chart.AxisLabel(7), "7");
    chart.StepHeight = 1;
    chart.ValueScale = 0.5f;  // halves round to the even neighbour
    EXPECT_EQ(chart.AxisLabel(1), "0");
    EXPECT_EQ(chart.AxisLabel(3), "2");
    EXPECT_EQ(chart.AxisLabel(5), "2");
    EXPECT_EQ(chart.AxisLabel(7), "4");
}

TEST_F(TChartFixture, CellsThatAreNoIntegerCountAsZero) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"12", 12}, {"+3", 3}, {"-4", -4}, {"", 0},  {"A=1", 0},         {"1.5", 0},
        {" 7", 0},  {"7 ", 0}, {"+", 0},   {"-", 0}, {"99999999999", 0}, {"0x10", 0},
    };
    for (const auto& [text, number] : cases) {
        chart.SetValue(4, 1, text);
        EXPECT_EQ(chart.CellNumber(4, 1), number) << '"' << text << '"';
        EXPECT_EQ(chart.BarRect(4, 1).Top, 161 - number) << '"' << text << '"';
    }
    EXPECT_EQ(chart.CellNumber(11, 1), 0);  // outside: nothing read, nothing reported
    EXPECT_TRUE(messages.empty());
}

TEST_F(TChartFixture, ExtremeGeometryNeitherOverflowsNorDividesByZero) {
    chart.SetValue(1, 1, "2147483647");
    chart.ValueScale = 0.0f;
    EXPECT_EQ(chart.ScaleBar(chart.BarRect(1, 1)).Bottom, 161);
    chart.ValueScale = 1e-30f;
    const TChartRect tall = chart.ScaleBar(chart.BarRect(1, 1));
    EXPECT_LT(tall.Top, 161);
    chart.BarWidth = 2000000000;
    chart.StepCount = 2000000000;
    chart.Relayout();
    EXPECT_GT(chart.PlotRect.Right, chart.PlotRect.Left);
    EXPECT_GT(chart.PlotRect.Bottom, chart.PlotRect.Top);
}

TEST(GraphPilarData, TextIsCentredWithTruncatingHalves) {
    EXPECT_EQ(CenteredTextOrigin({0, 0, 11, 10}, 4, 4), (TChartPoint{3, 3}));
    EXPECT_EQ(CenteredTextOrigin({5, 114, 20, 129}, 30, 16), (TChartPoint{-2, 113}));
    EXPECT_EQ(CenteredTextOrigin({-10, -10, -3, -3}, 0, 0), (TChartPoint{-6, -6}));
}

// Whether a step is 1, 2 or 5 times a power of ten.
bool IsOneTwoFive(int64_t step) {
    while (step % 10 == 0) step /= 10;
    return step == 1 || step == 2 || step == 5;
}

TEST(ValueAxis, OneTwoFiveStepsThatFitAndNeverTouch) {
    struct TCase {
        int64_t Maximum;
        int32_t Height;
        int32_t Spacing;
        TValueAxis Axis;
    };
    const std::vector<TCase> cases = {
        // Labels 13 pixels high fit ten steps: the statistics window's worked geometry.
        {10, 130, 13, {1, 10, 13, 1.0f / 13.0f}},
        {20, 130, 13, {2, 10, 13, 2.0f / 13.0f}},
        // Taller labels: fewer, wider steps.
        {10, 130, 17, {2, 5, 26, 2.0f / 26.0f}},
        {1110, 130, 17, {200, 6, 21, 200.0f / 21.0f}},
        {0, 130, 17, {1, 1, 130, 1.0f / 130.0f}},
        {7, 0, 0, {10, 1, 1, 10.0f}},
    };
    for (const TCase& c : cases) {
        const TValueAxis axis = NiceValueAxis(c.Maximum, c.Height, c.Spacing);
        EXPECT_EQ(axis.Step, c.Axis.Step) << c.Maximum;
        EXPECT_EQ(axis.StepCount, c.Axis.StepCount) << c.Maximum;
        EXPECT_EQ(axis.StepHeight, c.Axis.StepHeight) << c.Maximum;
        EXPECT_FLOAT_EQ(axis.ValueScale, c.Axis.ValueScale) << c.Maximum;
    }

    for (int64_t maximum : {1LL, 9LL, 11LL, 99LL, 101LL, 12345LL, 2000000LL, 2147483647LL}) {
        for (int32_t spacing : {10, 17, 40}) {
            const TValueAxis axis = NiceValueAxis(maximum, 130, spacing);
            EXPECT_TRUE(IsOneTwoFive(axis.Step)) << maximum;
            EXPECT_GE(axis.Step * axis.StepCount, maximum);
            EXPECT_GE(axis.StepHeight, spacing) << maximum;  // labels never touch
            EXPECT_LE(axis.StepHeight * axis.StepCount, 130);
            // The next smaller 1-2-5 step would need more labels than fit.
            const int64_t smaller = axis.Step % 5 == 0 && IsOneTwoFive(axis.Step / 5 * 2)
                                        ? axis.Step / 5 * 2
                                        : axis.Step / 2;
            if (smaller > 0) {
                EXPECT_GT((maximum + smaller - 1) / smaller, 130 / spacing) << maximum;
            }

            TGraphPilarData chart;
            chart.StepHeight = axis.StepHeight;
            chart.StepCount = axis.StepCount;
            chart.ValueScale = axis.ValueScale;
            chart.LabelStep = axis.Step;
            EXPECT_EQ(chart.AxisLabel(axis.StepCount), std::to_string(axis.Step * axis.StepCount));
        }
    }
}

TEST_F(TChartFixture, ValuesStayInsideThePlot) {
    chart.SetValue(1, 1, "20");  // the top of the axis
    chart.SetValue(2, 1, "10");
    const TChartRect top = chart.ScaleBar(chart.BarRect(1, 1));
    const TChartRect half = chart.ScaleBar(chart.BarRect(2, 1));
    EXPECT_EQ(chart.ValueTextRect(half),
              (TChartRect{half.Left, half.Top - 16, half.Right, half.Top - 2}));
    const TChartRect inside = chart.ValueTextRect(top);
    EXPECT_GE(inside.Top, chart.PlotRect.Top);
    EXPECT_LE(inside.Bottom, chart.PlotRect.Bottom);
    EXPECT_GT(inside.Top, chart.TitleRect().Bottom);  // clear of the title
}

}  // namespace
