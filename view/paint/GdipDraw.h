#pragma once

#include <QFont>
#include <QPainterPath>
#include <QPoint>
#include <QString>
#include <optional>
#include <span>

#include "view/MarkerGeometry.h"

class QPainter;

// Anti-aliased drawing of pattern markers (a shadowed shape with a digit) and of the links
// between them. Every call saves and restores the painter, so callers keep their own state.

struct TMarkerColors {
    TArgb Text = 0;
    TArgb Inner = 0;
    TArgb Outer = 0;
};

// The shape's own design colours.
TMarkerColors DesignColors(int32_t shapeIndex);

// A marker in the box (left, top, width, height); colours empty = the shape's design colours.
// Only the first character of the text is drawn; an empty text draws none.
void DrawMarker(QPainter& painter, int32_t shapeIndex, int32_t left, int32_t top, int32_t width,
                int32_t height, const QString& text,
                const std::optional<TMarkerColors>& colors = std::nullopt);

// Only the digit of a marker, exactly where DrawMarker would put it.
void DrawMarkerText(QPainter& painter, int32_t shapeIndex, int32_t left, int32_t top, int32_t width,
                    int32_t height, const QString& text,
                    const std::optional<TMarkerColors>& colors = std::nullopt);

void DrawStraightLink(QPainter& painter, QPoint p1, QPoint p2, TArgb color, double width);

// A gentle curve from p1 to p2 bending to the right of the direction of travel, drawn offset
// pixels right of and below the two points.
void DrawCurvedLink(QPainter& painter, QPoint p1, QPoint p2, TArgb color, double width,
                    int32_t offset, int32_t cellHeight);

// The cardinal spline through the points as a painter path (closed curves are closed subpaths).
QPainterPath CardinalPath(std::span<const GPoint> points, double tension, bool closed);

// The heaviest sans-serif face installed ("Arial Black" when present), sized in pixels.
QFont HeavySansFont(int pixelSize);
