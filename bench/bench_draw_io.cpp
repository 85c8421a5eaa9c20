// Reading draw files as results sites give them.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/DrawTable.h"
#include "data/FileIo.h"
#include "search/PatternExport.h"
#include "tests/support/RandomDraws.h"

namespace {

// A newest-first table with a header: issue, date, seven one-digit fields, a prize column.
std::string ResultsSiteTable(int32_t lines) {
    const std::vector<std::string> draws = RandomDrawLines(20240607, lines);
    std::string text = "期号,开奖日期,一,二,三,四,五,六,七,奖金\r\n";
    for (int32_t i = lines - 1; i >= 0; --i) {
        const int32_t year = 2000 + i / 150;
        text += std::to_string(year * 1000 + i % 150 + 1) + "," + std::to_string(year) + "-0" +
                std::to_string(1 + i % 9) + "-1" + std::to_string(i % 10);
        for (const char digit : draws[static_cast<size_t>(lines - 1 - i)]) {
            text += ',';
            text += digit;
        }
        text += ",\"5,000,000\"\r\n";
    }
    return text;
}

void BM_ReadTable(benchmark::State& state) {
    const std::string text = ResultsSiteTable(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        const TDrawFileReading reading = ReadDrawFile(text);
        benchmark::DoNotOptimize(reading.Rows.data());
        if (reading.Rows.size() != static_cast<size_t>(state.range(0)) || !reading.Reversed)
            state.SkipWithError("the table was misread");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadTable)->Arg(100000)->Unit(benchmark::kMillisecond);

// The results site's own columns: the digits apart in one field, money in quotes with thousands
// separators, a weekday-free date, newest first; decoded, recognised and read as the import
// and its preview do (the preview shows the reading's ends).
std::string ResultsSiteFile(int32_t lines) {
    const std::vector<std::string> draws = RandomDrawLines(20261208, lines);
    std::string text = "期号,开奖日期,开奖号码,销售额(元),一等奖注数\r\n";
    for (int32_t i = lines - 1; i >= 0; --i) {
        const int32_t year = 2000 + i / 150;
        text += std::to_string(year * 1000 + i % 150 + 1) + "," + std::to_string(year) + "-0" +
                std::to_string(1 + i % 9) + "-1" + std::to_string(i % 10) + ",";
        const std::string& draw = draws[static_cast<size_t>(lines - 1 - i)];
        for (size_t k = 0; k < draw.size(); ++k) {
            if (k > 0) text += ' ';
            text += draw[k];
        }
        text +=
            ",\"12,701," + std::to_string(100 + i % 900) + "\"," + std::to_string(i % 4) + "\r\n";
    }
    return text;
}

void BM_RecogniseResultsSiteFile(benchmark::State& state) {
    const std::string bytes = ResultsSiteFile(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        const TDrawFileText file(bytes);
        const TDrawTableLayout layout = file.DetectLayout();
        const TDrawFileReading reading = file.ReadTable(layout);
        benchmark::DoNotOptimize(reading.Rows.data());
        if (reading.Rows.size() != static_cast<size_t>(state.range(0)) || layout.DrawSplit ||
            layout.DrawColumn != 2)
            state.SkipWithError("the file was misread");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_RecogniseResultsSiteFile)->Arg(100000)->Unit(benchmark::kMillisecond);

// A thousand different patterns, each listed many times: the rows cost what real rows cost
// without holding millions of patterns in memory.
class PatternRows {
  public:
    explicit PatternRows(int64_t count) {
        std::mt19937 random(7);
        for (int i = 0; i < 1000; ++i) {
            auto p = std::make_unique<TGui2Reg>();
            for (int k = 0; k < 2 + i % 2; ++k)
                p->Line(1).Add(TPoint{static_cast<int32_t>(random() % 8), -k});
            for (int k = 0; k < 2 + i % 3 / 2; ++k)
                p->Line(0).Add(TPoint{static_cast<int32_t>(random() % 8), -1 - k});
            for (int s = 0; s < 4 + i % 4; ++s)
                p->AddStep(
                    {static_cast<int32_t>(random() % 10), static_cast<int32_t>(random() % 10)});
            p->Layout = 1 + i % 4;
            p->ContrastKind = 1 + i % 3;
            p->BaseRow = 300 - i % 40;
            p->SetPosition(0, 1 + i % 7, true);
            p->SetPosition(1, 1 + (i + 3) % 7, true);
            p->SetResult(0, i % 10);
            p->SetResult(1, (i + 4) % 10);
            owned_.push_back(std::move(p));
        }
        for (int64_t r = 0; r < count; ++r) Rows.push_back(owned_[r % owned_.size()].get());
    }
    std::vector<const TGui2Reg*> Rows;

  private:
    std::vector<std::unique_ptr<TGui2Reg>> owned_;
};

void BM_ExportPatternTable(benchmark::State& state) {
    const PatternRows rows(state.range(0));
    const std::string path = "/tmp/tolvane_bench_patterns.csv";
    TJobControl control;
    int64_t reports = 0;
    control.SetWake([&] {
        ++reports;
        control.Looked();
    });
    for (auto _ : state) ExportPatternTable(path, rows.Rows, &control);
    state.counters["bytes"] = static_cast<double>(ReadWholeFile(path).size());
    state.counters["progress_reports"] = static_cast<double>(reports / state.iterations());
    std::remove(path.c_str());
}
BENCHMARK(BM_ExportPatternTable)->Arg(2000000)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same rows made into text without the disk.
void BM_FormatPatternTable(benchmark::State& state) {
    const PatternRows rows(state.range(0));
    int64_t bytes = 0;
    for (auto _ : state)
        WritePatternTable(rows.Rows, [&](std::string_view chunk) { bytes += chunk.size(); });
    benchmark::DoNotOptimize(bytes);
}
BENCHMARK(BM_FormatPatternTable)->Arg(2000000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
