#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "data/JobControl.h"

namespace {

using namespace std::chrono_literals;

// A wait far longer than any test run: only a cancel can end it.
constexpr auto Forever = std::chrono::hours(1);

TEST(JobControlTest, CancelFromAnotherThreadEndsAWaitAndEveryLaterOne) {
    TJobControl control;
    std::promise<void> waiting;
    auto waited = std::async(std::launch::async, [&] {
        waiting.set_value();
        return control.WaitFor(std::chrono::duration_cast<std::chrono::milliseconds>(Forever));
    });
    waiting.get_future().wait();
    control.Cancel();
    EXPECT_FALSE(waited.get());
    EXPECT_TRUE(control.Cancelled());
    EXPECT_TRUE(control.CancelFlag().load());
    EXPECT_FALSE(control.WaitFor(std::chrono::duration_cast<std::chrono::milliseconds>(Forever)));
    EXPECT_FALSE(control.Report(1, 2));  // "go on?" now answers no
}

TEST(JobControlTest, AWaitThatRunsOutAnswersGoOn) {
    TJobControl control;
    EXPECT_TRUE(control.WaitFor(1ms));
    EXPECT_TRUE(control.Report(3, 10));
}

TEST(JobControlTest, ProgressIsTheLastReportWithDoneNeverAboveAKnownTotal) {
    const struct {
        int64_t Done, Total, ShownDone, ShownTotal;
    } cases[] = {{3, 10, 3, 10}, {12, 10, 10, 10}, {5, 0, 5, 0}, {-4, -1, 0, 0}};
    for (const auto& c : cases) {
        TJobControl control;
        control.Report(c.Done, c.Total);
        EXPECT_EQ(control.Progress().Done, c.ShownDone) << c.Done << "/" << c.Total;
        EXPECT_EQ(control.Progress().Total, c.ShownTotal) << c.Done << "/" << c.Total;
    }
}

TEST(JobControlTest, ReportsFromAWorkerAreReadWhileItRuns) {
    TJobControl control;
    std::thread worker([&] {
        for (int64_t i = 0; i <= 100000 && control.Report(i, 100000); ++i) {
        }
    });
    int64_t last = 0;
    while (last < 100000) {  // each reading is a report made, never going back
        const int64_t now = control.Progress().Done;
        ASSERT_GE(now, last);
        last = now;
    }
    worker.join();
}

}  // namespace
