#include "ui/TextTableModel.h"

#include <utility>

namespace {

QString TextOf(const std::vector<std::vector<std::string>>& rows, int row, int column) {
    if (row < 0 || static_cast<size_t>(row) >= rows.size() || column < 0) return {};
    const auto& cells = rows[static_cast<size_t>(row)];
    return static_cast<size_t>(column) < cells.size()
               ? QString::fromStdString(cells[static_cast<size_t>(column)])
               : QString();
}

}  // namespace

TTextTableModel::TTextTableModel(QStringList headers, QObject* parent)
    : TTextTableModel(std::make_shared<TRows>(), std::move(headers), parent) {}

TTextTableModel::TTextTableModel(std::shared_ptr<TRows> rows, QStringList headers, QObject* parent)
    : TCellTableModel(
          std::move(headers), [rows] { return static_cast<int>(rows->size()); },
          [rows](int row, int column) {
              return TTableCell{TextOf(*rows, row, column), false, {}};
          },
          parent),
      rows_(std::move(rows)) {}

void TTextTableModel::SetRows(std::vector<std::vector<std::string>> rows) {
    *rows_ = std::move(rows);
    Refresh();
}

QString TTextTableModel::Text(int row, int column) const {
    return TextOf(*rows_, row, column);
}
