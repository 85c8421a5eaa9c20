#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>

// One cell of a TCellTableModel: its text, right-aligned for numbers, and a colour for what
// stands out (an invalid colour: the view's own).
struct TTableCell {
    QString Text;
    bool Right = false;
    QColor Foreground;
};

// A read-only table whose rows come from elsewhere (usually the core): the model asks for the
// number of rows and for a cell only when the view shows it, so a long list costs no item per
// row. Refresh() after the rows changed.
class TCellTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    using TRowCount = std::function<int()>;
    using TCellOf = std::function<TTableCell(int row, int column)>;

    TCellTableModel(QStringList headers, TRowCount rows, TCellOf cell, QObject* parent = nullptr);

    // The rows changed: with as many rows as before the view keeps its selection and scroll
    // position, otherwise it starts afresh.
    void Refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QStringList headers_;
    TRowCount rows_;
    TCellOf cell_;
    int shownRows_ = 0;
};
