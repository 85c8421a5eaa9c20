#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data/Hao.h"
#include "tickets/GameRules.h"
#include "tickets/Ticket.h"

// Matching tickets against draws without listing their bets: a 复式 of 10^7 bets is checked
// against a draw by which of its positions hold the drawn digit (seven bits), and the number of
// its bets that win each tier depends on those bits and the set sizes alone.

// The draws' digits, one mask per position (bit d: the drawn digit is d; 0 when the stored
// value is not a digit, which matches nothing).
using TDrawMasks = std::array<uint16_t, TicketPositions>;
std::vector<TDrawMasks> DrawMasksOf(const TCodes& draws);
TDrawMasks DrawMasksOf(const DrawRecord& draw);

class TTicketMatcher {
  public:
    TTicketMatcher(const TDigitSets& sets, const TGameRules& rules);

    // Bit p: position p's set holds the drawn digit.
    uint32_t Hits(const TDrawMasks& draw) const {
        uint32_t hits = 0;
        for (int32_t p = 0; p < TicketPositions; ++p)
            hits |= static_cast<uint32_t>((sets_[p] & draw[p]) != 0) << p;
        return hits;
    }
    // Adds the bets of the ticket that win each tier against a draw with these hits.
    void AddWins(uint32_t hits, TTierCounts& wins) const {
        if (single_) {
            const int32_t tier = rules_->TierOf(hits);
            if (tier >= 0) ++wins[tier];
            return;
        }
        const TTierCounts& counts = table_[hits];
        for (int32_t t = 0; t < MaxTiers; ++t) wins[t] += counts[t];
    }
    TTierCounts Wins(const TDrawMasks& draw) const {
        TTierCounts wins{};
        AddWins(Hits(draw), wins);
        return wins;
    }

  private:
    TDigitSets sets_;
    const TGameRules* rules_;
    bool single_;
    std::vector<TTierCounts> table_;  // by hits, for a 复式
};

// Bets winning each tier, over the draws [first, first + count) of masks, not yet times the
// multiple.
TTierCounts CountWins(const TTicketMatcher& matcher, const std::vector<TDrawMasks>& masks,
                      size_t first, size_t count);

// Money in 元 multiplied and summed with a check: past what 64 bits hold they throw TError
// ("金额超出可以计算的范围") rather than wrap round.
int64_t MoneyTimes(int64_t count, int64_t amount);
void AddMoney(int64_t& sum, int64_t amount);

// The money of tier counts: the fixed tiers' amounts only.
int64_t FixedPrize(const TGameRules& rules, const TTierCounts& wins);

// One bet (or a 复式) over every draw: how often each tier would have won and the last row it
// did (-1: never).
struct TBetHistory {
    TTierCounts Wins{};
    std::array<int32_t, MaxTiers> LastRow{};
    int32_t Draws = 0;
};
TBetHistory BetHistory(const TDigitSets& sets, const TGameRules& rules,
                       const std::vector<TDrawMasks>& masks);

// Every ticket against every draw, as `tolvane-search --check` reports it: per ticket the tier
// counts times the multiple, its fixed prize and cost; then the totals.
struct TTicketCheck {
    TTierCounts Wins{};  // times the multiple
    int64_t Prize = 0;
    int64_t Cost = 0;
};
struct TCheckTotals {
    int64_t Tickets = 0;
    int64_t Draws = 0;
    int64_t Cost = 0;
    int64_t Prize = 0;
    int64_t Net() const { return Prize - Cost; }
    double Return() const { return Cost > 0 ? static_cast<double>(Prize) / Cost : 0.0; }
};
TTicketCheck CheckTicket(const TTicket& ticket, const TGameRules& rules,
                         const std::vector<TDrawMasks>& masks);
