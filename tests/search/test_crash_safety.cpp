// A save killed at any moment leaves the old document or the new one, never a mixture, and
// the next start removes what the killed save left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "data/FileIo.h"
#include "search/DocumentSession.h"
#include "search/WorkDocument.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> DocumentOf(uint32_t seed) {
    const SearchOptions options;
    TGui2RegMgr manager(options);
    return WriteWorkDocument(*RandomDraws(seed, 40000), manager);  // about 1.3 MB
}

TEST(CrashSafety, ASaveKilledAtRandomLeavesOneWholeDocumentAndDebrisThatTheNextStartRemoves) {
    const std::string folder = TempFolder("tolvane_crash");
    const std::string path = folder + "/工作文档.gtmq";
    const std::vector<uint8_t> first = DocumentOf(1);
    const std::vector<uint8_t> second = DocumentOf(2);
    const std::string_view firstBytes(reinterpret_cast<const char*>(first.data()), first.size());
    const std::string_view secondBytes(reinterpret_cast<const char*>(second.data()), second.size());
    WriteFileAtomically(path, firstBytes);

    std::mt19937 random(20261208);
    int killedMidway = 0;
    constexpr int Iterations = 300;
    for (int i = 0; i < Iterations; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Save one version after the other until killed.
            for (int n = 0;; ++n) {
                try {
                    WriteFileAtomically(path, n % 2 == 0 ? secondBytes : firstBytes);
                } catch (...) {
                    ::_exit(2);
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process failed on its own";
        const std::vector<uint8_t> now = ReadWholeFile(path);
        ASSERT_TRUE(now == first || now == second) << "iteration " << i;
        killedMidway += RemoveStaleTemporaries(path) > 0 ? 1 : 0;
        for (const auto& entry : fs::directory_iterator(folder))
            ASSERT_EQ(entry.path().filename().string(), "工作文档.gtmq") << "debris left";
    }
    // The kills did land inside saves, or the test proves nothing.
    EXPECT_GT(killedMidway, Iterations / 10);
}

}  // namespace
