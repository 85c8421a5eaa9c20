#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "data/IniFile.h"
#include "search/OptionsIni.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(ShiftScramble, RoundTripsEveryByteAtEveryOffset) {
    std::string text;
    for (int i = 0; i < 600; ++i) text += static_cast<char>((i * 37) % 256);
    for (size_t length : {size_t(0), size_t(1), size_t(255), size_t(256), size_t(600)})
        EXPECT_EQ(ShiftUnscramble(ShiftScramble(text.substr(0, length))), text.substr(0, length));
    EXPECT_NE(ShiftScramble(std::string(3, '\0')), std::string(3, '\0'));
}

// Settings files written by earlier releases hold texts scrambled with these offsets; they
// must not follow the release version.
TEST(ShiftScramble, KeepsTheOffsetsOfStoredSettings) {
    EXPECT_EQ(ScrambleStart(), 31);
    EXPECT_EQ(ScrambleStep(), 11);
    EXPECT_EQ(ShiftScramble("aaa"), "\x80\x8B\x96");
}

TEST(StoredValue, EveryTextSurvivesTheLineForm) {
    std::vector<std::string> texts = {"",       "plain",   " lead",   "trail\t",
                                      "a\r\nb", "{hex}00", "{hex}zz", std::string("z\0z", 3)};
    for (int b = 0; b < 256; ++b) texts.push_back(std::string(1, static_cast<char>(b)) + "x");
    for (const std::string& text : texts) {
        TIniFile ini;
        ini.WriteString("S", "k", EncodeStoredValue(text));
        const TIniFile back = TIniFile::Parse(ini.ToText());
        EXPECT_EQ(DecodeStoredValue(*back.ReadRaw("S", "k")), text);
    }
    EXPECT_EQ(EncodeStoredValue("plain"), "plain");  // plain values stay readable
    EXPECT_EQ(EncodeStoredValue("a\nb"), "{hex}610a62");
    EXPECT_EQ(DecodeStoredValue("{hex}zz"), "{hex}zz");  // not hex: taken as written
}

TEST(SearchOptionsIni, DefaultsOfAnEmptyFileAndTheLoadingAdjustments) {
    SearchOptions options;
    options.MemberName = "old";
    ReadSearchOptions(TIniFile(), options);
    SearchOptions expected;
    expected.BoxColorModeCbb = 3;
    EXPECT_EQ(options, expected);

    ReadSearchOptions(TIniFile::Parse("[TGui2Options]\nBoxColorModeCbb=1\nCellHeightSe=61\n"
                                      "SecInterGbx=4\nSumConstrastGbx=3\nSecCountSe=8\n"
                                      "RefTailChk=2\nLinedDistMaxSe=x\n"),
                      options);
    EXPECT_EQ(options.BoxColorModeCbb, 1);  // kept: the dialog offers it
    EXPECT_EQ(options.CellHeightSe, 30);
    EXPECT_TRUE(options.RefTailChk);
    EXPECT_EQ(options.LinedDistMaxSe, 3);
    EXPECT_EQ(options.SecInterGbx, 4);  // corrected at start-up, not while loading
    ApplyStartupAdjustments(options);
    EXPECT_EQ(options.SecInterGbx, 1);
    EXPECT_EQ(options.SumConstrastGbx, 3);
    EXPECT_EQ(options.SecCountSe, 3);

    options.SecCountSe = 7;
    ApplyStartupAdjustments(options);
    EXPECT_EQ(options.SecCountSe, 7);
    for (const char* mode : {"BoxColorModeCbb=5", "BoxColorModeCbb=-1"}) {
        ReadSearchOptions(TIniFile::Parse(std::string("[TGui2Options]\n") + mode), options);
        EXPECT_EQ(options.BoxColorModeCbb, 3) << mode;
    }
    ReadSearchOptions(TIniFile::Parse("[TGui2Options]\nCellHeightSe=60\n"), options);
    EXPECT_EQ(options.CellHeightSe, 60);
    // Automatic updates are on by default, every 3 hours, on the draw days 周二、周五、周日; a
    // hand-edited interval stays within 1-24 hours and a list without a day is the default.
    EXPECT_TRUE(options.AutoUpdateChk);
    EXPECT_EQ(options.AutoUpdateHoursSe, 3);
    EXPECT_EQ(options.DrawDays, DefaultDrawDays);
    ReadSearchOptions(
        TIniFile::Parse("[TDataDown]\nAutoUpdate=0\nAutoUpdateHours=100\nDrawDays=x\n"), options);
    EXPECT_FALSE(options.AutoUpdateChk);
    EXPECT_EQ(options.AutoUpdateHoursSe, 24);
    EXPECT_EQ(options.DrawDays, DefaultDrawDays);
}

TEST(SearchOptionsIni, WritesEveryKeyInOrderAndReadsItBack) {
    SearchOptions options;
    options.MemberName = "张三 ";
    options.MemberPassword = std::string("p=w\r\n\0x", 7);
    options.LinegDistMaxSe = 4;
    options.ClearDupChk = true;
    options.CellHeightSe = 45;
    options.ServiceUrl = "http://127.0.0.1:8080/draws?site=2";
    options.AutoUpdateChk = false;
    options.AutoUpdateHoursSe = 6;
    options.DrawDays = (1 << 0) | (1 << 3);
    TIniFile ini;
    WriteSearchOptions(ini, options);
    const std::string text = ini.ToText();
    const std::string lines = "\n" + text;
    const char* order[] = {
        "[TRegOptions]",      "userName=",         "userPW=",
        "[TGui2Options]",     "LinedDistMinSe=0",  "LinedDistMaxSe=3",
        "LinegDistMinSe=1",   "LinegDistMaxSe=4",  "SecCountSe=4",
        "LinedPtMinSe=2",     "LinedPtMaxSe=3",    "LinegPtMinSe=2",
        "LinegPtMaxSe=3",     "ClearDupChk=1",     "RefSumChk=0",
        "RefTailChk=0",       "SecInterGbx=0",     "SumConstrastGbx=0",
        "FallTargetGbx=0",    "FallStyleGbx=0",    "RefWidthSe=7",
        "LinkLineStyleGbx=0", "DrawBoxStyleCbb=1", "BoxColorModeCbb=3",
        "CellHeightSe=45",    "[TDataDown]",       "ServiceUrl=http://127.0.0.1:8080/draws?site=2",
        "AutoUpdate=0",       "AutoUpdateHours=6", "DrawDays=1,4"};
    size_t at = 0;
    for (const char* piece : order) {
        const size_t found = lines.find(std::string("\n") + piece, at);
        ASSERT_NE(found, std::string::npos) << piece;
        at = found + 1;
    }
    SearchOptions back;
    ReadSearchOptions(TIniFile::Parse(text), back);
    EXPECT_EQ(back, options);
}

TEST(SearchOptionsIni, ReadsRawScrambledValuesAndGbkNames) {
    // As an older version wrote it: the scrambled bytes of a GBK name, raw on the line.
    const std::string line = "[TRegOptions]\r\nuserName=" + ShiftScramble("\xD5\xC5\xC8\xFD") +
                             "\r\nuserPW=" + ShiftScramble("secret") + "\r\n";
    SearchOptions options;
    ReadSearchOptions(TIniFile::Parse(line), options);
    EXPECT_EQ(options.MemberName, "张三");
    EXPECT_EQ(options.MemberPassword, "secret");
}

TEST(SearchOptionsIni, SaveKeepsForeignKeysAndLoadReadsTheFile) {
    const std::string folder = TempFolder("tolvane_opt");
    const std::string path = folder + "/" + SettingsFileName;
    {
        std::ofstream out(path, std::ios::binary);
        out << "[Other]\nkeep=1\n[TGui2Options]\nRefWidthSe=9\n";
    }
    SearchOptions options = LoadSearchOptions(path);
    EXPECT_EQ(options.RefWidthSe, 9);
    options.SecCountSe = 6;
    SaveSearchOptions(path, options);
    const TIniFile saved = TIniFile::Load(path);
    EXPECT_EQ(saved.ReadRaw("Other", "keep"), "1");
    EXPECT_EQ(LoadSearchOptions(path), options);
    EXPECT_EQ(LoadSearchOptions(folder + "/none.ini").SecCountSe, 4);
}

TEST(SearchOptionsIni, SetOptionByKeyKnowsTheKeysAndTheIntegerSyntax) {
    SearchOptions options;
    EXPECT_TRUE(SetOptionByKey(options, "reftailchk", "1"));
    EXPECT_TRUE(SetOptionByKey(options, "LinedDistMaxSe", "$9"));
    EXPECT_TRUE(options.RefTailChk);
    EXPECT_EQ(options.LinedDistMaxSe, 9);
    for (auto [key, value] :
         {std::pair{"LinedDistMaxSe", "nine"}, {"NoSuchKey", "1"}, {"userName", "x"}})
        EXPECT_FALSE(SetOptionByKey(options, key, value)) << key;
}

}  // namespace

namespace {

// Notepad's "Unicode": UTF-16 little-endian with its byte order mark.
std::string Utf16Le(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
}

TEST(SearchOptionsIni, AUnicodeFileIsReadAndWrittenBackAsUnicode) {
    const std::string path = TempFolder("tolvane_ini16") + "/pavolen.ini";
    std::ofstream(path, std::ios::binary)
        << Utf16Le("[TGui2Options]\r\nCellHeightSe=40\r\nRefTailChk=1\r\n");
    SearchOptions options = LoadSearchOptions(path);
    EXPECT_EQ(options.CellHeightSe, 40);
    EXPECT_TRUE(options.RefTailChk);
    options.CellHeightSe = 50;
    SaveSearchOptions(path, options);
    std::ifstream in(path, std::ios::binary);
    const std::string saved(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(saved.find(Utf16Le("CellHeightSe=50").substr(2)), std::string::npos);
    EXPECT_EQ(LoadSearchOptions(path).CellHeightSe, 50);
}

}  // namespace
