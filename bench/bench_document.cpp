// Work document and pattern manager at list sizes the search produces: saving, opening and
// deleting many selected rows.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "search/Gui2RegMgr.h"
#include "search/WorkDocument.h"

namespace {

std::unique_ptr<TGui2Reg> MakePattern(int seed) {
    auto reg = std::make_unique<TGui2Reg>();
    reg->Line(0).Add({1, 0});
    reg->Line(0).Add({2, -1});
    reg->Line(0).Add({3, -2});
    reg->Line(1).Add({1 + seed % 4, -1});
    reg->Line(1).Add({4, -3});
    reg->Layout = 1 + seed % 4;
    reg->ContrastKind = 3;
    reg->BaseRow = 300;
    for (int s = 0; s < 4; ++s) reg->AddStep({(s + seed) % 10, (s + seed + 5) % 10});
    reg->SetPosition(0, 1, true);
    reg->SetResult(0, seed % 10);
    return reg;
}

void Fill(TGui2RegMgr& manager, int64_t count) {
    for (int64_t i = 0; i < count; ++i) manager.Add(MakePattern(static_cast<int>(i)));
}

std::string TempPath() {
    std::string folder = "/tmp/tolvane_bench_XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) std::abort();
    return folder + "/doc.gtmq";
}

void BM_SaveDocument(benchmark::State& state) {
    SearchOptions options;
    TGui2RegMgr manager(options);
    TCodes grid;
    Fill(manager, state.range(0));
    const std::string path = TempPath();
    for (auto _ : state) SaveWorkDocument(path, grid, manager);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_OpenDocument(benchmark::State& state) {
    SearchOptions options;
    TGui2RegMgr manager(options);
    TCodes grid;
    Fill(manager, state.range(0));
    const std::vector<uint8_t> bytes = WriteWorkDocument(grid, manager);
    manager.Clear();
    for (auto _ : state) {
        ReadWorkDocument(bytes, grid, manager);
        benchmark::DoNotOptimize(manager.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_DeleteEveryOtherRow(benchmark::State& state) {
    SearchOptions options;
    TGui2RegMgr manager(options);
    std::vector<int32_t> selected;
    for (int32_t i = 0; i < state.range(0); i += 2) selected.push_back(i);
    for (auto _ : state) {
        state.PauseTiming();
        manager.Clear();
        Fill(manager, state.range(0));
        state.ResumeTiming();
        manager.DeleteIndices(selected);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(selected.size()));
}

}  // namespace

BENCHMARK(BM_SaveDocument)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDocument)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteEveryOtherRow)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
