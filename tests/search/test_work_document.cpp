#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>

#include "data/FileIo.h"
#include "data/Platform.h"
#include "search/Gui2RegMgr.h"
#include "search/WorkDocument.h"
#include "tests/support/SearchTestSupport.h"
#include "tests/support/TempFolder.h"

namespace {

// A found-looking pattern: low line with nLow points predicting at column 1, nHigh points above.
std::unique_ptr<TGui2Reg> MakePattern(int nLow, int nHigh, int steps, int seed) {
    auto reg = std::make_unique<TGui2Reg>();
    for (int i = 0; i < nLow; ++i) reg->Line(0).Add({1 + i, -i});
    for (int i = 0; i < nHigh; ++i) reg->Line(1).Add({1 + i % 4, -1 - i});
    reg->Layout = 1 + seed % 4;
    reg->ContrastKind = 1 + seed % 3;
    reg->BaseRow = 10 + seed;
    for (int s = 0; s < steps; ++s) reg->AddStep({(s + seed) % 10, (s * 3 + seed) % 10});
    reg->SetPosition(0, 1, true);
    reg->SetResult(0, seed % 10);
    return reg;
}

// Raw bytes of a document; the search draws are written by hand, as only a load sets them.
std::vector<uint8_t> SampleDocument() {
    TMemoryStream stream;
    RandomDraws(1, 3)->SaveToStream(stream);
    stream.WriteInt32(2);
    MakePattern(2, 3, 4, 1)->SaveToStream(stream);
    MakePattern(3, 2, 5, 2)->SaveToStream(stream);
    RandomDraws(5, 2)->SaveToStream(stream);
    return stream.Bytes();
}

class WorkDocumentTest : public ::testing::Test {
  protected:
    SearchOptions options;
    TGui2RegMgr manager{options};
    TCodes grid;
};

TEST_F(WorkDocumentTest, EmptyDocumentIsTwentyBytes) {
    const auto bytes = WriteWorkDocument(grid, manager);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                           1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(WorkDocumentTest, ReadsEveryPieceAndWritesTheSameBytes) {
    const auto bytes = SampleDocument();
    ReadWorkDocument(bytes, grid, manager);
    EXPECT_FALSE(grid.Modified());
    ASSERT_EQ(manager.Count(), 2);
    EXPECT_EQ(manager.Get(1).Line(0).Count(), 3);
    EXPECT_EQ(manager.SearchDraws().GetCode(1), RandomDraws(5, 2)->GetCode(1));
    EXPECT_EQ(WriteWorkDocument(grid, manager), bytes);
}

TEST_F(WorkDocumentTest, AnyCutOrDamageLeavesTheDocumentInMemoryAsItWas) {
    grid.Assign(*RandomDraws(9, 1));
    TGui2Reg* kept = manager.Add(MakePattern(2, 2, 4, 3));
    const auto before = WriteWorkDocument(grid, manager);
    const auto bytes = SampleDocument();
    const auto unchanged = [&] {
        EXPECT_EQ(WriteWorkDocument(grid, manager), before);
        EXPECT_EQ(manager.Count(), 1);
        EXPECT_EQ(&manager.Get(0), kept);
    };
    for (size_t size = 1; size < bytes.size(); ++size) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
        EXPECT_THROW(ReadWorkDocument(cut, grid, manager), TError) << size;
    }
    unchanged();

    auto longer = bytes;
    longer.push_back(0);
    EXPECT_THROW(ReadWorkDocument(longer, grid, manager), TError);

    // Offsets into the sample: grid draws 8 + 3 * 32, then the pattern count.
    const size_t patternCount = 8 + 3 * 32;
    const size_t firstPattern = patternCount + 4;
    const auto patched = [&](size_t offset, int32_t value) {
        auto copy = bytes;
        for (int i = 0; i < 4; ++i)
            copy[offset + i] = static_cast<uint8_t>(uint32_t(value) >> (8 * i));
        return copy;
    };
    const size_t layout = firstPattern + 4 + 16 + 4 + 24;
    std::vector<std::pair<size_t, int32_t>> damage = {{8 + 4, 10},               // digit 10
                                                      {8, 99},                   // wrong sum
                                                      {firstPattern + 4, 8},     // X 8
                                                      {firstPattern + 8, 1},     // Y 1
                                                      {layout, 5},               // layout
                                                      {layout + 4, 0x7FFFFFFF},  // step total
                                                      {layout + 8, 10},          // step sum
                                                      // Values that a byte would wrap onto
                                                      // good ones: layout, result, contrast.
                                                      {layout, 257},
                                                      {layout + 44, 259},
                                                      {layout + 68, 257},
                                                      {layout + 68, -255}};
    for (int32_t hostile : {-1, 4, 0x7FFFFFFF, int32_t(0x80000000)})
        for (size_t count : {size_t(4), patternCount, firstPattern})
            damage.push_back({count, hostile});
    for (auto [offset, value] : damage)
        EXPECT_THROW(ReadWorkDocument(patched(offset, value), grid, manager), TError)
            << offset << " " << value;
    unchanged();

    ReadWorkDocument({}, grid, manager);  // nothing at all: nothing changes
    unchanged();
}

TEST_F(WorkDocumentTest, AReadInStepsTellsItsProgressAndCanBeStoppedWithoutChanges) {
    TCodes sourceGrid;
    sourceGrid.Assign(*RandomDraws(7, 4));
    TGui2RegMgr source(options);
    for (int i = 0; i < 40000; ++i) source.Add(MakePattern(2, 3, 4, i));
    const auto bytes = WriteWorkDocument(sourceGrid, source);

    std::vector<int64_t> positions;
    TJobControl reading;
    reading.SetWake([&] {
        reading.Looked();
        const TJobControl::TProgress at = reading.Progress();
        EXPECT_EQ(at.Total, static_cast<int64_t>(bytes.size()));
        positions.push_back(at.Done);
    });
    TWorkDocumentContent content = ParseWorkDocument(bytes, &reading);
    EXPECT_EQ(positions.size(), 3u);  // every 16384 patterns
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(manager.Count(), 0);  // nothing taken yet
    TakeWorkDocument(std::move(content), grid, manager);
    EXPECT_EQ(WriteWorkDocument(grid, manager), bytes);

    const auto before = WriteWorkDocument(grid, manager);
    int calls = 0;
    TJobControl stopped;  // at the second look
    stopped.SetWake([&] {
        stopped.Looked();
        if (++calls == 2) stopped.Cancel();
    });
    EXPECT_THROW(ParseWorkDocument(bytes, &stopped), TReadCancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(WriteWorkDocument(grid, manager), before);
}

TEST_F(WorkDocumentTest, FilesOpenSaveAndAFailedSaveKeepsTheOldFile) {
    const std::string folder = TempFolder("tolvane_doc");
    const std::string path = folder + "/" + WorkDocumentFileName;
    EXPECT_THROW(OpenWorkDocument(path, grid, manager), TError);  // not there yet
    { std::ofstream(PathFromUtf8(path), std::ios::binary); }      // a Chinese name on Windows too
    manager.Add(MakePattern(2, 2, 4, 1));
    EXPECT_FALSE(OpenWorkDocument(path, grid, manager));
    EXPECT_EQ(manager.Count(), 1);

    grid.Assign(*RandomDraws(2, 4));
    SaveWorkDocument(path, grid, manager);
    const auto saved = ReadWholeFile(path);
    EXPECT_EQ(saved, WriteWorkDocument(grid, manager));

#ifndef _WIN32  // Windows has no file size limit
    {
        // A write that fails half way (a file size limit holds even for root).
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 64;
        ::setrlimit(RLIMIT_FSIZE, &small);
        manager.Add(MakePattern(3, 3, 9, 2));
        EXPECT_THROW(SaveWorkDocument(path, grid, manager), TError);
        ::setrlimit(RLIMIT_FSIZE, &old);
        manager.DeleteIndices({1});
    }
#endif
    EXPECT_EQ(ReadWholeFile(path), saved);
    EXPECT_THROW(SaveWorkDocument(folder + "/missing/x.gtmq", grid, manager), TError);
    TCodes otherGrid;
    TGui2RegMgr other(options);
    EXPECT_TRUE(OpenWorkDocument(path, otherGrid, other));
    EXPECT_EQ(otherGrid.Count(), 4);
    EXPECT_EQ(other.Count(), 1);

    // Many patterns: the file is written in several pieces and still reads back whole.
    for (int i = 0; i < 12000; ++i) manager.Add(MakePattern(3, 3, 6, i));
    SaveWorkDocument(path, grid, manager);
    EXPECT_GT(ReadWholeFile(path).size(), size_t(1) << 20);
    EXPECT_EQ(ReadWholeFile(path), WriteWorkDocument(grid, manager));
}

TEST(TGui2RegMgr, ListOperationsAndTheirErrors) {
    SearchOptions options;
    TGui2RegMgr manager(options);
    std::vector<TGui2Reg*> added;
    for (int i = 0; i < 6; ++i) added.push_back(manager.Add(MakePattern(2, 2, 4, i)));
    TGui2Reg stranger;
    EXPECT_EQ(manager.IndexOf(added[3]), 3);
    EXPECT_EQ(manager.IndexOf(&stranger), -1);
    manager.Remove(&stranger);

    EXPECT_EQ(ErrorOf([&] { manager.Get(6); }), "TRegMgr.GeTGui2Reg Index isnot valid!");
    EXPECT_EQ(ErrorOf([&] { manager.DeleteIndices({-1}); }), "TRegMgr.Del Index isnot valid!");
    EXPECT_THROW(manager.DeleteIndices({1, 6}), TError);
    EXPECT_EQ(manager.Count(), 6);

    manager.DeleteIndices({0});
    manager.DeleteIndices({3, 0, 3, 2});  // removes added[1], added[3], added[4]
    manager.Remove(added[5]);
    ASSERT_EQ(manager.Count(), 1);
    EXPECT_EQ(&manager.Get(0), added[2]);
}

TEST(TGui2RegMgr, TakenPatternsGoBackExactlyWhereTheyStood) {
    SearchOptions options;
    TGui2RegMgr manager(options);
    std::vector<const TGui2Reg*> order;
    for (int i = 0; i < 9; ++i) order.push_back(manager.Add(MakePattern(2, 2, 3, i)));
    const auto current = [&] {
        std::vector<const TGui2Reg*> now;
        for (const auto& p : manager.Patterns()) now.push_back(p.get());
        return now;
    };
    // First, last, a run and a lone one; given out of order and repeated.
    for (const std::vector<int32_t>& indices :
         {std::vector<int32_t>{8, 0, 3, 4, 5, 3}, {0}, {8}, {0, 1, 2, 3, 4, 5, 6, 7, 8}}) {
        const uint64_t revision = manager.Revision();
        TTakenPatterns taken = manager.TakeIndices(indices);
        EXPECT_GT(manager.Revision(), revision);
        EXPECT_TRUE(std::is_sorted(taken.Indices.begin(), taken.Indices.end()));
        EXPECT_EQ(manager.Count() + std::ssize(taken.Patterns), 9);
        for (size_t k = 0; k < taken.Patterns.size(); ++k)
            EXPECT_EQ(taken.Patterns[k].get(), order[static_cast<size_t>(taken.Indices[k])]);
        manager.PutBack(std::move(taken));
        EXPECT_EQ(current(), order);
    }

    // A take that cannot be put back changes nothing.
    TTakenPatterns taken = manager.TakeIndices({2, 5});
    TTakenPatterns unreachable;
    unreachable.Indices = {40};
    unreachable.Patterns.push_back(MakePattern(1, 1, 1, 0));
    EXPECT_THROW(manager.PutBack(std::move(unreachable)), TError);
    EXPECT_THROW(manager.TakeIndices({9}), TError);
    EXPECT_EQ(manager.Count(), 7);
    manager.PutBack(std::move(taken));
    EXPECT_EQ(current(), order);
}

TEST(TGui2RegMgr, SwappedContentsKeepTheObjectsAndTheirSearchDraws) {
    SearchOptions options;
    TGui2RegMgr manager(options);
    const TGui2Reg* kept = manager.Add(MakePattern(2, 2, 3, 0));
    const auto draws = manager.SharedSearchDraws();

    TPatternSet aside;  // no search draws: a clear keeps the manager's
    manager.SwapContents(aside);
    EXPECT_EQ(manager.Count(), 0);
    EXPECT_EQ(manager.SharedSearchDraws(), draws);
    ASSERT_EQ(aside.Patterns.size(), 1u);
    EXPECT_EQ(aside.Patterns[0].get(), kept);

    auto other = std::make_shared<TCodes>();
    other->Add();
    TPatternSet found{{}, other};
    found.Patterns.push_back(MakePattern(3, 3, 4, 0));
    manager.SwapContents(found);
    EXPECT_EQ(&manager.SearchDraws(), other.get());
    EXPECT_TRUE(found.Patterns.empty());
    EXPECT_EQ(found.SearchDraws, draws);
}

}  // namespace
