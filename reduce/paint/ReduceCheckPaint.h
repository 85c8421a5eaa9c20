#pragma once

#include <QRect>
#include <QString>
#include <vector>

#include "reduce/ReduceCheck.h"

class QPainter;

// The strategy check's chart: above, the share q_t the conditions kept for each draw t, marked
// where the real draw was kept (s_t = 1, a filled dot) or not (a hollow one); below, the lift up
// to t (the kept draws over the shares summed) against 1, the level of chance. The axis names
// its ends by firstLabel and lastLabel (their 期号), or by the row numbers when they are empty.
void PaintReduceCheckChart(QPainter& painter, const QRect& area,
                           const std::vector<TReduceCheckPoint>& points, int32_t firstRow,
                           int32_t lastRow, const QString& firstLabel = {},
                           const QString& lastLabel = {});
