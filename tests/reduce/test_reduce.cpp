#include <gtest/gtest.h>

#include <algorithm>
#include <boost/math/distributions/chi_squared.hpp>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numeric>
#include <random>

#include "reduce/ReduceBets.h"
#include "reduce/ReduceCheck.h"
#include "reduce/ReduceConditions.h"
#include "reduce/ReduceCount.h"
#include "search/PatternCheck.h"
#include "tests/support/SearchTestSupport.h"
#include "tests/support/TempFolder.h"

namespace {

int64_t Kept(const std::string& text, const TReduceContext& context = {}) {
    TJobControl stop;
    return CountReduced(TReducePlan(ReadReduceSet(text), context), false, 2, stop).Kept;
}

TShapeDraw Digits(std::array<int, 7> d) {
    TShapeDraw draw;
    for (size_t i = 0; i < 7; ++i) draw[i] = static_cast<uint8_t>(d[i]);
    return draw;
}

std::unique_ptr<TCodes> Draws(const std::vector<TShapeDraw>& rows) {
    auto draws = std::make_unique<TCodes>();
    for (const TShapeDraw& d : rows) {
        const int32_t row = draws->Add();
        for (int32_t p = 1; p <= 7; ++p) draws->SetNum(p, row, d[static_cast<size_t>(p - 1)]);
    }
    return draws;
}

}  // namespace

// Counts known in closed form, and every category of every metric against the shape module's
// own exact counts (a different way of counting: multisets and polynomials).
TEST(ReduceCount, CountsAgreeWithClosedFormsAndTheShapeCounts) {
    const struct {
        const char* text;
        int64_t kept;
    } cases[] = {
        {"定位 A 5", 1'000'000},
        {"定位 G 13579", 5'000'000},
        {"和值 0", 1},
        {"和值 63", 1},
        {"和值 0-63", 10'000'000},
        {"杀号 * 0", 4'782'969},  // 9^7
        {"杀号 C 0123", 6'000'000},
        {"胆码 7 1", 10'000'000 - 4'782'969},
        {"胆码 7 7", 1},
        {"定位 A 1\n定位 B 2\n定位 C 3\n定位 D 4", 1000},
        {"跨度 0", 10},
        {"奇偶比 7", 78'125},  // 5^7
    };
    for (const auto& c : cases) EXPECT_EQ(Kept(c.text), c.kept) << c.text;

    const TShapeDraw previous = Digits({0, 9, 5, 5, 1, 8, 4});
    TReduceContext context;
    context.Previous = previous;
    for (const TShapeMetric& metric : AllShapeMetrics()) {
        const std::vector<int64_t> expected = ShapeCategoryCounts(metric, &previous);
        // A few categories of each metric, the first, the last and one inside.
        const int32_t n = metric.CategoryCount();
        for (int32_t category : {0, n / 2, n - 1}) {
            TReduceSet set;
            TReduceCondition condition;
            condition.Kind = TConditionKind::Metric;
            condition.Metric = metric.Id();
            condition.Categories = uint64_t{1} << category;
            set.Items.push_back(condition);
            TJobControl stop;
            EXPECT_EQ(CountReduced(TReducePlan(set, context), false, 1, stop).Kept,
                      expected[static_cast<size_t>(category)])
                << metric.Name() << " " << category;
        }
    }
}

// Tolerance: the count and the kept bets against a plain loop over every candidate that checks
// each condition its own way.
TEST(ReduceCount, ToleranceAgreesWithBruteForce) {
    const std::string text = "定位 A 0123\n和值 25-40\n跨度 7-9\n奇偶比 3,4\n杀号 * 9\n";
    auto fails = [](const std::array<int, 7>& d) {
        const int sum = std::accumulate(d.begin(), d.end(), 0);
        const auto [lo, hi] = std::minmax_element(d.begin(), d.end());
        const int odd =
            static_cast<int>(std::count_if(d.begin(), d.end(), [](int x) { return x % 2; }));
        return (d[0] > 3) + (sum < 25 || sum > 40) + (*hi - *lo < 7) + (odd != 3 && odd != 4) +
               (std::find(d.begin(), d.end(), 9) != d.end());
    };
    std::array<int64_t, 3> expected{};
    std::vector<int32_t> keptWithOne;
    for (int32_t n = 0; n < 10'000'000; ++n) {
        std::array<int, 7> d{};
        for (int32_t i = 6, v = n; i >= 0; --i, v /= 10) d[static_cast<size_t>(i)] = v % 10;
        const int f = fails(d);
        for (int e = 0; e < 3; ++e) expected[static_cast<size_t>(e)] += f <= e;
        if (f <= 1) keptWithOne.push_back(n);
    }
    for (int e = 0; e < 3; ++e) {
        TReduceSet set = ReadReduceSet(text);
        set.Tolerance = e;
        TJobControl stop;
        const TReduceCount count = CountReduced(TReducePlan(set, {}), e == 1, 2, stop);
        EXPECT_EQ(count.Kept, expected[static_cast<size_t>(e)]) << "容错 " << e;
        if (e == 1) {
            EXPECT_EQ(count.Bets, keptWithOne);
        }
    }
}

// The 规律 condition against the backtest's own hit rule: each candidate, put after the draws
// as the coming draw, is kept exactly when at least m of the patterns hit by PatternHits.
TEST(ReduceCount, PatternConditionFollowsTheBacktestHitRule) {
    const auto history = RandomDraws(7, 60);
    SearchOptions options;
    options.SumConstrastGbx = 3;
    TSearchRequest request;
    request.Options = options;
    request.Draws = history.get();
    request.Threads = 1;
    TRecordingSink sink;
    sink.KeepPatterns = true;
    TJobControl never;
    RunSearch(request, sink, never);
    TReduceContext context;
    std::vector<const TGui2Reg*> patterns;
    for (const auto& p : sink.Patterns)
        if (auto form = PatternFormOf(*p, *history)) {
            context.Patterns.push_back(*form);
            patterns.push_back(p.get());
        }
    ASSERT_GE(patterns.size(), 3u);
    // A form's chance is the pattern's own exact chance (10% 全明 or 全对, 20% 明对, other
    // weights apart).
    for (size_t i = 0; i < patterns.size(); ++i)
        ASSERT_NEAR(PatternFormChance(context.Patterns[i]), PatternChance(*patterns[i], *history),
                    1e-12);
    TPatternForm even;  // 2 x digit A takes five values: each is one draw in five
    even.Weights[0] = 2;
    even.Offset = 4;
    even.Hits = 1u << 4 | 1u << 5;
    EXPECT_NEAR(PatternFormChance(even), 0.2, 1e-12);
    const int32_t m = static_cast<int32_t>(patterns.size() + 1) / 2;
    const TReducePlan plan(ReadReduceSet("规律 " + std::to_string(m)), context);
    const TReduceCount count = CountReduced(plan, true, 2, never);

    TCodes withCandidate;
    withCandidate.Assign(*history);
    const int32_t row = withCandidate.Add();
    std::mt19937 random(11);
    for (int i = 0; i < 3000; ++i) {
        const int32_t candidate = static_cast<int32_t>(random() % 10'000'000);
        const TShapeDraw digits = ReduceCandidateDigits(candidate);
        for (int32_t p = 1; p <= 7; ++p)
            withCandidate.SetNum(p, row, digits[static_cast<size_t>(p - 1)]);
        int32_t hits = 0;
        for (const TGui2Reg* p : patterns) hits += PatternHits(*p, withCandidate) ? 1 : 0;
        const bool kept = std::binary_search(count.Bets.begin(), count.Bets.end(), candidate);
        ASSERT_EQ(kept, hits >= m) << ReduceBetText(candidate) << " hits " << hits;
    }
    // m above the patterns chosen is refused, naming the line.
    EXPECT_EQ(ErrorOf([&] {
                  TReducePlan(
                      ReadReduceSet("和值 3-60\n规律 " + std::to_string(patterns.size() + 1)),
                      context);
              }).substr(0, 10),
              "第2行：");
}

// The grouped count of pattern hits against a plain loop that tests every pattern on every
// candidate: random forms that read overlapping digits (several weights on one set of digits,
// one weight twice, all seven digits, none), masks that never and always hit, m at 1, at the
// middle and at every pattern, and beside a 和值 condition with one failure allowed.
TEST(ReduceCount, GroupedPatternCountAgreesWithEveryPatternOnEveryCandidate) {
    std::mt19937 random(23);
    auto form = [&](uint32_t read) {
        TPatternForm f;
        for (int32_t p = 0; p < 7; ++p)
            if ((read >> p) & 1u) f.Weights[static_cast<size_t>(p)] = 1 + random() % 9;
        f.Offset = static_cast<uint8_t>(random() % 10);
        f.Hits = static_cast<uint16_t>(random() % 1024);
        return f;
    };
    std::vector<TPatternForm> forms;
    for (int i = 0; i < 4; ++i) forms.push_back(form(0b0001001));  // digits A and D
    forms.push_back(forms[0]);
    forms.back().Offset = static_cast<uint8_t>((forms[0].Offset + 3) % 10);
    for (int i = 0; i < 2; ++i) forms.push_back(form(0b1111111));
    for (uint32_t read : {0b0000110u, 0b1100000u, 0b0011000u, 0b0101010u})
        forms.push_back(form(read));
    forms.push_back(form(0));
    forms.push_back(form(0b0000001));
    forms.back().Hits = 0;
    forms.push_back(form(0b1000000));
    forms.back().Hits = 0x3ff;
    const auto count = static_cast<int32_t>(forms.size());

    // Hits of every candidate, digit by digit with each form's partial residue.
    std::vector<uint8_t> hits(static_cast<size_t>(ReduceCandidateCount));
    std::vector<int32_t> sums(static_cast<size_t>(count) * 8);
    auto walk = [&](auto& self, int32_t position, int32_t candidate) -> void {
        for (int32_t d = 0; d < 10; ++d) {
            for (int32_t i = 0; i < count; ++i) {
                const auto at = static_cast<size_t>(i * 8 + position);
                sums[at + 1] =
                    sums[at] +
                    forms[static_cast<size_t>(i)].Weights[static_cast<size_t>(position)] * d;
            }
            const int32_t next = candidate * 10 + d;
            if (position < 6) {
                self(self, position + 1, next);
                continue;
            }
            uint8_t h = 0;
            for (int32_t i = 0; i < count; ++i) {
                const TPatternForm& f = forms[static_cast<size_t>(i)];
                h += (f.Hits >> ((f.Offset + sums[static_cast<size_t>(i * 8 + 7)]) % 10)) & 1u;
            }
            hits[static_cast<size_t>(next)] = h;
        }
    };
    walk(walk, 0, 0);
    std::vector<uint8_t> digitSums(hits.size());
    for (size_t n = 1; n < digitSums.size(); ++n)
        digitSums[n] = static_cast<uint8_t>(digitSums[n / 10] + n % 10);

    TReduceContext context;
    context.Patterns = forms;
    for (const int32_t m : {1, count / 2, count}) {
        for (const bool withSum : {false, true}) {
            const std::string text =
                (withSum ? "和值 20-40\n容错 1\n" : "") + std::string("规律 ") + std::to_string(m);
            std::vector<int32_t> expected;
            for (int32_t n = 0; n < ReduceCandidateCount; ++n) {
                const int sum = digitSums[static_cast<size_t>(n)];
                const int fails =
                    (hits[static_cast<size_t>(n)] < m) + (withSum && (sum < 20 || sum > 40));
                if (fails <= (withSum ? 1 : 0)) expected.push_back(n);
            }
            TJobControl never;
            const TReduceCount counted =
                CountReduced(TReducePlan(ReadReduceSet(text), context), true, 2, never);
            EXPECT_EQ(counted.Kept, static_cast<int64_t>(expected.size())) << text;
            EXPECT_TRUE(counted.Bets == expected) << text;
        }
    }
}

// A history whose every draw the conditions keep: r = 1 and lift = 1 / mean q, with mean q
// from the shape module's exact chances.
TEST(ReduceCheck, EveryDrawKeptGivesLiftOfOneOverMeanShare) {
    std::mt19937 random(3);
    std::vector<TShapeDraw> rows;
    while (rows.size() < 40) {
        TShapeDraw d;
        for (auto& x : d) x = static_cast<uint8_t>(random() % 10);
        const int sum = std::accumulate(d.begin(), d.end(), 0);
        if (sum >= 25 && sum <= 40) rows.push_back(d);
    }
    const auto draws = Draws(rows);
    TReduceCheckJob job = MakeReduceCheckJob(*draws, ReadReduceSet("和值 25-40"), 30, {});
    TJobControl never;
    const TReduceCheckResult result = RunReduceCheck(job, never);
    ASSERT_TRUE(result.Error.empty()) << result.Error;
    ASSERT_EQ(result.Rows.size(), 30u);
    const std::vector<double>& chances = ShapeChances(TShapeMetric(TShapeMetricId::Sum));
    const double q = std::accumulate(chances.begin() + 25, chances.begin() + 41, 0.0);
    const TReduceCheckSummary& s = result.Summary;
    EXPECT_EQ(s.KeptDraws, 30);
    EXPECT_NEAR(s.MeanShare, q, 1e-12);
    ASSERT_TRUE(s.Lift);
    EXPECT_NEAR(*s.Lift, 1 / q, 1e-9);
    ASSERT_TRUE(s.Z);
    EXPECT_NEAR(*s.Z, (30 - 30 * q) / std::sqrt(30 * q * (1 - q)), 1e-9);
    EXPECT_EQ(s.Verdict, TBacktestVerdict::Above);
    EXPECT_EQ(result.Rows.front().Row, 11);

    // 重号 against the draw before each t: q_t follows the exact chance given that draw.
    job.Conditions = ReadReduceSet("重号 0");
    const TReduceCheckResult repeat = RunReduceCheck(job, never);
    for (const TReduceCheckRow& row : repeat.Rows) {
        const TShapeDraw before = rows[static_cast<size_t>(row.Row - 2)];
        EXPECT_NEAR(row.Share, ShapeChances(TShapeMetric(TShapeMetricId::Repeat), &before)[0],
                    1e-12);
        const TShapeDraw drawn = rows[static_cast<size_t>(row.Row - 1)];
        bool none = true;
        for (size_t p = 0; p < 7; ++p) none = none && drawn[p] != before[p];
        EXPECT_EQ(row.DrawKept, none);
    }
}

TEST(ReduceConditions, TextRoundTripsAndBadLinesNameTheirLine) {
    const std::string text =
        "定位 A 123\n杀号 * 09\n杀号 G 5\n胆码 7 2\n和值 20-35\n跨度 6-9\n奇偶比 3,4\n"
        "012路 2:3:2,3:2:2\n连号 1-3\n重号 0,1\nAC值 4\n规律 全部\n规律 3\n容错 1\n";
    const TReduceSet set = ReadReduceSet(text);
    EXPECT_EQ(set.Items.size(), 13u);
    EXPECT_EQ(WriteReduceSet(set), text);
    EXPECT_EQ(ReadReduceSet(WriteReduceSet(set)), set);
    // Comments, blank lines, CRLF and lower-case letters are read; written in the one form.
    EXPECT_EQ(WriteReduceSet(ReadReduceSet("# 我的条件\r\n\r\n定位 a 321\r\n")), "定位 A 123\n");
    // Ratios as 形态 writes them are the same conditions.
    EXPECT_EQ(ReadReduceSet("奇偶比 3:4,2:5\n大小比 1:6-4:3\n"),
              ReadReduceSet("奇偶比 3,2\n大小比 1-4\n"));

    const struct {
        const char* text;
        const char* message;
    } bad[] = {
        {"和值 20-35\n尾数 3", "第2行：未知的条件或形态指标“尾数”"},
        {"和值 35-20", "第1行：和值的范围上下颠倒：35-20"},
        {"\n\n奇偶比 ,", "第3行：奇偶比没有允许的取值"},
        {"定位 H 1", "第1行：位置“H”应是A–G"},
        {"跨度 10", "第1行：跨度的取值“10”不在0–9之内"},
        {"奇偶比 3:5", "第1行：奇偶比的取值“3:5”不在0–7之内"},
        {"012路 3:3:3", "第1行：012路的取值“3:3:3”应是 n0:n1:n2，三数之和为7"},
        {"胆码 5 8", "第1行：胆码的次数“8”应是1–7"},
        {"规律 0", "第1行：规律的个数“0”应是正整数或“全部”"},
        {"杀号 * 0123456789", "第1行：杀号杀掉了全部数字，没有号码可留"},
        {"和值 1-9\n容错 1\n容错 2", "第3行：容错只能写一次"},
    };
    for (const auto& b : bad) EXPECT_EQ(ErrorOf([&] { ReadReduceSet(b.text); }), b.message);
    // 重号 with no previous draw is refused by its line.
    EXPECT_EQ(ErrorOf([] { TReducePlan(ReadReduceSet("和值 3-9\n重号 1"), {}); }),
              "第2行：重号需要上一期号码，但还没有开奖号码");
}

TEST(ReduceCount, BetsAreWrittenOnePerLineInOrder) {
    TJobControl never;
    const TReduceCount count = CountReduced(
        TReducePlan(ReadReduceSet("定位 A 0\n定位 B 0\n定位 C 0\n和值 0-1"), {}), true, 2, never);
    std::string text;
    WriteBetsText(count.Bets, [&](std::string_view piece) { text += piece; });
    EXPECT_EQ(text, "0000000\n0000001\n0000010\n0000100\n0001000\n");
    EXPECT_EQ(count.Cost(), 10);
    // A raised stop ends the count with nothing claimed for the blocks left.
    TJobControl stop;
    stop.Cancel();
    EXPECT_TRUE(CountReduced(TReducePlan(ReadReduceSet("和值 3-9"), {}), true, 2, stop).Stopped);
}

// The summary against sums worked out by hand, including the edges: no spread (every q is 1),
// too few draws, and the running lift of the chart.
TEST(ReduceCheck, SummaryAndSeriesFollowTheirDefinitions) {
    auto rows = [](std::vector<std::pair<double, bool>> values) {
        std::vector<TReduceCheckRow> out;
        for (const auto& [share, kept] : values) {
            TReduceCheckRow row;
            row.Row = static_cast<int32_t>(out.size()) + 1;
            row.Share = share;
            row.DrawKept = kept;
            out.push_back(row);
        }
        return out;
    };
    // Twelve draws: q = 0.5 and 0.25 alternating, kept in draws 1, 2 and 5.
    std::vector<std::pair<double, bool>> values;
    for (int i = 0; i < 12; ++i)
        values.emplace_back(i % 2 ? 0.25 : 0.5, i == 0 || i == 1 || i == 4);
    const TReduceCheckSummary s = SummarizeReduceCheck(rows(values));
    EXPECT_EQ(s.KeptDraws, 3);
    EXPECT_DOUBLE_EQ(s.KeptRate, 0.25);
    EXPECT_DOUBLE_EQ(s.MeanShare, 0.375);
    EXPECT_DOUBLE_EQ(*s.Lift, 0.25 / 0.375);
    // sum q = 4.5, sum q(1-q) = 6 x 0.25 + 6 x 0.1875 = 2.625.
    EXPECT_DOUBLE_EQ(*s.Z, (3 - 4.5) / std::sqrt(2.625));
    EXPECT_EQ(s.Verdict, TBacktestVerdict::NoDifference);
    const std::vector<TReduceCheckPoint> series = ReduceCheckSeries(rows(values));
    ASSERT_EQ(series.size(), 12u);
    EXPECT_DOUBLE_EQ(*series[0].RunningLift, 1 / 0.5);
    EXPECT_DOUBLE_EQ(*series[1].RunningLift, 2 / 0.75);
    EXPECT_DOUBLE_EQ(*series[4].RunningLift, 3 / 2.0);

    values.assign(12, {1.0, true});
    const TReduceCheckSummary all = SummarizeReduceCheck(rows(values));
    EXPECT_FALSE(all.Z);
    EXPECT_DOUBLE_EQ(*all.Lift, 1);
    EXPECT_EQ(all.Verdict, TBacktestVerdict::NoDifference);
    values.assign(9, {0.1, true});
    EXPECT_EQ(SummarizeReduceCheck(rows(values)).Verdict, TBacktestVerdict::TooFewDraws);
    values.assign(12, {0.0, false});
    EXPECT_FALSE(SummarizeReduceCheck(rows(values)).Lift);
    EXPECT_EQ(ReduceCheckSentence(SummarizeReduceCheck({})), "没有可检验的开奖号码。");
}

// The verdict's level, summed exactly over every kept count: for the constant shares where
// |z| >= 2 read a verdict in up to 16% of histories, each direction stays within 2.5%. One
// kept draw in 170 at q = 0.001 is no verdict, and its lift too rough to state.
TEST(ReduceCheck, ExactVerdictHoldsItsLevelInEachDirection) {
    const struct {
        double Share;
        int32_t Window;
    } cases[] = {{0.001, 170}, {0.01, 100}, {0.0003, 500}, {0.17 / 60, 60}, {0.3, 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "q " << c.Share << " W " << c.Window);
        double above = 0;
        double below = 0;
        double walked = 0;  // the chance of the counts seen; the rest is left out once tiny
        for (int32_t kept = 0; kept <= c.Window && walked < 1 - 1e-12; ++kept) {
            std::vector<TReduceCheckRow> rows(static_cast<size_t>(c.Window));
            for (size_t i = 0; i < rows.size(); ++i) {
                rows[i].Share = c.Share;
                rows[i].DrawKept = static_cast<int32_t>(i) < kept;
            }
            const TReduceCheckSummary s = SummarizeReduceCheck(rows);
            // Binomial(W, q) by its closed form.
            const double chance =
                std::exp(std::lgamma(c.Window + 1.0) - std::lgamma(kept + 1.0) -
                         std::lgamma(c.Window - kept + 1.0) + kept * std::log(c.Share) +
                         (c.Window - kept) * std::log1p(-c.Share));
            walked += chance;
            above += s.Verdict == TBacktestVerdict::Above ? chance : 0;
            below += s.Verdict == TBacktestVerdict::Below ? chance : 0;
            if (kept == 1 && c.Window == 170) {
                EXPECT_EQ(s.Verdict, TBacktestVerdict::NoDifference);
                EXPECT_NEAR(*s.P, 2 * (1 - std::pow(1 - c.Share, 170)), 1e-12);
                EXPECT_FALSE(s.LiftJudged);
                EXPECT_NE(ReduceCheckSentence(s).find("无法判断是随机水平的几倍"),
                          std::string::npos);
            }
        }
        EXPECT_LE(above + (1 - walked), 0.025);
        EXPECT_LE(below, 0.025);
    }
}

// With shares far below 1 the kept count is nearly Poisson, so the lift's interval is close to
// the exact Poisson one (chi-square quantiles); with every draw kept it has no upper end.
TEST(ReduceCheck, LiftIntervalMatchesThePoissonIntervalForSmallShares) {
    for (int32_t kept : {0, 5, 12}) {
        SCOPED_TRACE(kept);
        std::vector<TReduceCheckRow> rows(800);
        for (size_t i = 0; i < rows.size(); ++i) {
            rows[i].Share = 0.01;  // 8 kept on average
            rows[i].DrawKept = static_cast<int32_t>(i) < kept;
        }
        const TReduceCheckSummary s = SummarizeReduceCheck(rows);
        const double expected = 8;
        ASSERT_TRUE(s.LiftHigh);
        const boost::math::chi_squared upper(2.0 * (kept + 1));
        EXPECT_NEAR(*s.LiftHigh, boost::math::quantile(upper, 0.975) / 2 / expected,
                    0.02 * *s.LiftHigh);
        if (kept == 0) {
            EXPECT_EQ(*s.LiftLow, 0);
        } else {
            const boost::math::chi_squared lower(2.0 * kept);
            EXPECT_NEAR(*s.LiftLow, boost::math::quantile(lower, 0.025) / 2 / expected,
                        0.02 * *s.LiftLow);
        }
        EXPECT_TRUE(s.LiftJudged);
    }
    std::vector<TReduceCheckRow> all(20);
    for (TReduceCheckRow& row : all) row.Share = 0.5, row.DrawKept = true;
    const TReduceCheckSummary s = SummarizeReduceCheck(all);
    EXPECT_FALSE(s.LiftHigh);
    // 2^-20 * 2 for twenty draws kept at even chances.
    EXPECT_NEAR(*s.P, 2 * std::pow(0.5, 20), 1e-18);
    EXPECT_EQ(s.Verdict, TBacktestVerdict::Above);
    EXPECT_NE(ReduceCheckSentence(s).find("无上限"), std::string::npos);
}

// With 规律 the check searches the draws before each t: s_t is whether every pattern that
// search finds hits draw t by the backtest's rule, and a draw with fewer patterns than m keeps
// nothing.
TEST(ReduceCheck, PatternConditionIsRebuiltFromTheDrawsBeforeEachDraw) {
    const auto history = RandomDraws(19, 45);
    SearchOptions options;
    options.LinedPtMaxSe = options.LinegPtMaxSe = 2;
    TReduceCheckJob job = MakeReduceCheckJob(*history, ReadReduceSet("规律 全部"), 4, options);
    job.SearchThreads = 1;
    TJobControl never;
    const TReduceCheckResult result = RunReduceCheck(job, never);
    ASSERT_TRUE(result.Error.empty()) << result.Error;
    ASSERT_EQ(result.Rows.size(), 4u);
    for (const TReduceCheckRow& row : result.Rows) {
        TCodes before;
        before.Assign(*history);
        before.SetCount(row.Row - 1);
        TSearchRequest request;
        request.Options = options;
        request.Draws = &before;
        request.Threads = 1;
        request.Seed = 1;
        TRecordingSink sink;
        sink.KeepPatterns = true;
        RunSearch(request, sink, never);
        int32_t pending = 0;
        bool allHit = true;
        for (const auto& p : sink.Patterns) {
            if (p->BaseRow != before.Count()) continue;
            ++pending;
            allHit = allHit && PatternHits(*p, *history);
        }
        EXPECT_EQ(row.Patterns, pending) << row.Row;
        EXPECT_EQ(row.DrawKept, pending > 0 && allHit) << row.Row;
        if (pending == 0) {
            EXPECT_EQ(row.Kept, 0);
        }
    }
    // More patterns asked for than any search finds: nothing is kept, no draw either.
    job.Conditions = ReadReduceSet("规律 999999");
    const TReduceCheckResult none = RunReduceCheck(job, never);
    ASSERT_EQ(none.Rows.size(), 4u);
    for (const TReduceCheckRow& row : none.Rows) EXPECT_EQ(row.Kept, 0);
    EXPECT_EQ(none.Summary.KeptDraws, 0);
}

// Only patterns that predict the next draw, on draws that are still the document's, become
// forms; a progress that says stop ends the count early.
TEST(ReduceCount, PendingFormsAndAStoppedCount) {
    const auto draws = RandomDraws(5, 40);
    SearchOptions options;
    options.LinedPtMaxSe = options.LinegPtMaxSe = 2;
    TSearchRequest request;
    request.Options = options;
    request.Draws = draws.get();
    request.Threads = 1;
    TRecordingSink sink;
    sink.KeepPatterns = true;
    TJobControl never;
    RunSearch(request, sink, never);
    ASSERT_FALSE(sink.Patterns.empty());
    std::vector<const TGui2Reg*> patterns;
    for (const auto& p : sink.Patterns) patterns.push_back(p.get());
    EXPECT_EQ(PendingPatternForms(patterns, *draws, *draws).size(), patterns.size());
    // The next draw became known: none predicts the draw after the document any more.
    TCodes longer;
    longer.Assign(*draws);
    longer.Add();
    EXPECT_TRUE(PendingPatternForms(patterns, longer, *draws).empty());
    // An old draw edited: the patterns were found on other draws.
    TCodes edited;
    edited.Assign(*draws);
    edited.SetNum(1, 3, (draws->GetNum(1, 3) + 1) % 10);
    EXPECT_TRUE(PendingPatternForms(patterns, edited, *draws).empty());

    const TReducePlan plan(ReadReduceSet("和值 10-50"), {});
    TJobControl cancelled;  // after the third block
    cancelled.SetWake([&] {
        cancelled.Looked();
        if (cancelled.Progress().Done >= 3) cancelled.Cancel();
    });
    const TReduceCount stopped = CountReduced(plan, true, 1, cancelled);
    EXPECT_TRUE(stopped.Stopped);
    EXPECT_TRUE(stopped.Bets.empty());
    EXPECT_LE(stopped.Kept, 30'000);
}

// A sample is k distinct bets of the list in its order, every bet equally likely to be in it
// (over many seeds each of 10 bets is in a sample of 3 about 30% of the time); the bets made
// for a file are those the count keeps, written as WriteBetsText writes them, and a stopped
// run writes nothing.
TEST(ReduceBets, SamplesAreFairAndTheFileHoldsTheKeptBets) {
    const std::vector<int32_t> bets = {3, 8, 15, 16, 23, 42, 77, 90, 91, 99};
    std::array<int, 10> seen{};
    constexpr int Draws = 4000;
    for (uint64_t seed = 1; seed <= Draws; ++seed) {
        const std::vector<int32_t> sample = SampleBets(bets, 3, seed);
        ASSERT_EQ(sample.size(), size_t{3});
        ASSERT_TRUE(std::is_sorted(sample.begin(), sample.end()));
        ASSERT_EQ(std::adjacent_find(sample.begin(), sample.end()), sample.end());
        for (int32_t bet : sample) {
            const auto at = std::find(bets.begin(), bets.end(), bet);
            ASSERT_NE(at, bets.end());
            ++seen[static_cast<size_t>(at - bets.begin())];
        }
    }
    // Binomial(4000, 0.3): mean 1200, standard deviation 29; six of them either side.
    for (int n : seen) EXPECT_NEAR(n, Draws * 3 / 10, 175);
    EXPECT_EQ(SampleBets(bets, 10, 7), bets);
    EXPECT_EQ(SampleBets(bets, 50, 7), bets);

    TBetsRequest request;
    request.Conditions = ReadReduceSet("定位 A 1\n定位 B 2\n定位 C 3\n定位 D 4\n和值 10-12\n");
    TJobControl never;
    const std::vector<int32_t> kept =
        CountReduced(TReducePlan(request.Conditions, {}), true, 2, never).Bets;
    ASSERT_EQ(kept.size(), size_t{1 + 3 + 6});  // the last three sum to 0, 1 or 2
    const TBetsOutcome all = MakeBets(request, never);
    EXPECT_EQ(all.Bets, kept);
    EXPECT_EQ(all.Kept, 10);
    request.Sample = 5;
    const TBetsOutcome some = MakeBets(request, never);
    EXPECT_EQ(some.Kept, 10);
    EXPECT_EQ(some.Chosen, 5);
    EXPECT_TRUE(std::includes(kept.begin(), kept.end(), some.Bets.begin(), some.Bets.end()));

    request.Sample = 0;
    request.Path = TempFolder("reduce_bets") + "/bets.txt";
    const TBetsOutcome written = MakeBets(request, never);
    EXPECT_EQ(written.Chosen, 10);
    EXPECT_TRUE(written.Bets.empty());
    std::string expected;
    WriteBetsText(kept, [&](std::string_view piece) { expected += piece; });
    std::ifstream in(request.Path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);

    TJobControl stop;
    stop.Cancel();
    request.Path = TempFolder("reduce_bets") + "/stopped.txt";
    EXPECT_TRUE(MakeBets(request, stop).Stopped);
    EXPECT_FALSE(std::ifstream(request.Path).good());
}

namespace {

// Many conditions join into few tables; the count of them keeps a candidate exactly when the
// plan's own condition by condition test keeps it; a plan cancelled while it is built counts
// nothing; a file without conditions is refused.
TEST(ReduceCount, ManyConditionsCountAsEachTestedAloneAndTheirPlanStopsOnCancel) {
    std::mt19937 random(12);
    std::string text;
    for (int i = 0; i < 300; ++i) {
        const char position = static_cast<char>('A' + random() % 7);
        switch (i % 3) {
            case 0:
                text += std::string("杀号 ") + position + " " + std::to_string(random() % 10);
                break;
            case 1:
                text += "和值 " + std::to_string(random() % 15) + "-" +
                        std::to_string(40 + random() % 24);
                break;
            default:
                text += "胆码 " + std::to_string(random() % 10) + " 1";
        }
        text += "\n";
    }
    text += "容错 150\n";
    const TReduceSet set = ReadReduceSet(text);
    const TReducePlan plan(set, {});
    TJobControl never;
    const TReduceCount count = CountReduced(plan, true, 2, never);
    ASSERT_FALSE(count.Stopped);
    ASSERT_EQ(count.Bets.size(), static_cast<size_t>(count.Kept));
    ASSERT_GT(count.Kept, 0);
    ASSERT_LT(count.Kept, ReduceCandidateCount);
    for (int i = 0; i < 20'000; ++i) {
        const auto candidate = static_cast<int32_t>(random() % ReduceCandidateCount);
        EXPECT_EQ(std::binary_search(count.Bets.begin(), count.Bets.end(), candidate),
                  plan.Keeps(ReduceCandidateDigits(candidate)))
            << candidate;
    }

    TJobControl cancelled;
    cancelled.Cancel();
    const TReducePlan stopped(set, {}, true, &cancelled);
    EXPECT_TRUE(stopped.Stopped());
    const TReduceCount none = CountReduced(stopped, true, 1, never);
    EXPECT_TRUE(none.Stopped);
    EXPECT_EQ(none.Kept, 0);

    for (const char* empty : {"", "\n# 只有注释\n\n", "容错 1\n"})
        EXPECT_THROW(ReadReduceFile(empty), TError) << empty;
    EXPECT_EQ(ReadReduceFile(text), set);
}

}  // namespace
