// Reading draw files as results sites give them.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "data/DrawTable.h"

namespace {

// A newest-first table with a header: issue, date, seven one-digit fields, a prize column.
std::string ResultsSiteTable(int32_t lines) {
    std::mt19937 random(20240607);
    std::string text = "期号,开奖日期,一,二,三,四,五,六,七,奖金\r\n";
    for (int32_t i = lines - 1; i >= 0; --i) {
        const int32_t year = 2000 + i / 150;
        text += std::to_string(year * 1000 + i % 150 + 1) + "," + std::to_string(year) + "-0" +
                std::to_string(1 + i % 9) + "-1" + std::to_string(i % 10);
        for (int k = 0; k < 7; ++k) text += "," + std::to_string(random() % 10);
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

}  // namespace

BENCHMARK_MAIN();
