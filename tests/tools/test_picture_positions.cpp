#include <gtest/gtest.h>

#include "tools/ToolPictures.h"

namespace {

TEST(PicturePositions, ListsAreSortedWithoutRepeats) {
    EXPECT_EQ(ParsePicturePositions("3,1,7,3"), (std::vector<int64_t>{1, 3, 7}));
    EXPECT_EQ(ParsePicturePositions("12"), (std::vector<int64_t>{12}));
}

TEST(PicturePositions, AnythingButPositiveNumbersIsRefused) {
    for (const char* bad : {"", "0", "-1", "1,,2", "1,", ",1", "a", "1.5", "2 "}) {
        try {
            ParsePicturePositions(bad);
            ADD_FAILURE() << bad;
        } catch (const TUsageError& e) {
            EXPECT_NE(e.Message.find("--gif"), std::string::npos) << bad;
        }
    }
}

}  // namespace
