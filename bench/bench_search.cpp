#include <benchmark/benchmark.h>
#include <malloc.h>

#include "bench/BenchDraws.h"
#include "search/SearchEngine.h"

namespace {

// Counts the patterns and frees them at once.
class TCountingSink : public ISearchSink {
  public:
    int64_t Patterns = 0;
    int64_t Notes = 0;
    void Progress(int64_t) override { ++Notes; }
    void Found(std::unique_ptr<TGui2Reg>, int64_t) override { ++Patterns; }
};

void RunWith(benchmark::State& state, const SearchOptions& options, int threads) {
    const auto draws = BenchDraws();
    TSearchRequest request;
    request.Options = options;
    request.Draws = draws.get();
    request.Threads = threads;
    request.Seed = 1;
    const std::atomic<bool> stop{false};
    TSearchTotals totals;
    for (auto _ : state) {
        TCountingSink sink;
        totals = RunSearch(request, sink, stop);
        benchmark::DoNotOptimize(sink.Patterns);
    }
    state.counters["candidates"] = static_cast<double>(totals.Candidates);
    state.counters["builds"] = static_cast<double>(totals.Builds);
    state.counters["patterns"] = static_cast<double>(totals.Found);
}

void BM_HeavyOneThread(benchmark::State& state) {
    RunWith(state, HeavyOptions(), 1);
}
void BM_HeavyAllThreads(benchmark::State& state) {
    RunWith(state, HeavyOptions(), 0);
}
void BM_DefaultAllThreads(benchmark::State& state) {
    RunWith(state, SearchOptions{}, 0);
}
void BM_DefaultOneThread(benchmark::State& state) {
    RunWith(state, SearchOptions{}, 1);
}

// Heap bytes one kept pattern costs: the object and its blocks, as the allocator counts them.
void BM_PatternMemory(benchmark::State& state) {
    const auto draws = BenchDraws();
    TSearchRequest request;
    request.Options = HeavyOptions();
    request.Options.LinedDistMaxSe = 3;
    request.Draws = draws.get();
    const std::atomic<bool> stop{false};
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

BENCHMARK(BM_HeavyOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_HeavyAllThreads)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DefaultOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DefaultAllThreads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PatternMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
