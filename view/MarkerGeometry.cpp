#include "view/MarkerGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr TMarkerShape MakeShape(std::initializer_list<GPoint> points, GPoint anchor,
                                 int32_t fontSize, float tension, TArgb text, TArgb inner,
                                 TArgb outer) {
    TMarkerShape shape;
    shape.PointCount = static_cast<int32_t>(points.size());
    int i = 0;
    for (const GPoint& p : points) shape.Points[i++] = p;
    shape.TextAnchor = anchor;
    shape.FontSize = fontSize;
    shape.Tension = tension;
    shape.TextColor = text;
    shape.InnerColor = inner;
    shape.OuterColor = outer;
    return shape;
}

}  // namespace

const std::array<TMarkerShape, MarkerShapeCount> ShapeTable = {
    // 标准圆: four points and a high tension make a circle.
    MakeShape({{0, 120}, {120, 240}, {240, 120}, {120, 0}}, {121, 121}, 14, 0.85f,
              ColorToArgb(248, 238, 222), ColorToArgb(40, 62, 255), ColorToArgb(248, 248, 248)),
    // 圆角方形
    MakeShape({{8, 35},
               {38, 9},
               {120, 1},
               {192, 9},
               {232, 35},
               {238, 122},
               {232, 192},
               {195, 232},
               {120, 238},
               {45, 232},
               {8, 192},
               {2, 122}},
              {122, 122}, 14, 0.4f, ColorToArgb(92, 46, 46), ColorToArgb(164, 164, 255),
              ColorToArgb(226, 228, 245)),
    // 五角形
    MakeShape({{62, 239}, {0, 89}, {122, 2}, {236, 89}, {175, 236}}, {122, 124}, 14, 0.2f,
              ColorToArgb(64, 0, 64), ColorToArgb(255, 128, 128), ColorToArgb(226, 227, 206)),
    // 馒头: three points at tension 1 make a dome.
    MakeShape({{111, 6}, {228, 170}, {15, 205}}, {119, 126}, 14, 1.0f, ColorToArgb(204, 255, 102),
              ColorToArgb(102, 51, 102), ColorToArgb(248, 248, 248)),
    // 心形: notch at (120, 33), tip at (120, 233).
    MakeShape({{1, 87},
               {15, 30},
               {55, 4},
               {97, 11},
               {117, 28},
               {120, 33},
               {123, 28},
               {143, 11},
               {185, 4},
               {225, 30},
               {239, 87},
               {218, 145},
               {175, 200},
               {126, 229},
               {120, 233},
               {114, 229},
               {65, 200},
               {22, 145}},
              {120, 125}, 13, 0.6f, ColorToArgb(255, 255, 128), ColorToArgb(0, 128, 64),
              ColorToArgb(217, 255, 255)),
    // A plain square; not offered by the options dialog.
    MakeShape({{2, 236}, {2, 2}, {236, 2}, {236, 236}}, {120, 116}, 16, 0.0f,
              ColorToArgb(219, 234, 200), ColorToArgb(0, 128, 0), ColorToArgb(236, 250, 220)),
};

const TMarkerShape& MarkerShapeAt(int32_t index) {
    if (index < 0 || index >= MarkerShapeCount) return ShapeTable[0];
    return ShapeTable[static_cast<size_t>(index)];
}

int32_t HalfUpInt(double v) {
    const double whole = std::trunc(v);
    return static_cast<int32_t>(whole) + (v - whole >= 0.5 ? 1 : 0);
}

TBounds PolygonBounds(std::span<const GPoint> points) {
    if (points.empty()) return {};
    TBounds b{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const GPoint& p : points) {
        b.MinX = std::min(b.MinX, p.X);
        b.MinY = std::min(b.MinY, p.Y);
        b.MaxX = std::max(b.MaxX, p.X);
        b.MaxY = std::max(b.MaxY, p.Y);
    }
    return b;
}

std::vector<GPoint> ShrinkTowardsCentre(std::span<const GPoint> points, GPoint centre,
                                        double distance) {
    std::vector<GPoint> result;
    result.reserve(points.size());
    for (const GPoint& p : points) {
        const double dx = p.X - centre.X;
        const double dy = p.Y - centre.Y;
        double nx = p.X;
        double ny = p.Y;
        if (dx != 0 && dy != 0) {
            const double r = std::sqrt(dx * dx + dy * dy);
            const double k = dx / dy;
            const double reach = r + distance;
            const double qy = std::sqrt(reach * reach / (k * k + 1));
            const double qx = std::fabs(qy * k);
            nx = centre.X <= p.X ? centre.X + qx : centre.X - qx;
            ny = centre.Y <= p.Y ? centre.Y + qy : centre.Y - qy;
        } else if (dx == 0) {
            ny = centre.Y <= p.Y ? p.Y + distance : p.Y - distance;
        } else {
            nx = centre.X <= p.X ? p.X + distance : p.X - distance;
        }
        result.push_back({HalfUpInt(nx), HalfUpInt(ny)});
    }
    return result;
}

std::vector<TBezierSegment> CardinalToBeziers(std::span<const GPointF> points, double tension,
                                              bool closed) {
    std::vector<TBezierSegment> segments;
    const int n = static_cast<int>(points.size());
    if (n < 2) return segments;
    const auto at = [&](int i) -> GPointF {
        if (closed) return points[static_cast<size_t>(((i % n) + n) % n)];
        return points[static_cast<size_t>(std::clamp(i, 0, n - 1))];
    };
    const double t3 = tension / 3.0;
    const int count = closed ? n : n - 1;
    segments.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const GPointF prev = at(i - 1), p = at(i), next = at(i + 1), after = at(i + 2);
        segments.push_back({p,
                            {p.X + t3 * (next.X - prev.X), p.Y + t3 * (next.Y - prev.Y)},
                            {next.X - t3 * (after.X - p.X), next.Y - t3 * (after.Y - p.Y)},
                            next});
    }
    return segments;
}

std::vector<TBezierSegment> CardinalToBeziers(std::span<const GPoint> points, double tension,
                                              bool closed) {
    std::vector<GPointF> asFloat;
    asFloat.reserve(points.size());
    for (const GPoint& p : points) asFloat.push_back({double(p.X), double(p.Y)});
    return CardinalToBeziers(std::span<const GPointF>(asFloat), tension, closed);
}

TMarkerLayout LayoutMarker(int32_t shapeIndex, int32_t left, int32_t top, int32_t width,
                           int32_t height) {
    const TMarkerShape& shape = MarkerShapeAt(shapeIndex);
    TMarkerLayout m;
    m.Side = static_cast<float>(height);
    const float side = m.Side;
    m.OriginX = left + (width - height) / 2;
    m.OriginY = top;
    m.ShadowShift = static_cast<int32_t>(std::ceil(2.0f * side / 30.0f));
    m.Lift = static_cast<int32_t>(std::ceil(-1.3f * side / 30.0f));

    const float scale = side / 240.0f;
    for (const GPoint& p : shape.Outline())
        m.Outer.push_back({HalfUpInt(p.X * double(scale)), HalfUpInt(p.Y * double(scale))});
    m.Tension = shape.Tension;

    const int32_t half = static_cast<int32_t>(std::ceil(side)) / 2 + 1;
    m.Inner = ShrinkTowardsCentre(m.Outer, {half, half}, -m.ShadowShift);
    m.InnerTension = shape.Tension * (side - m.ShadowShift) / side;

    const TBounds b = PolygonBounds(m.Inner);
    m.TextWidth = b.MaxX - b.MinX;
    m.TextHeight = b.MaxY - b.MinY;
    m.TextLeft =
        static_cast<int32_t>(std::ceil(shape.TextAnchor.X * double(scale) - m.TextWidth / 2.0));
    m.TextTop =
        static_cast<int32_t>(std::ceil(shape.TextAnchor.Y * double(scale) - m.TextHeight / 2.0));
    m.FontPoints = shape.FontSize * double(side) / 30.0;
    return m;
}

GPoint CurvedLinkMiddle(GPoint p1, GPoint p2, int32_t cellHeight) {
    const float dx = static_cast<float>(p2.X - p1.X);
    const float dy = static_cast<float>(p2.Y - p1.Y);
    const float length = std::sqrt(dx * dx + dy * dy);
    GPoint middle{HalfUpInt(p1.X + dx / 2.0), HalfUpInt(p1.Y + dy / 2.0)};
    if (length == 0.0f || cellHeight == 0) return middle;
    const float ux = dx / length;
    const float uy = dy / length;
    // Sideways push: 15 x (L / h / 3) pixels, i.e. 5 / h per pixel of length.
    const double push = 15.0 * double(length) / cellHeight / 3.0;
    if (dx != 0 && dy != 0) {
        middle = {HalfUpInt(p1.X + dx / 2.0 + push * uy), HalfUpInt(p1.Y + dy / 2.0 - push * ux)};
    } else if (dx == 0) {
        middle = {HalfUpInt(p1.X + push * uy), HalfUpInt(p1.Y + dy / 2.0)};
    } else {
        middle = {HalfUpInt(p1.X + dx / 2.0), HalfUpInt(p1.Y + dy / 2.0 + push * ux)};
    }
    return middle;
}

int32_t LinkWidthFor(int32_t cellHeight) {
    return static_cast<int32_t>(std::ceil(2.0 * cellHeight / 35.0));
}
