#include "app/tickets/LedgerChartView.h"

#include "tickets/paint/LedgerChartPaint.h"

TLedgerChartView::TLedgerChartView(QWidget* parent) : TChartView(parent) {
    setObjectName(QStringLiteral("Chart"));
    setMinimumHeight(180);
    rowLabel_ = [](int32_t row) { return QString::number(row + 1); };
}

void TLedgerChartView::SetLedger(const TLedger& ledger, std::function<QString(int32_t)> rowLabel) {
    ledger_ = ledger;
    rowLabel_ = std::move(rowLabel);
    update();
}

void TLedgerChartView::PaintOn(QPainter& painter, const QRect& area) const {
    PaintLedgerChart(painter, area, ledger_, rowLabel_);
}
