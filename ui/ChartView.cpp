#include "ui/ChartView.h"

#include <QPainter>

QImage TChartView::Picture(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font());
    PaintOn(painter, QRect(QPoint(0, 0), size));
    return image;
}

void TChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintOn(painter, rect());
}
