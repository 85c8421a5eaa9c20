#include "app/tickets/TicketTables.h"

#include <memory>

#include "tickets/TicketBook.h"

namespace {

const QColor WinColor(200, 0, 0);

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

TTableCell Number(int64_t value) {
    return {Q(GroupedNumber(value)), true, {}};
}

TTableCell Amount(double value) {
    return {Q(GroupedAmount(value)), true, {}};
}

TTableCell Wins(int64_t count) {
    return {Q(GroupedNumber(count)), true, count > 0 ? WinColor : QColor()};
}

QString Unknown() {
    return QString::fromUtf8(UnknownText);
}

QString Percent(double share) {
    return QString::number(100.0 * share, 'f', 2) + QStringLiteral("%");
}

// The ledger line's cells: 注数, 投入, a column per tier, 奖金, 盈亏, 返奖率, 期望奖金, 累计盈亏,
// 期望累计盈亏.
TTableCell LedgerCell(const TLedgerLine& line, int tiers, int column) {
    if (column == 1) return Number(line.Bets);
    if (column == 2) return Number(line.Cost);
    if (column < 3 + tiers) return Wins(line.Wins[column - 3]);
    switch (column - 3 - tiers) {
        case 0:
            return {Q(GroupedNumber(line.Prize)) +
                        (line.PrizeUnknown ? QStringLiteral("+") + Unknown() : QString()),
                    true,
                    {}};
        case 1:
            return line.PrizeUnknown ? TTableCell{Unknown(), true, {}} : Number(line.Net());
        case 2:
            if (line.PrizeUnknown) return {Unknown(), true, {}};
            return {line.Cost > 0 ? Percent(line.Return()) : QString(), true, {}};
        case 3:
            return Amount(line.ExpectedPrize);
        case 4:
            return Number(line.CumulativeFixedNet);
        default:
            return Amount(line.CumulativeExpectedNet);
    }
}

}  // namespace

TCellTableModel* NewTicketListModel(const TTicketBook& book, QObject* parent) {
    // The view asks for a row's cells one after another: its texts are made once.
    struct TCache {
        uint64_t Revision = 0;
        int Index = -1;
        TTicketRow Row;
    };
    auto cache = std::make_shared<TCache>();
    return new TCellTableModel(
        {QStringLiteral("期号"), QStringLiteral("号码"), QStringLiteral("类型"),
         QStringLiteral("注数"), QStringLiteral("倍数"), QStringLiteral("金额（元）"),
         QStringLiteral("中奖"), QStringLiteral("来源")},
        [&book] { return static_cast<int>(book.Tickets().size()); },
        [&book, cache](int row, int column) -> TTableCell {
            if (cache->Index != row || cache->Revision != book.Revision()) {
                cache->Row = book.Row(static_cast<size_t>(row));
                cache->Index = row;
                cache->Revision = book.Revision();
            }
            const TTicketRow& r = cache->Row;
            switch (column) {
                case 0:
                    return {Q(r.Issues), false, {}};
                case 1:
                    return {Q(r.Numbers), false, {}};
                case 2:
                    return {Q(r.Kind), false, {}};
                case 3:
                    return Number(r.Bets);
                case 4:
                    return Number(r.Multiple);
                case 5:
                    return Number(r.Amount);
                case TicketResultColumn:
                    return {Q(r.Result), false, r.Won ? WinColor : QColor()};
                default:
                    return {Q(r.Source), false, {}};
            }
        },
        parent);
}

TCellTableModel* NewLedgerModel(const TTicketBook& book, QObject* parent) {
    QStringList headers = {QStringLiteral("期号"), QStringLiteral("注数"), QStringLiteral("投入")};
    for (const TPrizeTier& tier : book.Rules().Tiers) headers << Q(tier.Name);
    headers << QStringLiteral("奖金") << QStringLiteral("盈亏") << QStringLiteral("返奖率")
            << QStringLiteral("期望奖金") << QStringLiteral("累计盈亏")
            << QStringLiteral("期望累计盈亏");
    return new TCellTableModel(
        headers, [&book] { return static_cast<int>(book.Ledger().Draws.size()) + 1; },
        [&book](int row, int column) -> TTableCell {
            const TLedger& ledger = book.Ledger();
            const bool total = row >= static_cast<int>(ledger.Draws.size());
            const TLedgerLine& line = total ? ledger.Total : ledger.Draws[row];
            if (column == 0)
                return {total ? QStringLiteral("合计") : Q(book.IssueText(line.Row)), false, {}};
            return LedgerCell(line, book.Rules().TierCount(), column);
        },
        parent);
}

TCellTableModel* NewHistoryModel(const TTicketBook& book, const TShownBetHistory& shown,
                                 QObject* parent) {
    return new TCellTableModel(
        {QStringLiteral("奖级"), QStringLiteral("中奖次数"), QStringLiteral("最近一次"),
         QStringLiteral("理论上每期的概率"), QStringLiteral("按概率期望的次数")},
        [&book, &shown] { return shown.Shown ? book.Rules().TierCount() : 0; },
        [&book, &shown](int tier, int column) -> TTableCell {
            const TGameRules& rules = book.Rules();
            const TBetHistory& history = shown.History;
            switch (column) {
                case 0:
                    return {Q(rules.Tiers[tier].Name), false, {}};
                case 1:
                    return Wins(history.Wins[tier]);
                case 2:
                    return {history.LastRow[tier] < 0
                                ? QStringLiteral("从未")
                                : Q(book.IssueText(history.LastRow[tier])) + QStringLiteral("期"),
                            false,
                            {}};
                case 3:
                    return {Q(ProbabilityText(rules.TierProbability(tier))), true, {}};
                default:
                    return {QString::number(
                                rules.TierProbability(tier) * shown.Bets * history.Draws, 'f', 2),
                            true,
                            {}};
            }
        },
        parent);
}
