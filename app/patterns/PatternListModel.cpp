#include "app/patterns/PatternListModel.h"

#include <algorithm>
#include <stdexcept>

#include "search/PatternCheck.h"
#include "search/PatternColumns.h"
#include "ui/BackgroundJob.h"

namespace {

const char* const Headers[TPatternListModel::ColumnCount] = {"点",   "步",   "格局", "明对",
                                                             "位置", "合值", "结果", "验证"};

}  // namespace

TPatternListModel::TPatternListModel(QObject* parent)
    : QAbstractTableModel(parent), sortJob_(new TBackgroundJob(this)) {}

int TPatternListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int TPatternListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TPatternListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= RowCount()) return {};
    if (role == Qt::ToolTipRole && index.column() == VerifyColumn) {
        const QString hint = VerifyHint(*PatternAt(index.row()));
        return hint.isEmpty() ? QVariant() : QVariant(hint);
    }
    if (role == Qt::ToolTipRole && index.column() == ResultColumn) {
        const std::string hint = PatternResultHint(*PatternAt(index.row()));
        return hint.empty() ? QVariant() : QVariant(QString::fromStdString(hint));
    }
    if (role != Qt::DisplayRole) return {};
    const TGui2Reg& pattern = *PatternAt(index.row());
    return index.column() == VerifyColumn ? VerifyText(pattern) : CellText(pattern, index.column());
}

QVariant TPatternListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return QString::fromUtf8(Headers[section]);
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section == ResultColumn)
        return QString::fromUtf8(PatternResultHeaderHint);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TPatternListModel::SetDraws(const TCodes* draws) {
    draws_ = draws;
    DrawsChanged();
}

void TPatternListModel::DrawsChanged() {
    if (RowCount() > 0)
        emit dataChanged(index(0, VerifyColumn), index(RowCount() - 1, VerifyColumn),
                         {Qt::DisplayRole});
}

TVerification TPatternListModel::Verification(const TGui2Reg& pattern) const {
    const std::shared_ptr<const TCodes> search = searchDraws_ ? searchDraws_() : nullptr;
    return VerifyPattern(pattern, *draws_, search ? *search : *draws_);
}

QString TPatternListModel::VerifyText(const TGui2Reg& pattern) const {
    if (draws_ == nullptr) return {};
    return QString::fromUtf8(VerificationText(Verification(pattern)));
}

QString TPatternListModel::VerifyHint(const TGui2Reg& pattern) const {
    if (draws_ == nullptr) return {};
    return QString::fromUtf8(VerificationHint(Verification(pattern)));
}

QString TPatternListModel::CellText(const TGui2Reg& p, int column) {
    return QString::fromStdString(PatternColumnText(p, column));
}

const TGui2Reg* TPatternListModel::PatternAt(int row) const {
    if (row < 0) throw std::out_of_range("TPatternListModel row");
    return rows_.At(static_cast<size_t>(row));
}

int TPatternListModel::RowCount() const {
    return static_cast<int>(rows_.Count());
}

void TPatternListModel::Clear() {
    FinishSort();
    ++layoutRevision_;
    beginResetModel();
    rows_.Clear();
    endResetModel();
    ShowSort(0, Qt::AscendingOrder);
}

void TPatternListModel::Reset(std::vector<const TGui2Reg*> patterns) {
    FinishSort();
    ++layoutRevision_;
    beginResetModel();
    // Bucketing keeps the given order within each "点" text: a stable sort.
    rows_ = TPatternRows::InPointsOrder(std::move(patterns));
    endResetModel();
    ShowSort(0, Qt::AscendingOrder);
}

void TPatternListModel::Append(std::span<const TGui2Reg* const> patterns) {
    FinishSort();
    if (patterns.empty()) return;
    if (rows_.FlatMode()) RestorePointsOrder();

    // New rows by "点" text, in their given order within each text.
    std::vector<std::pair<std::string, std::vector<const TGui2Reg*>>> groups;
    for (const TGui2Reg* p : patterns) {
        std::string key = CompareKey(*p, 0);
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const auto& g) { return g.first == key; });
        if (it == groups.end()) {
            groups.emplace_back(std::move(key), std::vector<const TGui2Reg*>{});
            it = groups.end() - 1;
        }
        it->second.push_back(p);
    }
    for (auto& [key, rows] : groups) {
        const size_t b = rows_.BucketFor(key);
        const int first = static_cast<int>(rows_.BucketEnd(b));
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
        rows_.AppendTo(b, rows);
        endInsertRows();
    }
}

std::vector<const TGui2Reg*> TPatternListModel::RemoveRows(std::vector<int> rows) {
    FinishSort();
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    while (!rows.empty() && rows.front() >= RowCount()) rows.erase(rows.begin());
    while (!rows.empty() && rows.back() < 0) rows.pop_back();
    std::vector<const TGui2Reg*> removed;
    removed.reserve(rows.size());
    size_t i = 0;
    while (i < rows.size()) {
        // One removal per run of consecutive rows (within one bucket), last run first.
        const int last = rows[i];
        const int floor = static_cast<int>(rows_.RunFloor(static_cast<size_t>(last)));
        size_t j = i + 1;
        while (j < rows.size() && rows[j] == rows[j - 1] - 1 && rows[j] >= floor) ++j;
        const int first = rows[j - 1];
        for (int r = last; r >= first; --r) removed.push_back(PatternAt(r));
        beginRemoveRows(QModelIndex(), first, last);
        rows_.Erase(static_cast<size_t>(first), static_cast<size_t>(last));
        endRemoveRows();
        i = j;
    }
    return removed;
}

void TPatternListModel::SwapRows(TRows& rows) {
    FinishSort();
    ++layoutRevision_;
    beginResetModel();
    rows_.Swap(rows.Rows);
    std::swap(SortColumn, rows.SortColumn);
    std::swap(shownColumn_, rows.ShownColumn);
    std::swap(shownOrder_, rows.ShownOrder);
    endResetModel();
    ShowSort(shownColumn_, shownOrder_);
}

void TPatternListModel::InsertRows(const std::vector<int>& rows,
                                   const std::vector<const TGui2Reg*>& patterns) {
    if (rows.size() != patterns.size() || rows.empty()) return;
    FinishSort();
    if (rows.size() <= 1000) {
        for (size_t i = 0; i < rows.size(); ++i) InsertRow(rows[i], patterns[i]);
        return;
    }
    // Many rows go back in one merge and one reset: one insertion each would cost a move of
    // the list and of the view's persistent indexes per row.
    beginResetModel();
    std::vector<const TGui2Reg*> current = rows_.Flatten();
    std::vector<const TGui2Reg*> merged;
    merged.reserve(current.size() + rows.size());
    size_t next = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const size_t row = static_cast<size_t>(std::max(rows[i], 0));
        while (merged.size() < row && next < current.size()) merged.push_back(current[next++]);
        merged.push_back(patterns[i]);
    }
    merged.insert(merged.end(), current.begin() + static_cast<std::ptrdiff_t>(next), current.end());
    rows_ = rows_.FlatMode() ? TPatternRows::Flat(std::move(merged))
                             : TPatternRows::InPointsOrder(std::move(merged));
    endResetModel();
}

void TPatternListModel::InsertRow(int row, const TGui2Reg* pattern) {
    const auto placed =
        static_cast<int>(rows_.PlaceOf(static_cast<size_t>(std::max(row, 0)), *pattern));
    beginInsertRows(QModelIndex(), placed, placed);
    rows_.InsertAt(static_cast<size_t>(placed), pattern);
    endInsertRows();
}

std::vector<int> TPatternListModel::SortByColumn(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount) return {};
    FinishSort();
    SortColumn = column;
    std::vector<const TGui2Reg*> rows = rows_.Flatten();
    const std::vector<uint32_t> orderOfRows =
        PatternSortOrder(rows, column, order == Qt::DescendingOrder, draws_,
                         searchDraws_ ? searchDraws_().get() : nullptr);
    std::vector<int> newRowOf =
        ApplyOrder(std::move(rows), orderOfRows, column == 0 && order == Qt::AscendingOrder);
    ShowSort(column, order);
    return newRowOf;
}

struct TPatternListModel::TSortJob {
    int Column = 0;
    Qt::SortOrder Order = Qt::AscendingOrder;
    std::vector<const TGui2Reg*> Rows;
    std::unique_ptr<TCodes> Draws;              // a copy: the grid's may change while the job reads
    std::shared_ptr<const TCodes> SearchDraws;  // never changed, only replaced
    std::function<void()> Before;
    std::function<void(const std::vector<int>&)> After;
};

TPatternListModel::~TPatternListModel() {
    sortJob_->Abandon();
}

void TPatternListModel::SortByColumnLater(int column, Qt::SortOrder order,
                                          std::function<void()> before,
                                          std::function<void(const std::vector<int>&)> after) {
    if (column < 0 || column >= ColumnCount) return;
    FinishSort();
    if (RowCount() < BackgroundSortRows) {
        if (before) before();
        const std::vector<int> newRowOf = SortByColumn(column, order);
        if (after) after(newRowOf);
        return;
    }
    auto job = std::make_shared<TSortJob>();
    job->Column = column;
    job->Order = order;
    job->Rows = rows_.Flatten();
    if (draws_ != nullptr && column == VerifyColumn) {
        job->Draws = std::make_unique<TCodes>();
        job->Draws->Assign(*draws_);
        if (searchDraws_) job->SearchDraws = searchDraws_();
    }
    job->Before = std::move(before);
    job->After = std::move(after);
    sortJob_->Start(
        [job](TJobControl&) {
            return PatternSortOrder(job->Rows, job->Column, job->Order == Qt::DescendingOrder,
                                    job->Draws.get(), job->SearchDraws.get());
        },
        [this, job](const std::vector<uint32_t>& orderOfRows) { ApplySort(*job, orderOfRows); });
    emit SortingChanged(true);
}

std::vector<int> TPatternListModel::RowsOf(const std::vector<const TGui2Reg*>& patterns) const {
    return rows_.RowsOf(patterns);
}

bool TPatternListModel::Sorting() const {
    return sortJob_->Running();
}

void TPatternListModel::FinishSort() {
    sortJob_->Finish();
}

void TPatternListModel::ApplySort(TSortJob& job, const std::vector<uint32_t>& orderOfRows) {
    if (job.Before) job.Before();
    SortColumn = job.Column;
    const std::vector<int> newRowOf = ApplyOrder(
        std::move(job.Rows), orderOfRows, job.Column == 0 && job.Order == Qt::AscendingOrder);
    ShowSort(job.Column, job.Order);
    emit SortingChanged(false);
    if (job.After) job.After(newRowOf);
}

void TPatternListModel::ShowSort(int column, Qt::SortOrder order) {
    shownColumn_ = column;
    shownOrder_ = order;
    emit SortShown(column, order);
}

void TPatternListModel::RestorePointsOrder() {
    const int column = SortColumn;
    SortByColumn(0);
    SortColumn = column;
}

std::vector<int> TPatternListModel::ApplyOrder(std::vector<const TGui2Reg*> rows,
                                               const std::vector<uint32_t>& order,
                                               bool pointsOrder) {
    ++layoutRevision_;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<const TGui2Reg*> sorted(order.size());
    std::vector<int> newRowOf(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted[i] = rows[order[i]];
        newRowOf[order[i]] = static_cast<int>(i);
    }
    rows = {};
    rows_ = pointsOrder ? TPatternRows::InPointsOrder(std::move(sorted))
                        : TPatternRows::Flat(std::move(sorted));
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& idx : before)
        after.append(idx.isValid() && idx.row() < static_cast<int>(newRowOf.size())
                         ? index(newRowOf[idx.row()], idx.column())
                         : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return newRowOf;
}
