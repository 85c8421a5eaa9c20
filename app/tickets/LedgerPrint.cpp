#include "app/tickets/LedgerPrint.h"

#include <QAbstractItemModel>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <numeric>

#include "app/tickets/LedgerChartView.h"

namespace {

// The resolution the windows' charts are laid out for.
constexpr qreal ScreenDpi = 96.0;

QString CellText(const QAbstractItemModel& table, int row, int column) {
    return row < 0 ? table.headerData(column, Qt::Horizontal).toString()
                   : table.index(row, column).data().toString();
}

std::vector<int> ColumnWidths(const QFontMetrics& metrics, const QAbstractItemModel& table) {
    const int gap = metrics.horizontalAdvance(QLatin1Char(' ')) * 2;
    std::vector<int> widths(static_cast<size_t>(table.columnCount()), 0);
    for (int r = -1; r < table.rowCount(); ++r)
        for (int c = 0; c < table.columnCount(); ++c)
            widths[static_cast<size_t>(c)] =
                std::max(widths[static_cast<size_t>(c)],
                         metrics.horizontalAdvance(CellText(table, r, c)) + gap);
    return widths;
}

int PageWidth(const QPrinter& printer) {
    return printer.pageLayout().paintRectPixels(printer.resolution()).width();
}

}  // namespace

TLedgerLayout LayOutLedger(QPrinter& printer, const QAbstractItemModel& table) {
    TLedgerLayout layout;
    layout.Font = QGuiApplication::font();
    const auto total = [&] {
        layout.Widths = ColumnWidths(QFontMetrics(layout.Font, &printer), table);
        return std::accumulate(layout.Widths.begin(), layout.Widths.end(), 0);
    };
    printer.setPageOrientation(QPageLayout::Portrait);
    if (total() > PageWidth(printer)) {
        printer.setPageOrientation(QPageLayout::Landscape);
        layout.Landscape = true;
    }
    // Smaller type only when even landscape is too narrow; 5 points stays readable.
    qreal points = layout.Font.pointSizeF() > 0 ? layout.Font.pointSizeF() : 10;
    while (total() > PageWidth(printer) && points > 5) {
        points -= 0.5;
        layout.Font.setPointSizeF(points);
    }
    return layout;
}

void PaintLedger(QPainter& painter, const QRect& area, const TLedgerLayout& layout,
                 const QString& summary, const TLedgerChartView& chart,
                 const QAbstractItemModel& table, const std::function<bool()>& newPage) {
    painter.setFont(layout.Font);
    const int lineHeight = painter.fontMetrics().height() + 4;
    const QString heading = QStringLiteral("投注与兑奖\n") + summary;
    const QRect headingRect =
        painter.boundingRect(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, heading);
    painter.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, heading);
    int y = area.top() + headingRect.height() + lineHeight;
    const int chartHeight = area.height() / 3;
    // The chart measures itself in screen pixels (margins, pens, the legend's places): on a
    // printer it is painted at screen scale and enlarged, its font sized in those pixels.
    const qreal scale = std::max<qreal>(1.0, painter.device()->logicalDpiX() / ScreenDpi);
    painter.save();
    painter.translate(area.left(), y);
    painter.scale(scale, scale);
    QFont chartFont = layout.Font;
    const qreal points = chartFont.pointSizeF() > 0 ? chartFont.pointSizeF() : 10;
    chartFont.setPixelSize(std::max(1, qRound(points * ScreenDpi / 72.0)));
    painter.setFont(chartFont);
    chart.PaintOn(painter, QRect(0, 0, qRound(area.width() / scale), qRound(chartHeight / scale)));
    painter.restore();
    y += chartHeight + lineHeight;
    bool more = true;
    for (int r = -1; r < table.rowCount() && more; ++r) {
        if (y + lineHeight > area.bottom()) {
            if (!(more = newPage())) break;
            y = area.top();
        }
        int x = area.left();
        for (int c = 0; c < table.columnCount(); ++c) {
            const int width = layout.Widths[static_cast<size_t>(c)];
            // The gap stays on the left: numbers line up on the right.
            painter.drawText(QRect(x, y, width, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                             CellText(table, r, c));
            x += width;
        }
        y += lineHeight;
    }
}

std::optional<TLedgerLayout> PrintLedger(QPrinter& printer, const QString& summary,
                                         const TLedgerChartView& chart,
                                         const QAbstractItemModel& table) {
    const TLedgerLayout layout = LayOutLedger(printer, table);
    QPainter painter;
    if (!painter.begin(&printer)) return std::nullopt;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    PaintLedger(painter, QRect(0, 0, page.width(), page.height()), layout, summary, chart, table,
                [&printer] { return printer.newPage(); });
    painter.end();
    return layout;
}
