#include "data/JobControl.h"

#include <algorithm>

void TJobControl::Cancel() {
    {
        // Under the lock, so that a WaitFor between its test and its sleep cannot miss it.
        std::lock_guard<std::mutex> lock(wakeMutex_);
        cancelled_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
}

bool TJobControl::Report(int64_t done, int64_t total) {
    total_.store(std::max<int64_t>(total, 0), std::memory_order_relaxed);
    done_.store(std::max<int64_t>(done, 0), std::memory_order_relaxed);
    return !Cancelled();
}

TJobControl::TProgress TJobControl::Progress() const {
    TProgress progress;
    progress.Total = total_.load(std::memory_order_relaxed);
    progress.Done = done_.load(std::memory_order_relaxed);
    if (progress.Total > 0) progress.Done = std::min(progress.Done, progress.Total);
    return progress;
}

bool TJobControl::WaitFor(std::chrono::milliseconds span) {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    return !wake_.wait_for(lock, span, [this] { return Cancelled(); });
}
