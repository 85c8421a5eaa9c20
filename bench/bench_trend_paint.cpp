// Cost of one screen of the trend chart over a window of 100,000 draws: what each scroll step
// of the 走势分析 window paints.
#include <benchmark/benchmark.h>

#include "bench/BenchDraws.h"
#include "bench/TrendScreen.h"
#include "stats/paint/TrendPaint.h"
#include "view/paint/PaintBasics.h"

namespace {

void BM_PaintScreen(benchmark::State& state) {
    const auto draws = BenchDraws(100'000);
    const int32_t position = static_cast<int32_t>(state.range(0));
    const TTrendStats stats = ComputeTrendStats(*draws, LastDraws(draws->Count(), 0));
    const TOmissionTable omissions(*draws, stats.Window, position == 0 ? 1 : position);
    const TTrendPaintInput input{*draws, stats, omissions, position, 1, SongFont(), QPalette()};
    PaintTrendScreens(state, input, stats.Window.Length);
}
// Position A, and the sums.
BENCHMARK(BM_PaintScreen)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
