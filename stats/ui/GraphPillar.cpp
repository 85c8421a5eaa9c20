#include "stats/ui/GraphPillar.h"

#include <QPainter>
#include <QResizeEvent>

#include "stats/paint/GraphPillarPaint.h"
#include "ui/Prompts.h"

TGraphPilarNet::TGraphPilarNet(QWidget* parent, TPrompts& prompts)
    : QWidget(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("GraphPilarNet"));
    setFocusPolicy(Qt::TabFocus);
    // Every pixel is painted; Qt's backing store already double-buffers.
    setAttribute(Qt::WA_OpaquePaintEvent);
    Chart.OnRangeError = [this](const std::string& message) { ShowRangeError(message); };
    ClearChart();
}

TGraphPilarNet::~TGraphPilarNet() {
    Chart.OnRangeError = nullptr;
    OnChanged = nullptr;
}

void TGraphPilarNet::ShowRangeError(const std::string& message) {
    prompts_.ShowMessage(this, QString::fromStdString(message));
}

void TGraphPilarNet::ClearChart() {
    Chart.ClearChart();
    if (parentWidget()) Relayout();
}

void TGraphPilarNet::SetDimensions(int32_t columns, int32_t rows,
                                   const std::vector<TArgb>& colors) {
    Chart.SetDimensions(columns, rows, colors);
}

std::string TGraphPilarNet::GetValue(int32_t x, int32_t y) const {
    return Chart.GetValue(x, y);
}

void TGraphPilarNet::SetValue(int32_t x, int32_t y, const std::string& text) {
    Chart.SetValue(x, y, text);
}

void TGraphPilarNet::Relayout() {
    Chart.Relayout();
    update();
    updateGeometry();
    if (OnChanged) OnChanged(this);
}

QSize TGraphPilarNet::sizeHint() const {
    return {610, 200};
}

void TGraphPilarNet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintGraphPilar(painter, Chart, font(), palette().color(QPalette::Base), size());
}

void TGraphPilarNet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}
