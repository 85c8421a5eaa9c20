#include "data/DrawTable.h"

#include <algorithm>
#include <array>
#include <optional>

#include "data/DrawImport.h"

namespace {

constexpr int32_t DrawDigits = 7;

// The slot of each separator character in the order that ChooseSeparator prefers, else -1.
constexpr std::array<int16_t, 256> SeparatorSlot = [] {
    std::array<int16_t, 256> slots{};
    slots.fill(-1);
    slots['\t'] = 0;
    slots[','] = 1;
    slots[';'] = 2;
    slots['|'] = 3;
    slots[' '] = 4;
    return slots;
}();

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

bool IsSevenDigits(std::string_view field) {
    return field.size() == DrawDigits && AllDigits(field);
}

bool IsOneDigit(std::string_view field) {
    return field.size() == 1 && IsDigit(field[0]);
}

int64_t DigitsValue(std::string_view digits) {
    int64_t value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// Issue numbers: up to 12 digits.
std::optional<int64_t> IssueValue(std::string_view field) {
    if (field.size() > 12 || !AllDigits(field)) return std::nullopt;
    return DigitsValue(field);
}

// yyyy-mm-dd, yyyy/mm/dd, yyyy.mm.dd (month and day of one or two digits) or yyyymmdd, as
// the number yyyymmdd; a time of day after a blank is allowed.
std::optional<int64_t> DateValue(std::string_view field) {
    const size_t blank = field.find_first_of(" T");
    if (blank != std::string_view::npos) field = field.substr(0, blank);
    int64_t year = 0;
    int64_t month = 0;
    int64_t day = 0;
    if (field.size() == 8 && AllDigits(field)) {
        year = DigitsValue(field.substr(0, 4));
        month = DigitsValue(field.substr(4, 2));
        day = DigitsValue(field.substr(6, 2));
    } else {
        if (field.size() < 8 || !AllDigits(field.substr(0, 4))) return std::nullopt;
        const char mark = field[4];
        if (mark != '-' && mark != '/' && mark != '.') return std::nullopt;
        const size_t second = field.find(mark, 5);
        if (second == std::string_view::npos) return std::nullopt;
        const std::string_view m = field.substr(5, second - 5);
        const std::string_view d = field.substr(second + 1);
        if (m.empty() || m.size() > 2 || !AllDigits(m) || d.empty() || d.size() > 2 ||
            !AllDigits(d))
            return std::nullopt;
        year = DigitsValue(field.substr(0, 4));
        month = DigitsValue(m);
        day = DigitsValue(d);
    }
    if (year < 1900 || year > 2199 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    return year * 10000 + month * 100 + day;
}

// The year part and the running part of a year-prefixed issue number such as 2016001.
struct TIssueParts {
    int64_t Year;
    int64_t Running;
};
int32_t DigitCount(int64_t value) {
    int32_t digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

std::optional<TIssueParts> SplitIssue(int64_t issue) {
    const int32_t digits = DigitCount(issue);
    if (digits < 5) return std::nullopt;
    int64_t divisor = 1;
    for (int32_t k = 0; k < digits - (digits == 5 ? 2 : 4); ++k) divisor *= 10;
    return TIssueParts{issue / divisor, issue % divisor};
}

// +1 when next follows issue (one more, or the first issue of the next year), -1 when it comes
// just before it, 0 otherwise.
int StepBetween(int64_t issue, int64_t next) {
    if (next == issue + 1) return 1;
    if (next == issue - 1) return -1;
    const auto a = SplitIssue(issue);
    const auto b = SplitIssue(next);
    if (!a || !b || DigitCount(issue) != DigitCount(next)) return 0;
    if (b->Year == a->Year + 1 && b->Running <= 1) return 1;
    if (b->Year == a->Year - 1 && a->Running <= 1) return -1;
    return 0;
}

std::string_view TrimView(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A line above the first draw that has digits and no word (no letter, no Chinese) is a data
// line that failed, never a header: "1,2,3,,5,6,7" under a header must not vanish silently.
bool LooksLikeData(std::string_view line) {
    bool digit = false;
    for (char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) return false;
        digit = digit || IsDigit(c);
    }
    return digit;
}

// Per-column tallies over the data lines of a table.
struct TColumnTally {
    int32_t SevenDigits = 0;
    int32_t OneDigit = 0;
    int32_t Issues = 0;
    int32_t Dates = 0;
    int32_t StepsUp = 0;
    int32_t StepsDown = 0;
    std::optional<int64_t> LastIssue;  // of the previous data line
};

bool Majority(int32_t count, int32_t total) {
    return total > 0 && count * 2 > total;
}

// Rows fall down the file when most steps between neighbours go down.
template <typename Value>
bool FallsDownTheFile(const std::vector<TDrawFileRow>& rows, Value value) {
    int64_t up = 0;
    int64_t down = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        const auto a = value(rows[i - 1]);
        const auto b = value(rows[i]);
        if (!a || !b) continue;
        if (*b > *a) ++up;
        if (*b < *a) ++down;
    }
    return down > up;
}

}  // namespace

TNoDrawsError::TNoDrawsError() : TError(NoDrawsMessage) {}

std::vector<int32_t> TDrawFileReading::Numbers() const {
    std::vector<int32_t> numbers;
    numbers.reserve(Rows.size());
    for (const TDrawFileRow& row : Rows) numbers.push_back(row.Number);
    return numbers;
}

TDrawFileText::TDrawFileText(std::string_view bytes) : text_(DecodeDrawFile(bytes)) {
    uint32_t start = 0;
    const auto size = static_cast<uint32_t>(text_.size());
    for (uint32_t i = 0; i < size; ++i) {
        const char c = text_[i];
        if (c != '\r' && c != '\n') continue;
        lines_.push_back({start, i});
        if (c == '\r' && i + 1 < size && text_[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < size) lines_.push_back({start, size});
    // A zero byte is damage in the middle of a file, not its end: its line is refused.
    const size_t zero = text_.find('\0');
    if (zero != std::string::npos)
        firstZeroLine_ = static_cast<int32_t>(
            std::upper_bound(lines_.begin(), lines_.end(), zero,
                             [](size_t at, const TSpan& line) { return at < line.End; }) -
            lines_.begin());

    for (const TSpan& line : lines_) {
        const std::string_view trimmed = TrimView(Text(line));
        if (trimmed.find_first_of(",;\t| ") != std::string_view::npos) {
            isTable_ = true;
            break;
        }
    }
}

std::string_view TDrawFileText::Text(TSpan span) const {
    return std::string_view(text_).substr(span.Begin, span.End - span.Begin);
}

std::string_view TDrawFileText::LineText(int32_t index) const {
    return Text(lines_.at(static_cast<size_t>(index)));
}

void TDrawFileText::ThrowUnreadable(int32_t index) const {
    throw TDrawLineError(UnreadableLineMessage(index + 1, LineText(index)), index + 1);
}

void TDrawFileText::RefuseZeroBytes() const {
    if (firstZeroLine_ >= 0) ThrowUnreadable(firstZeroLine_);
}

TFieldSeparator TDrawFileText::ChooseSeparator() const {
    // The separator found in the most lines; ties go to the first of this list.
    constexpr std::array<TFieldSeparator, 5> order = {
        TFieldSeparator::Tab, TFieldSeparator::Comma, TFieldSeparator::Semicolon,
        TFieldSeparator::Bar, TFieldSeparator::Blanks};
    std::array<int64_t, 5> counts{};
    for (const TSpan& line : lines_) {
        const std::string_view trimmed = TrimView(Text(line));
        std::array<bool, 5> seen{};
        for (char c : trimmed) {
            const int k = SeparatorSlot[static_cast<unsigned char>(c)];
            if (k >= 0) seen[static_cast<size_t>(k)] = true;
        }
        for (size_t k = 0; k < order.size(); ++k) counts[k] += seen[k];
    }
    size_t best = 0;
    for (size_t k = 1; k < order.size(); ++k)
        if (counts[k] > counts[best]) best = k;
    return order[best];
}

void TDrawFileText::SplitFields(int32_t index, TFieldSeparator separator, TFields& fields) const {
    fields.clear();
    const TSpan line = lines_[static_cast<size_t>(index)];
    uint32_t i = line.Begin;
    uint32_t end = line.End;
    while (i < end && IsBlank(text_[i])) ++i;
    while (end > i && IsBlank(text_[end - 1])) --end;
    if (i == end) return;
    const auto tooMany = [&] {
        throw TDrawLineError("第" + std::to_string(index + 1) + "行的字段超过" +
                                 std::to_string(MaxLineFields) + "个，不是开奖号码表格。",
                             index + 1);
    };
    if (separator == TFieldSeparator::Blanks) {
        while (i < end) {
            if (fields.size() == MaxLineFields) tooMany();
            uint32_t j = i;
            while (j < end && !IsBlank(text_[j])) ++j;
            fields.push_back({i, j});
            while (j < end && IsBlank(text_[j])) ++j;
            i = j;
        }
        return;
    }
    const char mark = static_cast<char>(separator);
    for (;;) {
        if (fields.size() == MaxLineFields) tooMany();
        while (i < end && text_[i] != mark && IsBlank(text_[i])) ++i;
        uint32_t begin = i;
        uint32_t stop;
        if (i < end && text_[i] == '"') {
            // A quoted field may hold the separator; doubled quotes stand for one.
            begin = ++i;
            while (i < end && !(text_[i] == '"' && (i + 1 >= end || text_[i + 1] != '"')))
                i += text_[i] == '"' ? 2 : 1;
            stop = i;
            while (i < end && text_[i] != mark) ++i;
        } else {
            while (i < end && text_[i] != mark) ++i;
            stop = i;
            while (stop > begin && IsBlank(text_[stop - 1])) --stop;
        }
        fields.push_back({begin, stop});
        if (i >= end) break;
        ++i;  // the separator
    }
}

std::vector<std::string> TDrawFileText::FieldsOf(int32_t index, TFieldSeparator separator) const {
    TFields spans;
    SplitFields(index, separator, spans);
    std::vector<std::string> fields;
    for (const TSpan& span : spans) fields.emplace_back(Text(span));
    return fields;
}

TDrawTableLayout TDrawFileText::DetectLayout() const {
    RefuseZeroBytes();
    TDrawTableLayout layout;
    layout.Separator = ChooseSeparator();
    const auto lineCount = static_cast<int32_t>(lines_.size());

    // Header lines: those before the first line that holds something a draw could be.
    TFields fields;
    const auto holdsDraw = [&](const TFields& f) {
        int32_t run = 0;
        for (const TSpan& span : f) {
            const std::string_view field = Text(span);
            if (IsSevenDigits(field)) return true;
            run = IsOneDigit(field) ? run + 1 : 0;
            if (run == DrawDigits) return true;
        }
        return false;
    };
    int32_t first = 0;
    for (; first < lineCount; ++first) {
        SplitFields(first, layout.Separator, fields);
        if (holdsDraw(fields)) break;
    }
    if (first == lineCount) {
        for (int32_t i = 0; i < lineCount; ++i)
            if (!TrimView(LineText(i)).empty()) ThrowUnreadable(i);
        ThrowUnreadable(0);
    }
    layout.HeaderLines = first;
    for (int32_t i = 0; i < first; ++i)
        if (LooksLikeData(LineText(i))) ThrowUnreadable(i);

    std::vector<TColumnTally> tally(MaxKnownColumns);
    int32_t dataLines = 0;
    int32_t width = 0;
    for (int32_t i = first; i < lineCount; ++i) {
        SplitFields(i, layout.Separator, fields);
        if (fields.empty()) continue;
        ++dataLines;
        width = std::max(width, static_cast<int32_t>(fields.size()));
        for (size_t c = 0; c < tally.size(); ++c) {
            TColumnTally& t = tally[c];
            if (c >= fields.size()) {
                t.LastIssue.reset();
                continue;
            }
            const std::string_view field = Text(fields[c]);
            const bool digits = AllDigits(field);
            t.SevenDigits += digits && field.size() == DrawDigits;
            t.OneDigit += digits && field.size() == 1;
            // Only fields that start with a four-digit year can be dates.
            t.Dates +=
                field.size() >= 8 && AllDigits(field.substr(0, 4)) && DateValue(field).has_value();
            const std::optional<int64_t> issue =
                digits && field.size() <= 12 ? std::optional(DigitsValue(field)) : std::nullopt;
            t.Issues += issue.has_value();
            if (issue && t.LastIssue) {
                const int step = StepBetween(*t.LastIssue, *issue);
                t.StepsUp += step > 0;
                t.StepsDown += step < 0;
            }
            t.LastIssue = issue;
        }
    }
    layout.ColumnCount = width;
    const int32_t known = std::min(width, MaxKnownColumns);
    const auto column = [&](int32_t c) -> const TColumnTally& {
        return tally[static_cast<size_t>(c)];
    };
    const auto isDate = [&](int32_t c) { return Majority(column(c).Dates, dataLines); };
    // A run of issue numbers; one line alone gives no evidence either way.
    const auto isIssueRun = [&](int32_t c) {
        const TColumnTally& t = column(c);
        return Majority(t.Issues, dataLines) && !isDate(c) &&
               (dataLines == 1 || Majority(std::max(t.StepsUp, t.StepsDown), dataLines - 1));
    };

    // Header fields that name an issue or a date ("期号", "开奖日期") mark columns that are no
    // part of the draw.
    std::vector<bool> named(static_cast<size_t>(known), false);
    for (int32_t i = first - 1; i >= 0; --i) {
        SplitFields(i, layout.Separator, fields);
        if (fields.empty()) continue;
        for (size_t c = 0; c < fields.size() && c < named.size(); ++c)
            named[c] = Text(fields[c]).find("期") != std::string_view::npos;
        break;
    }
    const auto isNamed = [&](int32_t c) { return named[static_cast<size_t>(c)]; };
    // A draw digit that rises or falls by one from every line to the next is no draw digit.
    const auto plausibleDraw = [&](int32_t c) {
        return !isNamed(c) && (dataLines == 1 || !isIssueRun(c));
    };
    const auto isDigitRun = [&](int32_t s, bool strict) {
        for (int32_t k = 0; k < DrawDigits; ++k)
            if (!Majority(column(s + k).OneDigit, dataLines) || (strict && isNamed(s + k)))
                return false;
        return !strict || plausibleDraw(s);
    };
    // The draw: seven one-digit fields (the leftmost run), else a seven-digit field (the
    // rightmost); first among plausible columns, then among any.
    for (const bool strict : {true, false}) {
        for (int32_t s = 0; s + DrawDigits <= known && layout.DrawColumn < 0; ++s) {
            if (isDigitRun(s, strict)) {
                layout.DrawColumn = s;
                layout.DrawSplit = true;
            }
        }
        for (int32_t c = known - 1; c >= 0 && layout.DrawColumn < 0; --c)
            if (Majority(column(c).SevenDigits, dataLines) && (!strict || plausibleDraw(c)))
                layout.DrawColumn = c;
        if (layout.DrawColumn >= 0) break;
    }
    if (layout.DrawColumn < 0) {
        // Lines hold draws, but not in one column: the first line without one is at fault.
        for (int32_t i = first; i < lineCount; ++i) {
            SplitFields(i, layout.Separator, fields);
            if (!fields.empty() && !holdsDraw(fields)) ThrowUnreadable(i);
        }
        ThrowUnreadable(first);
    }
    const int32_t drawEnd = layout.DrawColumn + (layout.DrawSplit ? DrawDigits : 1);
    const auto inDraw = [&](int32_t c) { return c >= layout.DrawColumn && c < drawEnd; };
    for (int32_t c = 0; c < known && layout.DateColumn < 0; ++c)
        if (!inDraw(c) && isDate(c)) layout.DateColumn = c;
    for (int32_t c = 0; c < known && layout.IssueColumn < 0; ++c)
        if (!inDraw(c) && c != layout.DateColumn &&
            (isIssueRun(c) || (isNamed(c) && Majority(column(c).Issues, dataLines))))
            layout.IssueColumn = c;

    // A top line with an issue number or a date where the data has them is a data line that
    // failed, not a header.
    for (int32_t i = 0; i < first; ++i) {
        SplitFields(i, layout.Separator, fields);
        const auto fieldAt = [&](int32_t c) {
            return c >= 0 && static_cast<size_t>(c) < fields.size() ? Text(fields[c])
                                                                    : std::string_view();
        };
        if ((layout.IssueColumn >= 0 && IssueValue(fieldAt(layout.IssueColumn))) ||
            (layout.DateColumn >= 0 && DateValue(fieldAt(layout.DateColumn))))
            ThrowUnreadable(i);
    }
    return layout;
}

TDrawFileReading TDrawFileText::ReadPlain() const {
    TDrawFileReading reading;
    reading.Rows.reserve(lines_.size());
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto line = static_cast<int32_t>(i + 1);
        int32_t number = 0;
        const TPlainLine kind = ReadPlainDrawLine(Text(lines_[i]), number);
        if (kind == TPlainLine::Bad) ThrowUnreadable(line - 1);
        if (kind == TPlainLine::Draw) reading.Rows.push_back({line, number, {}, {}});
    }
    if (reading.Rows.empty()) throw TNoDrawsError();
    return reading;
}

TDrawFileReading TDrawFileText::ReadTable(const TDrawTableLayout& layout) const {
    RefuseZeroBytes();
    TDrawFileReading reading;
    reading.IsTable = true;
    reading.Layout = layout;
    const auto lineCount = static_cast<int32_t>(lines_.size());
    reading.Rows.reserve(static_cast<size_t>(std::max(lineCount - layout.HeaderLines, 0)));
    TFields fields;
    for (int32_t i = std::max(layout.HeaderLines, 0); i < lineCount; ++i) {
        SplitFields(i, layout.Separator, fields);
        if (fields.empty()) continue;
        const auto fieldAt = [&](int32_t c) {
            return c >= 0 && static_cast<size_t>(c) < fields.size() ? Text(fields[c])
                                                                    : std::string_view();
        };
        TDrawFileRow row;
        row.Line = i + 1;
        if (layout.DrawSplit) {
            for (int32_t k = 0; k < DrawDigits; ++k) {
                const std::string_view digit = fieldAt(layout.DrawColumn + k);
                if (!IsOneDigit(digit)) ThrowUnreadable(i);
                row.Number = row.Number * 10 + (digit[0] - '0');
            }
        } else {
            const std::string_view draw = fieldAt(layout.DrawColumn);
            if (!IsSevenDigits(draw)) ThrowUnreadable(i);
            row.Number = static_cast<int32_t>(DigitsValue(draw));
        }
        if (layout.IssueColumn >= 0) {
            row.Issue = fieldAt(layout.IssueColumn);
            if (!IssueValue(row.Issue)) ThrowUnreadable(i);
        }
        if (layout.DateColumn >= 0) {
            row.Date = fieldAt(layout.DateColumn);
            if (!DateValue(row.Date)) ThrowUnreadable(i);
        }
        reading.Rows.push_back(std::move(row));
    }
    if (reading.Rows.empty()) throw TNoDrawsError();
    if (layout.IssueColumn >= 0)
        reading.Reversed = FallsDownTheFile(
            reading.Rows, [](const TDrawFileRow& row) { return IssueValue(row.Issue); });
    else if (layout.DateColumn >= 0)
        reading.Reversed = FallsDownTheFile(
            reading.Rows, [](const TDrawFileRow& row) { return DateValue(row.Date); });
    if (reading.Reversed) std::reverse(reading.Rows.begin(), reading.Rows.end());
    return reading;
}

TDrawFileReading TDrawFileText::Read() const {
    return isTable_ ? ReadTable(DetectLayout()) : ReadPlain();
}

TDrawFileReading ReadDrawFile(std::string_view bytes) {
    return TDrawFileText(bytes).Read();
}
