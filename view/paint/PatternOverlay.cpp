#include "view/paint/PatternOverlay.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

#include "view/PatternPlan.h"
#include "view/paint/GdipDraw.h"

namespace {

// A size in points, scaled, in pixels at 96 dpi.
int32_t ScaledPixels(int32_t points, float scale) {
    return PointsToPixels(static_cast<int32_t>(std::lround(points * static_cast<double>(scale))));
}

// Centre with the grid's integer arithmetic on the half-open rectangle.
QPoint CentreOf(const QRect& r) {
    return {(r.left() + r.left() + r.width()) / 2, (r.top() + r.top() + r.height()) / 2};
}

class PatternPainter {
  public:
    PatternPainter(QPainter& painter, const TGridPaintInput& grid, float scale, QPoint origin)
        : painter_(painter), grid_(grid), g_(grid.Geometry), scale_(scale), origin_(origin) {}

    void Paint(const std::vector<TPlanOp>& ops) {
        for (const TPlanOp& op : ops) {
            switch (op.Kind) {
                case TPlanOpKind::Link:
                    Link(op);
                    break;
                case TPlanOpKind::Marker:
                    Marker(op);
                    break;
                case TPlanOpKind::ResultDigit:
                    ResultDigit(op);
                    break;
                case TPlanOpKind::StepNote:
                    StepNote(op);
                    break;
                case TPlanOpKind::VerdictRing:
                    VerdictRing(op);
                    break;
            }
        }
    }

  private:
    QRect Cell(TPlanCell cell) const {
        return ScaleRect(g_.RectOfCell(cell.Row, cell.Column), scale_, origin_);
    }

    std::optional<TMarkerColors> Colors(const TPlanOp& op) const {
        if (op.DesignColors) return std::nullopt;
        return TMarkerColors{PaletteMarkerText, op.Color, PaletteMarkerOuter};
    }

    void Link(const TPlanOp& op) {
        const QPoint from = CentreOf(Cell(op.Cell));
        const QPoint to = CentreOf(Cell(op.To));
        const int32_t width = LinkWidthFor(g_.CellHeight);
        if (grid_.LinkLineStyle == 1)
            DrawCurvedLink(painter_, from, to, op.Color, width, width, g_.CellHeight);
        else
            DrawStraightLink(painter_, from, to, op.Color, width);
    }

    // The box of a marker is the cell shrunk by 2 pixels, counting both edges.
    void Marker(const TPlanOp& op) {
        TGridRect r = g_.RectOfCell(op.Cell.Row, op.Cell.Column);
        r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
        const QRect box = ScaleRect(r, scale_, origin_);
        if (box.isEmpty()) return;
        DrawMarker(painter_, grid_.DrawBoxStyle, box.left(), box.top(), box.width() + 1,
                   box.height() + 1, QString::fromStdString(op.Text), Colors(op));
    }

    void ResultDigit(const TPlanOp& op) {
        const QRect box = Cell(op.Cell);
        if (box.isEmpty()) return;
        DrawMarkerText(painter_, grid_.DrawBoxStyle, box.left(), box.top(), box.width() + 1,
                       box.height() + 1, QString::fromStdString(op.Text), Colors(op));
    }

    void VerdictRing(const TPlanOp& op) {
        const QRect box = Cell(op.Cell);
        if (box.isEmpty()) return;
        const int width = std::max(2, ScaledPixels(2, scale_));
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.setPen(QPen(QColor::fromRgba(op.Color), width));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawEllipse(
            QRectF(box).adjusted(width / 2.0, width / 2.0, -width / 2.0, -width / 2.0));
        painter_.restore();
    }

    void StepNote(const TPlanOp& op) {
        DrawCellText(painter_, grid_, QString::fromStdString(op.Text), Cell(op.Cell), true,
                     QColor::fromRgba(op.Color), SizeFor(g_, 12));
    }

    QPainter& painter_;
    const TGridPaintInput& grid_;
    const TGridGeometry& g_;
    float scale_;
    QPoint origin_;
};

}  // namespace

void DrawPattern(QPainter& painter, const TGridPaintInput& grid, int32_t first, float scale,
                 QPoint origin) {
    const std::vector<TPlanOp> ops = PlanPattern({grid.Pattern, grid.Draws, grid.Geometry.ColCount,
                                                  grid.BoxColorMode, first, grid.SearchDraws});
    if (ops.empty()) return;
    painter.save();
    PatternPainter(painter, grid, scale, origin).Paint(ops);
    painter.restore();
}

void DrawPictureCaption(QPainter& painter, const TGridPaintInput& grid, int32_t band, float scale,
                        QPoint origin) {
    const TGridGeometry& g = grid.Geometry;
    const QString caption = QString::fromStdString(PictureCaption());
    const float ratio = static_cast<float>(g.CellHeight) / 30.0f;
    const int32_t lift = static_cast<int32_t>(std::ceil(20.0f * ratio * scale));
    const TGridRect header = UnionOf(g.RectOfCell(0, 0), g.RectOfCell(0, 3));
    TGridRect below = UnionOf(g.RectOfCell(band + 3, 3), g.RectOfCell(band + 3, g.ColCount - 1));
    below.Top -= g.CellHeight;
    below.Bottom -= g.CellHeight;

    // The picture's margins do not grow with the cells: a caption that would not fit above the
    // header or below the band is made smaller and kept inside the picture.
    const int32_t roomAbove = ScaleRect(header, scale, origin).top();
    const int32_t roomBelow = painter.device()->height() - ScaleRect(below, scale, origin).top();
    QFont font = grid.Font;
    font.setBold(false);
    int32_t pixels = ScaledPixels(SizeFor(g, 10), scale);
    font.setPixelSize(pixels);
    while (pixels > 6 && QFontMetrics(font).height() > std::min(roomAbove, roomBelow))
        font.setPixelSize(--pixels);
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(PictureCaptionColor));
    const QFontMetrics metrics(font);
    const auto textAt = [&](TGridRect r, int32_t up) {
        r.Top -= up;
        r.Bottom -= up;
        const QRect mapped = ScaleRect(r, scale, origin);
        const int32_t top =
            std::clamp(mapped.top(), 0, std::max(0, painter.device()->height() - metrics.height()));
        painter.drawText(QPoint(mapped.left(), top + metrics.ascent()), caption);
    };

    // Above the header, at its left.
    textAt(header, lift);
    // Below the band, ending at the right edge of the description column.
    below.Left = below.Right - metrics.horizontalAdvance(caption) - 2;
    textAt(below, 0);
}
