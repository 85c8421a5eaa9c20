#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// Font sizes are given in points and drawn at 96 dots per inch whatever the screen, so that
// pictures and the grid look the same everywhere. One family of conversions, each with its
// rounding stated:

// Exact: points × 96 / 72.
constexpr double PointsToPixelsExact(double points) {
    return points * 96.0 / 72.0;
}

// Whole points to whole pixels, halves rounded away from zero (11 pt → 15 px, 9 pt → 12 px).
inline int32_t PointsToPixels(int32_t points) {
    return static_cast<int32_t>(std::lround(PointsToPixelsExact(points)));
}

// Fractional points to a pixel size a font can take: rounded as above, at least 1.
inline int32_t PointsToPixelSize(double points) {
    return std::max<int32_t>(1, static_cast<int32_t>(std::lround(PointsToPixelsExact(points))));
}
