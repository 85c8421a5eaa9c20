#include "app/tickets/LedgerPrint.h"

#include <QAbstractItemModel>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <functional>

#include "app/tickets/LedgerChartView.h"

bool PrintLedger(QPrinter& printer, const QString& summary, const TLedgerChartView& chart,
                 const QAbstractItemModel& table) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRect area(0, 0, page.width(), page.height());
    const int lineHeight = painter.fontMetrics().height() + 4;
    int y = 0;
    painter.drawText(QRect(0, y, area.width(), lineHeight * 3), Qt::TextWordWrap,
                     QStringLiteral("投注与兑奖\n") + summary);
    y += lineHeight * 4;
    const int chartHeight = area.height() / 3;
    chart.PaintOn(painter, QRect(0, y, area.width(), chartHeight));
    y += chartHeight + lineHeight;
    const int columns = table.columnCount();
    const int width = area.width() / std::max(1, columns);
    const auto printRow = [&](const std::function<QString(int)>& text) {
        if (y + lineHeight > area.height()) {
            printer.newPage();
            y = 0;
        }
        for (int c = 0; c < columns; ++c)
            painter.drawText(QRect(c * width, y, width - 2, lineHeight),
                             Qt::AlignRight | Qt::AlignVCenter, text(c));
        y += lineHeight;
    };
    printRow([&](int c) { return table.headerData(c, Qt::Horizontal).toString(); });
    for (int r = 0; r < table.rowCount(); ++r)
        printRow([&](int c) { return table.index(r, c).data().toString(); });
    painter.end();
    return true;
}
