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

// The window's draws as digits, read once for every metric: [0] the draw before the window
// (none for a window from the first draw), then the window's rows.
std::vector<std::optional<TShapeDraw>> ReadWindow(const TCodes& draws, TTrendWindow window) {
    std::vector<std::optional<TShapeDraw>> rows(static_cast<size_t>(window.Length) + 1);
    if (window.First > 0) rows[0] = ShapeDrawOf(draws.Rows()[window.First - 1]);
    for (int32_t r = 0; r < window.Length; ++r)
        rows[static_cast<size_t>(r) + 1] = ShapeDrawOf(draws.Rows()[window.First + r]);
    return rows;
}

TShapeMetricStats MetricStats(const std::vector<std::optional<TShapeDraw>>& rows,
                              const TShapeMetric& metric) {
    const auto length = static_cast<int32_t>(rows.size()) - 1;
    TShapeMetricStats stats(metric);
    TOmissionWalk<TCategoryTrend> walk(stats.Trend, metric.CategoryCount());
    // Draws with a category, by the chance table they are read with (邻号: by the previous
    // draw's count of 0s and 9s; every other metric has one table).
    std::array<int32_t, ShapeDigitCount + 1> readWith{};
    std::array<TShapeDraw, ShapeDigitCount + 1> example{};
    for (int32_t r = 0; r < length; ++r) {
        const std::optional<TShapeDraw>& previous = rows[static_cast<size_t>(r)];
        const std::optional<TShapeDraw>& draw = rows[static_cast<size_t>(r) + 1];
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
    }
    walk.Finish(length);
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
    return MetricStats(ReadWindow(draws, CheckedWindow(draws, window)), metric);
}

TShapeStats ComputeShapeStats(const TCodes& draws, TTrendWindow window,
                              TShapeConventions conventions) {
    TShapeStats stats;
    stats.Window = CheckedWindow(draws, window);
    const std::vector<std::optional<TShapeDraw>> rows = ReadWindow(draws, stats.Window);
    for (const TShapeMetric& metric : AllShapeMetrics(conventions))
        stats.Metrics.push_back(MetricStats(rows, metric));
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
