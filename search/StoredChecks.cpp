#include "search/StoredChecks.h"

#include <string>

#include "data/Error.h"
#include "search/SearchWalk.h"

namespace {

// Rows further back than this cannot come from any search the program can run.
constexpr int32_t DeepestRowOffset = -MaxRowOffset;

[[noreturn]] void ThrowBadPattern(int32_t index, const std::string& what) {
    throw TError("Pattern " + std::to_string(index + 1) +
                 " of the work document is damaged: " + what + ".");
}

bool InRange(int32_t value, int32_t low, int32_t high) {
    return value >= low && value <= high;
}

}  // namespace

void CheckStoredDraws(const TCodes& draws, const char* what) {
    const DrawRecord* rows = draws.Rows();
    for (int32_t r = 0; r < draws.Count(); ++r) {
        const DrawRecord& row = rows[r];
        bool good = row[0] == row[1] + row[2] + row[3] + row[4];
        for (int p = 1; p <= 7; ++p) good = good && InRange(row[p], 0, 9);
        if (!good)
            throw TError("Draw " + std::to_string(r + 1) + " of the " + what +
                         " of the work document is damaged.");
    }
}

void CheckStoredPattern(const TGui2Reg& pattern, int32_t index) {
    // Nothing the search could never produce: it would only freeze the window that shows it.
    if (!InRange(pattern.StepTotal, 0, MaxRowOffset) ||
        pattern.StepSums.size() > static_cast<size_t>(MaxRowOffset) * TGui2Reg::LineCount)
        ThrowBadPattern(index, "more steps than any search finds");
    for (int32_t l = 0; l < TGui2Reg::LineCount; ++l) {
        const TPointList& line = pattern.Line(l);
        if (line.Count() > MaxLinePoints)
            ThrowBadPattern(index, "a line has more points than any search finds");
        for (int32_t i = 0; i < line.Count(); ++i) {
            const TPoint p = line.Items()[i];
            if (!InRange(p.X, 0, 7) || !InRange(p.Y, DeepestRowOffset, 0))
                ThrowBadPattern(index, "a cell lies outside the grid");
        }
        const TLineResult& result = pattern.LineResults[static_cast<size_t>(l)];
        if (!InRange(result.ResultValue, 0, 9)) ThrowBadPattern(index, "a result is not a digit");
        for (uint8_t mark : result.Positions)
            if (mark > 1) ThrowBadPattern(index, "a position mark is neither 0 nor 1");
    }
    if (!InRange(pattern.Layout, 1, 4)) ThrowBadPattern(index, "unknown layout");
    if (!InRange(pattern.ContrastKind, 1, 3)) ThrowBadPattern(index, "unknown contrast kind");
    if (pattern.BaseRow < 0) ThrowBadPattern(index, "negative base row");
    for (int32_t sum : pattern.StepSums)
        if (!InRange(sum, 0, 9)) ThrowBadPattern(index, "a step sum is not a digit");
}
