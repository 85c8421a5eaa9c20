#include "app/PatternListModel.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

const char* const Headers[TPatternListModel::ColumnCount] = {"点",   "步",   "格局", "明对",
                                                             "位置", "合值", "结果"};

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
    if (role == Qt::DisplayRole) return CellText(*rows_[index.row()], index.column());
    return {};
}

QVariant TPatternListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return QString::fromUtf8(Headers[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString TPatternListModel::CellText(const TGui2Reg& p, int column) {
    switch (column) {
        case 0:
            return QString::fromStdString(p.PointsText());
        case 1:
            return QString::number(p.StepTotal);
        case 2:
            return p.Layout >= 0 && static_cast<size_t>(p.Layout) < LayoutNames.size()
                       ? QString::fromUtf8(LayoutNames[p.Layout])
                       : QString();
        case 3:
            return p.ContrastKind >= 0 && static_cast<size_t>(p.ContrastKind) < ContrastNames.size()
                       ? QString::fromUtf8(ContrastNames[p.ContrastKind])
                       : QString();
        case 4:
            return QString::fromStdString(p.PositionsText());
        case 5:
            return QString::fromStdString(p.SumsText());
        case 6:
            return QString::fromStdString(p.ResultsText());
        default:
            return {};
    }
}

std::string TPatternListModel::CompareKey(const TGui2Reg& p, int column) {
    switch (column) {
        case 0:
            return Folded(p.PointsText());
        case 1:
            return std::to_string(p.StepTotal);
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

void TPatternListModel::Clear() {
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    pointsOrdered_ = true;
    endResetModel();
}

void TPatternListModel::Reset(std::vector<const TGui2Reg*> patterns) {
    beginResetModel();
    rows_ = std::move(patterns);
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const TGui2Reg* a, const TGui2Reg* b) { return Compare(*a, *b, 0) < 0; });
    pointsOrdered_ = true;
    endResetModel();
}

void TPatternListModel::Append(std::span<const TGui2Reg* const> patterns) {
    if (patterns.empty()) return;
    if (!pointsOrdered_) RestorePointsOrder();

    // Group the new rows by their "点" text and insert each group after the rows of that text.
    std::vector<std::pair<std::string, const TGui2Reg*>> batch;
    batch.reserve(patterns.size());
    for (const TGui2Reg* p : patterns) batch.emplace_back(CompareKey(*p, 0), p);
    std::stable_sort(batch.begin(), batch.end(), [](const auto& a, const auto& b) {
        return CompareBytes(a.first, b.first) < 0;
    });

    size_t start = 0;
    while (start < batch.size()) {
        size_t end = start + 1;
        while (end < batch.size() && batch[end].first == batch[start].first) ++end;
        const std::string& key = batch[start].first;
        const auto at = std::upper_bound(rows_.begin(), rows_.end(), key,
                                         [](const std::string& k, const TGui2Reg* row) {
                                             return CompareBytes(k, CompareKey(*row, 0)) < 0;
                                         });
        const int first = static_cast<int>(at - rows_.begin());
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(end - start) - 1);
        std::vector<const TGui2Reg*> group;
        group.reserve(end - start);
        for (size_t i = start; i < end; ++i) group.push_back(batch[i].second);
        rows_.insert(rows_.begin() + first, group.begin(), group.end());
        endInsertRows();
        start = end;
    }
}

std::vector<const TGui2Reg*> TPatternListModel::RemoveRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<const TGui2Reg*> removed;
    removed.reserve(rows.size());
    size_t i = 0;
    while (i < rows.size()) {
        // One removal per run of consecutive rows, from the last run to the first.
        size_t j = i + 1;
        while (j < rows.size() && rows[j] == rows[j - 1] - 1) ++j;
        const int last = rows[i];
        const int first = rows[j - 1];
        if (first >= 0 && last < RowCount()) {
            for (int r = last; r >= first; --r) removed.push_back(rows_[r]);
            beginRemoveRows(QModelIndex(), first, last);
            rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
            endRemoveRows();
        }
        i = j;
    }
    return removed;
}

void TPatternListModel::SortByColumn(int column) {
    if (column < 0 || column >= ColumnCount) return;
    SortColumn = column;
    const size_t n = rows_.size();
    std::vector<TPackedKey> keys(n);
    bool anyLonger = false;
    for (size_t i = 0; i < n; ++i) {
        keys[i] = Pack(CompareKey(*rows_[i], column), static_cast<uint32_t>(i));
        anyLonger = anyLonger || keys[i].Longer;
    }
    auto byPrefix = [](const TPackedKey& a, const TPackedKey& b) {
        if (a.High != b.High) return a.High < b.High;
        if (a.Low != b.Low) return a.Low < b.Low;
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
                    full.emplace_back(CompareKey(*rows_[keys[i].Row], column), keys[i].Row);
                std::sort(full.begin(), full.end(), [](const auto& a, const auto& b) {
                    const int c = CompareBytes(a.first, b.first);
                    return c != 0 ? c < 0 : a.second < b.second;
                });
                for (size_t i = start; i < end; ++i) keys[i].Row = full[i - start].second;
            }
            start = end;
        }
    }
    std::vector<uint32_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = keys[i].Row;
    ApplyOrder(order);
    pointsOrdered_ = column == 0;
}

void TPatternListModel::RestorePointsOrder() {
    const int column = SortColumn;
    SortByColumn(0);
    SortColumn = column;
    pointsOrdered_ = true;
}

void TPatternListModel::ApplyOrder(const std::vector<uint32_t>& order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<const TGui2Reg*> sorted(order.size());
    std::vector<int> newRowOf(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted[i] = rows_[order[i]];
        newRowOf[order[i]] = static_cast<int>(i);
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& idx : before)
        after.append(idx.isValid() && idx.row() < static_cast<int>(newRowOf.size())
                         ? index(newRowOf[idx.row()], idx.column())
                         : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
