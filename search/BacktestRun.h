#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/Hao.h"
#include "search/Backtest.h"
#include "search/BacktestVerdict.h"
#include "search/SearchOptions.h"

// One backtest as a job: what it scores, how it reports, what it gives back. The function runs
// it on the calling thread (the backtest window runs it on a background job).

// What a run scores, copied so that the caller may change its own draws meanwhile.
struct TBacktestJob {
    std::shared_ptr<const TCodes> Draws;
    SearchOptions Options;
    int32_t Rows = 100;  // the last Rows draws (clamped to the draws)
    int Workers = 0;     // rows searched at once; 0 = one per core
    int SearchThreads = 1;
    uint64_t Seed = 1;
    int64_t MaxPatterns = 0;  // per row's search; 0: no limit
};
TBacktestJob MakeBacktestJob(const TCodes& draws, const SearchOptions& options, int32_t rows);

// News of the run for its window: a row's search started (Scored null) or a row was scored,
// in order (TRowNews takes them).
struct TBacktestProgress {
    int32_t CurrentRow = 0;
    int32_t Done = 0;   // rows scored so far
    int32_t Total = 0;  // rows the run scores
    const TBacktestRow* Scored = nullptr;
};
using TBacktestNewsFn = std::function<void(const TBacktestProgress&)>;

struct TBacktestResult {
    int32_t FirstRow = 0;   // the first row the run was to score
    int32_t Total = 0;      // the rows it was to score
    int32_t DrawCount = 0;  // the draws it ran on
    std::vector<TBacktestRow> Rows;
    TBacktestSummary Summary;
    int32_t LimitRow = 0;  // the row whose search passed the pattern limit, or 0
    bool Stopped = false;  // ended before every row was scored
    std::string Error;     // why it failed (refused options, out of memory), or empty
    // "回测完成。", "回测已停止，已回测第A–B期。" and the like.
    std::string EndText() const;
};

// Runs the job on the calling thread until it is done or control is cancelled; news is called
// from the run's threads one call at a time, each call followed by control's Report (rows
// scored out of the rows to score). Options 搜索 refuses and failures of the search raise their
// exception; the result then is the caller's to make (see RunBacktestToEnd).
TBacktestResult RunBacktestJob(const TBacktestJob& job, TJobControl& control,
                               const TBacktestNewsFn& news = {});

// The same run, never raising: a refused start or a failure of the search ends it with Error
// set and the rows scored before it (the form a window shows).
TBacktestResult RunBacktestToEnd(const TBacktestJob& job, TJobControl& control,
                                 const TBacktestNewsFn& news = {});
