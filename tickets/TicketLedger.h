#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/DrawRegister.h"
#include "tickets/TicketCheck.h"

// The ticket book's ledger: per draw and in total, the bets, the money spent and won, and what
// chance gives the same bets on average, so a lucky or unlucky run shows for what it is.

// A ticket of the book with the row of the first draw it covers.
struct TBookTicket {
    TTicket Ticket;
    int32_t FirstRow = 0;
};

// The amounts typed for floating tiers, in 元 per bet, by (row, tier).
using TFloatingAmounts = std::map<std::pair<int32_t, int32_t>, int64_t>;

// One ticket against one draw it covers.
struct TTicketDrawResult {
    int32_t Row = 0;
    bool Drawn = false;         // false: 未开奖
    TTierCounts Wins{};         // times the multiple
    int64_t Prize = 0;          // fixed tiers and the floating ones whose amount is known
    bool PrizeUnknown = false;  // a floating tier won without a typed amount
    int32_t BestTier() const;   // -1: nothing won
};
std::vector<TTicketDrawResult> TicketResults(const TBookTicket& ticket, const TGameRules& rules,
                                             const std::vector<TDrawMasks>& masks,
                                             const TFloatingAmounts& floating);

// A line's prize counts the fixed tiers and the floating ones whose amount is typed; while a
// floating tier won has no amount, the prize, the net and the return are unknown (the known part
// stays in Prize). What chance gives (ExpectedPrize) can only count the fixed tiers, so the
// cumulative lines that are set against each other (CumulativeFixedNet, CumulativeExpectedNet,
// the chart's two lines) both count the fixed tiers alone: always known, on one basis.
struct TLedgerLine {
    int32_t Row = -1;  // -1: the totals
    int64_t Bets = 0;  // times the multiples
    int64_t Cost = 0;
    TTierCounts Wins{};
    int64_t Prize = 0;
    bool PrizeUnknown = false;
    int64_t FixedPrize = 0;    // the fixed tiers alone
    double ExpectedPrize = 0;  // the fixed tiers at the exact odds
    int64_t CumulativeFixedNet = 0;
    double CumulativeExpectedNet = 0;
    int64_t Net() const { return Prize - Cost; }  // meaningful only when !PrizeUnknown
    int64_t FixedNet() const { return FixedPrize - Cost; }
    double ExpectedNet() const { return ExpectedPrize - static_cast<double>(Cost); }
    double Return() const { return Cost > 0 ? static_cast<double>(Prize) / Cost : 0.0; }
};

struct TLedger {
    std::vector<TLedgerLine> Draws;  // drawn rows with bets, oldest first
    TLedgerLine Total;               // over the drawn rows
    int64_t PendingBets = 0;         // on draws not yet drawn (未开奖)
    int64_t PendingCost = 0;
};
TLedger BuildLedger(const std::vector<TBookTicket>& tickets, const TGameRules& rules,
                    const std::vector<TDrawMasks>& masks, const TFloatingAmounts& floating);

// An amount or a count with thousands separators, as the windows show money: "4,999,992".
std::string GroupedNumber(int64_t value);
// An amount in yuan with fen, grouped the same way: "-1,228.28".
std::string GroupedAmount(double value);
// A probability as a percentage of three significant digits, never in exponent form:
// "0.00001%" (one in ten million), "0.018%", "12.5%".
std::string ProbabilityText(double probability);

// What the ledger shows for a net or a return that an untyped floating prize leaves open.
inline constexpr const char* UnknownText = "未知";

class TCodes;
// The ledger as a CSV table: one line per drawn draw (named by its 期号), then the totals and
// the bets not yet drawn.
std::string LedgerCsv(const TLedger& ledger, const TGameRules& rules, const TCodes& draws,
                      const TDrawRegister& reg);
