#pragma once

#include <cstdint>
#include <vector>

#include "search/SearchOptions.h"

// The candidate walk shared by both search engines: the grid of candidate cells, the order of
// the point-count pairs and of the cell choices, and the candidate test. None of it reads draws.

// Rows and points beyond these are impossible in the options dialog; a hand-edited file
// asking for more would only make the search run out of memory or never end. The document
// reader refuses stored patterns beyond them too.
inline constexpr int32_t MaxRowOffset = 1000;
inline constexpr int32_t MaxLinePoints = 64;

// Progress is reported when the candidate count reaches a multiple of this after a layout of
// an accepted candidate gave no pattern.
inline constexpr int64_t ProgressInterval = 112323;

inline constexpr int32_t MaxGridWidth = 8;  // the sum column H and seven digit columns

// Cells and index ranges derived from the options.
struct TWalkGrid {
    int32_t DigitColumns = 4;     // 7 with the tail columns, else 4
    int32_t SumOffset = 0;        // 1 when the sum column H takes part
    int32_t W = 4;                // cells per row
    int32_t CellCount = 0;        // rows 0..max(low, high last row) times W
    int32_t Lowest[2] = {0, 0};   // lowest cell index of the low (0) and the high (1) line
    int32_t Highest[2] = {0, 0};  // highest cell index of each line
    int32_t MinPoints = 0;        // m: the smaller of the two point minima
    int32_t MaxPoints = 0;        // M: the larger of the two point maxima
    int32_t FallStyle = 0;

    int32_t Column(int32_t cell) const { return cell % W + 1 - SumOffset; }
    int32_t RowOffset(int32_t cell) const { return cell / W; }
};

TWalkGrid MakeWalkGrid(const SearchOptions& options);

// Raises a TError when the options would make the walk use a cell outside the grid, a line
// without points, or a grid too large to hold; such options come only from a hand-edited file.
void CheckWalkOptions(const SearchOptions& options, const TWalkGrid& grid);

// True when the count pair lies within both lines' point ranges.
bool PairSearched(const SearchOptions& options, int32_t nl, int32_t nh);

// The next count pair, the high line's count turning fastest; false after (M, M). The pairs
// are empty when m > M (both count ranges are then empty), so the walk has nothing to search.
bool NextCountPair(const TWalkGrid& grid, int32_t& nl, int32_t& nh);

// A choice: the low line's nl cell indices, then the high line's nh, each ascending.
struct TChoice {
    int32_t NL = 0;
    int32_t NH = 0;
    std::vector<int32_t> Cells;

    int32_t* Low() { return Cells.data(); }
    int32_t* High() { return Cells.data() + NL; }
    const int32_t* Low() const { return Cells.data(); }
    const int32_t* High() const { return Cells.data() + NL; }
};

// Each line at its first combination: lowest, lowest + 1, ...
TChoice FirstChoice(const TWalkGrid& grid, int32_t nl, int32_t nh);

// The cells of row offset 0 that no line may use on wide grids (the tail columns' gap).
inline bool InTailGap(const TWalkGrid& grid, int32_t cell) {
    return grid.W > 5 && cell >= grid.SumOffset + 4 && cell <= grid.SumOffset + 6;
}

// The early end of a count pair: on wide grids no choice follows one whose low line starts
// at the tail gap.
inline bool PairEndsEarly(const TWalkGrid& grid, const int32_t* low) {
    return grid.W > 5 && low[0] >= grid.SumOffset + 4;
}

// The candidate test: every check below must pass, and the lines may not share a cell nor
// use the tail gap.
bool AcceptChoice(const TWalkGrid& grid, const TChoice& choice);

// The candidate test's checks that read the low line only.
inline bool LowLinePasses(const TWalkGrid& grid, const int32_t* low, int32_t nl) {
    if (!(low[0] < grid.W)) return false;
    for (int32_t i = 0; i < nl; ++i)
        if (InTailGap(grid, low[i])) return false;
    if (grid.FallStyle == 2 && !(nl >= 2 && low[1] < grid.W)) return false;
    if (nl > 3 && !(low[3] >= grid.W)) return false;
    return true;
}

// Narrows lo..hi to the high line's first cells that the candidate test's checks on that cell
// allow (lo > hi: none), so a whole run of them is tested at once.
inline void NarrowFirstHighCell(const TWalkGrid& grid, const int32_t* low, int32_t nl, int32_t& lo,
                                int32_t& hi) {
    if (lo < low[0] + 1) lo = low[0] + 1;
    if (grid.FallStyle == 3 && hi > grid.W - 1) hi = grid.W - 1;
    if (nl == 3 && lo < grid.W) lo = grid.W;  // the fourth cell of the figure
}

inline bool FirstHighCellPasses(const TWalkGrid& grid, const int32_t* low, int32_t nl,
                                int32_t first) {
    int32_t lo = first;
    int32_t hi = first;
    NarrowFirstHighCell(grid, low, nl, lo, hi);
    return lo <= hi;
}

// Whether every position of a line is at or beyond its last value. Inline: the engine calls
// it once per high-line prefix.
inline bool LineExhausted(const int32_t* line, int32_t n, int32_t highest) {
    for (int32_t i = 0; i < n; ++i)
        if (line[i] < highest - (n - 1 - i)) return false;
    return true;
}

// Moves a line that is not exhausted to its next combination in lexicographic order.
inline void AdvanceLine(int32_t* line, int32_t n, int32_t lowest, int32_t highest) {
    int32_t run = n;  // leftmost position of the trailing run at its maximum
    while (run > 0 && line[run - 1] >= highest - (n - 1 - (run - 1))) --run;
    ++line[run - 1];
    for (int32_t i = run; i < n; ++i) line[i] = line[i - 1] + 1 > lowest ? line[i - 1] + 1 : lowest;
}

// The fall-style jumps that follow an advance, skipping choices the builder would reject.
void ApplyStyleJumps(const TWalkGrid& grid, TChoice& choice);

// The successor of a choice, with the early end and the style jumps; false when none.
bool NextChoice(const TWalkGrid& grid, TChoice& choice);

// A draw value as a digit; damaged values outside 0-9 still give 0-9.
inline int32_t Mod10(int64_t value) {
    return static_cast<int32_t>(((value % 10) + 10) % 10);
}

// The contrast kind patterns are built with: SumConstrastGbx, or 3 (明对) for 0 and odd values.
inline int32_t PatternContrast(int32_t sumContrast) {
    return sumContrast >= 1 && sumContrast <= 3 ? sumContrast : 3;
}

// Whether two line sums (digits) keep the relation of the contrast kind (equal, paired, or
// either). Inline: every step of every build asks it.
inline bool SumsHold(int32_t contrast, int32_t low, int32_t high) {
    const int32_t distance = low > high ? low - high : high - low;
    if (contrast == 1) return distance == 0;
    if (contrast == 2) return distance == 5;
    return distance == 0 || distance == 5;
}

// Digit for the high line's result when both lines predict. It is derived from the search's
// seed, the candidate's ordinal and the layout, so a search gives the same digits whatever
// the number of threads.
int32_t RandomResultDigit(uint64_t seed, int64_t candidate, int32_t layout);
