// The verdicts of the backtest: the exact distribution of the total hits, Holm's step-down,
// no inversion, the level in each direction, empty groups.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "search/BacktestVerdict.h"

namespace {

// Rows of independent patterns (each draw's patterns, hits and their common chance): the
// overall line (and every group, if asked) with the binomial distribution chance gives.
struct TDraw {
    int32_t Patterns;
    int32_t Hits;
    double Chance;
};
std::vector<TBacktestRow> RowsOf(const std::vector<TDraw>& draws, bool inGroups) {
    std::vector<TBacktestRow> rows;
    for (const TDraw& d : draws) {
        TBacktestRow row;
        row.Row = static_cast<int32_t>(rows.size()) + 1;
        row.Total = {d.Patterns, d.Hits, d.Patterns * d.Chance};
        row.Null[0] =
            PoissonBinomial(std::vector<double>(static_cast<size_t>(d.Patterns), d.Chance));
        if (inGroups) {
            row.Groups.fill(row.Total);
            row.Null.fill(row.Null[0]);
        }
        rows.push_back(row);
    }
    return rows;
}

// The binomial tail P(X <= k) for X ~ Bin(n, c), by its closed form.
double BinomialAtMost(int32_t n, int32_t k, double c) {
    double sum = 0;
    for (int32_t i = 0; i <= k; ++i)
        sum += std::exp(std::lgamma(n + 1.0) - std::lgamma(i + 1.0) - std::lgamma(n - i + 1.0) +
                        i * std::log(c) + (n - i) * std::log1p(-c));
    return sum;
}

TEST(BacktestVerdict, StudentCriticalValuesMatchPublishedTables) {
    // Two-sided 5% points of Student's t (e.g. Abramowitz and Stegun, table 26.10).
    const struct {
        int32_t Degrees;
        double Critical;
    } table[] = {{1, 12.7062047}, {2, 4.3026527},  {4, 2.7764451},
                 {9, 2.2621572},  {29, 2.0452296}, {1000, 1.9623391}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.Degrees);
        EXPECT_NEAR(StudentCriticalValue(row.Degrees), row.Critical, 5e-7);
        EXPECT_NEAR(StudentTwoSidedP(row.Critical, row.Degrees), 0.05, 1e-6);
        EXPECT_NEAR(StudentTwoSidedP(-row.Critical, row.Degrees), 0.05, 1e-6);
    }
    // The chance of |t| >= 2 the fixed threshold of earlier versions ignored.
    EXPECT_NEAR(StudentTwoSidedP(2.0, 1), 0.2952, 1e-4);
    EXPECT_NEAR(StudentTwoSidedP(2.0, 4), 0.1161, 1e-4);
}

// The sparse case of 全明 with seven steps: 49 patterns over twelve draws (one to seven each) at
// chance 10%. One hit: p = 2 P(Bin(49, 0.1) <= 1) = 0.0738, no verdict; no hit: p = 0.011, below.
// Over every total the verdicts never turn back (more hits never read worse) and the chance of
// each verdict under chance is at most 2.5%.
TEST(BacktestVerdict, TotalHitsReadAgainstTheirExactDistribution) {
    const int32_t counts[] = {1, 7, 2, 5, 3, 4, 6, 1, 7, 5, 4, 4};
    std::vector<TDraw> draws;
    for (int32_t n : counts) draws.push_back({n, 0, 0.1});
    const auto summarize = [&](int32_t hits) {
        std::vector<TBacktestRow> rows = RowsOf(draws, false);
        rows[1].Total.Hits = hits;  // where the hits fall does not matter
        return SummarizeBacktest(rows, 7);
    };
    const TBacktestSummary one = summarize(1);
    EXPECT_EQ(one.Total.Counts.Patterns, 49);
    EXPECT_NEAR(*one.Total.T.P, 2 * BinomialAtMost(49, 1, 0.1), 1e-12);
    EXPECT_NEAR(*one.Total.T.P, 0.0738, 1e-4);
    EXPECT_EQ(one.Total.Verdict, TBacktestVerdict::NoDifference);
    const std::string sentence = BacktestSentence(one, 12);
    for (const char* part : {"命中 1 次", "随机情况下平均命中 4.9 次", "p = 0.074",
                             "有规律的 12 期", "与随机水平无显著差异"})
        EXPECT_NE(sentence.find(part), std::string::npos) << part << "\n" << sentence;
    EXPECT_EQ(summarize(0).Total.Verdict, TBacktestVerdict::Below);

    double above = 0;
    double below = 0;
    TBacktestVerdict last = TBacktestVerdict::Below;
    for (int32_t hits = 0; hits <= 49; ++hits) {
        const TBacktestVerdict verdict = summarize(hits).Total.Verdict;
        const double chance =
            BinomialAtMost(49, hits, 0.1) - (hits > 0 ? BinomialAtMost(49, hits - 1, 0.1) : 0);
        if (verdict == TBacktestVerdict::Above) above += chance;
        if (verdict == TBacktestVerdict::Below) below += chance;
        const auto rank = [](TBacktestVerdict v) {
            return v == TBacktestVerdict::Below ? 0 : v == TBacktestVerdict::Above ? 2 : 1;
        };
        EXPECT_GE(rank(verdict), rank(last)) << hits;
        last = verdict;
    }
    EXPECT_EQ(last, TBacktestVerdict::Above);
    EXPECT_LE(above, 0.025);
    EXPECT_LE(below, 0.025);
    EXPECT_GT(below, 0);

    // Fewer than ten draws with predictions: no verdict, whatever p says.
    std::vector<TBacktestRow> few = RowsOf({{5, 5, 0.1}, {5, 5, 0.1}}, false);
    const TBacktestSummary fewSummary = SummarizeBacktest(few, 4);
    EXPECT_LT(*fewSummary.Total.T.P, 1e-6);
    EXPECT_EQ(fewSummary.Total.Verdict, TBacktestVerdict::TooFewDraws);
    EXPECT_EQ(SummarizeBacktest({}, 4).Total.Verdict, TBacktestVerdict::Empty);
}

TEST(BacktestVerdict, PooledRateAndMeanRateAreBothShown) {
    // 1,000 patterns with 80 hits and 10 with 5, each at chance 10%: pooled 85 / 1,010 = 8.4%
    // below 10%, while the per-draw rates 8% and 50% average 29%. The total is judged.
    const std::vector<TBacktestRow> rows = RowsOf({{1000, 80, 0.1}, {10, 5, 0.1}}, false);
    const TBacktestSummary summary = SummarizeBacktest(rows, 4);
    EXPECT_NEAR(summary.Total.HitRate(), 85.0 / 1010, 1e-12);
    EXPECT_NEAR(summary.Total.T.MeanHit, 0.29, 1e-12);
    EXPECT_NEAR(summary.Total.T.ExpectedHits, 101, 1e-9);
    EXPECT_NEAR(summary.Total.T.HitsSd, std::sqrt(1010 * 0.09), 1e-9);
    EXPECT_NEAR(*summary.Total.T.T, (85 - 101) / std::sqrt(1010 * 0.09), 1e-9);
    EXPECT_NEAR(*summary.Total.T.P, 2 * BinomialAtMost(1010, 85, 0.1), 1e-12);
    const auto table = BacktestTable(summary);
    EXPECT_EQ(table[0].Cells[4], "8.4%");
    EXPECT_EQ(table[0].Cells[6], "-1.6%");
    EXPECT_EQ(table[0].Cells[8], "29.0%");
    // Counts are grouped on screen and plain in the CSV, whose fields commas part.
    EXPECT_EQ(table[0].Cells[2], "1,010");
    EXPECT_NE(BacktestTableCsv(summary).find(",1010,85,"), std::string::npos)
        << BacktestTableCsv(summary);
}

// Holm by its adjusted probabilities, max over j <= i of (k - j + 1) p(j), written apart from
// the step-down of the program.
std::vector<bool> HolmByAdjustedP(const std::vector<std::optional<double>>& p, double level) {
    std::vector<size_t> order;
    for (size_t i = 0; i < p.size(); ++i)
        if (p[i]) order.push_back(i);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return *p[a] < *p[b]; });
    std::vector<bool> rejected(p.size(), false);
    double adjusted = 0;
    for (size_t j = 0; j < order.size(); ++j) {
        adjusted = std::max(adjusted, static_cast<double>(order.size() - j) * *p[order[j]]);
        rejected[order[j]] = adjusted <= level;
    }
    return rejected;
}

TEST(BacktestVerdict, HolmStepsDownOverTheTestedGroupsOnly) {
    using P = std::vector<std::optional<double>>;
    const struct {
        P Probabilities;
        std::vector<bool> Rejected;
    } cases[] = {
        // Bonferroni (0.0125 each) would keep only the first two; Holm takes all four.
        {{0.011, 0.02, 0.04, 0.005}, {true, true, true, true}},
        // The step-down stops at 0.03 > 0.05 / 3: 0.045 stays although it is under 0.05.
        {{0.001, 0.03, 0.04, 0.045}, {true, false, false, false}},
        // Untested groups do not count: two tested, 0.02 <= 0.05 / 2.
        {{0.02, {}, 0.04, {}}, {true, false, true, false}},
        {{{}, {}}, {false, false}},
    };
    for (const auto& c : cases) EXPECT_EQ(HolmRejections(c.Probabilities), c.Rejected);

    std::mt19937 random(5);
    for (int trial = 0; trial < 500; ++trial) {
        P p(11);
        for (auto& value : p)
            if (random() % 4 != 0) value = std::pow(0.1, (random() % 400) / 100.0) / 2;
        if (trial % 7 == 0) p[3] = p[5] = p[0];  // ties
        EXPECT_EQ(HolmRejections(p), HolmByAdjustedP(p, VerdictLevel)) << trial;
    }
}

TEST(BacktestVerdict, GroupsReadAVerdictOnlyAfterHolmTheOverallLineAtItsOwnLevel) {
    // Twelve draws of 20 patterns at 10% with 37 hits: p = 2 P(Bin(240, 0.1) >= 37), about
    // 0.02, under 5% but over 5% / 11.
    std::vector<TDraw> draws(12, {20, 3, 0.1});
    draws[0].Hits = 4;
    const double p = 2 * (1 - BinomialAtMost(240, 36, 0.1));
    ASSERT_GT(p, 0.05 / 11);
    ASSERT_LT(p, 0.05);
    const TBacktestSummary all = SummarizeBacktest(RowsOf(draws, true), 4);
    EXPECT_NEAR(*all.Total.T.P, p, 1e-12);
    EXPECT_EQ(all.Total.Verdict, TBacktestVerdict::Above);
    EXPECT_EQ(all.TestedGroups, BacktestGroupCount);
    for (const TBacktestLine& group : all.Groups)
        EXPECT_EQ(group.Verdict, TBacktestVerdict::NoDifference) << group.Name;
    EXPECT_NE(BacktestTableNote(all).find("Holm–Bonferroni 校正（参与比较的分组 11 个"),
              std::string::npos);

    // Alone in its family, the same group reads the verdict; the empty groups read "-".
    std::vector<TBacktestRow> rows = RowsOf(draws, false);
    for (auto& row : rows) {
        row.Groups[FirstContrastGroup + 2] = row.Total;
        row.Null[1 + FirstContrastGroup + 2] = row.Null[0];
    }
    const TBacktestSummary one = SummarizeBacktest(rows, 4);
    EXPECT_EQ(one.TestedGroups, 1);
    EXPECT_EQ(one.Groups[FirstContrastGroup + 2].Verdict, TBacktestVerdict::Above);
    const auto table = BacktestTable(one);
    ASSERT_EQ(table.size(), 1u + BacktestGroupCount);
    EXPECT_EQ(table[1 + FirstContrastGroup].Cells,
              (std::vector<std::string>{"对比", "全明", "0", "0", "-", "-", "-", "0", "-", "-", "-",
                                        "-", "-"}));
    EXPECT_EQ(table[1 + FirstContrastGroup + 2].Cells.back(), "高于随机水平");
    const std::string csv = BacktestTableCsv(one);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "分组,名称,预测,命中,命中率,随机水平,差值,期数,平均命中率,平均随机水平,z,p,结论");
    EXPECT_NE(csv.find("\r\n对比,全明,0,0,-,-,-,0,-,-,-,-,-\r\n"), std::string::npos) << csv;
}

TEST(BacktestVerdict, AStoppedRunNamesTheRowsItScored) {
    std::vector<TBacktestRow> rows = RowsOf(std::vector<TDraw>(12, {10, 1, 0.1}), false);
    for (auto& row : rows) row.Row += 2400;
    const TBacktestSummary summary = SummarizeBacktest(rows, 4);
    EXPECT_EQ(BacktestSentence(summary, 2412).rfind("回测最近 12 期：", 0), 0u);
    EXPECT_EQ(BacktestSentence(summary, 2500).rfind("回测第2401–2412期（共 12 期）：", 0), 0u);
}

}  // namespace

// A difference that rounds to zero has no sign; others keep theirs, rounded to a tenth.
TEST(BacktestVerdict, DifferencesRoundToATenthAndZeroHasNoSign) {
    EXPECT_EQ(BacktestDifferenceText(-0.00001), "0.0%");
    EXPECT_EQ(BacktestDifferenceText(0.0004), "0.0%");
    EXPECT_EQ(BacktestDifferenceText(-0.0006), "-0.1%");
    EXPECT_EQ(BacktestDifferenceText(0.0123), "+1.2%");
}
