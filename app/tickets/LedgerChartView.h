#pragma once

#include <QWidget>
#include <functional>

#include "tickets/TicketLedger.h"

// The ticket book's ledger chart: shows the ledger it was last given.
class TLedgerChartView : public QWidget {
    Q_OBJECT

  public:
    explicit TLedgerChartView(QWidget* parent = nullptr);
    void SetLedger(const TLedger& ledger, std::function<QString(int32_t)> rowLabel);
    void PaintOn(QPainter& painter, const QRect& area) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TLedger ledger_;
    std::function<QString(int32_t)> rowLabel_;
};
