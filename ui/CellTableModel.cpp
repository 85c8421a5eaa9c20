#include "ui/CellTableModel.h"

#include <utility>

TCellTableModel::TCellTableModel(QStringList headers, TRowCount rows, TCellOf cell, QObject* parent)
    : QAbstractTableModel(parent),
      headers_(std::move(headers)),
      rows_(std::move(rows)),
      cell_(std::move(cell)),
      shownRows_(rows_()) {}

void TCellTableModel::Refresh() {
    const int rows = rows_();
    if (rows == shownRows_) {
        if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1));
        return;
    }
    beginResetModel();
    shownRows_ = rows;
    endResetModel();
}

int TCellTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int TCellTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant TCellTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shownRows_) return {};
    switch (role) {
        case Qt::DisplayRole:
            return cell_(index.row(), index.column()).Text;
        case Qt::TextAlignmentRole:
            if (cell_(index.row(), index.column()).Right)
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            return {};
        case Qt::ForegroundRole: {
            const QColor colour = cell_(index.row(), index.column()).Foreground;
            return colour.isValid() ? QVariant(colour) : QVariant();
        }
        default:
            return {};
    }
}

QVariant TCellTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= headers_.size())
        return {};
    return headers_[section];
}
