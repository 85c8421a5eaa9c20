// The backtest over 2,500 draws: the last 100 rows with the default options (rows searched side
// by side, or one row at a time with a parallel search), all rows with the default options,
// and 20 rows with the heavy options.
#include <benchmark/benchmark.h>

#include "bench/BenchDraws.h"
#include "bench/CountingBacktest.h"
#include "search/Backtest.h"

namespace {

void RunWith(benchmark::State& state, const SearchOptions& options, int32_t rows, int workers,
             int searchThreads) {
    const auto draws = BenchDraws(2500);
    TBacktestRequest request;
    request.Options = options;
    request.Draws = draws.get();
    request.Rows = rows;
    request.Workers = workers;
    request.SearchThreads = searchThreads;
    TJobControl stop;
    int64_t patterns = 0;
    for (auto _ : state) {
        TCountingBacktest sink;
        RunBacktest(request, sink, stop);
        patterns = sink.Patterns;
    }
    state.counters["patterns"] = static_cast<double>(patterns);
}

// Two rows at once, each search on one thread (the window's and the tool's choice).
void BM_Default100RowsSideBySide(benchmark::State& state) {
    RunWith(state, SearchOptions{}, 100, 0, 1);
}
// One row at a time, its search on every core.
void BM_Default100RowsParallelSearch(benchmark::State& state) {
    RunWith(state, SearchOptions{}, 100, 1, 0);
}
void BM_DefaultAllRows(benchmark::State& state) {
    RunWith(state, SearchOptions{}, 2500, 0, 1);
}
void BM_Heavy20Rows(benchmark::State& state) {
    RunWith(state, HeavyOptions(), 20, 0, 1);
}
void BM_Heavy20RowsParallelSearch(benchmark::State& state) {
    RunWith(state, HeavyOptions(), 20, 1, 0);
}

}  // namespace

BENCHMARK(BM_Default100RowsSideBySide)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3);
BENCHMARK(BM_Default100RowsParallelSearch)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3);
BENCHMARK(BM_DefaultAllRows)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_Heavy20Rows)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_Heavy20RowsParallelSearch)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);

BENCHMARK_MAIN();
