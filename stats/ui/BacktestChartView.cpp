#include "stats/ui/BacktestChartView.h"

#include <QImage>
#include <QPainter>

#include "stats/paint/BacktestChartPaint.h"

TBacktestChartView::TBacktestChartView(QWidget* parent) : QWidget(parent) {
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

QImage TBacktestChartView::Picture(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font());
    PaintBacktestChart(painter, QRect(QPoint(0, 0), size), points_, firstRow_, lastRow_,
                       firstLabel_, lastLabel_);
    return image;
}

void TBacktestChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintBacktestChart(painter, rect(), points_, firstRow_, lastRow_, firstLabel_, lastLabel_);
}
