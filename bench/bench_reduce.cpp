// 缩水选号: ten conditions over all 10^7 candidates on two threads, counted (under 0.3 s);
// writing 1,000,000 kept bets (under 0.5 s); the strategy check over 100 draws with static
// conditions (under 5 s) and with a pattern condition (dominated by its searches: compare with
// bench_backtest's 100 rows).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/BenchDraws.h"
#include "reduce/ReduceCheck.h"
#include "reduce/ReduceCount.h"

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

}  // namespace

BENCHMARK(BM_CountTenConditions)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CountAndKeepBets)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteMillionBets)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckStatic)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CheckWithRepeats)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CheckWithPatterns)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK_MAIN();
