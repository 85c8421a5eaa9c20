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
// The digit a pattern adds to chart k, or -1 when the chart does not count it.
int32_t StatDigit(TStatKind kind, int32_t chart, const TGui2Reg& pattern);

// One chart's counts: Slots[d + 1] counts digit d (slot 0 is unused).
struct TStatTally {
    std::array<int32_t, 11> Slots{};
    // The largest slot (at least 1) rounded up to a multiple of ten: the value axis' top.
    int32_t AxisMaximum() const;
};

// The tallies of every chart of a statistic over the patterns, in chart order. A pattern whose
// digit lies outside 0-9 (a damaged document) is counted nowhere.
std::vector<TStatTally> RunStatistic(TStatKind kind, const std::vector<const TGui2Reg*>& patterns);
std::vector<TStatTally> RunStatistic(TStatKind kind,
                                     const std::vector<std::unique_ptr<TGui2Reg>>& patterns);

// A chart's hit counts over the patterns whose coming draw is known (verdict 中 or 未中, see
// TPatternVerifier): by digit d at [d + 1], how many such patterns it counts, how many of
// them hit, and the hits that chance alone gives on average (the sum of their chances,
// PatternChance).
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
