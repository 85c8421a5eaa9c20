#include <gtest/gtest.h>

#include <set>

#include "view/PatternPlan.h"

namespace {

// 40 draws; draw i has digits i mod 10 (A), (i + 1) mod 10 (B), ...
void FillDraws(TCodes& draws, int32_t count = 40) {
    draws.SetCount(count);
    for (int32_t i = 0; i < count; ++i) {
        DrawRecord r;
        for (int p = 1; p <= 7; ++p) r[p] = (i + p - 1) % 10;
        draws.SetCode(i, r);
    }
}

// High line of 2 points, low line of 2 points predicting at A.
void FillPattern(TGui2Reg& reg, int32_t layout, int32_t steps, int32_t baseRow = 40) {
    reg.Line(0).Add({1, 0});
    reg.Line(0).Add({2, -1});
    reg.Line(1).Add({3, -1});
    reg.Line(1).Add({4, -2});
    reg.Layout = layout;
    reg.BaseRow = baseRow;
    reg.ContrastKind = 1;
    for (int32_t s = 0; s < steps; ++s) reg.AddStep({s % 10, (s + 3) % 10});
    reg.SetPosition(0, 1, true);
    reg.SetResult(0, 7);
}

struct Planned {
    TCodes draws;
    TGui2Reg reg;
    std::vector<TPlanOp> Plan(int32_t mode, int32_t colCount = 10, int32_t first = 20) {
        return PlanPattern({reg, draws, colCount, mode, first});
    }
};

std::vector<TPlanOp> OfKind(const std::vector<TPlanOp>& ops, TPlanOpKind kind) {
    std::vector<TPlanOp> result;
    for (const TPlanOp& op : ops)
        if (op.Kind == kind) result.push_back(op);
    return result;
}

// Colour of the first marker (or link) of each (step, line), oldest step first, high first.
std::vector<TArgb> ColourSequence(const std::vector<TPlanOp>& ops, TPlanOpKind kind) {
    std::vector<TArgb> colours;
    int32_t lastStep = -1, lastLine = -1;
    for (const TPlanOp& op : OfKind(ops, kind)) {
        if (op.Step == lastStep && op.Line == lastLine) continue;
        colours.push_back(op.Color);
        lastStep = op.Step;
        lastLine = op.Line;
    }
    return colours;
}

TEST(PatternPlan, AllLinksComeBeforeAllMarkersOldestStepFirst) {
    Planned p;
    FillDraws(p.draws);
    FillPattern(p.reg, 2, 3);
    const auto ops = p.Plan(3);
    size_t lastLink = 0, firstMarker = ops.size();
    for (size_t i = 0; i < ops.size(); ++i) {
        if (ops[i].Kind == TPlanOpKind::Link) lastLink = i;
        if (ops[i].Kind == TPlanOpKind::Marker) firstMarker = std::min(firstMarker, i);
    }
    EXPECT_LT(lastLink, firstMarker);
    const auto links = OfKind(ops, TPlanOpKind::Link);
    ASSERT_EQ(links.size(), 6u);  // one link per line and step
    EXPECT_EQ(links[0].Step, 2);
    EXPECT_EQ(links[0].Line, 1);
    EXPECT_EQ(links[1].Line, 0);
    EXPECT_EQ(links.back().Step, 0);
    // Step 2 lies 4 rows back: base 36, shown from draw 20 in grid row 1.
    EXPECT_EQ(links[0].Cell, (TPlanCell{36 - 1 - 20 + 1, 4}));
    EXPECT_EQ(links[0].To, (TPlanCell{36 - 2 - 20 + 1, 5}));
}

TEST(PatternPlan, ColourModesGiveMarkersAndLinksTheirSequence) {
    const auto& M = MarkerPalette;
    struct Case {
        int32_t Mode, Layout, Steps;
        std::vector<TArgb> Markers, Links;  // no markers: design colours
    };
    const std::vector<Case> cases = {
        // One colour per line, high first.
        {3, 2, 3, {M[6], M[5], M[6], M[5], M[6], M[5]}, {M[6], M[5], M[6], M[5], M[6], M[5]}},
        // Each step the next colour.
        {2, 3, 3, {M[6], M[6], M[7], M[7], M[8], M[8]}, {M[6], M[6], M[7], M[7], M[8], M[8]}},
        // Each line and step the next colour: 6..11, then wrapping to 0 and 1.
        {4,
         2,
         4,
         {M[6], M[7], M[8], M[9], M[10], M[11], M[0], M[1]},
         {M[6], M[7], M[8], M[9], M[10], M[11], M[0], M[1]}},
        // Design markers over links running through the line palette.
        {0, 2, 2, {}, {LinePalette[6], LinePalette[7], LinePalette[8], LinePalette[9]}},
        // A mode outside the five paints as mode 0.
        {7, 2, 2, {}, {LinePalette[6], LinePalette[7], LinePalette[8], LinePalette[9]}},
        // Every marker in one colour over links running through the line palette.
        {1,
         2,
         3,
         {M[5], M[5], M[5], M[5], M[5], M[5]},
         {LinePalette[6], LinePalette[7], LinePalette[8], LinePalette[9], LinePalette[10],
          LinePalette[11]}},
    };
    for (const Case& c : cases) {
        Planned p;
        FillDraws(p.draws);
        FillPattern(p.reg, c.Layout, c.Steps);
        const auto ops = p.Plan(c.Mode);
        EXPECT_EQ(ColourSequence(ops, TPlanOpKind::Link), c.Links) << c.Mode;
        if (!c.Markers.empty()) {
            EXPECT_EQ(ColourSequence(ops, TPlanOpKind::Marker), c.Markers) << c.Mode;
        }
        for (const TPlanOp& op : ops) {
            const bool painted = op.Kind == TPlanOpKind::Marker ||
                                 (c.Markers.empty() && op.Kind == TPlanOpKind::ResultDigit);
            EXPECT_TRUE(!painted || op.DesignColors == c.Markers.empty()) << c.Mode;
        }
    }
}

TEST(PatternPlan, LayoutOneDrawsOnlyNewestAndOldestStepButNotesEveryStep) {
    Planned p;
    FillDraws(p.draws);
    FillPattern(p.reg, 1, 5);
    const auto ops = p.Plan(3);
    std::set<int32_t> drawnSteps;
    for (const TPlanOp& op : ops)
        if (op.Kind == TPlanOpKind::Marker || op.Kind == TPlanOpKind::Link)
            drawnSteps.insert(op.Step);
    EXPECT_EQ(drawnSteps, (std::set<int32_t>{0, 4}));
    const auto notes = OfKind(ops, TPlanOpKind::StepNote);
    ASSERT_EQ(notes.size(), 5u);
    EXPECT_EQ(notes[0].Step, 4);
    EXPECT_EQ(notes[0].Cell, (TPlanCell{40 - 4 - 20 + 1, 9}));
    EXPECT_EQ(notes[0].Text, "7,4");  // step 4: high 7, low 4
    EXPECT_EQ(notes[4].Text, "3,x");  // the low line predicts
}

TEST(PatternPlan, MarkersShowTheDigitsUnderThemAndTheComingDrawShowsTheResult) {
    Planned p;
    FillDraws(p.draws);
    FillPattern(p.reg, 2, 2);
    const auto ops = p.Plan(3);
    const auto markers = OfKind(ops, TPlanOpKind::Marker);
    // Step 0, low line: (A, 0) on the coming draw 40 (no digit), (B, -1) on draw 39 = 0.
    std::vector<std::string> texts;
    for (const TPlanOp& m : markers)
        if (m.Step == 0 && m.Line == 0) texts.push_back(m.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"", "0"}));
    const auto digits = OfKind(ops, TPlanOpKind::ResultDigit);
    ASSERT_EQ(digits.size(), 1u);
    EXPECT_EQ(digits[0].Text, "7");
    EXPECT_EQ(digits[0].Cell, (TPlanCell{40 - 20 + 1, 2}));
    EXPECT_EQ(digits[0].Color, PaletteMarkerText);
}

TEST(PatternPlan, SumColumnDigitIsTakenModuloTen) {
    Planned p;
    FillDraws(p.draws);
    p.reg.Line(0).Add({1, 0});
    p.reg.Line(1).Add({0, -1});  // H of draw 39: 9 + 0 + 1 + 2 = 12
    p.reg.Layout = 2;
    p.reg.BaseRow = 40;
    p.reg.AddStep({1, 2});
    const auto markers = OfKind(p.Plan(3), TPlanOpKind::Marker);
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[0].Text, "2");
}

TEST(PatternPlan, TwoPredictedPositionsWriteNoResultDigit) {
    Planned p;
    FillDraws(p.draws);
    FillPattern(p.reg, 2, 2);
    p.reg.Line(0).Add({3, 0});
    p.reg.SetPosition(0, 3, true);
    EXPECT_TRUE(OfKind(p.Plan(3), TPlanOpKind::ResultDigit).empty());
}

TEST(PatternPlan, LinesInHiddenColumnsAreNotDrawnWithSevenColumns) {
    Planned p;
    FillDraws(p.draws);
    p.reg.Line(0).Add({5, 0});  // E: hidden with 7 columns
    p.reg.Line(0).Add({1, -1});
    p.reg.Line(1).Add({2, -1});
    p.reg.Line(1).Add({3, -2});
    p.reg.Layout = 2;
    p.reg.BaseRow = 40;
    p.reg.AddStep({1, 6});
    p.reg.AddStep({1, 6});
    p.reg.SetPosition(0, 5, true);
    const auto ops = p.Plan(3, 7);
    for (const TPlanOp& op : ops) {
        if (op.Kind == TPlanOpKind::Marker || op.Kind == TPlanOpKind::Link) {
            EXPECT_EQ(op.Line, 1);
        }
        EXPECT_NE(op.Kind, TPlanOpKind::ResultDigit);
    }
    EXPECT_EQ(OfKind(ops, TPlanOpKind::StepNote)[0].Cell.Column, 6);
    // With 10 columns the line is drawn.
    EXPECT_EQ(OfKind(p.Plan(3, 10), TPlanOpKind::ResultDigit).size(), 1u);
}

TEST(PatternTexts, StepNotesAndFeatures) {
    TGui2Reg reg;
    reg.Line(0).Add({1, 0});
    reg.Line(0).Add({2, -1});
    reg.Line(1).Add({3, -1});
    reg.Line(1).Add({4, -2});
    reg.Line(1).Add({5, -2});
    reg.Layout = 2;
    reg.ContrastKind = 3;
    for (int i = 0; i < 7; ++i) reg.AddStep({8, 3});
    EXPECT_EQ(StepNoteText(reg, 3), "3,8");
    EXPECT_EQ(StepNoteText(reg, 0), "3,8");  // no line predicts yet
    reg.SetPosition(0, 1, true);
    EXPECT_EQ(StepNoteText(reg, 0), "3,x");
    reg.SetPosition(1, 1, true);
    EXPECT_EQ(StepNoteText(reg, 0), "xx");  // a predicting line adds no separator
    EXPECT_EQ(FeaturesText(reg), "规律特点：3对2 7步 隔一 明对 ");
}

TEST(ExportFrameTest, RowsCoverThePatternWithinLimits) {
    TGridGeometry g;
    g.ClientHeight = 600;
    g.Layout(300);
    ASSERT_EQ(g.VisibleRows, 16);
    TGui2Reg reg;
    reg.Line(0).Add({1, 0});
    reg.Line(1).Add({2, -3});
    reg.Layout = 2;
    reg.BaseRow = 300;
    for (int i = 0; i < 5; ++i) reg.AddStep({1, 1});
    // 5 steps x 2 + 3 rows of figure + 4 = 17 rows.
    EXPECT_EQ(ExportFrame(g, reg), (TExportFrame{300 - 17 + 4, 17, 466, 17 * 31}));
    reg.Layout = 1;
    EXPECT_EQ(ExportFrame(g, reg).Rows, 16);  // at least the visible rows
    reg.Layout = 4;
    for (int i = 0; i < 10; ++i) reg.AddStep({1, 1});
    EXPECT_EQ(ExportFrame(g, reg).Rows, 45);  // at most 45
    EXPECT_EQ(ExportFrame(g, reg).First, 300 - 45 + 4);
    g.SetCellHeight(40);
    g.ColCount = 7;
    g.Layout(300);
    EXPECT_EQ(ExportFrame(g, reg).Width, g.TotalWidth() + 1);
    EXPECT_EQ(ExportFrame(g, reg).Height, 45 * 41);
}

}  // namespace

namespace {

TEST(PatternPlan, KnownDrawGetsAVerdictRingAndAPatternBeyondTheDrawsNothing) {
    Planned p;
    FillDraws(p.draws);
    // Predicts draw 39: low A + B of 38 = 9 + 9, high C of 38 + D of 37 = 0 + 0; 全明 misses.
    FillPattern(p.reg, 2, 2, 39);
    const auto ops = p.Plan(3);
    EXPECT_TRUE(OfKind(ops, TPlanOpKind::ResultDigit).empty());
    const auto rings = OfKind(ops, TPlanOpKind::VerdictRing);
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_EQ(rings[0].Cell, (TPlanCell{39 - 20 + 1, 2}));
    EXPECT_EQ(rings[0].Color, MissColor);
    EXPECT_EQ(rings[0].Text, "未中");
    p.reg.ContrastKind = 3;  // 8 against 0: neither equal nor paired either
    EXPECT_EQ(OfKind(p.Plan(3), TPlanOpKind::VerdictRing)[0].Color, MissColor);
    p.draws.SetNum(1, 39, 1);  // low 1 + 9 = 0 against 0
    EXPECT_EQ(OfKind(p.Plan(3), TPlanOpKind::VerdictRing)[0].Color, HitColor);

    // An old draw edited after the search that found it: the figure stays, without a verdict.
    TCodes searched;
    searched.Assign(p.draws);
    searched.SetCount(39);
    EXPECT_EQ(OfKind(PlanPattern({p.reg, p.draws, 10, 3, 20, &searched}), TPlanOpKind::VerdictRing)
                  .size(),
              1u);
    p.draws.SetNum(6, 10, (p.draws.GetNum(6, 10) + 1) % 10);
    const auto changed = PlanPattern({p.reg, p.draws, 10, 3, 20, &searched});
    EXPECT_TRUE(OfKind(changed, TPlanOpKind::VerdictRing).empty());
    EXPECT_TRUE(OfKind(changed, TPlanOpKind::ResultDigit).empty());  // draw 39 shows its own
    EXPECT_FALSE(OfKind(changed, TPlanOpKind::Marker).empty());

    Planned beyond;
    FillDraws(beyond.draws);
    FillPattern(beyond.reg, 2, 2, 41);
    EXPECT_TRUE(beyond.Plan(3).empty());
}

}  // namespace
