#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>
#include <random>
#include <vector>

#include "app/patterns/PatternListModel.h"
#include "search/PatternRows.h"

namespace {

constexpr int TwoMillion = 2'000'000;

// Patterns shaped like search results: 2-3 points per line, 4-9 steps, mixed layouts.
const std::vector<std::unique_ptr<TGui2Reg>>& Patterns() {
    static std::vector<std::unique_ptr<TGui2Reg>> patterns = [] {
        std::vector<std::unique_ptr<TGui2Reg>> list;
        list.reserve(TwoMillion);
        std::mt19937 random(7);
        for (int i = 0; i < TwoMillion; ++i) {
            auto p = std::make_unique<TGui2Reg>();
            const int high = 2 + static_cast<int>(random() % 2);
            const int low = 2 + static_cast<int>(random() % 2);
            for (int k = 0; k < high; ++k) p->Line(1).Add(TPoint{1 + k, -1 - k});
            for (int k = 0; k < low; ++k) p->Line(0).Add(TPoint{1 + k, -k});
            const int steps = 4 + static_cast<int>(random() % 6);
            for (int s = 0; s < steps; ++s)
                p->AddStep(
                    {static_cast<int32_t>(random() % 10), static_cast<int32_t>(random() % 10)});
            p->Layout = 1 + static_cast<int>(random() % 4);
            p->ContrastKind = 3;
            p->SetPosition(0, 1 + static_cast<int>(random() % 4), true);
            p->SetResult(0, static_cast<int32_t>(random() % 10));
            list.push_back(std::move(p));
        }
        return list;
    }();
    return patterns;
}

std::vector<const TGui2Reg*> Pointers() {
    std::vector<const TGui2Reg*> out;
    out.reserve(Patterns().size());
    for (const auto& p : Patterns()) out.push_back(p.get());
    return out;
}

// Rows arriving from a running search, in batches.
void BM_AppendTwoMillionInBatches(benchmark::State& state) {
    const std::vector<const TGui2Reg*> all = Pointers();
    const size_t batch = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        TPatternListModel model;
        for (size_t i = 0; i < all.size(); i += batch) {
            const size_t n = std::min(batch, all.size() - i);
            model.Append(std::span<const TGui2Reg* const>(all.data() + i, n));
        }
        benchmark::DoNotOptimize(model.RowCount());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(all.size()));
}
BENCHMARK(BM_AppendTwoMillionInBatches)
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_SortTwoMillionByColumn(benchmark::State& state) {
    TPatternListModel model;
    model.Reset(Pointers());
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        model.SortByColumn(column);
        state.PauseTiming();
        model.SortByColumn(0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortTwoMillionByColumn)
    ->DenseRange(0, 6)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// The core of the list without a model: two million rows dealt into their "点" buckets, and
// the order of a sort by each column.
void BM_PatternRowsInPointsOrder(benchmark::State& state) {
    const std::vector<const TGui2Reg*> all = Pointers();
    for (auto _ : state) {
        const TPatternRows rows = TPatternRows::InPointsOrder(all);
        benchmark::DoNotOptimize(rows.Count());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(all.size()));
}
BENCHMARK(BM_PatternRowsInPointsOrder)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_PatternSortOrder(benchmark::State& state) {
    const std::vector<const TGui2Reg*> all = Pointers();
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(PatternSortOrder(all, column, false, nullptr));
}
BENCHMARK(BM_PatternSortOrder)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
