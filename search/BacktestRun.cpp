#include "search/BacktestRun.h"

#include <algorithm>
#include <exception>

namespace {

class TProgressSink : public IBacktestSink {
  public:
    TProgressSink(const TBacktestProgressFn& progress, int32_t total)
        : progress_(progress), total_(total) {}
    void RowStarted(int32_t row) override {
        current_ = row;
        if (progress_) progress_({row, done_, total_, nullptr});
    }
    void RowScored(const TBacktestRow& row, int32_t done, int32_t) override {
        done_ = done;
        if (progress_) progress_({current_, done, total_, &row});
    }

  private:
    const TBacktestProgressFn& progress_;
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

TBacktestResult RunBacktestJob(const TBacktestJob& job, const std::atomic<bool>& cancel,
                               const TBacktestProgressFn& progress) {
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
    TProgressSink sink(progress, result.Total);
    TBacktestOutcome outcome = RunBacktest(request, sink, cancel);
    result.Rows = std::move(outcome.Rows);
    result.LimitRow = outcome.LimitRow;
    result.Stopped = static_cast<int32_t>(result.Rows.size()) < result.Total;
    result.Summary = SummarizeBacktest(result.Rows, job.Options.SecCountSe);
    return result;
}

TBacktestRun::TBacktestRun(std::function<void()> notify) : notify_(std::move(notify)) {}

TBacktestRun::~TBacktestRun() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void TBacktestRun::Start(TBacktestJob job) {
    if (Running()) return;
    stop_ = false;
    {
        std::lock_guard lock(mutex_);
        news_.clear();
        current_ = 0;
        finished_ = false;
        posted_ = false;
        result_ = {};
    }
    thread_ = std::thread([this, job = std::move(job)] {
        TBacktestResult result;
        std::vector<TBacktestRow> scored;  // kept for a run that fails later
        try {
            result = RunBacktestJob(job, stop_, [&](const TBacktestProgress& progress) {
                if (progress.Scored) scored.push_back(*progress.Scored);
                std::lock_guard lock(mutex_);
                current_ = progress.CurrentRow;
                if (progress.Scored) news_.push_back(*progress.Scored);
                Post();
            });
        } catch (const std::exception& e) {
            // The rows scored before the failure stand.
            const int32_t draws = job.Draws ? job.Draws->Count() : 0;
            result.DrawCount = draws;
            result.Total = std::clamp(job.Rows, 0, draws);
            result.FirstRow = draws - result.Total + 1;
            result.Rows = std::move(scored);
            result.Summary = SummarizeBacktest(result.Rows, job.Options.SecCountSe);
            result.Stopped = true;
            result.Error = e.what();
        }
        std::lock_guard lock(mutex_);
        result_ = std::move(result);
        finished_ = true;
        Post();
    });
}

void TBacktestRun::Stop() {
    stop_ = true;
}

void TBacktestRun::Post() {
    if (posted_ || !notify_) return;
    posted_ = true;
    notify_();
}

TBacktestRun::TNews TBacktestRun::Take() {
    std::lock_guard lock(mutex_);
    TNews news;
    news.Rows.swap(news_);
    news.CurrentRow = current_;
    news.Finished = finished_;
    posted_ = false;
    return news;
}

TBacktestResult TBacktestRun::Result() {
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    return std::move(result_);
}
