#include "tickets/TicketCheck.h"

#include "data/Error.h"

namespace {

uint16_t DigitMask(int32_t value) {
    return value >= 0 && value <= 9 ? static_cast<uint16_t>(1u << value) : 0;
}

}  // namespace

TDrawMasks DrawMasksOf(const DrawRecord& draw) {
    TDrawMasks masks{};
    for (int32_t p = 0; p < TicketPositions; ++p) masks[p] = DigitMask(draw[p + 1]);
    return masks;
}

std::vector<TDrawMasks> DrawMasksOf(const TCodes& draws) {
    std::vector<TDrawMasks> masks(static_cast<size_t>(draws.Count()));
    const DrawRecord* rows = draws.Rows();
    for (size_t i = 0; i < masks.size(); ++i) masks[i] = DrawMasksOf(rows[i]);
    return masks;
}

TTicketMatcher::TTicketMatcher(const TDigitSets& sets, const TGameRules& rules)
    : sets_(sets), rules_(&rules) {
    single_ = true;
    for (const uint16_t set : sets) single_ = single_ && SetSize(set) == 1;
    if (single_) return;
    // For hits h, the bets whose agreeing positions are exactly the pattern q (a subset of h):
    // at an agreeing position the one drawn digit, elsewhere any other digit of the set.
    table_.assign(MatchPatterns, TTierCounts{});
    std::array<int64_t, TicketPositions> sizes{};
    for (int32_t p = 0; p < TicketPositions; ++p) sizes[p] = SetSize(sets[p]);
    for (uint32_t hits = 0; hits < MatchPatterns; ++hits) {
        for (uint32_t q = hits;; q = (q - 1) & hits) {
            const int32_t tier = rules.TierOf(q);
            if (tier >= 0) {
                int64_t bets = 1;
                for (int32_t p = 0; p < TicketPositions && bets > 0; ++p)
                    if (!((q >> p) & 1u)) bets *= sizes[p] - ((hits >> p) & 1u);
                table_[hits][tier] += bets;
            }
            if (q == 0) break;
        }
    }
}

TTierCounts CountWins(const TTicketMatcher& matcher, const std::vector<TDrawMasks>& masks,
                      size_t first, size_t count) {
    TTierCounts wins{};
    const size_t end = std::min(masks.size(), first + count);
    for (size_t row = first; row < end; ++row) matcher.AddWins(matcher.Hits(masks[row]), wins);
    return wins;
}

namespace {

[[noreturn]] void ThrowMoneyOverflow() {
    throw TError("金额超出可以计算的范围");
}

}  // namespace

int64_t MoneyTimes(int64_t count, int64_t amount) {
    int64_t product = 0;
    if (__builtin_mul_overflow(count, amount, &product)) ThrowMoneyOverflow();
    return product;
}

void AddMoney(int64_t& sum, int64_t amount) {
    if (__builtin_add_overflow(sum, amount, &sum)) ThrowMoneyOverflow();
}

int64_t FixedPrize(const TGameRules& rules, const TTierCounts& wins) {
    int64_t prize = 0;
    for (int32_t t = 0; t < rules.TierCount(); ++t)
        if (!rules.Tiers[t].Floating) AddMoney(prize, MoneyTimes(wins[t], rules.Tiers[t].Amount));
    return prize;
}

TBetHistory BetHistory(const TDigitSets& sets, const TGameRules& rules,
                       const std::vector<TDrawMasks>& masks) {
    TBetHistory history;
    history.LastRow.fill(-1);
    history.Draws = static_cast<int32_t>(masks.size());
    const TTicketMatcher matcher(sets, rules);
    for (size_t row = 0; row < masks.size(); ++row) {
        TTierCounts wins{};
        matcher.AddWins(matcher.Hits(masks[row]), wins);
        for (int32_t t = 0; t < MaxTiers; ++t) {
            if (wins[t] == 0) continue;
            history.Wins[t] += wins[t];
            history.LastRow[t] = static_cast<int32_t>(row);
        }
    }
    return history;
}

TTicketCheck CheckTicket(const TTicket& ticket, const TGameRules& rules,
                         const std::vector<TDrawMasks>& masks) {
    TTicketCheck check;
    const TTicketMatcher matcher(ticket.Sets, rules);
    check.Wins = CountWins(matcher, masks, 0, masks.size());
    for (int64_t& count : check.Wins) count *= ticket.Multiple;
    check.Prize = FixedPrize(rules, check.Wins);
    check.Cost = MoneyTimes(rules.Price * ticket.Bets() * ticket.Multiple,
                            static_cast<int64_t>(masks.size()));
    return check;
}
