#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/Hao.h"

// Line rules of the draw editor: one draw per line, seven digits. The editor's text is handed
// over as lines (UTF-8); every rule here works on bytes, so non-ASCII text is simply not a draw.

// The sentence that tells the user the line format.
inline constexpr char DrawLineFormatRule[] = "开奖号码格式要求: 1期1行，每行7个连续数字。";

// Empty after removing leading and trailing blanks and control characters.
bool IsBlankDrawLine(std::string_view line);
// Exactly seven digits after trimming.
bool IsValidDrawLine(std::string_view line);

// "检测号码": every line counts in the total, blank ones too; errors are the lines that are
// neither blank nor valid.
struct TDrawLineCheck {
    int64_t Total = 0;
    int64_t Errors = 0;
    std::vector<int64_t> FirstErrorLines;  // 1-based, the first few
};

// How many failing lines a message names.
inline constexpr size_t NamedErrorLines = 5;
TDrawLineCheck CheckDrawLines(const std::vector<std::string>& lines);
// The message that reports a check.
std::string CheckMessage(const TDrawLineCheck& check);
// The message that reports lines refused by a check or a save.
// firstLines (1-based) are named after the count, so the user knows where to look.
std::string ErrorLinesMessage(int64_t errors, const std::vector<int64_t>& firstLines = {});

// "自动补零": every line trimmed, blank lines dropped, lines of fewer than seven digits padded
// with '0' at their end. Longer lines and lines with other characters stay as they are.
struct TDrawLinePadding {
    std::vector<std::string> Lines;
    int64_t Padded = 0;
};
TDrawLinePadding PadDrawLines(const std::vector<std::string>& lines);
std::string PaddingMessage(int64_t padded);

// "保存关闭": blank lines are removed; the other lines stay untrimmed. Saving is allowed only
// when Errors is 0.
struct TDrawLineSave {
    std::vector<std::string> Lines;
    int64_t Errors = 0;
    std::vector<int64_t> FirstErrorLines;  // 1-based in Lines, the first few
};
TDrawLineSave SaveDrawLines(const std::vector<std::string>& lines);

// Replaces the draws with one row per non-blank line (trimmed, digits 1-7 from its first seven
// characters). Every line is read before the draws change, so a line that is no draw raises
// the conversion error and leaves the draws as they were.
void LoadDrawLines(const std::vector<std::string>& lines, TCodes& draws);

// One line per draw, oldest first.
std::vector<std::string> DrawLinesOf(const TCodes& draws);
