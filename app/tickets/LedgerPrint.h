#pragma once

#include <QString>

class QAbstractItemModel;
class QPrinter;
class TLedgerChartView;

// The ledger on paper or in a PDF file: the title and summary, the chart, then the table
// (its header and every row), continued on new pages as needed. False when the printer
// cannot be painted on.
bool PrintLedger(QPrinter& printer, const QString& summary, const TLedgerChartView& chart,
                 const QAbstractItemModel& table);
