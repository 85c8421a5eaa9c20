#include <gtest/gtest.h>

#include <cmath>

#include "view/MarkerGeometry.h"

namespace {

std::vector<GPoint> V(std::initializer_list<GPoint> points) {
    return points;
}

TEST(MarkerShapes, TableHoldsSixShapesWithTheirDesign) {
    ASSERT_EQ(ShapeTable.size(), 6u);
    const int counts[] = {4, 12, 5, 3, 18, 4};
    const float tensions[] = {0.85f, 0.4f, 0.2f, 1.0f, 0.6f, 0.0f};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(ShapeTable[i].PointCount, counts[i]) << i;
        EXPECT_EQ(ShapeTable[i].Tension, tensions[i]) << i;
    }
    // The heart: notch and tip on the middle axis.
    EXPECT_EQ(ShapeTable[4].Points[5], (GPoint{120, 33}));
    EXPECT_EQ(ShapeTable[4].Points[14], (GPoint{120, 233}));
    EXPECT_EQ(ShapeTable[4].FontSize, 13);
    EXPECT_EQ(ShapeTable[5].FontSize, 16);
    EXPECT_EQ(ShapeTable[0].InnerColor, ColorToArgb(40, 62, 255));
    EXPECT_EQ(ShapeTable[3].TextColor, ColorToArgb(204, 255, 102));
    EXPECT_EQ(ShapeTable[5].OuterColor, ColorToArgb(236, 250, 220));
}

TEST(MarkerShapes, IndexOutsideTheTableFallsBackToTheCircle) {
    EXPECT_EQ(&MarkerShapeAt(-1), &ShapeTable[0]);
    EXPECT_EQ(&MarkerShapeAt(6), &ShapeTable[0]);
    EXPECT_EQ(&MarkerShapeAt(5), &ShapeTable[5]);
}

TEST(MarkerNumbers, ColorsAreOpaqueArgb) {
    EXPECT_EQ(ColorToArgb(153, 153, 153), 0xFF999999u);
    EXPECT_EQ(ColorToArgb(1, 2, 3), 0xFF010203u);
    EXPECT_EQ(ArgbGreen(ColorToArgb(1, 2, 3)), 2);
}

TEST(MarkerNumbers, HalfUpIntRoundsHalvesUp) {
    EXPECT_EQ(HalfUpInt(18.5), 19);
    EXPECT_EQ(HalfUpInt(18.49), 18);
    EXPECT_EQ(HalfUpInt(0.0), 0);
    EXPECT_EQ(HalfUpInt(120.9), 121);
}

TEST(MarkerNumbers, PolygonBounds) {
    const TBounds b = PolygonBounds(V({{3, 19}, {19, 34}, {34, 19}, {19, 3}}));
    EXPECT_EQ(b.MinX, 3);
    EXPECT_EQ(b.MinY, 3);
    EXPECT_EQ(b.MaxX, 34);
    EXPECT_EQ(b.MaxY, 34);
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

TEST(MarkerGeometry, ShrinkMovesDiagonalPointsAlongTheirRay) {
    // (13, 13) lies 10 x sqrt 2 from (3, 3); moved 2 inwards along the diagonal.
    const auto inner = ShrinkTowardsCentre(V({{13, 13}, {-7, 3}, {3, -7}}), {3, 3}, -2);
    const double q = (10 * std::sqrt(2.0) - 2) / std::sqrt(2.0);
    EXPECT_EQ(inner[0], (GPoint{HalfUpInt(3 + q), HalfUpInt(3 + q)}));
    EXPECT_EQ(inner[1], (GPoint{-5, 3}));
    EXPECT_EQ(inner[2], (GPoint{3, -5}));
}

TEST(MarkerGeometry, ShrinkPointsOnTheLeftAndAboveStayOnTheirSide) {
    const auto inner = ShrinkTowardsCentre(V({{0, 0}, {20, 0}, {0, 20}}), {10, 10}, -3);
    EXPECT_LT(inner[0].X, 10);
    EXPECT_LT(inner[0].Y, 10);
    EXPECT_GT(inner[1].X, 10);
    EXPECT_LT(inner[1].Y, 10);
    EXPECT_LT(inner[2].X, 10);
    EXPECT_GT(inner[2].Y, 10);
    EXPECT_EQ(inner[0], (GPoint{2, 2}));  // 14.14 - 3 = 11.14 along the diagonal: 7.88 each way
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
}

TEST(CurvedLink, WidthFollowsTheCellHeight) {
    EXPECT_EQ(LinkWidthFor(30), 2);
    EXPECT_EQ(LinkWidthFor(40), 3);
    EXPECT_EQ(LinkWidthFor(50), 3);
    EXPECT_EQ(LinkWidthFor(60), 4);
}

}  // namespace
