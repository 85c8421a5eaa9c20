#include <gtest/gtest.h>

#include "tools/ToolPictures.h"

namespace {

TEST(PicturePositions, ListsAreSortedWithoutRepeats) {
    std::vector<int64_t> positions;
    std::string error;
    ASSERT_TRUE(ParsePicturePositions("3,1,7,3", positions, error));
    EXPECT_EQ(positions, (std::vector<int64_t>{1, 3, 7}));
    ASSERT_TRUE(ParsePicturePositions("12", positions, error));
    EXPECT_EQ(positions, (std::vector<int64_t>{12}));
}

TEST(PicturePositions, AnythingButPositiveNumbersIsRefused) {
    std::vector<int64_t> positions;
    for (const char* bad : {"", "0", "-1", "1,,2", "1,", ",1", "a", "1.5", "2 "}) {
        std::string error;
        EXPECT_FALSE(ParsePicturePositions(bad, positions, error)) << bad;
        EXPECT_NE(error.find("--gif"), std::string::npos) << bad;
    }
}

}  // namespace
