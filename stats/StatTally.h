#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TCodes;
class TGui2Reg;

// The three statistics of the statistics window.
enum TStatKind {
    skFixedDigit,  // one position, one digit (定位定数)
    skPairSum,     // the digit forecast for two positions together (两位合分)
    skPairDiff,    // the difference of the low and high line's digits (两位差分)
};

// Ordered pairs of digit positions A-D, the lower position first: AB AC AD BC BD CD.
inline constexpr std::array<std::pair<int32_t, int32_t>, 6> PositionPairs = {
    {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}};

// The statistic's name as its button shows it.
std::string StatName(TStatKind kind);
// 4 charts for the one-position statistic, 6 for the pair statistics.
int32_t StatChartCount(TStatKind kind);
// Subject of chart k (0-based): "A", "A+B" or "AB".
std::string StatSubject(TStatKind kind, int32_t chart);
std::string StatTitle(TStatKind kind, int32_t chart);
std::string StatColumnLabel(TStatKind kind, int32_t chart, int32_t digit);
// What chart k makes of a pattern: Pairs[x] of the 100 equally likely pairs of coming digits at
// the chart's positions make the pattern hit with the chart's subject (A; the last digit of A+B;
// |A-B|) equal to x. The chart counts the pattern under every x with Pairs[x] > 0: under 明对
// both digits of the pair (A=3 or 8), under 全明 and 全对 one for a position or a sum; for a
// difference both ways round (A-B = 3 or -7 are 3 and 7 apart). Pairs[x] / 100 is the chance of
// a hit with x, and the Pairs add up to 20 (明对) or 10 (全明, 全对). All 0 when the chart does not
// count the pattern.
struct TStatForecast {
    std::array<int8_t, 10> Pairs{};
    bool Counted() const;
};
TStatForecast StatForecast(TStatKind kind, int32_t chart, const TGui2Reg& pattern);
// The chart's subject in draw row `row` (A, the last digit of A+B, or |A-B|), -1 when the row or
// a digit is missing.
int32_t StatSubjectValue(TStatKind kind, int32_t chart, const TCodes& draws, int32_t row);

// One chart's counts: Slots[d + 1] counts digit d (slot 0 is unused). PairKind and SingleKind
// count the patterns of the chart that hit with 20% (明对) and 10% (全明, 全对) by chance.
struct TStatTally {
    std::array<int32_t, 11> Slots{};
    int32_t PairKind = 0;
    int32_t SingleKind = 0;
    // The largest slot (at least 1) rounded up to a multiple of ten: the value axis' top.
    int32_t AxisMaximum() const;
};
// What chance gives the chart's patterns, for its title: "每个规律命中机会20%" when all are 明对.
std::string StatChanceText(const TStatTally& tally);

// The tallies of every chart of a statistic over the patterns, in chart order. A pattern whose
// digit lies outside 0-9 (a damaged document) is counted nowhere.
std::vector<TStatTally> RunStatistic(TStatKind kind, const std::vector<const TGui2Reg*>& patterns);
std::vector<TStatTally> RunStatistic(TStatKind kind,
                                     const std::vector<std::unique_ptr<TGui2Reg>>& patterns);

// A chart's hit counts over the patterns whose coming draw is known (verdict 中 or 未中, see
// TPatternVerifier): by digit d at [d + 1], how many such patterns it counts under d, how many
// of them hit with the chart's subject at d, and the hits at d that chance alone gives on
// average (the sum of their Pairs[d] / 100).
struct THitTally {
    std::array<int32_t, 11> Patterns{};
    std::array<int32_t, 11> Hits{};
    std::array<double, 11> Chance{};
};

// The hit counts of every chart of a statistic, in chart order: the patterns as RunStatistic
// counts them, verified against the draws; searchDraws are the draws of the search that found
// them.
std::vector<THitTally> RunHitStatistic(TStatKind kind,
                                       const std::vector<std::unique_ptr<TGui2Reg>>& patterns,
                                       const TCodes& draws, const TCodes& searchDraws);
// Why the hit counts show no chart: no counted pattern has a known coming draw. Empty otherwise.
std::string HitEmptyReason(TStatKind kind, const std::vector<THitTally>& tallies);

// Why a statistic shows no chart: its tallies counted nothing. Empty when something was
// counted. patternCount is the number of patterns the statistic looked at.
std::string StatEmptyReason(TStatKind kind, size_t patternCount,
                            const std::vector<TStatTally>& tallies);
