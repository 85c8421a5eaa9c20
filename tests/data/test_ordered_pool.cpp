#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "data/OrderedPool.h"

namespace {

// Rows that finish in the reverse of their order still come out in order, each thread keeps
// its own state, and started and deliver are never called at once (TSan sees any overlap).
TEST(OrderedPoolTest, RowsDoneOutOfOrderAreHandedOverInOrder) {
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        constexpr int32_t Rows = 24;
        TOrderedPool pool;
        const TJobControl control;
        std::vector<int32_t> started, delivered;
        std::vector<int> perThread;  // rows worked by each thread, written after its last row
        std::mutex perThreadMutex;
        pool.Run(
            Rows, threads, control,
            [&] {
                struct TWorker {
                    std::vector<int>* PerThread;
                    std::mutex* Mutex;
                    int Mine = 0;
                    std::optional<int32_t> operator()(int32_t index) {
                        std::this_thread::sleep_for(std::chrono::microseconds(50 * (Rows - index)));
                        ++Mine;
                        return index * 10;
                    }
                    ~TWorker() {
                        std::lock_guard lock(*Mutex);
                        PerThread->push_back(Mine);
                    }
                };
                return TWorker{&perThread, &perThreadMutex};
            },
            [&](int32_t index) { started.push_back(index); },
            [&](int32_t&& row) { delivered.push_back(row); });
        std::vector<int32_t> expected;
        for (int32_t i = 0; i < Rows; ++i) expected.push_back(i * 10);
        EXPECT_EQ(delivered, expected);
        EXPECT_EQ(started.size(), static_cast<size_t>(Rows));
        int worked = 0;
        for (int n : perThread) worked += n;
        EXPECT_EQ(worked, Rows);
    }
}

// Ending the pool at a row keeps the rows before it; a failure is raised on the caller's
// thread with the rows before it handed over; a cancelled control starts no row.
TEST(OrderedPoolTest, AnEndAFailureAndACancelStopTheRowsAfterThem) {
    for (int threads : {1, 3}) {
        SCOPED_TRACE(threads);
        const TJobControl control;
        TOrderedPool ended;
        std::vector<int32_t> rows;
        ended.Run(
            20, threads, control,
            [&] {
                return [&](int32_t index) -> std::optional<int32_t> {
                    if (index == 5) {
                        ended.EndAt(5);
                        return std::nullopt;
                    }
                    return index;
                };
            },
            [](int32_t) {}, [&](int32_t&& row) { rows.push_back(row); });
        EXPECT_EQ(rows, (std::vector<int32_t>{0, 1, 2, 3, 4}));
        EXPECT_EQ(ended.End(), 5);

        TOrderedPool failing;
        rows.clear();
        EXPECT_THROW(failing.Run(
                         20, threads, control,
                         [&] {
                             return [](int32_t index) -> std::optional<int32_t> {
                                 if (index == 3) throw std::runtime_error("row 3");
                                 return index;
                             };
                         },
                         [](int32_t) {}, [&](int32_t&& row) { rows.push_back(row); }),
                     std::runtime_error);
        ASSERT_LE(rows.size(), 3u);
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], static_cast<int32_t>(i));
        if (threads == 1) {
            EXPECT_EQ(rows.size(), 3u);
        }
    }
    TJobControl cancelled;
    cancelled.Cancel();
    TOrderedPool pool;
    int starts = 0;
    pool.Run(
        5, 2, cancelled,
        [] { return [](int32_t index) -> std::optional<int32_t> { return index; }; },
        [&](int32_t) { ++starts; }, [](int32_t&&) {});
    EXPECT_EQ(starts, 0);
}

}  // namespace
