#pragma once

#include <cstdint>

#include "data/Hao.h"
#include "search/Gui2Reg.h"
#include "search/PatternClass.h"

// Whether the two lines' sums keep the relation of the contrast kind (1 equal, 2 differing by
// 5, 3 either); other kinds keep none.
bool SumsKeepRelation(int32_t contrastKind, int32_t lowSum, int32_t highSum);

// True when the pattern's prediction came true: with the coming draw (row BaseRow) known, the
// step-0 sums of both lines over all their cells keep the relation of the contrast kind.
// Needs every cell on an existing draw (PatternFitsDraws with the coming draw known).
bool PatternHits(const TGui2Reg& pattern, const TCodes& draws);

// The probability of a hit if the cells of the coming draw held independent uniform digits
// (column H then being the sum of digits 1-4), the cells of earlier draws as they are. Exact.
double PatternChance(const TGui2Reg& pattern, const TCodes& draws);

// Every cell of the pattern at step 0 lies on a draw of the list or on the coming draw
// (row BaseRow, which may or may not be in the list yet).
bool PatternFitsDraws(const TGui2Reg& pattern, const TCodes& draws);

// What the draws say of a saved pattern's prediction.
enum class TVerification {
    Pending,  // the coming draw is not known yet
    Hit,      // 中
    Miss,     // 未中
    Invalid,  // the base row lies beyond the draws, or a cell before the first draw (无效)
};
TVerification VerifyPattern(const TGui2Reg& pattern, const TCodes& draws);
// "中", "未中", "无效", or empty while pending.
const char* VerificationText(TVerification verification);
