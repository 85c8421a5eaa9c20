#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "search/PatternRows.h"

namespace {

// Patterns of 1-12 points per line (so "点" texts of two and three digits), long and short
// step sums and every layout; the seed fixes them.
std::vector<std::unique_ptr<TGui2Reg>> RandomPatterns(size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::unique_ptr<TGui2Reg>> patterns;
    for (size_t i = 0; i < count; ++i) {
        auto p = std::make_unique<TGui2Reg>();
        const int high = 1 + static_cast<int>(random() % 12);
        const int low = 1 + static_cast<int>(random() % 12);
        for (int k = 0; k < high; ++k) p->Line(1).Add(TPoint{1 + k % 7, -1 - k / 7});
        for (int k = 0; k < low; ++k) p->Line(0).Add(TPoint{1 + k % 7, -(k / 7)});
        const int steps = 1 + static_cast<int>(random() % 14);
        for (int s = 0; s < steps; ++s)
            p->AddStep({static_cast<int32_t>(random() % 10), static_cast<int32_t>(random() % 10)});
        p->Layout = static_cast<int32_t>(random() % 5);
        p->ContrastKind = static_cast<int32_t>(random() % 4);
        p->SetPosition(0, 1 + static_cast<int>(random() % 7), true);
        p->SetResult(0, static_cast<int32_t>(random() % 10));
        patterns.push_back(std::move(p));
    }
    return patterns;
}

std::vector<const TGui2Reg*> Pointers(const std::vector<std::unique_ptr<TGui2Reg>>& patterns) {
    std::vector<const TGui2Reg*> out;
    for (const auto& p : patterns) out.push_back(p.get());
    return out;
}

// "点" as a number, read from the text the list shows: the independent order of the rows.
long long Points(const TGui2Reg* p) {
    return std::stoll(PatternColumnText(*p, 0));
}

std::vector<const TGui2Reg*> StableByPoints(std::vector<const TGui2Reg*> rows) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TGui2Reg* a, const TGui2Reg* b) { return Points(a) < Points(b); });
    return rows;
}

std::vector<const TGui2Reg*> Listed(const TPatternRows& rows) {
    std::vector<const TGui2Reg*> out;
    for (size_t r = 0; r < rows.Count(); ++r) out.push_back(rows.At(r));
    EXPECT_EQ(out, rows.Flatten());
    return out;
}

TEST(PatternRowsTest, PointsOrderIsAStableSortByTheShownNumber) {
    const auto patterns = RandomPatterns(3000, 11);
    const TPatternRows rows = TPatternRows::InPointsOrder(Pointers(patterns));
    EXPECT_FALSE(rows.FlatMode());
    EXPECT_EQ(Listed(rows), StableByPoints(Pointers(patterns)));
    EXPECT_THROW(rows.At(rows.Count()), std::out_of_range);
}

// Random appends, removals and put-backs against a plain vector kept by the same rules: an
// append leaves the rows a stable sort by "点" of the old rows followed by the new.
TEST(PatternRowsTest, EditsKeepThePointsOrderOfAPlainList) {
    const auto patterns = RandomPatterns(4000, 5);
    const std::vector<const TGui2Reg*> all = Pointers(patterns);
    std::mt19937 random(3);
    for (const bool flat : {false, true}) {
        TPatternRows rows = flat ? TPatternRows::Flat({}) : TPatternRows::InPointsOrder({});
        std::vector<const TGui2Reg*> expected;
        size_t next = 0;
        for (int step = 0; step < 300 && next < all.size(); ++step) {
            const unsigned kind = random() % 3;
            if (kind == 0 && !flat) {  // append a batch, grouped by "点" text as the model does
                const size_t n = std::min<size_t>(1 + random() % 40, all.size() - next);
                const std::span<const TGui2Reg* const> batch(all.data() + next, n);
                std::vector<const TGui2Reg*> left(batch.begin(), batch.end());
                while (!left.empty()) {
                    const std::string key = PatternCompareKey(*left.front(), 0);
                    std::vector<const TGui2Reg*> group, rest;
                    for (const TGui2Reg* p : left)
                        (PatternCompareKey(*p, 0) == key ? group : rest).push_back(p);
                    const size_t b = rows.BucketFor(key);
                    const size_t first = rows.BucketEnd(b);
                    rows.AppendTo(b, group);
                    EXPECT_EQ(rows.At(first), group.front());
                    left = rest;
                }
                expected.insert(expected.end(), batch.begin(), batch.end());
                expected = StableByPoints(expected);
                next += n;
            } else if (kind == 1 && !expected.empty()) {  // remove a run ending at a row
                const size_t last = random() % expected.size();
                const size_t floor = rows.RunFloor(last);
                const size_t first = last - std::min<size_t>(random() % 5, last - floor);
                rows.Erase(first, last);
                expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(first),
                               expected.begin() + static_cast<std::ptrdiff_t>(last) + 1);
            } else {  // put one back near a row
                const TGui2Reg* p = all[next++];
                const size_t placed = rows.PlaceOf(random() % (expected.size() + 3), *p);
                rows.InsertAt(placed, p);
                expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(placed), p);
            }
            ASSERT_EQ(Listed(rows), expected) << "step " << step;
            if (!flat) {
                ASSERT_EQ(expected, StableByPoints(expected)) << "step " << step;
            }
        }
        // RowsOf finds every second pattern's row.
        std::vector<const TGui2Reg*> wanted;
        std::vector<int> wantedRows;
        for (size_t r = 0; r < expected.size(); r += 2) {
            wanted.push_back(expected[r]);
            wantedRows.push_back(static_cast<int>(r));
        }
        EXPECT_EQ(rows.RowsOf(wanted), wantedRows);
        TPatternRows other = TPatternRows::InPointsOrder({all[0]});
        rows.Swap(other);
        EXPECT_EQ(Listed(other), expected);
        EXPECT_EQ(Listed(rows), std::vector<const TGui2Reg*>{all[0]});
        rows.Clear();
        EXPECT_EQ(rows.Count(), 0u);
    }
}

// The sort order against std::stable_sort with the whole keys, for every column and both
// directions: the packed 16-byte prefixes and the number shortcut must give the same order.
TEST(PatternRowsTest, SortOrderIsAStableSortByTheWholeKeys) {
    const auto patterns = RandomPatterns(2500, 9);
    const std::vector<const TGui2Reg*> rows = Pointers(patterns);
    for (int column = 0; column < PatternColumnCount; ++column) {
        for (const bool descending : {false, true}) {
            std::vector<uint32_t> expected(rows.size());
            for (uint32_t i = 0; i < expected.size(); ++i) expected[i] = i;
            std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
                const int c = ComparePatterns(*rows[a], *rows[b], column);
                return descending ? c > 0 : c < 0;
            });
            EXPECT_EQ(PatternSortOrder(rows, column, descending, nullptr), expected)
                << "column " << column << (descending ? " descending" : "");
        }
    }
}

TEST(PatternRowsTest, KeysOrderNumbersByValueAndTextsByTheirBytes) {
    const struct {
        int Column;
        int HighA, LowA, StepsA;
        int HighB, LowB, StepsB;
        int Sign;  // of Compare(a, b)
    } cases[] = {
        {0, 9, 9, 1, 10, 1, 1, -1},  // "99" before "101"
        {0, 2, 3, 1, 2, 3, 9, 0},    // same "点"
        {1, 2, 2, 9, 2, 2, 10, -1},  // 9 steps before 10
        {1, 2, 2, 12, 2, 2, 3, 1},
    };
    for (const auto& c : cases) {
        auto a = std::move(RandomPatterns(1, 1).front());
        auto b = std::move(RandomPatterns(1, 1).front());
        for (auto* p : {a.get(), b.get()}) {
            p->Line(0).Clear();
            p->Line(1).Clear();
        }
        for (int k = 0; k < c.HighA; ++k) a->Line(1).Add(TPoint{1, -1 - k});
        for (int k = 0; k < c.LowA; ++k) a->Line(0).Add(TPoint{1, -k});
        for (int k = 0; k < c.HighB; ++k) b->Line(1).Add(TPoint{1, -1 - k});
        for (int k = 0; k < c.LowB; ++k) b->Line(0).Add(TPoint{1, -k});
        a->StepTotal = c.StepsA;
        b->StepTotal = c.StepsB;
        const int sign = ComparePatterns(*a, *b, c.Column);
        EXPECT_EQ((sign > 0) - (sign < 0), c.Sign) << "column " << c.Column;
        EXPECT_TRUE(IsNumericPatternColumn(c.Column));
    }
    EXPECT_FALSE(IsNumericPatternColumn(2));
}

}  // namespace
