#include "stats/ShapeStats.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace {

// The window itself when it lies inside the draws, else every draw (as the trend reads it).
TTrendWindow CheckedWindow(const TCodes& draws, TTrendWindow window) {
    if (window.First >= 0 && window.Length >= 0 &&
        static_cast<int64_t>(window.First) + window.Length <= draws.Count())
        return window;
    return LastDraws(draws.Count(), 0);
}

}  // namespace

std::vector<uint8_t> ShapeRowCategories(const TCodes& draws, TTrendWindow window,
                                        const TShapeMetric& metric) {
    window = CheckedWindow(draws, window);
    std::vector<uint8_t> rows(static_cast<size_t>(window.Length), TOmissionTable::NoDigit);
    std::optional<TShapeDraw> previous;
    if (window.First > 0) previous = ShapeDrawOf(draws.Rows()[window.First - 1]);
    for (int32_t r = 0; r < window.Length; ++r) {
        const std::optional<TShapeDraw> draw = ShapeDrawOf(draws.Rows()[window.First + r]);
        if (draw) {
            const int32_t category = metric.Category(*draw, previous ? &*previous : nullptr);
            if (category >= 0) rows[static_cast<size_t>(r)] = static_cast<uint8_t>(category);
        }
        previous = draw;
    }
    return rows;
}

TShapeMetricStats ComputeShapeMetricStats(const TCodes& draws, TTrendWindow window,
                                          const TShapeMetric& metric) {
    window = CheckedWindow(draws, window);
    TShapeMetricStats stats(metric);
    TOmissionWalk<TCategoryTrend> walk(stats.Trend, metric.CategoryCount());
    // Draws with a category, by the chance table they are read with (邻号: by the previous
    // draw's count of 0s and 9s; every other metric has one table).
    std::array<int32_t, ShapeDigitCount + 1> readWith{};
    std::array<TShapeDraw, ShapeDigitCount + 1> example{};
    std::optional<TShapeDraw> previous;
    if (window.First > 0) previous = ShapeDrawOf(draws.Rows()[window.First - 1]);
    for (int32_t r = 0; r < window.Length; ++r) {
        const std::optional<TShapeDraw> draw = ShapeDrawOf(draws.Rows()[window.First + r]);
        int32_t category = TShapeMetric::NoCategory;
        if (draw) category = metric.Category(*draw, previous ? &*previous : nullptr);
        walk.Step(category, r);
        if (category >= 0) {
            size_t table = 0;
            if (metric.Id() == TShapeMetricId::Neighbour)
                table =
                    static_cast<size_t>(std::count_if(previous->begin(), previous->end(),
                                                      [](uint8_t d) { return d == 0 || d == 9; }));
            ++readWith[table];
            if (previous) example[table] = *previous;
        }
        previous = draw;
    }
    walk.Finish(window.Length);
    for (size_t table = 0; table < readWith.size(); ++table) {
        if (readWith[table] == 0) continue;
        const std::vector<double>& chances = ShapeChances(metric, &example[table]);
        // Chances are whole counts over 10^7 draws: the count times the draws, then the
        // division, keeps 100 draws of 10 in 10^7 at exactly 1e-4.
        for (size_t c = 0; c < stats.Expected.size(); ++c)
            stats.Expected[c] += std::round(chances[c] * 1e7) * readWith[table] / 1e7;
    }
    stats.Fit = PearsonFit(stats.Trend.Count, stats.Expected);
    return stats;
}

TShapeStats ComputeShapeStats(const TCodes& draws, TTrendWindow window,
                              TShapeConventions conventions) {
    TShapeStats stats;
    stats.Window = CheckedWindow(draws, window);
    for (const TShapeMetric& metric : AllShapeMetrics(conventions))
        stats.Metrics.push_back(ComputeShapeMetricStats(draws, stats.Window, metric));
    return stats;
}

std::array<double, TrendDigitCount> DigitExpected(const TPositionTrend& trend) {
    const int32_t counted = std::accumulate(trend.Count.begin(), trend.Count.end(), 0);
    std::array<double, TrendDigitCount> expected;
    expected.fill(counted / static_cast<double>(TrendDigitCount));
    return expected;
}

TChanceFit DigitFit(const TPositionTrend& trend) {
    const std::array<double, TrendDigitCount> expected = DigitExpected(trend);
    return PearsonFit(trend.Count, expected);
}
