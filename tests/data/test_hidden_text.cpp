#include <gtest/gtest.h>

#include "data/HiddenText.h"

TEST(HiddenText, HideThenRevealGivesThePlainTextBack) {
    for (size_t first : {0u, 1u, 5u}) {
        for (size_t stride : {1u, 2u, 3u, 7u}) {
            const std::string plain = "https://www.bexmoor.example/help/";
            const std::string stored = HideText(plain, first, stride);
            EXPECT_EQ(RevealText(stored, first, stride), plain) << first << "/" << stride;
            if (stride > 1) {
                EXPECT_EQ(stored.find(plain), std::string::npos);
            }
        }
    }
}

TEST(HiddenText, RevealPicksFixedPositionsOnly) {
    EXPECT_EQ(RevealText("xAyBzC", 1, 2), "ABC");
    EXPECT_EQ(RevealText("AB", 5, 2), "");
    EXPECT_EQ(RevealText("ABC", 0, 0), "");
}
