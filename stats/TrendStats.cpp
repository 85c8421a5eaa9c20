#include "stats/TrendStats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

uint8_t DigitOf(int32_t value) {
    return value >= 0 && value < TrendDigitCount ? static_cast<uint8_t>(value)
                                                 : TOmissionTable::NoDigit;
}

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

    std::vector<TOmissionWalk<TPositionTrend>> walks;
    for (TPositionTrend& position : stats.Positions) walks.emplace_back(position, TrendDigitCount);
    int64_t sumTotal = 0;
    int32_t sums = 0;
    const DrawRecord* rows = draws.Rows() + stats.Window.First;
    for (int32_t r = 0; r < stats.Window.Length; ++r) {
        const DrawRecord& draw = rows[r];
        for (int32_t p = 0; p < TrendPositionCount; ++p)
            if (const uint8_t digit = DigitOf(draw[p + 1]); digit != TOmissionTable::NoDigit)
                walks[static_cast<size_t>(p)].Step(digit, r);
            else
                walks[static_cast<size_t>(p)].Step(-1, r);
        const int32_t sum = draw[0];
        if (sum >= 0 && sum < TrendSumCount) {
            ++stats.Sum.Frequency[static_cast<size_t>(sum)];
            sumTotal += sum;
            ++sums;
        }
    }
    for (auto& walk : walks) walk.Finish(stats.Window.Length);
    stats.Sum.Mean = sums > 0 ? static_cast<double>(sumTotal) / sums : 0.0;
    return stats;
}

std::vector<int8_t> HotColdMarks(std::span<const int32_t> count, std::span<const double> expected) {
    std::vector<int8_t> marks(count.size(), 0);
    if (expected.size() != count.size()) return marks;
    std::vector<double> z(count.size(), 0.0);
    for (size_t i = 0; i < count.size(); ++i)
        if (expected[i] > 0) z[i] = (count[i] - expected[i]) / std::sqrt(expected[i]);
    for (size_t i = 0; i < count.size(); ++i) {
        if (!(expected[i] > 0) || z[i] == 0) continue;
        // Categories strictly further out the same way: fewer than three means a mark.
        int32_t further = 0;
        for (size_t j = 0; j < count.size(); ++j)
            if (expected[j] > 0 && (z[i] > 0 ? z[j] > z[i] : z[j] < z[i])) ++further;
        if (further < 3) marks[i] = z[i] > 0 ? 1 : -1;
    }
    return marks;
}

TOmissionTable::TOmissionTable(const TCodes& draws, TTrendWindow window, int32_t drawPosition) {
    if (drawPosition < 1 || drawPosition > TrendPositionCount || window.First < 0 ||
        window.Length <= 0 || static_cast<int64_t>(window.First) + window.Length > draws.Count())
        return;
    digits_.resize(static_cast<size_t>(window.Length));
    const DrawRecord* rows = draws.Rows() + window.First;
    for (int32_t r = 0; r < window.Length; ++r)
        digits_[static_cast<size_t>(r)] = DigitOf(rows[r][drawPosition]);
    MakeCheckpoints();
}

TOmissionTable::TOmissionTable(std::vector<uint8_t> rowValues, int32_t valueCount)
    : valueCount_(std::clamp<int32_t>(valueCount, 0, NoDigit)), digits_(std::move(rowValues)) {
    for (uint8_t& value : digits_)
        if (value >= valueCount_) value = NoDigit;
    MakeCheckpoints();
}

void TOmissionTable::MakeCheckpoints() {
    const auto width = static_cast<size_t>(valueCount_);
    checkpoints_.reserve((digits_.size() / Stride + 1) * width);
    std::vector<int32_t> last(width, -1);
    for (size_t r = 0; r < digits_.size(); ++r) {
        if (r % Stride == 0) checkpoints_.insert(checkpoints_.end(), last.begin(), last.end());
        if (const uint8_t value = digits_[r]; value != NoDigit)
            last[value] = static_cast<int32_t>(r);
    }
}

int32_t TOmissionTable::Fill(int32_t row, int32_t rows, std::vector<int32_t>& values) const {
    values.clear();
    row = std::max(row, 0);
    const int32_t end = std::min(Length(), row + std::max(rows, 0));
    if (row >= end) return 0;
    const auto width = static_cast<size_t>(valueCount_);
    const auto checkpoint = checkpoints_.begin() + static_cast<ptrdiff_t>(row / Stride * width);
    std::vector<int32_t> last(checkpoint, checkpoint + static_cast<ptrdiff_t>(width));
    for (int32_t r = row / Stride * Stride; r < row; ++r)
        if (const uint8_t value = digits_[static_cast<size_t>(r)]; value != NoDigit)
            last[value] = r;
    values.resize(static_cast<size_t>(end - row) * width);
    int32_t* out = values.data();
    for (int32_t r = row; r < end; ++r) {
        const uint8_t value = digits_[static_cast<size_t>(r)];
        if (value != NoDigit) last[value] = r;
        for (size_t v = 0; v < width; ++v) *out++ = r - last[v];
    }
    return end - row;
}
