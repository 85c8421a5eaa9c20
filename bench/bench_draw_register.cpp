// Adding draws without replacing the history, and the draw register beside the document.
#include <benchmark/benchmark.h>

#include <string>

#include "data/DrawMerge.h"
#include "data/DrawRegister.h"
#include "data/FileIo.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/TempFolder.h"

namespace {

TDrawRegister Issues(int32_t first, int32_t count) {
    TDrawRegister reg;
    for (int32_t i = 0; i < count; ++i)
        reg.Rows.push_back({std::to_string(first + i), "2024-01-02"});
    return reg;
}

// The source: the document's draws from a quarter on, one differing, and 1,000 newer ones.
TIncomingDraws Source(const TCodes& truth, int32_t documentCount, bool issues) {
    TIncomingDraws in;
    for (int32_t r = documentCount / 4; r < truth.Count(); ++r) {
        in.Numbers.push_back(DrawNumberOf(truth.Rows()[r]));
        in.Identities.push_back({issues ? std::to_string(1000000 + r) : "", ""});
    }
    in.Numbers[10] = (in.Numbers[10] + 1) % 10000000;
    return in;
}

// Planning and applying an update of a document of range(0) draws; range(1): 1 by 期号,
// 0 by the overlap of the newest draws.
void BM_PlanAndMerge(benchmark::State& state) {
    const auto count = static_cast<int32_t>(state.range(0));
    const bool issues = state.range(1) != 0;
    const auto truth = RandomDraws(17, count + 1000);
    const auto mine = RandomDraws(17, count);
    const TDrawRegister reg = issues ? Issues(1000000, count) : TDrawRegister();
    const TIncomingDraws in = Source(*truth, count, issues);
    for (auto _ : state) {
        state.PauseTiming();
        TCodes draws;
        draws.Assign(*mine);
        TDrawRegister target = reg;
        state.ResumeTiming();
        const TDrawMergePlan plan = PlanDrawMerge(draws, target, in);
        ApplyDrawMerge(plan, in, true, draws, target);
        if (draws.Count() != count + 1000 || plan.Differences.size() != 1)
            state.SkipWithError("the merge went wrong");
    }
}
BENCHMARK(BM_PlanAndMerge)->Args({100000, 1})->Args({100000, 0})->Unit(benchmark::kMillisecond);

// What the register adds to saving and opening a document of 2,500 draws: its text written
// through the atomic writer, then read and checked.
void BM_RegisterWriteAndRead(benchmark::State& state) {
    const auto draws = RandomDraws(18, 2500);
    const TDrawRegister reg = Issues(2014001, 2500);
    const std::string path = TempFolder("tolvane_bench_register") + "/doc.gtmq.issues";
    for (auto _ : state) {
        WriteFileAtomically(path, RegisterText(reg, *draws));
        const TDrawRegister back = ParseRegister(ReadTextFile(path), *draws);
        if (back.Count() != 2500) state.SkipWithError("the register did not read back");
    }
}
BENCHMARK(BM_RegisterWriteAndRead)->Unit(benchmark::kMillisecond);

// The same without the disk: making the text and reading it back.
void BM_RegisterTextAndParse(benchmark::State& state) {
    const auto draws = RandomDraws(18, 2500);
    const TDrawRegister reg = Issues(2014001, 2500);
    for (auto _ : state) {
        const TDrawRegister back = ParseRegister(RegisterText(reg, *draws), *draws);
        if (back.Count() != 2500) state.SkipWithError("the register did not read back");
    }
}
BENCHMARK(BM_RegisterTextAndParse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
