#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "search/Backtest.h"

// The verdicts of a backtest. Each line (the whole backtest, or one group) is judged by its
// total hits over the draws with predictions against the exact distribution chance gives that
// total: each draw's hit count, given the patterns found for it, has an exact distribution over
// the equally likely coming draws (TBacktestRow::Null), and the draws' counts add as
// independent counts, so the total's distribution is their convolution. The p of a line is
// twice the smaller tail at the observed total (at most 1); more hits can only make the upper
// tail smaller, so more hits never read worse than fewer, and a line with no spread in its
// rates is read the same way as any other. At level a each direction is a test at a / 2.
// Why not Student's t over the per-draw rates: a draw's patterns share its digits, so its rate
// is lumpy and skewed, and with few patterns per draw (sparse options) t read verdicts at
// several times their level and could invert (one hit below chance, no hit none). The groups of
// the table are judged under Holm-Bonferroni over the groups tested.

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

// Why a line has no z value.
enum class TNoTReason {
    None,
    TooFewDraws,  // no draws with predictions
    NoSpread,     // chance gives the total only one value
};

struct TBacktestT {
    int32_t Rows = 0;  // m: the draws with predictions
    double MeanHit = 0;
    double MeanChance = 0;
    double MeanDifference = 0;
    // The standardised total: (hits - its mean under chance) / its standard deviation under
    // chance. Shown only; the verdict reads P.
    std::optional<double> T;
    std::optional<double> PlainT;  // Student's t of the per-draw differences, shown only
    double Skewness = 0;           // of the differences (third central moment / sd^3)
    TNoTReason NoT = TNoTReason::TooFewDraws;
    double ExpectedHits = 0;  // the total's mean under chance (the sum of the chances)
    double HitsSd = 0;        // the total's standard deviation under chance
    // The exact two-sided probability of a total this far from chance: twice the smaller
    // tail, at most 1. None with no draws.
    std::optional<double> P;
    bool Upper = false;              // the total lies in the upper tail
    bool Approximate = false;        // some draw's distribution is the normal approximation
    std::optional<double> Critical;  // none: no critical value of t is read any more
};
// The descriptive part of a line from its draws' rates (means, plain t, skewness).
TBacktestT BacktestT(const std::vector<TBacktestRates>& draws);
// The test of a line: its draws' distributions under chance and the total hits.
void JudgeTotalHits(TBacktestT& t, const std::vector<TCountDistribution>& draws, int64_t hits);

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
// The counts are grouped ("18,109") for the eye, or plain for a file.
std::vector<TBacktestTableRow> BacktestTable(const TBacktestSummary& summary,
                                             bool groupedCounts = true);
// The table as CSV (UTF-8 without a byte-order mark, CRLF), its counts plain.
std::string BacktestTableCsv(const TBacktestSummary& summary);

// A rate as a percentage with one decimal ("10.3%"); t with two decimals ("-" when none).
std::string BacktestPercent(double rate);
// A difference of rates with its sign ("+1.2%", "-0.4%"; "0.0%" for what rounds to zero).
std::string BacktestDifferenceText(double difference);
std::string BacktestTText(const std::optional<double>& t);
