#include <gtest/gtest.h>

#include "search/OptionRules.h"
#include "search/SearchWalk.h"

namespace {

using Problems = std::vector<std::string>;

TEST(OptionRules, EveryMinimumAboveItsMaximumIsNamedWithTheDialogsWords) {
    SearchOptions options;
    options.LinegDistMinSe = 5;
    options.LinegDistMaxSe = 4;
    options.LinegPtMinSe = 4;
    options.LinedDistMinSe = 5;
    options.LinedPtMinSe = 20;
    EXPECT_EQ(SearchOptionProblems(options),
              (Problems{"高线跨越第5行至4行：起始行不能大于结束行。",
                        "高线有4个至3个点：最少点数不能大于最多点数。",
                        "低线有20个至3个点：最少点数不能大于最多点数。"}));
    EXPECT_EQ(
        SearchOptionMessage(options).rfind("这组搜索设置无法搜索，请修改后再确定：\r\n高线", 0),
        0u);
    EXPECT_EQ(SearchOptionMessage(SearchOptions{}), "");  // the defaults search
}

TEST(OptionRules, TheLowLinesFirstRowIsNeverRefused) {
    SearchOptions options;  // the search always starts the low line at row 0
    options.LinedDistMinSe = 5;
    options.LinedDistMaxSe = 1;
    EXPECT_TRUE(SearchOptionProblems(options).empty());
}

TEST(OptionRules, RowsMustHoldTheLargestPointCountOfTheirLine) {
    SearchOptions options;  // four cells per row
    options.LinegDistMinSe = 2;
    options.LinegDistMaxSe = 2;
    options.LinegPtMinSe = 1;
    options.LinegPtMaxSe = 4;
    EXPECT_TRUE(SearchOptionProblems(options).empty());
    options.LinegPtMaxSe = 5;
    EXPECT_EQ(SearchOptionProblems(options),
              (Problems{"高线跨越第2行至2行，只有4个格子，容纳不下5个点。"}));
    options.RefSumChk = true;  // five cells per row
    EXPECT_TRUE(SearchOptionProblems(options).empty());

    SearchOptions low;
    low.LinedDistMaxSe = 0;  // the low line keeps to the coming draw's row
    low.LinedPtMaxSe = 5;
    EXPECT_EQ(SearchOptionProblems(low),
              (Problems{"低线跨越第0行至0行，只有4个格子，容纳不下5个点。"}));
}

// Over many small option sets: the rules pass exactly those whose first choice of the largest
// count pair keeps each line within its own rows and the whole choice within the grid.
TEST(OptionRules, PassExactlyTheOptionsWhoseLinesFitTheirRows) {
    int passed = 0, refused = 0;
    for (int sum = 0; sum <= 1; ++sum)
        for (int lowLast = 0; lowLast <= 2; ++lowLast)
            for (int highFirst = 0; highFirst <= 3; ++highFirst)
                for (int highLast = highFirst; highLast <= 3; ++highLast)
                    for (int points = 1; points <= 11; ++points) {
                        SearchOptions options;
                        options.RefSumChk = sum == 1;
                        options.LinedDistMaxSe = lowLast;
                        options.LinegDistMinSe = highFirst;
                        options.LinegDistMaxSe = highLast;
                        options.LinedPtMinSe = options.LinegPtMinSe = 1;
                        options.LinedPtMaxSe = options.LinegPtMaxSe = points;
                        const TWalkGrid grid = MakeWalkGrid(options);
                        const TChoice first = FirstChoice(grid, points, points);
                        const bool fits = first.Low()[points - 1] <= grid.Highest[0] &&
                                          first.High()[points - 1] <= grid.Highest[1] &&
                                          first.High()[points - 1] < grid.CellCount;
                        const bool accepted = SearchOptionProblems(options).empty();
                        EXPECT_EQ(accepted, fits)
                            << "sum " << sum << " low rows 0-" << lowLast << " high rows "
                            << highFirst << "-" << highLast << " points " << points;
                        (accepted ? passed : refused) += 1;
                    }
    EXPECT_GT(passed, 100);
    EXPECT_GT(refused, 100);
}

TEST(OptionRules, TwoDigitDifferenceNeedsTheHighLineFromTheComingDraw) {
    SearchOptions options;
    options.FallStyleGbx = 3;
    options.LinegDistMinSe = 1;
    EXPECT_EQ(SearchOptionProblems(options),
              (Problems{"落码类型为“两位差分”时，高线必须从第0行开始。"}));
    options.LinegDistMinSe = 0;
    EXPECT_TRUE(SearchOptionProblems(options).empty());
    options.FallStyleGbx = 1;
    options.LinegDistMinSe = 1;
    EXPECT_TRUE(SearchOptionProblems(options).empty());
}

TEST(OptionRules, TheWalksOwnLimitsStillApply) {
    SearchOptions options;
    options.LinegDistMaxSe = 5000;
    const Problems problems = SearchOptionProblems(options);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "搜索条件无效：彩线跨越的行数太多。");
}

}  // namespace
