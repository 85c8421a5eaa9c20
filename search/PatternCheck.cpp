#include "search/PatternCheck.h"

#include <algorithm>
#include <array>

namespace {

constexpr int32_t LowLine = 0;
constexpr int32_t HighLine = 1;
constexpr int32_t SumColumn = 0;
constexpr int32_t LastSummedDigit = 4;  // column H is the sum of digits 1-4

int32_t Mod10(int64_t value) {
    return static_cast<int32_t>(((value % 10) + 10) % 10);
}

}  // namespace

bool SumsKeepRelation(int32_t contrastKind, int32_t lowSum, int32_t highSum) {
    const int32_t distance = DigitDistance(Mod10(lowSum), Mod10(highSum));
    switch (contrastKind) {
        case 1:
            return distance == 0;
        case 2:
            return distance == 5;
        case 3:
            return distance == 0 || distance == 5;
        default:
            return false;
    }
}

bool PatternFitsDraws(const TGui2Reg& pattern, const TCodes& draws) {
    const int32_t base = pattern.BaseRow;
    if (base < 0 || base > draws.Count()) return false;
    for (int32_t line = 0; line < TGui2Reg::LineCount; ++line) {
        const TPointList& points = pattern.Line(line);
        for (int32_t i = 0; i < points.Count(); ++i) {
            const TPoint p = points.Get(i);
            if (p.X < 0 || p.X > 7 || p.Y > 0 || base + p.Y < 0) return false;
        }
    }
    return true;
}

bool PatternHits(const TGui2Reg& pattern, const TCodes& draws) {
    return SumsKeepRelation(pattern.ContrastKind, pattern.LineSum(pattern.BaseRow, LowLine, draws),
                            pattern.LineSum(pattern.BaseRow, HighLine, draws));
}

bool THitForm::HitsAt(int32_t v) const {
    return SumsKeepRelation(ContrastKind, Mod10(Offset + v), 0);
}

THitForm HitFormOf(const TGui2Reg& pattern, const TCodes& draws) {
    // low sum - high sum = known + sum over the coming draw's columns of weight x digit, where a
    // column's weight counts its low-line cells minus its high-line cells.
    std::array<int32_t, 8> weight{};
    int64_t known = 0;
    for (int32_t line = 0; line < TGui2Reg::LineCount; ++line) {
        const int32_t sign = line == LowLine ? 1 : -1;
        const TPointList& points = pattern.Line(line);
        for (int32_t i = 0; i < points.Count(); ++i) {
            const TPoint p = points.Get(i);
            if (p.Y == 0)
                weight[static_cast<size_t>(p.X)] += sign;
            else
                known += sign * draws.GetNum(p.X, pattern.BaseRow + p.Y);
        }
    }
    // Column H adds digits 1-4 once more each.
    for (int32_t column = 1; column <= LastSummedDigit; ++column)
        weight[static_cast<size_t>(column)] += weight[SumColumn];
    THitForm form;
    for (int32_t column = 1; column < 8; ++column)
        form.Weights[static_cast<size_t>(column - 1)] =
            static_cast<uint8_t>(Mod10(weight[static_cast<size_t>(column)]));
    form.Offset = static_cast<uint8_t>(Mod10(known));
    form.ContrastKind = pattern.ContrastKind;
    return form;
}

double PatternChance(const TGui2Reg& pattern, const TCodes& draws) {
    if (!PatternFitsDraws(pattern, draws)) return 0;
    const THitForm form = HitFormOf(pattern, draws);
    // The value of the form mod 10, one independent uniform digit at a time.
    std::array<double, 10> chance{};
    chance[0] = 1.0;
    for (const uint8_t w : form.Weights) {
        if (w == 0) continue;
        // A digit whose weight is prime to 10 alone makes the value uniform (the usual case).
        if (w % 2 != 0 && w != 5) {
            chance.fill(0.1);
            break;
        }
        std::array<double, 10> next{};
        for (int32_t d = 0; d < 10; ++d)
            for (int32_t digit = 0; digit < 10; ++digit)
                next[static_cast<size_t>(Mod10(d + w * digit))] +=
                    chance[static_cast<size_t>(d)] / 10;
        chance = next;
    }
    double hit = 0;
    for (int32_t v = 0; v < 10; ++v)
        if (form.HitsAt(v)) hit += chance[static_cast<size_t>(v)];
    return hit;
}

TPatternVerifier::TPatternVerifier(const TCodes& draws, const TCodes& searchDraws)
    : draws_(draws), searchDraws_(searchDraws) {
    const int32_t n = std::min(draws.Count(), searchDraws.Count());
    if (&draws == &searchDraws) {
        sameRows_ = n;
        return;
    }
    const DrawRecord* a = draws.Rows();
    const DrawRecord* b = searchDraws.Rows();
    while (sameRows_ < n && a[sameRows_] == b[sameRows_]) ++sameRows_;
}

TVerification TPatternVerifier::Verify(const TGui2Reg& pattern) const {
    if (!PatternFitsDraws(pattern, draws_) || !PatternFitsDraws(pattern, searchDraws_))
        return TVerification::Invalid;
    if (pattern.BaseRow > sameRows_) return TVerification::DrawsChanged;
    if (pattern.BaseRow == draws_.Count()) return TVerification::Pending;
    // The earlier cells as the search read them (the sums it stored at step 0), the cells of
    // the coming draw from the document.
    std::array<int64_t, TGui2Reg::LineCount> sums{};
    for (int32_t line = 0; line < TGui2Reg::LineCount; ++line) {
        const TPointList& points = pattern.Line(line);
        for (int32_t i = 0; i < points.Count(); ++i) {
            const TPoint p = points.Get(i);
            const TCodes& source = p.Y == 0 ? draws_ : searchDraws_;
            sums[static_cast<size_t>(line)] += source.GetNum(p.X, pattern.BaseRow + p.Y);
        }
    }
    return SumsKeepRelation(pattern.ContrastKind, Mod10(sums[LowLine]), Mod10(sums[HighLine]))
               ? TVerification::Hit
               : TVerification::Miss;
}

TVerification VerifyPattern(const TGui2Reg& pattern, const TCodes& draws,
                            const TCodes& searchDraws) {
    return TPatternVerifier(draws, searchDraws).Verify(pattern);
}

TVerification VerifyPattern(const TGui2Reg& pattern, const TCodes& draws) {
    return VerifyPattern(pattern, draws, draws);
}

const char* VerificationText(TVerification verification) {
    switch (verification) {
        case TVerification::Hit:
            return "中";
        case TVerification::Miss:
            return "未中";
        case TVerification::Invalid:
        case TVerification::DrawsChanged:
            return "无效";
        case TVerification::Pending:
            break;
    }
    return "";
}

const char* VerificationHint(TVerification verification) {
    switch (verification) {
        case TVerification::DrawsChanged:
            return "找到这条规律以后，此前的开奖号码已经改变，无法验证";
        case TVerification::Invalid:
            return "规律所在的开奖号码已经不在了，无法验证";
        default:
            break;
    }
    return "";
}
