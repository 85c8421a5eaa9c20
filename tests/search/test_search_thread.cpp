#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "search/SearchThread.h"
#include "tests/support/SearchTestSupport.h"

namespace {

using namespace std::chrono_literals;

// Drains a search thread the way the owner's event loop would.
struct TDrain {
    std::vector<TSearchEvent> Events;
    std::vector<std::unique_ptr<TGui2Reg>> Patterns;

    void TakeFrom(TGui2SearchThread& thread) {
        for (auto& event : thread.TakeEvents()) {
            for (auto& p : event.Patterns) Patterns.push_back(std::move(p));
            Events.push_back(std::move(event));
        }
    }
    bool FinishedSeen() const { return !Events.empty() && Events.back().Kind == sekFinished; }
};

std::shared_ptr<const TCodes> SharedDraws(uint32_t seed, int32_t count) {
    return std::shared_ptr<const TCodes>(RandomDraws(seed, count).release());
}

SearchOptions HeavyOptions() {
    SearchOptions options;
    options.RefTailChk = options.RefSumChk = true;
    options.LinedDistMaxSe = 9;
    options.LinegDistMaxSe = 4;
    return options;
}

TEST(SearchThread, FinishedComesLastAndOrderMatchesTheEngine) {
    auto draws = SharedDraws(21, 120);
    SearchOptions options;
    options.SecCountSe = 3;
    std::atomic<int> signals{0};
    auto thread = std::make_shared<TGui2SearchThread>(draws, options);
    thread->Seed = 99;
    thread->OnEventsPending = [&] { ++signals; };
    thread->Start();
    thread->Wait();
    TDrain drain;
    drain.TakeFrom(*thread);
    ASSERT_TRUE(drain.FinishedSeen());
    EXPECT_TRUE(drain.Events.back().Error.empty());
    EXPECT_GT(signals, 0);
    for (size_t i = 0; i + 1 < drain.Events.size(); ++i)
        EXPECT_NE(drain.Events[i].Kind, sekFinished);
    size_t foundEvents = 0;
    for (const auto& event : drain.Events) foundEvents += event.Kind == sekFound;
    EXPECT_LT(foundEvents * 4, drain.Patterns.size());  // consecutive patterns travel together

    TRecordingSink direct;
    const TSearchTotals totals = Search(&RunSearch, options, *draws, direct, 0, 99);
    ASSERT_EQ(drain.Patterns.size(), static_cast<size_t>(totals.Found));
    size_t next = 0;
    for (const auto& event : direct.Events) {
        if (event.IsFound) {
            EXPECT_EQ(Describe(*drain.Patterns[next++]), event.Pattern);
        }
    }
    EXPECT_EQ(thread->CandidateCount(), totals.Candidates);
    EXPECT_EQ(drain.Events.back().CandidateCount, totals.Candidates);
}

TEST(SearchThread, StopIsPromptAndStillFinishes) {
    auto thread = std::make_shared<TGui2SearchThread>(SharedDraws(22, 300), HeavyOptions());
    thread->Start();
    std::this_thread::sleep_for(20ms);
    thread->RequestStop();
    thread->Wait();
    TDrain drain;
    drain.TakeFrom(*thread);
    ASSERT_TRUE(drain.FinishedSeen());
    EXPECT_TRUE(thread->Finished());
    EXPECT_LT(thread->CandidateCount(), 70000000);  // far from the whole walk
}

TEST(SearchThread, ErrorStillSendsFinished) {
    SearchOptions options;
    options.LinegDistMinSe = 20;  // outside the grid
    TGui2SearchThread thread(SharedDraws(1, 10), options);
    thread.Start();
    thread.Wait();
    auto events = thread.TakeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Kind, sekFinished);
    EXPECT_FALSE(events[0].Error.empty());
}

TEST(SearchThread, NewSearchWaitsForTheStoppedOne) {
    auto first = std::make_shared<TGui2SearchThread>(SharedDraws(23, 300), HeavyOptions());
    first->Start();
    std::this_thread::sleep_for(5ms);
    first->RequestStop();
    SearchOptions small;
    auto second = std::make_shared<TGui2SearchThread>(SharedDraws(24, 50), small);
    std::atomic<bool> firstWasFinished{true};
    second->OnEventsPending = [&, weak = std::weak_ptr(first)] {
        if (auto f = weak.lock(); f && !f->Finished()) firstWasFinished = false;
    };
    second->Start(first);
    second->Wait();
    EXPECT_TRUE(first->Finished());
    EXPECT_TRUE(firstWasFinished);
    TDrain drain;
    drain.TakeFrom(*second);
    EXPECT_TRUE(drain.FinishedSeen());
}

TEST(SearchThread, DestroyingARunningSearchStopsIt) {
    auto thread = std::make_unique<TGui2SearchThread>(SharedDraws(25, 300), HeavyOptions());
    thread->Start();
    std::this_thread::sleep_for(5ms);
    thread.reset();  // must not hang or crash
}

}  // namespace
