// The download without its wait: reading and decoding a reply, and one whole request to the
// local draw service (tolvane-drawsvc) on this machine.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "data/DownloadCodec.h"
#include "data/DrawText.h"
#include "data/Error.h"
#include "data/TextCodec.h"
#include "data/net/DataDown.h"
#include "tests/support/DrawServiceProcess.h"

namespace {

std::string DrawNumber(int i) {
    return ZeroPad7(static_cast<int32_t>((static_cast<uint32_t>(i) * 2654435761u) % 10000000u));
}

std::string Reply(int draws) {
    std::string body = EncodeGbk("成功") + "\r\n";
    for (int i = 0; i < draws; ++i) {
        const int issue = 2000001 + i;
        body += std::to_string(issue) + "#" + std::to_string(i + 1) + "#" +
                ScrambleDraw(DrawKey(), issue, DrawNumber(i)) + "\r\n";
    }
    return body;
}

void BM_ReadAndDecodeReply(benchmark::State& state) {
    const std::string body = Reply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto numbers = DecodeReceivedItems(ParseDownloadReply(body), DrawKey());
        benchmark::DoNotOptimize(numbers.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ReadAndDecodeReply)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_FetchFromLocalService(benchmark::State& state) {
    std::string folder = "/tmp/tolvane_bench_XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) return state.SkipWithError("no temporary folder");
    const std::string path = folder + "/draws.txt";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < state.range(0); ++i) out << DrawNumber(i) << "\r\n";
    }
    ::setenv("no_proxy", "*", 1);
    TDrawServiceProcess service(TOLVANE_DRAWSVC_PATH, {"--draws", path});
    if (service.Url.empty()) return state.SkipWithError("the service did not start");
    const std::string url = BuildRequestUrl({service.Url, "", ""});
    const std::atomic<bool> stop{false};
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(
                ParseDownloadReply(FetchUrl(url, std::chrono::seconds(30), stop, service.Url))
                    .size());
        } catch (const TError& e) {
            return state.SkipWithError(e.what());
        }
    }
    std::remove(path.c_str());
    ::rmdir(folder.c_str());
}
BENCHMARK(BM_FetchFromLocalService)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
