#include "app/patterns/PatternListController.h"

#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalBlocker>
#include <QTableView>
#include <algorithm>
#include <memory>
#include <unordered_set>

#include "app/patterns/PatternListModel.h"
#include "search/Gui2RegMgr.h"

TPatternListController::TPatternListController(QTableView& view, TPatternListModel& model,
                                               TGui2RegMgr& manager, QObject* parent)
    : QObject(parent), view_(view), model_(model), manager_(manager) {
    QHeaderView& header = *view_.horizontalHeader();
    header.setSortIndicatorShown(true);
    ShowSortIndicator(model_.ShownSortColumn(), model_.ShownSortOrder());
    // The indicator takes room beside the caption: narrow columns grow to show both.
    for (int c = 0; c < TPatternListModel::ColumnCount; ++c)
        if (header.sectionSize(c) < header.sectionSizeHint(c))
            header.resizeSection(c, header.sectionSizeHint(c));
    connect(&model_, &TPatternListModel::SortShown, this,
            &TPatternListController::ShowSortIndicator);
    connect(&model_, &TPatternListModel::SortingChanged, this,
            &TPatternListController::ShowSorting);
}

void TPatternListController::ShowSortIndicator(int column, Qt::SortOrder order) {
    view_.horizontalHeader()->setSortIndicator(column, order);
}

void TPatternListController::SetDeleteActions(QAction* menuItem, QAction* button) {
    deleteItem_ = menuItem;
    deleteButton_ = button;
}

std::vector<int> TPatternListController::SelectedRows() const {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : view_.selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::vector<const TGui2Reg*> TPatternListController::ChosenPatterns() const {
    std::vector<const TGui2Reg*> patterns = SelectedPatterns();
    if (patterns.empty())
        for (int32_t i = 0; i < manager_.Count(); ++i) patterns.push_back(&manager_.Get(i));
    return patterns;
}

std::vector<const TGui2Reg*> TPatternListController::SelectedPatterns() const {
    const std::vector<int> rows = SelectedRows();
    std::vector<const TGui2Reg*> patterns;
    patterns.reserve(rows.size());
    for (int r : rows) patterns.push_back(model_.PatternAt(r));
    return patterns;
}

int TPatternListController::SelectedRowCount() const {
    int count = 0;
    for (const QItemSelectionRange& range : view_.selectionModel()->selection())
        count += range.height();
    return count;
}

const TGui2Reg* TPatternListController::SingleSelectedPattern() const {
    if (SelectedRowCount() != 1) return nullptr;
    return model_.PatternAt(view_.selectionModel()->selection().first().top());
}

void TPatternListController::SelectAll() {
    view_.selectAll();
}

void TPatternListController::InvertSelection() {
    const int rows = model_.RowCount();
    if (rows == 0) return;
    const QItemSelection all(model_.index(0, 0),
                             model_.index(rows - 1, TPatternListModel::ColumnCount - 1));
    view_.selectionModel()->select(all, QItemSelectionModel::Toggle);
}

std::optional<TDeletedPatterns> TPatternListController::DeleteSelected() {
    model_.FinishSort();  // the selected row numbers must be those of the rows shown
    TDeletedPatterns deleted;
    deleted.Rows = SelectedRows();
    if (deleted.Rows.empty()) return std::nullopt;
    view_.selectionModel()->clearSelection();
    for (int r : deleted.Rows) deleted.RowPatterns.push_back(model_.PatternAt(r));
    RemoveDeleted(deleted);
    return deleted;
}

void TPatternListController::Redelete(TDeletedPatterns& deleted) {
    // Found again by pattern, not by row number: the list may have been sorted meanwhile.
    model_.FinishSort();
    deleted.Rows = model_.RowsOf(deleted.RowPatterns);
    deleted.RowPatterns.clear();
    for (int r : deleted.Rows) deleted.RowPatterns.push_back(model_.PatternAt(r));
    RemoveDeleted(deleted);
}

void TPatternListController::RemoveDeleted(TDeletedPatterns& deleted) {
    model_.RemoveRows(deleted.Rows);
    deleted.LayoutRevision = model_.LayoutRevision();
    const std::unordered_set<const TGui2Reg*> gone(deleted.RowPatterns.begin(),
                                                   deleted.RowPatterns.end());
    std::vector<int32_t> indices;
    const auto& patterns = manager_.Patterns();
    for (size_t i = 0; i < patterns.size(); ++i)
        if (gone.count(patterns[i].get()) != 0) indices.push_back(static_cast<int32_t>(i));
    deleted.Taken = manager_.TakeIndices(std::move(indices));
    UpdateDeleteEnabled();
}

void TPatternListController::Undelete(TDeletedPatterns& deleted) {
    model_.FinishSort();
    manager_.PutBack(std::move(deleted.Taken));
    const bool resorted = model_.LayoutRevision() != deleted.LayoutRevision;
    model_.InsertRows(deleted.Rows, deleted.RowPatterns);
    // Sorted by a column since the deletion: the rows' old numbers mean nothing in the new
    // order, so the order is made again (grouped by "点", each row went into its own group).
    const bool pointsOrder =
        model_.ShownSortColumn() == 0 && model_.ShownSortOrder() == Qt::AscendingOrder;
    if (resorted && !pointsOrder)
        model_.SortByColumn(model_.ShownSortColumn(), model_.ShownSortOrder());
    UpdateDeleteEnabled();
}

TListContents TPatternListController::TakeAll() {
    TListContents contents;  // without search draws: the manager keeps those of the last search
    SwapAll(contents);
    return contents;
}

void TPatternListController::SwapAll(TListContents& contents) {
    view_.selectionModel()->clearSelection();
    model_.SwapRows(contents.Rows);
    manager_.SwapContents(contents.Set);
    UpdateDeleteEnabled();
}

void TPatternListController::SortByColumn(int column) {
    if (column < 0 || column >= TPatternListModel::ColumnCount || model_.Sorting()) return;
    const bool reverse =
        column == model_.ShownSortColumn() && model_.ShownSortOrder() == Qt::AscendingOrder;
    // The selection moves with its rows as whole ranges: left to the model's persistent
    // indexes, a selection of many rows would be tracked one row at a time. The selected
    // patterns stay the same, so nobody is told of a change.
    auto selected = std::make_shared<std::vector<int>>();
    auto before = [this, selected] {
        *selected = SelectedRows();
        const QSignalBlocker quiet(view_.selectionModel());
        view_.selectionModel()->clearSelection();
    };
    auto after = [this, selected](const std::vector<int>& newRowOf) {
        ReselectMoved(*selected, newRowOf);
    };
    model_.SortByColumnLater(column, reverse ? Qt::DescendingOrder : Qt::AscendingOrder,
                             std::move(before), std::move(after));
}

void TPatternListController::ShowSorting(bool sorting) {
    // A long sort runs on its own thread: the window answers, shows that it is busy, and takes
    // no other sort meanwhile.
    view_.horizontalHeader()->setSectionsClickable(!sorting);
    if (sorting)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void TPatternListController::ReselectMoved(const std::vector<int>& selected,
                                           const std::vector<int>& newRowOf) {
    QItemSelectionModel& selection = *view_.selectionModel();
    if (!selected.empty() && !newRowOf.empty()) {
        std::vector<int> rows;
        rows.reserve(selected.size());
        for (int r : selected)
            if (r >= 0 && r < static_cast<int>(newRowOf.size()))
                rows.push_back(newRowOf[static_cast<size_t>(r)]);
        std::sort(rows.begin(), rows.end());
        QItemSelection moved;
        const int lastColumn = TPatternListModel::ColumnCount - 1;
        for (size_t i = 0; i < rows.size();) {
            size_t j = i + 1;
            while (j < rows.size() && rows[j] == rows[j - 1] + 1) ++j;
            moved.append(QItemSelectionRange(model_.index(rows[i], 0),
                                             model_.index(rows[j - 1], lastColumn)));
            i = j;
        }
        const QSignalBlocker quiet(&selection);
        selection.select(moved, QItemSelectionModel::Select);
    }
    view_.viewport()->update();
    const QModelIndex current = selection.currentIndex();
    if (current.isValid()) view_.scrollTo(current, QAbstractItemView::EnsureVisible);
}

void TPatternListController::UpdateDeleteEnabled() {
    const bool any = view_.selectionModel()->hasSelection();
    if (deleteItem_ != nullptr) deleteItem_->setEnabled(any);
    if (deleteButton_ != nullptr) deleteButton_->setEnabled(any);
}

void SetUpPatternListView(QTableView& view, int rowHeight) {
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setShowGrid(false);
    view.setWordWrap(false);
    view.setAlternatingRowColors(true);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(rowHeight);
    view.horizontalHeader()->setHighlightSections(false);
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view.horizontalHeader()->setStretchLastSection(false);
    view.horizontalHeader()->setSectionsClickable(true);
    const int widths[TPatternListModel::ColumnCount] = {26, 26, 40, 40, 40, 120, 80, 40};
    for (int c = 0; c < TPatternListModel::ColumnCount; ++c) view.setColumnWidth(c, widths[c]);
    // The last column takes the rest of the width, so no text is cut off.
    view.horizontalHeader()->setStretchLastSection(true);
    view.setMinimumWidth(40);
    view.setContextMenuPolicy(Qt::CustomContextMenu);
}
