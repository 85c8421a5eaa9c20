#pragma once

#include <QRect>
#include <QString>
#include <functional>

#include "tickets/TicketLedger.h"

class QPainter;

// The ledger's chart: the cumulative net of the book over its drawn draws, beside the
// cumulative net the same bets give on average at the exact odds, with the zero line. The
// label of a row (its 期号) comes from rowLabel.
void PaintLedgerChart(QPainter& painter, const QRect& area, const TLedger& ledger,
                      const std::function<QString(int32_t)>& rowLabel);
