#include "search/Backtest.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

#include "data/Error.h"
#include "search/OptionRules.h"
#include "search/PatternCheck.h"
#include "search/SearchEngine.h"

namespace {

// Scores each pattern of one row's search as it arrives and drops it. With a pattern limit the
// row's search watches a flag of its own, which this sink raises past the limit and whenever
// the backtest is to end or an earlier row has passed the limit (passed on at each report of
// the search).
class TScoringSink : public ISearchSink {
  public:
    TScoringSink(const TCodes& draws, int32_t row, int32_t minimumSteps, int64_t limit,
                 const std::atomic<bool>& stop, const std::atomic<bool>& halt,
                 const std::atomic<int32_t>& limitRow)
        : draws_(draws),
          minimumSteps_(minimumSteps),
          limit_(limit),
          stop_(stop),
          halt_(halt),
          limitRow_(limitRow) {
        Row.Row = row;
    }
    void Progress(int64_t) override { PassOnStop(); }
    void Found(std::unique_ptr<TGui2Reg> pattern, int64_t) override {
        if (limit_ > 0 && ++found_ > limit_) {
            LimitReached = true;
            RowStop = true;
            return;
        }
        Row.Score(*pattern, draws_, minimumSteps_);
    }
    void BatchEnd() override { PassOnStop(); }
    // What the row's search watches.
    const std::atomic<bool>& SearchStop() const { return limit_ > 0 ? RowStop : stop_; }

    TBacktestRow Row;
    bool LimitReached = false;
    std::atomic<bool> RowStop{false};

  private:
    void PassOnStop() {
        if (stop_.load() || halt_.load() || limitRow_.load() < Row.Row) RowStop = true;
    }
    const TCodes& draws_;
    int32_t minimumSteps_;
    int64_t limit_;
    int64_t found_ = 0;
    const std::atomic<bool>& stop_;
    const std::atomic<bool>& halt_;
    const std::atomic<int32_t>& limitRow_;
};

// The draws before a row, kept between rows so that only new rows are copied.
class TPrefixDraws {
  public:
    explicit TPrefixDraws(const TCodes& draws) : draws_(draws) {}
    const TCodes& Before(int32_t row) {
        const int32_t count = row - 1;
        prefix_.SetCount(count);
        for (int32_t i = std::min(valid_, count); i < count; ++i)
            prefix_.SetCode(i, draws_.GetCode(i));
        valid_ = count;
        return prefix_;
    }

  private:
    const TCodes& draws_;
    TCodes prefix_;
    int32_t valid_ = 0;
};

}  // namespace

std::array<int32_t, 3> BacktestGroupsOf(const TGui2Reg& pattern, int32_t minimumSteps) {
    const int32_t classGroup = static_cast<int32_t>(ClassifyPattern(pattern));
    const int32_t contrastGroup =
        FirstContrastGroup + std::clamp<int32_t>(pattern.ContrastKind, 1, 3) - 1;
    const int32_t band = std::clamp(pattern.StepTotal - minimumSteps, 0, StepBands - 1);
    return {classGroup, contrastGroup, FirstStepsGroup + band};
}

TBacktestDimension BacktestGroupDimension(int32_t group) {
    if (group < FirstContrastGroup) return TBacktestDimension::Class;
    if (group < FirstStepsGroup) return TBacktestDimension::Contrast;
    return TBacktestDimension::Steps;
}

const char* BacktestDimensionName(TBacktestDimension dimension) {
    switch (dimension) {
        case TBacktestDimension::Class:
            return "类别";
        case TBacktestDimension::Contrast:
            return "对比";
        case TBacktestDimension::Steps:
            break;
    }
    return "步数";
}

std::string BacktestGroupName(int32_t group, int32_t minimumSteps) {
    switch (BacktestGroupDimension(group)) {
        case TBacktestDimension::Class:
            return PatternClassName(static_cast<TPatternClass>(group));
        case TBacktestDimension::Contrast:
            return ContrastNames[static_cast<size_t>(group - FirstContrastGroup + 1)];
        case TBacktestDimension::Steps:
            break;
    }
    const int32_t band = group - FirstStepsGroup;
    return std::to_string(minimumSteps + band) + (band == StepBands - 1 ? "步及以上" : "步");
}

void TBacktestRow::Score(const TGui2Reg& pattern, const TCodes& draws, int32_t minimumSteps) {
    // A pattern that does not lie on the draws with its coming draw known cannot be scored.
    if (!PatternFitsDraws(pattern, draws) || pattern.BaseRow >= draws.Count()) return;
    const bool hit = PatternHits(pattern, draws);
    const double chance = PatternChance(pattern, draws);
    Total.Add(hit, chance);
    for (int32_t group : BacktestGroupsOf(pattern, minimumSteps))
        Groups[static_cast<size_t>(group)].Add(hit, chance);
}

std::vector<TBacktestPoint> BacktestSeries(const std::vector<TBacktestRow>& rows) {
    std::vector<TBacktestPoint> points;
    double hitSum = 0;
    double chanceSum = 0;
    for (const TBacktestRow& row : rows) {
        if (row.Total.Patterns == 0) continue;
        const double p = static_cast<double>(row.Total.Patterns);
        TBacktestPoint point;
        point.Row = row.Row;
        point.Hit = static_cast<double>(row.Total.Hits) / p;
        point.Chance = row.Total.Chance / p;
        hitSum += point.Hit;
        chanceSum += point.Chance;
        const double n = static_cast<double>(points.size() + 1);
        point.MeanHit = hitSum / n;
        point.MeanChance = chanceSum / n;
        points.push_back(point);
    }
    return points;
}

TBacktestOutcome RunBacktest(const TBacktestRequest& request, IBacktestSink& sink,
                             const std::atomic<bool>& stop) {
    if (request.Draws == nullptr) throw TError("RunBacktest Draws isnot valid!");
    if (const std::string problems = SearchOptionMessage(request.Options); !problems.empty())
        throw TError(problems);
    const TCodes& draws = *request.Draws;
    const int32_t total = std::clamp(request.Rows, 0, draws.Count());
    const int32_t firstRow = draws.Count() - total + 1;
    int workers = request.Workers > 0
                      ? request.Workers
                      : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    workers = std::min(workers, std::max(total, 1));

    std::atomic<int32_t> nextIndex{0};
    std::atomic<bool> halt{false};  // a failure ends every worker
    // The first row past the pattern limit: later rows end, earlier ones are still scored.
    std::atomic<int32_t> limitRow{INT32_MAX};
    std::mutex mutex;  // guards what follows and every call into the sink
    std::exception_ptr error;
    std::map<int32_t, TBacktestRow> early;  // rows done before an earlier row
    TBacktestOutcome outcome;
    std::vector<TBacktestRow>& scored = outcome.Rows;

    auto work = [&] {
        TPrefixDraws prefix(draws);
        while (!stop.load() && !halt.load()) {
            const int32_t index = nextIndex.fetch_add(1);
            const int32_t row = firstRow + index;
            if (index >= total || row > limitRow.load()) break;
            {
                std::lock_guard lock(mutex);
                sink.RowStarted(row);
            }
            TSearchRequest search;
            search.Options = request.Options;
            search.Draws = &prefix.Before(row);
            search.Threads = request.SearchThreads;
            search.Seed = request.Seed;
            search.DrawingOrder = false;  // only the hits count
            TScoringSink scoring(draws, row, request.Options.SecCountSe, request.MaxPatterns, stop,
                                 halt, limitRow);
            try {
                RunSearch(search, scoring, scoring.SearchStop());
            } catch (...) {
                std::lock_guard lock(mutex);
                if (!error) error = std::current_exception();
                halt = true;
                break;
            }
            std::lock_guard lock(mutex);
            if (scoring.LimitReached) {
                limitRow = std::min(limitRow.load(), row);
                outcome.LimitRow = limitRow;
                break;
            }
            // The search may have ended early.
            if (stop.load() || halt.load() || row > limitRow.load()) break;
            early.emplace(row, std::move(scoring.Row));
            for (auto it = early.find(firstRow + static_cast<int32_t>(scored.size()));
                 it != early.end();
                 it = early.find(firstRow + static_cast<int32_t>(scored.size()))) {
                scored.push_back(std::move(it->second));
                early.erase(it);
                sink.RowScored(scored.back(), static_cast<int32_t>(scored.size()), total);
            }
        }
    };
    std::vector<std::thread> threads;
    for (int i = 1; i < workers; ++i) threads.emplace_back(work);
    work();
    for (auto& t : threads) t.join();
    if (error) std::rethrow_exception(error);
    return outcome;
}
