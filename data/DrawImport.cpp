#include "data/DrawImport.h"

#include <string>

#include "data/DrawText.h"
#include "data/Error.h"
#include "data/MessageText.h"
#include "data/TextCodec.h"
#include "data/TextLines.h"

namespace {

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Line lengths count bytes of the Chinese Windows code page, as the file format always did.
size_t CodePageLength(std::string_view utf8) {
    return IsAscii(utf8) ? utf8.size() : EncodeGbk(utf8).size();
}

constexpr size_t DrawDigits = 7;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Blanks and control characters other than a zero byte, which the message must show.
bool IsTrimmed(char c) {
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimView(std::string_view text) {
    while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string DecodeDrawFile(std::string_view bytes) {
    return DecodeTextFile(bytes);
}

TPlainLine ReadPlainDrawLine(std::string_view line, int32_t& number) {
    if (line.find('\0') != std::string_view::npos) return TPlainLine::Bad;
    if (CodePageLength(line) < DrawDigits) return TPlainLine::Skipped;
    const std::string trimmed = Trim(line);
    if (trimmed.size() < DrawDigits) return TPlainLine::Bad;
    number = 0;
    for (size_t i = 0; i < DrawDigits; ++i) {
        if (!IsDigit(trimmed[i])) return TPlainLine::Bad;
        number = number * 10 + (trimmed[i] - '0');
    }
    // An eighth digit means the line is no draw of seven, not a draw to cut short.
    if (trimmed.size() > DrawDigits && IsDigit(trimmed[DrawDigits])) return TPlainLine::Bad;
    return TPlainLine::Draw;
}

std::string UnreadableLineMessage(int32_t line, std::string_view text) {
    return "第" + std::to_string(line) + "行无法识别：" + MessageExcerpt(TrimView(text));
}

std::vector<int32_t> ParseDrawNumbers(std::string_view bytes) {
    const std::string text = DecodeDrawFile(bytes);
    std::vector<int32_t> numbers;
    ForEachLine(text, [&](int32_t lineNumber, std::string_view line) {
        int32_t number = 0;
        const TPlainLine kind = ReadPlainDrawLine(line, number);
        if (kind == TPlainLine::Bad) throw TError(UnreadableLineMessage(lineNumber, line));
        if (kind == TPlainLine::Draw) numbers.push_back(number);
    });
    return numbers;
}

void LoadDrawNumbersInto(const std::vector<int32_t>& numbers, TCodes& draws) {
    for (int32_t number : numbers)
        if (number < 0) StrToInt("-");  // throws the conversion error for the lone sign
    draws.Clear();
    for (int32_t number : numbers) {
        const int32_t row = draws.Add();
        const std::string digits = ZeroPad7(number);
        for (int p = 1; p <= 7; ++p) draws.SetNum(p, row, digits[static_cast<size_t>(p - 1)] - '0');
    }
}
