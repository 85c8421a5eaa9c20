#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "search/Gui2Reg.h"
#include "search/PatternCheck.h"
#include "search/PatternColumns.h"
#include "tests/support/SearchTestSupport.h"

namespace {

class NotAPattern : public TPersistent {};

std::vector<TPoint> PointsOf(const TPointList& list) {
    std::vector<TPoint> points;
    for (int32_t i = 0; i < list.Count(); ++i) points.push_back(list.Get(i));
    return points;
}

// Low line predicting at A and C, high line in the past, three steps.
void FillExample(TGui2Reg& reg) {
    reg.Line(0).Add({1, 0});
    reg.Line(0).Add({3, 0});
    reg.Line(0).Add({2, -1});
    reg.Line(1).Add({1, -2});
    reg.Line(1).Add({4, -3});
    reg.Layout = 2;
    reg.ContrastKind = 3;
    reg.BaseRow = 40;
    reg.AddStep({3, 8});
    reg.AddStep({7, 2});
    reg.AddStep({8, 3});
    reg.SetPosition(0, 1, true);
    reg.SetPosition(0, 3, true);
    reg.SetResult(0, 3);
}

TEST(TGui2Reg, StepSumSkipsPredictingCellsUnlessAsked) {
    TGui2Reg reg;
    EXPECT_EQ(reg.SumsText(), "");
    reg.AddStep({4, 9});
    reg.AddStep({4, 4});
    EXPECT_EQ(reg.StepTotal, 2);
    EXPECT_EQ(reg.StepSums, (std::vector<int32_t>{4, 9, 4, 4}));
    EXPECT_EQ(reg.StepSum(0, 0, false), 4);
    reg.SetPosition(0, 2, true);
    EXPECT_EQ(reg.StepSum(0, 0, false), -1);
    EXPECT_EQ(reg.StepSum(0, 0, true), 4);
    EXPECT_EQ(reg.StepSum(1, 0, false), 4);
}

TEST(TGui2Reg, ListTextsOfAPattern) {
    TGui2Reg reg;
    FillExample(reg);
    EXPECT_EQ(reg.PointsText(), "23");
    EXPECT_EQ(reg.PositionsText(), "A,C");
    EXPECT_EQ(reg.SumsText(), "38,27,8x");
    EXPECT_EQ(reg.ResultsText(), "A+C=38");
    EXPECT_EQ(reg.PredictionText(), "A+C=3或8，命中机会20%");
    // The 结果 tool tip: the chance, the two-digit form explained, the backtest named.
    const std::string hint = PatternResultHint(reg);
    EXPECT_EQ(hint.rfind("规律给出：A+C=3或8，命中机会20%。列表里写作“A+C=38”", 0), 0u) << hint;
    EXPECT_NE(hint.find("规律回测（Ctrl+B）"), std::string::npos);
    EXPECT_EQ(reg.TopOffset(), -3);
    EXPECT_EQ(reg.MarkedLineCount(), 1);
    EXPECT_TRUE(reg.PositionUsed(3));
    EXPECT_FALSE(reg.PositionUsed(0));

    reg.SetPosition(1, 2, true);  // both lines predict: high line first
    reg.SetResult(1, 8);
    reg.ContrastKind = 1;
    EXPECT_EQ(reg.ResultsText(), "B=8,A+C=3");
    EXPECT_EQ(reg.PredictionText(), "B=8，A+C=3，命中机会10%");
    EXPECT_EQ(PatternResultHint(reg).find("列表里写作"), std::string::npos);  // one digit each
    EXPECT_EQ(reg.SumsText(), "38,27,xx");
    EXPECT_EQ(reg.PositionsText(), "A,B,C");
}

// The text names the digit that hits: for found 全明 and 全对 patterns of one predicted digit
// position, that digit put into the coming draw verifies as 中 by the hit rule, and every other
// digit as 未中; 明对 names the stored digit and its pair.
TEST(TGui2Reg, ResultTextNamesTheDigitThatHits) {
    TGui2Reg reg;
    for (auto [kind, digit, text] :
         {std::tuple{1, 3, "3"}, {2, 3, "3"}, {3, 3, "38"}, {3, 7, "72"}}) {
        reg.ContrastKind = kind;
        EXPECT_EQ(reg.ResultText(digit), text) << kind << digit;
    }
    const auto draws = RandomDraws(23, 40);
    for (int32_t contrast : {1, 2}) {
        SCOPED_TRACE(contrast);
        SearchOptions options;
        options.SumConstrastGbx = contrast;
        options.FallStyleGbx = 1;  // 定位定数
        options.SecCountSe = 3;
        TRecordingSink found;
        found.KeepPatterns = true;
        TJobControl stop;
        RunSearch(TSearchRequest{options, draws.get(), 1, 1}, found, stop);
        int32_t checked = 0;
        for (const auto& pattern : found.Patterns) {
            const std::string text = pattern->ResultsText();
            const int32_t column =
                static_cast<int32_t>(std::string_view(PositionLetters).find(text[0]));
            if (text.size() != 3 || column < 1) continue;  // one digit position A-G
            for (int32_t d = 0; d < 10; ++d) {
                TCodes coming;
                coming.Assign(*draws);
                coming.SetNum(column, coming.Add(), d);
                const bool shown = d == text[2] - '0';
                EXPECT_EQ(VerifyPattern(*pattern, coming),
                          shown ? TVerification::Hit : TVerification::Miss)
                    << text << " with " << d;
            }
            if (++checked == 20) break;
        }
        EXPECT_GT(checked, 0);
    }
}

TEST(TGui2Reg, ShortestPathOrderingAndItsTieRule) {
    TGui2Reg reg;
    for (TPoint p : {TPoint{0, 0}, TPoint{2, 0}, TPoint{1, -1}}) reg.Line(0).Add(p);
    // Unit square corners out of rim order: "1324" and "1423" both walk the rim; the earlier wins.
    for (TPoint p : {TPoint{0, 0}, TPoint{1, -1}, TPoint{1, 0}, TPoint{0, -1}}) reg.Line(1).Add(p);
    reg.OrderByShortestPath();
    EXPECT_EQ(PointsOf(reg.Line(0)), (std::vector<TPoint>{{0, 0}, {1, -1}, {2, 0}}));
    EXPECT_EQ(PointsOf(reg.Line(1)), (std::vector<TPoint>{{0, 0}, {1, 0}, {1, -1}, {0, -1}}));

    TGui2Reg five;  // more than four points are left as they are
    for (int i = 0; i < 5; ++i) five.Line(1).Add({i % 2 * 5, -i});
    const auto before = PointsOf(five.Line(1));
    five.OrderByShortestPath();
    EXPECT_EQ(PointsOf(five.Line(1)), before);
}

// The quick drawing order (each step measured once) against the literal one (every path
// measured step by step) on random lines of three and four cells of a small grid, where
// paths of equal length are common.
TEST(TGui2Reg, DrawingOrderAgreesWithTheLiteralOrderOnRandomLines) {
    std::mt19937 random(39);
    int reordered = 0;
    for (int round = 0; round < 20000; ++round) {
        TGui2Reg quick;
        TGui2Reg literal;
        for (int32_t l = 0; l < TGui2Reg::LineCount; ++l) {
            const int32_t count = 3 + static_cast<int32_t>(random() % 2);
            for (int32_t i = 0; i < count; ++i) {
                const TPoint p{static_cast<int32_t>(random() % 8),
                               -static_cast<int32_t>(random() % (round % 2 ? 4 : 12))};
                quick.Line(l).Add(p);
                literal.Line(l).Add(p);
            }
        }
        const auto before = PointsOf(quick.Line(1));
        quick.OrderByShortestPath();
        OrderLinesLiterally(literal);
        for (int32_t l = 0; l < TGui2Reg::LineCount; ++l)
            ASSERT_EQ(PointsOf(quick.Line(l)), PointsOf(literal.Line(l))) << round << " " << l;
        reordered += PointsOf(quick.Line(1)) != before;
    }
    EXPECT_GT(reordered, 5000);
}

TEST(TGui2Reg, AssignReproducesEveryMemberAndErrorsCarryTheirTexts) {
    TGui2Reg source;
    FillExample(source);
    TGui2Reg copy;
    copy.Line(1).Add({7, -9});
    copy.StepTotal = 9;
    source.AssignTo(copy);
    TMemoryStream a, b;
    source.SaveToStream(a);
    copy.SaveToStream(b);
    EXPECT_EQ(a.Bytes(), b.Bytes());

    NotAPattern other;
    EXPECT_EQ(ErrorOf([&] { copy.Assign(other); }), "TGui2Reg.Assign Source isnot valid!");
    EXPECT_EQ(ErrorOf([&] { copy.AssignTo(other); }), "TGui2Reg.AssignTo Dest isnot valid!");
    EXPECT_THROW(copy.Line(2), TError);
}

TEST(TGui2Reg, RecordOfTwoLowThreeHighFourStepsIs120Bytes) {
    TGui2Reg reg;
    reg.Line(0).Add({1, 0});
    reg.Line(0).Add({2, -1});
    for (int i = 1; i <= 3; ++i) reg.Line(1).Add({i, -i});
    reg.Layout = 1;
    // A sum beyond a digit, as only a hand-edited document holds, is kept exactly.
    for (int s = 0; s < 4; ++s) reg.AddStep({s, s == 3 ? 1000 : s + 5});
    reg.BaseRow = 300;
    reg.SetPosition(0, 1, true);
    reg.SetResult(0, 6);
    reg.ContrastKind = 3;

    TMemoryStream stream;
    reg.SaveToStream(stream);
    ASSERT_EQ(stream.Size(), 120u);
    const auto& b = stream.Bytes();
    EXPECT_EQ(b[0], 2);            // low line count
    EXPECT_EQ(b[20], 3);           // high line count
    EXPECT_EQ(b[48], 1);           // Layout
    EXPECT_EQ(b[52], 4);           // StepTotal
    EXPECT_EQ(b[56 + 4], 5);       // step 0 high sum
    EXPECT_EQ(b[88], 300 & 0xFF);  // BaseRow
    EXPECT_EQ(b[92], 6);           // low result
    EXPECT_EQ(b[96 + 1], 1);       // low line marks column A
    EXPECT_EQ(b[116], 3);          // ContrastKind

    stream.SetPosition(0);
    TGui2Reg back;
    back.LoadFromStream(stream);
    TMemoryStream again;
    back.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), stream.Bytes());

    for (size_t cut : {3u, 50u, 90u, 119u}) {
        TMemoryStream shortStream(std::vector<uint8_t>(b.begin(), b.begin() + cut));
        TGui2Reg target;
        FillExample(target);
        EXPECT_THROW(target.LoadFromStream(shortStream), TTruncatedError) << cut;
        EXPECT_EQ(target.StepTotal, 3) << "a failed read must leave the pattern as it was";
    }
}

}  // namespace
