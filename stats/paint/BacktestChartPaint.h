#pragma once

#include <QRect>
#include <QString>
#include <vector>

#include "search/Backtest.h"

class QPainter;

// The backtest chart: per scored row, the share of patterns that hit (h_t) against the chance
// of a hit (c_t), and the running mean of each, over rows firstRow..lastRow. The axis names its
// ends by firstLabel and lastLabel (their 期号), or by the row numbers when they are empty.
void PaintBacktestChart(QPainter& painter, const QRect& area,
                        const std::vector<TBacktestPoint>& points, int32_t firstRow,
                        int32_t lastRow, const QString& firstLabel = {},
                        const QString& lastLabel = {});
