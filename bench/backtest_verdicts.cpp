// How often the backtest's verdicts read "高于随机水平" or "低于随机水平" on random draws, where
// no pattern can do better or worse than chance: many small seeded backtests, each with its own
// draws, options and length. The overall line is judged at 5%; the groups under Holm's
// correction at a family-wise 5%, so the share of backtests with any group verdict should stay
// under 5% too.
// Arguments: [backtests] [first seed]; defaults 4000 1. Exit status 1 when a rate is over 5% by
// more than its sampling error.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "search/Backtest.h"
#include "search/BacktestVerdict.h"
#include "tests/support/RandomDraws.h"

namespace {

class TQuietSink : public IBacktestSink {
  public:
    void RowStarted(int32_t) override {}
    void RowScored(const TBacktestRow&, int32_t, int32_t) override {}
};

bool Read(TBacktestVerdict verdict) {
    return verdict == TBacktestVerdict::Above || verdict == TBacktestVerdict::Below;
}

double Rate(int64_t count, int64_t of) {
    return of > 0 ? static_cast<double>(count) / static_cast<double>(of) : 0;
}

// The standard error of a rate measured on of trials.
double Error(double rate, int64_t of) {
    return of > 0 ? std::sqrt(rate * (1 - rate) / static_cast<double>(of)) : 0;
}

void Report(const char* what, int64_t count, int64_t of) {
    const double rate = Rate(count, of);
    std::printf("%-44s %5lld of %5lld = %5.2f%% (± %.2f%%)\n", what, static_cast<long long>(count),
                static_cast<long long>(of), rate * 100, Error(rate, of) * 100);
}

// A measured rate is over the level when it exceeds it by more than two standard errors of the
// measurement (a test at exactly the level reads over it on half of the seed ranges otherwise).
bool OverTheLevel(int64_t count, int64_t of) {
    return Rate(count, of) > VerdictLevel + 2 * Error(VerdictLevel, of);
}

}  // namespace

int main(int argc, char** argv) {
    const int backtests = argc > 1 ? std::atoi(argv[1]) : 4000;
    const uint64_t firstSeed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const int32_t lengths[] = {12, 20, 30, 40};
    int64_t judged = 0, overall = 0, withGroupVerdict = 0, groupLines = 0, groupVerdicts = 0;
    int64_t noSpread = 0;
    const std::atomic<bool> stop{false};
    for (int i = 0; i < backtests; ++i) {
        const uint64_t seed = firstSeed + static_cast<uint64_t>(i);
        const auto draws =
            RandomDraws(static_cast<uint32_t>(seed), 60 + static_cast<int32_t>(seed % 41));
        TBacktestRequest request;
        request.Draws = draws.get();
        // Two points per line keep each draw's search short; the steps and the contrast vary
        // how many patterns each group gets, down to a few per draw.
        request.Options.LinedPtMaxSe = request.Options.LinegPtMaxSe = 2;
        request.Options.SecCountSe = 3 + static_cast<int32_t>(seed % 3);
        request.Options.SumConstrastGbx = static_cast<int32_t>((seed / 3) % 4);
        request.Rows = lengths[(seed / 12) % 4];
        request.Workers = 1;
        request.Seed = seed;
        TQuietSink sink;
        const auto rows = RunBacktest(request, sink, stop).Rows;
        const TBacktestSummary summary = SummarizeBacktest(rows, request.Options.SecCountSe);
        if (summary.Total.T.Rows >= FewestVerdictRows) ++judged;
        overall += Read(summary.Total.Verdict) ? 1 : 0;
        bool any = false;
        for (const TBacktestLine& line : summary.Groups) {
            if (line.T.Rows < FewestVerdictRows) continue;
            ++groupLines;
            noSpread += line.T.NoT == TNoTReason::NoSpread ? 1 : 0;
            if (Read(line.Verdict)) {
                ++groupVerdicts;
                any = true;
            }
        }
        withGroupVerdict += any ? 1 : 0;
    }
    std::printf("%d backtests on random draws (seeds %llu-%llu)\n", backtests,
                static_cast<unsigned long long>(firstSeed),
                static_cast<unsigned long long>(firstSeed + static_cast<uint64_t>(backtests) - 1));
    Report("overall line reads above/below (level 5%)", overall, backtests);
    Report("  of those with ten draws or more", overall, judged);
    Report("backtests with a group above/below (5%)", withGroupVerdict, backtests);
    Report("group lines above/below", groupVerdicts, groupLines);
    Report("group lines with no spread", noSpread, groupLines);
    const bool within =
        !OverTheLevel(overall, backtests) && !OverTheLevel(withGroupVerdict, backtests);
    std::printf("%s\n", within ? "within the level" : "OVER THE LEVEL");
    return within ? 0 : 1;
}
