#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "data/Hao.h"
#include "search/Backtest.h"
#include "search/BacktestVerdict.h"
#include "search/SearchOptions.h"

// One backtest as a job: what it scores, how it reports, what it gives back. The function runs
// it on the calling thread (what a background-job helper calls); TBacktestRun runs it on a
// thread of its own for a window that polls.

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

// A report of the run: a row's search started (Scored null) or a row was scored, in order.
struct TBacktestProgress {
    int32_t CurrentRow = 0;
    int32_t Done = 0;   // rows scored so far
    int32_t Total = 0;  // rows the run scores
    const TBacktestRow* Scored = nullptr;
};
using TBacktestProgressFn = std::function<void(const TBacktestProgress&)>;

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

// Runs the job on the calling thread until it is done or cancel is raised; progress is called
// from the run's threads one call at a time. Options 搜索 refuses and failures of the search
// raise their exception; the result then is the caller's to make (see TBacktestRun).
TBacktestResult RunBacktestJob(const TBacktestJob& job, const std::atomic<bool>& cancel,
                               const TBacktestProgressFn& progress);

// A run on a thread of its own: Start, Stop, what arrived since the last Take, the result.
// notify is called from the run's threads when there is something new to take (at most once
// until the next Take); it must not block.
class TBacktestRun {
  public:
    explicit TBacktestRun(std::function<void()> notify);
    ~TBacktestRun();  // stops and waits
    TBacktestRun(const TBacktestRun&) = delete;
    TBacktestRun& operator=(const TBacktestRun&) = delete;

    void Start(TBacktestJob job);  // not while running
    void Stop();
    // Started and its end not yet taken by Result.
    bool Running() const { return thread_.joinable(); }

    struct TNews {
        std::vector<TBacktestRow> Rows;  // scored since the last Take, in order
        int32_t CurrentRow = 0;          // the row searched last started
        bool Finished = false;           // the run has ended: take its Result
    };
    TNews Take();
    // Waits for the end and gives the whole result (rows, summary, how it ended).
    TBacktestResult Result();

  private:
    void Post();

    std::function<void()> notify_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<TBacktestRow> news_;
    int32_t current_ = 0;
    bool finished_ = false;
    bool posted_ = false;
    TBacktestResult result_;
};
