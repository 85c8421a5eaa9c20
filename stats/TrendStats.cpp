#include "stats/TrendStats.h"

#include <algorithm>
#include <numeric>

namespace {

uint8_t DigitOf(int32_t value) {
    return value >= 0 && value < TrendDigitCount ? static_cast<uint8_t>(value)
                                                 : TOmissionTable::NoDigit;
}

// Running state of one position while the window is walked once.
struct TPositionWalk {
    std::array<int32_t, TrendDigitCount> Last;  // window row of the last occurrence, -1 none
    uint8_t Previous = TOmissionTable::NoDigit;
    int32_t Run = 0;

    TPositionWalk() { Last.fill(-1); }

    void Step(uint8_t digit, int32_t row, TPositionTrend& trend) {
        if (digit == TOmissionTable::NoDigit) {
            Previous = digit;
            Run = 0;
            return;
        }
        ++trend.Count[digit];
        const int32_t gap = row - Last[digit] - 1;
        trend.MaxOmission[digit] = std::max(trend.MaxOmission[digit], gap);
        Last[digit] = row;
        Run = digit == Previous ? Run + 1 : 1;
        Previous = digit;
        trend.Streak[digit] = std::max(trend.Streak[digit], Run);
    }

    void Finish(int32_t length, TPositionTrend& trend) const {
        for (int32_t d = 0; d < TrendDigitCount; ++d) {
            // The run after the last occurrence (the whole window when there is none).
            const int32_t tail = length - 1 - Last[d];
            trend.Current[d] = tail;
            trend.MaxOmission[d] = std::max(trend.MaxOmission[d], tail);
            trend.Average[d] = static_cast<double>(length - trend.Count[d]) / (trend.Count[d] + 1);
        }
    }
};

}  // namespace

TTrendWindow LastDraws(int32_t drawCount, int32_t window) {
    drawCount = std::max(drawCount, 0);
    if (window <= 0 || window > drawCount) return {0, drawCount};
    return {drawCount - window, window};
}

TTrendStats ComputeTrendStats(const TCodes& draws, TTrendWindow window) {
    TTrendStats stats;
    stats.Window = LastDraws(draws.Count(), 0);
    if (window.First >= 0 && window.Length >= 0 &&
        static_cast<int64_t>(window.First) + window.Length <= draws.Count())
        stats.Window = window;

    std::array<TPositionWalk, TrendPositionCount> walks;
    int64_t sumTotal = 0;
    int32_t sums = 0;
    const DrawRecord* rows = draws.Rows() + stats.Window.First;
    for (int32_t r = 0; r < stats.Window.Length; ++r) {
        const DrawRecord& draw = rows[r];
        for (int32_t p = 0; p < TrendPositionCount; ++p)
            walks[static_cast<size_t>(p)].Step(DigitOf(draw[p + 1]), r,
                                               stats.Positions[static_cast<size_t>(p)]);
        const int32_t sum = draw[0];
        if (sum >= 0 && sum < TrendSumCount) {
            ++stats.Sum.Frequency[static_cast<size_t>(sum)];
            sumTotal += sum;
            ++sums;
        }
    }
    for (int32_t p = 0; p < TrendPositionCount; ++p)
        walks[static_cast<size_t>(p)].Finish(stats.Window.Length,
                                             stats.Positions[static_cast<size_t>(p)]);
    stats.Sum.Mean = sums > 0 ? static_cast<double>(sumTotal) / sums : 0.0;
    return stats;
}

TTrendMarks HotColdMarks(const std::array<int32_t, TrendDigitCount>& count,
                         const std::array<int32_t, TrendDigitCount>& tieBreak) {
    TTrendMarks marks{};
    const auto [low, high] = std::minmax_element(count.begin(), count.end());
    if (*low == *high) return marks;
    std::array<int32_t, TrendDigitCount> order;
    std::iota(order.begin(), order.end(), 0);
    // Most frequent first; one strict order, so the first three and the last three differ.
    std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        if (count[a] != count[b]) return count[a] > count[b];
        if (tieBreak[a] != tieBreak[b]) return tieBreak[a] < tieBreak[b];
        return a < b;
    });
    // A digit seen as rarely as the rarest is never hot, nor one seen as often as the most
    // frequent cold.
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t hot = order[static_cast<size_t>(i)];
        const int32_t cold = order[static_cast<size_t>(TrendDigitCount - 1 - i)];
        if (count[hot] > *low) marks[static_cast<size_t>(hot)] = 1;
        if (count[cold] < *high) marks[static_cast<size_t>(cold)] = -1;
    }
    return marks;
}

TOmissionTable::TOmissionTable(const TCodes& draws, TTrendWindow window, int32_t drawPosition) {
    if (drawPosition < 1 || drawPosition > TrendPositionCount || window.First < 0 ||
        window.Length <= 0 || static_cast<int64_t>(window.First) + window.Length > draws.Count())
        return;
    digits_.resize(static_cast<size_t>(window.Length));
    checkpoints_.reserve(static_cast<size_t>(window.Length / Stride + 1));
    TLastRows last;
    last.fill(-1);
    const DrawRecord* rows = draws.Rows() + window.First;
    for (int32_t r = 0; r < window.Length; ++r) {
        if (r % Stride == 0) checkpoints_.push_back(last);
        const uint8_t digit = DigitOf(rows[r][drawPosition]);
        digits_[static_cast<size_t>(r)] = digit;
        if (digit != NoDigit) last[digit] = r;
    }
}

int32_t TOmissionTable::Fill(int32_t row, int32_t rows, std::vector<int32_t>& values) const {
    values.clear();
    row = std::max(row, 0);
    const int32_t end = std::min(Length(), row + std::max(rows, 0));
    if (row >= end) return 0;
    TLastRows last = checkpoints_[static_cast<size_t>(row / Stride)];
    for (int32_t r = row / Stride * Stride; r < row; ++r)
        if (const uint8_t digit = digits_[static_cast<size_t>(r)]; digit != NoDigit)
            last[digit] = r;
    values.resize(static_cast<size_t>(end - row) * TrendDigitCount);
    int32_t* out = values.data();
    for (int32_t r = row; r < end; ++r) {
        const uint8_t digit = digits_[static_cast<size_t>(r)];
        if (digit != NoDigit) last[digit] = r;
        for (int32_t d = 0; d < TrendDigitCount; ++d) *out++ = r - last[d];
    }
    return end - row;
}
