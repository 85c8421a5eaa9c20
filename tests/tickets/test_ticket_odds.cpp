#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

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

namespace {

// A play's match value for one bet and one draw, straight from their numbers.
int MatchOf(const TGameRules& play, const std::array<int, 7>& bet, const std::array<int, 7>& draw) {
    const int n = play.Positions;
    int equal = 0;
    for (int p = 0; p < n; ++p) equal += bet[p] == draw[p];
    switch (play.Rule) {
        case TMatchRule::AllPositions:
            return equal == n ? n : 0;
        case TMatchRule::FrontAndBack: {
            const int back = bet[n - 1] == draw[n - 1];
            return (equal - back) * 2 + back;
        }
        case TMatchRule::Box: {
            std::array<int, 7> a = bet, b = draw;
            std::sort(a.begin(), a.begin() + n);
            std::sort(b.begin(), b.begin() + n);
            if (!std::equal(a.begin(), a.begin() + n, b.begin())) return 0;
            return a[0] == a[1] || a[1] == a[2] ? BoxPair : BoxDistinct;
        }
        case TMatchRule::LongestRun:
            break;
    }
    int best = 0, run = 0;
    for (int p = 0; p < n; ++p) best = std::max(best, run = bet[p] == draw[p] ? run + 1 : 0);
    return best;
}

}  // namespace

// Every play of every shipped game: one bet against every draw of the game's whole space
// (15 × 10^6 for 七星彩), counted per tier, equals the exact odds; and the published figures.
TEST(TicketOddsSlow, EveryShippedPlayMatchesACountOverItsWholeSpace) {
    for (const TGame& game : DefaultGames()) {
        for (const TGameRules& play : game.Plays) {
            SCOPED_TRACE(game.Name + " " + play.Play);
            std::array<int, 7> bet = {3, 1, 4, 1, 5, 9, 2};
            if (play.Rule == TMatchRule::Box)
                bet = play.Tiers[0].Values[0] == BoxPair ? std::array<int, 7>{7, 2, 7}
                                                         : std::array<int, 7>{8, 0, 5};
            if (play.Rule == TMatchRule::FrontAndBack) bet[play.Positions - 1] = 12;
            TTierCounts counted{};
            int64_t space = 1;
            for (int p = 0; p < play.Positions; ++p) space *= play.ValueCounts[p];
            ASSERT_EQ(play.DrawSpace(), space);
            std::array<int, 7> draw{};
            for (int64_t n = 0; n < space; ++n) {
                int64_t v = n;
                for (int p = play.Positions - 1; p >= 0; --p) {
                    draw[p] = static_cast<int>(v % play.ValueCounts[p]);
                    v /= play.ValueCounts[p];
                }
                const int match = MatchOf(play, bet, draw);
                for (int t = 0; t < play.TierCount(); ++t)
                    for (const int value : play.Tiers[t].Values)
                        if (value == match) ++counted[t];
            }
            EXPECT_EQ(play.ExactDrawCounts(), counted);
        }
    }
    const std::vector<TGame>& games = DefaultGames();
    ASSERT_EQ(games.size(), 5u);
    // 七星彩: any prize about 1 in 12.3, the fixed tiers return about 26.8%.
    const TGameRules& qxc = games[1].Plays[0];
    int64_t winning = 0;
    for (const int64_t count : qxc.ExactDrawCounts()) winning += count;
    EXPECT_NEAR(static_cast<double>(qxc.DrawSpace()) / winning, 12.28, 0.01);
    EXPECT_NEAR(qxc.ExpectedReturn(), 0.2679, 0.0001);
    // 排列五 1 in 10^5; 排列三 直选 1, 组选3 3 and 组选6 6 draws of 1000.
    EXPECT_EQ(games[2].Plays[0].ExactDrawCounts()[0], 1);
    EXPECT_EQ(games[2].Plays[0].DrawSpace(), 100'000);
    for (const int g : {3, 4}) {
        EXPECT_EQ(games[g].Plays[0].ExactDrawCounts()[0], 1);
        EXPECT_EQ(games[g].Plays[1].ExactDrawCounts()[0], 3);
        EXPECT_EQ(games[g].Plays[2].ExactDrawCounts()[0], 6);
        EXPECT_EQ(games[g].DrawDays, 0x7F);
        EXPECT_EQ(games[g].DigitPositions(), 3);
    }
    EXPECT_EQ(games[1].DigitPositions(), 6);
    EXPECT_EQ(games[0].DigitPositions(), 7);
}
