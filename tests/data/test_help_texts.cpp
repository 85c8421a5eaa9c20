#include <gtest/gtest.h>

#include "data/HelpTexts.h"

// Position alone decides: no date check, no reordering; a short text gives the parts it has.
TEST(ReleaseDateText, TakesYearMonthAndDayByPosition) {
    for (auto [date, text] : {std::pair{"20190725", "发行日期:2019年07月25日"},
                              {"12345678", "发行日期:1234年56月78日"},
                              {"201907", "发行日期:2019年07月日"},
                              {"20", "发行日期:20年月日"},
                              {"", "发行日期:年月日"}})
        EXPECT_EQ(ReleaseDateText(date), text) << date;
}

TEST(HelpAddresses, AllLieOnTheMakersReservedDomain) {
    const std::string site = SupportSiteAddress();
    EXPECT_EQ(site, "https://www.bexmoor.example/");
    for (const std::string& below : {ProductPageAddress(), HelpPageAddress()}) {
        EXPECT_EQ(below.rfind(site, 0), 0u) << below;
        EXPECT_GT(below.size(), site.size()) << below;
        EXPECT_EQ(below.find_first_of(" \t\r\n"), std::string::npos) << below;
    }
    const std::string help = HelpPageAddress();
    EXPECT_EQ(help.substr(help.size() - 5), ".html");
    EXPECT_NE(help.rfind(ProductPageAddress(), 0), std::string::npos);
}

TEST(HelpAddresses, PictureHintIsWholeText) {
    // Picked out byte by byte, so a wrong position would break the UTF-8 of the Chinese part.
    EXPECT_EQ(ProductImageHint(), "点击访问Tolvane产品主页");
}

TEST(HelpTexts, TheMainCaptionNamesTheProgramAndWhatItDoes) {
    EXPECT_EQ(MainCaption(), "Tolvane v3.08 - Bexmoor www.bexmoor.example - 规律搜索与走势分析");
}
