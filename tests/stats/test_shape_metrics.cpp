#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "stats/ChanceFit.h"
#include "stats/ShapeMetrics.h"
#include "stats/ShapeStats.h"

namespace {

TShapeDraw DrawOf(const char* digits) {
    TShapeDraw draw{};
    for (size_t p = 0; p < draw.size(); ++p) draw[p] = static_cast<uint8_t>(digits[p] - '0');
    return draw;
}

// The labels of every metric's category for one draw, "-" where it has none.
std::vector<std::string> Labels(const char* draw, const char* previous, TShapeConventions c = {}) {
    const TShapeDraw d = DrawOf(draw);
    const TShapeDraw before = previous ? DrawOf(previous) : TShapeDraw{};
    std::vector<std::string> labels;
    for (const TShapeMetric& metric : AllShapeMetrics(c)) {
        const int32_t category = metric.Category(d, previous ? &before : nullptr);
        labels.push_back(category < 0 ? "-" : metric.CategoryLabel(category));
    }
    return labels;
}

void FillDraws(TCodes& draws, const std::vector<const char*>& rows) {
    draws.Clear();
    for (const char* digits : rows) {
        const int32_t row = draws.Add();
        for (int32_t p = 1; p <= 7; ++p) draws.SetNum(p, row, digits[p - 1] - '0');
    }
}

}  // namespace

TEST(ShapeMetrics, HandWorkedDraws) {
    struct Case {
        const char* Draw;
        const char* Previous;
        // 和值 前四和 跨度 奇偶 大小 质合 012路 AC 重号 邻号 连号
        std::vector<std::string> Expected;
    };
    const std::vector<Case> cases = {
        // The first draw has no previous one: 重号 and 邻号 are undefined.
        {"0123456", nullptr, {"21", "6", "6", "3:4", "2:5", "4:3", "3:2:2", "0", "-", "-", "7"}},
        // All seven equal: one distinct digit, AC 0, every position repeated.
        {"7777777", "7777777", {"49", "28", "0", "7:0", "7:0", "7:0", "0:7:0", "0", "7", "0", "1"}},
        // 0 and 9 side by side are neither neighbours nor consecutive; 9-8 and 0-1 are neighbours.
        {"9090909", "8181818", {"36", "18", "9", "4:3", "4:3", "0:7", "7:0:0", "0", "0", "7", "1"}},
        {"9000000", "0999999", {"9", "9", "9", "1:6", "1:6", "0:7", "7:0:0", "0", "0", "0", "1"}},
        // Repeated digits: S = {2,3,4,7}, differences {1,2,3,4,5}, AC 5 - 3 = 2, run 2-3-4.
        {"2233447", "2343457", {"25", "10", "5", "3:4", "1:6", "5:2", "2:3:2", "2", "4", "3", "3"}},
        // S = {0,1,3,7,9}: differences {1,2,3,4,6,7,8,9}, AC 8 - 4 = 4.
        {"0137919", "0000000", {"30", "11", "9", "6:1", "3:4", "4:3", "4:3:0", "4", "1", "2", "2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Draw);
        EXPECT_EQ(Labels(c.Draw, c.Previous), c.Expected);
    }
    // 1 is prime by the charts' habit, not under the strict convention.
    EXPECT_EQ(Labels("1111111", nullptr)[5], "7:0");
    EXPECT_EQ(Labels("1111111", nullptr, {.OneIsPrime = false})[5], "0:7");
    EXPECT_EQ(ShapeRoads(DrawOf("2233447")), "2200111");
}

TEST(ShapeMetrics, CategoriesAreListedInTheChartsOrder) {
    const TShapeMetric roads(TShapeMetricId::Roads);
    std::vector<std::string> labels;
    for (int32_t c = 0; c < roads.CategoryCount(); ++c) labels.push_back(roads.CategoryLabel(c));
    ASSERT_EQ(labels.size(), 36u);
    EXPECT_EQ(labels.front(), "0:0:7");
    EXPECT_EQ(labels[1], "0:1:6");
    EXPECT_EQ(labels[8], "1:0:6");
    EXPECT_EQ(labels.back(), "7:0:0");
    std::vector<std::string> names;
    std::vector<int32_t> counts;
    for (const TShapeMetric& metric : AllShapeMetrics()) {
        names.emplace_back(metric.Name());
        counts.push_back(metric.CategoryCount());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"和值", "前四和", "跨度", "奇偶比", "大小比",
                                               "质合比", "012路", "AC值", "重号", "邻号", "连号"}));
    EXPECT_EQ(counts, (std::vector<int32_t>{64, 37, 10, 8, 8, 8, 36, 6, 8, 8, 7}));
    EXPECT_EQ(TShapeMetric(TShapeMetricId::Consecutive).CategoryLabel(0), "1");
}

// The exact counts against every draw of a reduced case counted one by one: the draws that
// begin with the same leading digits.
TEST(ShapeChances, AgreeWithCountingEveryDrawOfAReducedCase) {
    const TShapeDraw previous = DrawOf("0912395");
    for (const std::vector<uint8_t>& leading :
         {std::vector<uint8_t>{3, 9, 0}, std::vector<uint8_t>{0, 9, 9, 1}}) {
        for (TShapeConventions conventions : {TShapeConventions{true}, TShapeConventions{false}}) {
            for (const TShapeMetric& metric : AllShapeMetrics(conventions)) {
                SCOPED_TRACE(std::string(metric.Name()) + " leading " +
                             std::to_string(leading.size()));
                std::vector<int64_t> brute(static_cast<size_t>(metric.CategoryCount()), 0);
                const int32_t free = 7 - static_cast<int32_t>(leading.size());
                const int32_t total = static_cast<int32_t>(std::pow(10, free));
                for (int32_t n = 0; n < total; ++n) {
                    TShapeDraw draw{};
                    std::copy(leading.begin(), leading.end(), draw.begin());
                    for (int32_t p = 6, rest = n; p >= static_cast<int32_t>(leading.size()); --p) {
                        draw[static_cast<size_t>(p)] = static_cast<uint8_t>(rest % 10);
                        rest /= 10;
                    }
                    ++brute[static_cast<size_t>(metric.Category(draw, &previous))];
                }
                EXPECT_EQ(ShapeCategoryCounts(metric, &previous, leading), brute);
            }
        }
    }
}

TEST(ShapeChances, SumToOneAndMatchKnownValues) {
    for (const char* previous : {"5555555", "0999000", "0912395"}) {
        const TShapeDraw before = DrawOf(previous);
        for (const TShapeMetric& metric : AllShapeMetrics()) {
            SCOPED_TRACE(std::string(metric.Name()) + " after " + previous);
            const std::vector<int64_t> counts = ShapeCategoryCounts(metric, &before);
            EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), int64_t{0}), 10'000'000);
            const std::vector<double>& chances = ShapeChances(metric, &before);
            ASSERT_EQ(chances.size(), counts.size());
            for (size_t c = 0; c < counts.size(); ++c)
                EXPECT_DOUBLE_EQ(chances[c], static_cast<double>(counts[c]) / 1e7);
        }
    }
    const auto chance = [](TShapeMetricId id, int32_t category, const char* previous = nullptr) {
        const TShapeDraw before = previous ? DrawOf(previous) : TShapeDraw{};
        return ShapeChances(TShapeMetric(id), previous ? &before : nullptr)[category];
    };
    EXPECT_DOUBLE_EQ(chance(TShapeMetricId::Span, 0), 10 / 1e7);  // the ten draws of one digit
    EXPECT_DOUBLE_EQ(chance(TShapeMetricId::Sum, 0), 1 / 1e7);
    EXPECT_DOUBLE_EQ(chance(TShapeMetricId::OddEven, 7), std::pow(0.5, 7));
    EXPECT_DOUBLE_EQ(chance(TShapeMetricId::Repeat, 7, "1234567"), 1e-7);
    // Every position of a draw of 0s and 9s has one neighbour, of 5s two.
    EXPECT_DOUBLE_EQ(chance(TShapeMetricId::Neighbour, 0, "0909090"), std::pow(0.9, 7));
    EXPECT_DOUBLE_EQ(chance(TShapeMetricId::Neighbour, 0, "5555555"), std::pow(0.8, 7));
    // Without a previous draw there is nothing to expect.
    EXPECT_EQ(chance(TShapeMetricId::Repeat, 0), 0.0);
}

TEST(ChanceFit, MergesGroupsUntilChanceExpectsFive) {
    struct Case {
        std::vector<double> Expected;
        std::vector<int32_t> Groups;
    };
    for (const Case& c : {Case{{5, 1, 4, 3, 3}, {0, 1, 1, 2, 2}}, Case{{0, 0, 5, 5}, {0, 0, 0, 1}},
                          Case{{6, 0.5}, {0, 0}},  // the short last group joins
                          Case{{1, 1, 1, 10, 1}, {0, 0, 0, 0, 0}},
                          Case{{2, 2, 2, 2, 2}, {0, 0, 0, 0, 0}}, Case{{4.9, 0.1, 5}, {0, 0, 1}}}) {
        EXPECT_EQ(FitGroups(c.Expected), c.Groups);
    }
}

TEST(ChanceFit, ChiSquareAndItsPValue) {
    // Two degrees of freedom: p = exp(-chi2 / 2); one: p = erfc(sqrt(chi2 / 2)).
    const TChanceFit two =
        PearsonFit(std::vector<int32_t>{10, 20, 30}, std::vector<double>{20, 20, 20});
    EXPECT_DOUBLE_EQ(two.Chi2, 10.0);
    EXPECT_EQ(two.Df, 2);
    EXPECT_NEAR(two.P, std::exp(-5.0), 1e-12);
    EXPECT_EQ(FitReading(two), "与随机一致");  // 0.0067 is not below 0.005
    const TChanceFit one = PearsonFit(std::vector<int32_t>{30, 10}, std::vector<double>{20, 20});
    EXPECT_EQ(one.Df, 1);
    EXPECT_NEAR(one.P, std::erfc(std::sqrt(5.0)), 1e-12);
    EXPECT_EQ(FitReading(one), "偏离随机");
    // Merged: observed {3+4, 13} against {2+3, 15}.
    const TChanceFit merged =
        PearsonFit(std::vector<int32_t>{3, 4, 13}, std::vector<double>{2, 3, 15});
    EXPECT_EQ(merged.Df, 1);
    EXPECT_NEAR(merged.Chi2, 4.0 / 5 + 4.0 / 15, 1e-12);
    const TChanceFit tooFew = PearsonFit(std::vector<int32_t>{1, 2}, std::vector<double>{1.5, 1.5});
    EXPECT_FALSE(tooFew.Testable());
    EXPECT_EQ(FitReading(tooFew), "期数太少，无法检验");
}

TEST(ShapeStats, WindowReadsThePreviousDrawBeforeIt) {
    TCodes draws;
    FillDraws(draws, {"1111111", "1111111", "1234567", "1200000", "1200009"});
    // 重号 of the draws: -, 7, 1, 2, 6. Over every draw the first has none; a window that
    // starts later reads the draw before it.
    struct Case {
        TTrendWindow Window;
        std::vector<int32_t> Count;
    };
    for (const Case& c :
         {Case{{0, 5}, {0, 1, 1, 0, 0, 0, 1, 1}}, Case{{1, 4}, {0, 1, 1, 0, 0, 0, 1, 1}},
          Case{{3, 2}, {0, 0, 1, 0, 0, 0, 1, 0}}}) {
        SCOPED_TRACE(c.Window.First);
        const TShapeMetricStats repeat =
            ComputeShapeMetricStats(draws, c.Window, TShapeMetric(TShapeMetricId::Repeat));
        EXPECT_EQ(repeat.Trend.Count, c.Count);
        // Chance is summed over the same draws: one per draw with a category.
        const int32_t counted = std::accumulate(c.Count.begin(), c.Count.end(), 0);
        EXPECT_NEAR(std::accumulate(repeat.Expected.begin(), repeat.Expected.end(), 0.0), counted,
                    1e-9);
    }
    // 前四和 of the shapes is the stored sum column the trend's sum chart reads.
    const TShapeStats all = ComputeShapeStats(draws, {0, 5});
    const TTrendStats trend = ComputeTrendStats(draws, {0, 5});
    const std::vector<int32_t>& front = all.Metrics[1].Trend.Count;
    EXPECT_TRUE(std::equal(front.begin(), front.end(), trend.Sum.Frequency.begin()));
    // The omission statistics as the digits': 跨度 0, 0, 6, 2, 9.
    const TCategoryTrend& span = all.Metrics[2].Trend;
    EXPECT_EQ(span.Count[0], 2);
    EXPECT_EQ(span.Streak[0], 2);
    EXPECT_EQ(span.Current[0], 3);
    EXPECT_EQ(span.Current[9], 0);
    EXPECT_EQ(span.MaxOmission[3], 5);
    EXPECT_DOUBLE_EQ(span.Average[0], 3.0 / 3.0);
}

TEST(ShapeStats, OmissionTableOfCategoriesMatchesItsDefinition) {
    std::vector<uint8_t> rows;
    uint32_t x = 7;
    for (int32_t r = 0; r < 700; ++r) {
        x = x * 1103515245u + 12345u;
        rows.push_back(r % 97 == 5 ? TOmissionTable::NoDigit
                                   : static_cast<uint8_t>((x >> 16) % 36));
    }
    const TOmissionTable table(rows, 36);
    std::vector<int32_t> values;
    for (int32_t first : {0, 255, 256, 650}) {
        const int32_t filled = table.Fill(first, 60, values);
        for (int32_t r = first; r < first + filled; ++r)
            for (int32_t v = 0; v < 36; ++v) {
                int32_t expected = 0;
                for (int32_t back = r; back >= 0 && rows[static_cast<size_t>(back)] != v; --back)
                    ++expected;
                ASSERT_EQ(values[static_cast<size_t>((r - first) * 36 + v)], expected)
                    << r << " " << v;
            }
    }
}
