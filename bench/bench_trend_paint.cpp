// Cost of one screen of the trend chart over a window of 100,000 draws: what each scroll step
// of the 走势分析 window paints.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "bench/BenchDraws.h"
#include "stats/paint/TrendPaint.h"
#include "view/paint/PaintBasics.h"

namespace {

constexpr int32_t ScreenRows = 30;

void BM_PaintScreen(benchmark::State& state) {
    const auto draws = BenchDraws(100'000);
    const int32_t position = static_cast<int32_t>(state.range(0));
    const TTrendStats stats = ComputeTrendStats(*draws, LastDraws(draws->Count(), 0));
    const TOmissionTable omissions(*draws, stats.Window, position == 0 ? 1 : position);
    const TTrendPaintInput input{*draws, stats, omissions, position, 1, SongFont(), QPalette()};
    const TTrendLayout layout = input.Layout();
    QImage screen(layout.Width(), layout.TotalHeight(ScreenRows), QImage::Format_RGB32);
    int32_t first = 0;
    for (auto _ : state) {
        first = (first + 7919) % (stats.Window.Length - ScreenRows);
        screen.fill(Qt::white);
        QPainter painter(&screen);
        PaintTrendHeader(painter, input, 0);
        painter.setClipRect(0, TTrendLayout::HeaderHeight, layout.Width(),
                            ScreenRows * TTrendLayout::RowHeight);
        PaintTrendRows(painter, input, first, ScreenRows, TTrendLayout::HeaderHeight);
        painter.setClipping(false);
        PaintTrendFooter(painter, input,
                         TTrendLayout::HeaderHeight + ScreenRows * TTrendLayout::RowHeight);
    }
}
// Position A, and the sums.
BENCHMARK(BM_PaintScreen)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
