#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include "stats/GraphPillarCore.h"

class QPainter;

// The font of the chart's texts: the control's family, 11 points.
QFont ChartTextFont(const QFont& font, bool bold);
// Where the value axis' labels end at the latest, clear of the ticks.
int32_t AxisLabelEnd(const TGraphPilarData& chart);
// Pixels two value-axis labels need between their centres so that they never touch.
int32_t AxisLabelSpacing(const QFont& font);
// Width of the widest value-axis label.
int32_t AxisLabelWidth(const TGraphPilarData& chart, const QFont& font);
// Width of the widest value text over a bar.
int32_t ValueTextWidth(const TGraphPilarData& chart, const QFont& font);

// Paints the chart on any painter: background, title, frame, value axis with its labels and
// grid lines, column labels, bars with their values, axes. font gives the family (the control's
// font); every text is drawn 11 points high.
void PaintGraphPilar(QPainter& painter, const TGraphPilarData& chart, const QFont& font,
                     const QColor& background, const QSize& size);
