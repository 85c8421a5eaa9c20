#pragma once

#include <QObject>
#include <vector>

class QAction;
class QTableView;
class TGui2Reg;
class TGui2RegMgr;
class TPatternListModel;

// The pattern list's commands: selection (all, invert, the selected rows in list order),
// deleting and clearing rows together with their patterns, sorting by a column (a second click
// reverses; the header shows the order; the selection and the current row are kept), and
// keeping the delete commands enabled only while rows are selected.
class TPatternListController : public QObject {
    Q_OBJECT

  public:
    TPatternListController(QTableView& view, TPatternListModel& model, TGui2RegMgr& manager,
                           QObject* parent);

    // The commands that need a selection.
    void SetDeleteActions(QAction* menuItem, QAction* button);

    // Selected rows ascending, each once (a selection may hold a row in more than one range).
    std::vector<int> SelectedRows() const;
    std::vector<const TGui2Reg*> SelectedPatterns() const;
    int SelectedRowCount() const;
    // The pattern of the one selected row, or null when not exactly one row is selected.
    const TGui2Reg* SingleSelectedPattern() const;

    void SelectAll();
    void InvertSelection();
    // Deletes the selected rows and their patterns; false when nothing was selected.
    bool DeleteSelected();
    // Empties the list and the manager; true when there were patterns.
    bool ClearAll();
    // Ascending, or descending when the rows already stand ascending by that column.
    void SortByColumn(int column);
    void UpdateDeleteEnabled();

  private:
    void ShowSortIndicator(int column, Qt::SortOrder order);

    QTableView& view_;
    TPatternListModel& model_;
    TGui2RegMgr& manager_;
    QAction* deleteItem_ = nullptr;
    QAction* deleteButton_ = nullptr;
};

// Rows selected whole, many at a time, no editing, fixed row height, the columns' widths and
// clickable headers.
void SetUpPatternListView(QTableView& view, int rowHeight);
