#include <gtest/gtest.h>

#include "data/DrawLines.h"
#include "data/Error.h"

namespace {

using Lines = std::vector<std::string>;

const std::string FormatLine = "\r\n开奖号码格式要求: 1期1行，每行7个连续数字。";

TEST(DrawLines, OnlySevenDigitsBetweenBlanksMakeADraw) {
    for (const char* valid : {"0381562", "  1234567", "1234567 \t",
                              "\x01"
                              "9999999\r"})
        EXPECT_TRUE(IsValidDrawLine(valid)) << valid;
    for (const char* invalid : {"123456", "12345678", "1234 67", "123456a", "+123456", "-123456",
                                "１２３４５６７", "", "   "})
        EXPECT_FALSE(IsValidDrawLine(invalid)) << invalid;
    EXPECT_TRUE(IsBlankDrawLine(" \t\r"));
    EXPECT_FALSE(IsBlankDrawLine(" 0 "));
}

TEST(DrawLines, CheckCountsBlankLinesInTheTotalButNotAsErrors) {
    const TDrawLineCheck fine = CheckDrawLines({"1234567", "", "7654321", "  ", "0000000"});
    EXPECT_EQ(fine.Total, 5);
    EXPECT_EQ(fine.Errors, 0);
    EXPECT_EQ(
        CheckMessage(fine),
        "恭喜！全部5行号码都符合Marlu开奖号码格式要求;\r\n格式要求: 1期1行，每行7个连续数字。");

    const TDrawLineCheck bad = CheckDrawLines({"1234567", "123456", "", "1234 67", "abcdefg"});
    EXPECT_EQ(bad.Total, 5);
    EXPECT_EQ(bad.Errors, 3);
    // The message names the failing lines, counted as the editor shows them.
    EXPECT_EQ(bad.FirstErrorLines, (std::vector<int64_t>{2, 4, 5}));
    EXPECT_EQ(CheckMessage(bad),
              "糟糕！发现3行错误的开奖号码，请认真检查！\r\n第2、4、5行。" + FormatLine);
    std::vector<std::string> many(9, "x");
    EXPECT_EQ(CheckMessage(CheckDrawLines(many)),
              "糟糕！发现9行错误的开奖号码，请认真检查！\r\n第1、2、3、4、5行等。" + FormatLine);
    // A save counts lines after the blank ones are gone.
    EXPECT_EQ(SaveDrawLines({"", "1234567", " ", "12x4567"}).FirstErrorLines,
              (std::vector<int64_t>{2}));
}

TEST(DrawLines, PaddingAppendsZerosToShortDigitLinesOnly) {
    const TDrawLinePadding padded =
        PadDrawLines({"12345", "  ", " 123456a ", "12345678", "\t1 ", "1234567", "12 34", ""});
    EXPECT_EQ(padded.Lines,
              (Lines{"1234500", "123456a", "12345678", "1000000", "1234567", "12 34"}));
    EXPECT_EQ(padded.Padded, 2);
    EXPECT_EQ(PaddingMessage(padded.Padded), "已经完成开奖号码自动补零2行！" + FormatLine);
    // The lines that stay are still errors.
    EXPECT_EQ(CheckDrawLines(padded.Lines).Errors, 3);
    // Nothing short: the lines are still trimmed and blank ones dropped.
    EXPECT_EQ(PadDrawLines({" 1234567 ", "", "7654321", "   "}).Lines,
              (Lines{"1234567", "7654321"}));
    EXPECT_EQ(PaddingMessage(0), "没有发现需要自动补零的开奖号码。");
}

TEST(DrawLines, SaveDropsBlankLinesKeepsTheOthersAsTheyAreAndCountsErrors) {
    const TDrawLineSave save = SaveDrawLines({"  1234567", "", "7654321 ", " \t", "0000000"});
    EXPECT_EQ(save.Lines, (Lines{"  1234567", "7654321 ", "0000000"}));
    EXPECT_EQ(save.Errors, 0);

    EXPECT_EQ(SaveDrawLines({"1234 67", ""}).Errors, 1);
}

TEST(DrawLines, LoadReplacesTheDrawsWithTrimmedLinesAndKeepsSums) {
    TCodes draws;
    draws.SetCode(draws.Add(), DrawRecord{{0, 9, 9, 9, 9, 9, 9, 9}});
    LoadDrawLines({"  0381562", "", "1234567 ", "0000000"}, draws);
    ASSERT_EQ(draws.Count(), 3);
    EXPECT_EQ(draws.GetCode(0), (DrawRecord{{12, 0, 3, 8, 1, 5, 6, 2}}));
    EXPECT_EQ(draws.GetCode(1), (DrawRecord{{10, 1, 2, 3, 4, 5, 6, 7}}));
    EXPECT_EQ(draws.GetCode(2), DrawRecord{});
    EXPECT_EQ(DrawLinesOf(draws), (Lines{"0381562", "1234567", "0000000"}));

    LoadDrawLines({"", "  "}, draws);
    EXPECT_EQ(draws.Count(), 0);
    EXPECT_TRUE(DrawLinesOf(draws).empty());
}

TEST(DrawLines, LoadLeavesTheDrawsWholeWhenALineIsNoDraw) {
    TCodes draws;
    LoadDrawLines({"1111111", "2222222"}, draws);
    try {
        LoadDrawLines({"3333333", "12a4567"}, draws);
        FAIL() << "a line that is no draw was loaded";
    } catch (const TError& e) {
        EXPECT_STREQ(e.what(), "'a' is not a valid integer value");
    }
    EXPECT_EQ(DrawLinesOf(draws), (Lines{"1111111", "2222222"}));
}

}  // namespace
