#pragma once

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include "stats/paint/TrendPaint.h"

// Paints one screen of the trend chart per iteration, as a scroll step of the 走势分析 window
// does: header, ScreenRows rows from a first row that moves through the window, footer.
inline void PaintTrendScreens(benchmark::State& state, const TTrendPaintInput& input,
                              int32_t windowLength) {
    constexpr int32_t ScreenRows = 30;
    const TTrendLayout layout = input.Layout();
    QImage screen(layout.Width(), layout.TotalHeight(ScreenRows), QImage::Format_RGB32);
    int32_t first = 0;
    for (auto _ : state) {
        first = (first + 7919) % (windowLength - ScreenRows);
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
