#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "data/Hao.h"
#include "data/JobControl.h"
#include "search/CountDistribution.h"
#include "search/Gui2Reg.h"
#include "search/SearchOptions.h"

// Patterns, hits and the sum of the patterns' chances.
struct TBacktestCounts {
    int64_t Patterns = 0;
    int64_t Hits = 0;
    double Chance = 0;
    void Add(bool hit, double chance) {
        ++Patterns;
        Hits += hit ? 1 : 0;
        Chance += chance;
    }
};

// The groups of the table: four classes, three contrast kinds, four step bands.
enum class TBacktestDimension { Class, Contrast, Steps };
inline constexpr int32_t BacktestGroupCount = 11;
inline constexpr int32_t FirstContrastGroup = 4;
inline constexpr int32_t FirstStepsGroup = 7;
inline constexpr int32_t StepBands = 4;  // the minimum, +1, +2, +3 and more

// The groups a pattern counts in (one per dimension); minimumSteps is the options' SecCountSe.
std::array<int32_t, 3> BacktestGroupsOf(const TGui2Reg& pattern, int32_t minimumSteps);
TBacktestDimension BacktestGroupDimension(int32_t group);
const char* BacktestDimensionName(TBacktestDimension dimension);  // 类别, 对比, 步数
// "定位定数" … "明对", "4步" … "7步及以上".
std::string BacktestGroupName(int32_t group, int32_t minimumSteps);

// The lines of a row: the overall line (0), then group g (1 + g).
inline constexpr int32_t BacktestLineCount = BacktestGroupCount + 1;

// One scored row t (1-based): the patterns found on rows 1..t-1, scored against row t.
struct TBacktestRow {
    int32_t Row = 0;
    TBacktestCounts Total;
    std::array<TBacktestCounts, BacktestGroupCount> Groups{};
    // What chance gives the row, line by line: the distribution of its hit count when the
    // coming draw is any of the 10^7 equally likely, its patterns as they were found (a
    // pattern's hit depends only on the coming digits under its cells). Exact; when the
    // patterns use so many columns that walking their digits costs too much, a normal of the
    // exact mean and variance on the whole numbers, and Approximate is set. Made by Close.
    std::array<TCountDistribution, BacktestLineCount> Null{};
    bool Approximate = false;
    void Score(const TGui2Reg& pattern, const TCodes& draws, int32_t minimumSteps);
    // Makes Null from the patterns scored and forgets them. Walking the coming digits costs
    // (digit combinations) x (forms + their lines); past walkBudget the normal stands in.
    void Close(double walkBudget = 4e8);

  private:
    // Per hit form (the weights of the coming digits): how many of its patterns of each line
    // hit for each value 0-9 of the form.
    using TFormHits = std::array<std::array<int32_t, 10>, BacktestLineCount>;
    std::map<std::array<uint8_t, 7>, TFormHits> forms_;
};

// One point of the chart per row with patterns: h_t, c_t and their running means up to it.
struct TBacktestPoint {
    int32_t Row = 0;
    double Hit = 0;
    double Chance = 0;
    double MeanHit = 0;
    double MeanChance = 0;
};
std::vector<TBacktestPoint> BacktestSeries(const std::vector<TBacktestRow>& rows);

// Reports of a running backtest, from its worker threads one at a time, rows in ascending order.
class IBacktestSink {
  public:
    virtual ~IBacktestSink() = default;
    virtual void RowStarted(int32_t row) = 0;
    virtual void RowScored(const TBacktestRow& row, int32_t rowsDone, int32_t rowsTotal) = 0;
};

struct TBacktestRequest {
    SearchOptions Options;
    const TCodes* Draws = nullptr;
    int32_t Rows = 100;     // the last Rows draws are scored (clamped to the draws)
    int Workers = 0;        // rows searched at once; 0 = one per core
    int SearchThreads = 1;  // threads of each row's search; 0 = every core
    uint64_t Seed = 1;
    // Patterns one row's search may find; past it the backtest ends there (0: no limit).
    int64_t MaxPatterns = 0;
};

struct TBacktestOutcome {
    std::vector<TBacktestRow> Rows;  // scored, in order, up to the first row left unfinished
    int32_t LimitRow = 0;            // the row whose search passed MaxPatterns, or 0
};

// Scores the last rows of the draws: each row t is one search of rows 1..t-1, its patterns
// scored as they arrive and dropped. A cancel ends it after the rows finished by then. Options
// that 搜索 refuses raise TError with its message (SearchOptionMessage); other errors of the
// search are raised as they came.
TBacktestOutcome RunBacktest(const TBacktestRequest& request, IBacktestSink& sink,
                             const TJobControl& control);
