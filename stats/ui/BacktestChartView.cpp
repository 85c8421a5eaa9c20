#include "stats/ui/BacktestChartView.h"

#include <QPainter>

#include "stats/paint/BacktestChartPaint.h"

TBacktestChartView::TBacktestChartView(QWidget* parent) : TChartView(parent) {
    setObjectName(QStringLiteral("BacktestChart"));
    setMinimumSize(480, 220);
}

void TBacktestChartView::SetPoints(std::vector<TBacktestPoint> points, int32_t firstRow,
                                   int32_t lastRow, QString firstLabel, QString lastLabel) {
    points_ = std::move(points);
    firstRow_ = firstRow;
    lastRow_ = lastRow;
    firstLabel_ = std::move(firstLabel);
    lastLabel_ = std::move(lastLabel);
    update();
}

void TBacktestChartView::PaintOn(QPainter& painter, const QRect& area) const {
    PaintBacktestChart(painter, area, points_, firstRow_, lastRow_, firstLabel_, lastLabel_);
}
