#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// What a long piece of work and the one who started it share: a cancel request and the
// progress so far. The work polls Cancelled() (or hands CancelFlag() to a reader that polls a
// flag), reports with Report(), and sleeps with WaitFor(), which a Cancel() cuts short. Every
// member may be called from any thread.
class TJobControl {
  public:
    struct TProgress {
        int64_t Done = 0;
        int64_t Total = 0;  // 0 while unknown
    };

    // Asks the work to stop; wakes a WaitFor at once.
    void Cancel();
    // The same from a signal handler: lock-free, so a WaitFor sleeps on to the end of its span.
    void CancelFromSignal() { cancelled_.store(true, std::memory_order_release); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }
    const std::atomic<bool>& CancelFlag() const { return cancelled_; }

    // Records the progress; returns whether the work should go on (not cancelled), so that it
    // serves as the callback of readers that ask "go on?".
    bool Report(int64_t done, int64_t total);
    // The last progress reported, with Done never above a known Total.
    TProgress Progress() const;

    // Sleeps for the span unless cancelled; returns false when cancelled (before or during).
    bool WaitFor(std::chrono::milliseconds span);

    // Whoever shows the progress: wake is called on the reporting thread after a Report, at
    // most once until Looked() says the progress was read again. Set before the work starts;
    // it must not block.
    void SetWake(std::function<void()> wake) { wakeLooker_ = std::move(wake); }
    void Looked() { woken_.store(false, std::memory_order_release); }

  private:
    std::atomic<bool> cancelled_{false};
    std::atomic<int64_t> done_{0};
    std::atomic<int64_t> total_{0};
    std::function<void()> wakeLooker_;
    std::atomic<bool> woken_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
};
