#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/Error.h"
#include "data/FileIo.h"
#include "data/IniFile.h"
#include "data/TextCodec.h"
#include "tests/support/TempFolder.h"

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(IniFile, ReadsSectionsAndKeysWhateverTheLineEndsAndCase) {
    const TIniFile ini = TIniFile::Parse(
        "\xEF\xBB\xBF[One]\r\na=1\r\n; note\r\nB = 2 "
        "\n[two]\rc=x=y\r\nnoequals\r\na=first\na=second\n");
    EXPECT_EQ(ini.ReadInteger("one", "A", 0), 1);
    EXPECT_EQ(ini.ReadInteger("ONE", "b", 0), 2);  // blanks around key and value
    EXPECT_EQ(ini.ReadRaw("Two", "c"), "x=y");     // only the first "=" separates
    EXPECT_EQ(ini.ReadRaw("two", "a"), "first");   // the first of equal keys wins
    EXPECT_FALSE(ini.ReadRaw("one", "c"));
    EXPECT_EQ(ini.ReadString("one", "missing", "dflt"), "dflt");
}

TEST(IniFile, IntegersAndBooleansFallBackToTheDefault) {
    const TIniFile ini =
        TIniFile::Parse("[S]\nhex=$1F\nneg=-3\nbad=12abc\nempty=\nbig=99999999999\nt=7\nf=0\n");
    for (auto [key, value] :
         {std::pair{"hex", 31}, {"neg", -3}, {"bad", 5}, {"empty", 5}, {"big", 5}})
        EXPECT_EQ(ini.ReadInteger("S", key, 5), value) << key;
    EXPECT_TRUE(ini.ReadBool("S", "t", false));
    EXPECT_FALSE(ini.ReadBool("S", "f", true));
    EXPECT_TRUE(ini.ReadBool("S", "bad", true));
}

TEST(IniFile, WritesInPlaceAppendsInOrderAndRefusesLineBreaks) {
    TIniFile ini = TIniFile::Parse("[A]\nx=1\ny=2\n");
    ini.WriteInteger("a", "Y", 5);
    ini.WriteBool("B", "z", true);
    ini.WriteString("A", "w", "text");
    EXPECT_EQ(ini.ToText(), "[A]\r\nx=1\r\ny=5\r\nw=text\r\n\r\n[B]\r\nz=1\r\n");
    EXPECT_THROW(ini.WriteString("A", "x", "a\nb"), TError);
    EXPECT_THROW(ini.WriteString("A", "x", std::string_view("a\0b", 3)), TError);
    EXPECT_EQ(ini.ReadRaw("A", "x"), "1");
}

TEST(FileIo, AtomicWriteReplacesTheFileAndAFailedWriteKeepsIt) {
    const std::string folder = TempFolder("tolvane_ini");
    const std::string path = folder + "/f.ini";
    WriteFileAtomically(path, "old");
    WriteFileAtomically(path, "new contents");
    EXPECT_EQ(ReadText(path), "new contents");

    // A folder that does not exist cannot take the temporary file.
    EXPECT_THROW(WriteFileAtomically(folder + "/nope/f.ini", "x"), TError);
    // A write cut short (here by a file size limit, which holds even for root) leaves the old
    // file as it was and no temporary file behind. Windows has no such limit.
#ifndef _WIN32
    {
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4;
        ::setrlimit(RLIMIT_FSIZE, &small);
        EXPECT_THROW(WriteFileAtomically(path, "longer than four bytes"), TError);
        ::setrlimit(RLIMIT_FSIZE, &old);
    }
#endif
    EXPECT_EQ(ReadText(path), "new contents");
    // A producer that fails half way: same outcome.
    EXPECT_THROW(WriteFileAtomically(path,
                                     [](const TWriteChunk& write) {
                                         write("partial");
                                         throw TError("producer failed");
                                     }),
                 TError);
    EXPECT_EQ(ReadText(path), "new contents");
    const auto entries = std::distance(std::filesystem::directory_iterator(folder),
                                       std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 1);
    EXPECT_THROW(ReadWholeFile(folder + "/missing"), TError);
    EXPECT_EQ(TIniFile::Load(folder + "/missing.ini").ToText(), "");  // a missing profile is empty
}

TEST(TextCodec, KeepsUtf8AndDecodesGbk) {
    EXPECT_EQ(DecodeExternalText("工作文档"), "工作文档");
    EXPECT_EQ(DecodeExternalText("\xB9\xA4\xD7\xF7"), "工作");  // GBK bytes
    EXPECT_EQ(EncodeGbk("工作"), "\xB9\xA4\xD7\xF7");
    // Neither UTF-8 nor GBK: a replacement character, the rest kept.
    EXPECT_EQ(DecodeExternalText("a\xFF"
                                 "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE5\xB7"));         // cut short
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));  // outside the BMP
    EXPECT_TRUE(IsValidUtf8(DecodeExternalText("\x81\x30\xFE")));
}

}  // namespace
