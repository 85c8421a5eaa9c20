#pragma once

#include <QFont>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QAbstractItemModel;
class QPainter;
class QPrinter;
class QRect;
class TLedgerChartView;

// How the ledger's table goes on paper: every column as wide as its widest text (header
// included) in Font, the page turned to landscape when portrait is too narrow, and the font made
// smaller only when even landscape is.
struct TLedgerLayout {
    QFont Font;
    std::vector<int> Widths;  // device pixels, each with a gap after its text
    bool Landscape = false;
};

// Lays the table out for printer (sets its orientation).
TLedgerLayout LayOutLedger(QPrinter& printer, const QAbstractItemModel& table);

// Paints the title and summary, the chart, then the table (its header and every row) into area;
// newPage is called when a page is full and returns false to stop there.
void PaintLedger(QPainter& painter, const QRect& area, const TLedgerLayout& layout,
                 const QString& summary, const TLedgerChartView& chart,
                 const QAbstractItemModel& table, const std::function<bool()>& newPage);

// The ledger on paper or in a PDF file, continued on new pages as needed. The layout used, or
// nothing when the printer cannot be painted on.
std::optional<TLedgerLayout> PrintLedger(QPrinter& printer, const QString& summary,
                                         const TLedgerChartView& chart,
                                         const QAbstractItemModel& table);
