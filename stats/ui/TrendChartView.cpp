#include "stats/ui/TrendChartView.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

TTrendChartView::TTrendChartView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("TrendChart"));
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TTrendChartView::SetChart(const TTrendPaintInput* input) {
    input_ = input;
    ChartChanged();
}

void TTrendChartView::ChartChanged() {
    UpdateScrollRanges();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
}

int32_t TTrendChartView::RowCount() const {
    return input_ ? input_->Stats.Window.Length : 0;
}

int32_t TTrendChartView::TopRow() const {
    return verticalScrollBar()->value();
}

int32_t TTrendChartView::VisibleRows() const {
    const TTrendLayout layout = input_ ? input_->Layout() : TTrendLayout::Digits();
    const int32_t body = viewport()->height() - TTrendLayout::HeaderHeight - layout.FooterHeight();
    return TTrendLayout::RowsThatFit(body);
}

void TTrendChartView::ScrollToRow(int32_t row) {
    verticalScrollBar()->setValue(TTrendLayout::ClampTopRow(row, VisibleRows(), RowCount()));
}

void TTrendChartView::UpdateScrollRanges() {
    const int32_t visible = VisibleRows();
    QScrollBar* rows = verticalScrollBar();
    rows->setRange(0, std::max(0, RowCount() - visible));
    rows->setPageStep(visible);
    const int32_t width = input_ ? input_->Layout().Width() : 0;
    QScrollBar* columns = horizontalScrollBar();
    columns->setRange(0, std::max(0, width - viewport()->width()));
    columns->setPageStep(viewport()->width());
    columns->setSingleStep(TTrendLayout::DigitCellWidth);
}

QSize TTrendChartView::sizeHint() const {
    const int32_t width = TTrendLayout::Sums().Width();
    return {width + verticalScrollBar()->sizeHint().width() + 2 * frameWidth(), 640};
}

void TTrendChartView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
        QScrollBar* rows = verticalScrollBar();
        rows->setValue(event->key() == Qt::Key_Home ? rows->minimum() : rows->maximum());
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TTrendChartView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRanges();
}

void TTrendChartView::scrollContentsBy(int, int) {
    viewport()->update();
}

bool TTrendChartView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip || input_ == nullptr)
        return QAbstractScrollArea::viewportEvent(event);
    // A shape row tells its draw and category (and the roads of 012路).
    const auto* help = static_cast<QHelpEvent*>(event);
    const int32_t y = help->pos().y() - TTrendLayout::HeaderHeight;
    const int32_t inView = y / TTrendLayout::RowHeight;
    QString tip;
    if (y >= 0 && inView < VisibleRows()) tip = TrendRowToolTip(*input_, TopRow() + inView);
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport());
    return true;
}

void TTrendChartView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    if (input_ == nullptr) return;
    const TTrendLayout layout = input_->Layout();
    painter.translate(-horizontalScrollBar()->value(), 0);
    PaintTrendHeader(painter, *input_, 0);
    const int32_t first = TopRow();
    const int32_t rows = std::clamp(RowCount() - first, 0, VisibleRows());
    const int32_t bodyTop = TTrendLayout::HeaderHeight;
    const int32_t bodyHeight = rows * TTrendLayout::RowHeight;
    painter.save();
    painter.setClipRect(QRect(0, bodyTop, layout.Width(), bodyHeight));
    PaintTrendRows(painter, *input_, first, rows, bodyTop);
    painter.restore();
    PaintTrendFooter(painter, *input_, bodyTop + bodyHeight);
}
