#include "search/PatternClass.h"

#include "search/Gui2Reg.h"

namespace {

constexpr int32_t LowLine = 0;
constexpr int32_t HighLine = 1;

}  // namespace

TPatternClass ClassifyPattern(const TGui2Reg& pattern) {
    const int32_t low = pattern.PositionCount(LowLine);
    const int32_t high = pattern.PositionCount(HighLine);
    if (high == 0 && low == 1) return TPatternClass::FixedDigit;
    if (high == 0 && low == 2) return TPatternClass::PairSum;
    if (high == 1 && low == 1) return TPatternClass::PairDiff;
    return TPatternClass::Other;
}

const char* PatternClassName(TPatternClass patternClass) {
    const auto index = static_cast<size_t>(patternClass);
    return index < PatternClassNames.size() ? PatternClassNames[index] : PatternClassNames.back();
}
