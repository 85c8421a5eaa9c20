#include <gtest/gtest.h>

#include "search/ExtList.h"

namespace {

class NotAList : public TPersistent {};

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const TError& e) {
        return e.what();
    }
    return "(no error)";
}

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

TEST(TPointList, SetCountSetsExactCapacityAndZeroPoints) {
    TPointList list;
    list.SetCount(3);
    EXPECT_EQ(list.Capacity(), 3);
    EXPECT_EQ(list.Get(2), (TPoint{0, 0}));
    list.Add({1, 1});
    EXPECT_EQ(list.Capacity(), 7);
    list.SetCount(1);  // shrinking keeps the block
    EXPECT_EQ(list.Count(), 1);
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

TEST(TPointList, DeleteKeepsOrderAndCapacity) {
    TPointList list;
    for (int i = 0; i < 5; ++i) list.Add({i, 0});
    list.Delete(1);
    list.Delete(list.Count() - 1);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(0).X, 0);
    EXPECT_EQ(list.Get(1).X, 2);
    EXPECT_EQ(list.Get(2).X, 3);
    EXPECT_EQ(list.Capacity(), 8);
}

TEST(TPointList, HasDuplicatesComparesBothCoordinates) {
    TPointList list;
    EXPECT_FALSE(list.HasDuplicates());
    list.Add({1, -2});
    list.Add({-2, 1});
    EXPECT_FALSE(list.HasDuplicates());
    list.Add({3, 0});
    list.Add({1, -2});
    EXPECT_TRUE(list.HasDuplicates());
}

TEST(TPointList, AssignCopiesAndSelfAssignKeepsThePoints) {
    TPointList source;
    source.Add({1, 0});
    source.Add({2, -1});
    TPointList copy;
    copy.Add({9, 9});
    source.AssignTo(copy);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Get(1), (TPoint{2, -1}));
    copy.Assign(copy);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Get(0), (TPoint{1, 0}));
}

TEST(TPointList, StreamRoundTripAndTruncation) {
    TPointList empty;
    TMemoryStream emptyStream;
    empty.SaveToStream(emptyStream);
    EXPECT_EQ(emptyStream.Bytes(), (std::vector<uint8_t>{0, 0, 0, 0}));
    emptyStream.SetPosition(0);
    TPointList loadedEmpty;
    loadedEmpty.Add({1, 1});
    loadedEmpty.LoadFromStream(emptyStream);
    EXPECT_EQ(loadedEmpty.Count(), 0);
    EXPECT_EQ(loadedEmpty.Capacity(), 0);

    TPointList list;
    list.Add({1, 0});
    list.Add({-3, -7});
    TMemoryStream stream;
    list.SaveToStream(stream);
    EXPECT_EQ(stream.Size(), 4u + 16u);
    EXPECT_EQ(stream.Bytes()[12], 0xFD);  // -3, little-endian
    stream.SetPosition(0);
    TPointList back;
    back.LoadFromStream(stream);
    EXPECT_EQ(back.Capacity(), 2);
    EXPECT_EQ(back.Get(1), (TPoint{-3, -7}));

    TMemoryStream cut(std::vector<uint8_t>(stream.Bytes().begin(), stream.Bytes().end() - 3));
    EXPECT_THROW(back.LoadFromStream(cut), TTruncatedError);
    EXPECT_EQ(back.Count(), 2);

    TMemoryStream noCount(std::vector<uint8_t>{1, 0});
    EXPECT_THROW(back.LoadFromStream(noCount), TTruncatedError);

    TMemoryStream huge;
    huge.WriteInt32(134217728);
    huge.SetPosition(0);
    EXPECT_EQ(ErrorOf([&] { back.LoadFromStream(huge); }),
              "TPointList.SetCount NewCount isnot valid!");
}

}  // namespace
