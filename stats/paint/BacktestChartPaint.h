#pragma once

#include <QRect>
#include <vector>

#include "search/Backtest.h"

class QPainter;

// The backtest chart: per scored row, the share of patterns that hit (h_t) against the chance
// of a hit (c_t), and the running mean of each, over rows firstRow..lastRow.
void PaintBacktestChart(QPainter& painter, const QRect& area,
                        const std::vector<TBacktestPoint>& points, int32_t firstRow,
                        int32_t lastRow);
