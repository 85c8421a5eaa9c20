// One backtest over 2,500 draws for /usr/bin/time -v (peak memory).
// Arguments: [rows] [heavy | default] [workers] [search threads]; defaults 20 heavy 0 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/BenchDraws.h"
#include "bench/CountingBacktest.h"
#include "search/Backtest.h"
#include "search/BacktestVerdict.h"

int main(int argc, char** argv) {
    const auto draws = BenchDraws(2500);
    TBacktestRequest request;
    request.Draws = draws.get();
    request.Rows = argc > 1 ? std::atoi(argv[1]) : 20;
    const bool heavy = argc <= 2 || std::strcmp(argv[2], "heavy") == 0;
    if (heavy) request.Options = HeavyOptions();
    request.Workers = argc > 3 ? std::atoi(argv[3]) : 0;
    request.SearchThreads = argc > 4 ? std::atoi(argv[4]) : 1;
    TJobControl stop;
    TCountingBacktest sink;
    const auto start = std::chrono::steady_clock::now();
    const auto rows = RunBacktest(request, sink, stop).Rows;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const TBacktestSummary summary = SummarizeBacktest(rows, request.Options.SecCountSe);
    std::printf("rows %d patterns %lld in %.3f s: %s\n", summary.Rows,
                static_cast<long long>(sink.Patterns), seconds,
                BacktestSentence(summary, draws->Count()).c_str());
    return 0;
}
