#pragma once

#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRect>

#include "stats/ShapeStats.h"

class QPainter;

// The second view of the 形态 tab: one metric's bar chart of the draws seen in each category
// against the draws chance expects there, with the fit line under it. Painted onto any
// QPainter, so the window, a picture and a test draw the same chart.
struct TShapeBarsInput {
    const TShapeMetricStats& Stats;
    int32_t WindowLength = 0;
    QFont Font;
    QPalette Palette;
};

// Colours a test can look for: the observed bars and the marks of the expected counts.
inline const QColor ShapeObservedColor(170, 120, 200);
inline const QColor ShapeExpectedColor(0, 110, 60);

// The chart filling `area`.
void PaintShapeBars(QPainter& painter, const TShapeBarsInput& input, const QRect& area);
// A picture of the chart, wide enough for the metric's categories.
QImage PaintShapeBarsPicture(const TShapeBarsInput& input);
