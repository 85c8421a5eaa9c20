#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/RandomDraws.h"
#include "tickets/DrawIdentity.h"
#include "tickets/GameRules.h"
#include "tickets/Ticket.h"
#include "tickets/TicketCheck.h"
#include "tickets/TicketLedger.h"

namespace {

TDrawMasks MasksOfDigits(const std::string& digits) {
    TDrawMasks masks{};
    for (int p = 0; p < TicketPositions; ++p)
        masks[p] = static_cast<uint16_t>(1u << (digits[p] - '0'));
    return masks;
}

// The longest run of equal positions, counted straight from the digits.
int LongestEqualRun(const std::string& bet, const std::string& draw) {
    int best = 0, run = 0;
    for (int p = 0; p < 7; ++p) {
        run = bet[p] == draw[p] ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

std::string TierName(const TGameRules& rules, const TTierCounts& wins) {
    for (int t = 0; t < rules.TierCount(); ++t)
        if (wins[t] > 0) return rules.Tiers[t].Name;
    return "";
}

}  // namespace

TEST(TicketMatching, HandWorkedBetsWinTheirTier) {
    const TGameRules& rules = DefaultGameRules();
    struct Case {
        const char* Draw;
        const char* Tier;  // of the bet 1234567
    };
    const Case cases[] = {
        {"1234567", "一等奖"},  // all seven
        {"1234560", "二等奖"},  // six at the front
        {"0234567", "二等奖"},  // six at the back
        {"1234599", "三等奖"},  // five at the front end
        {"9934567", "三等奖"},  // five at the back end
        {"0234560", "三等奖"},  // five in the middle
        {"1234067", "四等奖"},  // four at the front, then a separate two
        {"0234509", "四等奖"},  // four in the middle
        {"1230567", "五等奖"},  // two separate runs of three: one tier, not two
        {"0234067", "五等奖"},  // three in the middle, two at the end
        {"1204507", "六等奖"},  // runs of two, two and one
        {"9999967", "六等奖"},  // two at the back end
        {"9294969", ""},        // agreeing positions never adjacent
        {"1999997", ""},        // both ends alone
        {"0000000", ""},
    };
    const TTicketMatcher matcher(ParseNumbers("1234567"), rules);
    for (const Case& c : cases) {
        const TTierCounts wins = matcher.Wins(MasksOfDigits(c.Draw));
        EXPECT_EQ(TierName(rules, wins), c.Tier) << c.Draw;
        int64_t total = 0;
        for (const int64_t n : wins) total += n;
        EXPECT_EQ(total, c.Tier[0] ? 1 : 0) << c.Draw << ": one tier per bet, the highest";
    }
}

// A 复式 counted by position sets against every one of its bets matched on its own.
TEST(TicketMatching, CompoundTicketCountsAsItsExpansion) {
    const TGameRules& rules = DefaultGameRules();
    const TDigitSets sets = ParseNumbers("12/3/456/7/089/9/05");
    ASSERT_EQ(BetsOf(sets), 2 * 1 * 3 * 1 * 3 * 1 * 2);
    std::vector<std::string> bets;
    for (char a : std::string("12"))
        for (char c : std::string("456"))
            for (char e : std::string("089"))
                for (char g : std::string("05"))
                    bets.push_back(std::string{a, '3', c, '7', e, '9', g});
    std::vector<std::string> draws = RandomDrawLines(7, 400);
    // Draws near the ticket, so that the high tiers occur too.
    for (const std::string& bet : bets) draws.push_back(bet);
    draws.push_back("2357894");
    const TTicketMatcher matcher(sets, rules);
    for (const std::string& draw : draws) {
        TTierCounts expected{};
        for (const std::string& bet : bets) {
            const int run = LongestEqualRun(bet, draw);
            if (run >= 2) ++expected[7 - run];
        }
        EXPECT_EQ(matcher.Wins(MasksOfDigits(draw)), expected) << draw;
    }
}

TEST(TicketText, TypedFormsReadAndFaultsNameTheField) {
    struct Good {
        const char* Text;
        const char* Canonical;
        int64_t Bets;
        int32_t Multiple, Draws;
        const char* Issue;
    };
    const Good good[] = {
        {"1234567", "1234567", 1, 1, 1, ""},
        {"12/3/456/7/8/9/0", "12/3/456/7/8/9/0", 6, 1, 1, ""},
        {"1234567 x5", "1234567 x5", 1, 5, 1, ""},
        {"1234567 ×5", "1234567 x5", 1, 5, 1, ""},
        {"  0123456\t5倍 追10期 ", "0123456 x5 追10期", 1, 5, 10, ""},
        {"1234567×5追10期", "1234567 x5 追10期", 1, 5, 10, ""},
        {"第2026001期 21/3/4/5/6/7/8 X99", "12/3/4/5/6/7/8 x99 第2026001期", 2, 99, 1, "2026001"},
        {"0123456789/0123456789/0123456789/0123456789/0123456789/0123456789/0123456789",
         "0123456789/0123456789/0123456789/0123456789/0123456789/0123456789/0123456789", 10'000'000,
         1, 1, ""},
    };
    for (const Good& g : good) {
        const TTicket ticket = ParseTicket(g.Text);
        EXPECT_EQ(TicketText(ticket), g.Canonical) << g.Text;
        EXPECT_EQ(ticket.Bets(), g.Bets) << g.Text;
        EXPECT_EQ(ticket.Multiple, g.Multiple) << g.Text;
        EXPECT_EQ(ticket.DrawCount, g.Draws) << g.Text;
        EXPECT_EQ(ticket.Issue, g.Issue) << g.Text;
        EXPECT_EQ(ParseTicket(TicketText(ticket)), ticket) << g.Text;
    }
    struct Bad {
        const char* Text;
        const char* Names;  // a part of the message
    };
    const Bad bad[] = {
        {"123456", "有6位"},
        {"12345678", "有8位"},
        {"1/2/3/4/5/6", "有6位"},
        {"1/2//4/5/6/7", "第3位没有数字"},
        {"1/2/3/4/5/6/a", "“a”"},
        {"1234567 x0", "倍数"},
        {"1234567 x100", "倍数"},
        {"1234567 追0期", "追号期数"},
        {"11/2/3/4/5/6/7", "第1位重复了数字1"},
        {"1234567 7654321", "无法识别"},
        {"x5", "没有号码"},
        {"1234567 第ab期", "期号"},
    };
    for (const Bad& b : bad) {
        try {
            ParseTicket(b.Text);
            ADD_FAILURE() << b.Text << " was read";
        } catch (const TError& e) {
            EXPECT_NE(std::string(e.what()).find(b.Names), std::string::npos)
                << b.Text << ": " << e.what();
        }
    }
}

TEST(TicketText, FileRoundTripKeepsTicketsAndNamesBadLines) {
    const std::string text =
        "\xEF\xBB\xBF# 本周\r\n1234567 x2\r\n\r\n12/3/456/7/8/9/0 追3期\r\n123\r\n"
        "第15期 7654321\r\n1/2/3/4/5/6/7 x100";
    const TTicketReading reading = ReadTicketLines(text);
    ASSERT_EQ(reading.Tickets.size(), 3u);
    EXPECT_EQ(reading.Lines, (std::vector<int32_t>{2, 4, 6}));
    ASSERT_EQ(reading.Faults.size(), 2u);
    EXPECT_EQ(reading.Faults[0].Line, 5);
    EXPECT_EQ(reading.Faults[1].Line, 7);
    EXPECT_EQ(reading.Faults[0].Text().substr(0, 10), "第5行：");
    const TTicketReading again = ReadTicketLines(WriteTicketLines(reading.Tickets));
    EXPECT_TRUE(again.Faults.empty());
    EXPECT_EQ(again.Tickets, reading.Tickets);
}

TEST(GameRules, RulesAreDataAndBadTablesAreRefused) {
    const std::vector<TGameRules> shipped = ReadGameRules(DefaultGameRulesText());
    ASSERT_GE(shipped.size(), 2u);
    EXPECT_EQ(shipped[0].Price, 2);
    EXPECT_EQ(shipped[0].TierCount(), 6);
    // 直选: only all seven agreeing wins, once in 10^7.
    const TGameRules& exact = shipped[1];
    EXPECT_EQ(exact.Play, "直选");
    EXPECT_EQ(exact.TierOf(0x7F), 0);
    EXPECT_EQ(exact.TierOf(0x3F), -1);
    EXPECT_EQ(exact.ExactDrawCounts()[0], 1);

    const std::vector<TGameRules> custom = ReadGameRules(
        "[三连]\nprice = 1\nmatch = longest-run\ntier = 大奖, 7, 1000000\ntier = 小奖, 6, 10\n");
    const TTicketMatcher matcher(ParseNumbers("1234567"), custom[0]);
    EXPECT_EQ(matcher.Wins(MasksOfDigits("1234560"))[1], 1);
    EXPECT_EQ(matcher.Wins(MasksOfDigits("1234500")), TTierCounts{});
    // 1 + 18 draws of 10^7 give the two tiers.
    EXPECT_DOUBLE_EQ(custom[0].ExpectedReturn(), (1e6 * 1 + 10.0 * 18) / 1e7);

    struct Bad {
        const char* Text;
        const char* Names;
    };
    const Bad bad[] = {
        {"[a]\ntier = x, 7, 5\ntier = y, 7, 1\n", "重叠"},
        {"[a]\ntier = x, 7, 5\ntier = y, 5, 1\n", "缺少比对值为6"},
        {"[a]\nmatch = all-positions\ntier = x, 7, 5\ntier = y, 6, 1\n", "不会出现"},
        {"[a]\ntier = x, 7, lots\n", "第2行"},
        {"[a]\nprice = 0\ntier = x, 7, 5\n", "price"},
        {"[a]\n", "没有奖级"},
        {"price = 2\n", "游戏名称"},
        {"", "没有游戏"},
        {"[a]\ncolour = red\n", "colour"},
        {"[a]\nposition = x, 1-9\n", "position"},
        {"[a]\nposition = x, 0-9\nmatch = front-and-back\ntier = x, 1+0, 5\n", "至少两位"},
        {"[a]\nposition = x, 0-9\nposition = y, 0-9\nmatch = front-and-back\n"
         "tier = x, 1+1, 5\ntier = y, 1+1 0+1, 1\n",
         "重叠（比对值都是1+1）"},
        {"[a]\nposition = x, 0-9\nposition = y, 0-14\nmatch = box\ntier = x, 组三, 5\n", "0-9"},
        {"[a]\nmatch = box\ntier = x, 组九, 5\n", "组三"},
        {"[a]\ntier = x, 7, 5\nmatch = box\n", "match应写在tier之前"},
        {"[a]\ndays = 8\ntier = x, 7, 5\n", "days"},
    };
    for (const Bad& b : bad) {
        try {
            ReadGameRules(b.Text);
            ADD_FAILURE() << b.Text << " was read";
        } catch (const TError& e) {
            EXPECT_NE(std::string(e.what()).find(b.Names), std::string::npos)
                << b.Text << ": " << e.what();
        }
    }
}

TEST(TicketLedger, TotalsOfAHandWorkedBook) {
    const TGameRules& rules = DefaultGameRules();
    // Three draws; the fourth row is the coming draw.
    const std::vector<TDrawMasks> masks = {MasksOfDigits("1234567"), MasksOfDigits("1239999"),
                                           MasksOfDigits("0000000")};
    TTicket a =
        ParseTicket("1234500 x2 追3期");  // rows 0-2: 三等奖, 五等奖, 六等奖 (the two zeros), ×2
    TTicket b = ParseTicket("1234567");               // row 0: 一等奖, floating
    TTicket c = ParseTicket("12/3/4/5/6/7/8 追2期");  // rows 2-3: nothing, then pending
    const std::vector<TBookTicket> book = {{a, 0}, {b, 0}, {c, 2}};
    TFloatingAmounts floating;
    TLedger ledger = BuildLedger(book, rules, masks, floating);
    ASSERT_EQ(ledger.Draws.size(), 3u);
    EXPECT_EQ(ledger.Draws[0].Cost, (2 + 1) * 2);
    EXPECT_EQ(ledger.Draws[0].Prize, 2 * 1800);
    EXPECT_TRUE(ledger.Draws[0].PrizeUnknown);
    EXPECT_EQ(ledger.Draws[1].Prize, 2 * 20);
    EXPECT_EQ(ledger.Draws[2].Bets, 2 + 2);
    EXPECT_EQ(ledger.Draws[2].Prize, 2 * 5);
    EXPECT_EQ(ledger.Total.Cost, 6 + 4 + 8);
    EXPECT_EQ(ledger.Total.Prize, 3600 + 40 + 10);
    EXPECT_EQ(ledger.Draws[2].CumulativeFixedNet, 3650 - 18);
    EXPECT_EQ(ledger.PendingBets, 2);
    EXPECT_EQ(ledger.PendingCost, 4);
    EXPECT_DOUBLE_EQ(ledger.Total.ExpectedPrize, 9 * rules.ExpectedFixedPrize());
    EXPECT_DOUBLE_EQ(ledger.Draws[1].CumulativeExpectedNet, 5 * rules.ExpectedFixedPrize() - 10);

    // The open 一等奖 leaves row 0's and the total's net and return unknown in the CSV too.
    TCodes draws;
    for (int i = 0; i < 3; ++i) draws.Add();
    const std::string csv = LedgerCsv(ledger, rules, draws, TDrawRegister());
    const std::string firstLine = csv.substr(
        csv.find("\r\n") + 2, csv.find("\r\n", csv.find("\r\n") + 2) - csv.find("\r\n") - 2);
    EXPECT_NE(firstLine.find("3600+浮动奖未知,未知,未知,"), std::string::npos) << firstLine;
    EXPECT_NE(csv.find("\r\n合计,9,18,"), std::string::npos);
    EXPECT_NE(csv.find("+浮动奖未知,未知,未知,", csv.find("合计")), std::string::npos);

    floating[{0, 0}] = 5'000'000;
    ledger = BuildLedger(book, rules, masks, floating);
    EXPECT_FALSE(ledger.Total.PrizeUnknown);
    EXPECT_EQ(ledger.Total.Prize, 5'003'650);
    // The cumulative line set against chance counts the fixed tiers alone, as chance does.
    EXPECT_EQ(ledger.Total.CumulativeFixedNet, 3650 - 18);

    const std::vector<TTicketDrawResult> results = TicketResults(book[2], rules, masks, floating);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].Drawn);
    EXPECT_FALSE(results[1].Drawn);
}

// Money is multiplied and summed with a check against a 128-bit computation; an amount past
// any prize in a damaged book counts as unknown rather than wrapping the ledger round.
TEST(TicketLedger, MoneyNeverOverflows) {
    const int64_t big = std::numeric_limits<int64_t>::max();
    const std::vector<std::pair<int64_t, int64_t>> pairs = {{2, 5'000'000'000'000'000'000},
                                                            {3, 3'074'457'345'618'258'602},
                                                            {990'000'000, MaxPrizeAmount},
                                                            {1, big},
                                                            {big, 2},
                                                            {0, big},
                                                            {-4, big / 4},
                                                            {7, 1'000'000'000}};
    for (const auto& [a, b] : pairs) {
        const __int128 product = static_cast<__int128>(a) * b;
        const bool fits = product <= big && product >= std::numeric_limits<int64_t>::min();
        if (fits)
            EXPECT_EQ(MoneyTimes(a, b), static_cast<int64_t>(product)) << a << " " << b;
        else
            EXPECT_THROW(MoneyTimes(a, b), TError) << a << " " << b;
        int64_t sum = a;
        const __int128 exact = static_cast<__int128>(a) + b;
        if (exact <= big) {
            AddMoney(sum, b);
            EXPECT_EQ(sum, static_cast<int64_t>(exact));
        } else {
            EXPECT_THROW(AddMoney(sum, b), TError);
        }
    }

    const TGameRules rules = DefaultGameRules();
    const int32_t floating = 0;  // the first tier floats
    ASSERT_TRUE(rules.Tiers[floating].Floating);
    TTicket ticket;
    for (int32_t p = 0; p < TicketPositions; ++p) ticket.Sets[p] = static_cast<uint16_t>(1u << p);
    ticket.Multiple = 2;
    TDrawMasks draw{};
    for (int32_t p = 0; p < TicketPositions; ++p) draw[p] = static_cast<uint16_t>(1u << p);
    const TFloatingAmounts damaged = {{{0, floating}, 5'000'000'000'000'000'000}};
    const TLedger ledger = BuildLedger({{ticket, 0}}, rules, {draw}, damaged);
    EXPECT_TRUE(ledger.Total.PrizeUnknown);
    EXPECT_EQ(ledger.Total.Prize, 0);
    EXPECT_EQ(ledger.Total.Wins[floating], 2);
}

TEST(TicketLedger, HistoryOfOneBetAndDrawIdentity) {
    const TGameRules& rules = DefaultGameRules();
    const std::vector<TDrawMasks> masks = {MasksOfDigits("1234567"), MasksOfDigits("1200000"),
                                           MasksOfDigits("9999999"), MasksOfDigits("0034000")};
    const TBetHistory history = BetHistory(ParseNumbers("1234567"), rules, masks);
    EXPECT_EQ(history.Wins[0], 1);
    EXPECT_EQ(history.LastRow[0], 0);
    EXPECT_EQ(history.Wins[5], 2);
    EXPECT_EQ(history.LastRow[5], 3);
    EXPECT_EQ(history.LastRow[2], -1);

    const auto draws = RandomDraws(1, 5);
    const int32_t first = draws->FirstIssue();
    const TDrawRegister unknown;
    EXPECT_EQ(DrawRowOfIssue(*draws, unknown, std::to_string(first + 2)), 2);
    EXPECT_EQ(DrawRowOfIssue(*draws, unknown, std::to_string(first + 5)), 5);  // the coming draw
    EXPECT_THROW(DrawRowOfIssue(*draws, unknown, std::to_string(first + 6)), TError);
    EXPECT_THROW(DrawRowOfIssue(*draws, unknown, std::to_string(first - 1)), TError);
    EXPECT_EQ(IssueOfDrawRow(*draws, unknown, 3), std::to_string(first + 3));

    // With the register's 期号 (a year's turn inside), a ticket names its draw by them, in the
    // five- or seven-digit form, and the coming draw is the last 期号 + 1.
    TDrawRegister known;
    for (const char* issue : {"2024151", "2024152", "2025001", "2025002", "2025003"})
        known.Rows.push_back({issue, ""});
    EXPECT_EQ(DrawRowOfIssue(*draws, known, "2025001"), 2);
    EXPECT_EQ(DrawRowOfIssue(*draws, known, "25002"), 3);
    EXPECT_EQ(DrawRowOfIssue(*draws, known, "2025004"), 5);
    EXPECT_THROW(DrawRowOfIssue(*draws, known, "2024153"), TError);
    EXPECT_THROW(DrawRowOfIssue(*draws, known, std::to_string(first + 2)), TError);
    EXPECT_EQ(IssueOfDrawRow(*draws, known, 4), "2025003");
    EXPECT_EQ(IssueOfDrawRow(*draws, known, 5), "2025004");
}

// Money with thousands separators and probabilities without exponents, as the windows show them.
TEST(TicketLedger, GroupedNumbersAndProbabilityTexts) {
    EXPECT_EQ(GroupedNumber(0), "0");
    EXPECT_EQ(GroupedNumber(999), "999");
    EXPECT_EQ(GroupedNumber(4999992), "4,999,992");
    EXPECT_EQ(GroupedNumber(-1000), "-1,000");
    EXPECT_EQ(GroupedNumber(INT64_MIN), "-9,223,372,036,854,775,808");
    EXPECT_EQ(GroupedAmount(-1228.284), "-1,228.28");
    EXPECT_EQ(GroupedAmount(999.999), "1,000.00");
    EXPECT_EQ(GroupedAmount(-0.4), "-0.40");
    EXPECT_EQ(GroupedAmount(4999992), "4,999,992.00");
    EXPECT_EQ(ProbabilityText(1e-7), "0.00001%");
    EXPECT_EQ(ProbabilityText(1.8e-4), "0.018%");
    EXPECT_EQ(ProbabilityText(0.125), "12.5%");
    EXPECT_EQ(ProbabilityText(1.0), "100%");
    EXPECT_EQ(ProbabilityText(0.0), "0%");
}
