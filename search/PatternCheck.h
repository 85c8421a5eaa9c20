#pragma once

#include <array>
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

// The hit rule of a pattern as a linear form of the coming draw's digits A-G: the pattern hits
// when (Offset + sum over c of Weights[c] x digit c) mod 10 is a difference its contrast kind
// keeps (0 全明, 5 全对, either 明对). Column H is folded into digits A-D. Needs
// PatternFitsDraws.
struct THitForm {
    std::array<uint8_t, 7> Weights{};
    uint8_t Offset = 0;
    int8_t ContrastKind = 0;  // as the pattern stores it
    // Whether the coming digits giving the value v = sum Weights[c] x digit c mod 10 make a hit.
    bool HitsAt(int32_t v) const;
};
THitForm HitFormOf(const TGui2Reg& pattern, const TCodes& draws);

// The probability of a hit if the cells of the coming draw held independent uniform digits
// (column H then being the sum of digits 1-4), the cells of earlier draws as they are. Exact.
double PatternChance(const TGui2Reg& pattern, const TCodes& draws);

// Every cell of the pattern at step 0 lies on a draw of the list or on the coming draw
// (row BaseRow, which may or may not be in the list yet).
bool PatternFitsDraws(const TGui2Reg& pattern, const TCodes& draws);

// What the draws say of a saved pattern's prediction.
enum class TVerification {
    Pending,       // the coming draw is not known yet
    Hit,           // 中
    Miss,          // 未中
    Invalid,       // the base row lies beyond the draws, or a cell before the first draw (无效)
    DrawsChanged,  // the draws before the base row are no longer those it was found on (无效)
};

// Verifies patterns found by one search against the document's draws. A pattern's verdict
// comes from what the search saw (its cells on earlier draws, read from the search draws, as
// its stored step-0 sums were) plus the digits of the coming draw (row BaseRow of the
// document's draws). It holds only while the document's draws before the base row are still
// the search draws; otherwise the verdict is DrawsChanged (an old draw edited, or another
// history imported). Built once for a pair of draw lists, so that verifying millions of
// patterns compares the lists once.
class TPatternVerifier {
  public:
    // Both lists must outlive the verifier.
    TPatternVerifier(const TCodes& draws, const TCodes& searchDraws);
    TVerification Verify(const TGui2Reg& pattern) const;

  private:
    const TCodes& draws_;
    const TCodes& searchDraws_;
    int32_t sameRows_ = 0;  // leading rows the two lists have in common
};

// One pattern; searchDraws are the draws of the search that found it.
TVerification VerifyPattern(const TGui2Reg& pattern, const TCodes& draws,
                            const TCodes& searchDraws);
// A pattern whose search draws are the draws themselves.
TVerification VerifyPattern(const TGui2Reg& pattern, const TCodes& draws);
// "中", "未中", "无效", or empty while pending.
const char* VerificationText(TVerification verification);
// Why a verdict reads "无效" (for a tool tip); empty for the others.
const char* VerificationHint(TVerification verification);
