#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>
#include <vector>

#include "data/Error.h"
#include "search/SearchWalk.h"
#include "tests/support/SearchTestSupport.h"

namespace {

// Draws whose column A holds the given digits, oldest first; every other digit is 0.
std::unique_ptr<TCodes> ColumnA(const std::vector<int32_t>& digits) {
    auto draws = std::make_unique<TCodes>();
    for (int32_t digit : digits) draws->SetNum(1, draws->Add(), digit);
    return draws;
}

// One cell per line: the low line on row offset 0, the high line on row offset 1 (or 0-1).
SearchOptions SingleCellOptions() {
    SearchOptions options;
    options.LinedDistMaxSe = 0;
    options.LinegDistMinSe = 1;
    options.LinegDistMaxSe = 1;
    options.LinedPtMinSe = options.LinedPtMaxSe = 1;
    options.LinegPtMinSe = options.LinegPtMaxSe = 1;
    options.SecInterGbx = 1;
    options.SecCountSe = 1;  // every figure is reported, so its steps can be read
    return options;
}

class SearchEngines : public testing::TestWithParam<TEngine> {
  protected:
    // Patterns found, keyed by "layout low-points high-points" such as "1 1,0 1,-1".
    std::map<std::string, std::unique_ptr<TGui2Reg>> Run(const SearchOptions& options,
                                                         const TCodes& draws,
                                                         TSearchTotals* totals = nullptr) {
        TRecordingSink sink;
        sink.KeepPatterns = true;
        const TSearchTotals t = Search(GetParam(), options, draws, sink);
        if (totals != nullptr) *totals = t;
        std::map<std::string, std::unique_ptr<TGui2Reg>> byFigure;
        for (auto& reg : sink.Patterns) {
            std::string key = std::to_string(reg->Layout);
            for (int32_t l = 0; l < 2; ++l) {
                key += ' ';
                for (int32_t i = 0; i < reg->Line(l).Count(); ++i)
                    key += (i ? ";" : "") + std::to_string(reg->Line(l).Get(i).X) + "," +
                           std::to_string(reg->Line(l).Get(i).Y);
            }
            byFigure[key] = std::move(reg);
        }
        return byFigure;
    }
};

TEST_P(SearchEngines, StepWalkKeepsTheRelation) {
    // Column A, oldest first: 4, 9, 4. Figure low A0, high A-1 on layout 1: step 1 compares
    // (4, 9), step 2 (9, 4); step 3 would need a row before the first draw.
    auto draws = ColumnA({4, 9, 4});
    SearchOptions options = SingleCellOptions();
    auto found = Run(options, *draws);
    ASSERT_TRUE(found.count("1 1,0 1,-1"));
    const TGui2Reg& pattern = *found["1 1,0 1,-1"];
    EXPECT_EQ(pattern.StepTotal, 3);
    EXPECT_EQ(pattern.StepSums, (std::vector<int32_t>{0, 4, 4, 9, 9, 4}));
    EXPECT_EQ(pattern.BaseRow, 3);

    options.SumConstrastGbx = 1;  // equal sums only: step 1 (4, 9) breaks
    EXPECT_EQ(Run(options, *draws)["1 1,0 1,-1"]->StepTotal, 1);
    options.SumConstrastGbx = 2;  // distance 5 only
    EXPECT_EQ(Run(options, *draws)["1 1,0 1,-1"]->StepTotal, 3);

    auto broken = ColumnA({8, 9, 4});
    options.SumConstrastGbx = 0;  // (9, 8) at step 2 is neither equal nor paired
    EXPECT_EQ(Run(options, *broken)["1 1,0 1,-1"]->StepTotal, 2);
    options.SecCountSe = 3;  // fewer steps than asked for: not reported
    EXPECT_FALSE(Run(options, *broken).count("1 1,0 1,-1"));
}

TEST_P(SearchEngines, ResultOfEachLineByContrastKind) {
    // High line's step-0 sum 3, low line's 0 (its only cell is on the coming draw). The text
    // names the digit that hits: 全对 the one 5 away, 明对 both.
    auto draws = ColumnA({1, 3});
    SearchOptions options = SingleCellOptions();
    for (auto [kind, result, text] : {std::tuple{1, 3, "A=3"}, {2, 8, "A=8"}, {3, 8, "A=83"}}) {
        options.SumConstrastGbx = kind;
        auto found = Run(options, *draws);
        EXPECT_EQ(found["1 1,0 1,-1"]->GetResult(0), result) << kind;
        EXPECT_EQ(found["1 1,0 1,-1"]->ResultsText(), text) << kind;
    }

    // Both lines predicting: the two results keep the step-0 relation of the sums.
    auto random = RandomDraws(5, 60);
    SearchOptions both;
    both.LinegDistMinSe = 0;
    both.LinedPtMinSe = both.LinedPtMaxSe = both.LinegPtMinSe = both.LinegPtMaxSe = 2;
    both.SumConstrastGbx = 1;
    both.SecCountSe = 2;
    int checked = 0;
    for (auto& [key, reg] : Run(both, *random)) {
        if (reg->MarkedLineCount() != 2) continue;
        ++checked;
        EXPECT_EQ((reg->GetResult(1) - reg->GetResult(0) + 20) % 10,
                  (reg->StepSums[0] - reg->StepSums[1] + 20) % 10)
            << key;
    }
    EXPECT_GT(checked, 10);
}

TEST_P(SearchEngines, OverlapFilter) {
    // Low line A0, A-1 on layout 1: step 1 moves A0 onto A-1.
    auto draws = ColumnA({0, 0, 0, 0});
    SearchOptions options;
    options.LinedDistMaxSe = 1;
    options.LinegDistMinSe = options.LinegDistMaxSe = 2;
    options.LinedPtMinSe = options.LinedPtMaxSe = 2;
    options.LinegPtMinSe = options.LinegPtMaxSe = 1;
    options.SecInterGbx = 1;
    options.SecCountSe = 2;
    EXPECT_TRUE(Run(options, *draws).count("1 1,0;1,-1 3,-2"));
    options.ClearDupChk = true;
    auto found = Run(options, *draws);
    EXPECT_FALSE(found.count("1 1,0;1,-1 3,-2"));
    EXPECT_TRUE(found.count("1 1,0;2,-1 3,-2"));
    EXPECT_FALSE(found.count("1 1,0;2,-1 2,-2"));  // A0 of step 2 lands on the high line's A-2
}

TEST_P(SearchEngines, LayoutFourStepsBackEightRows) {
    // Column A: draws 3 and 4 hold 2, draws 7 and 8 hold 5, draw 11 holds 1.
    auto draws = ColumnA({0, 0, 0, 2, 2, 0, 0, 5, 5, 0, 0, 1});
    SearchOptions options = SingleCellOptions();
    options.SecInterGbx = 4;
    options.SumConstrastGbx = 1;
    auto found = Run(options, *draws);
    const TGui2Reg& reg = *found.at("4 1,0 1,-1");
    // Step 1 puts row offset 0 on draw 8, step 2 on draw 4; step 3 would need draw -1.
    EXPECT_EQ(reg.StepSums, (std::vector<int32_t>{0, 1, 5, 5, 2, 2}));
    EXPECT_EQ(reg.StepTotal, 3);
}

TEST_P(SearchEngines, ShortHistoryEndsTheWalkWithoutError) {
    auto draws = RandomDraws(3, 4);
    SearchOptions options;  // high line reaches row offset 5, taller than the history
    options.SecCountSe = options.LinedDistMaxSe = 1;
    options.LinedPtMaxSe = options.LinegPtMaxSe = 2;
    TSearchTotals totals;
    auto found = Run(options, *draws, &totals);
    EXPECT_GT(totals.Candidates, 0);
    for (auto& [key, reg] : found) {
        EXPECT_LE(-reg->TopOffset(), 4) << key;  // step 0 must fit
        EXPECT_LE(-reg->TopOffset() + reg->Layout * (reg->StepTotal - 1), 4) << key;
    }
    EXPECT_TRUE(found.count("1 1,0;2,0 1,-4;2,-4"));
    EXPECT_FALSE(found.count("1 1,0;2,0 1,-5;2,-5"));

    auto none = RandomDraws(3, 0);
    EXPECT_TRUE(Run(options, *none).empty());
}

TEST_P(SearchEngines, LayoutsTriedAndCounts) {
    auto draws = RandomDraws(11, 100);
    SearchOptions options;
    options.LinedPtMaxSe = 2;
    TSearchTotals all;
    Run(options, *draws, &all);
    EXPECT_EQ(all.Builds, all.Candidates * 4);
    options.SecInterGbx = 2;
    TSearchTotals two;
    auto found = Run(options, *draws, &two);
    EXPECT_EQ(two.Candidates, all.Candidates);
    EXPECT_EQ(two.Builds, two.Candidates);
    for (auto& [key, reg] : found) EXPECT_EQ(reg->Layout, 2);
}

// The fast engine only (the plain walk is slow here); the equivalence tests compare the plain
// walk's events with the fast engine's one by one.
TEST(SearchProgress, AtPairStartsAndEveryIntervalOfFruitlessCandidates) {
    auto draws = RandomDraws(1, 50);
    TRecordingSink sink;
    SearchOptions options;
    options.SecCountSe = 40;  // nothing is found
    const TSearchTotals totals = Search(&RunSearch, options, *draws, sink);
    ASSERT_GT(totals.Candidates, 2 * ProgressInterval);
    EXPECT_EQ(sink.FoundCount(), 0u);
    // Four pair starts, and one event per layout at each multiple of the interval.
    const int64_t multiples = totals.Candidates / ProgressInterval;
    const std::vector<int64_t> progress = sink.ProgressCounts();
    ASSERT_EQ(progress.size(), 4u + 4u * static_cast<size_t>(multiples));
    EXPECT_EQ(progress[0], 0);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    int64_t atMultiples = 0;
    for (int64_t count : progress) atMultiples += count > 0 && count % ProgressInterval == 0;
    EXPECT_EQ(atMultiples, 4 * multiples);
}

// Length of the path through a line's cells in their order.
double PathLength(const std::vector<TPoint>& cells) {
    double length = 0;
    for (size_t i = 1; i < cells.size(); ++i)
        length += std::hypot(cells[i].X - cells[i - 1].X, cells[i].Y - cells[i - 1].Y);
    return length;
}

TEST_P(SearchEngines, FoundLinesComeInTheirShortestDrawingOrder) {
    // Every taker of a found pattern (the window, a document, a picture) draws its lines as
    // they come: each line of three or four cells comes as the shortest path through them.
    SearchOptions options;
    options.LinedDistMaxSe = 2;
    options.LinegDistMaxSe = 3;
    options.LinedPtMinSe = options.LinegPtMinSe = 3;
    options.LinedPtMaxSe = options.LinegPtMaxSe = 4;
    options.SecCountSe = 3;
    TRecordingSink sink;
    sink.KeepPatterns = true;
    Search(GetParam(), options, *RandomDraws(31, 40), sink);
    int checked = 0;
    for (const auto& pattern : sink.Patterns)
        for (int32_t l = 0; l < TGui2Reg::LineCount; ++l) {
            std::vector<TPoint> cells;
            for (int32_t i = 0; i < pattern->Line(l).Count(); ++i)
                cells.push_back(pattern->Line(l).Get(i));
            const double given = PathLength(cells);
            std::vector<size_t> order(cells.size());
            std::iota(order.begin(), order.end(), size_t{0});
            double shortest = given;
            do {
                std::vector<TPoint> other;
                for (size_t k : order) other.push_back(cells[k]);
                shortest = std::min(shortest, PathLength(other));
            } while (std::next_permutation(order.begin(), order.end()));
            EXPECT_NEAR(given, shortest, 1e-4) << Describe(*pattern);
            ++checked;
        }
    EXPECT_GT(checked, 100);
}

TEST_P(SearchEngines, StopEndsTheWalk) {
    auto draws = RandomDraws(4, 200);
    SearchOptions options;
    options.RefTailChk = true;
    options.SecCountSe = 3;
    struct StopSink : TRecordingSink {
        TJobControl* Stop = nullptr;
        void Found(std::unique_ptr<TGui2Reg> pattern, int64_t count) override {
            TRecordingSink::Found(std::move(pattern), count);
            if (!Stop->Cancelled()) Stop->Cancel();
        }
    } sink;
    TJobControl stop;
    sink.Stop = &stop;
    TSearchRequest request;
    request.Options = options;
    request.Draws = draws.get();
    const TSearchTotals totals = GetParam()(request, sink, stop);
    EXPECT_EQ(sink.FoundCount(), 1u);
    EXPECT_EQ(totals.Found, 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, SearchEngines, testing::Values(&RunReferenceSearch, &RunSearch),
                         [](const testing::TestParamInfo<TEngine>& info) {
                             return info.param == &RunReferenceSearch ? std::string("Reference")
                                                                      : std::string("Fast");
                         });

}  // namespace
