// The verdicts of the backtest: Student's t, Holm's step-down, which mean is judged, no spread
// and empty groups.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "search/BacktestVerdict.h"

namespace {

// Rows whose overall line (and every group, if asked) hold the given per-draw rates, as counts
// of a billion patterns.
std::vector<TBacktestRow> RowsOf(const std::vector<TBacktestRates>& rates, bool inGroups) {
    constexpr double Scale = 1e9;
    std::vector<TBacktestRow> rows;
    for (const TBacktestRates& r : rates) {
        TBacktestRow row;
        row.Row = static_cast<int32_t>(rows.size()) + 1;
        row.Total = {static_cast<int64_t>(Scale), std::llround(r.Hit * Scale), r.Chance * Scale};
        if (inGroups) row.Groups.fill(row.Total);
        rows.push_back(row);
    }
    return rows;
}

// m draws (m even) at chance 10% whose differences are mean + spread, mean - spread, ... : their
// sample deviation is spread * sqrt(m / (m - 1)), so t = mean * sqrt(m - 1) / spread by hand.
std::vector<TBacktestRates> Alternating(int m, double mean, double spread) {
    std::vector<TBacktestRates> rates;
    for (int i = 0; i < m; ++i) rates.push_back({0.1 + mean + (i % 2 ? -spread : spread), 0.1});
    return rates;
}

std::vector<TBacktestRates> Same(int m, double hit, double chance) {
    return std::vector<TBacktestRates>(static_cast<size_t>(m), TBacktestRates{hit, chance});
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

TEST(BacktestVerdict, VerdictsOfConstructedSeries) {
    const double t9 = StudentCriticalValue(9);
    const struct {
        const char* Name;
        std::vector<TBacktestRates> Rates;
        TBacktestVerdict Verdict;
        TNoTReason NoT;
        std::optional<double> T;
    } cases[] = {
        {"no draws", {}, TBacktestVerdict::Empty, TNoTReason::TooFewDraws, {}},
        {"one draw", {{0.5, 0.1}}, TBacktestVerdict::TooFewDraws, TNoTReason::TooFewDraws, {}},
        // A large t on six draws is no verdict.
        {"six draws", Alternating(6, 0.1, 0.02), TBacktestVerdict::TooFewDraws, TNoTReason::None,
         0.1 * std::sqrt(5.0) / 0.02},
        {"just above", Alternating(10, (t9 + 0.01) * 0.03 / 3, 0.03), TBacktestVerdict::Above,
         TNoTReason::None, t9 + 0.01},
        {"just below", Alternating(10, (t9 - 0.01) * 0.03 / 3, 0.03),
         TBacktestVerdict::NoDifference, TNoTReason::None, t9 - 0.01},
        {"below", Alternating(10, -(t9 + 0.01) * 0.03 / 3, 0.03), TBacktestVerdict::Below,
         TNoTReason::None, -(t9 + 0.01)},
        // No spread: every pattern of ten draws missed at chance 10%, which chance gives with
        // probability 0.9^10 = 0.35, so no verdict either way.
        {"all missed, likely",
         Same(10, 0.0, 0.1),
         TBacktestVerdict::NoDifference,
         TNoTReason::NoSpread,
         {}},
        // ... at 20% on forty draws: at most 2 * 0.8^40.
        {"all missed, unlikely",
         Same(40, 0.0, 0.2),
         TBacktestVerdict::Below,
         TNoTReason::NoSpread,
         {}},
        // Half of each draw's patterns hit at chance 10%: at most 2 * 0.2^10.
        {"half hit every draw",
         Same(10, 0.5, 0.1),
         TBacktestVerdict::Above,
         TNoTReason::NoSpread,
         {}},
        {"at chance every draw",
         Same(12, 0.1, 0.1),
         TBacktestVerdict::NoDifference,
         TNoTReason::NoSpread,
         {}},
        {"no spread, few draws",
         Same(4, 0.5, 0.1),
         TBacktestVerdict::TooFewDraws,
         TNoTReason::NoSpread,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TBacktestSummary summary = SummarizeBacktest(RowsOf(c.Rates, false), 4);
        const TBacktestLine& total = summary.Total;
        EXPECT_EQ(total.Verdict, c.Verdict) << total.VerdictText();
        EXPECT_EQ(total.T.NoT, c.NoT);
        EXPECT_EQ(total.T.Rows, static_cast<int32_t>(c.Rates.size()));
        ASSERT_EQ(total.T.T.has_value(), c.T.has_value());
        if (c.T) {
            EXPECT_NEAR(*total.T.T, *c.T, 1e-6);
        }
        const std::string sentence =
            BacktestSentence(summary, static_cast<int32_t>(c.Rates.size()));
        if (c.Rates.empty()) continue;
        EXPECT_NE(sentence.find(total.VerdictText()), std::string::npos) << sentence;
        // The missing t names its real reason.
        const char* reason = c.NoT == TNoTReason::NoSpread ? "没有离散"
                             : c.Rates.size() < 10 && !c.T ? "只有"
                                                           : "t = ";
        EXPECT_NE(sentence.find(reason), std::string::npos) << sentence;
        if (c.Rates.size() < 10) {
            EXPECT_NE(sentence.find("期数不足，无法判断"), std::string::npos) << sentence;
        }
    }
    EXPECT_NEAR(*SummarizeBacktest(RowsOf(Same(40, 0.0, 0.2), false), 4).Total.T.P,
                2 * std::pow(0.8, 40), 1e-15);
}

TEST(BacktestVerdict, TheSkewnessOfTheDrawsIsRemovedFromT) {
    // Eight draws 5 points under chance and two over it by 5 and 15: skewed to the right, as a
    // draw's shared digits make it. Worked apart (Python): plain t = -0.93704, skewness 1.91979,
    // Hall's t = -0.66941; the mirrored series gives the mirrored values.
    for (const double sign : {1.0, -1.0}) {
        std::vector<TBacktestRates> rates = Same(8, 0.1 - sign * 0.05, 0.1);
        rates.push_back({0.1 + sign * 0.05, 0.1});
        rates.push_back({0.1 + sign * 0.15, 0.1});
        const TBacktestT t = SummarizeBacktest(RowsOf(rates, false), 4).Total.T;
        ASSERT_TRUE(t.T && t.PlainT);
        EXPECT_NEAR(*t.PlainT, -sign * 0.9370426, 1e-6);
        EXPECT_NEAR(t.Skewness, sign * 1.9197945, 1e-6);
        EXPECT_NEAR(*t.T, -sign * 0.6694061, 1e-6);
    }
}

TEST(BacktestVerdict, PooledRateAndMeanRateCanPointOppositeWays) {
    // 1,000 patterns with 80 hits and 10 with 5, each at chance 10%: pooled 85 / 1,010 = 8.4%
    // below 10%, while the per-draw rates 8% and 50% average 29%, 19 points above.
    std::vector<TBacktestRow> rows(2);
    rows[0] = {1, {1000, 80, 100.0}, {}};
    rows[1] = {2, {10, 5, 1.0}, {}};
    const TBacktestSummary summary = SummarizeBacktest(rows, 4);
    EXPECT_NEAR(summary.Total.HitRate(), 85.0 / 1010, 1e-12);
    EXPECT_NEAR(summary.Total.T.MeanHit, 0.29, 1e-12);
    EXPECT_NEAR(summary.Total.T.MeanChance, 0.1, 1e-12);
    EXPECT_NEAR(summary.Total.T.MeanDifference, 0.19, 1e-12);
    const std::string sentence = BacktestSentence(summary, 2);
    for (const char* part :
         {"命中率 8.4%", "随机水平 10.0%", "结论针对每期命中率的平均", "平均命中率 29.0%",
          "平均随机水平 10.0%", "有规律的 2 期", "期数不足，无法判断"})
        EXPECT_NE(sentence.find(part), std::string::npos) << part << "\n" << sentence;
    const auto table = BacktestTable(summary);
    EXPECT_EQ(table[0].Cells[4], "8.4%");
    EXPECT_EQ(table[0].Cells[6], "-1.6%");
    EXPECT_EQ(table[0].Cells[8], "29.0%");
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
    // t = 2.574 on ten draws: p = 0.03, under 5% but over 5% / 11.
    const auto rates = Alternating(10, 2.574 * 0.03 / 3, 0.03);
    const TBacktestSummary all = SummarizeBacktest(RowsOf(rates, true), 4);
    ASSERT_NEAR(*all.Total.T.P, 0.03, 1e-3);
    EXPECT_EQ(all.Total.Verdict, TBacktestVerdict::Above);
    EXPECT_EQ(all.TestedGroups, BacktestGroupCount);
    for (const TBacktestLine& group : all.Groups)
        EXPECT_EQ(group.Verdict, TBacktestVerdict::NoDifference) << group.Name;
    EXPECT_NE(BacktestTableNote(all).find("Holm–Bonferroni 校正（参与比较的分组 11 个"),
              std::string::npos);

    // Alone in its family, the same group reads the verdict; the empty groups read "-".
    std::vector<TBacktestRow> rows = RowsOf(rates, false);
    for (auto& row : rows) row.Groups[FirstContrastGroup + 2] = row.Total;
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
              "分组,名称,预测,命中,命中率,随机水平,差值,期数,平均命中率,平均随机水平,t,p,结论");
    EXPECT_NE(csv.find("\r\n对比,全明,0,0,-,-,-,0,-,-,-,-,-\r\n"), std::string::npos) << csv;
}

TEST(BacktestVerdict, AStoppedRunNamesTheRowsItScored) {
    std::vector<TBacktestRow> rows = RowsOf(Alternating(12, 0, 0.01), false);
    for (auto& row : rows) row.Row += 2400;
    const TBacktestSummary summary = SummarizeBacktest(rows, 4);
    EXPECT_EQ(BacktestSentence(summary, 2412).rfind("回测最近 12 期：", 0), 0u);
    EXPECT_EQ(BacktestSentence(summary, 2500).rfind("回测第2401–2412期（共 12 期）：", 0), 0u);
}

}  // namespace
