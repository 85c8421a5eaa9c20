// One whole search with the heavy options on 300 draws, patterns counted and discarded.
// Arguments: [threads] [reference | stop | default | tail]; "stop" requests a stop after 300 ms
// and reports how long the search took to return after it; "default" searches with the default
// options instead, "tail" with the tail columns on 2,496 draws (for profiling either).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "bench/BenchDraws.h"
#include "search/SearchEngine.h"
#include "tests/support/SearchReference.h"

namespace {
class TCountingSink : public ISearchSink {
  public:
    int64_t Events = 0;
    void Progress(int64_t) override { ++Events; }
    void Found(std::unique_ptr<TGui2Reg>, int64_t) override { ++Events; }
};
}  // namespace

int main(int argc, char** argv) {
    const bool tail = argc > 2 && std::strcmp(argv[2], "tail") == 0;
    const auto draws = BenchDraws(tail ? 2496 : 300);
    TSearchRequest request;
    request.Options = HeavyOptions();
    request.Draws = draws.get();
    request.Threads = argc > 1 ? std::atoi(argv[1]) : 0;
    request.Seed = 1;
    const bool reference = argc > 2 && std::strcmp(argv[2], "reference") == 0;
    if (argc > 2 && std::strcmp(argv[2], "default") == 0) request.Options = SearchOptions{};
    if (tail) {
        request.Options = SearchOptions{};
        request.Options.RefTailChk = true;
    }
    TJobControl stop;
    TCountingSink sink;
    if (argc > 2 && std::strcmp(argv[2], "stop") == 0) {
        std::chrono::steady_clock::time_point returned;
        std::thread search([&] {
            RunSearch(request, sink, stop);
            returned = std::chrono::steady_clock::now();
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto requested = std::chrono::steady_clock::now();
        stop.Cancel();
        search.join();
        std::printf("returned %.3f ms after the stop request\n",
                    std::chrono::duration<double, std::milli>(returned - requested).count());
        return 0;
    }
    const auto start = std::chrono::steady_clock::now();
    const TSearchTotals totals =
        reference ? RunReferenceSearch(request, sink, stop) : RunSearch(request, sink, stop);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("candidates %lld builds %lld patterns %lld events %lld in %.3f s\n",
                static_cast<long long>(totals.Candidates), static_cast<long long>(totals.Builds),
                static_cast<long long>(totals.Found), static_cast<long long>(sink.Events), seconds);
    return 0;
}
