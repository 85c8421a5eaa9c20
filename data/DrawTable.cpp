#include "data/DrawTable.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <optional>

#include "data/DrawImport.h"
#include "data/TextLines.h"

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
bool HasWord(std::string_view line) {
    for (char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) return true;
    }
    return false;
}

bool LooksLikeData(std::string_view line) {
    return !HasWord(line) && std::any_of(line.begin(), line.end(), IsDigit);
}

// The length of the mark between two digits of a draw written in one field ("2 3 8 1 1 5 0",
// "2,3,8,1,1,5,0", "2-3-…", "2|3|…", "2、3、…"), or 0.
size_t DigitGapLength(std::string_view rest) {
    constexpr std::string_view marks = " \t,-|;/+._";
    if (marks.find(rest.front()) != std::string_view::npos) return 1;
    for (const std::string_view wide : {"、", "，", "　"})
        if (rest.starts_with(wide)) return wide.size();
    return 0;
}

// A draw in one field: seven digits in a row, or seven single digits with marks between them.
std::optional<int32_t> OneFieldDraw(std::string_view field) {
    if (field.size() == DrawDigits)
        return AllDigits(field) ? std::optional(static_cast<int32_t>(DigitsValue(field)))
                                : std::nullopt;
    if (field.size() < 2 * DrawDigits - 1 || field.size() > 64 || !IsDigit(field.front()) ||
        !IsDigit(field.back()))
        return std::nullopt;
    int32_t value = 0;
    int32_t digits = 0;
    bool afterDigit = false;
    for (size_t i = 0; i < field.size();) {
        if (IsDigit(field[i])) {
            if (afterDigit) return std::nullopt;  // two digits in a row: a number, not a draw
            value = value * 10 + (field[i] - '0');
            ++digits;
            afterDigit = true;
            ++i;
            continue;
        }
        const size_t gap = DigitGapLength(field.substr(i));
        if (gap == 0) return std::nullopt;
        afterDigit = false;
        i += gap;
    }
    return digits == DrawDigits ? std::optional(value) : std::nullopt;
}

// Seven digits that read as a year from 2000 and a running number of at most 200 (2024096):
// an issue number, which a draw resembles once in five hundred lines.
bool IsIssueLike(std::string_view field) {
    if (!IsSevenDigits(field) || !field.starts_with("20")) return false;
    const int64_t running = DigitsValue(field.substr(4));
    return running >= 1 && running <= 200;
}

// 1 (Monday) to 7 (Sunday) of a date yyyymmdd.
int32_t IsoWeekday(int64_t date) {
    static constexpr std::array<int32_t, 12> offsets = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int64_t year = date / 10000;
    const auto month = static_cast<int32_t>(date / 100 % 100);
    const auto day = static_cast<int32_t>(date % 100);
    if (month < 3) --year;
    const auto sunday0 = static_cast<int32_t>((year + year / 4 - year / 100 + year / 400 +
                                               offsets[static_cast<size_t>(month - 1)] + day) %
                                              7);
    return sunday0 == 0 ? 7 : sunday0;
}

// What a header field says its column holds.
enum class THeaderKind { None, Draw, Issue, Date, Other };

THeaderKind HeaderKindOf(std::string_view name) {
    const auto has = [name](std::initializer_list<std::string_view> words) {
        return std::any_of(words.begin(), words.end(), [name](std::string_view word) {
            return name.find(word) != std::string_view::npos;
        });
    };
    if (has({"星期", "周"})) return THeaderKind::Other;
    if (has({"期", "序号"})) return THeaderKind::Issue;
    if (has({"日", "时间"})) return THeaderKind::Date;
    if (has({"销售", "奖池", "金额", "元", "奖金", "注数", "滚存", "总额", "合计"}))
        return THeaderKind::Other;
    if (has({"号码", "开奖结果"})) return THeaderKind::Draw;
    return THeaderKind::None;
}

// Per-column tallies over the data lines of a table.
struct TColumnTally {
    int32_t Draws = 0;  // one field that reads as a draw
    int32_t OneDigit = 0;
    int32_t IssueLike = 0;
    int32_t Weekdays = 0;  // one digit that is the weekday of the line's date
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

std::string DrawColumnsName(TDrawColumns columns) {
    if (!columns.Split) return "第" + std::to_string(columns.Column + 1) + "列";
    return "第" + std::to_string(columns.Column + 1) + "至第" +
           std::to_string(columns.Column + DrawDigits) + "列";
}

std::string UndecidedDrawsMessage(const std::vector<TDrawColumns>& candidates) {
    constexpr size_t Named = 5;  // a sentence, not a list of sixty columns
    std::string names;
    for (size_t k = 0; k < candidates.size() && k < Named; ++k)
        names += (k == 0 ? "" : "、") + DrawColumnsName(candidates[k]);
    if (candidates.size() > Named) names += "等" + std::to_string(candidates.size()) + "处";
    if (names.empty()) return "无法确定哪一列是开奖号码。";
    return "无法确定哪一列是开奖号码（可能是" + names + "）。";
}

TUndecidedDrawsError::TUndecidedDrawsError(std::vector<TDrawColumns> candidates)
    : TError(UndecidedDrawsMessage(candidates)), Candidates(std::move(candidates)) {}

std::vector<int32_t> TDrawFileReading::Numbers() const {
    std::vector<int32_t> numbers;
    numbers.reserve(Rows.size());
    for (const TDrawFileRow& row : Rows) numbers.push_back(row.Number);
    return numbers;
}

TDrawFileText::TDrawFileText(std::string_view bytes) : text_(DecodeDrawFile(bytes)) {
    ForEachLine(text_, [&](int32_t, std::string_view line) {
        const auto start = static_cast<uint32_t>(line.data() - text_.data());
        lines_.push_back({start, start + static_cast<uint32_t>(line.size())});
    });
    // A zero byte is damage in the middle of a file, not its end: its line is refused.
    const size_t zero = text_.find('\0');
    if (zero != std::string::npos)
        firstZeroLine_ = static_cast<int32_t>(
            std::upper_bound(lines_.begin(), lines_.end(), zero,
                             [](size_t at, const TSpan& line) { return at < line.End; }) -
            lines_.begin());

    // A table has a separator between fields, or is one column of draws written with marks
    // between the digits ("2-3-8-1-1-5-0").
    for (const TSpan& line : lines_) {
        const std::string_view trimmed = TrimView(Text(line));
        if (trimmed.find_first_of(",;\t| ") != std::string_view::npos ||
            (trimmed.size() > DrawDigits && OneFieldDraw(trimmed))) {
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

bool TDrawFileText::HoldsDraw(const TFields& fields) const {
    int32_t run = 0;
    for (const TSpan& span : fields) {
        const std::string_view field = Text(span);
        if (OneFieldDraw(field)) return true;
        run = IsOneDigit(field) ? run + 1 : 0;
        if (run == DrawDigits) return true;
    }
    return false;
}

bool TDrawFileText::HoldsWord(int32_t index) const {
    return HasWord(LineText(index));
}

TFieldSeparator TDrawFileText::ChooseSeparator() const {
    // Separators in the order of the number of lines that hold them outside quotes (ties go to
    // the first of this list); of those, the one under which most of the first lines hold a
    // draw, so that "2,3,8,1,1,5,0" inside a semicolon file or "2 3 8 1 1 5 0" inside a comma
    // file stays one field.
    constexpr std::array<TFieldSeparator, 5> order = {
        TFieldSeparator::Tab, TFieldSeparator::Comma, TFieldSeparator::Semicolon,
        TFieldSeparator::Bar, TFieldSeparator::Blanks};
    std::array<int64_t, 5> counts{};
    for (const TSpan& line : lines_) {
        const std::string_view trimmed = TrimView(Text(line));
        std::array<bool, 5> seen{};
        bool quoted = false;
        for (char c : trimmed) {
            if (c == '"') quoted = !quoted;
            const int k = SeparatorSlot[static_cast<unsigned char>(c)];
            if (k >= 0 && !quoted) seen[static_cast<size_t>(k)] = true;
        }
        for (size_t k = 0; k < order.size(); ++k) counts[k] += seen[k];
    }
    std::array<size_t, 5> ranked = {0, 1, 2, 3, 4};
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](size_t a, size_t b) { return counts[a] > counts[b]; });
    if (counts[ranked[0]] == 0) return TFieldSeparator::Comma;  // one column

    constexpr int32_t SampleLines = 100;
    TFieldSeparator best = order[ranked[0]];
    int32_t bestDraws = -1;
    TFields fields;
    for (const size_t k : ranked) {
        if (counts[k] == 0) break;
        int32_t draws = 0;
        int32_t sampled = 0;
        for (int32_t i = 0; i < LineCount() && sampled < SampleLines; ++i) {
            try {
                SplitFields(i, order[k], fields);
            } catch (const TDrawLineError&) {
                break;  // too many fields: DetectLayout names the line
            }
            if (fields.empty()) continue;
            ++sampled;
            draws += HoldsDraw(fields);
        }
        if (draws > bestDraws) {
            best = order[k];
            bestDraws = draws;
        }
    }
    return best;
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
    // A quoted field may hold the separator; doubled quotes stand for one. i is at the opening
    // quote; afterwards it is just past the closing one.
    const auto quoted = [&]() -> TSpan {
        uint32_t begin = ++i;
        while (i < end && !(text_[i] == '"' && (i + 1 >= end || text_[i + 1] != '"')))
            i += text_[i] == '"' ? 2 : 1;
        uint32_t stop = std::min(i, end);
        if (i < end) ++i;
        while (begin < stop && IsBlank(text_[begin])) ++begin;
        while (stop > begin && IsBlank(text_[stop - 1])) --stop;
        return {begin, stop};
    };
    if (separator == TFieldSeparator::Blanks) {
        while (i < end) {
            if (fields.size() == MaxLineFields) tooMany();
            if (text_[i] == '"') {
                fields.push_back(quoted());
                while (i < end && !IsBlank(text_[i])) ++i;
            } else {
                const uint32_t begin = i;
                while (i < end && !IsBlank(text_[i])) ++i;
                fields.push_back({begin, i});
            }
            while (i < end && IsBlank(text_[i])) ++i;
        }
        return;
    }
    const char mark = static_cast<char>(separator);
    for (;;) {
        if (fields.size() == MaxLineFields) tooMany();
        while (i < end && text_[i] != mark && IsBlank(text_[i])) ++i;
        if (i < end && text_[i] == '"') {
            fields.push_back(quoted());
            while (i < end && text_[i] != mark) ++i;
        } else {
            const uint32_t begin = i;
            while (i < end && text_[i] != mark) ++i;
            uint32_t stop = i;
            while (stop > begin && IsBlank(text_[stop - 1])) --stop;
            fields.push_back({begin, stop});
        }
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

int32_t TDrawFileText::ColumnCountOf(TFieldSeparator separator) const {
    TFields fields;
    size_t widest = 0;
    for (int32_t i = 0; i < LineCount(); ++i) {
        try {
            SplitFields(i, separator, fields);
        } catch (const TDrawLineError&) {
            return MaxLineFields;
        }
        widest = std::max(widest, fields.size());
    }
    return static_cast<int32_t>(widest);
}

TDrawTableLayout TDrawFileText::DetectLayout() const {
    RefuseZeroBytes();
    return DetectLayout(ChooseSeparator());
}

TDrawTableLayout TDrawFileText::DetectLayout(TFieldSeparator separator) const {
    RefuseZeroBytes();
    TDrawTableLayout layout;
    layout.Separator = separator;
    const auto lineCount = static_cast<int32_t>(lines_.size());

    // Header lines: those before the first line that holds something a draw could be.
    TFields fields;
    int32_t first = 0;
    for (; first < lineCount; ++first) {
        SplitFields(first, layout.Separator, fields);
        if (HoldsDraw(fields)) break;
    }
    if (first == lineCount) {
        for (int32_t i = 0; i < lineCount; ++i)
            if (!TrimView(LineText(i)).empty()) ThrowUnreadable(i);
        ThrowUnreadable(0);
    }
    layout.HeaderLines = first;
    for (int32_t i = 0; i < first; ++i)
        if (LooksLikeData(LineText(i))) ThrowUnreadable(i);
    // Summary lines at the end ("共 2 期") hold a word and no draw; they say nothing of the
    // columns.
    int32_t end = lineCount;
    for (; end > first; --end) {
        SplitFields(end - 1, layout.Separator, fields);
        if (!fields.empty() && (!HoldsWord(end - 1) || HoldsDraw(fields))) break;
    }

    std::vector<TColumnTally> tally(MaxKnownColumns);
    int32_t dataLines = 0;
    int32_t width = 0;
    for (int32_t i = first; i < end; ++i) {
        SplitFields(i, layout.Separator, fields);
        if (fields.empty()) continue;
        ++dataLines;
        width = std::max(width, static_cast<int32_t>(fields.size()));
        // The weekday of the line's first date, for telling a weekday column from a digit.
        int32_t weekday = 0;
        for (const TSpan& span : fields) {
            const std::string_view field = Text(span);
            if (field.size() < 8 || !AllDigits(field.substr(0, 4))) continue;
            if (const auto date = DateValue(field)) {
                weekday = IsoWeekday(*date);
                break;
            }
        }
        for (size_t c = 0; c < tally.size(); ++c) {
            TColumnTally& t = tally[c];
            if (c >= fields.size()) {
                t.LastIssue.reset();
                continue;
            }
            const std::string_view field = Text(fields[c]);
            const bool digits = AllDigits(field);
            const bool oneDigit = digits && field.size() == 1;
            t.OneDigit += oneDigit;
            t.Weekdays += oneDigit && weekday > 0 &&
                          (field[0] - '0' == weekday || (weekday == 7 && field[0] == '0'));
            t.Draws += digits ? field.size() == DrawDigits : OneFieldDraw(field).has_value();
            t.IssueLike += IsIssueLike(field);
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
    const auto countsByOne = [&](int32_t c) { return dataLines > 1 && isIssueRun(c); };

    // What the header line (the last non-blank line above the data) names each column.
    std::vector<THeaderKind> named(static_cast<size_t>(known), THeaderKind::None);
    for (int32_t i = first - 1; i >= 0; --i) {
        SplitFields(i, layout.Separator, fields);
        if (fields.empty()) continue;
        for (size_t c = 0; c < fields.size() && c < named.size(); ++c)
            named[c] = HeaderKindOf(Text(fields[c]));
        break;
    }
    const auto kind = [&](int32_t c) { return named[static_cast<size_t>(c)]; };
    const bool drawNamed = std::find(named.begin(), named.end(), THeaderKind::Draw) != named.end();

    // Every place that holds a draw on most lines.
    std::vector<TDrawColumns> held;
    const auto span = [](TDrawColumns d) { return d.Split ? DrawDigits : 1; };
    for (int32_t c = 0; c < known; ++c) {
        if (Majority(column(c).Draws, dataLines)) held.push_back({c, false});
        bool run = c + DrawDigits <= known;
        for (int32_t k = 0; run && k < DrawDigits; ++k)
            run = Majority(column(c + k).OneDigit, dataLines);
        if (run) held.push_back({c, true});
    }
    if (held.empty()) {
        // Lines hold draws, but not in one column: the first line without one is at fault.
        for (int32_t i = first; i < end; ++i) {
            SplitFields(i, layout.Separator, fields);
            if (!fields.empty() && !HoldsDraw(fields)) ThrowUnreadable(i);
        }
        ThrowUnreadable(first);
    }
    const auto anyColumn = [&](TDrawColumns d, auto test) {
        for (int32_t c = d.Column; c < d.Column + span(d); ++c)
            if (test(c)) return true;
        return false;
    };

    std::optional<TDrawColumns> chosen;
    // A header that names the draw decides.
    for (const TDrawColumns& d : held)
        if (!chosen && drawNamed && kind(d.Column) == THeaderKind::Draw) chosen = d;
    if (!chosen) {
        // Never the draw: a column the header names for something else, a field of seven
        // digits that counts by one from line to line.
        std::vector<TDrawColumns> pool;
        for (const TDrawColumns& d : held) {
            const bool namedOther = !drawNamed && anyColumn(d, [&](int32_t c) {
                return kind(c) != THeaderKind::None && kind(c) != THeaderKind::Draw;
            });
            if (!namedOther && (d.Split || !countsByOne(d.Column))) pool.push_back(d);
        }
        // Then, as long as some remain: no one-digit column that counts by one or is the
        // weekday of the date; the draw on every line; not mostly issue numbers.
        const auto narrow = [&](auto keep) {
            std::vector<TDrawColumns> kept;
            std::copy_if(pool.begin(), pool.end(), std::back_inserter(kept), keep);
            if (!kept.empty()) pool = std::move(kept);
        };
        narrow([&](TDrawColumns d) {
            return !d.Split || !anyColumn(d, [&](int32_t c) {
                return countsByOne(c) || Majority(column(c).Weekdays, dataLines);
            });
        });
        narrow([&](TDrawColumns d) {
            return !anyColumn(d, [&](int32_t c) {
                return (d.Split ? column(c).OneDigit : column(c).Draws) != dataLines;
            });
        });
        narrow([&](TDrawColumns d) {
            return d.Split || !Majority(column(d.Column).IssueLike, column(d.Column).Draws);
        });
        // Seven one-digit fields inside a longer stretch of them do not say where the draw
        // starts.
        narrow([&](TDrawColumns d) {
            return !d.Split || std::none_of(held.begin(), held.end(), [&](TDrawColumns other) {
                return other.Split && other.Column != d.Column &&
                       std::abs(other.Column - d.Column) < DrawDigits;
            });
        });
        if (pool.size() == 1)
            chosen = pool.front();
        else
            layout.Candidates = pool.empty() ? held : pool;
    }
    int32_t drawEnd = -1;
    if (chosen) {
        layout.DrawColumn = chosen->Column;
        layout.DrawSplit = chosen->Split;
        drawEnd = chosen->Column + span(*chosen);
    }
    const auto inDraw = [&](int32_t c) { return c >= layout.DrawColumn && c < drawEnd; };
    for (int32_t c = 0; c < known && layout.DateColumn < 0; ++c)
        if (!inDraw(c) && isDate(c)) layout.DateColumn = c;
    for (int32_t c = 0; c < known && layout.IssueColumn < 0; ++c)
        if (!inDraw(c) && c != layout.DateColumn &&
            (isIssueRun(c) ||
             (kind(c) == THeaderKind::Issue && Majority(column(c).Issues, dataLines))))
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
    if (!layout.Decided()) throw TUndecidedDrawsError(layout.Candidates);
    TDrawFileReading reading;
    reading.IsTable = true;
    reading.Layout = layout;
    const auto lineCount = static_cast<int32_t>(lines_.size());
    const int32_t first = std::max(layout.HeaderLines, 0);
    TFields fields;
    const auto fieldAt = [&](int32_t c) {
        return c >= 0 && static_cast<size_t>(c) < fields.size() ? Text(fields[c])
                                                                : std::string_view();
    };
    // Summary lines at the end: a word, and neither a draw nor an issue number or a date where
    // the layout has them ("2024003,1,x,3,…" is a broken data line, "共 2 期" a summary).
    int32_t end = lineCount;
    for (; end > first; --end) {
        SplitFields(end - 1, layout.Separator, fields);
        if (fields.empty()) continue;
        const bool summary =
            HoldsWord(end - 1) && !HoldsDraw(fields) &&
            !(layout.IssueColumn >= 0 && IssueValue(fieldAt(layout.IssueColumn))) &&
            !(layout.DateColumn >= 0 && DateValue(fieldAt(layout.DateColumn)));
        if (!summary) break;
    }
    reading.Rows.reserve(static_cast<size_t>(std::max(end - first, 0)));
    for (int32_t i = first; i < end; ++i) {
        SplitFields(i, layout.Separator, fields);
        if (fields.empty()) continue;
        TDrawFileRow row;
        row.Line = i + 1;
        if (layout.DrawSplit) {
            for (int32_t k = 0; k < DrawDigits; ++k) {
                const std::string_view digit = fieldAt(layout.DrawColumn + k);
                if (!IsOneDigit(digit)) ThrowUnreadable(i);
                row.Number = row.Number * 10 + (digit[0] - '0');
            }
        } else {
            const std::optional<int32_t> draw = OneFieldDraw(fieldAt(layout.DrawColumn));
            if (!draw) ThrowUnreadable(i);
            row.Number = *draw;
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
