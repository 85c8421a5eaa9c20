#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <string>
#include <vector>

// A read-only table of texts the core made (a window's table rows): the one model of the
// tables whose rows come from the core, shown in a QTableView. Replacing the rows resets the
// view when their number changes and repaints the cells otherwise, so a table that follows a
// running job keeps its scroll position.
class TTextTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit TTextTableModel(QStringList headers, QObject* parent = nullptr);

    void SetRows(std::vector<std::vector<std::string>> rows);
    // The text of one cell (empty outside the rows).
    QString Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QStringList headers_;
    std::vector<std::vector<std::string>> rows_;
};
