// The document and its register are one pair on the disk: a save that fails or is killed at
// any write, flush or rename leaves, after the next start, the old pair or the new one whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "data/FileIo.h"
#include "search/DocumentSession.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/TempFolder.h"
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

struct TPair {
    std::shared_ptr<TCodes> Draws;
    TDrawRegister Register;
};

TPair PairOf(uint32_t seed, int32_t count, int firstIssue) {
    TPair pair{RandomDraws(seed, count), {}};
    for (int i = 0; i < count; ++i)
        pair.Register.Rows.push_back({std::to_string(firstIssue + i), "2024-03-01"});
    return pair;
}

std::vector<DrawRecord> RowsOf(const TCodes& draws) {
    return {draws.Rows(), draws.Rows() + draws.Count()};
}

// What the next start finds: the pair it opens, or a failure naming what is wrong.
class TSaveFaults : public ::testing::Test {
  protected:
    void TearDown() override { SetWriteStepCheck({}); }

    std::string StartWithOldPair() {
        const std::string folder = TempFolder("tolvane_save_faults");
        const std::string path = folder + "/doc.gtmq";
        TDocumentSession(path).Save(*old_.Draws, manager_, old_.Register);
        return path;
    }

    // Restarts on path and says which pair it found ("old", "new") or what is wrong.
    std::string Restart(const std::string& path, const TPair& changed) {
        TDocumentSession session(path);
        session.FinishInterruptedSave();
        RemoveStaleTemporaries(path);  // what the window's start removes after that
        TCodes draws;
        TGui2RegMgr manager(options_);
        session.Open(draws, manager);
        const TDrawRegister reg = session.OpenRegister(draws);
        if (!session.RegisterMessage().empty()) return session.RegisterMessage();
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
            names.insert(entry.path().filename().string());
        if (names != std::set<std::string>{"doc.gtmq", "doc.gtmq.issues"})
            return "debris left: " + std::to_string(names.size()) + " files";
        if (RowsOf(draws) == RowsOf(*old_.Draws) && reg == old_.Register) return "old";
        if (RowsOf(draws) == RowsOf(*changed.Draws) && reg == changed.Register) return "new";
        return "a mixture of the two saves";
    }

    // Every step the save of changed takes, in order.
    std::vector<TWriteStep> StepsOfSave(const TPair& changed) {
        std::vector<TWriteStep> steps;
        const std::string path = StartWithOldPair();
        SetWriteStepCheck([&](TWriteStep step, const std::string&) {
            steps.push_back(step);
            return std::string();
        });
        TDocumentSession(path).Save(*changed.Draws, manager_, changed.Register);
        SetWriteStepCheck({});
        return steps;
    }

    const SearchOptions options_;
    TGui2RegMgr manager_{options_};
    const TPair old_ = PairOf(1, 300, 2024001);
    // Other draws, and the same draws with other 期号 (a companion that still fits them).
    const std::vector<TPair> changes_ = {PairOf(2, 320, 2024001), PairOf(1, 300, 2023001)};
};

TEST_F(TSaveFaults, EachFailedWriteFlushOrRenameLeavesOneWholePair) {
    for (const TPair& changed : changes_) {
        const std::vector<TWriteStep> steps = StepsOfSave(changed);
        ASSERT_EQ(std::count(steps.begin(), steps.end(), TWriteStep::Rename), 2);
        std::set<std::string> outcomes;
        for (size_t failing = 0; failing < steps.size(); ++failing) {
            SCOPED_TRACE(failing);
            const std::string path = StartWithOldPair();
            size_t step = 0;
            SetWriteStepCheck([&](TWriteStep, const std::string&) {
                return step++ == failing ? std::string("No space left on device") : std::string();
            });
            TDocumentSession session(path);
            session.MarkModified();
            EXPECT_THROW(session.Save(*changed.Draws, manager_, changed.Register), TFileWriteError);
            SetWriteStepCheck({});
            EXPECT_TRUE(session.Modified());
            const std::string found = Restart(path, changed);
            EXPECT_TRUE(found == "old" || found == "new") << found;
            outcomes.insert(found);
        }
        // Failing the register's rename leaves the new document: its register still arrives.
        EXPECT_EQ(outcomes, (std::set<std::string>{"old", "new"}));
    }
}

#ifndef _WIN32  // fork and file size limits are POSIX

TEST_F(TSaveFaults, ASaveKilledBeforeAnyStepLeavesOneWholePairAfterTheRestart) {
    for (const TPair& changed : changes_) {
        const size_t stepCount = StepsOfSave(changed).size();
        std::set<std::string> outcomes;
        for (size_t killed = 0; killed <= stepCount; ++killed) {
            SCOPED_TRACE(killed);
            const std::string path = StartWithOldPair();
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                size_t step = 0;
                SetWriteStepCheck([&](TWriteStep, const std::string&) {
                    if (step++ == killed) ::_exit(3);  // no clean-up, as under kill -9
                    return std::string();
                });
                try {
                    TDocumentSession(path).Save(*changed.Draws, manager_, changed.Register);
                } catch (...) {
                    ::_exit(2);
                }
                ::_exit(0);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), killed == stepCount ? 0 : 3);
            const std::string found = Restart(path, changed);
            EXPECT_TRUE(found == "old" || found == "new") << found;
            outcomes.insert(found);
        }
        EXPECT_EQ(outcomes, (std::set<std::string>{"old", "new"}));
    }
}

TEST_F(TSaveFaults, AFullDiskLeavesTheOldPair) {
    const std::string path = StartWithOldPair();
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4000;  // less than the new document
    ::setrlimit(RLIMIT_FSIZE, &small);
    IgnoreFileSizeSignal();
    EXPECT_THROW(TDocumentSession(path).Save(*changes_[0].Draws, manager_, changes_[0].Register),
                 TFileWriteError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(Restart(path, changes_[0]), "old");
}

#endif

}  // namespace
