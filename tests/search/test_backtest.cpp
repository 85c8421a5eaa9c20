#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <mutex>
#include <thread>

#include "search/Backtest.h"
#include "search/BacktestRun.h"
#include "search/OptionRules.h"
#include "search/PatternCheck.h"
#include "tests/support/SearchTestSupport.h"

namespace {

// Rows 0-2, oldest first; row 2 is the draw the patterns below predict.
std::unique_ptr<TCodes> ThreeDraws() {
    auto draws = std::make_unique<TCodes>();
    for (const auto& digits : {std::array{1, 2, 3, 4, 5, 6, 7}, std::array{2, 4, 6, 8, 0, 1, 3},
                               std::array{9, 0, 5, 7, 3, 3, 3}}) {
        const int32_t row = draws->Add();
        for (int32_t p = 1; p <= 7; ++p) draws->SetNum(p, row, digits[p - 1]);
    }
    return draws;
}

std::unique_ptr<TGui2Reg> Pattern(std::vector<TPoint> low, std::vector<TPoint> high,
                                  int32_t contrast, int32_t baseRow = 2) {
    auto made = std::make_unique<TGui2Reg>();
    TGui2Reg& pattern = *made;
    for (const TPoint& p : low) pattern.Line(0).Add(p);
    for (const TPoint& p : high) pattern.Line(1).Add(p);
    for (int32_t line = 0; line < 2; ++line)
        for (int32_t i = 0; i < pattern.Line(line).Count(); ++i)
            if (pattern.Line(line).Get(i).Y == 0)
                pattern.SetPosition(line, pattern.Line(line).Get(i).X, true);
    pattern.ContrastKind = contrast;
    pattern.BaseRow = baseRow;
    pattern.StepTotal = 4;
    return made;
}

// The chance by brute force: every digit combination of the coming draw's columns 1-7 that
// the pattern reaches (directly or through column H), with the earlier draws as they are.
double EnumeratedChance(const TGui2Reg& pattern, const TCodes& draws) {
    std::vector<int32_t> columns;
    for (int32_t c = 1; c < 8; ++c) {
        bool used = pattern.PositionUsed(c) || (c <= 4 && pattern.PositionUsed(0));
        if (used) columns.push_back(c);
    }
    TCodes filled;
    filled.Assign(draws);
    filled.SetCount(pattern.BaseRow + 1);
    int64_t combinations = 1;
    for (size_t i = 0; i < columns.size(); ++i) combinations *= 10;
    int64_t hits = 0;
    for (int64_t n = 0; n < combinations; ++n) {
        int64_t rest = n;
        for (int32_t c : columns) {
            filled.SetNum(c, pattern.BaseRow, static_cast<int32_t>(rest % 10));
            rest /= 10;
        }
        hits += PatternHits(pattern, filled) ? 1 : 0;
    }
    return static_cast<double>(hits) / static_cast<double>(combinations);
}

struct CheckCase {
    const char* Name;
    std::vector<TPoint> Low, High;
    int32_t Contrast;
    bool Hit;
    double Chance;
};

TEST(PatternCheck, HitAndChanceOfHandWorkedPatterns) {
    const auto draws = ThreeDraws();
    // Row 2 is 9 0 5 7 3 3 3 (H = 21); row 1 is 2 4 6 8 0 1 3; row 0 is 1 2 3 4 5 6 7.
    const std::vector<CheckCase> cases = {
        // low A0 + B-1 = 9 + 4 = 3; high A-2 + B-2 = 1 + 2 = 3.
        {"equal sums, 全明", {{1, 0}, {2, -1}}, {{1, -2}, {2, -2}}, 1, true, 0.1},
        {"equal sums, 全对", {{1, 0}, {2, -1}}, {{1, -2}, {2, -2}}, 2, false, 0.1},
        {"equal sums, 明对", {{1, 0}, {2, -1}}, {{1, -2}, {2, -2}}, 3, true, 0.2},
        // low C0 = 5; high B-1 + G-1 = 4 + 3 = 7: distance 2.
        {"distance 2, 明对", {{3, 0}}, {{2, -1}, {7, -1}}, 3, false, 0.2},
        // low H0 + A-1 = 21 + 2 = 3; high A-2 + B-2 = 3.
        {"column H", {{0, 0}, {1, -1}}, {{1, -2}, {2, -2}}, 1, true, 0.1},
        // H0 against A0..D0 of the same draw: the difference is always 0.
        {"H against its digits, 全明", {{0, 0}}, {{1, 0}, {2, 0}, {3, 0}, {4, 0}}, 1, true, 1.0},
        {"H against its digits, 全对", {{0, 0}}, {{1, 0}, {2, 0}, {3, 0}, {4, 0}}, 2, false, 0.0},
        // H0 + A0 - (B0 + C0 + D0) = 2 x A: even, 0 only for A in {0, 5}. A = 9 gives 8.
        {"H and A against B-D, 全明", {{0, 0}, {1, 0}}, {{2, 0}, {3, 0}, {4, 0}}, 1, false, 0.2},
        {"H and A against B-D, 全对", {{0, 0}, {1, 0}}, {{2, 0}, {3, 0}, {4, 0}}, 2, false, 0.0},
        // Both lines on A0: low A0 + C-1 = 6 + 9, high A0 + A-2 = 1 + 9: distance 5 always.
        {"same cell, 全明", {{1, 0}, {3, -1}}, {{1, 0}, {1, -2}}, 1, false, 0.0},
        {"same cell, 全对", {{1, 0}, {3, -1}}, {{1, 0}, {1, -2}}, 2, true, 1.0},
        {"same cell, 明对", {{1, 0}, {3, -1}}, {{1, 0}, {1, -2}}, 3, true, 1.0},
        // Both lines predict, on different cells: low A0 = 9, high B0 + B-1 = 0 + 4.
        {"both lines predict, 明对", {{1, 0}}, {{2, 0}, {2, -1}}, 3, true, 0.2},
        {"both lines predict, 全明", {{1, 0}}, {{2, 0}, {2, -1}}, 1, false, 0.1},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto made = Pattern(c.Low, c.High, c.Contrast);
        const TGui2Reg& pattern = *made;
        EXPECT_EQ(PatternHits(pattern, *draws), c.Hit);
        EXPECT_NEAR(PatternChance(pattern, *draws), c.Chance, 1e-12);
        EXPECT_NEAR(PatternChance(pattern, *draws), EnumeratedChance(pattern, *draws), 1e-12);
    }
}

TEST(PatternCheck, ChanceMatchesEnumerationOnRandomFigures) {
    const auto draws = RandomDraws(7, 12);
    std::mt19937 random(11);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<TPoint> lines[2];
        for (auto& line : lines) {
            const int points = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < points; ++i) {
                const TPoint p{static_cast<int32_t>(random() % 5),
                               -static_cast<int32_t>(random() % 3)};
                if (std::find(line.begin(), line.end(), p) == line.end()) line.push_back(p);
            }
        }
        const auto made = Pattern(lines[0], lines[1], 1 + static_cast<int32_t>(random() % 3), 11);
        const TGui2Reg& pattern = *made;
        SCOPED_TRACE(Describe(pattern));
        EXPECT_NEAR(PatternChance(pattern, *draws), EnumeratedChance(pattern, *draws), 1e-12);
    }
}

TEST(PatternCheck, ClassesReadTheMarks) {
    struct {
        std::vector<TPoint> Low, High;
        TPatternClass Class;
    } cases[] = {
        {{{1, 0}, {2, -1}}, {{3, -1}}, TPatternClass::FixedDigit},
        {{{1, 0}, {2, 0}}, {{3, -1}}, TPatternClass::PairSum},
        {{{1, 0}}, {{2, 0}, {2, -1}}, TPatternClass::PairDiff},
        {{{1, 0}, {2, 0}, {3, 0}}, {{3, -1}}, TPatternClass::Other},
        {{{1, 0}, {2, 0}}, {{3, 0}}, TPatternClass::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyPattern(*Pattern(c.Low, c.High, 3)), c.Class);
}

TEST(PatternCheck, VerificationFollowsTheDraws) {
    auto draws = ThreeDraws();
    // Predicts row 2 (hit, see above), then the same figure one row later.
    const auto knownPattern = Pattern({{1, 0}, {2, -1}}, {{1, -2}, {2, -2}}, 1, 2);
    const auto comingPattern = Pattern({{1, 0}, {2, -1}}, {{1, -2}, {2, -2}}, 1, 3);
    const TGui2Reg& known = *knownPattern;
    const TGui2Reg& coming = *comingPattern;
    EXPECT_EQ(VerifyPattern(known, *draws), TVerification::Hit);
    EXPECT_EQ(VerifyPattern(coming, *draws), TVerification::Pending);
    EXPECT_STREQ(VerificationText(TVerification::Pending), "");

    // Row 3: A = 0 makes low 0 + 0 = 0 against high 2 + 4 = 6.
    draws->SetNum(1, draws->Add(), 0);
    EXPECT_EQ(VerifyPattern(coming, *draws), TVerification::Miss);
    EXPECT_STREQ(VerificationText(VerifyPattern(coming, *draws)), "未中");

    draws->SetCount(2);
    EXPECT_EQ(VerifyPattern(known, *draws), TVerification::Pending);
    EXPECT_EQ(VerifyPattern(coming, *draws), TVerification::Invalid);
    EXPECT_STREQ(VerificationText(TVerification::Invalid), "无效");
    // A cell before the first draw.
    EXPECT_EQ(VerifyPattern(*Pattern({{1, 0}}, {{1, -3}}, 1, 2), *draws), TVerification::Invalid);
}

TEST(PatternCheck, VerificationReadsTheDrawsThePatternWasFoundOn) {
    const auto searched = RandomDraws(57, 40);
    SearchOptions options;
    options.SecCountSe = 3;
    TRecordingSink found;
    found.KeepPatterns = true;
    Search(RunSearch, options, *searched, found, 1);
    ASSERT_GE(found.Patterns.size(), 20u);
    // The draws as the search saw them plus the coming draw; the verdict by the full sums.
    TCodes today;
    today.Assign(*searched);
    const int32_t coming = today.Add();
    for (int32_t p = 1; p <= 7; ++p) today.SetNum(p, coming, (p * 3) % 10);
    const auto changed = [&](const std::function<void(TCodes&)>& change) {
        auto draws = std::make_unique<TCodes>();
        draws->Assign(today);
        change(*draws);
        return draws;
    };
    const auto oldDrawEdited =
        changed([](TCodes& d) { d.SetNum(3, 5, (d.GetNum(3, 5) + 1) % 10); });
    const auto realigned = changed([&](TCodes& d) {  // one draw more at the start
        d.SetCount(0);
        d.SetNum(1, d.Add(), 9);
        for (int32_t row = 0; row <= coming; ++row) d.SetCode(d.Add(), today.GetCode(row));
    });
    const auto comingEdited = changed([&](TCodes& d) { d.SetNum(1, coming, 0); });
    int hits = 0;
    for (const auto& pattern : found.Patterns) {
        SCOPED_TRACE(Describe(*pattern));
        const bool hit = PatternHits(*pattern, today);
        hits += hit ? 1 : 0;
        EXPECT_EQ(VerifyPattern(*pattern, today, *searched),
                  hit ? TVerification::Hit : TVerification::Miss);
        EXPECT_EQ(VerifyPattern(*pattern, *searched, *searched), TVerification::Pending);
        EXPECT_EQ(VerifyPattern(*pattern, *oldDrawEdited, *searched), TVerification::DrawsChanged);
        EXPECT_EQ(VerifyPattern(*pattern, *realigned, *searched), TVerification::DrawsChanged);
        // The coming draw itself may change: that is what is verified.
        EXPECT_EQ(VerifyPattern(*pattern, *comingEdited, *searched),
                  PatternHits(*pattern, *comingEdited) ? TVerification::Hit : TVerification::Miss);
    }
    EXPECT_GT(hits, 0);
    EXPECT_LT(hits, static_cast<int>(found.Patterns.size()));
    EXPECT_STREQ(VerificationText(TVerification::DrawsChanged), "无效");
    EXPECT_STRNE(VerificationHint(TVerification::DrawsChanged), "");
}

TEST(Backtest, GroupNames) {
    EXPECT_EQ(BacktestGroupName(0, 4), "定位定数");
    EXPECT_EQ(BacktestGroupName(3, 4), "其他");
    EXPECT_EQ(BacktestGroupName(FirstContrastGroup + 2, 4), "明对");
    EXPECT_EQ(BacktestGroupName(FirstStepsGroup, 4), "4步");
    EXPECT_EQ(BacktestGroupName(FirstStepsGroup + 3, 4), "7步及以上");
    const auto pattern = Pattern({{1, 0}, {2, 0}}, {{3, -1}}, 2);
    pattern->StepTotal = 9;
    EXPECT_EQ(BacktestGroupsOf(*pattern, 4),
              (std::array<int32_t, 3>{1, FirstContrastGroup + 1, FirstStepsGroup + 3}));
}

class TRecordingBacktest : public IBacktestSink {
  public:
    void RowStarted(int32_t row) override { Started.push_back(row); }
    void RowScored(const TBacktestRow& row, int32_t done, int32_t total) override {
        Scored.push_back(row.Row);
        Done.push_back(done);
        Total = total;
    }
    std::vector<int32_t> Started, Scored, Done;
    int32_t Total = 0;
};

TEST(Backtest, RowsEqualSearchingEachPrefixAndScoringByHand) {
    const auto draws = RandomDraws(31, 40);
    SearchOptions options;
    options.SecCountSe = 3;  // enough patterns on few draws
    for (int workers : {1, 2}) {
        SCOPED_TRACE(workers);
        TBacktestRequest request;
        request.Options = options;
        request.Draws = draws.get();
        request.Rows = 4;
        request.Workers = workers;
        TRecordingBacktest sink;
        TJobControl stop;
        const auto rows = RunBacktest(request, sink, stop).Rows;
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(sink.Scored, (std::vector<int32_t>{37, 38, 39, 40}));
        EXPECT_EQ(sink.Done, (std::vector<int32_t>{1, 2, 3, 4}));
        EXPECT_EQ(sink.Total, 4);
        int64_t patterns = 0;
        for (const TBacktestRow& row : rows) {
            TCodes prefix;
            prefix.Assign(*draws);
            prefix.SetCount(row.Row - 1);
            TRecordingSink found;
            found.KeepPatterns = true;
            RunSearch(TSearchRequest{options, &prefix, 1, 1}, found, stop);
            TBacktestCounts expected;
            for (const auto& pattern : found.Patterns) {
                EXPECT_EQ(pattern->BaseRow, row.Row - 1);
                expected.Add(PatternHits(*pattern, *draws), PatternChance(*pattern, *draws));
            }
            EXPECT_EQ(row.Total.Patterns, expected.Patterns);
            EXPECT_EQ(row.Total.Hits, expected.Hits);
            EXPECT_NEAR(row.Total.Chance, expected.Chance, 1e-9);
            int64_t byClass = 0;
            for (int32_t g = 0; g < FirstContrastGroup; ++g) byClass += row.Groups[g].Patterns;
            EXPECT_EQ(byClass, row.Total.Patterns);
            patterns += row.Total.Patterns;
        }
        EXPECT_GT(patterns, 0);
    }
}

// A row's distribution under chance against the hit rule itself: every digit combination of
// the coming draw's columns A-D (the only ones the default options reach) is put into the
// draws and each pattern checked with PatternHits. The normal stand-in for rows too costly to
// walk keeps the exact mean and variance (where the cut at 0 leaves it whole).
TEST(Backtest, RowDistributionMatchesEveryComingDrawCheckedByTheHitRule) {
    const auto draws = RandomDraws(17, 40);
    SearchOptions options;
    options.SecCountSe = 7;    // a few hundred patterns
    options.RefSumChk = true;  // H folds into A-D
    TCodes prefix;
    prefix.Assign(*draws);
    prefix.SetCount(39);
    TRecordingSink found;
    found.KeepPatterns = true;
    TJobControl stop;
    RunSearch(TSearchRequest{options, &prefix, 1, 1}, found, stop);
    ASSERT_GT(found.Patterns.size(), 20u);
    TBacktestRow row;
    for (const auto& pattern : found.Patterns) row.Score(*pattern, *draws, options.SecCountSe);
    TBacktestRow approximate = row;
    row.Close();
    approximate.Close(0);
    EXPECT_FALSE(row.Approximate);
    EXPECT_TRUE(approximate.Approximate);

    TCodes filled;
    filled.Assign(*draws);
    std::vector<double> total(found.Patterns.size() + 1, 0.0);
    std::vector<double> contrast(found.Patterns.size() + 1, 0.0);  // the 明对 group
    for (int32_t n = 0; n < 10000; ++n) {
        for (int32_t c = 1, rest = n; c <= 4; ++c, rest /= 10) filled.SetNum(c, 39, rest % 10);
        int32_t hits = 0;
        int32_t mingdui = 0;
        for (const auto& pattern : found.Patterns) {
            const bool hit = PatternHits(*pattern, filled);
            hits += hit;
            mingdui += hit && pattern->ContrastKind == 3;
        }
        total[static_cast<size_t>(hits)] += 1e-4;
        contrast[static_cast<size_t>(mingdui)] += 1e-4;
    }
    const auto expectSame = [](const TCountDistribution& d, const std::vector<double>& mass) {
        for (size_t k = 0; k < mass.size(); ++k) {
            const int64_t at = static_cast<int64_t>(k) - d.Low;
            const double got = at >= 0 && at < static_cast<int64_t>(d.Mass.size())
                                   ? d.Mass[static_cast<size_t>(at)]
                                   : 0.0;
            EXPECT_NEAR(got, mass[k], 1e-12) << k;
        }
    };
    expectSame(row.Null[0], total);
    expectSame(row.Null[1 + FirstContrastGroup + 2], contrast);
    const auto moments = [](const TCountDistribution& d) {
        double mean = d.Mean();
        double variance = 0;
        for (size_t k = 0; k < d.Mass.size(); ++k)
            variance += d.Mass[k] *
                        std::pow(static_cast<double>(d.Low + static_cast<int64_t>(k)) - mean, 2);
        return std::pair{mean, variance};
    };
    EXPECT_NEAR(row.Null[0].Mean(), row.Total.Chance, 1e-9 * row.Total.Chance);
    for (int32_t line = 0; line < BacktestLineCount; ++line) {
        SCOPED_TRACE(line);
        const auto [mean, variance] = moments(row.Null[static_cast<size_t>(line)]);
        const auto [normalMean, normalVariance] =
            moments(approximate.Null[static_cast<size_t>(line)]);
        if (mean < 5 * std::sqrt(variance)) continue;  // cut at 0: no longer that normal
        EXPECT_NEAR(normalMean, mean, 0.01 + 1e-3 * mean);
        // The normal on whole numbers adds about 1/12 to the variance.
        EXPECT_NEAR(normalVariance, variance + (variance > 1 ? 1.0 / 12 : 0),
                    0.02 * variance + 0.1);
    }
}

TEST(Backtest, RowsAreClampedAndAStopReturnsNoUnfinishedRow) {
    const auto draws = RandomDraws(5, 12);
    TBacktestRequest request;
    request.Draws = draws.get();
    request.Rows = 50;
    TRecordingBacktest sink;
    TJobControl go;
    const auto rows = RunBacktest(request, sink, go).Rows;
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows.front().Row, 1);
    EXPECT_EQ(rows.front().Total.Patterns, 0);  // nothing before the first draw

    TJobControl stopped;

    stopped.Cancel();
    TRecordingBacktest none;
    EXPECT_TRUE(RunBacktest(request, none, stopped).Rows.empty());
    EXPECT_TRUE(none.Scored.empty());
}

TEST(Backtest, OptionsThatSearchRefusesAreRefusedWithItsMessage) {
    const auto draws = RandomDraws(5, 30);
    TRecordingBacktest sink;
    TJobControl stop;
    SearchOptions shapeless, reversed;
    shapeless.LinedPtMinSe = 0;   // refused by the walk
    reversed.LinegDistMinSe = 6;  // refused by the options' rules before any walk
    for (const SearchOptions& options : {shapeless, reversed}) {
        TBacktestRequest request;
        request.Draws = draws.get();
        request.Options = options;
        ASSERT_NE(SearchOptionMessage(options), "");
        EXPECT_EQ(ErrorOf([&] { RunBacktest(request, sink, stop); }), SearchOptionMessage(options));
    }
    EXPECT_TRUE(sink.Started.empty());
}

TEST(Backtest, APatternLimitEndsTheBacktestAtTheRowPastIt) {
    const auto draws = RandomDraws(31, 40);
    TBacktestRequest request;
    request.Draws = draws.get();
    request.Options.SecCountSe = 3;
    request.Options.LinedPtMaxSe = request.Options.LinegPtMaxSe = 2;
    request.Rows = 4;
    request.Workers = 1;
    TJobControl stop;
    TRecordingBacktest unlimited;
    const auto all = RunBacktest(request, unlimited, stop).Rows;
    ASSERT_EQ(all.size(), 4u);
    // Each limit ends the backtest at the first row whose search passes it, keeping the rows
    // before, also while a later row is searched beside it; a limit no row passes changes
    // nothing.
    for (const TBacktestRow& at : all) {
        request.MaxPatterns = at.Total.Patterns;
        request.Workers = 1 + static_cast<int>(at.Row % 2);
        size_t past = 0;
        while (past < all.size() && all[past].Total.Patterns <= request.MaxPatterns) ++past;
        TRecordingBacktest sink;
        const TBacktestOutcome limited = RunBacktest(request, sink, stop);
        EXPECT_EQ(limited.LimitRow, past < all.size() ? all[past].Row : 0);
        ASSERT_EQ(limited.Rows.size(), past);
        for (size_t i = 0; i < past; ++i)
            EXPECT_EQ(limited.Rows[i].Total.Patterns, all[i].Total.Patterns);
    }
}

}  // namespace

namespace {

TEST(BacktestRun, HandsOverEveryRowThenTheResult) {
    const auto draws = RandomDraws(31, 40);
    SearchOptions options;
    options.SecCountSe = 3;
    TJobControl cancel;
    std::vector<int32_t> taken;
    const TBacktestResult result = RunBacktestToEnd(MakeBacktestJob(*draws, options, 4), cancel,
                                                    [&](const TBacktestProgress& p) {
                                                        if (p.Scored)
                                                            taken.push_back(p.Scored->Row);
                                                    });
    std::sort(taken.begin(), taken.end());  // scored by several workers at once
    EXPECT_EQ(taken, (std::vector<int32_t>{37, 38, 39, 40}));
    EXPECT_EQ(result.Rows.size(), 4u);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(result.EndText(), "回测完成。");
    EXPECT_EQ(result.Summary.Rows, 4);

    // A refused start ends with the message of 搜索 and no rows, without raising.
    options.LinegDistMinSe = 6;
    const TBacktestResult refused =
        RunBacktestToEnd(MakeBacktestJob(*draws, options, 4), cancel, {});
    EXPECT_EQ(refused.Error, SearchOptionMessage(options));
    EXPECT_EQ(refused.EndText(), "回测未能完成，没有回测完任何一期。");
}

TEST(BacktestRun, AStoppedJobNamesTheRowsItScored) {
    const auto draws = RandomDraws(31, 40);
    TBacktestJob job = MakeBacktestJob(*draws, SearchOptions{}, 4);
    job.Options.SecCountSe = 3;
    job.Workers = 1;
    TJobControl cancel;
    std::vector<int32_t> started;
    const TBacktestResult result = RunBacktestJob(job, cancel, [&](const TBacktestProgress& p) {
        if (p.Scored == nullptr) started.push_back(p.CurrentRow);
        if (p.Done == 2) cancel.Cancel();  // after the second row
    });
    EXPECT_EQ(started, (std::vector<int32_t>{37, 38}));
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(result.FirstRow, 37);
    EXPECT_EQ(result.Total, 4);
    EXPECT_EQ(result.EndText(), "回测已停止，已回测第37–38期。");
    EXPECT_EQ(BacktestSentence(result.Summary, result.DrawCount).rfind("回测第37–38期", 0), 0u);
}

}  // namespace
