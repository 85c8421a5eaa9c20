#pragma once

#include <cstdint>

#include "tickets/TicketCheck.h"
#include "ui/CellTableModel.h"

class QObject;
class TTicketBook;

// The ticket book window's three tables as models over the book: the tickets, the ledger and
// the history of one bet. Each reads its rows when the view shows them; Refresh() after the
// book changed.

// 期号, 号码, 类型, 注数, 倍数, 金额（元）, 中奖 (in red when it won), 来源; one row per ticket in
// the book's order.
TCellTableModel* NewTicketListModel(const TTicketBook& book, QObject* parent);
inline constexpr int TicketResultColumn = 6;

// One row per drawn draw with bets, then 合计; a column per prize tier.
TCellTableModel* NewLedgerModel(const TTicketBook& book, QObject* parent);

// One bet over every draw, as last shown.
struct TShownBetHistory {
    TBetHistory History;
    int64_t Bets = 0;
    bool Shown = false;
};
// One row per prize tier: wins, the last one, the chance per draw and the wins it expects.
TCellTableModel* NewHistoryModel(const TTicketBook& book, const TShownBetHistory& shown,
                                 QObject* parent);
