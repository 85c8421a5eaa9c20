#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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
    return ErrorOf([&] { ReadWholeFile(path, maxBytes); });
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

TEST(DownloadReply, AZeroByteIsADamagedReplyNotTheEndOfTheDraws) {
    const std::string reply = std::string("成功\r\n1#1234567#x\r\n") + '\0' + "2#7654321#x\r\n";
    EXPECT_THROW(ParseDownloadReply(reply), TError);
}

}  // namespace
