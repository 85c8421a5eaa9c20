#include <gtest/gtest.h>

#include "data/DrawImport.h"
#include "data/Error.h"

namespace {

std::string ErrorOf(std::string_view text) {
    try {
        ParseDrawNumbers(text);
    } catch (const TError& e) {
        return e.what();
    }
    return "(parsed)";
}

TEST(DrawImport, LineRulesOfThePlainForm) {
    struct TCase {
        std::string Line;
        TPlainLine Kind;
        int32_t Number;
    };
    const std::vector<TCase> cases = {
        {"0012345", TPlainLine::Draw, 12345},
        {"  1234567  ", TPlainLine::Draw, 1234567},
        {"1234567#第1期", TPlainLine::Draw, 1234567},  // text after the digits is a comment
        {"123456", TPlainLine::Skipped, 0},            // under seven characters
        {"一二", TPlainLine::Skipped, 0},              // four bytes of the code page
        {"  123  ", TPlainLine::Bad, 0},               // seven characters, three digits
        {"12345678", TPlainLine::Bad, 0},              // eight digits are no draw of seven
        {"1234567890", TPlainLine::Bad, 0},
        {"+123456", TPlainLine::Bad, 0},
        {"-123456", TPlainLine::Bad, 0},
        {"$FFFFFF", TPlainLine::Bad, 0},
        {"0x12345", TPlainLine::Bad, 0},
        {"一二三四", TPlainLine::Bad, 0},
        {std::string("1234567\0", 8), TPlainLine::Bad, 0},
        {std::string("12\0", 3), TPlainLine::Bad, 0},  // a zero byte is never skipped
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Line);
        int32_t number = 0;
        EXPECT_EQ(ReadPlainDrawLine(c.Line, number), c.Kind);
        if (c.Kind == TPlainLine::Draw) {
            EXPECT_EQ(number, c.Number);
        }
    }
    EXPECT_EQ(ParseDrawNumbers("0012345\r\n123\r7654321\n"),
              (std::vector<int32_t>{12345, 7654321}));
    EXPECT_EQ(ErrorOf("0000001\n1 2 3 4 5 6 7\n"), "第2行无法识别：1 2 3 4 5 6 7");
    EXPECT_EQ(ErrorOf(std::string("0000001\r\n1234567\0xyz\r\n", 20)),
              "第2行无法识别：1234567\uFFFDxyz");
}

TEST(DrawImport, FilesWithAByteOrderMarkRead) {
    EXPECT_EQ(ParseDrawNumbers("\xEF\xBB\xBF"
                               "1234567\r\n0000001"),
              (std::vector<int32_t>{1234567, 1}));
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("1234567\n")) utf16 += {c, '\0'};
    EXPECT_EQ(ParseDrawNumbers(utf16), std::vector<int32_t>{1234567});
}

TEST(DrawImport, NumbersBecomeDigitsAndANegativeNumberChangesNothing) {
    TCodes draws;
    LoadDrawNumbersInto({12345, 1234567, 16777215}, draws);
    ASSERT_EQ(draws.Count(), 3);
    EXPECT_EQ(draws.GetNum(3, 0), 1);
    EXPECT_EQ(draws.GetNum(0, 0), 0 + 0 + 1 + 2);
    EXPECT_EQ(draws.GetNum(7, 1), 7);
    EXPECT_EQ(draws.GetNum(7, 2), 1);  // eight digits: the first seven
    try {
        LoadDrawNumbersInto({1, -123456}, draws);
        ADD_FAILURE();
    } catch (const TError& e) {
        EXPECT_STREQ(e.what(), "'-' is not a valid integer value");
    }
    EXPECT_EQ(draws.Count(), 3);
    EXPECT_EQ(draws.GetNum(7, 1), 7);
}

}  // namespace
