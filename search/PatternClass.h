#pragma once

#include <array>
#include <cstdint>

class TGui2Reg;

// The kind of prediction a pattern makes, read from its position marks: one home for the rule
// and for the names every window, table and statistic shows.
enum class TPatternClass {
    FixedDigit,  // one mark on the low line only (定位定数)
    PairSum,     // two marks on the low line only (两位合分)
    PairDiff,    // one mark on each line (两位差分)
    Other,       // any other shape (其他)
};
inline constexpr int32_t PatternClassCount = 4;

// The names in class order. The search's 落码类型 k (1-3, SearchOptions::FallStyleGbx) finds
// the patterns of class k - 1.
inline constexpr std::array<const char*, PatternClassCount> PatternClassNames = {
    "定位定数", "两位合分", "两位差分", "其他"};

TPatternClass ClassifyPattern(const TGui2Reg& pattern);
const char* PatternClassName(TPatternClass patternClass);
