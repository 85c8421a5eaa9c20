#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "data/Hao.h"

// Omission (遗漏) statistics of the draw history over a window of its last draws, for the trend
// chart and the command-line report. Positions are draw positions 1-7 (A-G); digits 0-9. A
// stored value outside 0-9 (a damaged document) counts as no digit at all.

inline constexpr int32_t TrendPositionCount = 7;
inline constexpr int32_t TrendDigitCount = 10;
inline constexpr int32_t TrendSumCount = 37;  // sums of four digits, 0-36

// The last `length` draws, starting at draw index First.
struct TTrendWindow {
    int32_t First = 0;
    int32_t Length = 0;
    bool operator==(const TTrendWindow&) const = default;
};

// The last `window` draws of `drawCount`; every draw when window <= 0 or there are fewer.
TTrendWindow LastDraws(int32_t drawCount, int32_t window);

// The five statistics of one position, indexed by digit.
struct TPositionTrend {
    std::array<int32_t, TrendDigitCount> Count{};        // 出现次数
    std::array<int32_t, TrendDigitCount> Current{};      // 当前遗漏
    std::array<int32_t, TrendDigitCount> MaxOmission{};  // 最大遗漏
    std::array<double, TrendDigitCount> Average{};       // 平均遗漏
    std::array<int32_t, TrendDigitCount> Streak{};       // 最大连出
};

// The sums of digits 1-4 over the window.
struct TSumTrend {
    std::array<int32_t, TrendSumCount> Frequency{};
    double Mean = 0;  // 0 for an empty window
};

struct TTrendStats {
    TTrendWindow Window;
    std::array<TPositionTrend, TrendPositionCount> Positions{};  // [0] is A
    TSumTrend Sum;

    const TPositionTrend& Position(int32_t drawPosition) const {
        return Positions[static_cast<size_t>(drawPosition - 1)];
    }
};

// Every statistic of every position and the sums, in one pass over the window.
TTrendStats ComputeTrendStats(const TCodes& draws, TTrendWindow window);

// Hot (+1) and cold (-1) marks of a tally: the three largest values hot, the three smallest
// cold. Ties go to the digit with the smaller tie value, then to the smaller digit, so that
// marks never overlap; a digit with the smallest value is never hot, one with the largest never
// cold (nothing is marked when every value is the same).
using TTrendMarks = std::array<int8_t, TrendDigitCount>;
TTrendMarks HotColdMarks(const std::array<int32_t, TrendDigitCount>& count,
                         const std::array<int32_t, TrendDigitCount>& tieBreak);

// The 遗漏值 of every cell of one position's chart, read a few rows at a time: for row r and a
// digit d not drawn in it, the rows since d last occurred, counting r, counted from the window's
// first row when d has not occurred since. Keeps the position's digits and the last occurrences
// at every Stride-th row, so any range of rows is filled without walking the window.
class TOmissionTable {
  public:
    static constexpr int32_t Stride = 256;
    static constexpr uint8_t NoDigit = 0xFF;

    TOmissionTable() = default;
    TOmissionTable(const TCodes& draws, TTrendWindow window, int32_t drawPosition);

    int32_t Length() const { return static_cast<int32_t>(digits_.size()); }
    // The digit of window row `row`, or NoDigit.
    uint8_t Digit(int32_t row) const { return digits_[static_cast<size_t>(row)]; }

    // Values of window rows [row, row + rows) clipped to the window, TrendDigitCount per row in
    // digit order; 0 marks the drawn digit. Returns the number of rows filled.
    int32_t Fill(int32_t row, int32_t rows, std::vector<int32_t>& values) const;

  private:
    using TLastRows = std::array<int32_t, TrendDigitCount>;
    std::vector<uint8_t> digits_;
    std::vector<TLastRows> checkpoints_;  // [k]: last row of each digit before row k * Stride
};
