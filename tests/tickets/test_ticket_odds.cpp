#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tickets/GameRules.h"

namespace {

int LongestEqualRun(const std::string& bet, const std::string& draw) {
    int best = 0, run = 0;
    for (int p = 0; p < 7; ++p) {
        run = bet[p] == draw[p] ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

}  // namespace

// The exact odds against a count over all 10^7 draws, matched straight from their digits.
TEST(TicketOddsSlow, ExactOddsMatchEveryDrawCounted) {
    const TGameRules& rules = DefaultGameRules();
    const std::string bet = "3141592";
    TTierCounts counted{};
    std::string draw = "0000000";
    for (int64_t n = 0; n < AllDraws; ++n) {
        int64_t v = n;
        for (int p = 6; p >= 0; --p, v /= 10) draw[p] = static_cast<char>('0' + v % 10);
        const int run = LongestEqualRun(bet, draw);
        if (run >= 2) ++counted[7 - run];
    }
    EXPECT_EQ(rules.ExactDrawCounts(), counted);
    EXPECT_EQ(counted[0], 1);
    // 1800, 300, 20 and 5 元 over 10^7 draws, per 2 元.
    double expected = 0;
    for (int t = 2; t < 6; ++t) expected += counted[t] * static_cast<double>(rules.Tiers[t].Amount);
    EXPECT_DOUBLE_EQ(rules.ExpectedReturn(), expected / 1e7 / 2);
}
