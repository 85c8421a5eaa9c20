#include "stats/ui/ShapeBarsView.h"

#include <QPainter>

TShapeBarsView::TShapeBarsView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ShapeBars"));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void TShapeBarsView::SetChart(const TShapeBarsInput* input) {
    input_ = input;
    update();
}

void TShapeBarsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (input_ == nullptr) {
        painter.fillRect(rect(), palette().color(QPalette::Base));
        return;
    }
    PaintShapeBars(painter, *input_, rect());
}
