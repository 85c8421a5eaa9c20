#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "data/Error.h"
#include "data/FileIo.h"
#include "search/DocumentSession.h"
#include "search/SearchTexts.h"
#include "search/WorkDocument.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

TDrawRegister TwentyIssuesFrom2024001() {
    TDrawRegister reg;
    for (int i = 0; i < 20; ++i) reg.Rows.push_back({std::to_string(2024001 + i), "2024-02-01"});
    return reg;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(DocumentSession, SaveOpenAndTheModifiedFlag) {
    const std::string folder = TempFolder("tolvane_session");
    const SearchOptions options;
    TDocumentSession session(folder + "/doc.gtmq");
    TCodes draws;
    TGui2RegMgr manager(options);
    EXPECT_THROW(session.Open(draws, manager), std::exception);  // no file yet
    session.MarkModified();
    const auto saved = RandomDraws(3, 12);
    session.Save(*saved, manager);
    EXPECT_FALSE(session.Modified());
    EXPECT_TRUE(session.BackupPath().empty());

    TDocumentSession again(folder + "/doc.gtmq");
    again.MarkModified();
    again.Open(draws, manager);
    EXPECT_FALSE(again.Modified());
    ASSERT_EQ(draws.Count(), 12);
    EXPECT_EQ(draws.GetNum(5, 11), saved->GetNum(5, 11));
}

TEST(DocumentSession, TheRegisterGoesBesideTheDocumentAndAMismatchAside) {
    const std::string folder = TempFolder("tolvane_register");
    const std::string path = folder + "/doc.gtmq";
    const SearchOptions options;
    TGui2RegMgr manager(options);
    const auto draws = RandomDraws(5, 20);
    const TDrawRegister reg = TwentyIssuesFrom2024001();
    TDocumentSession session(path);
    session.Save(*draws, manager);
    const std::vector<uint8_t> plainDocument = ReadWholeFile(path);
    EXPECT_FALSE(fs::exists(RegisterPathOf(path)));  // nothing known: no companion
    session.Save(*draws, manager, reg);
    EXPECT_EQ(ReadWholeFile(path), plainDocument);  // the document's bytes stay as they were

    TCodes opened;
    TDocumentSession again(path);
    again.Open(opened, manager);
    EXPECT_EQ(again.OpenRegister(opened), reg);
    EXPECT_TRUE(again.RegisterMessage().empty());

    // The document changed behind the companion's back (saved by a program that knows no
    // register): the companion is set aside and nothing of it is trusted.
    SaveWorkDocument(path, *RandomDraws(6, 20), manager);
    again.Open(opened, manager);
    EXPECT_FALSE(again.OpenRegister(opened).Known());
    EXPECT_NE(again.RegisterMessage().find("第2行"), std::string::npos) << again.RegisterMessage();
    EXPECT_FALSE(fs::exists(RegisterPathOf(path)));
    EXPECT_TRUE(fs::exists(RegisterPathOf(path) + ".bak"));
    // No companion any more: the document opens as before, without a message.
    EXPECT_FALSE(again.OpenRegister(opened).Known());
    EXPECT_TRUE(again.RegisterMessage().empty());
}

TEST(DocumentSession, AnUnreadableRegisterLineCostsOnlyItsRow) {
    const std::string folder = TempFolder("tolvane_register_line");
    const std::string path = folder + "/doc.gtmq";
    const SearchOptions options;
    TGui2RegMgr manager(options);
    const auto draws = RandomDraws(5, 20);
    const TDrawRegister reg = TwentyIssuesFrom2024001();
    TDocumentSession(path).Save(*draws, manager, reg);
    std::string text = ReadTextFile(RegisterPathOf(path));
    text.replace(text.find("2024007\t"), 8, "2024O07\t");  // a letter O typed for a zero
    WriteBytes(RegisterPathOf(path), text);

    TDocumentSession session(path);
    TCodes opened;
    session.Open(opened, manager);
    TDrawRegister expected = reg;
    expected.Rows[6] = {};
    EXPECT_EQ(session.OpenRegister(opened), expected);
    EXPECT_NE(session.RegisterMessage().find("第9行"), std::string::npos)
        << session.RegisterMessage();
    EXPECT_EQ(ReadTextFile(RegisterPathOf(path) + ".bak"), text);  // the file as it was, kept
}

TEST(DocumentSession, ARecoveryCopyOpensModifiedUntilASaveRemovesIt) {
    const std::string folder = TempFolder("tolvane_recovery");
    const std::string path = folder + "/doc.gtmq";
    const SearchOptions options;
    TGui2RegMgr manager(options);
    TDocumentSession(path).Save(*RandomDraws(5, 10), manager);
    const auto unsaved = RandomDraws(6, 12);
    TDrawRegister reg;
    reg.Rows.push_back({"2024001", ""});
    reg.Fit(12);
    TDocumentSession ended(path);
    ended.MarkModified();
    ended.SaveRecoveryCopy(*unsaved, manager, reg);
    EXPECT_TRUE(ended.Modified());

    TDocumentSession next(path);
    ASSERT_TRUE(next.HasRecoveryCopy());
    next.OpenRecoveryCopyNext();
    TCodes draws;
    next.Open(draws, manager);
    EXPECT_TRUE(next.Modified());
    ASSERT_EQ(draws.Count(), 12);
    EXPECT_EQ(draws.GetNum(3, 11), unsaved->GetNum(3, 11));
    EXPECT_EQ(next.OpenRegister(draws), reg);
    next.Save(draws, manager, reg);
    EXPECT_FALSE(next.HasRecoveryCopy());
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find("recovery"), std::string::npos);
}

TEST(DocumentSession, AnUnreadableDocumentIsCopiedAsideOnceBeforeTheSave) {
    const std::string folder = TempFolder("tolvane_session");
    const std::string path = folder + "/doc.gtmq";
    WriteBytes(path, "damaged");
    WriteBytes(path + ".bak", "an older backup");
    const SearchOptions options;
    TGui2RegMgr manager(options);
    TCodes draws;
    TDocumentSession session(path);
    EXPECT_THROW(session.Open(draws, manager), std::exception);
    session.Save(draws, manager);
    EXPECT_EQ(session.BackupPath(), path + ".bak1");
    std::ifstream kept(path + ".bak1", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "damaged");
    session.Save(draws, manager);  // the document is ours now: no second copy
    EXPECT_TRUE(session.BackupPath().empty());
    EXPECT_FALSE(fs::exists(path + ".bak2"));
}

TEST(DocumentSession, AStoppedOpenKeepsTheDocumentForTheFirstSave) {
    const std::string folder = TempFolder("tolvane_session_stop");
    const SearchOptions options;
    const std::string path = folder + "/doc.gtmq";
    TGui2RegMgr manager(options);
    for (int i = 0; i < 20000; ++i) manager.Add(std::make_unique<TGui2Reg>());
    TDocumentSession(path).Save(*RandomDraws(3, 5), manager);
    const auto original = ReadWholeFile(path);

    TDocumentSession session(path);
    TJobControl cancelled;
    cancelled.Cancel();
    EXPECT_THROW(session.Read(&cancelled), TReadCancelled);
    session.OpenFailed();
    TGui2RegMgr empty(options);
    session.Save(TCodes(), empty);  // the unopened document is copied aside first
    EXPECT_EQ(session.BackupPath(), path + ".bak");
    EXPECT_EQ(ReadWholeFile(path + ".bak"), original);
}

TEST(DocumentSession, AFailedSaveKeepsTheChangesMarked) {
    const std::string folder = TempFolder("tolvane_session");
    const std::string path = folder + "/doc.gtmq";
    fs::create_directory(path);  // nothing can replace a folder with a file
    const SearchOptions options;
    TGui2RegMgr manager(options);
    TDocumentSession session(path);
    session.MarkModified();
    EXPECT_THROW(session.Save(TCodes(), manager), std::exception);
    EXPECT_TRUE(session.Modified());
    EXPECT_TRUE(fs::is_directory(path));
}

TEST(SearchTexts, ProgressWhileRunningAndAtTheEnd) {
    EXPECT_EQ(SearchProgressText(1234567, 42, 3000, true, false),
              "搜索第123万个组合搜索到42条规律(耗时3秒,速度:411522个组合/秒)....");
    EXPECT_EQ(SearchProgressText(50000, 7, 2000, true, true),
              "搜索到7条规律(耗时2秒,速度:25000个组合/秒)....");
    EXPECT_EQ(SearchProgressText(50000, 7, 2999, false, true),
              "结束搜索，花费2秒，总共搜索到7个规律");
    // The speed comes from the milliseconds: a search under a second has one, and the seconds
    // shown are whole ones.
    struct TSpeedCase {
        int64_t Candidates;
        int64_t Milliseconds;
        const char* Shown;  // 耗时…秒,速度:…
    };
    for (const TSpeedCase& c : std::vector<TSpeedCase>{{5000, 250, "0秒,速度:20000个"},
                                                       {123456, 999, "0秒,速度:123579个"},
                                                       {1234567, 3999, "3秒,速度:308718个"},
                                                       {7, 0, "0秒,速度:7000个"},
                                                       {0, 0, "0秒,速度:0个"}}) {
        SCOPED_TRACE(c.Candidates);
        const std::string text = SearchProgressText(c.Candidates, 1, c.Milliseconds, true, true);
        EXPECT_EQ(text, std::string("搜索到1条规律(耗时") + c.Shown + "组合/秒)....");
    }
    EXPECT_EQ(PatternCountText(0), "总共0个规律");
}

}  // namespace
