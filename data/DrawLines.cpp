#include "data/DrawLines.h"

#include "data/DrawText.h"

namespace {

constexpr size_t DrawLineLength = 7;

}  // namespace

bool IsBlankDrawLine(std::string_view line) {
    return Trim(line).empty();
}

bool IsValidDrawLine(std::string_view line) {
    const std::string trimmed = Trim(line);
    return trimmed.size() == DrawLineLength && IsAllDigits(trimmed);
}

TDrawLineCheck CheckDrawLines(const std::vector<std::string>& lines) {
    TDrawLineCheck check;
    for (const std::string& line : lines) {
        ++check.Total;
        if (IsBlankDrawLine(line) || IsValidDrawLine(line)) continue;
        ++check.Errors;
        if (check.FirstErrorLines.size() < NamedErrorLines)
            check.FirstErrorLines.push_back(check.Total);
    }
    return check;
}

std::string ErrorLinesMessage(int64_t errors, const std::vector<int64_t>& firstLines) {
    std::string where;
    for (size_t i = 0; i < firstLines.size(); ++i)
        where += (i == 0 ? "第" : "、") + std::to_string(firstLines[i]);
    if (!where.empty())
        where += static_cast<int64_t>(firstLines.size()) < errors ? "行等。\r\n" : "行。\r\n";
    return "糟糕！发现" + std::to_string(errors) + "行错误的开奖号码，请认真检查！\r\n" + where +
           DrawLineFormatRule;
}

std::string CheckMessage(const TDrawLineCheck& check) {
    if (check.Errors > 0) return ErrorLinesMessage(check.Errors, check.FirstErrorLines);
    return "恭喜！全部" + std::to_string(check.Total) +
           "行号码都符合Marlu开奖号码格式要求;\r\n格式要求: 1期1行，每行7个连续数字。";
}

TDrawLinePadding PadDrawLines(const std::vector<std::string>& lines) {
    TDrawLinePadding result;
    result.Lines.reserve(lines.size());
    for (const std::string& line : lines) {
        std::string trimmed = Trim(line);
        if (trimmed.empty()) continue;
        if (trimmed.size() < DrawLineLength && IsAllDigits(trimmed)) {
            trimmed.append(DrawLineLength - trimmed.size(), '0');
            ++result.Padded;
        }
        result.Lines.push_back(std::move(trimmed));
    }
    return result;
}

std::string PaddingMessage(int64_t padded) {
    if (padded <= 0) return "没有发现需要自动补零的开奖号码。";
    return "已经完成开奖号码自动补零" + std::to_string(padded) + "行！\r\n" + DrawLineFormatRule;
}

TDrawLineSave SaveDrawLines(const std::vector<std::string>& lines) {
    TDrawLineSave result;
    result.Lines.reserve(lines.size());
    for (const std::string& line : lines) {
        if (IsBlankDrawLine(line)) continue;
        result.Lines.push_back(line);
        if (IsValidDrawLine(line)) continue;
        ++result.Errors;
        if (result.FirstErrorLines.size() < NamedErrorLines)
            result.FirstErrorLines.push_back(static_cast<int64_t>(result.Lines.size()));
    }
    return result;
}

void LoadDrawLines(const std::vector<std::string>& lines, TCodes& draws) {
    std::vector<DrawRecord> records;
    records.reserve(lines.size());
    for (const std::string& line : lines) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty()) continue;
        DrawRecord record;
        TextToDraw(trimmed, record);
        records.push_back(record);
    }
    draws.Clear();
    for (const DrawRecord& record : records) draws.SetCode(draws.Add(), record);
}

std::vector<std::string> DrawLinesOf(const TCodes& draws) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(draws.Count()));
    for (int32_t i = 0; i < draws.Count(); ++i) lines.push_back(DrawToText(draws.GetCode(i)));
    return lines;
}
