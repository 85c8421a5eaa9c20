#pragma once

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <exception>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "data/JobControl.h"

// Starts count more threads running work, as many as the system gives: when it refuses one
// (out of memory, a limit of threads) the work runs on those started, never taking the program
// down with threads left unjoined.
template <typename Work>
void StartThreads(std::vector<std::thread>& pool, int count, const Work& work) {
    try {
        for (int i = 0; i < count; ++i) pool.emplace_back(work);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
}

// Rows 0..count-1 worked out on a pool of threads and handed over in order: each thread takes
// the next row nobody took yet, and a row done before an earlier one waits for it. The runs
// that score the last draws one by one (the backtest, the 缩水 check) go through it. One Run
// per pool.
class TOrderedPool {
  public:
    // Works the rows on threads threads (the calling thread is one of them; at most one per
    // row) until every row is done, control is cancelled, a row failed or EndAt ended the pool.
    // Each thread makes the work of its rows with makeWorker(), so that it keeps its own state
    // from row to row; worker(index) returns the row, or nothing when it was cut short, which
    // ends that thread. started(index) is called before a row is worked on, deliver(row) with
    // each row in order, without gaps; both one call at a time, under the pool's lock. A row
    // that ends after a cancel, a failure or an EndAt at or before it is dropped: it may have
    // been cut short. The first exception of any thread ends every thread after its row and is
    // raised here once all have ended; the rows handed over before it stand.
    template <typename MakeWorker, typename Started, typename Deliver>
    void Run(int32_t count, int threads, const TJobControl& control, MakeWorker makeWorker,
             Started started, Deliver deliver);

    // Ends the pool at row index: neither it nor any later row starts or is handed over any
    // more (rows handed over already stay). Any thread may call it.
    void EndAt(int32_t index) {
        int32_t end = end_.load();
        while (index < end && !end_.compare_exchange_weak(end, index)) {
        }
    }
    // The first row that is not handed over because of EndAt (INT32_MAX when not ended).
    int32_t End() const { return end_.load(); }
    // Whether row index will not be handed over (a failure, or the pool ended at or before it),
    // so that its work may give up.
    bool Drops(int32_t index) const { return failed_.load() || index >= end_.load(); }

  private:
    std::atomic<int32_t> next_{0};
    std::atomic<int32_t> end_{INT32_MAX};
    std::atomic<bool> failed_{false};
    std::mutex mutex_;  // guards the rows waiting, the calls of started and deliver
};

template <typename MakeWorker, typename Started, typename Deliver>
void TOrderedPool::Run(int32_t count, int threads, const TJobControl& control,
                       MakeWorker makeWorker, Started started, Deliver deliver) {
    using TRow = typename decltype(makeWorker()(int32_t{}))::value_type;
    std::exception_ptr error;
    std::map<int32_t, TRow> early;  // rows done before an earlier one
    int32_t handedOver = 0;
    auto work = [&] {
        try {
            auto worker = makeWorker();
            while (!control.Cancelled() && !failed_.load()) {
                const int32_t index = next_.fetch_add(1);
                if (index >= count || index >= end_.load()) break;
                {
                    std::lock_guard lock(mutex_);
                    started(index);
                }
                std::optional<TRow> row = worker(index);
                if (!row) break;
                std::lock_guard lock(mutex_);
                if (control.Cancelled() || Drops(index)) break;
                early.emplace(index, std::move(*row));
                for (auto it = early.find(handedOver); it != early.end();
                     it = early.find(handedOver)) {
                    TRow ready = std::move(it->second);
                    early.erase(it);
                    ++handedOver;
                    deliver(std::move(ready));
                }
            }
        } catch (...) {
            std::lock_guard lock(mutex_);
            if (!error) error = std::current_exception();
            failed_ = true;
        }
    };
    const int workers = std::max(1, std::min(threads, std::max(count, 1)));
    std::vector<std::thread> pool;
    StartThreads(pool, workers - 1, work);
    work();
    for (std::thread& thread : pool) thread.join();
    if (error) std::rethrow_exception(error);
}
