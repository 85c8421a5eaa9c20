// Cost of one exported picture: painting the grid and the pattern, indexing the colours,
// encoding the GIF.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <memory>

#include "view/paint/PatternPaint.h"

namespace {

struct PictureScene {
    TGridGeometry Geometry;
    TCodes Draws;
    TGui2Reg Pattern;

    explicit PictureScene(int32_t cellHeight) {
        Draws.SetCount(500);
        for (int32_t i = 0; i < Draws.Count(); ++i) {
            DrawRecord r;
            for (int p = 1; p <= 7; ++p) r[p] = (i * 7 + p * 3 + i / 3) % 10;
            Draws.SetCode(i, r);
        }
        Geometry.SetCellHeight(cellHeight);
        Geometry.ClientHeight = 900;
        Geometry.Layout(Draws.Count());
        for (TPoint p : {TPoint{1, 0}, TPoint{2, -1}, TPoint{3, -2}}) Pattern.Line(0).Add(p);
        for (TPoint p : {TPoint{4, -1}, TPoint{3, -3}, TPoint{2, -4}}) Pattern.Line(1).Add(p);
        Pattern.Layout = 3;
        Pattern.BaseRow = Draws.Count();
        Pattern.ContrastKind = 3;
        for (int s = 0; s < 10; ++s) Pattern.AddStep({s % 10, (s + 5) % 10});
        Pattern.SetPosition(0, 1, true);
    }

    TGridPaintInput Input() const {
        return {Geometry, Draws, Pattern, 1, 3, 1, 1, GridFont(), QGuiApplication::palette()};
    }
};

void BM_PaintPicture(benchmark::State& state) {
    const PictureScene scene(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(PaintPatternPicture(scene.Input()));
}
BENCHMARK(BM_PaintPicture)->Arg(30)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_IndexAndEncode(benchmark::State& state) {
    const PictureScene scene(static_cast<int32_t>(state.range(0)));
    const QImage picture = PaintPatternPicture(scene.Input());
    std::vector<uint8_t> bytes;
    bool reduced = false;
    for (auto _ : state) {
        const TIndexedPicture indexed =
            IndexPicture(reinterpret_cast<const uint32_t*>(picture.constBits()), picture.width(),
                         picture.height(), static_cast<int32_t>(picture.bytesPerLine() / 4));
        reduced = indexed.Reduced;
        EncodeGif(indexed, bytes);
    }
    state.counters["pixels"] = picture.width() * picture.height();
    state.counters["reduced"] = reduced ? 1 : 0;
    state.counters["gif_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_IndexAndEncode)->Arg(30)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
