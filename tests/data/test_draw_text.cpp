#include <gtest/gtest.h>

#include "data/DrawText.h"

namespace {

std::string ConversionMessage(std::string_view text) {
    try {
        StrToInt(text);
    } catch (const TError& e) {
        return e.what();
    }
    return "(converted)";
}

TEST(DrawText, ZeroPad7PadsWithZerosEvenAroundASign) {
    EXPECT_EQ(ZeroPad7(12345), "0012345");
    EXPECT_EQ(ZeroPad7(0), "0000000");
    EXPECT_EQ(ZeroPad7(-5), "00000-5");
    EXPECT_EQ(ZeroPad7(12345678), "12345678");
}

TEST(DrawText, DrawTextRoundTripsAndFailsAtTheFirstBadCharacter) {
    DrawRecord r;
    TextToDraw("0381562", r);
    EXPECT_EQ(DrawToText(r), "0381562");
    EXPECT_EQ(r[2], 3);
    EXPECT_EQ(r[0], 0);  // the sum is left alone

    DrawRecord partial;
    try {
        TextToDraw("98765", partial);
        ADD_FAILURE();
    } catch (const TError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
    EXPECT_EQ(partial[5], 5);
    EXPECT_EQ(partial[6], 0);
}

TEST(DrawText, IsAllDigits) {
    EXPECT_FALSE(IsAllDigits(""));
    EXPECT_TRUE(IsAllDigits("0381562"));
    EXPECT_FALSE(IsAllDigits("038156a"));
}

TEST(DrawText, SplitTextDropsEmptyItems) {
    EXPECT_EQ(SplitText("#", "2010#1234567#"), (std::vector<std::string>{"2010", "1234567"}));
    EXPECT_TRUE(SplitText("#", "##").empty());
    EXPECT_TRUE(SplitText("#", "").empty());
    EXPECT_EQ(SplitText("", "  a#b \r\n"), (std::vector<std::string>{"a#b"}));
    EXPECT_EQ(SplitText("#", "#1##2 #"), (std::vector<std::string>{"1", "2 "}));
}

TEST(DrawText, IntegerSyntaxAcceptsSignsAndHexPrefixes) {
    EXPECT_EQ(StrToInt("+123456"), 123456);
    EXPECT_EQ(StrToInt("-123456"), -123456);
    EXPECT_EQ(StrToInt("0012345"), 12345);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("x1f"), 31);
    EXPECT_EQ(StrToInt("0X10"), 16);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
}

TEST(DrawText, IntegerSyntaxRejectsEverythingElseWithTheQuotedText) {
    EXPECT_EQ(ConversionMessage("12 3456"), "'12 3456' is not a valid integer value");
    EXPECT_EQ(ConversionMessage("-"), "'-' is not a valid integer value");
    EXPECT_EQ(ConversionMessage(""), "'' is not a valid integer value");
    EXPECT_EQ(ConversionMessage("#123456"), "'#123456' is not a valid integer value");
    EXPECT_EQ(ConversionMessage(" 12"), "' 12' is not a valid integer value");
    EXPECT_EQ(ConversionMessage("0x"), "'0x' is not a valid integer value");
    EXPECT_EQ(ConversionMessage("12a"), "'12a' is not a valid integer value");
    EXPECT_EQ(ConversionMessage("2147483648"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(ConversionMessage("$100000000"), "'$100000000' is not a valid integer value");
}

TEST(DrawText, SplitLinesBreaksAtCrLfAndStopsAtZero) {
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines(std::string_view("a\nb\0c\nd", 7)), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
}

}  // namespace
