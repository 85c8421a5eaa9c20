#include <gtest/gtest.h>

#include <functional>

#include "data/DrawText.h"

namespace {

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const TError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(DrawText, ZeroPad7PadsWithZerosEvenAroundASign) {
    EXPECT_EQ(ZeroPad7(12345), "0012345");
    EXPECT_EQ(ZeroPad7(-5), "00000-5");
    EXPECT_EQ(ZeroPad7(12345678), "12345678");
}

TEST(DrawText, DrawTextRoundTripsAndFailsAtTheFirstBadCharacter) {
    DrawRecord r;
    TextToDraw("0381562", r);
    EXPECT_EQ(DrawToText(r), "0381562");
    EXPECT_EQ(r[0], 0);  // the sum is left alone

    DrawRecord partial;
    EXPECT_EQ(ErrorOf([&] { TextToDraw("98765", partial); }), "'' is not a valid integer value");
    EXPECT_EQ(partial[5], 5);
    EXPECT_EQ(partial[6], 0);
    EXPECT_FALSE(IsAllDigits(""));
    EXPECT_FALSE(IsAllDigits("038156a"));
}

TEST(DrawText, SplittingDropsEmptyItemsAndStopsAtZero) {
    EXPECT_EQ(SplitText("#", "#1##2 #"), (std::vector<std::string>{"1", "2 "}));
    EXPECT_TRUE(SplitText("#", "##").empty());
    EXPECT_EQ(SplitText("", "  a#b \r\n"), (std::vector<std::string>{"a#b"}));
    EXPECT_EQ(SplitLines("a\r\nb\rc\n\nd\n"), (std::vector<std::string>{"a", "b", "c", "", "d"}));
    EXPECT_EQ(SplitLines(std::string_view("a\nb\0c\nd", 7)), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(DrawText, IntegerSyntax) {
    const std::pair<const char*, int32_t> accepted[] = {{"+123456", 123456},
                                                        {"-123456", -123456},
                                                        {"0012345", 12345},
                                                        {"$1F", 31},
                                                        {"x1f", 31},
                                                        {"0X10", 16},
                                                        {"-$10", -16},
                                                        {"2147483647", INT32_MAX},
                                                        {"-2147483648", INT32_MIN},
                                                        {"$FFFFFFFF", -1}};
    for (auto [text, value] : accepted) EXPECT_EQ(StrToInt(text), value) << text;
    for (const char* text :
         {"12 3456", "-", "", "#123456", " 12", "0x", "12a", "2147483648", "$100000000"})
        EXPECT_EQ(ErrorOf([&] { StrToInt(text); }),
                  "'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace
