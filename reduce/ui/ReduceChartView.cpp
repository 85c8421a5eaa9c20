#include "reduce/ui/ReduceChartView.h"

#include <QPainter>

#include "reduce/paint/ReduceCheckPaint.h"

TReduceChartView::TReduceChartView(QWidget* parent) : TChartView(parent) {
    setObjectName(QStringLiteral("ReduceChart"));
    setMinimumHeight(220);
}

void TReduceChartView::SetPoints(std::vector<TReduceCheckPoint> points, int32_t firstRow,
                                 int32_t lastRow, QString firstLabel, QString lastLabel) {
    points_ = std::move(points);
    firstRow_ = firstRow;
    lastRow_ = lastRow;
    firstLabel_ = std::move(firstLabel);
    lastLabel_ = std::move(lastLabel);
    update();
}

void TReduceChartView::PaintOn(QPainter& painter, const QRect& area) const {
    PaintReduceCheckChart(painter, area, points_, firstRow_, lastRow_, firstLabel_, lastLabel_);
}
