#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <ctime>
#include <random>

#include "bench/BenchDraws.h"
#include "search/SearchEngine.h"
#include "tests/support/SearchReference.h"

namespace {

// Counts the patterns and frees them at once.
class TCountingSink : public ISearchSink {
  public:
    int64_t Patterns = 0;
    int64_t Notes = 0;
    void Progress(int64_t) override { ++Notes; }
    void Found(std::unique_ptr<TGui2Reg>, int64_t) override { ++Patterns; }
};

TSearchRequest MakeRequest(const SearchOptions& options, const TCodes& draws, int threads) {
    TSearchRequest request;
    request.Options = options;
    request.Draws = &draws;
    request.Threads = threads;
    request.Seed = 1;
    return request;
}

void SetTotals(benchmark::State& state, const TSearchTotals& totals) {
    state.counters["candidates"] = static_cast<double>(totals.Candidates);
    state.counters["builds"] = static_cast<double>(totals.Builds);
    state.counters["patterns"] = static_cast<double>(totals.Found);
}

// Arguments: draw count, engine threads (0 = every core). drawingOrder: the found patterns come
// in drawing order, or in the walk's order (as the backtest asks).
void RunWith(benchmark::State& state, const SearchOptions& options, bool drawingOrder = true) {
    const auto draws = BenchDraws(static_cast<int32_t>(state.range(0)));
    TSearchRequest request = MakeRequest(options, *draws, static_cast<int>(state.range(1)));
    request.DrawingOrder = drawingOrder;
    TJobControl stop;
    TSearchTotals totals;
    for (auto _ : state) {
        TCountingSink sink;
        totals = RunSearch(request, sink, stop);
        benchmark::DoNotOptimize(sink.Patterns);
    }
    SetTotals(state, totals);
}

void BM_Heavy(benchmark::State& state) {
    RunWith(state, HeavyOptions());
}
// Arguments: draw count, engine threads, ordered (1 drawing order, 0 the walk's order).
void BM_HeavyOrdered(benchmark::State& state) {
    RunWith(state, HeavyOptions(), state.range(2) != 0);
}
void BM_Default(benchmark::State& state) {
    RunWith(state, SearchOptions{});
}

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The tail columns on 2,496 draws, one engine thread, against the plain walk in the same run:
// "speedup" is the plain walk's CPU time over the engine's.
void BM_TailAgainstPlainWalk(benchmark::State& state) {
    const auto draws = BenchDraws(2496);
    SearchOptions options;
    options.RefTailChk = true;
    const TSearchRequest request = MakeRequest(options, *draws, 1);
    TJobControl stop;
    double plainSeconds = 0;
    {
        TCountingSink sink;
        const double start = ProcessSeconds();
        RunReferenceSearch(request, sink, stop);
        plainSeconds = ProcessSeconds() - start;
    }
    double engineSeconds = 0;
    int64_t runs = 0;
    TSearchTotals totals;
    for (auto _ : state) {
        TCountingSink sink;
        const double start = ProcessSeconds();
        totals = RunSearch(request, sink, stop);
        engineSeconds += ProcessSeconds() - start;
        ++runs;
    }
    SetTotals(state, totals);
    state.counters["plain_ms"] = plainSeconds * 1e3;
    state.counters["speedup"] = plainSeconds / (engineSeconds / static_cast<double>(runs));
}

// Putting lines of four grid cells in drawing order: the quick way the engine uses (each step
// measured once) against the literal way (every path measured step by step). Argument: 1 quick,
// 0 literal.
void BM_DrawingOrder(benchmark::State& state) {
    std::mt19937 random(7);
    std::vector<std::unique_ptr<TGui2Reg>> patterns;
    for (int i = 0; i < 10000; ++i) {
        auto& pattern = patterns.emplace_back(std::make_unique<TGui2Reg>());
        for (int32_t l = 0; l < TGui2Reg::LineCount; ++l)
            for (int32_t k = 0; k < 4; ++k)
                pattern->Line(l).Add(
                    {static_cast<int32_t>(random() % 8), -static_cast<int32_t>(random() % 10)});
    }
    const bool quick = state.range(0) != 0;
    for (auto _ : state) {
        for (auto& pattern : patterns) {
            if (quick)
                pattern->OrderByShortestPath();
            else
                OrderLinesLiterally(*pattern);
        }
        benchmark::DoNotOptimize(patterns.front()->Line(0).Items());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(patterns.size()));
}

// Heap bytes one kept pattern costs: the object and its blocks, as the allocator counts them.
void BM_PatternMemory(benchmark::State& state) {
    const auto draws = BenchDraws();
    SearchOptions options = HeavyOptions();
    options.LinedDistMaxSe = 3;
    const TSearchRequest request = MakeRequest(options, *draws, 0);
    TJobControl stop;
    class TKeepingSink : public ISearchSink {
      public:
        std::vector<std::unique_ptr<TGui2Reg>> Kept;
        void Progress(int64_t) override {}
        void Found(std::unique_ptr<TGui2Reg> p, int64_t) override { Kept.push_back(std::move(p)); }
    };
    double perPattern = 0;
    for (auto _ : state) {
        TKeepingSink sink;
        sink.Kept.reserve(4000000);
        const size_t before = mallinfo2().uordblks;
        RunSearch(request, sink, stop);
        const size_t after = mallinfo2().uordblks;
        perPattern = static_cast<double>(after - before) / static_cast<double>(sink.Kept.size());
        state.counters["patterns"] = static_cast<double>(sink.Kept.size());
    }
    state.counters["bytes_per_pattern"] = perPattern;
}

}  // namespace

// The CPU column counts every thread of the process; wall time is noisy on a shared machine.
BENCHMARK(BM_Heavy)
    ->ArgNames({"draws", "threads"})
    ->Args({300, 1})
    ->Args({300, 0})
    ->Args({2496, 1})
    ->Args({2496, 0})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);
// The heavy set on one thread with and without the drawing order of the found patterns.
BENCHMARK(BM_HeavyOrdered)
    ->ArgNames({"draws", "threads", "ordered"})
    ->Args({2496, 1, 1})
    ->Args({2496, 1, 0})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_DrawingOrder)->ArgName("quick")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Default)
    ->ArgNames({"draws", "threads"})
    ->Args({300, 1})
    ->Args({300, 0})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_TailAgainstPlainWalk)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PatternMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
