// 缩水选号: ten conditions over all 10^7 candidates on two threads, counted; writing 1,000,000
// kept bets; the strategy check over 100 draws with static conditions, with 重号 and with a
// pattern condition; the 规律 2600 check of the last 100 of 2,000 draws beside the backtest of
// the same draws (process CPU: the check is held within 6 times the backtest), and the single
// count of that condition after one search of the 2,000 draws (tolvane-search reduce).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/BenchDraws.h"
#include "bench/CountingBacktest.h"
#include "reduce/ReduceCheck.h"
#include "reduce/ReduceCount.h"
#include "search/SearchEngine.h"

namespace {

// Ten conditions of every kind of table: one position, a digit killed everywhere, a digit that
// must appear, sums, span, ratios, roads, AC and 重号 against the previous draw; one may fail.
const char* const TenConditions =
    "定位 A 0123456\n杀号 * 9\n胆码 3 1\n和值 20-40\n跨度 5-9\n奇偶比 2,3,4,5\n大小比 2-5\n"
    "012路 2:3:2,3:2:2,2:2:3,3:3:1\nAC值 2-5\n重号 0-2\n容错 1\n";

TReduceContext Context() {
    TReduceContext context;
    context.Previous = TShapeDraw{1, 2, 3, 4, 5, 6, 7};
    return context;
}

void BM_CountTenConditions(benchmark::State& state) {
    const TReduceSet set = ReadReduceSet(TenConditions);
    TJobControl never;
    for (auto _ : state) {
        const TReducePlan plan(set, Context());
        benchmark::DoNotOptimize(CountReduced(plan, false, 2, never).Kept);
    }
    state.SetItemsProcessed(state.iterations() * ReduceCandidateCount);
}

void BM_CountAndKeepBets(benchmark::State& state) {
    const TReduceSet set = ReadReduceSet(TenConditions);
    TJobControl never;
    const TReducePlan plan(set, Context());
    for (auto _ : state) benchmark::DoNotOptimize(CountReduced(plan, true, 2, never).Bets.size());
}

void BM_WriteMillionBets(benchmark::State& state) {
    std::vector<int32_t> bets(1'000'000);
    for (size_t i = 0; i < bets.size(); ++i) bets[i] = static_cast<int32_t>(i * 10);
    const std::string path =
        (std::filesystem::temp_directory_path() / "tolvane_bench_bets.txt").string();
    for (auto _ : state) WriteBetsFile(path, bets);
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(bets.size()));
}

void BM_CheckStatic(benchmark::State& state) {
    const auto draws = BenchDraws(300);
    // Static: no condition reads the previous draw, so one count serves every draw.
    const TReduceSet set = ReadReduceSet(
        "定位 A 0123456\n杀号 * 9\n胆码 3 1\n和值 20-40\n跨度 5-9\n奇偶比 2,3,4,5\n大小比 2-5\n"
        "012路 2:3:2,3:2:2,2:2:3,3:3:1\nAC值 2-5\n连号 1-3\n容错 1\n");
    TJobControl never;
    for (auto _ : state) {
        TReduceCheckJob job = MakeReduceCheckJob(*draws, set, 100, {});
        job.CountThreads = 2;
        benchmark::DoNotOptimize(RunReduceCheck(job, never).Summary.Z);
    }
}

void BM_CheckWithRepeats(benchmark::State& state) {
    const auto draws = BenchDraws(300);
    const TReduceSet set = ReadReduceSet(TenConditions);
    TJobControl never;
    for (auto _ : state) {
        TReduceCheckJob job = MakeReduceCheckJob(*draws, set, 100, {});
        job.CountThreads = 2;
        benchmark::DoNotOptimize(RunReduceCheck(job, never).Summary.Z);
    }
}

void BM_CheckWithPatterns(benchmark::State& state) {
    const auto draws = BenchDraws(300);
    const TReduceSet set = ReadReduceSet("和值 20-40\n规律 全部\n");
    TJobControl never;
    for (auto _ : state) {
        TReduceCheckJob job = MakeReduceCheckJob(*draws, set, 100, {});
        job.CountThreads = 2;
        job.SearchThreads = 2;
        benchmark::DoNotOptimize(RunReduceCheck(job, never).Summary.Z);
    }
}

const char* const PatternCount = "规律 2600\n";

void BM_CheckPatternCountOf2000(benchmark::State& state) {
    const auto draws = BenchDraws(2000);
    const TReduceSet set = ReadReduceSet(PatternCount);
    TJobControl never;
    for (auto _ : state) {
        const TReduceCheckJob job = MakeReduceCheckJob(*draws, set, 100, {});
        benchmark::DoNotOptimize(RunReduceCheck(job, never).Summary.Z);
    }
}

void BM_BacktestOf2000(benchmark::State& state) {
    const auto draws = BenchDraws(2000);
    TBacktestRequest request;
    request.Draws = draws.get();
    request.Rows = 100;
    request.SearchThreads = 1;
    TJobControl never;
    for (auto _ : state) {
        TCountingBacktest sink;
        RunBacktest(request, sink, never);
        benchmark::DoNotOptimize(sink.Patterns);
    }
}

void BM_CountPatternsOf2000(benchmark::State& state) {
    const auto draws = BenchDraws(2000);
    TSearchRequest search;
    search.Draws = draws.get();
    search.DrawingOrder = false;
    TPatternFormSink sink(*draws);
    TJobControl never;
    RunSearch(search, sink, never);
    TReduceContext context;
    context.Patterns = sink.Forms;
    const TReduceSet set = ReadReduceSet(PatternCount);
    for (auto _ : state) {
        const TReducePlan plan(set, context);
        benchmark::DoNotOptimize(CountReduced(plan, false, 2, never).Kept);
    }
    state.counters["patterns"] = static_cast<double>(context.Patterns.size());
}

}  // namespace

BENCHMARK(BM_CountTenConditions)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_CountAndKeepBets)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_WriteMillionBets)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_CheckStatic)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_CheckWithRepeats)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_CheckWithPatterns)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_CheckPatternCountOf2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_BacktestOf2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(1);
BENCHMARK(BM_CountPatternsOf2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK_MAIN();
