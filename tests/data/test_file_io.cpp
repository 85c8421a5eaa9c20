#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "data/DownloadCodec.h"
#include "data/Error.h"
#include "data/FileIo.h"
#include "tests/support/SearchTestSupport.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ReadError(const std::string& path, uint64_t maxBytes = UINT64_MAX) {
    return ErrorOf([&] { ReadTextFile(path, maxBytes); });
}

TEST(FileIo, WhatIsNotAPlainFileOrTooLargeIsRefusedBeforeReading) {
    const std::string folder = TempFolder("tolvane_fileio");
    const std::string pipe = folder + "/pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_NE(ReadError(pipe).find("不是普通文件"), std::string::npos);  // and does not hang
    EXPECT_NE(ReadError("/dev/zero").find("不是普通文件"), std::string::npos);
    const std::string big = folder + "/big.txt";
    { std::ofstream(big) << ""; }
    fs::resize_file(big, MaxDrawFileBytes + 1);  // sparse: nothing is written
    EXPECT_NE(ReadError(big, MaxDrawFileBytes).find("文件太大（超过256MB）"), std::string::npos);
    EXPECT_EQ(ReadError(folder + "/missing").rfind("无法打开文件：", 0), 0u);
}

TEST(FileIo, ASaveThroughASymbolicLinkReplacesTheFileItNames) {
    const std::string folder = TempFolder("tolvane_fileio");
    fs::create_directory(folder + "/real");
    const std::string target = folder + "/real/doc.gtmq";
    const std::string link = folder + "/doc.gtmq";
    WriteFileAtomically(target, "old");
    fs::create_symlink(target, link);
    WriteFileAtomically(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(target), "new");
}

TEST(FileIo, StaleTemporariesOfOurOwnNamingGo) {
    const std::string folder = TempFolder("tolvane_fileio");
    const std::string doc = folder + "/工作文档.gtmq";
    for (const char* name :
         {"/工作文档.gtmq.tmp-a1B2c3", "/工作文档.gtmq.tmp-zzzzzz", "/工作文档.gtmq.tmp-short",
          "/other.gtmq.tmp-a1B2c3", "/工作文档.gtmq"})
        std::ofstream(folder + name) << "x";
    EXPECT_EQ(RemoveStaleTemporaries(doc), 2u);
    EXPECT_TRUE(fs::exists(folder + "/工作文档.gtmq.tmp-short"));
    EXPECT_TRUE(fs::exists(folder + "/other.gtmq.tmp-a1B2c3"));
    EXPECT_TRUE(fs::exists(doc));
}

// The names in folder, sorted.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileIo, WritesAreNotedWhileTheyRunSoThatTheNextStartCleansAKilledOne) {
    const std::string folder = TempFolder("tolvane_fileio");
    const std::string notes = folder + "/.writes";
    fs::create_directory(folder + "/exports");
    const std::string target = folder + "/exports/规律.csv";
    SetWriteNotesFolder(notes);
    std::vector<std::string> seen;
    WriteFileAtomically(target, [&](const TWriteChunk& write) {
        for (const std::string& note : Names(notes)) seen.push_back(ReadText(notes + "/" + note));
        write("x");
    });
    SetWriteNotesFolder({});
    EXPECT_EQ(seen, std::vector<std::string>{target + "\n"});
    EXPECT_TRUE(Names(notes).empty());  // the note goes with the finished write

    // What a killed write leaves: its note and its temporary file. Only names of our own making
    // beside the noted target go.
    std::ofstream(notes + "/write-a1B2c3") << target << "\n";
    std::ofstream(notes + "/write-bad") << target << "\n";
    for (const char* name : {"/exports/规律.csv.tmp-Zx81Qa", "/exports/规律.csv.tmp-long123",
                             "/exports/other.csv.tmp-Zx81Qa"})
        std::ofstream(folder + name) << "debris";
    EXPECT_EQ(RemoveDebrisOfKilledWrites(notes), 1u);
    EXPECT_EQ(
        Names(folder + "/exports"),
        (std::vector<std::string>{"other.csv.tmp-Zx81Qa", "规律.csv", "规律.csv.tmp-long123"}));
    EXPECT_EQ(Names(notes), std::vector<std::string>{"write-bad"});
}

TEST(FileIo, PictureFoldersLoseTheTemporariesOfTheirPictures) {
    const std::string folder = TempFolder("tolvane_fileio");
    for (const char* name : {"301_0001.gif.tmp-a1B2c3", "301_0002.png.tmp-a1B2c3", "301_0001.gif",
                             "notes.txt.tmp-a1B2c3", ".gif.tmp-a1B2c3", "301_0003.gif.tmp-a1B"})
        std::ofstream(folder + "/" + name) << "x";
    EXPECT_EQ(RemoveStaleTemporariesIn(folder, {".gif", ".png"}), 2u);
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{".gif.tmp-a1B2c3", "301_0001.gif", "301_0003.gif.tmp-a1B",
                                        "notes.txt.tmp-a1B2c3"}));
}

// Under a file-size limit a write fails with its message when SIGXFSZ is ignored, and kills the
// process without one when it is not: the child reports what it saw by its exit status.
TEST(FileIo, AWritePastTheFileSizeLimitFailsInsteadOfKillingTheProgram) {
    for (const bool ignore : {true, false}) {
        SCOPED_TRACE(ignore ? "ignored" : "default action");
        const std::string folder = TempFolder("tolvane_fileio");
        const std::string path = folder + "/工作文档.gtmq";
        WriteFileAtomically(path, "old");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_DFL);
            if (ignore) IgnoreFileSizeSignal();
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                WriteFileAtomically(path, std::string(1 << 16, 'x'));
            } catch (const TFileWriteError& e) {
                const bool spoken = std::string(e.what()).rfind("无法写入文件：", 0) == 0;
                ::_exit(spoken && e.Started ? 0 : 3);
            }
            ::_exit(4);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (ignore) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
            EXPECT_EQ(Names(folder), std::vector<std::string>{"工作文档.gtmq"});
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
        }
        EXPECT_EQ(ReadText(path), "old");
    }
}

TEST(DownloadReply, AZeroByteIsADamagedReplyNotTheEndOfTheDraws) {
    const std::string reply = std::string("成功\r\n1#1234567#x\r\n") + '\0' + "2#7654321#x\r\n";
    EXPECT_THROW(ParseDownloadReply(reply), TError);
}

}  // namespace
