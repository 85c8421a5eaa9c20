#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "view/Color.h"
#include "view/PixelUnits.h"

// Pure geometry of pattern markers and links: shape outlines, their shrinking, the cardinal
// spline as cubic Béziers and the placement of a marker in its cell. No painting here, so that
// every number can be checked without a window.

struct GPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const GPoint&) const = default;
};

struct GPointF {
    double X = 0;
    double Y = 0;
    bool operator==(const GPointF&) const = default;
};

// One marker shape in a 240 x 240 design box.
struct TMarkerShape {
    int32_t PointCount = 0;
    std::array<GPoint, 20> Points{};
    GPoint TextAnchor;
    int32_t FontSize = 0;  // points, for a box of 30 pixels
    float Tension = 0.0f;
    TArgb TextColor = 0;
    TArgb InnerColor = 0;
    TArgb OuterColor = 0;

    std::span<const GPoint> Outline() const {
        return {Points.data(), static_cast<size_t>(PointCount)};
    }
};

inline constexpr int MarkerShapeCount = 6;
extern const std::array<TMarkerShape, MarkerShapeCount> ShapeTable;

// The shape of an index; an index outside the table (it can come from a hand-edited options
// file) falls back to shape 0 rather than failing.
const TMarkerShape& MarkerShapeAt(int32_t index);

inline constexpr TArgb ShadowColor = ColorToArgb(153, 153, 153);

// Integer part of v, plus one when the fraction is at least one half.
int32_t HalfUpInt(double v);

struct TBounds {
    int32_t MinX = 0;
    int32_t MinY = 0;
    int32_t MaxX = 0;
    int32_t MaxY = 0;
};
TBounds PolygonBounds(std::span<const GPoint> points);

// Moves every point along its ray from the centre by distance (negative: towards the centre).
std::vector<GPoint> ShrinkTowardsCentre(std::span<const GPoint> points, GPoint centre,
                                        double distance);

struct TBezierSegment {
    GPointF Start;
    GPointF Control1;
    GPointF Control2;
    GPointF End;
};

// Cardinal spline of the given tension through the points as cubic Bézier segments: control
// points Pi + (T/3)(Pi+1 - Pi-1) and Pi+1 - (T/3)(Pi+2 - Pi). A closed curve wraps its indices
// and returns as many segments as points; an open one repeats its end points.
std::vector<TBezierSegment> CardinalToBeziers(std::span<const GPointF> points, double tension,
                                              bool closed);
std::vector<TBezierSegment> CardinalToBeziers(std::span<const GPoint> points, double tension,
                                              bool closed);

// Where every part of a marker goes, for a box at (left, top) of width x height pixels.
struct TMarkerLayout {
    float Side = 0;             // S: the marker is a square of the box height
    int32_t OriginX = 0;        // X0: the square centred horizontally in the box
    int32_t OriginY = 0;        // Y0
    int32_t Lift = 0;           // added to y: the marker sits slightly above the cell centre
    int32_t ShadowShift = 0;    // d: shadow offset and rim width
    std::vector<GPoint> Outer;  // outline points, relative to (OriginX, OriginY + Lift)
    std::vector<GPoint> Inner;
    float Tension = 0;
    float InnerTension = 0;
    // Text layout rectangle, relative like the points.
    int32_t TextLeft = 0;
    int32_t TextTop = 0;
    int32_t TextWidth = 0;
    int32_t TextHeight = 0;
    double FontPoints = 0;  // digit size in points
};
TMarkerLayout LayoutMarker(int32_t shapeIndex, int32_t left, int32_t top, int32_t width,
                           int32_t height);

// Middle point of a curved link from p1 to p2 on a grid of the given cell height: the midpoint
// pushed sideways (to the right of the direction of travel) by 5 / cellHeight pixels per pixel
// of length.
GPoint CurvedLinkMiddle(GPoint p1, GPoint p2, int32_t cellHeight);

inline constexpr float CurvedLinkTension = 0.5f;

// Width of a link and offset of a curved link on a grid of the given cell height.
int32_t LinkWidthFor(int32_t cellHeight);
