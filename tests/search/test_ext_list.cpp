#include <gtest/gtest.h>

#include "search/ExtList.h"
#include "search/StepSums.h"
#include "tests/support/SearchTestSupport.h"

namespace {

class NotAList : public TPersistent {};

TEST(TPointList, GrowthSequenceFromEmpty) {
    TPointList list;
    std::vector<int32_t> capacities;
    for (int i = 0; i < 200; ++i) {
        list.Add({i, -i});
        if (capacities.empty() || capacities.back() != list.Capacity())
            capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int32_t>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147, 183, 228}));
    EXPECT_EQ(list.Get(150), (TPoint{150, -150}));
}

TEST(TPointList, SetCountAndDeleteKeepOrderAndCapacity) {
    TPointList list;
    list.SetCount(3);  // exact capacity, zero points
    EXPECT_EQ(list.Capacity(), 3);
    EXPECT_EQ(list.Get(2), (TPoint{0, 0}));
    for (int i = 0; i < 3; ++i) list.Put(i, {i, 0});
    list.Add({3, 0});
    EXPECT_EQ(list.Capacity(), 7);
    list.Delete(1);
    list.Delete(list.Count() - 1);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(1).X, 2);
    list.SetCount(1);  // shrinking keeps the block
    EXPECT_EQ(list.Capacity(), 7);
}

TEST(TPointList, ErrorsCarryTheirTextsAndChangeNothing) {
    TPointList list;
    EXPECT_EQ(ErrorOf([&] { list.Get(0); }), "TPointList.Get Index isnot valid!");
    list.Add({1, 2});
    list.Add({3, 4});
    EXPECT_EQ(ErrorOf([&] { list.Put(2, {}); }), "TPointList.Put Index isnot valid!");
    EXPECT_EQ(ErrorOf([&] { list.Delete(2); }), "TPointList.Delete Index isnot valid!");
    EXPECT_EQ(ErrorOf([&] { list.SetCount(-1); }), "TPointList.SetCount NewCount isnot valid!");
    EXPECT_EQ(ErrorOf([&] { list.SetCount(134217728); }),
              "TPointList.SetCount NewCount isnot valid!");
    EXPECT_EQ(ErrorOf([&] { list.SetCapacity(1); }),
              "TPointList.SetCapacity NewCapacity isnot valid!");
    NotAList other;
    EXPECT_EQ(ErrorOf([&] { list.Assign(other); }), "TPointList.Assign Source isnot valid!");
    EXPECT_EQ(ErrorOf([&] { list.AssignTo(other); }), "TPointList.AssignTo Dest isnot valid!");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(1), (TPoint{3, 4}));
}

TEST(TPointList, DuplicatesCompareBothCoordinatesAndSelfAssignKeepsThePoints) {
    TPointList list;
    list.Add({1, -2});
    list.Add({-2, 1});
    EXPECT_FALSE(list.HasDuplicates());
    TPointList copy;
    copy.Add({9, 9});
    list.AssignTo(copy);
    copy.Assign(copy);
    copy.Add({1, -2});
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.Get(1), (TPoint{-2, 1}));
    EXPECT_TRUE(copy.HasDuplicates());
}

TEST(TPointList, StreamRoundTripAndTruncation) {
    TPointList list;
    list.Add({1, 0});
    list.Add({-3, -7});
    TMemoryStream stream;
    list.SaveToStream(stream);
    EXPECT_EQ(stream.Size(), 4u + 16u);
    EXPECT_EQ(stream.Bytes()[12], 0xFD);  // -3, little-endian
    TPointList back;
    for (int i = 0; i < 3; ++i) back.Add({i, i});
    // Cut inside the points or the count: the list keeps what it had.
    for (size_t keep : {stream.Size() - 3, size_t(2)}) {
        TMemoryStream cut(
            std::vector<uint8_t>(stream.Bytes().begin(), stream.Bytes().begin() + keep));
        EXPECT_THROW(back.LoadFromStream(cut), TTruncatedError) << keep;
        EXPECT_EQ(back.Count(), 3);
    }
    stream.SetPosition(0);
    back.LoadFromStream(stream);
    EXPECT_EQ(back.Capacity(), 2);
    EXPECT_EQ(back.Get(1), (TPoint{-3, -7}));
    TMemoryStream huge;
    huge.WriteInt32(134217728);
    huge.SetPosition(0);
    EXPECT_EQ(ErrorOf([&] { back.LoadFromStream(huge); }),
              "TPointList.SetCount NewCount isnot valid!");
    TMemoryStream empty(std::vector<uint8_t>{0, 0, 0, 0});
    back.LoadFromStream(empty);
    EXPECT_EQ(back.Capacity(), 0);
}

// Points move between the object and a block as the capacity crosses four, both ways, and
// copies take them along.
TEST(TPointList, PointsSurviveMovesBetweenTheObjectAndABlock) {
    TPointList list;
    for (int i = 0; i < 6; ++i) list.Add({i, -i});
    EXPECT_EQ(list.Capacity(), 8);
    list.Delete(0);
    list.Delete(0);
    list.Delete(0);
    list.SetCapacity(3);
    TPointList copy(list);
    list.SetCapacity(4);
    list.Add({7, 7});
    list.SetCapacity(9);
    const std::vector<TPoint> expected = {{3, -3}, {4, -4}, {5, -5}, {7, 7}};
    ASSERT_EQ(list.Count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(list.Get(i), expected[i]) << i;
    copy = list;
    list.Clear();
    ASSERT_EQ(copy.Count(), 4);
    EXPECT_EQ(copy.Items()[3], (TPoint{7, 7}));
}

// Step sums read like a vector whatever they hold: digits, values beyond a byte, more than
// sixteen of them; copies compare equal.
TEST(TStepSums, KeepsEveryValueExactly) {
    const std::vector<std::vector<int32_t>> cases = {
        {},
        {0, 9, 4, 4},
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4, 5, 6, 7, 8},
        {3, 127, -128, 128},
        {15, 0, 16, 15},  // the largest value kept inside, then one past it
        {-1, 2},
        {-1000000, 5, 2147483647},
    };
    for (const auto& values : cases) {
        TStepSums sums;
        for (int32_t v : values) sums.push_back(v);
        EXPECT_EQ(sums, values);
        const TStepSums copy = sums;
        EXPECT_EQ(copy, sums);
        EXPECT_EQ(copy.size(), values.size());
        if (!values.empty()) {
            EXPECT_EQ(copy.at(values.size() - 1), values.back());
        }
        EXPECT_THROW(copy.at(values.size()), std::out_of_range);
    }
    EXPECT_FALSE((TStepSums{1, 2} == TStepSums{1, 3}));
}

}  // namespace
