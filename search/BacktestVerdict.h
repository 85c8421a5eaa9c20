#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "search/Backtest.h"

// The verdicts of a backtest: a one-sample t test of the per-draw differences h_t - c_t (the
// draw's hit rate minus its chance rate) over the m draws with predictions, corrected for their
// skewness, the overall line at its own 5% level and the groups of the table under
// Holm-Bonferroni over the groups tested.

// No verdict on fewer draws with predictions than this.
inline constexpr int32_t FewestVerdictRows = 10;
// The two-sided level of every verdict (for the groups: the family-wise level).
inline constexpr double VerdictLevel = 0.05;

// The two-sided critical value of Student's t with the given degrees of freedom (at least 1).
double StudentCriticalValue(int32_t degrees, double level = VerdictLevel);
// The two-sided probability of a t at least as far from 0 as t, with the degrees of freedom.
double StudentTwoSidedP(double t, int32_t degrees);

// One draw's rates in a line: hits / patterns and chance / patterns.
struct TBacktestRates {
    double Hit = 0;
    double Chance = 0;
};

// Why a line has no t value.
enum class TNoTReason {
    None,
    TooFewDraws,  // fewer than two draws with predictions
    NoSpread,     // every draw has the same difference
};

struct TBacktestT {
    int32_t Rows = 0;  // m: the draws with predictions
    double MeanHit = 0;
    double MeanChance = 0;
    double MeanDifference = 0;
    // The statistic judged: t of the differences with their skewness removed (Hall's
    // transformation), read against Student's t with m - 1 degrees of freedom.
    std::optional<double> T;
    std::optional<double> PlainT;  // mean / (sd / sqrt m), before the correction
    double Skewness = 0;           // of the differences (third central moment / sd^3)
    TNoTReason NoT = TNoTReason::TooFewDraws;
    // How likely a result this far from chance is under chance, two-sided: from t with m - 1
    // degrees of freedom or, with no spread, a bound from each draw's own chance (a draw whose
    // patterns hit at rate h or more has probability at most c / h, so all of them at most the
    // product). None with fewer than two draws.
    std::optional<double> P;
    std::optional<double> Critical;  // the 5% critical value of t for m - 1 degrees of freedom
};
TBacktestT BacktestT(const std::vector<TBacktestRates>& draws);

enum class TBacktestVerdict { Empty, TooFewDraws, NoDifference, Above, Below };
// "-" (no predictions), "期数不足，无法判断", "与随机水平无显著差异", "高于随机水平",
// "低于随机水平".
const char* BacktestVerdictText(TBacktestVerdict verdict);

// Holm-Bonferroni step-down at the family-wise level over the probabilities present (a missing
// one is not tested and never rejected): which hypotheses are rejected.
std::vector<bool> HolmRejections(const std::vector<std::optional<double>>& p,
                                 double level = VerdictLevel);

// The totals and verdict of the whole backtest or of one group.
struct TBacktestLine {
    std::string Name;
    TBacktestCounts Counts;
    TBacktestT T;
    TBacktestVerdict Verdict = TBacktestVerdict::Empty;
    double HitRate() const;  // pooled: hits / patterns
    double ChanceRate() const;
    double Difference() const { return HitRate() - ChanceRate(); }
    const char* VerdictText() const { return BacktestVerdictText(Verdict); }
};

struct TBacktestSummary {
    int32_t Rows = 0;      // rows scored
    int32_t FirstRow = 0;  // the first and last row scored (0 when none)
    int32_t LastRow = 0;
    int32_t TestedGroups = 0;  // groups with m >= FewestVerdictRows: Holm's family
    TBacktestLine Total;
    std::array<TBacktestLine, BacktestGroupCount> Groups;
};
TBacktestSummary SummarizeBacktest(const std::vector<TBacktestRow>& rows, int32_t minimumSteps);

// One plain sentence of the overall verdict, for the top of the window; drawCount tells a run
// up to the latest draw ("回测最近 N 期") from one that stopped earlier ("回测第A–B期").
std::string BacktestSentence(const TBacktestSummary& summary, int32_t drawCount);
// The line under the table: how the groups' verdicts were corrected.
std::string BacktestTableNote(const TBacktestSummary& summary);

// The table of the window, the CSV file and the tool: the overall line, then one per group.
struct TBacktestTableRow {
    std::string Dimension;                // 全部, 类别, 对比, 步数
    const TBacktestLine* Line = nullptr;  // into the summary
    std::vector<std::string> Cells;       // as the headers
};
const std::vector<std::string>& BacktestTableHeaders();
std::vector<TBacktestTableRow> BacktestTable(const TBacktestSummary& summary);
// The table as CSV (UTF-8 without a byte-order mark, CRLF).
std::string BacktestTableCsv(const TBacktestSummary& summary);

// A rate as a percentage with one decimal ("10.3%"); t with two decimals ("-" when none).
std::string BacktestPercent(double rate);
std::string BacktestTText(const std::optional<double>& t);
