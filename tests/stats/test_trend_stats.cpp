#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "stats/TrendStats.h"

namespace {

// Draws whose digits at position A are the given ones; the other positions hold 9 - digit.
void FillColumnA(TCodes& draws, const std::vector<int32_t>& digitsA) {
    draws.Clear();
    for (int32_t digit : digitsA) {
        const int32_t row = draws.Add();
        draws.SetNum(1, row, digit);
        for (int32_t p = 2; p <= 7; ++p) draws.SetNum(p, row, 9 - digit);
    }
}

struct DigitExpectation {
    int32_t Digit;
    int32_t Count;
    int32_t Current;
    int32_t Max;
    double Average;
    int32_t Streak;
};

void ExpectDigits(const TPositionTrend& trend, const std::vector<DigitExpectation>& table) {
    for (const DigitExpectation& e : table) {
        SCOPED_TRACE("digit " + std::to_string(e.Digit));
        EXPECT_EQ(trend.Count[e.Digit], e.Count);
        EXPECT_EQ(trend.Current[e.Digit], e.Current);
        EXPECT_EQ(trend.MaxOmission[e.Digit], e.Max);
        EXPECT_DOUBLE_EQ(trend.Average[e.Digit], e.Average);
        EXPECT_EQ(trend.Streak[e.Digit], e.Streak);
    }
}

// The cell values straight from their definition, for comparison.
int32_t NaiveOmission(const std::vector<int32_t>& column, int32_t row, int32_t digit) {
    int32_t value = 0;
    for (int32_t r = row; r >= 0; --r, ++value)
        if (column[static_cast<size_t>(r)] == digit) return value;
    return value;
}

}  // namespace

TEST(TrendWindow, TakesTheLastDrawsOrAllOfThem) {
    EXPECT_EQ(LastDraws(100, 30), (TTrendWindow{70, 30}));
    EXPECT_EQ(LastDraws(8, 100), (TTrendWindow{0, 8}));
    EXPECT_EQ(LastDraws(8, 0), (TTrendWindow{0, 8}));
    EXPECT_EQ(LastDraws(0, 30), (TTrendWindow{0, 0}));
}

TEST(TrendStats, FiveStatisticsOfAHandMadeHistory) {
    TCodes draws;
    FillColumnA(draws, {3, 3, 5, 3, 7, 7, 7, 1});
    const TTrendStats all = ComputeTrendStats(draws, LastDraws(draws.Count(), 0));
    ASSERT_EQ(all.Window, (TTrendWindow{0, 8}));
    ExpectDigits(all.Position(1), {
                                      {3, 3, 4, 4, 1.25, 2},  // first row, then a gap of one
                                      {7, 3, 1, 4, 1.25, 3},  // a run of three near the end
                                      {5, 1, 5, 5, 3.5, 1},
                                      {1, 1, 0, 7, 3.5, 1},  // in the last row
                                      {0, 0, 8, 8, 8.0, 0},  // absent: the whole window
                                  });
    // Position B holds 9 - A: the same figures under other digits.
    ExpectDigits(all.Position(2), {{6, 3, 4, 4, 1.25, 2}, {9, 0, 8, 8, 8.0, 0}});

    // The last four draws: 7 7 7 1.
    const TTrendStats last4 = ComputeTrendStats(draws, LastDraws(draws.Count(), 4));
    ASSERT_EQ(last4.Window, (TTrendWindow{4, 4}));
    ExpectDigits(last4.Position(1), {
                                        {3, 0, 4, 4, 4.0, 0},
                                        {7, 3, 1, 1, 0.25, 3},  // in the first row
                                        {1, 1, 0, 3, 1.5, 1},
                                    });
}

TEST(TrendStats, DigitInEveryRowAndEmptyHistory) {
    TCodes draws;
    FillColumnA(draws, {4, 4, 4, 4, 4});
    const TTrendStats stats = ComputeTrendStats(draws, LastDraws(draws.Count(), 30));
    EXPECT_EQ(stats.Window.Length, 5);
    ExpectDigits(stats.Position(1), {{4, 5, 0, 0, 0.0, 5}, {2, 0, 5, 5, 5.0, 0}});

    draws.Clear();
    const TTrendStats empty = ComputeTrendStats(draws, LastDraws(0, 30));
    ExpectDigits(empty.Position(7), {{0, 0, 0, 0, 0.0, 0}, {9, 0, 0, 0, 0.0, 0}});
    EXPECT_EQ(empty.Sum.Mean, 0.0);
}

TEST(TrendStats, ValueOutsideTheDigitsCountsAsNoDigit) {
    TCodes draws;
    FillColumnA(draws, {2, 2, 2});
    DrawRecord damaged = draws.GetCode(1);
    damaged[1] = 40;
    draws.SetCode(1, damaged);  // SetCode checks no range: a damaged document can hold this
    const TTrendStats stats = ComputeTrendStats(draws, LastDraws(3, 0));
    ExpectDigits(stats.Position(1), {{2, 2, 0, 1, 1.0 / 3.0, 1}});
    // Its sum 61 lies outside 0-36 and is left out of the frequencies and the mean.
    EXPECT_EQ(stats.Sum.Frequency[2 + 21], 2);
    EXPECT_DOUBLE_EQ(stats.Sum.Mean, 23.0);
}

TEST(TrendStats, SumsOfTheFirstFourDigits) {
    TCodes draws;
    for (const char* text : {"1234999", "0000000", "9999000", "1234000"}) {
        const int32_t row = draws.Add();
        for (int32_t p = 1; p <= 7; ++p) draws.SetNum(p, row, text[p - 1] - '0');
    }
    const TTrendStats stats = ComputeTrendStats(draws, LastDraws(4, 3));
    EXPECT_EQ(stats.Sum.Frequency[0], 1);
    EXPECT_EQ(stats.Sum.Frequency[36], 1);
    EXPECT_EQ(stats.Sum.Frequency[10], 1);
    EXPECT_DOUBLE_EQ(stats.Sum.Mean, 46.0 / 3.0);
}

TEST(TrendStats, HotAndColdMarksStandAgainstTheExpectedCounts) {
    using TMarks = std::vector<int8_t>;
    const auto marks = [](std::vector<int32_t> count, std::vector<double> expected) {
        return HotColdMarks(count, expected);
    };
    const std::vector<double> three(10, 3.0);
    // Most above 3: 3, 0, 9; most below: 4, then 1 and 2; 8 (2) is fourth; 3s are unmarked.
    EXPECT_EQ(marks({5, 1, 1, 9, 0, 3, 3, 3, 2, 4}, three),
              (TMarks{1, -1, -1, 1, -1, 0, 0, 0, 0, 1}));
    // Ties are marked alike, however many.
    EXPECT_EQ(marks({2, 2, 2, 2, 1, 1, 1, 1, 1, 1}, std::vector<double>(10, 1.4)),
              (TMarks{1, 1, 1, 1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(marks({3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, three), TMarks(10, 0));
    // The most frequent category is cold when it came less often than chance gives it.
    EXPECT_EQ(marks({10, 28, 12, 0}, {5.0, 34.2, 10.8, 0.0}), (TMarks{1, -1, 1, 0}));
    // Lengths that differ mark nothing.
    EXPECT_EQ(marks({1, 2}, {1.0}), TMarks(2, 0));
}

TEST(OmissionTable, CellValuesOfAFewRows) {
    TCodes draws;
    FillColumnA(draws, {3, 3, 5, 3, 7});
    const TOmissionTable table(draws, LastDraws(5, 0), 1);
    std::vector<int32_t> values;
    ASSERT_EQ(table.Fill(2, 3, values), 3);
    // Row 2 drew 5: 3 occurred one row back, 7 never (three rows counting row 2).
    EXPECT_EQ(std::vector<int32_t>(values.begin(), values.begin() + 10),
              (std::vector<int32_t>{3, 3, 3, 1, 3, 0, 3, 3, 3, 3}));
    EXPECT_EQ(std::vector<int32_t>(values.begin() + 20, values.end()),
              (std::vector<int32_t>{5, 5, 5, 1, 5, 2, 5, 0, 5, 5}));

    // Over the last two draws only, counting starts again at the window's first row.
    const TOmissionTable last2(draws, LastDraws(5, 2), 1);
    ASSERT_EQ(last2.Fill(0, 10, values), 2);
    EXPECT_EQ(values[5], 1);
    EXPECT_EQ(values[10 + 3], 1);
    EXPECT_EQ(values[10 + 7], 0);
    EXPECT_EQ(values[10 + 5], 2);
    EXPECT_EQ(last2.Fill(2, 1, values), 0);
    EXPECT_EQ(TOmissionTable(draws, LastDraws(5, 0), 8).Length(), 0);  // no such position
}

TEST(OmissionTable, RangesAcrossCheckpointsMatchTheDefinition) {
    TCodes draws;
    std::vector<int32_t> column;
    std::mt19937 random(7);
    for (int32_t i = 0; i < 3 * TOmissionTable::Stride + 40; ++i)
        // Digit 9 is rare, so its values run across checkpoints.
        column.push_back(random() % 50 == 0 ? 9 : static_cast<int32_t>(random() % 9));
    FillColumnA(draws, column);
    const TTrendWindow window = LastDraws(draws.Count(), 0);
    const TOmissionTable table(draws, window, 1);
    std::vector<int32_t> values;
    for (const auto& [first, rows] : std::vector<std::pair<int32_t, int32_t>>{
             {0, 30}, {250, 20}, {511, 3}, {700, 200}, {780, 100}}) {
        const int32_t filled = table.Fill(first, rows, values);
        ASSERT_EQ(values.size(), static_cast<size_t>(filled) * 10);
        for (int32_t r = 0; r < filled; ++r)
            for (int32_t d = 0; d < 10; ++d)
                ASSERT_EQ(values[static_cast<size_t>(r * 10 + d)],
                          NaiveOmission(column, first + r, d))
                    << "row " << first + r << " digit " << d;
    }
}
