#include "reduce/ui/ReduceChartView.h"

#include <QImage>
#include <QPainter>

#include "reduce/paint/ReduceCheckPaint.h"

TReduceChartView::TReduceChartView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ReduceChart"));
    setMinimumHeight(220);
}

void TReduceChartView::SetPoints(std::vector<TReduceCheckPoint> points, int32_t firstRow,
                                 int32_t lastRow) {
    points_ = std::move(points);
    firstRow_ = firstRow;
    lastRow_ = lastRow;
    update();
}

QImage TReduceChartView::Picture(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintReduceCheckChart(painter, QRect(QPoint(0, 0), size), points_, firstRow_, lastRow_);
    return image;
}

void TReduceChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintReduceCheckChart(painter, rect(), points_, firstRow_, lastRow_);
}
