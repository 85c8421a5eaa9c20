#pragma once

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "ui/CellTableModel.h"

// A TCellTableModel over rows of texts the core made whole (a window's table rows, an import
// preview): SetRows replaces them, resetting the view when their number changes and repainting
// the cells otherwise, so a table that follows a running job keeps its scroll position.
class TTextTableModel : public TCellTableModel {
    Q_OBJECT

  public:
    explicit TTextTableModel(QStringList headers, QObject* parent = nullptr);

    void SetRows(std::vector<std::vector<std::string>> rows);
    // The text of one cell (empty outside the rows).
    QString Text(int row, int column) const;

  private:
    using TRows = std::vector<std::vector<std::string>>;
    // The rows are made before the base, whose row count reads them at once.
    TTextTableModel(std::shared_ptr<TRows> rows, QStringList headers, QObject* parent);

    std::shared_ptr<TRows> rows_;
};
