#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "data/Error.h"
#include "search/SearchWalk.h"

namespace {

std::vector<std::pair<int32_t, int32_t>> SearchedPairs(const SearchOptions& options) {
    const TWalkGrid grid = MakeWalkGrid(options);
    std::vector<std::pair<int32_t, int32_t>> pairs;
    int32_t nl = grid.MinPoints, nh = grid.MinPoints;
    if (grid.MinPoints > grid.MaxPoints) return pairs;
    do {
        if (PairSearched(options, nl, nh)) pairs.emplace_back(nl, nh);
    } while (NextCountPair(grid, nl, nh));
    return pairs;
}

// Every choice of one pair in walk order, accepted or not.
std::vector<TChoice> WalkPair(const SearchOptions& options, int32_t nl, int32_t nh) {
    const TWalkGrid grid = MakeWalkGrid(options);
    std::vector<TChoice> choices;
    TChoice choice = FirstChoice(grid, nl, nh);
    do {
        choices.push_back(choice);
    } while (NextChoice(grid, choice));
    return choices;
}

TEST(SearchWalk, CountPairOrder) {
    using P = std::pair<int32_t, int32_t>;
    EXPECT_EQ(SearchedPairs(SearchOptions{}), (std::vector<P>{{2, 2}, {2, 3}, {3, 2}, {3, 3}}));

    SearchOptions one;
    one.LinedPtMinSe = one.LinedPtMaxSe = 1;
    one.LinegPtMinSe = one.LinegPtMaxSe = 3;
    EXPECT_EQ(SearchedPairs(one), (std::vector<P>{{1, 3}}));

    // Minimum above maximum on one line: nothing is searched.
    SearchOptions empty;
    empty.LinegPtMinSe = 5;
    EXPECT_TRUE(SearchedPairs(empty).empty());
    // On both lines m > M, which must still end.
    empty.LinedPtMinSe = 20;
    EXPECT_TRUE(SearchedPairs(empty).empty());
}

TEST(SearchWalk, FirstChoiceAndTheCandidateTest) {
    const TWalkGrid grid = MakeWalkGrid(SearchOptions{});
    TChoice choice = FirstChoice(grid, 2, 2);
    EXPECT_EQ(choice.Cells, (std::vector<int32_t>{0, 1, 4, 5}));
    EXPECT_TRUE(AcceptChoice(grid, choice));
    // Low line starting in row offset 1, a shared cell, high line starting before the low one.
    for (std::vector<int32_t> cells :
         {std::vector<int32_t>{4, 5, 8, 9}, {0, 5, 5, 9}, {1, 5, 0, 9}}) {
        choice.Cells = cells;
        EXPECT_FALSE(AcceptChoice(grid, choice)) << cells[0] << cells[1] << cells[2];
    }
    TChoice three = FirstChoice(grid, 3, 2);
    three.Cells = {0, 1, 2, 3, 9};  // position 3 is in row offset 0
    EXPECT_FALSE(AcceptChoice(grid, three));
    three.Cells = {0, 1, 2, 4, 9};
    EXPECT_TRUE(AcceptChoice(grid, three));
}

TEST(SearchWalk, DefaultPairWalksLowOuterHighInner) {
    const std::vector<TChoice> choices = WalkPair(SearchOptions{}, 2, 2);
    // Low combinations of 16 cells by high combinations of 20 cells, no early end.
    EXPECT_EQ(choices.size(), 120u * 190u);
    EXPECT_EQ(choices[1].Cells, (std::vector<int32_t>{0, 1, 4, 6}));
    EXPECT_EQ(choices[190].Cells, (std::vector<int32_t>{0, 2, 4, 5}));
    EXPECT_EQ(choices.back().Cells, (std::vector<int32_t>{14, 15, 22, 23}));
}

TEST(SearchWalk, WideGridEndsEarly) {
    SearchOptions options;
    options.RefSumChk = options.RefTailChk = true;
    const TWalkGrid grid = MakeWalkGrid(options);
    const std::vector<TChoice> choices = WalkPair(options, 2, 2);
    EXPECT_EQ(choices.back().Low()[0], 5);  // the first choice whose low line starts at 5
    for (size_t i = 0; i + 1 < choices.size(); ++i) EXPECT_LT(choices[i].Low()[0], 5);
    for (const TChoice& choice : choices) {
        if (!AcceptChoice(grid, choice)) continue;
        for (int32_t cell : choice.Cells) EXPECT_FALSE(cell >= 5 && cell <= 7);
    }
}

TEST(SearchWalk, StyleJumpsSkipTheSumCell) {
    SearchOptions options;
    options.RefSumChk = true;  // W = 5
    options.FallStyleGbx = 1;
    const std::vector<TChoice> choices = WalkPair(options, 2, 2);
    EXPECT_EQ(choices[0].Cells, (std::vector<int32_t>{0, 1, 5, 6}));
    // The first advance moves the low line off the sum cell and into row offset 1.
    EXPECT_EQ(choices[1].Cells, (std::vector<int32_t>{1, 5, 5, 6}));
    options.FallStyleGbx = 3;
    const std::vector<TChoice> diff = WalkPair(options, 2, 2);
    EXPECT_EQ(diff[1].Cells,
              (std::vector<int32_t>{1, 5, 5, 7}));  // the high line keeps its advance
}

TEST(SearchWalk, RejectsOptionsThatLeaveTheGrid) {
    SearchOptions far, zero, fine;
    far.LinegDistMinSe = 20;  // high line far below the grid
    zero.LinedPtMinSe = 0;
    EXPECT_THROW(CheckWalkOptions(far, MakeWalkGrid(far)), TError);
    EXPECT_THROW(CheckWalkOptions(zero, MakeWalkGrid(zero)), TError);
    fine.LinegPtMinSe = 9;  // empty count range: an empty search, not an error
    EXPECT_NO_THROW(CheckWalkOptions(fine, MakeWalkGrid(fine)));
}

TEST(SearchWalk, RandomDigitIsARepeatableDigitThatVaries) {
    int seen[10] = {};
    for (int64_t candidate = 1; candidate <= 1000; ++candidate) {
        const int32_t digit = RandomResultDigit(42, candidate, 1);
        ASSERT_TRUE(digit >= 0 && digit <= 9) << digit;
        ASSERT_EQ(digit, RandomResultDigit(42, candidate, 1));
        ++seen[digit];
    }
    for (int count : seen) EXPECT_GT(count, 50);
}

}  // namespace
