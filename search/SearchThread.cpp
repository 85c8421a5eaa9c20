#include "search/SearchThread.h"

#include <chrono>
#include <cstdlib>
#include <string>

#include "data/Platform.h"
#include "search/SearchEngine.h"

namespace {

// The clock's seed; TOLVANE_SEARCH_SEED (a positive number) fixes it, so that a scripted run
// of the program saves the same bytes as tolvane-search --seed on any system.
uint64_t ClockOrFixedSeed() {
    if (const char* fixed = std::getenv("TOLVANE_SEARCH_SEED")) {
        try {
            const uint64_t seed = std::stoull(fixed);
            if (seed != 0) return seed;
        } catch (const std::exception&) {
            // not a number: the clock's seed, as without it
        }
    }
    return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) | 1;
}

// Collects found patterns on the worker and hands them to the queue in batches, so the worker
// takes the queue's lock once per batch instead of once per pattern.
class TBatchingSink : public ISearchSink {
  public:
    using Flush = std::function<void(TSearchEvent)>;
    TBatchingSink(Flush flush, std::atomic<int64_t>& candidateCount)
        : flush_(std::move(flush)), candidateCount_(candidateCount) {}

    void Progress(int64_t candidateCount) override {
        FlushFound();
        candidateCount_.store(candidateCount, std::memory_order_relaxed);
        TSearchEvent event;
        event.Kind = sekProgress;
        event.CandidateCount = candidateCount;
        flush_(std::move(event));
    }

    void Found(std::unique_ptr<TGui2Reg> pattern, int64_t candidateCount) override {
        batch_.Kind = sekFound;
        batch_.CandidateCount = candidateCount;
        batch_.Patterns.push_back(std::move(pattern));
        candidateCount_.store(candidateCount, std::memory_order_relaxed);
        if (batch_.Patterns.size() >= MaxBatch) FlushFound();
    }

    // At the end of each piece of the walk (a fraction of a millisecond of work), patterns
    // after a quiet spell go out at once, a burst every MaxDelay: one clock reading per piece.
    void BatchEnd() override {
        if (!batch_.Patterns.empty() && Clock::now() - lastFlush_ > MaxDelay) FlushFound();
    }

    void FlushFound() {
        if (batch_.Patterns.empty()) return;
        flush_(std::move(batch_));
        batch_ = TSearchEvent{};
        lastFlush_ = Clock::now();
    }

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t MaxBatch = 4096;
    static constexpr auto MaxDelay = std::chrono::milliseconds(20);

    Flush flush_;
    std::atomic<int64_t>& candidateCount_;
    TSearchEvent batch_;
    Clock::time_point lastFlush_;
};

}  // namespace

TGui2SearchThread::TGui2SearchThread(std::shared_ptr<const TCodes> draws,
                                     const SearchOptions& options)
    : draws_(std::move(draws)), options_(options) {}

TGui2SearchThread::~TGui2SearchThread() {
    RequestStop();
    Wait();
}

void TGui2SearchThread::Start(std::shared_ptr<TGui2SearchThread> after) {
    if (thread_.joinable() || started_.load()) return;
    after_ = std::move(after);
    started_.store(true);
    thread_ = std::thread([this] { Run(); });
}

void TGui2SearchThread::Wait() {
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id())
        thread_.detach();  // released from its own notification: the run is at its very end
    else
        thread_.join();
}

void TGui2SearchThread::WaitFinished() {
    if (!started_.load()) return;
    std::unique_lock lock(mutex_);
    finishedCv_.wait(lock, [this] { return finished_.load(std::memory_order_acquire); });
}

std::vector<TSearchEvent> TGui2SearchThread::TakeEvents() {
    std::lock_guard lock(mutex_);
    std::vector<TSearchEvent> events;
    events.swap(queue_);
    return events;
}

void TGui2SearchThread::Push(TSearchEvent event) {
    bool wasEmpty = false;
    {
        std::lock_guard lock(mutex_);
        wasEmpty = queue_.empty();
        queue_.push_back(std::move(event));
    }
    if (wasEmpty && OnEventsPending) OnEventsPending();
}

void TGui2SearchThread::Run() {
    // The search yields to the window: this thread and the engine's threads it starts (which
    // inherit it) run at a lower priority, so input is answered while every core searches.
    LowerThreadPriority();
    if (after_) {
        after_->WaitFinished();
        after_.reset();
    }
    TSearchEvent finished;
    finished.Kind = sekFinished;
    TBatchingSink sink([this](TSearchEvent event) { Push(std::move(event)); }, candidateCount_);
    try {
        if (!draws_) throw TError("TGui2SearchThread Draws isnot valid!");
        TSearchRequest request;
        request.Options = options_;
        request.Draws = draws_.get();
        request.Threads = Threads;
        request.Seed = Seed != 0 ? Seed : ClockOrFixedSeed();
        const TSearchTotals totals = RunSearch(request, sink, control_);
        sink.FlushFound();
        candidateCount_.store(totals.Candidates, std::memory_order_relaxed);
    } catch (const std::exception& error) {
        sink.FlushFound();
        finished.Error = error.what();
        if (finished.Error.empty()) finished.Error = "搜索出错。";
    } catch (...) {
        sink.FlushFound();
        finished.Error = "搜索出错。";
    }
    finished.CandidateCount = candidateCount_.load(std::memory_order_relaxed);
    bool wasEmpty = false;
    {
        // The finished event and the flag change together, so an owner that sees Finished()
        // finds the finished event in the queue.
        std::lock_guard lock(mutex_);
        wasEmpty = queue_.empty();
        queue_.push_back(std::move(finished));
        finished_.store(true, std::memory_order_release);
    }
    finishedCv_.notify_all();
    if (wasEmpty && OnEventsPending) OnEventsPending();
}
