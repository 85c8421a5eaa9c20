#include "stats/StatTally.h"

#include <algorithm>

#include "data/Hao.h"
#include "search/Gui2Reg.h"
#include "search/PatternCheck.h"
#include "search/PatternClass.h"

namespace {

constexpr int32_t LowLine = 0;
constexpr int32_t HighLine = 1;
constexpr int32_t FixedPositions = 4;  // A to D

std::string Letter(int32_t position) {
    return std::string(1, PositionLetters[position]);
}

// The only marked column of a line with exactly one mark, else -1.
int32_t SingleMark(const TGui2Reg& pattern, int32_t line) {
    if (pattern.PositionCount(line) != 1) return -1;
    for (int32_t column = 0; column < 8; ++column)
        if (pattern.GetPosition(line, column)) return column;
    return -1;
}

uint32_t MarkBits(const TGui2Reg& pattern, int32_t line) {
    const auto& marks = pattern.LineResults[static_cast<size_t>(line)].Positions;
    uint32_t bits = 0;
    for (size_t column = 0; column < marks.size(); ++column)
        bits |= marks[column] != 0 ? 1u << column : 0u;
    return bits;
}

// Chart of the pair (p, q) with p < q, or -1.
int32_t PairChart(int32_t p, int32_t q) {
    for (size_t i = 0; i < PositionPairs.size(); ++i)
        if (PositionPairs[i].first == p && PositionPairs[i].second == q)
            return static_cast<int32_t>(i);
    return -1;
}

// Index of the lowest set bit of a non-zero mask.
int32_t LowestBit(uint32_t bits) {
    int32_t index = 0;
    while ((bits & 1u) == 0) {
        bits >>= 1;
        ++index;
    }
    return index;
}

// The class of patterns a statistic counts: each statistic bears its class's name.
TPatternClass CountedClass(TStatKind kind) {
    switch (kind) {
        case skFixedDigit:
            return TPatternClass::FixedDigit;
        case skPairSum:
            return TPatternClass::PairSum;
        case skPairDiff:
            return TPatternClass::PairDiff;
    }
    return TPatternClass::Other;
}

// Each statistic counts a pattern of its class in at most one chart; its marks name that
// chart, so one look at them replaces testing every chart (StatForecast states the tests chart by
// chart). The chart, or -1.
int32_t ChartOf(TStatKind kind, const TGui2Reg& pattern) {
    if (ClassifyPattern(pattern) != CountedClass(kind)) return -1;
    const uint32_t low = MarkBits(pattern, LowLine);
    const uint32_t high = MarkBits(pattern, HighLine);
    int32_t chart = -1;
    switch (kind) {
        case skFixedDigit: {
            const int32_t p = LowestBit(low);
            if (p >= 1 && p <= FixedPositions) chart = p - 1;
            break;
        }
        case skPairSum: {
            const int32_t p = LowestBit(low);
            chart = PairChart(p, LowestBit(low & ~(1u << p)));
            break;
        }
        case skPairDiff:
            chart = PairChart(LowestBit(low), LowestBit(high));
            break;
    }
    return chart;
}

// Under 全明 and 全对 one difference of the forms keeps the relation, under 明对 two.
bool PairedKind(const TGui2Reg& pattern) {
    return pattern.ContrastKind != 1 && pattern.ContrastKind != 2;
}

void Count(TStatKind kind, const TGui2Reg& pattern, std::vector<TStatTally>& tallies) {
    const int32_t chart = ChartOf(kind, pattern);
    if (chart < 0) return;
    const TStatForecast forecast = StatForecast(kind, chart, pattern);
    if (!forecast.Counted()) return;
    TStatTally& tally = tallies[static_cast<size_t>(chart)];
    for (size_t d = 0; d < forecast.Pairs.size(); ++d)
        if (forecast.Pairs[d] > 0) ++tally.Slots[d + 1];
    ++(PairedKind(pattern) ? tally.PairKind : tally.SingleKind);
}

template <typename Patterns>
std::vector<TStatTally> Run(TStatKind kind, const Patterns& patterns) {
    std::vector<TStatTally> tallies(static_cast<size_t>(StatChartCount(kind)));
    // Last to first; the counts do not depend on the order.
    for (auto it = patterns.rbegin(); it != patterns.rend(); ++it)
        if (*it) Count(kind, **it, tallies);
    return tallies;
}

}  // namespace

std::string StatName(TStatKind kind) {
    return PatternClassName(CountedClass(kind));
}

int32_t StatChartCount(TStatKind kind) {
    return kind == skFixedDigit ? FixedPositions : static_cast<int32_t>(PositionPairs.size());
}

std::string StatSubject(TStatKind kind, int32_t chart) {
    if (chart < 0 || chart >= StatChartCount(kind)) return {};
    if (kind == skFixedDigit) return Letter(chart + 1);
    const auto [p, q] = PositionPairs[static_cast<size_t>(chart)];
    return Letter(p) + (kind == skPairSum ? "+" : "") + Letter(q);
}

std::string StatTitle(TStatKind kind, int32_t chart) {
    return StatName(kind) + " 规律统计:" + StatSubject(kind, chart) +
           (kind == skPairDiff ? "位差" : "位");
}

std::string StatColumnLabel(TStatKind kind, int32_t chart, int32_t digit) {
    return StatSubject(kind, chart) + (kind == skPairDiff ? "差" : "=") + std::to_string(digit);
}

bool TStatForecast::Counted() const {
    for (const int8_t n : Pairs)
        if (n > 0) return true;
    return false;
}

TStatForecast StatForecast(TStatKind kind, int32_t chart, const TGui2Reg& pattern) {
    TStatForecast forecast;
    if (chart < 0 || chart >= StatChartCount(kind)) return forecast;
    // The pattern's form of the coming digits at the chart's positions (A; A+B; A-B mod 10)
    // takes the value `digit` at a hit (全明, 全对), or `digit` and digit + 5 (明对).
    int32_t digit = -1;
    switch (kind) {
        case skFixedDigit:
            if (pattern.PositionCount(LowLine) == 1 && pattern.GetPosition(LowLine, chart + 1) &&
                pattern.MarkedLineCount() <= 1)
                digit = pattern.GetResult(LowLine);
            break;
        case skPairSum: {
            const auto [p, q] = PositionPairs[static_cast<size_t>(chart)];
            if (pattern.PositionCount(LowLine) == 2 && pattern.GetPosition(LowLine, p) &&
                pattern.GetPosition(LowLine, q) && pattern.MarkedLineCount() <= 1)
                digit = pattern.GetResult(LowLine);
            break;
        }
        case skPairDiff: {
            const auto [p, q] = PositionPairs[static_cast<size_t>(chart)];
            if (SingleMark(pattern, LowLine) == p && SingleMark(pattern, HighLine) == q) {
                const int32_t low = pattern.GetResult(LowLine);
                const int32_t high = pattern.GetResult(HighLine);
                // Digits outside 0-9 only come from damaged documents; keep the subtraction safe.
                if (low >= 0 && low <= 9 && high >= 0 && high <= 9) digit = (low - high + 10) % 10;
            }
            break;
        }
    }
    if (digit < 0 || digit > 9) return forecast;
    const bool paired = PairedKind(pattern);
    for (int32_t a = 0; a <= 9; ++a) {
        for (int32_t b = 0; b <= 9; ++b) {
            const int32_t form = kind == skFixedDigit ? a
                                 : kind == skPairSum  ? (a + b) % 10
                                                      : (a - b + 10) % 10;
            const int32_t off = (form - digit + 10) % 10;
            if (off != 0 && !(paired && off == 5)) continue;
            const int32_t subject = kind == skFixedDigit ? a
                                    : kind == skPairSum  ? (a + b) % 10
                                                         : DigitDistance(a, b);
            ++forecast.Pairs[static_cast<size_t>(subject)];
        }
    }
    return forecast;
}

int32_t StatSubjectValue(TStatKind kind, int32_t chart, const TCodes& draws, int32_t row) {
    if (chart < 0 || chart >= StatChartCount(kind) || row < 0 || row >= draws.Count()) return -1;
    const auto [p, q] = kind == skFixedDigit ? std::pair{chart + 1, chart + 1}
                                             : PositionPairs[static_cast<size_t>(chart)];
    const int32_t a = draws.GetNum(p, row);
    const int32_t b = draws.GetNum(q, row);
    if (a < 0 || a > 9 || b < 0 || b > 9) return -1;
    switch (kind) {
        case skFixedDigit:
            return a;
        case skPairSum:
            return (a + b) % 10;
        case skPairDiff:
            return DigitDistance(a, b);
    }
    return -1;
}

std::string StatChanceText(const TStatTally& tally) {
    if (tally.PairKind > 0 && tally.SingleKind > 0)
        return "随机命中机会：明对规律20%，全明、全对规律10%";
    if (tally.PairKind > 0) return "每个规律随机命中机会20%";
    if (tally.SingleKind > 0) return "每个规律随机命中机会10%";
    return {};
}

int32_t TStatTally::AxisMaximum() const {
    int32_t maximum = 1;
    for (size_t c = 1; c < Slots.size(); ++c) maximum = std::max(maximum, Slots[c]);
    return static_cast<int32_t>((int64_t{maximum} + 9) / 10 * 10);
}

std::vector<TStatTally> RunStatistic(TStatKind kind, const std::vector<const TGui2Reg*>& patterns) {
    return Run(kind, patterns);
}

std::vector<TStatTally> RunStatistic(TStatKind kind,
                                     const std::vector<std::unique_ptr<TGui2Reg>>& patterns) {
    return Run(kind, patterns);
}

std::vector<THitTally> RunHitStatistic(TStatKind kind,
                                       const std::vector<std::unique_ptr<TGui2Reg>>& patterns,
                                       const TCodes& draws, const TCodes& searchDraws) {
    std::vector<THitTally> tallies(static_cast<size_t>(StatChartCount(kind)));
    const TPatternVerifier verifier(draws, searchDraws);
    for (const auto& pattern : patterns) {
        if (!pattern) continue;
        const int32_t chart = ChartOf(kind, *pattern);
        if (chart < 0) continue;
        const TStatForecast forecast = StatForecast(kind, chart, *pattern);
        if (!forecast.Counted()) continue;
        const TVerification verdict = verifier.Verify(*pattern);
        if (verdict != TVerification::Hit && verdict != TVerification::Miss) continue;
        THitTally& tally = tallies[static_cast<size_t>(chart)];
        for (size_t d = 0; d < forecast.Pairs.size(); ++d) {
            if (forecast.Pairs[d] == 0) continue;
            ++tally.Patterns[d + 1];
            tally.Chance[d + 1] += forecast.Pairs[d] / 100.0;
        }
        // The hit goes to the value the draw gave, which the pattern forecast.
        const int32_t drawn = StatSubjectValue(kind, chart, draws, pattern->BaseRow);
        if (verdict == TVerification::Hit && drawn >= 0 &&
            forecast.Pairs[static_cast<size_t>(drawn)] > 0)
            ++tally.Hits[static_cast<size_t>(drawn) + 1];
    }
    return tallies;
}

std::string HitEmptyReason(TStatKind kind, const std::vector<THitTally>& tallies) {
    for (const THitTally& tally : tallies)
        for (size_t c = 1; c < tally.Patterns.size(); ++c)
            if (tally.Patterns[c] != 0) return {};
    return "没有可以统计命中的" + StatName(kind) +
           "规律：只有规律预测的那一期已经开出、而且此前的开奖号码没有改变时，才能统计它是否命中。";
}

std::string StatEmptyReason(TStatKind kind, size_t patternCount,
                            const std::vector<TStatTally>& tallies) {
    for (const TStatTally& tally : tallies)
        for (size_t c = 1; c < tally.Slots.size(); ++c)
            if (tally.Slots[c] != 0) return {};
    if (patternCount == 0) return "还没有规律可以统计：请先搜索规律（F5），再统计。";
    std::string which;
    switch (kind) {
        case skFixedDigit:
            which = "定位定数只统计低线在A、B、C、D中恰好标出一个位置、高线不标位置的规律";
            break;
        case skPairSum:
            which = "两位合分只统计低线在A、B、C、D中恰好标出两个位置、高线不标位置的规律";
            break;
        case skPairDiff:
            which =
                "两数差分只统计低线和高线在A、B、C、D中各标出一个位置、"
                "且低线的位置在高线之前的规律";
            break;
    }
    // The search's 落码类型 of the same name finds exactly such patterns.
    return which + "；现有的" + std::to_string(patternCount) + "条规律中没有这样的规律。" +
           "可以在“搜索设置”里选择落码类型“" + StatName(kind) + "”后重新搜索。";
}
