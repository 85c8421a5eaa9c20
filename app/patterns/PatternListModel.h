#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "data/Hao.h"
#include "search/Gui2Reg.h"
#include "search/PatternCheck.h"
#include "search/PatternColumns.h"
#include "search/PatternRows.h"

class TBackgroundJob;

// The rows of the pattern list as a Qt model: it adapts TPatternRows (search/PatternRows.h),
// which keeps the rows, their "点" buckets and the sort keys. Each row refers to a pattern owned
// by the pattern manager; texts are made when the view asks for them, so millions of rows cost
// one pointer each. Rows stand in ascending order of "点" after every addition; a column sort
// reorders them once by that column, ascending or descending. Columns of numbers ("点", "步")
// sort by number, the others by their text.
class TPatternListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // The pattern's seven columns, then "验证": whether its prediction came true.
    static constexpr int VerifyColumn = PatternVerifyColumn;
    static constexpr int ResultColumn = 6;  // 结果
    static constexpr int ColumnCount = PatternListColumnCount;

    explicit TPatternListModel(QObject* parent = nullptr);
    ~TPatternListModel() override;  // waits for a sort still running

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const TGui2Reg* PatternAt(int row) const;
    int RowCount() const;

    // Texts of the seven columns of the pattern alone.
    static QString CellText(const TGui2Reg& pattern, int column);
    // The draws the "验证" column checks the patterns against (not owned; null shows nothing).
    void SetDraws(const TCodes* draws);
    // Where the draws of the search that found the patterns are read (null or returning null:
    // the draws given above). A pattern is verified against them (TPatternVerifier).
    using TSearchDrawsSource = std::function<std::shared_ptr<const TCodes>()>;
    void SetSearchDraws(TSearchDrawsSource source) { searchDraws_ = std::move(source); }
    // The draws changed: the "验证" column is shown again.
    void DrawsChanged();
    // "中", "未中", "无效", or empty while the predicted draw is unknown; the tool tip says why
    // a verdict is "无效".
    QString VerifyText(const TGui2Reg& pattern) const;
    QString VerifyHint(const TGui2Reg& pattern) const;
    // The sort keys of search/PatternRows.h.
    static bool IsNumericColumn(int column) { return IsNumericPatternColumn(column); }
    static std::string CompareKey(const TGui2Reg& pattern, int column) {
        return PatternCompareKey(pattern, column);
    }
    static int Compare(const TGui2Reg& a, const TGui2Reg& b, int column) {
        return ComparePatterns(a, b, column);
    }

    void Clear();
    // Replaces every row, in the given order, then orders the rows by "点".
    void Reset(std::vector<const TGui2Reg*> patterns);
    // Appends rows; afterwards all rows stand in "点" order again.
    void Append(std::span<const TGui2Reg* const> patterns);
    // Removes the given rows (any order); returns their patterns in descending row order.
    std::vector<const TGui2Reg*> RemoveRows(std::vector<int> rows);

    // The column last clicked.
    int SortColumn = 0;
    // Sorts every row once by the column; rows of equal keys keep their order. Returns the new
    // row of each old row (empty when the column does not exist).
    std::vector<int> SortByColumn(int column, Qt::SortOrder order = Qt::AscendingOrder);
    // The same sort; from BackgroundSortRows rows on, the order is found on a background job
    // while the rows stay as they are, so the window keeps answering. On this thread, before
    // runs right before the rows are reordered and after right after it, with the new row of
    // each old row. Any change of the rows first waits for a sort still running.
    void SortByColumnLater(int column, Qt::SortOrder order, std::function<void()> before,
                           std::function<void(const std::vector<int>&)> after);
    bool Sorting() const;
    // Waits for a sort still running and reorders the rows now. Callers that work with row
    // numbers call it first, so that the numbers they read stay valid.
    void FinishSort();
    // Changes whenever the rows are reordered or replaced as a whole (not by additions or
    // removals), so that row numbers kept from before can be told to be stale.
    uint64_t LayoutRevision() const { return layoutRevision_; }
    // The rows, ascending, whose patterns are among these.
    std::vector<int> RowsOf(const std::vector<const TGui2Reg*>& patterns) const;
    int BackgroundSortRows = 200000;
    static std::vector<uint32_t> SortOrder(const std::vector<const TGui2Reg*>& rows, int column,
                                           bool descending, const TCodes* draws,
                                           const TCodes* searchDraws = nullptr) {
        return PatternSortOrder(rows, column, descending, draws, searchDraws);
    }
    // The order the rows stand in now: the last sort, or "点" ascending after an addition.
    int ShownSortColumn() const { return shownColumn_; }
    Qt::SortOrder ShownSortOrder() const { return shownOrder_; }

    // Every row and the order they stand in, moved out of the list or into it whole.
    struct TRows {
        TPatternRows Rows;
        int SortColumn = 0;
        int ShownColumn = 0;
        Qt::SortOrder ShownOrder = Qt::AscendingOrder;
    };
    // The rows in "点" order, ascending, as Reset would leave them; touches no model, so it
    // may run on any thread.
    static TRows RowsInPointsOrder(std::vector<const TGui2Reg*> rows) {
        return TRows{TPatternRows::InPointsOrder(std::move(rows))};
    }
    // Exchanges the list's rows and order with those held, without copying them.
    void SwapRows(TRows& rows);
    // Puts rows back at the row numbers they had: rows ascending, one pattern each, as a
    // RemoveRows of exactly those rows left the list.
    void InsertRows(const std::vector<int>& rows, const std::vector<const TGui2Reg*>& patterns);

  signals:
    // The rows now stand in this order (the header's sort indicator follows it).
    void SortShown(int column, Qt::SortOrder order);
    // A sort started or ended on its background job.
    void SortingChanged(bool sorting);

  private:
    void InsertRow(int row, const TGui2Reg* pattern);
    TVerification Verification(const TGui2Reg& pattern) const;
    struct TSortJob;
    void ApplySort(TSortJob& job, const std::vector<uint32_t>& orderOfRows);
    // Reorders the rows by order (a permutation of row numbers), keeping persistent indexes;
    // returns the new row of each old row.
    std::vector<int> ApplyOrder(std::vector<const TGui2Reg*> rows,
                                const std::vector<uint32_t>& order, bool pointsOrder);
    void RestorePointsOrder();
    void ShowSort(int column, Qt::SortOrder order);

    TPatternRows rows_;
    int shownColumn_ = 0;
    Qt::SortOrder shownOrder_ = Qt::AscendingOrder;
    const TCodes* draws_ = nullptr;
    TSearchDrawsSource searchDraws_;
    TBackgroundJob* sortJob_;  // finds the order of a long sort
    uint64_t layoutRevision_ = 0;
};
