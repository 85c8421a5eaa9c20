#include "stats/paint/GraphPillarPaint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "view/PixelUnits.h"
#include "view/paint/PaintBasics.h"

namespace {

constexpr int32_t TextPoints = 11;
const QColor GridColor(128, 128, 0);
const QColor BarOutline(50, 18, 52);
const QColor MarkColor(0, 140, 0);

// A rectangle as the Windows canvas draws it: the outline runs inside (left, top, right,
// bottom) with the right and bottom edges excluded, the brush fills the rest. Empty
// rectangles draw nothing.
void DrawBox(QPainter& painter, TChartRect r) {
    if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    painter.drawRect(
        QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)).adjusted(0, 0, -1, -1));
}

class TChartPainter {
  public:
    TChartPainter(QPainter& painter, const TGraphPilarData& chart, const QFont& font)
        : painter_(painter), chart_(chart), font_(font) {}

    void Paint() {
        const TChartRect& plot = chart_.PlotRect;
        painter_.setBrush(Qt::NoBrush);
        DrawCenteredText(chart_.Title, chart_.TitleRect(), true);

        SetPen(1, GridColor);
        if (chart_.ShowGrid) DrawBox(painter_, plot);

        for (int32_t i = 0; i <= chart_.StepCount; ++i) {
            const int32_t y = chart_.AxisY(i);
            SetPen(2, Qt::black);
            painter_.drawLine(plot.Left, y, plot.Left - 4, y);
            DrawAxisLabel(i);
            SetPen(1, GridColor);
            if (i > 0 && chart_.ShowGrid) painter_.drawLine(plot.Left, y, plot.Right, y);
        }

        for (int32_t c = 1; c <= chart_.FDynColCount; ++c) {
            const TChartRect label = chart_.ColumnLabelRect(c);
            DrawCenteredText(chart_.GetValue(c, 0), label, false);
            SetPen(2, Qt::black);
            const int32_t middle = (label.Left + label.Right) / 2;
            painter_.drawLine(middle, label.Top - 3, middle, label.Top + 1);
        }

        for (int32_t r = 1; r <= chart_.FDynRowCount; ++r) {
            for (int32_t c = 1; c <= chart_.FDynColCount; ++c) {
                const TChartRect bar = chart_.ScaleBar(chart_.BarRect(c, r));
                SetPen(1, BarOutline);
                painter_.setBrush(ToQColor(chart_.RowColors[static_cast<size_t>(r)]));
                DrawBox(painter_, bar);
                painter_.setBrush(Qt::NoBrush);
                if (chart_.ShowValues)
                    DrawCenteredText(chart_.GetValue(c, r), chart_.ValueTextRect(bar), false);
            }
        }

        // Marks over the bars, so that a bar never hides one.
        for (int32_t c = 1; c <= chart_.FDynColCount; ++c) {
            const TChartRect mark = chart_.MarkRect(c);
            if (mark.Right <= mark.Left) continue;
            SetPen(2, MarkColor);
            painter_.drawLine(mark.Left, mark.Top, mark.Right - 1, mark.Top);
        }

        SetPen(1, Qt::black);
        painter_.drawPolyline(
            QPolygon({QPoint(plot.Left, plot.Bottom), QPoint(plot.Left, plot.Top - 15),
                      QPoint(plot.Left - 3, plot.Top - 3)}));
        painter_.drawPolyline(
            QPolygon({QPoint(plot.Left, plot.Bottom), QPoint(plot.Right + 15, plot.Bottom),
                      QPoint(plot.Right + 3, plot.Bottom - 3)}));
    }

  private:
    void SetPen(int width, const QColor& color) {
        QPen pen(color);
        pen.setWidth(width);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        painter_.setPen(pen);
    }

    void DrawCenteredText(const std::string& text, const TChartRect& rect, bool bold) {
        const QFont font = ChartTextFont(font_, bold);
        const QString shown = QString::fromStdString(text);
        const QFontMetrics metrics(font);
        const TChartPoint at =
            CenteredTextOrigin(rect, metrics.horizontalAdvance(shown), metrics.height());
        DrawText(shown, font, at);
    }

    // A label too wide for its box would run into the tick or off the control: it then ends
    // just left of the tick instead (the owner leaves room for it with PlotOrigin).
    void DrawAxisLabel(int32_t step) {
        const QFont font = ChartTextFont(font_, false);
        const QString shown = QString::fromStdString(chart_.AxisLabel(step));
        const QFontMetrics metrics(font);
        const int32_t width = metrics.horizontalAdvance(shown);
        TChartPoint at = CenteredTextOrigin(chart_.AxisLabelRect(step), width, metrics.height());
        at.X = std::min(at.X, AxisLabelEnd(chart_) - width);
        DrawText(shown, font, at);
    }

    void DrawText(const QString& shown, const QFont& font, TChartPoint at) {
        const QFontMetrics metrics(font);
        const QPen pen = painter_.pen();
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        painter_.drawText(QPoint(at.X, at.Y + metrics.ascent()), shown);
        painter_.setPen(pen);
    }

    QPainter& painter_;
    const TGraphPilarData& chart_;
    const QFont& font_;
};

}  // namespace

QFont ChartTextFont(const QFont& font, bool bold) {
    QFont text = font;
    text.setPixelSize(PointsToPixels(TextPoints));
    text.setBold(bold);
    return text;
}

int32_t AxisLabelEnd(const TGraphPilarData& chart) {
    return chart.PlotRect.Left - 5;
}

int32_t AxisLabelSpacing(const QFont& font) {
    const QFontMetrics metrics(ChartTextFont(font, false));
    return metrics.tightBoundingRect(QStringLiteral("0123456789")).height() + 4;
}

int32_t AxisLabelWidth(const TGraphPilarData& chart, const QFont& font) {
    const QFontMetrics metrics(ChartTextFont(font, false));
    int32_t widest = 0;
    for (int32_t i = 0; i <= chart.StepCount; ++i)
        widest = std::max(widest, static_cast<int32_t>(metrics.horizontalAdvance(
                                      QString::fromStdString(chart.AxisLabel(i)))));
    return widest;
}

int32_t ValueTextWidth(const TGraphPilarData& chart, const QFont& font) {
    const QFontMetrics metrics(ChartTextFont(font, false));
    int32_t widest = 0;
    for (int32_t r = 1; r <= chart.FDynRowCount; ++r)
        for (int32_t c = 1; c <= chart.FDynColCount; ++c)
            widest = std::max(widest, static_cast<int32_t>(metrics.horizontalAdvance(
                                          QString::fromStdString(chart.GetValue(c, r)))));
    return widest;
}

void PaintGraphPilar(QPainter& painter, const TGraphPilarData& chart, const QFont& font,
                     const QColor& background, const QSize& size) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(QPoint(0, 0), size), background);
    painter.setBrush(background);
    if (chart.FDynColCount > 0 && chart.FDynRowCount > 0 &&
        chart.RowColors.size() > static_cast<size_t>(chart.FDynRowCount))
        TChartPainter(painter, chart, font).Paint();
    painter.restore();
}
