#include "view/paint/GridPaintInput.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

int32_t ScaleCoord(int32_t v, float scale) {
    return static_cast<int32_t>(std::nearbyint(static_cast<double>(v) * scale));
}

QPoint ScalePoint(int32_t x, int32_t y, float scale, QPoint origin) {
    return {ScaleCoord(x, scale) + origin.x(), ScaleCoord(y, scale) + origin.y()};
}

QRect ToQRect(const TGridRect& r) {
    return QRect(QPoint(r.Left, r.Top), QSize(r.Right - r.Left, r.Bottom - r.Top));
}

QRect ScaleRect(const TGridRect& r, float scale, QPoint origin) {
    const QPoint topLeft = ScalePoint(r.Left, r.Top, scale, origin);
    const QPoint bottomRight = ScalePoint(r.Right, r.Bottom, scale, origin);
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
}

void DrawHeaderCell(QPainter& painter, const QPalette& palette, const QRect& rect) {
    if (rect.isEmpty()) return;
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), light);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), light);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), dark);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), dark);
    painter.fillRect(rect.adjusted(1, 1, -1, -1), palette.color(QPalette::Button));
}

QString IssueCellText(const TGridPaintInput& grid, int32_t index, const QRect& cell,
                      int32_t sizePoints) {
    static const TDrawRegister none;
    const std::string label = IssueLabel(grid.Register != nullptr ? *grid.Register : none, index,
                                         grid.Draws.Count(), grid.IssueBase);
    QString text = QString::fromStdString(label);
    QFont font = grid.Font;
    font.setBold(true);
    font.setPixelSize(PointsToPixels(sizePoints));
    if (QFontMetrics(font).horizontalAdvance(text) > cell.width() - 2)
        text = QString::fromStdString(ShortIssueLabel(label));
    return text;
}

void DrawCellText(QPainter& painter, const TGridPaintInput& grid, const QString& text,
                  const QRect& rect, bool bold, const QColor& color, int32_t sizePoints) {
    QFont font = grid.Font;
    font.setBold(bold);
    font.setPixelSize(PointsToPixels(bold ? sizePoints : SizeFor(grid.Geometry, 11)));
    painter.setFont(font);
    painter.setPen(color);
    const QFontMetrics metrics(font);
    const int x = (rect.left() + rect.left() + rect.width() - metrics.horizontalAdvance(text)) / 2;
    const int y = (rect.top() + rect.top() + rect.height() - metrics.height()) / 2;
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
}
