#include <gtest/gtest.h>

#include <random>

#include "data/DownloadCodec.h"
#include "data/DrawMerge.h"
#include "data/DrawText.h"
#include "tests/support/RandomDraws.h"

namespace {

std::vector<int32_t> NumbersOf(const TCodes& draws) {
    std::vector<int32_t> numbers;
    for (int32_t r = 0; r < draws.Count(); ++r) numbers.push_back(DrawNumberOf(draws.Rows()[r]));
    return numbers;
}

void Load(const std::vector<int32_t>& numbers, TCodes& draws) {
    TDrawRegister unused;
    TIncomingDraws in;
    in.Numbers = numbers;
    in.Identities.resize(numbers.size());
    ReplaceAllDraws(in, draws, unused);
}

TIncomingDraws Slice(const std::vector<int32_t>& numbers, int from, int to, int firstIssue) {
    TIncomingDraws in;
    for (int i = from; i < to; ++i) {
        in.Numbers.push_back(numbers[static_cast<size_t>(i)]);
        in.Identities.push_back({firstIssue ? std::to_string(firstIssue + i) : "", ""});
    }
    return in;
}

std::vector<int32_t> Truth(uint32_t seed, int count) {
    const auto draws = RandomDraws(seed, count);
    return NumbersOf(*draws);
}

TEST(DrawMerge, ByIssueFindsNewGapsDuplicatesAndDifferences) {
    const std::vector<int32_t> truth = Truth(21, 16);
    TCodes draws;
    TDrawRegister reg;
    ReplaceAllDraws(Slice(truth, 0, 10, 2024001), draws, reg);  // 2024001 … 2024010
    // The source: 2024008 … 2024016 without 2024012, 2024009 differing, 2024014 twice.
    TIncomingDraws in;
    for (int i : {7, 8, 9, 10, 12, 13, 13, 14, 15}) {
        in.Numbers.push_back(truth[static_cast<size_t>(i)]);
        in.Identities.push_back(
            {std::to_string(2024001 + i), "2024-03-0" + std::to_string(i % 9 + 1)});
    }
    const int32_t typo = (truth[8] + 1) % 10000000;
    in.Numbers[1] = typo;
    in.Numbers[6] = 1234567;  // the duplicate is listed, never taken

    const TDrawMergePlan plan = PlanDrawMerge(draws, reg, in);
    EXPECT_EQ(plan.Match, TMergeMatch::Issue);
    EXPECT_EQ(plan.NewDraws, (std::vector<int32_t>{3, 4, 5, 7, 8}));
    EXPECT_EQ(plan.Differences, (std::vector<TDrawDifference>{{8, 1, truth[8], typo}}));
    EXPECT_EQ(plan.Gaps, (std::vector<std::string>{"2024012"}));
    EXPECT_EQ(plan.Duplicates, (std::vector<int32_t>{6}));
    EXPECT_EQ(plan.FilledIdentities, 2);  // 2024008 and 2024010 gain their dates
    EXPECT_EQ(plan.Backward, -1);
    // A source whose issues go back is named at its line.
    TIncomingDraws back = in;
    back.Identities[2].Issue = "2024007";
    back.Lines = {2, 3, 4, 5, 6, 7, 8, 9, 10};
    const TDrawMergePlan backPlan = PlanDrawMerge(draws, reg, back);
    EXPECT_EQ(backPlan.Backward, 2);
    EXPECT_NE(DescribeMergePlan(backPlan, back, reg).find("来源第4行的期号比上一期小：2024007"),
              std::string::npos);

    TCodes kept;
    TDrawRegister keptReg = reg;
    Load(NumbersOf(draws), kept);
    ApplyDrawMerge(plan, in, false, kept, keptReg);
    std::vector<int32_t> expected(truth.begin(), truth.begin() + 11);
    for (int i : {12, 13, 14, 15}) expected.push_back(truth[static_cast<size_t>(i)]);
    EXPECT_EQ(NumbersOf(kept), expected);
    ASSERT_EQ(keptReg.Count(), 15);
    EXPECT_EQ(keptReg.Rows[10].Issue, "2024011");
    EXPECT_EQ(keptReg.Rows[11].Issue, "2024013");
    EXPECT_EQ(keptReg.NextIssue(), "2024017");
    EXPECT_EQ(keptReg.Rows[7].Date, "2024-03-08");  // a row both hold gains its date
    EXPECT_EQ(keptReg.Rows[8].Date, "");            // the differing one, kept, does not

    ApplyDrawMerge(plan, in, true, draws, reg);
    expected[8] = typo;
    EXPECT_EQ(NumbersOf(draws), expected);
}

TEST(DrawMerge, IssuesOfFiveAndSevenDigitsMeet) {
    const std::vector<int32_t> truth = Truth(22, 6);
    TCodes draws;
    TDrawRegister reg;
    ReplaceAllDraws(Slice(truth, 0, 4, 2024151), draws, reg);  // 2024151 … 2024154
    TIncomingDraws in = Slice(truth, 2, 6, 0);
    in.Identities = {{"24153", ""}, {"24154", ""}, {"25001", ""}, {"25003", ""}};
    const TDrawMergePlan plan = PlanDrawMerge(draws, reg, in);
    EXPECT_EQ(plan.Match, TMergeMatch::Issue);
    EXPECT_TRUE(plan.Differences.empty());
    EXPECT_EQ(plan.NewDraws, (std::vector<int32_t>{2, 3}));
    // A new year starting at 001 is no gap; 002 of it is.
    EXPECT_EQ(plan.Gaps, (std::vector<std::string>{"25002"}));
}

// The overlap of a document without issues: its newest draws found in a source that starts
// earlier, holds one draw the document has differently, and goes further.
TEST(DrawMerge, ByOverlapOfTheNewestDraws) {
    const std::vector<int32_t> truth = Truth(23, 50);
    std::vector<int32_t> mine(truth.begin(), truth.begin() + 30);
    mine[20] = (mine[20] + 7) % 10000000;
    TCodes draws;
    Load(mine, draws);
    TDrawRegister reg;
    reg.Fit(30);
    const TIncomingDraws in = Slice(truth, 10, 50, 2024001);
    const TDrawMergePlan plan = PlanDrawMerge(draws, reg, in);
    EXPECT_EQ(plan.Match, TMergeMatch::Overlap);
    EXPECT_EQ(plan.OverlapLength, 9);
    EXPECT_EQ(plan.Offset, 10);
    EXPECT_EQ(plan.Differences, (std::vector<TDrawDifference>{{20, 10, mine[20], truth[20]}}));
    ASSERT_EQ(plan.NewDraws.size(), 20u);
    EXPECT_EQ(plan.NewDraws.front(), 20);
    EXPECT_EQ(plan.FilledIdentities, 20);  // the differing row too: its place names it

    ApplyDrawMerge(plan, in, true, draws, reg);
    EXPECT_EQ(NumbersOf(draws), truth);
    EXPECT_EQ(reg.At(9).Issue, "");
    EXPECT_EQ(reg.At(10).Issue, "2024011");
    EXPECT_EQ(reg.At(20).Issue, "2024021");  // the replaced draw takes the source's identity
    EXPECT_EQ(reg.NextIssue(), "2024051");
    EXPECT_NO_THROW(CheckIssueOrder(reg.Rows));
}

// 期号 of two numberings that share none: the digits decide when the document's newest draws
// are in the source (either numbering the larger), and new draws keep no foreign 期号; a source
// that simply continues the document's numbering stays matched by 期号.
TEST(DrawMerge, NumberingsThatShareNoIssueAreMatchedByTheDigits) {
    const std::vector<int32_t> truth = Truth(31, 40);
    struct TCase {
        int DocumentFirst, SourceFrom, SourceFirst;
        TMergeMatch Match;
    };
    for (const TCase& c :
         {TCase{2024001, 0, 1, TMergeMatch::Overlap}, TCase{1, 0, 2024001, TMergeMatch::Overlap},
          TCase{2024001, 30, 2024001, TMergeMatch::Issue}}) {
        TCodes draws;
        Load({truth.begin(), truth.begin() + 30}, draws);
        TDrawRegister reg;
        for (int i = 0; i < 30; ++i) reg.Rows.push_back({std::to_string(c.DocumentFirst + i), ""});
        const TIncomingDraws in = Slice(truth, c.SourceFrom, 40, c.SourceFirst);
        const TDrawMergePlan plan = PlanDrawMerge(draws, reg, in);
        EXPECT_EQ(plan.Match, c.Match);
        EXPECT_EQ(plan.NumberingDiffers, c.Match == TMergeMatch::Overlap);
        EXPECT_EQ(plan.NewDraws.size(), 10u);
        EXPECT_EQ(plan.GapCount, 0);
        EXPECT_EQ(DescribeMergePlan(plan, in, reg).find("期号对不上") != std::string::npos,
                  plan.NumberingDiffers);
        ApplyDrawMerge(plan, in, false, draws, reg);
        EXPECT_EQ(NumbersOf(draws), truth);
        EXPECT_EQ(reg.At(29).Issue, std::to_string(c.DocumentFirst + 29));
        EXPECT_EQ(reg.At(39).Issue, plan.NumberingDiffers ? "" : "2024040");
    }
}

// The plan of random documents and sources, against a brute-force search for the alignment:
// the largest k such that the document's last k draws end the source's first j draws, the
// latest j among equals; no overlap under three (or the whole of a shorter document).
TEST(DrawMerge, OverlapAgreesWithABruteForceAlignment) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&](int below) { return static_cast<int>(random() % below); };
        std::vector<int32_t> truth(static_cast<size_t>(5 + pick(30)));
        for (auto& n : truth) n = pick(3);  // few values: many repeats and false overlaps
        const int n = 1 + pick(static_cast<int>(truth.size()) - 1);
        std::vector<int32_t> mine(truth.begin(), truth.begin() + n);
        if (pick(2) == 0) mine[static_cast<size_t>(pick(n))] = 9;
        const int from = pick(static_cast<int>(truth.size()));
        const int to = from + 1 + pick(static_cast<int>(truth.size()) - from);
        const TIncomingDraws in = Slice(truth, from, to, 0);
        const int m = to - from;

        int bestK = 0, bestJ = -1;
        for (int j = m; j >= 0; --j) {
            int k = 0;
            while (k < n && k < j &&
                   mine[static_cast<size_t>(n - 1 - k)] ==
                       in.Numbers[static_cast<size_t>(j - 1 - k)])
                ++k;
            if (k > bestK) {
                bestK = k;
                bestJ = j;
            }
        }
        std::vector<int32_t> expectedNew;
        std::vector<TDrawDifference> expectedDiffs;
        const bool matched = bestK >= std::min(3, n);
        for (int i = matched ? bestJ : 0; i < m; ++i) expectedNew.push_back(i);
        if (matched)
            for (int r = 0; r < n; ++r) {
                const int i = r - (n - bestJ);
                if (i >= 0 && i < m &&
                    mine[static_cast<size_t>(r)] != in.Numbers[static_cast<size_t>(i)])
                    expectedDiffs.push_back(
                        {r, i, mine[static_cast<size_t>(r)], in.Numbers[static_cast<size_t>(i)]});
            }

        TCodes draws;
        Load(mine, draws);
        const TDrawMergePlan plan = PlanDrawMerge(draws, TDrawRegister(), in);
        EXPECT_EQ(plan.Match, matched ? TMergeMatch::Overlap : TMergeMatch::None) << seed;
        EXPECT_EQ(plan.NewDraws, expectedNew) << seed;
        EXPECT_EQ(plan.Differences, expectedDiffs) << seed;
        // Keeping every draw of the document: the old rows stay, the new ones follow.
        TDrawRegister reg;
        ApplyDrawMerge(plan, in, false, draws, reg);
        const std::vector<int32_t> after = NumbersOf(draws);
        ASSERT_EQ(after.size(), mine.size() + expectedNew.size()) << seed;
        EXPECT_TRUE(std::equal(mine.begin(), mine.end(), after.begin())) << seed;
    }
}

// A serial numbering past 99999: all 300 draws keep their 期号 (100000 follows 99999), and a
// document numbered up to 99999 takes the rest as new draws.
TEST(DrawMerge, SerialNumbersPassFiveDigits) {
    const std::vector<int32_t> truth = Truth(41, 300);
    TCodes draws;
    TDrawRegister reg;
    const TIncomingDraws all = Slice(truth, 0, 300, 99900);
    ApplyDrawMerge(PlanDrawMerge(draws, reg, all), all, false, draws, reg);
    ASSERT_EQ(reg.Count(), 300);
    EXPECT_EQ(reg.At(99).Issue, "99999");
    EXPECT_EQ(reg.At(100).Issue, "100000");
    EXPECT_EQ(reg.NextIssue(), "100200");
    EXPECT_NO_THROW(CheckIssueOrder(reg.Rows));

    ReplaceAllDraws(Slice(truth, 0, 100, 99900), draws, reg);  // 99900 … 99999
    const TIncomingDraws later = Slice(truth, 90, 300, 99900);
    const TDrawMergePlan plan = PlanDrawMerge(draws, reg, later);
    EXPECT_EQ(plan.Match, TMergeMatch::Issue);
    EXPECT_EQ(plan.NewDraws.size(), 200u);
    EXPECT_TRUE(plan.Older.empty());
    EXPECT_FALSE(plan.OpensGap);
    ApplyDrawMerge(plan, later, false, draws, reg);
    EXPECT_EQ(NumbersOf(draws), truth);
    EXPECT_EQ(reg.At(299).Issue, "100199");
}

// What the new draws leave out after the document's last 期号, and numberings that cannot
// follow it: a gap (1300 → 1311) is counted, a jump over years cannot be, and a five-digit
// serial after a seven-digit 期号 is another numbering whose 期号 no draw takes.
TEST(DrawMerge, NewDrawsThatDoNotFollowTheDocument) {
    const std::vector<int32_t> truth = Truth(42, 60);
    struct TCase {
        int DocumentFirst, SourceFirst;  // the source's draws 30-59
        int64_t Gaps;
        bool Opens, Differs, Uncounted;
    };
    for (const TCase& c : {TCase{1271, 1311, 10, true, false, false},
                           TCase{2024001, 2024031, 0, false, false, false},
                           TCase{2022121, 2024001, 0, true, false, true},
                           TCase{2015121, 32001, 0, false, true, false}}) {
        TCodes draws;
        TDrawRegister reg;
        ReplaceAllDraws(Slice(truth, 0, 30, c.DocumentFirst), draws, reg);
        TIncomingDraws in = Slice(truth, 30, 60, c.SourceFirst - 30);
        const TDrawMergePlan plan = PlanDrawMerge(draws, reg, in);
        EXPECT_EQ(plan.NewDraws.size(), 30u) << c.SourceFirst;
        EXPECT_EQ(plan.GapCount, c.Gaps) << c.SourceFirst;
        EXPECT_EQ(plan.OpensGap, c.Opens) << c.SourceFirst;
        EXPECT_EQ(plan.NumberingDiffers, c.Differs) << c.SourceFirst;
        EXPECT_EQ(plan.UncountedGap.second.empty(), !c.Uncounted) << c.SourceFirst;
        const std::string text = DescribeMergePlan(plan, in, reg);
        EXPECT_EQ(text.find("接不上") != std::string::npos, c.Differs) << text;
        EXPECT_EQ(text.find("缺少的期数不明") != std::string::npos, c.Uncounted) << text;
        ApplyDrawMerge(plan, in, false, draws, reg);
        EXPECT_EQ(reg.At(59).Issue, c.Differs ? "" : std::to_string(c.SourceFirst + 29));
    }
}

// A source numbered 3 lower than the document, one of its lines without a 期号: matched by
// the digits, its 期号 named as another numbering and given to no draw; the plan's counts are
// what applying it does.
TEST(DrawMerge, ASourceNumberedOtherwiseWithALineMissingItsIssue) {
    const std::vector<int32_t> truth = Truth(43, 40);
    TCodes draws;
    TDrawRegister reg;
    ReplaceAllDraws(Slice(truth, 0, 30, 2024001), draws, reg);
    TIncomingDraws in = Slice(truth, 20, 40, 2024001 - 3);
    in.Identities[5].Issue.clear();
    const TDrawMergePlan plan = PlanDrawMerge(draws, reg, in);
    EXPECT_EQ(plan.Match, TMergeMatch::Overlap);
    EXPECT_TRUE(plan.NumberingDiffers);
    EXPECT_EQ(plan.NewDraws.size(), 10u);
    EXPECT_EQ(plan.FilledIdentities, 0);
    EXPECT_EQ(plan.GapCount, 0);
    const std::string text = DescribeMergePlan(plan, in, reg);
    EXPECT_NE(text.find("对不上"), std::string::npos) << text;
    EXPECT_EQ(text.find("第2024028期"), std::string::npos) << text;
    ApplyDrawMerge(plan, in, false, draws, reg);
    EXPECT_EQ(NumbersOf(draws), truth);
    EXPECT_EQ(reg.At(29).Issue, "2024030");
    EXPECT_EQ(reg.At(30).Issue, "");
}

TEST(DrawMerge, DownloadItemsKeepTheirIssues) {
    const TDrawKey& key = DrawKey();
    const std::vector<std::string> items = {
        "2024095#" + ScrambleDraw(key, 2024095, "2381150"),
        " 2024096 #" + ScrambleDraw(key, 2024096, "0000001"),
    };
    const TIncomingDraws in = IncomingFromItems(items);
    EXPECT_EQ(in.Numbers, (std::vector<int32_t>{2381150, 1}));
    ASSERT_EQ(in.Identities.size(), 2u);
    EXPECT_EQ(in.Identities[0].Issue, "2024095");
    EXPECT_EQ(in.Identities[1].Issue, "2024096");
}

TEST(DrawMerge, AnEmptyDocumentTakesEverything) {
    TCodes draws;
    TDrawRegister reg;
    const TIncomingDraws in = Slice(Truth(24, 5), 0, 5, 24001);
    const TDrawMergePlan plan = PlanDrawMerge(draws, reg, in);
    EXPECT_EQ(plan.NewDraws.size(), 5u);
    EXPECT_NE(DescribeMergePlan(plan, in, reg).find("新增5期"), std::string::npos);
    ApplyDrawMerge(plan, in, false, draws, reg);
    EXPECT_EQ(draws.Count(), 5);
    EXPECT_EQ(reg.NextIssue(), "24006");
}

}  // namespace

namespace {

// The same source merged a second time adds nothing, whatever its 期号 look like: going
// backward, five digits beside seven, missing on some lines, repeated.
TEST(DrawMerge, TheSameSourceTwiceAddsNothing) {
    for (uint32_t seed = 1; seed <= 2000; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&](int below) { return static_cast<int>(random() % below); };
        const std::vector<int32_t> truth = Truth(seed, 40);
        TCodes draws;
        TDrawRegister reg;
        const int kept = pick(25);
        ReplaceAllDraws(Slice(truth, 0, kept, pick(2) ? 2024001 : 0), draws, reg);
        const int from = pick(30);
        TIncomingDraws in = Slice(truth, from, 40, 2024001);
        for (TDrawIdentity& id : in.Identities) {
            if (pick(6) == 0) id.Issue = std::to_string(std::stoi(id.Issue) + pick(7) - 3);
            if (pick(4) == 0) id.Issue = id.Issue.substr(2);  // yyNNN
            if (pick(12) == 0) id.Issue.clear();
        }
        if (kept > 0 && pick(3) == 0)
            for (int r = 0; r < kept; ++r)
                reg.Rows[static_cast<size_t>(r)].Issue = std::to_string(24001 + r);
        for (int swaps = pick(3); swaps > 0; --swaps) {
            const auto i = static_cast<size_t>(pick(static_cast<int>(in.Numbers.size())));
            const auto j = static_cast<size_t>(pick(static_cast<int>(in.Numbers.size())));
            std::swap(in.Identities[i].Issue, in.Identities[j].Issue);
        }
        const TDrawMergePlan first = PlanDrawMerge(draws, reg, in);
        const TDrawRegister old = reg;
        const int32_t before = draws.Count();
        ApplyDrawMerge(first, in, false, draws, reg);
        // The plan said what happened: its new draws, and the rows that gained an identity.
        ASSERT_EQ(draws.Count(), before + static_cast<int32_t>(first.NewDraws.size())) << seed;
        int32_t filled = 0;
        for (int32_t r = 0; r < before; ++r) filled += reg.At(r) == old.At(r) ? 0 : 1;
        EXPECT_EQ(filled, first.FilledIdentities) << seed;
        EXPECT_NO_THROW(CheckIssueOrder(reg.Rows)) << seed;
        const TDrawMergePlan second = PlanDrawMerge(draws, reg, in);
        EXPECT_TRUE(second.NewDraws.empty() && second.FilledIdentities == 0 &&
                    second.Match != TMergeMatch::None)
            << seed << ": " << DescribeMergePlan(second, in, reg);
    }
}

}  // namespace
