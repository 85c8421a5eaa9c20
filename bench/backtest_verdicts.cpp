// How often the backtest's overall verdict reads "高于随机水平" or "低于随机水平" on random
// draws, where no pattern can do better or worse than chance, for the settings where the
// per-draw t went wrong: the defaults (dense: thousands of patterns a draw) and 全明 with few
// patterns a draw. Each direction is a test at 2.5%; a measured rate is over it when it exceeds
// 2.5% by more than two standard errors of the measurement.
// Arguments: [backtests per setting] [first seed]; defaults 200 1. Exit status 1 when a rate is
// over its level. Prints one table row per setting.
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

struct TSetting {
    const char* Name;
    int32_t Window;
    int32_t Contrast;  // SumConstrastGbx
    int32_t Steps;     // SecCountSe
    bool Sum;          // RefSumChk
};

double Error(double rate, int64_t of) {
    return of > 0 ? std::sqrt(rate * (1 - rate) / static_cast<double>(of)) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int backtests = argc > 1 ? std::atoi(argv[1]) : 200;
    const uint64_t firstSeed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const TSetting settings[] = {
        {"默认 W=12", 12, 0, 4, false},
        {"默认 W=40", 40, 0, 4, false},
        {"全明 和值参与 W=12", 12, 1, 4, true},
        {"全明 SecCountSe=6 W=12", 12, 1, 6, false},
        {"全明 SecCountSe=7 W=40", 40, 1, 7, false},
    };
    const double half = VerdictLevel / 2;
    bool within = true;
    std::printf("| 设置 | 回测次数 | 高于随机水平 | 低于随机水平 | 上限（2.5%% + 2 个标准误） |\n");
    std::printf("|---|---|---|---|---|\n");
    TJobControl stop;
    for (const TSetting& setting : settings) {
        int64_t above = 0;
        int64_t below = 0;
        for (int i = 0; i < backtests; ++i) {
            const uint64_t seed = firstSeed + static_cast<uint64_t>(i);
            const auto draws = RandomDraws(static_cast<uint32_t>(seed), setting.Window + 60);
            TBacktestRequest request;
            request.Draws = draws.get();
            request.Options.SumConstrastGbx = setting.Contrast;
            request.Options.SecCountSe = setting.Steps;
            request.Options.RefSumChk = setting.Sum;
            request.Rows = setting.Window;
            request.Workers = 0;
            request.Seed = seed;
            TQuietSink sink;
            const auto rows = RunBacktest(request, sink, stop).Rows;
            const TBacktestVerdict verdict =
                SummarizeBacktest(rows, request.Options.SecCountSe).Total.Verdict;
            above += verdict == TBacktestVerdict::Above ? 1 : 0;
            below += verdict == TBacktestVerdict::Below ? 1 : 0;
        }
        const double n = backtests;
        const double limit = half + 2 * Error(half, backtests);
        std::printf("| %s | %d | %.1f%% | %.1f%% | %.1f%% |\n", setting.Name, backtests,
                    above / n * 100, below / n * 100, limit * 100);
        std::fflush(stdout);
        within = within && above / n <= limit && below / n <= limit;
    }
    std::printf("%s\n", within ? "within the level" : "OVER THE LEVEL");
    return within ? 0 : 1;
}
