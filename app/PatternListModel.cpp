#include "app/PatternListModel.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "search/PatternCheck.h"
#include "search/PatternColumns.h"

namespace {

const char* const Headers[TPatternListModel::ColumnCount] = {"点",   "步",   "格局", "明对",
                                                             "位置", "合值", "结果", "验证"};

// The name tables in code page 936, the byte order the list sorts by.
const char* const LayoutNamesGbk[] = {"\xC8\xAB\xB2\xBF", "\xC1\xF7\xCB\xAE", "\xB8\xF4\xD2\xBB",
                                      "\xB8\xF4\xB6\xFE", "\xB8\xF4\xB0\xE6"};
const char* const ContrastNamesGbk[] = {"\xC8\xAB\xB2\xBF", "\xC8\xAB\xC3\xF7", "\xC8\xAB\xB6\xD4",
                                        "\xC3\xF7\xB6\xD4"};

std::string Folded(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string NameKey(const char* const* table, size_t size, int32_t index) {
    // An index outside the table shows an empty text.
    if (index < 0 || static_cast<size_t>(index) >= size) return {};
    return table[index];
}

// A number's key: its digit count, then its digits, so that byte order is numeric order.
// Anything else sorts after every number, by its text.
std::string NumberKey(const std::string& text) {
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    std::string key;
    key.reserve(text.size() + 1);
    if (!digits) {
        key.push_back('\xFF');
        return key.append(Folded(text));
    }
    const size_t first = std::min(text.find_first_not_of('0'), text.size() - 1);
    key.push_back(static_cast<char>(std::min<size_t>(text.size() - first, 0xFE)));
    return key.append(text, first, std::string::npos);
}

int CompareBytes(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (c != 0) return c;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// The first 16 bytes of a key as two big-endian numbers; shorter keys pad with zero bytes,
// which keeps "a prefix is the smaller" for texts without zero bytes.
struct TPackedKey {
    uint64_t High = 0;
    uint64_t Low = 0;
    uint32_t Row = 0;
    bool Longer = false;  // the text has more than 16 bytes
};

// The number of a number column when it has at most 19 digits (its key then starts with a
// byte below 20, so its first eight bytes are not zero).
bool SmallNumber(const TGui2Reg& p, int column, uint64_t& value) {
    if (column == 1) {
        if (p.StepTotal < 0) return false;
        value = static_cast<uint64_t>(p.StepTotal);
        return true;
    }
    const std::string text = p.PointsText();
    if (text.empty() || text.size() > 19) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

TPackedKey Pack(const std::string& key, uint32_t row) {
    TPackedKey packed;
    packed.Row = row;
    for (size_t i = 0; i < 16; ++i) {
        const uint64_t byte = i < key.size() ? static_cast<uint8_t>(key[i]) : 0;
        if (i < 8)
            packed.High = (packed.High << 8) | byte;
        else
            packed.Low = (packed.Low << 8) | byte;
    }
    packed.Longer = key.size() > 16;
    return packed;
}

}  // namespace

TPatternListModel::TPatternListModel(QObject* parent) : QAbstractTableModel(parent) {}

int TPatternListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int TPatternListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TPatternListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= RowCount()) return {};
    if (role != Qt::DisplayRole) return {};
    const TGui2Reg& pattern = *PatternAt(index.row());
    return index.column() == VerifyColumn ? VerifyText(pattern) : CellText(pattern, index.column());
}

QVariant TPatternListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return QString::fromUtf8(Headers[section]);
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

QString TPatternListModel::VerifyText(const TGui2Reg& pattern) const {
    if (draws_ == nullptr) return {};
    return QString::fromUtf8(VerificationText(VerifyPattern(pattern, *draws_)));
}

std::string TPatternListModel::SortKey(const TGui2Reg& pattern, int column, const TCodes* draws) {
    if (column != VerifyColumn) return CompareKey(pattern, column);
    if (draws == nullptr) return {};
    switch (VerifyPattern(pattern, *draws)) {
        case TVerification::Hit:
            return "\xD6\xD0";  // 中
        case TVerification::Miss:
            return "\xCE\xB4\xD6\xD0";  // 未中
        case TVerification::Invalid:
            return "\xCE\xDE\xD0\xA7";  // 无效
        case TVerification::Pending:
            break;
    }
    return {};
}

QString TPatternListModel::CellText(const TGui2Reg& p, int column) {
    return QString::fromStdString(PatternColumnText(p, column));
}

bool TPatternListModel::IsNumericColumn(int column) {
    return column == 0 || column == 1;
}

std::string TPatternListModel::CompareKey(const TGui2Reg& p, int column) {
    switch (column) {
        case 0:
            return NumberKey(p.PointsText());
        case 1:
            return NumberKey(std::to_string(p.StepTotal));
        case 2:
            return NameKey(LayoutNamesGbk, std::size(LayoutNamesGbk), p.Layout);
        case 3:
            return NameKey(ContrastNamesGbk, std::size(ContrastNamesGbk), p.ContrastKind);
        case 4:
            return Folded(p.PositionsText());
        case 5:
            return Folded(p.SumsText());
        case 6:
            return Folded(p.ResultsText());
        default:
            return {};
    }
}

int TPatternListModel::Compare(const TGui2Reg& a, const TGui2Reg& b, int column) {
    return CompareBytes(CompareKey(a, column), CompareKey(b, column));
}

const TGui2Reg* TPatternListModel::PatternAt(int row) const {
    if (row < 0 || row >= RowCount()) throw std::out_of_range("TPatternListModel row");
    if (flatMode_) return flat_[static_cast<size_t>(row)];
    const size_t b = BucketOf(row);
    return buckets_[b].Rows[static_cast<size_t>(row) - starts_[b]];
}

int TPatternListModel::RowCount() const {
    return static_cast<int>(flatMode_ ? flat_.size() : starts_.back());
}

size_t TPatternListModel::BucketOf(int row) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end() - 1, static_cast<size_t>(row));
    return static_cast<size_t>(it - starts_.begin()) - 1;
}

void TPatternListModel::RecomputeStarts() {
    starts_.assign(buckets_.size() + 1, 0);
    for (size_t b = 0; b < buckets_.size(); ++b)
        starts_[b + 1] = starts_[b] + buckets_[b].Rows.size();
}

namespace {

using TBucket = TPatternListModel::TBucket;

// The bucket of a "点" key in buckets kept ascending, made when missing; whether it was made.
std::pair<size_t, bool> FindOrAddBucketIn(std::vector<TBucket>& buckets, const std::string& key) {
    const auto it = std::lower_bound(buckets.begin(), buckets.end(), key,
                                     [](const TBucket& bucket, const std::string& k) {
                                         return CompareBytes(bucket.Key, k) < 0;
                                     });
    const size_t b = static_cast<size_t>(it - buckets.begin());
    if (it != buckets.end() && it->Key == key) return {b, false};
    buckets.insert(it, TBucket{key, {}});
    return {b, true};
}

}  // namespace

size_t TPatternListModel::FindOrAddBucket(const std::string& key) {
    const auto [b, made] = FindOrAddBucketIn(buckets_, key);
    if (made) RecomputeStarts();
    return b;
}

std::vector<const TGui2Reg*> TPatternListModel::Flatten() const {
    if (flatMode_) return flat_;
    std::vector<const TGui2Reg*> rows;
    rows.reserve(starts_.back());
    for (const TBucket& bucket : buckets_)
        rows.insert(rows.end(), bucket.Rows.begin(), bucket.Rows.end());
    return rows;
}

void TPatternListModel::Bucketize(std::vector<const TGui2Reg*> rows) {
    TRows ordered = RowsInPointsOrder(std::move(rows));
    buckets_ = std::move(ordered.Buckets);
    flat_.clear();
    flat_.shrink_to_fit();
    flatMode_ = false;
    RecomputeStarts();
}

// The callers hand their row list over; it is freed here.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
TPatternListModel::TRows TPatternListModel::RowsInPointsOrder(std::vector<const TGui2Reg*> rows) {
    TRows ordered;
    std::vector<TBucket>& buckets = ordered.Buckets;
    // The "点" text follows from the two point counts: its key is made once per pair of counts,
    // and the buckets exist before the rows are dealt out, so that no bucket moves meanwhile.
    const auto countsOf = [](const TGui2Reg* p) {
        return (static_cast<uint64_t>(static_cast<uint32_t>(p->Line(1).Count())) << 32) |
               static_cast<uint32_t>(p->Line(0).Count());
    };
    std::unordered_map<uint64_t, size_t> bucketOf;
    std::vector<std::pair<uint64_t, std::string>> keys;
    for (const TGui2Reg* p : rows)
        if (bucketOf.emplace(countsOf(p), 0).second)
            keys.emplace_back(countsOf(p), CompareKey(*p, 0));
    for (const auto& [counts, key] : keys) FindOrAddBucketIn(buckets, key);
    for (const auto& [counts, key] : keys) bucketOf[counts] = FindOrAddBucketIn(buckets, key).first;
    uint64_t lastCounts = UINT64_MAX;
    size_t last = 0;
    for (const TGui2Reg* p : rows) {
        const uint64_t counts = countsOf(p);
        if (counts != lastCounts) {
            last = bucketOf[counts];
            lastCounts = counts;
        }
        buckets[last].Rows.push_back(p);
    }
    return ordered;
}

void TPatternListModel::Clear() {
    FinishSort();
    ++layoutRevision_;
    beginResetModel();
    buckets_.clear();
    flat_.clear();
    flat_.shrink_to_fit();
    flatMode_ = false;
    RecomputeStarts();
    endResetModel();
    ShowSort(0, Qt::AscendingOrder);
}

void TPatternListModel::Reset(std::vector<const TGui2Reg*> patterns) {
    FinishSort();
    ++layoutRevision_;
    beginResetModel();
    // Bucketing keeps the given order within each "点" text: a stable sort.
    Bucketize(std::move(patterns));
    endResetModel();
    ShowSort(0, Qt::AscendingOrder);
}

void TPatternListModel::Append(std::span<const TGui2Reg* const> patterns) {
    FinishSort();
    if (patterns.empty()) return;
    if (flatMode_) RestorePointsOrder();

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
        const size_t b = FindOrAddBucket(key);
        const int first = static_cast<int>(starts_[b] + buckets_[b].Rows.size());
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
        buckets_[b].Rows.insert(buckets_[b].Rows.end(), rows.begin(), rows.end());
        RecomputeStarts();
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
        const size_t bucket = flatMode_ ? 0 : BucketOf(last);
        const int floor = flatMode_ ? 0 : static_cast<int>(starts_[bucket]);
        size_t j = i + 1;
        while (j < rows.size() && rows[j] == rows[j - 1] - 1 && rows[j] >= floor) ++j;
        const int first = rows[j - 1];
        for (int r = last; r >= first; --r) removed.push_back(PatternAt(r));
        beginRemoveRows(QModelIndex(), first, last);
        if (flatMode_) {
            flat_.erase(flat_.begin() + first, flat_.begin() + last + 1);
        } else {
            auto& list = buckets_[bucket].Rows;
            list.erase(list.begin() + (first - floor), list.begin() + (last - floor) + 1);
            RecomputeStarts();
        }
        endRemoveRows();
        i = j;
    }
    return removed;
}

void TPatternListModel::SwapRows(TRows& rows) {
    FinishSort();
    ++layoutRevision_;
    beginResetModel();
    buckets_.swap(rows.Buckets);
    flat_.swap(rows.Flat);
    std::swap(flatMode_, rows.FlatMode);
    std::swap(SortColumn, rows.SortColumn);
    std::swap(shownColumn_, rows.ShownColumn);
    std::swap(shownOrder_, rows.ShownOrder);
    RecomputeStarts();
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
    std::vector<const TGui2Reg*> current = Flatten();
    std::vector<const TGui2Reg*> merged;
    merged.reserve(current.size() + rows.size());
    size_t next = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const size_t row = static_cast<size_t>(std::max(rows[i], 0));
        while (merged.size() < row && next < current.size()) merged.push_back(current[next++]);
        merged.push_back(patterns[i]);
    }
    merged.insert(merged.end(), current.begin() + static_cast<std::ptrdiff_t>(next), current.end());
    if (flatMode_) {
        flat_ = std::move(merged);
    } else {
        Bucketize(std::move(merged));
    }
    endResetModel();
}

void TPatternListModel::InsertRow(int row, const TGui2Reg* pattern) {
    row = std::clamp(row, 0, RowCount());
    if (flatMode_) {
        beginInsertRows(QModelIndex(), row, row);
        flat_.insert(flat_.begin() + row, pattern);
        endInsertRows();
        return;
    }
    const size_t b = FindOrAddBucket(CompareKey(*pattern, 0));
    auto& list = buckets_[b].Rows;
    // The row belongs to its "点" bucket: inside it, as near to the row number as it allows.
    const size_t first = starts_[b];
    const size_t at =
        std::min(static_cast<size_t>(row) - std::min(first, size_t(row)), list.size());
    const int placed = static_cast<int>(first + at);
    beginInsertRows(QModelIndex(), placed, placed);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), pattern);
    RecomputeStarts();
    endInsertRows();
}

std::vector<uint32_t> TPatternListModel::SortOrder(const std::vector<const TGui2Reg*>& rows,
                                                   int column, bool descending,
                                                   const TCodes* draws) {
    const size_t n = rows.size();
    std::vector<TPackedKey> keys(n);
    bool anyLonger = false;
    const bool numeric = IsNumericColumn(column);
    for (size_t i = 0; i < n; ++i) {
        uint64_t value = 0;
        if (numeric && SmallNumber(*rows[i], column, value)) {
            // Same order as the key, without building it: these come before every longer key.
            keys[i] = TPackedKey{0, value, static_cast<uint32_t>(i), false};
            continue;
        }
        keys[i] = Pack(SortKey(*rows[i], column, draws), static_cast<uint32_t>(i));
        anyLonger = anyLonger || keys[i].Longer;
    }
    // Equal keys keep their present order in both directions.
    auto byPrefix = [descending](const TPackedKey& a, const TPackedKey& b) {
        if (a.High != b.High) return descending ? a.High > b.High : a.High < b.High;
        if (a.Low != b.Low) return descending ? a.Low > b.Low : a.Low < b.Low;
        return a.Row < b.Row;
    };
    std::sort(keys.begin(), keys.end(), byPrefix);
    if (anyLonger) {
        // Runs with the same first 16 bytes are ordered by their whole texts.
        size_t start = 0;
        while (start < n) {
            size_t end = start + 1;
            bool longer = keys[start].Longer;
            while (end < n && keys[end].High == keys[start].High &&
                   keys[end].Low == keys[start].Low) {
                longer = longer || keys[end].Longer;
                ++end;
            }
            if (longer && end - start > 1) {
                std::vector<std::pair<std::string, uint32_t>> full;
                full.reserve(end - start);
                for (size_t i = start; i < end; ++i)
                    full.emplace_back(SortKey(*rows[keys[i].Row], column, draws), keys[i].Row);
                std::sort(full.begin(), full.end(), [descending](const auto& a, const auto& b) {
                    const int c = CompareBytes(a.first, b.first);
                    if (c != 0) return descending ? c > 0 : c < 0;
                    return a.second < b.second;
                });
                for (size_t i = start; i < end; ++i) keys[i].Row = full[i - start].second;
            }
            start = end;
        }
    }
    std::vector<uint32_t> orderOfRows(n);
    for (size_t i = 0; i < n; ++i) orderOfRows[i] = keys[i].Row;
    return orderOfRows;
}

std::vector<int> TPatternListModel::SortByColumn(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount) return {};
    FinishSort();
    SortColumn = column;
    std::vector<const TGui2Reg*> rows = Flatten();
    const std::vector<uint32_t> orderOfRows =
        SortOrder(rows, column, order == Qt::DescendingOrder, draws_);
    std::vector<int> newRowOf =
        ApplyOrder(std::move(rows), orderOfRows, column == 0 && order == Qt::AscendingOrder);
    ShowSort(column, order);
    return newRowOf;
}

struct TPatternListModel::TSortJob {
    uint64_t Serial = 0;
    int Column = 0;
    Qt::SortOrder Order = Qt::AscendingOrder;
    std::vector<const TGui2Reg*> Rows;
    std::unique_ptr<TCodes> Draws;  // a copy: the grid's may change while the thread reads
    std::vector<uint32_t> OrderOfRows;
    std::function<void()> Before;
    std::function<void(const std::vector<int>&)> After;
    std::thread Worker;
};

TPatternListModel::~TPatternListModel() {
    if (sort_ && sort_->Worker.joinable()) sort_->Worker.join();
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
    auto job = std::make_unique<TSortJob>();
    job->Serial = ++sortSerial_;
    job->Column = column;
    job->Order = order;
    job->Rows = Flatten();
    if (draws_ != nullptr && column == VerifyColumn) {
        job->Draws = std::make_unique<TCodes>();
        job->Draws->Assign(*draws_);
    }
    job->Before = std::move(before);
    job->After = std::move(after);
    TSortJob* work = job.get();
    sort_ = std::move(job);
    work->Worker = std::thread([this, work] {
        work->OrderOfRows = SortOrder(work->Rows, work->Column, work->Order == Qt::DescendingOrder,
                                      work->Draws.get());
        QMetaObject::invokeMethod(
            this, [this, serial = work->Serial] { FinishSortOf(serial); }, Qt::QueuedConnection);
    });
    emit SortingChanged(true);
}

void TPatternListModel::FinishSortOf(uint64_t serial) {
    if (sort_ && sort_->Serial == serial) FinishSort();
}

std::vector<int> TPatternListModel::RowsOf(const std::vector<const TGui2Reg*>& patterns) const {
    const std::unordered_set<const TGui2Reg*> wanted(patterns.begin(), patterns.end());
    std::vector<int> rows;
    int row = 0;
    const auto look = [&](const std::vector<const TGui2Reg*>& list) {
        for (const TGui2Reg* p : list) {
            if (wanted.count(p) != 0) rows.push_back(row);
            ++row;
        }
    };
    if (flatMode_)
        look(flat_);
    else
        for (const TBucket& bucket : buckets_) look(bucket.Rows);
    return rows;
}

void TPatternListModel::FinishSort() {
    if (!sort_) return;
    std::unique_ptr<TSortJob> job = std::move(sort_);
    job->Worker.join();
    if (job->Before) job->Before();
    SortColumn = job->Column;
    const std::vector<int> newRowOf =
        ApplyOrder(std::move(job->Rows), job->OrderOfRows,
                   job->Column == 0 && job->Order == Qt::AscendingOrder);
    ShowSort(job->Column, job->Order);
    emit SortingChanged(false);
    if (job->After) job->After(newRowOf);
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
    if (pointsOrder) {
        Bucketize(std::move(sorted));
    } else {
        buckets_.clear();
        RecomputeStarts();
        flat_ = std::move(sorted);
        flatMode_ = true;
    }
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
