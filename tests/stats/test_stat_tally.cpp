#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "search/Gui2Reg.h"
#include "search/PatternCheck.h"
#include "stats/StatTally.h"
#include "tests/support/SearchTestSupport.h"

namespace {

// A 全明 pattern that marks the given columns on its low and high lines and forecasts the digits.
std::unique_ptr<TGui2Reg> Marked(std::vector<int> low, int lowDigit, std::vector<int> high = {},
                                 int highDigit = 0, int contrastKind = 1) {
    auto p = std::make_unique<TGui2Reg>();
    p->ContrastKind = static_cast<int8_t>(contrastKind);
    for (int c : low) p->SetPosition(0, c, true);
    for (int c : high) p->SetPosition(1, c, true);
    p->SetResult(0, lowDigit);
    p->SetResult(1, highDigit);
    return p;
}

// The non-zero counts of every chart as "chart:digit*count ...", or "" when all are zero.
std::string Counted(TStatKind kind, const std::vector<std::unique_ptr<TGui2Reg>>& patterns) {
    const std::vector<TStatTally> tallies = RunStatistic(kind, patterns);
    EXPECT_EQ(static_cast<int32_t>(tallies.size()), StatChartCount(kind));
    std::string text;
    for (size_t k = 0; k < tallies.size(); ++k) {
        EXPECT_EQ(tallies[k].Slots[0], 0);
        for (size_t d = 0; d < 10; ++d)
            if (tallies[k].Slots[d + 1] != 0)
                text += (text.empty() ? "" : " ") + std::to_string(k) + ":" + std::to_string(d) +
                        "*" + std::to_string(tallies[k].Slots[d + 1]);
    }
    return text;
}

TEST(StatTexts, SubjectsTitlesAndLabels) {
    // The window's test reads the titles of every one-position chart.
    std::vector<std::string> sums, diffs;
    for (int k = 0; k < StatChartCount(skPairSum); ++k) sums.push_back(StatSubject(skPairSum, k));
    for (int k = 0; k < StatChartCount(skPairDiff); ++k)
        diffs.push_back(StatSubject(skPairDiff, k));
    EXPECT_EQ(sums, (std::vector<std::string>{"A+B", "A+C", "A+D", "B+C", "B+D", "C+D"}));
    EXPECT_EQ(diffs, (std::vector<std::string>{"AB", "AC", "AD", "BC", "BD", "CD"}));
    EXPECT_EQ(StatTitle(skPairSum, 4), "两位合分 规律统计:B+D位");
    EXPECT_EQ(StatTitle(skPairDiff, 5), "两位差分 规律统计:CD位差");
    EXPECT_EQ(StatColumnLabel(skFixedDigit, 0, 3), "A=3");
    EXPECT_EQ(StatColumnLabel(skPairSum, 0, 3), "A+B=3");
    EXPECT_EQ(StatColumnLabel(skPairDiff, 0, 3), "AB差3");
}

TEST(StatTally, OnePositionCountsOnlyASingleMarkOnTheLowLineAtAToD) {
    std::vector<std::unique_ptr<TGui2Reg>> patterns;
    patterns.push_back(Marked({1}, 3));
    patterns.push_back(Marked({1}, 3));
    patterns.push_back(Marked({4}, 0));
    patterns.push_back(Marked({2}, 9));
    patterns.push_back(Marked({0}, 5));          // H
    patterns.push_back(Marked({5}, 5));          // E
    patterns.push_back(Marked({7}, 5));          // G
    patterns.push_back(Marked({1, 2}, 5));       // two marks
    patterns.push_back(Marked({1}, 5, {1}, 2));  // both lines mark
    patterns.push_back(Marked({}, 5, {1}, 2));   // only the high line marks
    EXPECT_EQ(Counted(skFixedDigit, patterns), "0:3*2 1:9*1 3:0*1");
}

TEST(StatTally, PairSumNeedsExactlyBothPositionsOnTheLowLine) {
    std::vector<std::unique_ptr<TGui2Reg>> patterns;
    patterns.push_back(Marked({1, 2}, 4));
    patterns.push_back(Marked({2, 4}, 6));
    patterns.push_back(Marked({3, 4}, 1));
    patterns.push_back(Marked({1, 2, 3}, 4));       // three marks
    patterns.push_back(Marked({1, 5}, 4));          // A+E is no pair of the table
    patterns.push_back(Marked({1, 2}, 4, {7}, 1));  // the high line marks too
    patterns.push_back(Marked({1}, 4, {2}, 1));     // one mark on each line
    EXPECT_EQ(Counted(skPairSum, patterns), "0:4*1 4:6*1 5:1*1");
}

TEST(StatTally, PairDifferenceTakesTheLowerPositionFromTheLowLine) {
    std::vector<std::unique_ptr<TGui2Reg>> patterns;
    patterns.push_back(Marked({1}, 2, {2}, 9));  // AB: A-B = 3 or -7: 3 and 7 apart
    patterns.push_back(Marked({1}, 9, {2}, 2));  // AB: A-B = 7 or -3, the same distances
    patterns.push_back(Marked({2}, 5, {1}, 5));  // B low, A high: no chart
    patterns.push_back(Marked({3}, 4, {4}, 4));  // CD: 0
    patterns.push_back(Marked({1}, 0, {1}, 9));  // same position on both lines
    patterns.push_back(Marked({1, 2}, 0, {3}, 9));
    patterns.push_back(Marked({2}, 0, {4, 5}, 9));
    patterns.push_back(Marked({1}, 0, {5}, 9));  // E is not counted
    EXPECT_EQ(Counted(skPairDiff, patterns), "0:3*2 0:7*2 5:0*1");
}

TEST(StatTally, DigitsOutsideZeroToNineAreCountedNowhere) {
    std::vector<std::unique_ptr<TGui2Reg>> patterns;
    patterns.push_back(Marked({1}, 10));
    patterns.push_back(Marked({1}, -1));
    patterns.push_back(Marked({1}, 2000000000));
    patterns.push_back(Marked({1, 2}, -7));
    patterns.push_back(Marked({1}, 3, {2}, 12));
    patterns.push_back(Marked({1}, -2147483647 - 1, {2}, 2147483647));
    for (TStatKind kind : {skFixedDigit, skPairSum, skPairDiff})
        EXPECT_EQ(Counted(kind, patterns), "") << StatName(kind);
}

TEST(StatTally, AxisMaximumIsAtLeastTenAndAMultipleOfTen) {
    TStatTally tally;
    EXPECT_EQ(tally.AxisMaximum(), 10);
    tally.Slots[4] = 10;
    EXPECT_EQ(tally.AxisMaximum(), 10);
    tally.Slots[9] = 15;
    EXPECT_EQ(tally.AxisMaximum(), 20);
    tally.Slots[0] = 1000;  // the unused slot plays no part
    EXPECT_EQ(tally.AxisMaximum(), 20);
    tally.Slots[10] = 21;
    EXPECT_EQ(tally.AxisMaximum(), 30);
}

// The one-pass tally agrees with testing every chart on every pattern.
TEST(StatTally, AgreesWithTheChartByChartTests) {
    std::mt19937 random(7);
    std::vector<std::unique_ptr<TGui2Reg>> patterns;
    for (int i = 0; i < 4000; ++i) {
        auto p = std::make_unique<TGui2Reg>();
        for (int line = 0; line < 2; ++line) {
            const int marks = static_cast<int>(random() % 4);
            for (int m = 0; m < marks; ++m)
                p->SetPosition(line, static_cast<int>(random() % 8), true);
            p->SetResult(line, static_cast<int>(random() % 10));
        }
        p->ContrastKind = static_cast<int8_t>(1 + random() % 3);
        patterns.push_back(std::move(p));
    }
    std::vector<const TGui2Reg*> view;
    for (const auto& p : patterns) view.push_back(p.get());
    for (TStatKind kind : {skFixedDigit, skPairSum, skPairDiff}) {
        const auto tallies = RunStatistic(kind, view);
        int64_t total = 0;
        for (int k = 0; k < StatChartCount(kind); ++k) {
            TStatTally expected;
            for (const auto& p : patterns) {
                const TStatForecast forecast = StatForecast(kind, k, *p);
                for (size_t d = 0; d < 10; ++d)
                    if (forecast.Pairs[d] > 0) ++expected.Slots[d + 1];
            }
            EXPECT_EQ(tallies[static_cast<size_t>(k)].Slots, expected.Slots)
                << StatName(kind) << " chart " << k;
            for (int32_t n : expected.Slots) total += n;
        }
        EXPECT_GT(total, 20) << StatName(kind);  // the random patterns reach every statistic
    }
}

// A statistic that counts nothing says why instead of drawing charts of zeros.
TEST(StatTally, EmptyStatisticsSayWhy) {
    std::vector<std::unique_ptr<TGui2Reg>> none;
    EXPECT_EQ(StatEmptyReason(skPairDiff, 0, RunStatistic(skPairDiff, none)),
              "还没有规律可以统计：请先搜索规律（F5），再统计。");

    std::vector<std::unique_ptr<TGui2Reg>> patterns;
    patterns.push_back(Marked({2}, 4));  // one low mark: 定位定数 only
    patterns.push_back(Marked({1, 3}, 4));
    const std::string diff = StatEmptyReason(skPairDiff, 2, RunStatistic(skPairDiff, patterns));
    EXPECT_EQ(diff.rfind("两数差分只统计低线和高线", 0), 0u) << diff;
    EXPECT_NE(diff.find("现有的2条规律中没有这样的规律"), std::string::npos) << diff;
    EXPECT_NE(diff.find("落码类型“两位差分”"), std::string::npos) << diff;
    EXPECT_EQ(StatEmptyReason(skFixedDigit, 2, RunStatistic(skFixedDigit, patterns)), "");
    EXPECT_EQ(StatEmptyReason(skPairSum, 2, RunStatistic(skPairSum, patterns)), "");
}

}  // namespace

namespace {

// A chart counts a 明对 pattern under both digits of its pair, a 全明 or 全对 one under one.
TEST(StatTally, PairedPatternsCountUnderBothDigitsOfThePair) {
    std::vector<std::unique_ptr<TGui2Reg>> patterns;
    patterns.push_back(Marked({1}, 8, {}, 0, 3));     // A = 3 or 8
    patterns.push_back(Marked({2}, 4, {}, 0, 2));     // 全对 B = 4
    patterns.push_back(Marked({1, 2}, 9, {}, 0, 3));  // A+B = 4 or 9
    EXPECT_EQ(Counted(skFixedDigit, patterns), "0:3*1 0:8*1 1:4*1");
    EXPECT_EQ(Counted(skPairSum, patterns), "0:4*1 0:9*1");
    const auto tallies = RunStatistic(skFixedDigit, patterns);
    EXPECT_EQ(StatChanceText(tallies[0]), "每个规律随机命中机会20%");
    EXPECT_EQ(StatChanceText(tallies[1]), "每个规律随机命中机会10%");
    EXPECT_EQ(StatChanceText(tallies[2]), "");
}

// The hit counts against patterns a search found (明对, 全明), checked against the hit rule
// and the exact chance of each pattern: a pattern hits exactly when the chart counts it under
// the value the draw gave, and that hit is counted there (not under the stored digit).
TEST(StatTally, HitCountsAreThoseOfThePatternsWhoseComingDrawIsKnown) {
    const auto searched = RandomDraws(23, 40);
    for (const auto& [kind, style, contrast] :
         {std::tuple{skFixedDigit, 1, 3}, std::tuple{skPairSum, 2, 3}, std::tuple{skPairDiff, 3, 3},
          std::tuple{skFixedDigit, 1, 1}, std::tuple{skPairDiff, 3, 1}}) {
        SCOPED_TRACE(StatName(kind) + std::to_string(contrast));
        SearchOptions options;
        options.SecCountSe = 3;
        options.FallStyleGbx = style;
        options.SumConstrastGbx = contrast;
        if (kind == skPairDiff) options.LinegDistMinSe = 0;  // its high line starts at row 0
        TRecordingSink found;
        found.KeepPatterns = true;
        Search(RunSearch, options, *searched, found, 1);
        ASSERT_FALSE(found.Patterns.empty());
        TCodes today;
        today.Assign(*searched);
        const int32_t coming = today.Add();
        for (int32_t p = 1; p <= 7; ++p) today.SetNum(p, coming, (p * 7) % 10);

        const std::vector<THitTally> tallies =
            RunHitStatistic(kind, found.Patterns, today, *searched);
        ASSERT_EQ(static_cast<int32_t>(tallies.size()), StatChartCount(kind));
        int32_t counted = 0;
        int32_t hits = 0;
        for (int32_t k = 0; k < StatChartCount(kind); ++k) {
            THitTally expected;
            const int32_t drawn = StatSubjectValue(kind, k, today, coming);
            ASSERT_GE(drawn, 0);
            for (const auto& pattern : found.Patterns) {
                const TStatForecast forecast = StatForecast(kind, k, *pattern);
                if (!forecast.Counted()) continue;
                int32_t pairs = 0;
                for (size_t d = 0; d < 10; ++d) {
                    if (forecast.Pairs[d] == 0) continue;
                    ++expected.Patterns[d + 1];
                    expected.Chance[d + 1] += forecast.Pairs[d] / 100.0;
                    pairs += forecast.Pairs[d];
                }
                EXPECT_NEAR(pairs / 100.0, PatternChance(*pattern, today), 1e-12);
                const bool hit = PatternHits(*pattern, today);
                // A distance also comes from the other difference (7 apart is A-B = 7 or -7).
                const bool counts = forecast.Pairs[static_cast<size_t>(drawn)] > 0;
                if (kind == skPairDiff)
                    EXPECT_TRUE(counts || !hit);
                else
                    EXPECT_EQ(hit, counts);
                expected.Hits[static_cast<size_t>(drawn) + 1] += hit ? 1 : 0;
            }
            const THitTally& got = tallies[static_cast<size_t>(k)];
            EXPECT_EQ(got.Patterns, expected.Patterns);
            EXPECT_EQ(got.Hits, expected.Hits);
            for (size_t slot = 0; slot < 11; ++slot)
                EXPECT_NEAR(got.Chance[slot], expected.Chance[slot], 1e-9);
            for (size_t slot = 1; slot < 11; ++slot) {
                counted += got.Patterns[slot];
                hits += got.Hits[slot];
            }
        }
        EXPECT_GT(counted, 0);
        EXPECT_LE(hits, counted);
        EXPECT_EQ(HitEmptyReason(kind, tallies), "");

        // Before the coming draw, or after an old draw changed, nothing can be counted.
        TCodes edited;
        edited.Assign(today);
        edited.SetNum(5, 0, (edited.GetNum(5, 0) + 1) % 10);
        const TCodes* const unverifiable[] = {searched.get(), &edited};
        for (const TCodes* draws : unverifiable) {
            const auto none = RunHitStatistic(kind, found.Patterns, *draws, *searched);
            EXPECT_NE(HitEmptyReason(kind, none), "");
        }
    }
}

}  // namespace
