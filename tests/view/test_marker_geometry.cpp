#include <gtest/gtest.h>

#include <cmath>

#include "view/MarkerGeometry.h"

namespace {

std::vector<GPoint> V(std::initializer_list<GPoint> points) {
    return points;
}

TEST(MarkerNumbers, HalfUpIntRoundsHalvesUp) {
    EXPECT_EQ(HalfUpInt(18.5), 19);
    EXPECT_EQ(HalfUpInt(18.49), 18);
}

TEST(MarkerGeometry, CircleInA37PixelBox) {
    const TMarkerLayout m = LayoutMarker(0, 10, 20, 50, 37);
    EXPECT_EQ(m.Outer, V({{0, 19}, {19, 37}, {37, 19}, {19, 0}}));
    EXPECT_EQ(m.ShadowShift, 3);
    EXPECT_EQ(m.Lift, -1);
    EXPECT_EQ(m.OriginX, 10 + (50 - 37) / 2);
    EXPECT_EQ(m.OriginY, 20);
    EXPECT_EQ(m.Inner, V({{3, 19}, {19, 34}, {34, 19}, {19, 3}}));
    EXPECT_FLOAT_EQ(m.InnerTension, 0.85f * 34.0f / 37.0f);
    // The digit's rectangle: the inner bounds centred on the text anchor (121, 121).
    EXPECT_EQ(m.TextWidth, 31);
    EXPECT_EQ(m.TextHeight, 31);
    EXPECT_EQ(m.TextLeft, 4);
    EXPECT_EQ(m.TextTop, 4);
    EXPECT_NEAR(m.FontPoints, 17.2667, 1e-3);
}

TEST(MarkerGeometry, ShrinkPointsOnTheLeftAndAboveStayOnTheirSide) {
    const auto inner = ShrinkTowardsCentre(V({{0, 0}, {20, 0}, {0, 20}}), {10, 10}, -3);
    EXPECT_EQ(inner[0], (GPoint{2, 2}));  // 14.14 - 3 = 11.14 along the diagonal: 7.88 each way
    EXPECT_GT(inner[1].X, 10);
    EXPECT_LT(inner[1].Y, 10);
    EXPECT_LT(inner[2].X, 10);
    EXPECT_GT(inner[2].Y, 10);
}

TEST(CardinalSpline, ClosedCurveWrapsItsIndices) {
    const auto points = V({{0, 19}, {19, 37}, {37, 19}, {19, 0}});
    const auto s = CardinalToBeziers(points, 0.85, true);
    ASSERT_EQ(s.size(), 4u);
    const double t3 = 0.85 / 3;
    EXPECT_EQ(s[0].Start, (GPointF{0, 19}));
    EXPECT_DOUBLE_EQ(s[0].Control1.X, 0 + t3 * (19 - 19));
    EXPECT_DOUBLE_EQ(s[0].Control1.Y, 19 + t3 * (37 - 0));
    EXPECT_DOUBLE_EQ(s[0].Control2.X, 19 - t3 * (37 - 0));
    EXPECT_DOUBLE_EQ(s[0].Control2.Y, 37 - t3 * (19 - 19));
    EXPECT_EQ(s[0].End, (GPointF{19, 37}));
    EXPECT_EQ(s[3].End, (GPointF{0, 19}));
    // The last segment takes its neighbours from the start again.
    EXPECT_DOUBLE_EQ(s[3].Control1.X, 19 + t3 * (0 - 37));
    EXPECT_DOUBLE_EQ(s[3].Control2.Y, 19 - t3 * (37 - 0));
}

TEST(CardinalSpline, OpenCurveRepeatsItsEnds) {
    const auto s = CardinalToBeziers(V({{100, 100}, {105, 121}, {100, 141}}), 0.5, false);
    ASSERT_EQ(s.size(), 2u);
    const double t3 = 0.5 / 3;
    EXPECT_DOUBLE_EQ(s[0].Control1.X, 100 + t3 * (105 - 100));
    EXPECT_DOUBLE_EQ(s[0].Control1.Y, 100 + t3 * (121 - 100));
    EXPECT_DOUBLE_EQ(s[1].Control2.X, 100 - t3 * (100 - 105));
    EXPECT_DOUBLE_EQ(s[1].Control2.Y, 141 - t3 * (141 - 121));
    EXPECT_EQ(s[1].End, (GPointF{100, 141}));
}

TEST(CardinalSpline, ZeroTensionGivesStraightEdges) {
    const auto s = CardinalToBeziers(V({{2, 2}, {36, 2}, {36, 36}}), 0.0, true);
    for (const auto& seg : s) {
        EXPECT_EQ(seg.Control1, seg.Start);
        EXPECT_EQ(seg.Control2, seg.End);
    }
    EXPECT_TRUE(CardinalToBeziers(V({{1, 1}}), 0.5, false).empty());
}

TEST(CurvedLink, MiddlePointIsPushedSideways) {
    EXPECT_EQ(CurvedLinkMiddle({100, 100}, {100, 141}, 40), (GPoint{105, 121}));
    // Upwards: pushed to the left in screen terms (the right of travel).
    EXPECT_EQ(CurvedLinkMiddle({100, 141}, {100, 100}, 40), (GPoint{95, 121}));
    // A horizontal link running right bends downwards.
    EXPECT_EQ(CurvedLinkMiddle({100, 100}, {140, 100}, 40), (GPoint{120, 105}));
    EXPECT_EQ(CurvedLinkMiddle({0, 0}, {30, 40}, 30), (GPoint{22, 15}));
    EXPECT_EQ(CurvedLinkMiddle({7, 9}, {7, 9}, 30), (GPoint{7, 9}));
    // Link width by cell height 30, 40, 50, 60.
    EXPECT_EQ(
        std::vector<int>({LinkWidthFor(30), LinkWidthFor(40), LinkWidthFor(50), LinkWidthFor(60)}),
        std::vector<int>({2, 3, 3, 4}));
}

}  // namespace
