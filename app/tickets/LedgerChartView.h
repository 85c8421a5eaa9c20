#pragma once

#include <functional>

#include "tickets/TicketLedger.h"
#include "ui/ChartView.h"

// The ticket book's ledger chart: shows the ledger it was last given.
class TLedgerChartView : public TChartView {
    Q_OBJECT

  public:
    explicit TLedgerChartView(QWidget* parent = nullptr);
    void SetLedger(const TLedger& ledger, std::function<QString(int32_t)> rowLabel);
    void PaintOn(QPainter& painter, const QRect& area) const override;

  private:
    TLedger ledger_;
    std::function<QString(int32_t)> rowLabel_;
};
