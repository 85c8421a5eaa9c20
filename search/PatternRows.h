#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/Hao.h"
#include "search/Gui2Reg.h"
#include "search/PatternColumns.h"

// How the pattern list orders its rows, without any toolkit: the keys a column sorts by, the
// order of a sort, and the rows themselves with their "点" buckets.

// "验证", the column after the pattern's seven: whether its prediction came true.
inline constexpr int PatternVerifyColumn = PatternColumnCount;
inline constexpr int PatternListColumnCount = PatternColumnCount + 1;

// Whether a column's texts are numbers ("点", "步"), sorted by their value.
bool IsNumericPatternColumn(int column);
// The bytes the list compares for one of the seven columns. Texts: code page 936 bytes with
// a-z folded to upper case. Numbers: their digit count, then their digits, so that byte order
// is numeric order.
std::string PatternCompareKey(const TGui2Reg& pattern, int column);
// Ordinal comparison of two patterns' keys in a column: negative, zero or positive.
int ComparePatterns(const TGui2Reg& a, const TGui2Reg& b, int column);
// The order of the rows sorted by a column (also "验证", checked against draws and the draws of
// the search that found the patterns, null: the same draws; null draws leave it empty): row
// numbers, first row first. Rows of equal keys keep their order in both directions.
std::vector<uint32_t> PatternSortOrder(const std::vector<const TGui2Reg*>& rows, int column,
                                       bool descending, const TCodes* draws,
                                       const TCodes* searchDraws = nullptr);

// The list's rows. In "点" order the rows live in one bucket per "点" text, buckets ascending,
// so that a new row is appended to its bucket instead of being inserted into one long list;
// after a sort by another column they are one flat list. Rows refer to patterns owned
// elsewhere. Row numbers are 0-based.
class TPatternRows {
  public:
    struct TBucket {
        std::string Key;
        std::vector<const TGui2Reg*> Rows;
    };

    // The rows in "点" order, ascending; rows of one "点" text keep the given order.
    static TPatternRows InPointsOrder(std::vector<const TGui2Reg*> rows);
    // The rows as one flat list in the given order.
    static TPatternRows Flat(std::vector<const TGui2Reg*> rows);

    size_t Count() const { return flatMode_ ? flat_.size() : starts_.back(); }
    // Throws std::out_of_range for a row that does not exist.
    const TGui2Reg* At(size_t row) const;
    bool FlatMode() const { return flatMode_; }
    std::vector<const TGui2Reg*> Flatten() const;
    // The rows, ascending, whose patterns are among these.
    std::vector<int> RowsOf(const std::vector<const TGui2Reg*>& patterns) const;

    void Clear();
    void Swap(TPatternRows& other) noexcept;

    // Appending in "点" order (not in flat mode). The bucket of a key, made (empty) when
    // missing; the row after its last row; its new rows at its end.
    size_t BucketFor(const std::string& key);
    size_t BucketEnd(size_t bucket) const { return starts_[bucket + 1]; }
    void AppendTo(size_t bucket, std::span<const TGui2Reg* const> rows);

    // The first row that a run of removals ending at row may reach: the start of its bucket
    // (0 in flat mode), so that each removal takes consecutive rows of one list.
    size_t RunFloor(size_t row) const;
    // Removes rows first..last (inclusive), which lie within one run (RunFloor).
    void Erase(size_t first, size_t last);

    // Where a pattern put back near row will stand: in flat mode at row, in "点" order inside
    // its bucket (made when missing), as near to row as the bucket allows.
    size_t PlaceOf(size_t row, const TGui2Reg& pattern);
    // Inserts the pattern at the row PlaceOf gave.
    void InsertAt(size_t placed, const TGui2Reg* pattern);

  private:
    size_t BucketOf(size_t row) const;
    void RecomputeStarts();

    std::vector<TBucket> buckets_;
    std::vector<size_t> starts_{0};  // first row of each bucket, then the row count
    std::vector<const TGui2Reg*> flat_;
    bool flatMode_ = false;
};
