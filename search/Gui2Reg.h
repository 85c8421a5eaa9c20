#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "data/Hao.h"
#include "search/ExtList.h"
#include "search/StepSums.h"

// Names of the layouts (rows between steps) and of the contrast kinds, by index.
inline constexpr std::array<const char*, 5> LayoutNames = {"全部", "流水", "隔一", "隔二", "隔版"};
inline constexpr std::array<const char*, 4> ContrastNames = {"全部", "全明", "全对", "明对"};

// The digit paired with d (they differ by 5).
inline int32_t PairDigit(int32_t d) {
    return (d + 15) % 10;
}
inline int32_t DigitDistance(int32_t a, int32_t b) {
    return a > b ? a - b : b - a;
}

// A small field of a pattern kept in a byte: a value beyond a byte becomes the nearest byte
// value, outside every range a search produces, so checks that refuse it still do.
inline int8_t SaturatedByte(int32_t value) {
    return static_cast<int8_t>(value < INT8_MIN ? INT8_MIN : value > INT8_MAX ? INT8_MAX : value);
}

// What one line predicts: its digit and the grid columns (H, A..G) of its cells in the coming draw.
// A digit takes a byte: millions of patterns stay in memory at once.
struct TLineResult {
    int8_t ResultValue = 0;
    std::array<uint8_t, 8> Positions{};
};

// Puts the points of a line of three or four in drawing order: the order of the shortest path
// through them (the first such order of a fixed list when several tie); other lines keep their
// order.
inline constexpr int32_t MaxOrderedPoints = 4;
void OrderForDrawing(TPoint* points, int32_t count);

// One pattern: a low line (0) and a high line (1) of cells whose sums kept a relation over
// StepTotal steps, laid back over the draws every Layout rows, and the digits it predicts.
class TGui2Reg : public TPersistent {
  public:
    static constexpr int32_t LineCount = 2;

    TGui2Reg() = default;
    TGui2Reg(const TGui2Reg&) = delete;
    TGui2Reg& operator=(const TGui2Reg&) = delete;
    ~TGui2Reg() override = default;

    // Small fields in bytes, ordered so that no padding is left: millions of patterns stay in
    // memory at once. Layout and ContrastKind are read from a document with SaturatedByte, so
    // the reader still refuses values beyond a byte.
    int32_t StepTotal = 0;
    int32_t BaseRow = 0;
    TStepSums StepSums;  // step-major: step s, line l at s * LineCount + l
    int8_t Layout = 0;
    int8_t ContrastKind = 0;
    std::array<TLineResult, LineCount> LineResults{};

    void Clear();
    TPointList& Line(int32_t index);
    const TPointList& Line(int32_t index) const;

    void AddStep(const std::array<int32_t, LineCount>& sums);
    int32_t LineSum(int32_t baseRow, int32_t line, const TCodes& draws) const;
    int32_t StepSum(int32_t step, int32_t line, bool force) const;

    int32_t GetResult(int32_t line) const { return LineResults.at(line).ResultValue; }
    void SetResult(int32_t line, int32_t value) {
        LineResults.at(line).ResultValue = SaturatedByte(value);
    }
    bool GetPosition(int32_t line, int32_t column) const;
    void SetPosition(int32_t line, int32_t column, bool flag);
    int32_t PositionCount(int32_t line) const;
    int32_t MarkedLineCount() const;
    bool PositionUsed(int32_t column) const;
    int32_t TopOffset() const;

    std::string PositionsText() const;
    std::string SumsText() const;
    std::string ResultsText() const;
    std::string ResultText(int32_t value) const;
    // The prediction in words with the chance any pattern of its kind has of a hit, for the
    // 规律走势 line: "A+B=4或9，命中机会20%" (明对), "A=3，命中机会10%" (全明, 全对).
    std::string PredictionText() const;
    // "点" column: points of the high line, then of the low line.
    std::string PointsText() const;

    void OrderByShortestPath();

    void Assign(const TPersistent& source) override;
    void AssignTo(TPersistent& dest) const override;

    void LoadFromStream(TMemoryStream& stream);
    void SaveToStream(TMemoryStream& stream) const;

  private:
    std::array<TPointList, LineCount> lines_;
};
static_assert(sizeof(TGui2Reg) <= 152, "a pattern fits a 160-byte heap block");
