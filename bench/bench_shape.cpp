// The shape metrics over 100,000 draws (every metric, its categories and omission statistics,
// its expected counts and fit: must stay under 50 ms), and the exact chances worked out from
// nothing (under 200 ms; the program does it once per run).
#include <benchmark/benchmark.h>

#include "bench/BenchDraws.h"
#include "stats/ShapeStats.h"

namespace {

const TCodes& Draws() {
    static const auto draws = BenchDraws(100'000);
    return *draws;
}

void BM_ShapeStats(benchmark::State& state) {
    const TCodes& draws = Draws();
    ShapeChances(TShapeMetric(TShapeMetricId::Sum));  // the chances are kept from the first call
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeShapeStats(draws, LastDraws(draws.Count(), 0)));
    state.SetItemsProcessed(state.iterations() * draws.Count());
}

// Choosing a metric in the 形态 tab: its row categories and omission table over every draw.
void BM_ShapeOmissionTable(benchmark::State& state) {
    const TCodes& draws = Draws();
    const TShapeMetric metric(TShapeMetricId::Roads);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            TOmissionTable(ShapeRowCategories(draws, LastDraws(draws.Count(), 0), metric),
                           metric.CategoryCount()));
}

// Every table the cache holds: each metric under both prime conventions, and 邻号 for each
// number of 0s and 9s in the previous draw.
void BM_ExactChances(benchmark::State& state) {
    for (auto _ : state) {
        const TShapeDraw fives{5, 5, 5, 5, 5, 5, 5};
        for (bool oneIsPrime : {true, false})
            for (const TShapeMetric& metric : AllShapeMetrics({oneIsPrime}))
                benchmark::DoNotOptimize(ShapeCategoryCounts(metric, &fives));
        for (int32_t edges = 0; edges <= ShapeDigitCount; ++edges) {
            TShapeDraw previous = fives;
            std::fill(previous.begin(), previous.begin() + edges, 0);
            benchmark::DoNotOptimize(
                ShapeCategoryCounts(TShapeMetric(TShapeMetricId::Neighbour), &previous));
        }
    }
}

}  // namespace

BENCHMARK(BM_ShapeStats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShapeOmissionTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExactChances)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
