#include "search/PatternRows.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "search/PatternCheck.h"

namespace {

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

// CompareKey, and for "验证" the text's code page 936 bytes.
std::string SortKey(const TGui2Reg& pattern, int column, const TPatternVerifier* verifier) {
    if (column != PatternVerifyColumn) return PatternCompareKey(pattern, column);
    if (verifier == nullptr) return {};
    switch (verifier->Verify(pattern)) {
        case TVerification::Hit:
            return "\xD6\xD0";  // 中
        case TVerification::Miss:
            return "\xCE\xB4\xD6\xD0";  // 未中
        case TVerification::Invalid:
        case TVerification::DrawsChanged:
            return "\xCE\xDE\xD0\xA7";  // 无效
        case TVerification::Pending:
            break;
    }
    return {};
}

}  // namespace

bool IsNumericPatternColumn(int column) {
    return column == 0 || column == 1;
}

std::string PatternCompareKey(const TGui2Reg& p, int column) {
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

int ComparePatterns(const TGui2Reg& a, const TGui2Reg& b, int column) {
    return CompareBytes(PatternCompareKey(a, column), PatternCompareKey(b, column));
}

std::vector<uint32_t> PatternSortOrder(const std::vector<const TGui2Reg*>& rows, int column,
                                       bool descending, const TCodes* draws,
                                       const TCodes* searchDraws) {
    std::optional<TPatternVerifier> verifying;  // compares the draw lists once
    if (draws != nullptr && column == PatternVerifyColumn)
        verifying.emplace(*draws, searchDraws != nullptr ? *searchDraws : *draws);
    const TPatternVerifier* verifier = verifying ? &*verifying : nullptr;
    const size_t n = rows.size();
    std::vector<TPackedKey> keys(n);
    bool anyLonger = false;
    const bool numeric = IsNumericPatternColumn(column);
    for (size_t i = 0; i < n; ++i) {
        uint64_t value = 0;
        if (numeric && SmallNumber(*rows[i], column, value)) {
            // Same order as the key, without building it: these come before every longer key.
            keys[i] = TPackedKey{0, value, static_cast<uint32_t>(i), false};
            continue;
        }
        keys[i] = Pack(SortKey(*rows[i], column, verifier), static_cast<uint32_t>(i));
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
                    full.emplace_back(SortKey(*rows[keys[i].Row], column, verifier), keys[i].Row);
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

namespace {

using TBucket = TPatternRows::TBucket;

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

// The callers hand their row list over; it is freed here.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
TPatternRows TPatternRows::InPointsOrder(std::vector<const TGui2Reg*> rows) {
    TPatternRows ordered;
    std::vector<TBucket>& buckets = ordered.buckets_;
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
            keys.emplace_back(countsOf(p), PatternCompareKey(*p, 0));
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
    ordered.RecomputeStarts();
    return ordered;
}

TPatternRows TPatternRows::Flat(std::vector<const TGui2Reg*> rows) {
    TPatternRows flat;
    flat.flat_ = std::move(rows);
    flat.flatMode_ = true;
    return flat;
}

const TGui2Reg* TPatternRows::At(size_t row) const {
    if (row >= Count()) throw std::out_of_range("TPatternRows row");
    if (flatMode_) return flat_[row];
    const size_t b = BucketOf(row);
    return buckets_[b].Rows[row - starts_[b]];
}

std::vector<const TGui2Reg*> TPatternRows::Flatten() const {
    if (flatMode_) return flat_;
    std::vector<const TGui2Reg*> rows;
    rows.reserve(starts_.back());
    for (const TBucket& bucket : buckets_)
        rows.insert(rows.end(), bucket.Rows.begin(), bucket.Rows.end());
    return rows;
}

std::vector<int> TPatternRows::RowsOf(const std::vector<const TGui2Reg*>& patterns) const {
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

void TPatternRows::Clear() {
    TPatternRows empty;
    Swap(empty);
}

void TPatternRows::Swap(TPatternRows& other) noexcept {
    buckets_.swap(other.buckets_);
    starts_.swap(other.starts_);
    flat_.swap(other.flat_);
    std::swap(flatMode_, other.flatMode_);
}

size_t TPatternRows::BucketFor(const std::string& key) {
    const auto [b, made] = FindOrAddBucketIn(buckets_, key);
    if (made) RecomputeStarts();
    return b;
}

void TPatternRows::AppendTo(size_t bucket, std::span<const TGui2Reg* const> rows) {
    buckets_[bucket].Rows.insert(buckets_[bucket].Rows.end(), rows.begin(), rows.end());
    RecomputeStarts();
}

size_t TPatternRows::RunFloor(size_t row) const {
    return flatMode_ ? 0 : starts_[BucketOf(row)];
}

void TPatternRows::Erase(size_t first, size_t last) {
    const auto from = static_cast<std::ptrdiff_t>(first);
    const auto to = static_cast<std::ptrdiff_t>(last) + 1;
    if (flatMode_) {
        flat_.erase(flat_.begin() + from, flat_.begin() + to);
        return;
    }
    const size_t b = BucketOf(first);
    const auto floor = static_cast<std::ptrdiff_t>(starts_[b]);
    auto& list = buckets_[b].Rows;
    list.erase(list.begin() + (from - floor), list.begin() + (to - floor));
    RecomputeStarts();
}

size_t TPatternRows::PlaceOf(size_t row, const TGui2Reg& pattern) {
    row = std::min(row, Count());
    if (flatMode_) return row;
    const size_t b = BucketFor(PatternCompareKey(pattern, 0));
    const size_t first = starts_[b];
    return first + std::min(row - std::min(first, row), buckets_[b].Rows.size());
}

void TPatternRows::InsertAt(size_t placed, const TGui2Reg* pattern) {
    if (flatMode_) {
        flat_.insert(flat_.begin() + static_cast<std::ptrdiff_t>(placed), pattern);
        return;
    }
    const size_t b = BucketFor(PatternCompareKey(*pattern, 0));
    auto& list = buckets_[b].Rows;
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(placed - starts_[b]), pattern);
    RecomputeStarts();
}

size_t TPatternRows::BucketOf(size_t row) const {
    const auto it = std::upper_bound(starts_.begin(), starts_.end() - 1, row);
    return static_cast<size_t>(it - starts_.begin()) - 1;
}

void TPatternRows::RecomputeStarts() {
    starts_.assign(buckets_.size() + 1, 0);
    for (size_t b = 0; b < buckets_.size(); ++b)
        starts_[b + 1] = starts_[b] + buckets_[b].Rows.size();
}
