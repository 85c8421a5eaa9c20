#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/Error.h"
#include "data/FileIo.h"
#include "data/Platform.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// Each system converts with its own library (iconv, the Windows code pages); both must give
// these bytes, worked out from the GBK and Unicode tables.
TEST(ConvertText, EverySystemGivesTheSameBytes) {
    const std::string Bad = "\xEF\xBF\xBD";
    struct Case {
        TTextForm To, From;
        std::string Input, Replacement, Expected;
    };
    const Case cases[] = {
        {TTextForm::Utf8, TTextForm::Gbk, "\xB9\xA4\xD7\xF7 7", Bad, "工作 7"},
        {TTextForm::Gbk, TTextForm::Utf8, "期号A", "?",
         "\xC6\xDA\xBA\xC5"
         "A"},
        // A lead byte without its partner, a byte GBK never uses, a pair GBK does not know.
        {TTextForm::Utf8, TTextForm::Gbk, "a\x81", Bad, "a" + Bad},
        {TTextForm::Utf8, TTextForm::Gbk,
         "\xFF"
         "b",
         Bad, Bad + "b"},
        {TTextForm::Utf8, TTextForm::Gbk, "\x81\x20x", Bad, Bad + " x"},
        // A character GBK cannot hold, and a broken UTF-8 character skipped whole.
        {TTextForm::Gbk, TTextForm::Utf8,
         "1\xF0\x9F\x98\x80"
         "2",
         "?", "1?2"},
        {TTextForm::Gbk, TTextForm::Utf8, "\xE5\xB7x", "?", "?x"},
        // UTF-16 both ways, with a pair of surrogates and an odd last byte.
        {TTextForm::Utf8, TTextForm::Utf16Le, std::string("\x3D\xD8\x00\xDE", 4), Bad,
         "\xF0\x9F\x98\x80"},
        {TTextForm::Utf16Be, TTextForm::Utf8, "工A", "", std::string("\x5D\xE5\x00\x41", 4)},
        {TTextForm::Utf16Le, TTextForm::Utf8, "工", "", std::string("\xE5\x5D", 2)},
        {TTextForm::Utf8, TTextForm::Utf16Le,
         std::string("A\x00"
                     "B",
                     3),
         Bad, "A" + Bad},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConvertText(c.To, c.From, c.Input, c.Replacement), c.Expected) << c.Input;
}

// Every two-byte code that decodes to a character encodes back to the same two bytes, and the
// characters of GB2312's first level (0xB0A1-0xD7F9, ordered by their pronunciation) all decode.
TEST(ConvertText, EveryGbkPairRoundTrips) {
    int decoded = 0;
    int firstLevel = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = ConvertText(TTextForm::Utf8, TTextForm::Gbk, pair, "#");
            if (utf8.find('#') != std::string::npos) continue;
            ++decoded;
            firstLevel +=
                lead >= 0xB0 && lead <= 0xD7 && trail >= 0xA1 && (lead < 0xD7 || trail <= 0xF9);
            ASSERT_EQ(ConvertText(TTextForm::Gbk, TTextForm::Utf8, utf8, "?"), pair)
                << std::hex << lead << trail;
        }
    }
    EXPECT_EQ(firstLevel, 3755);  // GB2312's first level
    EXPECT_GT(decoded, 21000);    // GBK holds 21886 characters
}

TEST(Platform, ChineseFileNamesAreWrittenReadAndListedAsTheyAre) {
    const std::string folder = TempFolder("tolvane_platform");
    const std::string path = folder + "/开奖号码.txt";
    WriteFileAtomically(path, "1234567\n");
    WriteFileAtomically(path, "7654321\n");
    EXPECT_EQ(ReadTextFile(path), "7654321\n");
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(PathFromUtf8(folder)))
        names.push_back(PathToUtf8(entry.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{"开奖号码.txt"});  // no temporary file is left
    EXPECT_EQ(PathToUtf8(PathFromUtf8(path)), path);
    EXPECT_EQ(RemoveStaleTemporaries(path), 0u);
}

TEST(Platform, AReplaceThatCannotHappenLeavesTheOldFile) {
    const std::string folder = TempFolder("tolvane_platform");
    std::string first = folder + "/a.tmp-XXXXXX";
    std::string second = first;
    TOsFile a;
    TOsFile b;
    ASSERT_TRUE(a.CreateUnique(first));
    ASSERT_TRUE(b.CreateUnique(second));
    EXPECT_NE(first, second);
    EXPECT_EQ(first.substr(0, first.size() - 6), folder + "/a.tmp-");
    ASSERT_TRUE(a.WriteAll("new") && a.FlushToDisk() && a.Close());
    ASSERT_TRUE(b.Close());

    // Over a folder the replace fails with the system's reason; both files stay.
    fs::create_directory(PathFromUtf8(folder + "/doc"));
    EXPECT_THROW(ReplaceFileDurably(first, folder + "/doc"), TError);
    EXPECT_TRUE(fs::is_directory(PathFromUtf8(folder + "/doc")));
    // Over a file it takes the file's place.
    WriteFileAtomically(folder + "/old.txt", "old");
    ReplaceFileDurably(first, folder + "/old.txt");
    EXPECT_EQ(ReadTextFile(folder + "/old.txt"), "new");
    EXPECT_FALSE(fs::exists(PathFromUtf8(first)));
}

TEST(Platform, AFolderIsNotReadAsAFile) {
    const std::string folder = TempFolder("tolvane_platform");
    EXPECT_THROW(ReadWholeFile(folder), TError);
    EXPECT_THROW(ReadWholeFile(folder + "/missing"), TError);
    EXPECT_GT(PhysicalMemoryBytes(), uint64_t{1} << 20);
}

}  // namespace
