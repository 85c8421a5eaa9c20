#include "search/BacktestRun.h"

#include <algorithm>
#include <exception>

namespace {

class TProgressSink : public IBacktestSink {
  public:
    TProgressSink(const TBacktestNewsFn& news, TJobControl& control, int32_t total)
        : news_(news), control_(control), total_(total) {}
    void RowStarted(int32_t row) override {
        current_ = row;
        if (news_) news_({row, done_, total_, nullptr});
        control_.Report(done_, total_);
    }
    void RowScored(const TBacktestRow& row, int32_t done, int32_t) override {
        done_ = done;
        if (news_) news_({current_, done, total_, &row});
        control_.Report(done_, total_);
    }

  private:
    const TBacktestNewsFn& news_;
    TJobControl& control_;
    int32_t total_;
    int32_t current_ = 0;
    int32_t done_ = 0;
};

}  // namespace

TBacktestJob MakeBacktestJob(const TCodes& draws, const SearchOptions& options, int32_t rows) {
    auto copy = std::make_shared<TCodes>();
    copy->Assign(draws);
    TBacktestJob job;
    job.Draws = std::move(copy);
    job.Options = options;
    job.Rows = rows;
    return job;
}

std::string TBacktestResult::EndText() const {
    std::string rows = "没有回测完任何一期";
    if (!Rows.empty())
        rows = "已回测第" + std::to_string(Rows.front().Row) + "–" +
               std::to_string(Rows.back().Row) + "期";
    if (!Error.empty()) return "回测未能完成，" + rows + "。";
    if (LimitRow > 0)
        return "第" + std::to_string(LimitRow) + "期的搜索超过规律上限，回测已停止，" + rows + "。";
    if (Stopped) return "回测已停止，" + rows + "。";
    return "回测完成。";
}

TBacktestResult RunBacktestJob(const TBacktestJob& job, TJobControl& control,
                               const TBacktestNewsFn& news) {
    TBacktestResult result;
    const int32_t draws = job.Draws ? job.Draws->Count() : 0;
    result.DrawCount = draws;
    result.Total = std::clamp(job.Rows, 0, draws);
    result.FirstRow = draws - result.Total + 1;
    TBacktestRequest request;
    request.Options = job.Options;
    request.Draws = job.Draws.get();
    request.Rows = job.Rows;
    request.Workers = job.Workers;
    request.SearchThreads = job.SearchThreads;
    request.Seed = job.Seed;
    request.MaxPatterns = job.MaxPatterns;
    TProgressSink sink(news, control, result.Total);
    TBacktestOutcome outcome = RunBacktest(request, sink, control);
    result.Rows = std::move(outcome.Rows);
    result.LimitRow = outcome.LimitRow;
    result.Stopped = static_cast<int32_t>(result.Rows.size()) < result.Total;
    result.Summary = SummarizeBacktest(result.Rows, job.Options.SecCountSe);
    return result;
}

TBacktestResult RunBacktestToEnd(const TBacktestJob& job, TJobControl& control,
                                 const TBacktestNewsFn& news) {
    std::vector<TBacktestRow> scored;  // kept for a run that fails later
    try {
        return RunBacktestJob(job, control, [&](const TBacktestProgress& report) {
            if (report.Scored) scored.push_back(*report.Scored);
            if (news) news(report);
        });
    } catch (const std::exception& e) {
        // The rows scored before the failure stand.
        TBacktestResult result;
        const int32_t draws = job.Draws ? job.Draws->Count() : 0;
        result.DrawCount = draws;
        result.Total = std::clamp(job.Rows, 0, draws);
        result.FirstRow = draws - result.Total + 1;
        result.Rows = std::move(scored);
        result.Summary = SummarizeBacktest(result.Rows, job.Options.SecCountSe);
        result.Stopped = true;
        result.Error = e.what();
        return result;
    }
}
