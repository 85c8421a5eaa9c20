// One screen of the 形态 chart over a window of 100,000 draws (must stay under 20 ms), for the
// widest metric (和值, 64 columns) and a narrow one (跨度), and the bars view.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "bench/BenchDraws.h"
#include "bench/TrendScreen.h"
#include "stats/paint/ShapeBarsPaint.h"
#include "stats/paint/TrendPaint.h"
#include "view/paint/PaintBasics.h"

namespace {

void BM_PaintShapeScreen(benchmark::State& state) {
    const auto draws = BenchDraws(100'000);
    const TShapeMetric metric(static_cast<TShapeMetricId>(state.range(0)));
    const TTrendStats stats = ComputeTrendStats(*draws, LastDraws(draws->Count(), 0));
    const TShapeMetricStats shape = ComputeShapeMetricStats(*draws, stats.Window, metric);
    const TOmissionTable categories(ShapeRowCategories(*draws, stats.Window, metric),
                                    metric.CategoryCount());
    const TTrendPaintInput input{*draws, stats, categories, 0, 1, SongFont(), QPalette(), &shape};
    PaintTrendScreens(state, input, stats.Window.Length);
}
BENCHMARK(BM_PaintShapeScreen)
    ->Arg(static_cast<int>(TShapeMetricId::Sum))
    ->Arg(static_cast<int>(TShapeMetricId::Span))
    ->Arg(static_cast<int>(TShapeMetricId::Roads))
    ->Unit(benchmark::kMillisecond);

void BM_PaintShapeBars(benchmark::State& state) {
    const auto draws = BenchDraws(100'000);
    const TShapeMetricStats shape = ComputeShapeMetricStats(*draws, LastDraws(draws->Count(), 0),
                                                            TShapeMetric(TShapeMetricId::Sum));
    const TShapeBarsInput input{shape, draws->Count(), SongFont(), QPalette()};
    QImage screen(1000, 600, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&screen);
        PaintShapeBars(painter, input, screen.rect());
    }
}
BENCHMARK(BM_PaintShapeBars)->Unit(benchmark::kMillisecond);

}  // namespace
