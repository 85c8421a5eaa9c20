// The fast engine must report exactly what the plain walk reports: the same events in the same
// order, every field of every pattern, and the same counts, whatever the options and threads.

#include <gtest/gtest.h>

#include <random>

#include "search/SearchWalk.h"
#include "tests/support/SearchTestSupport.h"

namespace {

std::string OptionsText(const SearchOptions& o) {
    char text[256];
    std::snprintf(
        text, sizeof text,
        "low rows 0-%d pts %d-%d, high rows %d-%d pts %d-%d, steps %d, dup %d sum %d tail %d, "
        "layout %d contrast %d target %d style %d",
        o.LinedDistMaxSe, o.LinedPtMinSe, o.LinedPtMaxSe, o.LinegDistMinSe, o.LinegDistMaxSe,
        o.LinegPtMinSe, o.LinegPtMaxSe, o.SecCountSe, o.ClearDupChk, o.RefSumChk, o.RefTailChk,
        o.SecInterGbx, o.SumConstrastGbx, o.FallTargetGbx, o.FallStyleGbx);
    return text;
}

// Returns the plain walk's totals (zero when the options were refused).
TSearchTotals ExpectSameSearch(const SearchOptions& options, const TCodes& draws, int threads,
                               uint64_t seed, bool drawingOrder = true) {
    SCOPED_TRACE(OptionsText(options) + ", draws " + std::to_string(draws.Count()) + ", threads " +
                 std::to_string(threads) + (drawingOrder ? "" : ", walk order"));
    const auto run = [&](TEngine engine, int engineThreads, TRecordingSink& sink, bool& failed) {
        try {
            return Search(engine, options, draws, sink, engineThreads, seed, drawingOrder);
        } catch (const TError&) {
            failed = true;
            return TSearchTotals{};
        }
    };
    TRecordingSink plain, fast;
    bool plainFailed = false, fastFailed = false;
    const TSearchTotals plainTotals = run(&RunReferenceSearch, 1, plain, plainFailed);
    const TSearchTotals fastTotals = run(&RunSearch, threads, fast, fastFailed);
    EXPECT_EQ(plainFailed, fastFailed);
    EXPECT_EQ(plainTotals.Candidates, fastTotals.Candidates);
    EXPECT_EQ(plainTotals.Builds, fastTotals.Builds);
    EXPECT_EQ(plainTotals.Found, fastTotals.Found);
    EXPECT_EQ(plain.Events.size(), fast.Events.size());
    for (size_t i = 0; i < std::min(plain.Events.size(), fast.Events.size()); ++i) {
        if (plain.Events[i] == fast.Events[i]) continue;
        ADD_FAILURE() << "event " << i << ": " << plain.Events[i].CandidateCount << " "
                      << plain.Events[i].Pattern << " / " << fast.Events[i].CandidateCount << " "
                      << fast.Events[i].Pattern;
        break;
    }
    return plainTotals;
}

TEST(SearchEquivalence, DefaultHeavyAndLongShapesOnRandomDraws) {
    auto draws = RandomDraws(100, 80);
    SearchOptions options;
    options.SecCountSe = 3;
    options.LinegDistMaxSe = 4;
    options.SecInterGbx = 3;  // one layout keeps the plain walk quick
    ExpectSameSearch(options, *draws, 2, 5);
    options.RefSumChk = options.RefTailChk = true;
    options.LinedDistMaxSe = options.LinegDistMaxSe = options.LinedPtMaxSe = 2;
    options.SecInterGbx = 0;
    ExpectSameSearch(options, *draws, 1, 6);

    // Enough candidates for an interval mark, with many patterns found around it.
    SearchOptions marks;
    marks.LinegDistMaxSe = marks.SecCountSe = 4;
    const TSearchTotals totals = ExpectSameSearch(marks, *RandomDraws(101, 60), 3, 8);
    EXPECT_GT(totals.Candidates, ProgressInterval);
    EXPECT_GT(totals.Found, 1000);
}

// Every combination of the switches on a tiny grid: styles, columns, layouts, kinds, the
// overlap filter and the position filter.
TEST(SearchEquivalence, EverySwitchCombinationOnATinyGrid) {
    auto draws = RandomDraws(104, 14);
    int withPatterns = 0;
    for (int style = 0; style <= 3; ++style)
        for (int columns = 0; columns < 4; ++columns)
            for (int layout : {0, 4})
                for (int contrast : {0, 1, 2})
                    for (bool dup : {false, true})
                        for (int target : {0, -1}) {
                            SearchOptions o;
                            o.FallStyleGbx = style;
                            o.RefSumChk = columns & 1;
                            o.RefTailChk = columns & 2;
                            o.SecInterGbx = layout;
                            o.SumConstrastGbx = contrast;
                            o.ClearDupChk = dup;
                            o.FallTargetGbx = target;
                            o.LinedDistMaxSe = 1;
                            o.LinegDistMinSe = style == 3 ? 0 : 1;
                            o.LinegDistMaxSe = 1;
                            o.LinedPtMinSe = o.LinegPtMinSe = 1;
                            o.LinedPtMaxSe = o.LinegPtMaxSe = 2;
                            o.SecCountSe = 2;
                            withPatterns += ExpectSameSearch(o, *draws, 2, 3).Found > 0;
                            if (HasFailure()) return;
                        }
    EXPECT_GT(withPatterns, 130);
}

// Random option sets, including ones the options dialog never produces: minimum above
// maximum, the high line starting in row offset 0 or below its last row, layouts and kinds out
// of range, a negative target, few steps, and histories shorter than the figures.
TEST(SearchEquivalence, RandomOptionSetsOnRandomDraws) {
    std::mt19937 random(2024);
    const auto pick = [&](int lo, int hi) {
        return static_cast<int32_t>(lo + random() % (hi - lo + 1));
    };
    int searched = 0;
    int withPatterns = 0;
    for (int round = 0; round < 250; ++round) {
        SearchOptions o;
        o.RefSumChk = pick(0, 1);
        o.RefTailChk = pick(0, 1);
        o.LinedDistMaxSe = pick(0, 3);
        o.LinegDistMinSe = pick(0, 5) / 2;
        o.LinegDistMaxSe = pick(1, 3);
        o.LinedPtMinSe = pick(1, 5) / 2 + 1;
        o.LinedPtMaxSe = pick(1, 3);
        o.LinegPtMinSe = pick(1, 5) / 2 + 1;
        o.LinegPtMaxSe = pick(1, 3);
        o.SecCountSe = pick(0, 5);
        o.ClearDupChk = pick(0, 1);
        o.SecInterGbx = pick(0, 5);
        o.SumConstrastGbx = pick(-1, 4);
        o.FallTargetGbx = pick(-1, 3);
        o.FallStyleGbx = pick(-1, 4);
        auto draws = RandomDraws(static_cast<uint32_t>(round), pick(0, 30));
        const int threads = pick(1, 3);
        // Every fifth round keeps the walk's order of the cells, as the backtest asks.
        const TSearchTotals totals =
            ExpectSameSearch(o, *draws, threads, static_cast<uint64_t>(round), round % 5 != 0);
        if (HasFailure()) return;
        searched += totals.Candidates > 0;
        withPatterns += totals.Found > 0;
    }
    EXPECT_GT(searched, 60) << withPatterns;
    EXPECT_GT(withPatterns, 30) << searched;
}

// Shapes the small grids above never reach, with one to four threads: a high line whose last
// cell crosses the 64th cell of a wide grid (the range filter's masks span several words), and
// a high line of 30 points on draws of high digits (its prefix sums overflow a byte), under
// every contrast kind and number of filtered steps.
TEST(SearchEquivalence, WideGridsAndLongLinesWithOneToFourThreads) {
    auto draws = RandomDraws(105, 90);
    auto highDigits = RandomDraws(106, 40);
    for (int32_t row = 0; row < highDigits->Count(); ++row)
        for (int32_t position = 1; position <= 7; ++position)
            highDigits->SetNum(position, row, 8 + highDigits->GetNum(position, row) % 2);
    int withPatterns = 0;
    for (int threads = 1; threads <= 4; ++threads) {
        for (int contrast : {1, 2, 3}) {
            SearchOptions wide;
            wide.RefSumChk = wide.RefTailChk = true;
            wide.LinedDistMaxSe = 0;
            wide.LinegDistMaxSe = 9;
            wide.LinedPtMinSe = wide.LinegPtMinSe = 1;
            wide.LinedPtMaxSe = wide.LinegPtMaxSe = 2;
            wide.SumConstrastGbx = contrast;
            wide.SecCountSe = 1 + threads;  // 0 to 3 filtered steps
            withPatterns += ExpectSameSearch(wide, *draws, threads, 9).Found > 0;

            SearchOptions longLine;
            longLine.LinedDistMaxSe = 0;
            longLine.LinegDistMaxSe = 8;
            longLine.LinedPtMinSe = longLine.LinedPtMaxSe = 1;
            longLine.LinegPtMinSe = 29;
            longLine.LinegPtMaxSe = 30;
            longLine.SumConstrastGbx = contrast;
            longLine.SecCountSe = 3;
            withPatterns += ExpectSameSearch(longLine, *highDigits, threads, 10).Found > 0;
            if (HasFailure()) return;
        }
    }
    EXPECT_GE(withPatterns, 18);
}

TEST(SearchEquivalence, ThreadCountDoesNotChangeTheResult) {
    auto draws = RandomDraws(103, 120);
    SearchOptions options;
    options.LinegDistMinSe = 0;  // both lines predict: the random digit is used
    options.SecCountSe = 3;
    TRecordingSink one;
    TRecordingSink many;
    Search(&RunSearch, options, *draws, one, 1, 77);
    Search(&RunSearch, options, *draws, many, 4, 77);
    EXPECT_GT(one.FoundCount(), 100u);
    EXPECT_EQ(one.Events, many.Events);
    TRecordingSink otherSeed;
    Search(&RunSearch, options, *draws, otherSeed, 4, 78);
    EXPECT_NE(one.Events, otherSeed.Events);
}

}  // namespace
