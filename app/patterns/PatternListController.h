#pragma once

#include <QObject>
#include <optional>
#include <vector>

#include "app/patterns/PatternListModel.h"
#include "search/Gui2RegMgr.h"

class QAction;
class QTableView;

// Rows deleted from the list with their patterns, kept so that the deletion can be undone: the
// rows they stood in, ascending, and the patterns taken out of the manager.
struct TDeletedPatterns {
    std::vector<int> Rows;                     // as they stood when last deleted
    std::vector<const TGui2Reg*> RowPatterns;  // the pattern of each row
    uint64_t LayoutRevision = 0;               // of the list right after the deletion
    TTakenPatterns Taken;                      // empty while they stand in the list
};

// The whole list and the manager's contents, set aside by a clear or a new search.
struct TListContents {
    TPatternListModel::TRows Rows;
    TPatternSet Set;
};

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
    // The patterns other windows work on: the selected ones, or every one when none is.
    std::vector<const TGui2Reg*> ChosenPatterns() const;
    int SelectedRowCount() const;
    // The pattern of the one selected row, or null when not exactly one row is selected.
    const TGui2Reg* SingleSelectedPattern() const;

    void SelectAll();
    void InvertSelection();
    // Deletes the selected rows and takes their patterns out; nothing when nothing was selected.
    std::optional<TDeletedPatterns> DeleteSelected();
    // Puts deleted rows and patterns back where they were, and deletes them again.
    void Undelete(TDeletedPatterns& deleted);
    void Redelete(TDeletedPatterns& deleted);
    // Empties the list and the manager, handing over what they held.
    TListContents TakeAll();
    // Exchanges the list's rows and the manager's contents with those held.
    void SwapAll(TListContents& contents);
    // Ascending, or descending when the rows already stand ascending by that column. A long
    // list is sorted on a thread of its own (TPatternListModel::SortByColumnLater); a click
    // while it sorts is ignored.
    void SortByColumn(int column);
    void UpdateDeleteEnabled();

  private:
    void ShowSortIndicator(int column, Qt::SortOrder order);
    void ShowSorting(bool sorting);
    // Takes the rows and patterns of a deletion out of the list and the manager.
    void RemoveDeleted(TDeletedPatterns& deleted);
    // Selects the rows that were selected before a sort where the sort moved them.
    void ReselectMoved(const std::vector<int>& selected, const std::vector<int>& newRowOf);

    QTableView& view_;
    TPatternListModel& model_;
    TGui2RegMgr& manager_;
    QAction* deleteItem_ = nullptr;
    QAction* deleteButton_ = nullptr;
};

// Rows selected whole, many at a time, no editing, fixed row height, the columns' widths and
// clickable headers.
void SetUpPatternListView(QTableView& view, int rowHeight);
