#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "data/Hao.h"
#include "search/ExtList.h"
#include "search/Gui2Reg.h"
#include "search/SearchOptions.h"
#include "search/SearchWalk.h"

// Tables the search engine reads: everything that depends only on the options and the draws.

inline constexpr uint8_t Outside = 0xFF;  // a cell's value at a step before the first draw
inline constexpr int32_t MaxLayouts = 4;
inline constexpr int32_t MaxFilterSteps = 3;  // steps tested for a whole range of last cells
inline constexpr int32_t FilterDigits = 10;   // filter values are digits (0-4 for 明对)
// A filter target when the fixed cells do not fit: its cell mask is empty.
inline constexpr uint8_t NeverMatches = FilterDigits;
inline constexpr int32_t FilterValues = FilterDigits + 1;

// A byte sum of this many cell values stays below Outside, so one Outside value among them
// shows as a saturated sum.
inline constexpr int32_t MaxQuickPrefix = (Outside - 1) / 9;
static_assert(MaxQuickPrefix * 9 < Outside && NeverMatches < Outside);
// The filter targets of every layout and step travel in one 16-byte register.
inline constexpr int32_t TargetLanes = MaxLayouts * MaxFilterSteps;
static_assert(TargetLanes <= 16);
// The start of a lane's mask of a filter value, in words, fits 16 bits.
inline constexpr int32_t MaxWords = ((MaxRowOffset + 2) * MaxGridWidth + 63) / 64;
static_assert(16 * FilterValues * MaxWords < 65536);

// The 16 lanes of one cell or target set: lane slot * MaxFilterSteps + (step - 1).
struct alignas(16) TLanes {
    std::array<uint8_t, 16> Byte{};
};

struct TSearchContext {
    SearchOptions Options;
    bool DrawingOrder = true;  // MakePattern puts each line's cells in drawing order
    TWalkGrid Grid;
    int32_t Contrast = 3;
    int32_t DrawCount = 0;
    int32_t CellCount = 0;
    std::vector<int32_t> Layouts;  // layouts tried for each accepted choice, ascending
    int32_t FilterSteps = 0;       // steps 1..FilterSteps must hold for any pattern
    std::vector<TPoint> Cells;     // grid point of each cell index
    std::vector<int32_t> CellRow;  // row offset of each cell index
    // Values[j]: value (0-9, or Outside) of each cell at each step of layout j, step-major.
    std::array<std::vector<uint8_t>, MaxLayouts + 1> Values;
    std::array<int32_t, MaxLayouts + 1> StepRows{};
    // CellLanes[c]: cell c's values at the filtered steps of every layout slot (Outside where
    // the step lies before the first draw), so a prefix's sums are a few byte additions.
    std::vector<TLanes> CellLanes;
    // Bit masks of the cells by filter value (the value mod 5 for 明对): for each lane (slot,
    // step) and value, bit c % 64 of word c / 64 is set where cell c has that value; the masks
    // of NeverMatches are empty.
    int32_t Words = 0;
    std::vector<uint64_t> Bits;
    // The difference of a prefix's and the low line's sums over any lines lies within this.
    static constexpr int32_t TargetOffset = 9 * MaxLinePoints + 9;

    TSearchContext(const SearchOptions& options, const TCodes& draws, bool drawingOrder = true);

    const uint8_t* ValuesAt(int32_t layout, int32_t step) const {
        return Values[layout].data() + static_cast<size_t>(step) * CellCount;
    }
    size_t BitsAt(int32_t lane, int32_t value) const {
        return static_cast<size_t>(lane * FilterValues + value) * static_cast<size_t>(Words);
    }
    // The filter value a last cell needs, by the high prefix's sum minus the low line's sum.
    uint8_t TargetOf(int32_t difference) const;

    // Line sums (digits) of a figure at one step of a layout.
    void StepSums(const int32_t* low, int32_t nl, const int32_t* high, int32_t nh, int32_t layout,
                  int32_t step, int32_t& lowSum, int32_t& highSum) const {
        const uint8_t* values = ValuesAt(layout, step);
        int32_t a = 0;
        int32_t b = 0;
        for (int32_t i = 0; i < nl; ++i) a += values[low[i]];
        for (int32_t i = 0; i < nh; ++i) b += values[high[i]];
        lowSum = a % 10;
        highSum = b % 10;
    }

    // The pattern of a figure that passed every test, at its number of steps, its lines in
    // drawing order when DrawingOrder asks for it. The high line's random digit is added later,
    // in walk order; needsRandom tells whether it is owed.
    std::unique_ptr<TGui2Reg> MakePattern(const int32_t* low, int32_t nl, const int32_t* high,
                                          int32_t nh, int32_t slot, int32_t steps,
                                          bool& needsRandom) const;
};
