#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data/Hao.h"
#include "stats/ChanceFit.h"
#include "stats/ShapeMetrics.h"
#include "stats/TrendStats.h"

// The shape metrics over a window of the draw history: each draw's category, the omission
// statistics of every category (as the trend chart's digits), the counts chance expects and
// the fit of the two. A draw is read with the draw before it (before the window too) for the
// metrics that need one; the first draw, and a stored draw that is not seven digits, has no
// category and is left out of counts and chances alike.

struct TShapeMetricStats {
    TShapeMetric Metric;
    TCategoryTrend Trend;  // 出现次数, 当前遗漏, 最大遗漏, 平均遗漏, 最大连出
    std::vector<double> Expected;  // 理论次数
    TChanceFit Fit;

    explicit TShapeMetricStats(const TShapeMetric& metric)
        : Metric(metric),
          Trend(metric.CategoryCount()),
          Expected(static_cast<size_t>(metric.CategoryCount()), 0.0) {}
};

struct TShapeStats {
    TTrendWindow Window;
    std::vector<TShapeMetricStats> Metrics;  // AllShapeMetrics' order
};

// The category of every window row, TOmissionTable::NoDigit where there is none.
std::vector<uint8_t> ShapeRowCategories(const TCodes& draws, TTrendWindow window,
                                        const TShapeMetric& metric);

// One metric's statistics over the window.
TShapeMetricStats ComputeShapeMetricStats(const TCodes& draws, TTrendWindow window,
                                          const TShapeMetric& metric);
// Every metric's, in the charts' order.
TShapeStats ComputeShapeStats(const TCodes& draws, TTrendWindow window,
                              TShapeConventions conventions = {});

// The digits of one position read against chance the same way: 理论次数 is a tenth of the
// digits counted for every digit.
std::array<double, TrendDigitCount> DigitExpected(const TPositionTrend& trend);
TChanceFit DigitFit(const TPositionTrend& trend);
