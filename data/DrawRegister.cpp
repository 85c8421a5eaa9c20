#include "data/DrawRegister.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "data/TextLines.h"

namespace {

constexpr std::string_view RegisterFirstLine = "Tolvane draw register 1";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a run of 1..maxDigits digits at text[at]; -1 when there is none or it is longer.
int ReadNumber(std::string_view text, size_t& at, size_t maxDigits) {
    size_t end = at;
    while (end < text.size() && IsDigit(text[end])) ++end;
    if (end == at || end - at > maxDigits) return -1;
    int value = 0;
    for (size_t i = at; i < end; ++i) value = value * 10 + (text[i] - '0');
    at = end;
    return value;
}

bool ConsumeAny(std::string_view text, size_t& at, std::initializer_list<std::string_view> seps) {
    for (std::string_view sep : seps)
        if (text.substr(at, sep.size()) == sep) {
            at += sep.size();
            return true;
        }
    return false;
}

bool IsCalendarDate(int year, int month, int day) {
    if (year < 1900 || year > 2199 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= Days[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string FormatDate(int year, int month, int day) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

uint64_t DigitsHash(const TCodes& draws) {
    uint64_t hash = 14695981039346656037ull;
    const DrawRecord* rows = draws.Rows();
    for (int32_t r = 0; r < draws.Count(); ++r)
        for (int p = 1; p <= 7; ++p) {
            hash ^= static_cast<uint64_t>(static_cast<uint32_t>(rows[r][p]));
            hash *= 1099511628211ull;
        }
    return hash;
}

std::string HexOf(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// The YYYY-MM-DD form of a real date, checked without making a text.
bool IsNormalDate(std::string_view date) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(date[i])) return false;
    const auto num = [&](size_t from, size_t count) {
        int v = 0;
        for (size_t i = from; i < from + count; ++i) v = v * 10 + (date[i] - '0');
        return v;
    };
    return IsCalendarDate(num(0, 4), num(5, 2), num(8, 2));
}

[[noreturn]] void Refuse(int32_t line, const std::string& why) {
    throw TRegisterError("期号文件第" + std::to_string(line) + "行" + why, line);
}

}  // namespace

bool IsIssueText(std::string_view text) {
    return !text.empty() && text.size() <= MaxIssueDigits &&
           std::all_of(text.begin(), text.end(), IsDigit);
}

int64_t IssueKey(std::string_view issue, bool serial) {
    if (!IsIssueText(issue)) return -1;
    int64_t value = 0;
    for (char c : issue) value = value * 10 + (c - '0');
    if (issue.size() == 5 && !serial) value += 2000 * 1000;  // yyNNN → 20yyNNN
    return value;
}

bool SerialNumbering(const std::vector<TDrawIdentity>& rows) {
    return std::any_of(rows.begin(), rows.end(),
                       [](const TDrawIdentity& row) { return row.Issue.size() == 6; });
}

bool IsYearlyIssue(std::string_view issue, bool serial) {
    return issue.size() == 7 || (issue.size() == 5 && !serial);
}

std::string NextIssueAfter(std::string_view issue) {
    if (!IsIssueText(issue)) return {};
    std::string next(issue);
    size_t i = next.size();
    while (i > 0) {
        --i;
        if (next[i] != '9') {
            ++next[i];
            return next;
        }
        next[i] = '0';
    }
    return "1" + next;
}

std::string NormalDate(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    int year = -1, month = -1, day = -1;
    size_t start = at;
    size_t end = start;
    while (end < text.size() && IsDigit(text[end])) ++end;
    if (end - start == 8) {  // 20240102
        const auto num = [&](size_t from, size_t count) {
            int v = 0;
            for (size_t i = from; i < from + count; ++i) v = v * 10 + (text[i] - '0');
            return v;
        };
        year = num(start, 4);
        month = num(start + 4, 2);
        day = num(start + 6, 2);
        at = end;
    } else {
        year = ReadNumber(text, at, 4);
        if (year < 0 || at - start != 4) return {};
        const bool chinese = ConsumeAny(text, at, {"年"});
        if (!chinese && !ConsumeAny(text, at, {"-", "/", "."})) return {};
        month = ReadNumber(text, at, 2);
        if (month < 0) return {};
        if (chinese ? !ConsumeAny(text, at, {"月"}) : !ConsumeAny(text, at, {"-", "/", "."}))
            return {};
        day = ReadNumber(text, at, 2);
        if (day < 0) return {};
        if (chinese) ConsumeAny(text, at, {"日"});
    }
    // What follows may be a weekday or a time, never more digits of the date.
    if (at < text.size() && IsDigit(text[at])) return {};
    if (!IsCalendarDate(year, month, day)) return {};
    return FormatDate(year, month, day);
}

int32_t DrawNumberOf(const DrawRecord& record) {
    int32_t number = 0;
    for (int p = 1; p <= 7; ++p) number = number * 10 + record[p];
    return number;
}

const TDrawIdentity& TDrawRegister::At(int32_t row) const {
    static const TDrawIdentity unknown;
    return row >= 0 && row < Count() ? Rows[static_cast<size_t>(row)] : unknown;
}

bool TDrawRegister::Known() const {
    return std::any_of(Rows.begin(), Rows.end(), [](const auto& r) { return !r.Empty(); });
}

std::string TDrawRegister::NextIssue() const {
    return Rows.empty() ? std::string() : NextIssueAfter(Rows.back().Issue);
}

void TDrawRegister::Fit(int32_t count) {
    const size_t wanted = static_cast<size_t>(std::max(count, 0));
    if (Rows.size() >= wanted) {
        Rows.resize(wanted);
        return;
    }
    Rows.reserve(wanted);
    while (Rows.size() < wanted) {
        TDrawIdentity next;
        if (!Rows.empty()) next.Issue = NextIssueAfter(Rows.back().Issue);
        Rows.push_back(std::move(next));
    }
}

std::string IssueLabel(const TDrawRegister& reg, int32_t row, int32_t count, int64_t firstIssue) {
    if (row == count) return reg.Count() >= count ? reg.NextIssue() : std::string();
    const std::string& issue = reg.At(row).Issue;
    return issue.empty() ? std::to_string(firstIssue + row) : issue;
}

std::string ShortIssueLabel(const std::string& label) {
    return label.size() > 5 ? label.substr(label.size() - 5) : label;
}

std::string RowDescription(const TDrawRegister& reg, int32_t row, int32_t count) {
    const TDrawIdentity& id = reg.At(row);
    if (row == count) {
        const std::string next = IssueLabel(reg, row, count, 1);
        return next.empty() ? "下一期" : "下一期：第" + next + "期";
    }
    std::string text =
        id.Issue.empty() ? "第" + std::to_string(row + 1) + "行" : "第" + id.Issue + "期";
    if (!id.Date.empty()) text += " " + id.Date;
    return text;
}

void CheckIssueOrder(const std::vector<TDrawIdentity>& rows, int32_t firstLine) {
    const bool serial = SerialNumbering(rows);
    int64_t last = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        const int32_t line = firstLine + static_cast<int32_t>(i);
        const TDrawIdentity& row = rows[i];
        if (!row.Date.empty() && !IsNormalDate(row.Date))
            Refuse(line, "的日期不是日期：" + row.Date.substr(0, 40));
        if (row.Issue.empty()) continue;
        const int64_t key = IssueKey(row.Issue, serial);
        if (key < 0) Refuse(line, "的期号不是期号：" + row.Issue.substr(0, 40));
        if (key <= last) {
            // Issues so far go strictly up: an equal one is among them exactly when it repeats.
            const bool repeated = std::any_of(
                rows.begin(), rows.begin() + static_cast<ptrdiff_t>(i),
                [&](const TDrawIdentity& r) { return IssueKey(r.Issue, serial) == key; });
            Refuse(line, (repeated ? "的期号重复：" : "的期号比上一期小：") + row.Issue);
        }
        last = key;
    }
}

std::string RegisterPathOf(const std::string& documentPath) {
    return documentPath + ".issues";
}

std::string RegisterText(const TDrawRegister& reg, const TCodes& draws) {
    std::string text;
    text.reserve(64 + static_cast<size_t>(draws.Count()) * 20);
    text += RegisterFirstLine;
    text += "\ndraws " + std::to_string(draws.Count()) + " " + HexOf(DigitsHash(draws)) + "\n";
    for (int32_t r = 0; r < draws.Count(); ++r) {
        const TDrawIdentity& id = reg.At(r);
        text += id.Issue;
        text += '\t';
        text += id.Date;
        text += '\n';
    }
    return text;
}

namespace {

std::string_view WithoutBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// The identity on one row's line, or nothing when the line cannot be read.
std::optional<TDrawIdentity> RowOfLine(std::string_view line) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    std::string_view issue = WithoutBlanks(line.substr(0, tab));
    std::string_view date = line.substr(tab + 1);
    while (!date.empty() && (date.back() == ' ' || date.back() == '\t')) date.remove_suffix(1);
    date = WithoutBlanks(date);
    TDrawIdentity id{std::string(issue), {}};
    if (!issue.empty() && !IsIssueText(issue)) return std::nullopt;
    if (!date.empty()) {
        id.Date = NormalDate(date);  // 2024/01/02 and the like are read as the date they are
        if (id.Date.empty() || date.find('\t') != std::string_view::npos) return std::nullopt;
    }
    return id;
}

}  // namespace

TDrawRegister ParseRegister(std::string_view text, const TCodes& draws) {
    std::vector<int32_t> skipped;
    TDrawRegister reg = ParseRegister(text, draws, skipped);
    if (!skipped.empty()) Refuse(skipped.front(), "无法识别。");
    return reg;
}

TDrawRegister ParseRegister(std::string_view text, const TCodes& draws,
                            std::vector<int32_t>& skipped) {
    skipped.clear();
    TTextLines lines(WithoutByteOrderMark(text));
    int32_t line = 0;
    // The next line without its end and the blanks around it, skipping blank lines; false at
    // the end of the text.
    const auto next = [&](std::string_view& out) {
        while (lines.Next(out)) {
            line = lines.Number();
            if (!WithoutBlanks(out).empty()) return true;
        }
        return false;
    };
    std::string_view current;
    if (!next(current) || WithoutBlanks(current) != RegisterFirstLine)
        Refuse(1, "不是本程序的期号文件。");
    const std::string expected =
        "draws " + std::to_string(draws.Count()) + " " + HexOf(DigitsHash(draws));
    if (!next(current)) Refuse(line + 1, "缺少期数。");
    if (WithoutBlanks(current) != expected)
        Refuse(line, "与文档的开奖号码不符（期数或号码不同）。");
    TDrawRegister reg;
    reg.Rows.reserve(static_cast<size_t>(draws.Count()));
    std::vector<int32_t> rowLines;
    while (next(current)) {
        if (reg.Count() == draws.Count()) Refuse(line, "多于文档的期数。");
        std::optional<TDrawIdentity> id = RowOfLine(current);
        if (!id) {
            // One row left unknown costs nothing; many unreadable rows mean a damaged file.
            if (skipped.size() == MaxSkippedRegisterLines) Refuse(line, "无法识别。");
            skipped.push_back(line);
            id.emplace();
        }
        reg.Rows.push_back(std::move(*id));
        rowLines.push_back(line);
    }
    if (reg.Count() != draws.Count()) Refuse(line + 1, "少于文档的期数。");
    // Named by the file's own line numbers, whatever blank lines came between.
    try {
        CheckIssueOrder(reg.Rows, 1);
    } catch (const TRegisterError& e) {
        const int32_t fileLine = rowLines[static_cast<size_t>(e.Line - 1)];
        std::string message = e.what();
        const std::string rowText = "第" + std::to_string(e.Line) + "行";
        message.replace(message.find(rowText), rowText.size(),
                        "第" + std::to_string(fileLine) + "行");
        throw TRegisterError(message, fileLine);
    }
    return reg;
}

TDrawRegister RealignRegister(const std::vector<DrawRecord>& before, const TDrawRegister& reg,
                              const std::vector<DrawRecord>& after) {
    TDrawRegister old = reg;
    old.Fit(static_cast<int32_t>(before.size()));
    const size_t n = before.size(), m = after.size();
    size_t prefix = 0;
    while (prefix < n && prefix < m && before[prefix] == after[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix &&
           before[n - 1 - suffix] == after[m - 1 - suffix])
        ++suffix;
    TDrawRegister result;
    result.Rows.assign(old.Rows.begin(), old.Rows.begin() + static_cast<ptrdiff_t>(prefix));
    const size_t oldMiddle = n - prefix - suffix, newMiddle = m - prefix - suffix;
    if (oldMiddle == newMiddle) {
        for (size_t i = 0; i < newMiddle; ++i) result.Rows.push_back(old.Rows[prefix + i]);
    } else if (prefix == n) {
        result.Fit(static_cast<int32_t>(m));  // rows added after the last: last + 1 …
        return result;
    } else {
        result.Rows.resize(prefix + newMiddle);
    }
    result.Rows.insert(result.Rows.end(), old.Rows.end() - static_cast<ptrdiff_t>(suffix),
                       old.Rows.end());
    return result;
}
