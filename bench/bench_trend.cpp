#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchDraws.h"
#include "stats/TrendStats.h"

namespace {

const TCodes& Draws() {
    static const auto draws = BenchDraws(100'000);
    return *draws;
}

// The five statistics of all seven positions and the sums, over every draw (must stay < 30 ms).
void BM_TrendStats(benchmark::State& state) {
    const TCodes& draws = Draws();
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeTrendStats(draws, LastDraws(draws.Count(), 0)));
    state.SetItemsProcessed(state.iterations() * draws.Count());
}

// Choosing a position: the omission table of one position over every draw.
void BM_OmissionTable(benchmark::State& state) {
    const TCodes& draws = Draws();
    for (auto _ : state)
        benchmark::DoNotOptimize(TOmissionTable(draws, LastDraws(draws.Count(), 0), 3));
}

// One screenful of cell values somewhere in the middle, as a paint reads it.
void BM_OmissionScreen(benchmark::State& state) {
    const TCodes& draws = Draws();
    const TOmissionTable table(draws, LastDraws(draws.Count(), 0), 3);
    std::vector<int32_t> values;
    int32_t row = 0;
    for (auto _ : state) {
        row = (row + 7919) % (table.Length() - 60);
        benchmark::DoNotOptimize(table.Fill(row, 60, values));
    }
}

}  // namespace

BENCHMARK(BM_TrendStats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OmissionTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OmissionScreen)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
