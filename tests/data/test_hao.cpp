#include <gtest/gtest.h>

#include "data/Hao.h"

namespace {

class NotCodes : public TPersistent {};

DrawRecord Digits(std::initializer_list<int32_t> digits) {
    DrawRecord r;
    int p = 1;
    for (int32_t d : digits) r[p++] = d;
    return r;
}

TEST(TCodes, SumOfDigitsOneToFourIsKeptByTheList) {
    TCodes codes;
    const int32_t row = codes.Add();
    EXPECT_EQ(row, 0);
    for (int p = 0; p < 8; ++p) EXPECT_EQ(codes.GetNum(p, row), 0);
    codes.SetNum(2, row, 7);
    EXPECT_EQ(codes.GetNum(0, row), 7);
    codes.SetNum(6, row, 9);  // digits 5-7 never enter the sum
    EXPECT_EQ(codes.GetNum(0, row), 7);

    codes.SetCode(row, Digits({1, 2, 3, 4, 0, 0, 0}));
    codes.SetNum(0, row, 5);  // a written sum is replaced at once
    EXPECT_EQ(codes.GetNum(0, row), 10);
}

TEST(TCodes, ArgumentErrorsCarryTheirTextsAndChangeNothing) {
    TCodes codes;
    codes.Add();
    auto expectError = [](auto&& call, const char* text) {
        try {
            call();
            ADD_FAILURE() << "no error for " << text;
        } catch (const TError& e) {
            EXPECT_STREQ(e.what(), text);
        }
    };
    expectError([&] { codes.SetNum(1, 0, 10); }, "SetNum Err!");
    expectError([&] { codes.SetNum(1, 0, -1); }, "SetNum Err!");
    expectError([&] { codes.SetNum(8, 0, 1); }, "SetNum Err!");
    expectError([&] { codes.SetNum(1, 1, 1); }, "SetNum Err!");
    expectError([&] { codes.GetCode(1); }, "TCodes.GeTCode Err!");
    expectError([&] { codes.SetCode(-1, DrawRecord{}); }, "SetCode Err!");
    expectError([&] { codes.SetCount(-1); }, "TCodes.SetCount NewCount is not valid!");
    expectError([&] { codes.GetNum(8, 0); }, "TCodes.GetNum Err!");
    expectError([&] { codes.GetNum(1, 1); }, "TCodes.GetNum Err!");
    NotCodes other;
    expectError([&] { codes.Assign(other); }, "TCodes.Assign Source isnot valid!");
    expectError([&] { codes.AssignTo(other); }, "TCodes.AssignTo Dest isnot valid!");
    EXPECT_EQ(codes.Count(), 1);
    EXPECT_EQ(codes.GetCode(0), DrawRecord{});
}

TEST(TCodes, ModifiedFollowsRealChangesOnly) {
    TCodes source;
    source.Add();
    source.SetCode(0, Digits({1, 2, 3, 4, 5, 6, 7}));
    TMemoryStream stream;
    source.SaveToStream(stream);
    stream.SetPosition(0);

    TCodes codes;
    EXPECT_TRUE(codes.Modified());  // a new list has never been saved
    codes.LoadFromStream(stream);
    EXPECT_FALSE(codes.Modified());
    codes.SetCount(codes.Count());
    EXPECT_FALSE(codes.Modified());
    codes.SetCode(0, codes.GetCode(0));
    EXPECT_FALSE(codes.Modified());
    codes.SetCode(0, Digits({9, 9, 9, 9, 0, 0, 0}));
    EXPECT_TRUE(codes.Modified());
    EXPECT_EQ(codes.GetNum(0, 0), 36);
}

TEST(TCodes, StreamFormAndAssign) {
    TCodes codes;
    codes.Add();
    codes.SetCode(0, Digits({0, 3, 8, 1, 5, 6, 2}));
    TMemoryStream stream;
    codes.SaveToStream(stream);
    const std::vector<uint8_t>& b = stream.Bytes();
    ASSERT_EQ(b.size(), 8u + 32u);  // FirstIssue, Count, then raw rows
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[4], 1);
    EXPECT_EQ(b[8], 12);         // position 0: 0+3+8+1
    EXPECT_EQ(b[8 + 3 * 4], 8);  // position 3, the third digit

    // A loaded list with its own first issue takes the source's, and counts as changed.
    TMemoryStream issuedStream;
    issuedStream.WriteInt32(2010);
    issuedStream.WriteInt32(0);
    issuedStream.SetPosition(0);
    TCodes back;
    back.LoadFromStream(issuedStream);
    back.Assign(codes);
    EXPECT_EQ(back.FirstIssue(), 1);
    EXPECT_TRUE(back.Modified());
    back.Assign(back);  // assigning to itself keeps the rows
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.GetCode(0), codes.GetCode(0));
}

TEST(TCodes, TruncatedOrHostileStreamIsRejectedAndListIsKept) {
    TCodes codes;
    codes.Add();
    codes.SetNum(1, 0, 4);
    // FirstIssue 1 and a row count, then the given number of row bytes.
    const auto streamOf = [](int32_t count, size_t rowBytes) {
        TMemoryStream stream;
        stream.WriteInt32(1);
        stream.WriteInt32(count);
        stream.Write(std::vector<uint8_t>(rowBytes).data(), rowBytes);
        stream.SetPosition(0);
        return stream;
    };
    TMemoryStream cutHeader(std::vector<uint8_t>{1, 0, 0, 0, 2});
    EXPECT_THROW(codes.LoadFromStream(cutHeader), TTruncatedError);
    TMemoryStream cutRows = streamOf(2, 40);
    EXPECT_THROW(codes.LoadFromStream(cutRows), TTruncatedError);
    TMemoryStream hugeCount = streamOf(0x7FFFFFFF, 0);  // must not try to allocate 64 GB
    EXPECT_THROW(codes.LoadFromStream(hugeCount), TTruncatedError);
    TMemoryStream negative = streamOf(-3, 0);
    try {
        codes.LoadFromStream(negative);
        ADD_FAILURE();
    } catch (const TError& e) {
        EXPECT_STREQ(e.what(), "TCodes.SetCount NewCount is not valid!");
    }
    ASSERT_EQ(codes.Count(), 1);
    EXPECT_EQ(codes.GetNum(1, 0), 4);
}

}  // namespace
