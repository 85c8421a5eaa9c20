#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
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

// The same five statistics of any sequence of categories (the shapes of the draws).
struct TCategoryTrend {
    std::vector<int32_t> Count;
    std::vector<int32_t> Current;
    std::vector<int32_t> MaxOmission;
    std::vector<double> Average;
    std::vector<int32_t> Streak;

    explicit TCategoryTrend(int32_t categories = 0)
        : Count(static_cast<size_t>(categories)),
          Current(Count.size()),
          MaxOmission(Count.size()),
          Average(Count.size()),
          Streak(Count.size()) {}
};

// Walks a window once, row by row, filling the five statistics of one sequence of values:
// a position's digits or a metric's categories. A row without a value (a stored value that is
// no digit, a metric undefined there) is passed as -1: it counts as a row and breaks a run.
template <typename TTrend>
class TOmissionWalk {
  public:
    TOmissionWalk(TTrend& trend, int32_t values)
        : trend_(trend), last_(static_cast<size_t>(values), -1) {}

    void Step(int32_t value, int32_t row) {
        if (value < 0) {
            previous_ = -1;
            run_ = 0;
            return;
        }
        ++trend_.Count[value];
        const int32_t gap = row - last_[static_cast<size_t>(value)] - 1;
        trend_.MaxOmission[value] = std::max(trend_.MaxOmission[value], gap);
        last_[static_cast<size_t>(value)] = row;
        run_ = value == previous_ ? run_ + 1 : 1;
        previous_ = value;
        trend_.Streak[value] = std::max(trend_.Streak[value], run_);
    }

    void Finish(int32_t length) {
        for (size_t v = 0; v < last_.size(); ++v) {
            // The run after the last occurrence (the whole window when there is none).
            const int32_t tail = length - 1 - last_[v];
            trend_.Current[v] = tail;
            trend_.MaxOmission[v] = std::max(trend_.MaxOmission[v], tail);
            trend_.Average[v] =
                static_cast<double>(length - trend_.Count[v]) / (trend_.Count[v] + 1);
        }
    }

  private:
    TTrend& trend_;
    std::vector<int32_t> last_;  // window row of the last occurrence, -1 none
    int32_t previous_ = -1;
    int32_t run_ = 0;
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

// Hot (+1) and cold (-1) marks of a tally against what chance gives each category: hot only
// where the count is above its expected count, cold only where it is below, the three furthest
// from it each way (measured in standard deviations of a Poisson count, (count - expected) /
// sqrt(expected)); categories that tie are marked alike, so a tie at the third place marks
// every one of them. A category expected never is never marked.
std::vector<int8_t> HotColdMarks(std::span<const int32_t> count, std::span<const double> expected);
// The one-line legend of the marks.
inline constexpr const char* HotColdLegend =
    "冷热只描述过去，不预测下一期（热、冷：出现次数高于、低于理论次数）";

// The 遗漏值 of every cell of one position's chart (or of one shape metric's), read a few rows
// at a time: for row r and a value d not drawn in it, the rows since d last occurred, counting
// r, counted from the window's first row when d has not occurred since. Keeps the row values
// and the last occurrences at every Stride-th row, so any range of rows is filled without
// walking the window.
class TOmissionTable {
  public:
    static constexpr int32_t Stride = 256;
    static constexpr uint8_t NoDigit = 0xFF;

    TOmissionTable() = default;
    TOmissionTable(const TCodes& draws, TTrendWindow window, int32_t drawPosition);
    // Rows of any values 0..valueCount-1 (at most 255 of them), NoDigit for a row without one.
    TOmissionTable(std::vector<uint8_t> rowValues, int32_t valueCount);

    int32_t Length() const { return static_cast<int32_t>(digits_.size()); }
    int32_t ValueCount() const { return valueCount_; }
    // The digit (value) of window row `row`, or NoDigit.
    uint8_t Digit(int32_t row) const { return digits_[static_cast<size_t>(row)]; }

    // Values of window rows [row, row + rows) clipped to the window, ValueCount() per row in
    // value order; 0 marks the drawn value. Returns the number of rows filled.
    int32_t Fill(int32_t row, int32_t rows, std::vector<int32_t>& values) const;

  private:
    void MakeCheckpoints();

    int32_t valueCount_ = TrendDigitCount;
    std::vector<uint8_t> digits_;
    // ValueCount() entries per checkpoint k: last row of each value before row k * Stride.
    std::vector<int32_t> checkpoints_;
};
