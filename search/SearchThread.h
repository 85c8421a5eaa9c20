#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "data/Hao.h"
#include "data/JobControl.h"
#include "search/Gui2Reg.h"
#include "search/SearchOptions.h"

enum SearchEventKind : uint8_t { sekProgress = 0, sekFound = 1, sekFinished = 2 };

// One notification of a running search. Consecutive found patterns travel together in one
// sekFound event (in walk order); a progress or finished event is never merged.
struct TSearchEvent {
    SearchEventKind Kind = sekProgress;
    int64_t CandidateCount = 0;                       // accepted candidates when the event was sent
    std::vector<std::unique_ptr<TGui2Reg>> Patterns;  // sekFound only; the receiver takes them
    std::string Error;                                // sekFinished after a failed run
};

// Runs one search on its own thread and queues its notifications for the owner's thread.
// The worker never waits for the owner: it appends to the queue and calls OnEventsPending
// (on the worker thread) when the queue turns non-empty; the owner then calls TakeEvents on
// its own thread. The finished event is always the last one, after a complete walk, a stop
// or an error.
class TGui2SearchThread {
  public:
    // The thread keeps its own reference to the draws, so the owner may replace its copy
    // while a stopped run winds down. The options are copied here, when the search begins.
    TGui2SearchThread(std::shared_ptr<const TCodes> draws, const SearchOptions& options);
    ~TGui2SearchThread();  // requests a stop and joins

    std::function<void()> OnEventsPending;  // set before Start
    int Threads = 0;                        // worker threads of the engine; 0 = all cores
    uint64_t Seed = 0;  // seed of the random result digits; 0 = taken from the clock at the start

    // Starts the run; if after is given, the run first waits for that thread to end
    // (without blocking the caller), so a new search never overlaps a stopped one.
    void Start(std::shared_ptr<TGui2SearchThread> after = nullptr);
    void RequestStop() { control_.Cancel(); }
    bool StopRequested() const { return control_.Cancelled(); }
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    void Wait();  // joins the worker

    std::vector<TSearchEvent> TakeEvents();
    int64_t CandidateCount() const { return candidateCount_.load(std::memory_order_relaxed); }

  private:
    void Run();
    void Push(TSearchEvent event);
    void WaitFinished();  // until the run has queued its finished event (any thread)

    std::shared_ptr<const TCodes> draws_;
    SearchOptions options_;
    std::shared_ptr<TGui2SearchThread> after_;
    TJobControl control_;  // cancelled by RequestStop
    std::atomic<bool> started_{false};
    std::atomic<bool> finished_{false};
    std::condition_variable finishedCv_;
    std::atomic<int64_t> candidateCount_{0};
    std::mutex mutex_;
    std::vector<TSearchEvent> queue_;
    std::thread thread_;
};
