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

TEST(DrawImport, LineRulesOfTheDrawFile) {
    const std::string text =
        std::string("0012345\r\n  1234567  \n  123  \r123456\n\n1234567890\r\n") +
        "+123456\n-123456\n$FFFFFF\n" + std::string("7654321\0ignored\n9", 17);
    EXPECT_EQ(ParseDrawNumbers(text), (std::vector<int32_t>{12345, 1234567, 123, 1234567, 123456,
                                                            -123456, 0xFFFFFF, 7654321}));
    EXPECT_EQ(ParseDrawNumbers(""), std::vector<int32_t>{});
    EXPECT_EQ(ErrorOf("1 2 3 4 5 6 7\n"), "'1 2 3 4' is not a valid integer value");
    EXPECT_EQ(ErrorOf("0000001\n# comment\n"), "'# comme' is not a valid integer value");
    // Chinese text counts bytes of the Windows code page: two characters are 4 bytes, dropped.
    EXPECT_EQ(ParseDrawNumbers("一二\n1234567"), std::vector<int32_t>{1234567});
    EXPECT_EQ(ErrorOf("\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4"),
              "'一二三四' is not a valid integer value");
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
