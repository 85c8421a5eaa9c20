#include "view/paint/GdipDraw.h"

#include <QColor>
#include <QFontDatabase>
#include <QPainter>
#include <QPen>
#include <cmath>

#include "view/paint/PaintBasics.h"

namespace {

// Everything a marker draws with, for one box.
struct MarkerSetup {
    TMarkerLayout Layout;
    TMarkerColors Colors;
};

MarkerSetup SetUpMarker(int32_t shapeIndex, int32_t left, int32_t top, int32_t width,
                        int32_t height, const std::optional<TMarkerColors>& colors) {
    return {LayoutMarker(shapeIndex, left, top, width, height),
            colors ? *colors : DesignColors(shapeIndex)};
}

void PrepareMarkerPainter(QPainter& painter, const TMarkerLayout& m) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(m.OriginX, m.OriginY + m.Lift);
}

QString FirstCharacter(const QString& text) {
    if (text.isEmpty()) return {};
    return text.left(text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1);
}

void DrawMarkerDigit(QPainter& painter, const TMarkerLayout& m, TArgb color, const QString& text) {
    const QString shown = FirstCharacter(text);
    if (shown.isEmpty()) return;
    painter.setFont(HeavySansFont(PointsToPixelSize(m.FontPoints)));
    painter.setPen(ToQColor(color));
    painter.setBrush(Qt::NoBrush);
    const QRectF rect(m.TextLeft, m.TextTop, m.TextWidth, m.TextHeight);
    painter.drawText(rect, Qt::AlignCenter | Qt::TextDontClip, shown);
}

// Outline, then fill, as the shape is drawn in layers: shadow, rim, face.
void DrawShapeLayer(QPainter& painter, const QPainterPath& path, TArgb penColor, TArgb fill) {
    QPen pen(ToQColor(penColor), 1.0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.fillPath(path, ToQColor(fill));
}

bool EmptyBox(int32_t width, int32_t height) {
    return width <= 0 || height <= 0;
}

}  // namespace

TMarkerColors DesignColors(int32_t shapeIndex) {
    const TMarkerShape& shape = MarkerShapeAt(shapeIndex);
    return {shape.TextColor, shape.InnerColor, shape.OuterColor};
}

QFont HeavySansFont(int pixelSize) {
    static const QStringList families = [] {
        QStringList wanted{QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans"),
                           QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans CJK SC")};
        QStringList present;
        const QStringList installed = QFontDatabase::families();
        for (const QString& family : wanted)
            if (installed.contains(family, Qt::CaseInsensitive)) present << family;
        return present;
    }();
    QFont font;
    if (!families.isEmpty()) font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    // "Arial Black" is a black face of its own; the stand-ins take their heaviest weight.
    font.setWeight(families.value(0) == QStringLiteral("Arial Black") ? QFont::Normal
                                                                      : QFont::Black);
    font.setPixelSize(std::max(1, pixelSize));
    return font;
}

QPainterPath CardinalPath(std::span<const GPoint> points, double tension, bool closed) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    if (points.empty()) return path;
    path.moveTo(points[0].X, points[0].Y);
    for (const TBezierSegment& s : CardinalToBeziers(points, tension, closed))
        path.cubicTo(s.Control1.X, s.Control1.Y, s.Control2.X, s.Control2.Y, s.End.X, s.End.Y);
    if (closed) path.closeSubpath();
    return path;
}

void DrawMarker(QPainter& painter, int32_t shapeIndex, int32_t left, int32_t top, int32_t width,
                int32_t height, const QString& text, const std::optional<TMarkerColors>& colors) {
    if (EmptyBox(width, height)) return;
    const MarkerSetup setup = SetUpMarker(shapeIndex, left, top, width, height, colors);
    const TMarkerLayout& m = setup.Layout;
    painter.save();
    PrepareMarkerPainter(painter, m);

    const QPainterPath outer = CardinalPath(m.Outer, m.Tension, true);
    painter.translate(m.ShadowShift, m.ShadowShift);
    DrawShapeLayer(painter, outer, ShadowColor, ShadowColor);
    painter.translate(-m.ShadowShift, -m.ShadowShift);

    DrawShapeLayer(painter, outer, setup.Colors.Outer, setup.Colors.Outer);
    DrawShapeLayer(painter, CardinalPath(m.Inner, m.InnerTension, true), setup.Colors.Outer,
                   setup.Colors.Inner);

    DrawMarkerDigit(painter, m, setup.Colors.Text, text);
    painter.restore();
}

void DrawMarkerText(QPainter& painter, int32_t shapeIndex, int32_t left, int32_t top, int32_t width,
                    int32_t height, const QString& text,
                    const std::optional<TMarkerColors>& colors) {
    if (EmptyBox(width, height)) return;
    const MarkerSetup setup = SetUpMarker(shapeIndex, left, top, width, height, colors);
    painter.save();
    PrepareMarkerPainter(painter, setup.Layout);
    DrawMarkerDigit(painter, setup.Layout, setup.Colors.Text, text);
    painter.restore();
}

namespace {

QPen LinkPen(TArgb color, double width) {
    QPen pen(ToQColor(color), width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

}  // namespace

void DrawStraightLink(QPainter& painter, QPoint p1, QPoint p2, TArgb color, double width) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(LinkPen(color, width));
    painter.drawLine(QPointF(p1), QPointF(p2));
    painter.restore();
}

void DrawCurvedLink(QPainter& painter, QPoint p1, QPoint p2, TArgb color, double width,
                    int32_t offset, int32_t cellHeight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(offset, offset);
    const GPoint a{p1.x(), p1.y()};
    const GPoint c{p2.x(), p2.y()};
    const GPoint points[] = {a, CurvedLinkMiddle(a, c, cellHeight), c};
    painter.setPen(LinkPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(CardinalPath(points, CurvedLinkTension, false));
    painter.restore();
}
