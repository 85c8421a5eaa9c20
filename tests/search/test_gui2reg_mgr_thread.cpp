// The manager driving real search threads: events in order, stale events dropped.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "search/Gui2RegMgr.h"
#include "search/PatternBudget.h"
#include "tests/support/SearchTestSupport.h"

namespace {

// Stands in for the GUI's event loop: ProcessEvents runs here whenever the worker says so.
class ManagerThreadTest : public ::testing::Test, public TSearchListener {
  protected:
    void SetUp() override {
        draws.Assign(*RandomDraws(99, 60));
        // Two points per line keep each search small, even under the sanitizers.
        options.LinedPtMaxSe = 2;
        options.LinegPtMaxSe = 2;
        manager.SetListener(this);
    }
    void TearDown() override { manager.SetListener(nullptr); }

    void SearchEventsPending() override {
        std::lock_guard lock(mutex);
        pending = true;
        wake.notify_one();
    }
    void SearchEventTaken(const TSearchNotice& notice) override {
        notices.push_back(notice);
        if (notice.Kind == sekFound) {
            EXPECT_EQ(notice.FirstIndex, expectedNext);
            expectedNext += notice.NewCount;
            EXPECT_EQ(manager.Count(), expectedNext);  // taken in before the owner hears
        }
        if (notice.Kind == sekFinished) {
            EXPECT_FALSE(manager.HandingOver());
        }
    }

    // Pumps events until a finished notice arrives (or a minute passes: a hang, not a timing).
    bool PumpUntilFinished() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        for (;;) {
            {
                std::unique_lock lock(mutex);
                wake.wait_until(lock, deadline, [this] { return pending; });
                if (!pending) return false;
                pending = false;
            }
            const size_t before = notices.size();
            manager.ProcessEvents();
            for (size_t i = before; i < notices.size(); ++i)
                if (notices[i].Kind == sekFinished) return true;
        }
    }

    int32_t FoundCount() const {
        int32_t n = 0;
        for (const auto& notice : notices) n += notice.NewCount;
        return n;
    }

    SearchOptions options;
    TGui2RegMgr manager{options};
    TCodes draws;
    std::vector<TSearchNotice> notices;
    int32_t expectedNext = 0;
    std::mutex mutex;
    std::condition_variable wake;
    bool pending = false;
};

TEST_F(ManagerThreadTest, ASearchAddsItsPatternsInBatchesAndEndsRunning) {
    manager.Start(draws);
    EXPECT_TRUE(manager.Running());
    EXPECT_LE(manager.StartTick(), TGui2RegMgr::NowTick());
    EXPECT_EQ(manager.SearchDraws().Count(), 60);
    EXPECT_THROW(manager.Start(draws), TError);
    ASSERT_TRUE(PumpUntilFinished());
    EXPECT_FALSE(manager.Running());
    EXPECT_EQ(notices.back().Kind, sekFinished);
    EXPECT_EQ(notices.back().Error, "");
    EXPECT_EQ(manager.Count(), FoundCount());
    for (const auto& pattern : manager.Patterns()) EXPECT_EQ(pattern->BaseRow, 60);
}

TEST_F(ManagerThreadTest, AStoppedSearchStillFinishesAndARestartDropsItsLeftovers) {
    manager.Start(draws);
    ASSERT_TRUE(PumpUntilFinished());
    const int32_t full = manager.Count();
    ASSERT_GT(full, 0);

    // A stopped search still sends its finished notice.
    manager.Clear();
    expectedNext = 0;
    notices.clear();
    manager.Start(draws);
    manager.Stop();
    EXPECT_FALSE(manager.Running());
    EXPECT_TRUE(manager.HandingOver());  // its last patterns may still come
    ASSERT_TRUE(PumpUntilFinished());
    EXPECT_FALSE(manager.HandingOver());
    EXPECT_EQ(manager.Count(), FoundCount());

    // Stop and start again at once: whatever the old search still sends is dropped, so the
    // new search's patterns are exactly those of a full search.
    manager.Clear();
    expectedNext = 0;
    manager.Start(draws);
    manager.Stop();
    manager.Start(draws);
    notices.clear();
    ASSERT_TRUE(PumpUntilFinished());
    EXPECT_EQ(manager.Count(), full);
    EXPECT_EQ(FoundCount(), full);
}

TEST_F(ManagerThreadTest, ASearchPastItsPatternBudgetStopsKeepsWhatItFoundAndSaysWhy) {
    manager.Start(draws);
    ASSERT_TRUE(PumpUntilFinished());
    const int32_t full = manager.Count();
    ASSERT_GT(full, 3);
    manager.Clear();
    expectedNext = 0;
    notices.clear();
    options.MaxPatterns = 3;
    manager.Start(draws);
    ASSERT_TRUE(PumpUntilFinished());
    EXPECT_EQ(manager.Count(), 3);
    EXPECT_EQ(notices.back().Error, PatternBudgetText(3));
    EXPECT_EQ(PatternBudget(3), 3);
    EXPECT_GE(PatternBudget(0), 1'000'000);  // a share of the machine's memory
}

TEST_F(ManagerThreadTest, AListenerThatLeftIsNeverCalledAgain) {
    struct TCounting : TSearchListener {
        std::atomic<int> Calls{0};
        void SearchEventsPending() override { ++Calls; }
        void SearchEventTaken(const TSearchNotice&) override { ++Calls; }
    } gone;
    manager.SetListener(&gone);
    manager.Start(draws);
    manager.SetListener(nullptr);
    const int calls = gone.Calls;
    manager.SetListener(this);
    {
        std::lock_guard lock(mutex);
        pending = true;  // what was announced to the one that left is still queued
    }
    ASSERT_TRUE(PumpUntilFinished());
    EXPECT_EQ(gone.Calls, calls);
    EXPECT_EQ(manager.Count(), FoundCount());
}

TEST_F(ManagerThreadTest, DestroyingAManagerWithARunningSearchEndsIt) {
    auto other = std::make_unique<TGui2RegMgr>(options);
    other->Start(draws);
    other.reset();  // must neither hang nor touch freed memory
}

}  // namespace
