#include "search/SearchWalk.h"

#include <algorithm>
#include <string>

#include "data/Error.h"
#include "search/Gui2Reg.h"

namespace {

uint64_t Mix64(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace

TWalkGrid MakeWalkGrid(const SearchOptions& options) {
    TWalkGrid grid;
    grid.DigitColumns = options.RefTailChk ? 7 : 4;
    grid.SumOffset = options.RefSumChk ? 1 : 0;
    grid.W = grid.DigitColumns + grid.SumOffset;
    const int64_t rows = std::max<int64_t>(options.LinedDistMaxSe, options.LinegDistMaxSe) + 1;
    grid.CellCount =
        rows > 0 ? static_cast<int32_t>(std::min<int64_t>(rows, MaxRowOffset + 2) * grid.W) : 0;
    grid.Lowest[0] = 0;
    grid.Highest[0] = static_cast<int32_t>(std::clamp<int64_t>(
        (int64_t{options.LinedDistMaxSe} + 1) * grid.W - 1, -1, grid.CellCount));
    grid.Lowest[1] = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{grid.W} * options.LinegDistMinSe, -1, grid.CellCount + 1));
    grid.Highest[1] = static_cast<int32_t>(std::clamp<int64_t>(
        (int64_t{options.LinegDistMaxSe} + 1) * grid.W - 1, -1, grid.CellCount));
    grid.MinPoints = std::min(options.LinedPtMinSe, options.LinegPtMinSe);
    grid.MaxPoints = std::max(options.LinedPtMaxSe, options.LinegPtMaxSe);
    grid.FallStyle = options.FallStyleGbx;
    return grid;
}

bool PairSearched(const SearchOptions& options, int32_t nl, int32_t nh) {
    return nl >= options.LinedPtMinSe && nl <= options.LinedPtMaxSe && nh >= options.LinegPtMinSe &&
           nh <= options.LinegPtMaxSe;
}

void CheckWalkOptions(const SearchOptions& options, const TWalkGrid& grid) {
    const auto reject = [](const std::string& why) { throw TError("搜索条件无效：" + why); };
    const bool lowSearched = options.LinedPtMinSe <= options.LinedPtMaxSe;
    const bool highSearched = options.LinegPtMinSe <= options.LinegPtMaxSe;
    if (!lowSearched || !highSearched) return;  // no pair is searched: an empty search
    if (options.LinedPtMinSe < 1 || options.LinegPtMinSe < 1) reject("每条彩线至少要有1个点。");
    if (options.LinedPtMaxSe > MaxLinePoints || options.LinegPtMaxSe > MaxLinePoints)
        reject("彩线的点数太多。");
    if (options.LinedDistMaxSe > MaxRowOffset || options.LinegDistMaxSe > MaxRowOffset ||
        options.LinegDistMinSe > MaxRowOffset)
        reject("彩线跨越的行数太多。");
    if (options.LinegDistMinSe < 0) reject("高线的起始行不能为负数。");
    // The largest index a line can take: its range's end, the end of its first combination,
    // and the cells the style jumps place it on (row offset 1).
    int64_t largest = std::max<int64_t>(grid.Highest[0], grid.Highest[1]);
    largest = std::max<int64_t>(largest, int64_t{grid.Lowest[0]} + options.LinedPtMaxSe - 1);
    largest = std::max<int64_t>(largest, int64_t{grid.Lowest[1]} + options.LinegPtMaxSe - 1);
    if (options.FallStyleGbx >= 1 && options.FallStyleGbx <= 3) {
        largest = std::max<int64_t>(largest, int64_t{grid.W} + options.LinegPtMaxSe - 1);
        largest = std::max<int64_t>(largest, int64_t{grid.W} + options.LinedPtMaxSe - 2);
    }
    if (largest >= grid.CellCount) reject("彩线的行范围容纳不下它的点数。");
}

bool NextCountPair(const TWalkGrid& grid, int32_t& nl, int32_t& nh) {
    if (grid.MinPoints > grid.MaxPoints) return false;
    if (nh != grid.MaxPoints) {
        ++nh;
        return true;
    }
    if (nl != grid.MaxPoints) {
        ++nl;
        nh = grid.MinPoints;
        return true;
    }
    return false;
}

TChoice FirstChoice(const TWalkGrid& grid, int32_t nl, int32_t nh) {
    TChoice choice;
    choice.NL = nl;
    choice.NH = nh;
    choice.Cells.resize(static_cast<size_t>(nl + nh));
    for (int32_t i = 0; i < nl; ++i) choice.Low()[i] = grid.Lowest[0] + i;
    for (int32_t i = 0; i < nh; ++i) choice.High()[i] = grid.Lowest[1] + i;
    return choice;
}

bool AcceptChoice(const TWalkGrid& grid, const TChoice& choice) {
    const int32_t total = choice.NL + choice.NH;
    const int32_t* all = choice.Cells.data();
    if (!LowLinePasses(grid, choice.Low(), choice.NL)) return false;
    for (int32_t i = choice.NL; i < total; ++i)
        if (InTailGap(grid, all[i])) return false;
    for (int32_t i = 0; i + 1 < total; ++i)
        for (int32_t j = i + 1; j < total; ++j)
            if (all[i] == all[j]) return false;
    return FirstHighCellPasses(grid, choice.Low(), choice.NL, choice.High()[0]);
}

namespace {

void PlaceLine(int32_t* line, int32_t n, int32_t from, int32_t value) {
    for (int32_t i = from; i < n; ++i) line[i] = value + (i - from);
}

}  // namespace

void ApplyStyleJumps(const TWalkGrid& grid, TChoice& choice) {
    int32_t* low = choice.Low();
    int32_t* high = choice.High();
    const int32_t W = grid.W;
    const bool sumCellFirst = grid.SumOffset == 1 && low[0] == 0;
    switch (grid.FallStyle) {
        case 1:
            if (sumCellFirst) {
                PlaceLine(low, choice.NL, 0, 1);
                PlaceLine(high, choice.NH, 0, W);
            }
            if (choice.NL > 1 && low[1] < W) {
                PlaceLine(low, choice.NL, 1, W);
                PlaceLine(high, choice.NH, 0, W);
            }
            break;
        case 2:
            if (sumCellFirst) {
                PlaceLine(low, choice.NL, 0, 1);
                PlaceLine(high, choice.NH, 0, W);
            }
            break;
        case 3:
            if (sumCellFirst) PlaceLine(low, choice.NL, 0, 1);
            if (choice.NL > 1 && low[1] < W) PlaceLine(low, choice.NL, 1, W);
            break;
        default:
            break;
    }
}

bool NextChoice(const TWalkGrid& grid, TChoice& choice) {
    if (PairEndsEarly(grid, choice.Low())) return false;
    if (!LineExhausted(choice.High(), choice.NH, grid.Highest[1])) {
        AdvanceLine(choice.High(), choice.NH, grid.Lowest[1], grid.Highest[1]);
    } else if (!LineExhausted(choice.Low(), choice.NL, grid.Highest[0])) {
        AdvanceLine(choice.Low(), choice.NL, grid.Lowest[0], grid.Highest[0]);
        for (int32_t i = 0; i < choice.NH; ++i) choice.High()[i] = grid.Lowest[1] + i;
    } else {
        return false;
    }
    ApplyStyleJumps(grid, choice);
    return true;
}

int32_t RandomResultDigit(uint64_t seed, int64_t candidate, int32_t layout) {
    const uint64_t key = static_cast<uint64_t>(candidate) * 4 + static_cast<uint64_t>(layout);
    const uint64_t h = Mix64(Mix64(seed ^ 0x5DEECE66Dull) ^ key);
    return static_cast<int32_t>(h % 10);
}
