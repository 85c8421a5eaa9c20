#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "search/Gui2Reg.h"
#include "stats/StatTally.h"

namespace {

// Patterns with the marks a search leaves: one or two positions on the low line, sometimes one
// on the high line, digits 0-9.
const std::vector<std::unique_ptr<TGui2Reg>>& Patterns(int count) {
    static std::vector<std::unique_ptr<TGui2Reg>> patterns;
    if (static_cast<int>(patterns.size()) == count) return patterns;
    patterns.clear();
    patterns.reserve(static_cast<size_t>(count));
    std::mt19937 random(11);
    for (int i = 0; i < count; ++i) {
        auto p = std::make_unique<TGui2Reg>();
        const int lowMarks = 1 + static_cast<int>(random() % 2);
        for (int m = 0; m < lowMarks; ++m) p->SetPosition(0, static_cast<int>(random() % 8), true);
        if (random() % 3 == 0) p->SetPosition(1, static_cast<int>(random() % 8), true);
        p->SetResult(0, static_cast<int32_t>(random() % 10));
        p->SetResult(1, static_cast<int32_t>(random() % 10));
        patterns.push_back(std::move(p));
    }
    return patterns;
}

void BM_Statistic(benchmark::State& state, TStatKind kind) {
    const auto& patterns = Patterns(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(RunStatistic(kind, patterns));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK_CAPTURE(BM_Statistic, FixedDigit, skFixedDigit)
    ->Arg(1'000'000)
    ->Arg(2'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Statistic, PairSum, skPairSum)->Arg(2'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Statistic, PairDiff, skPairDiff)
    ->Arg(2'000'000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
