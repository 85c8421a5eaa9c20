#include "data/DrawText.h"

#include <cstring>

#include "data/TextLines.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void ThrowConversionError(std::string_view text) {
    throw TError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace

std::string ZeroPad7(int32_t value) {
    std::string text = std::to_string(value);
    if (text.size() < 7) text.insert(0, 7 - text.size(), '0');
    return text;
}

std::string DrawToText(const DrawRecord& record) {
    std::string text;
    for (int p = 1; p <= 7; ++p) text += std::to_string(record[p]);
    return text;
}

void TextToDraw(std::string_view text, DrawRecord& record) {
    for (size_t p = 1; p <= 7; ++p) {
        // The character, or the empty text when the line is too short.
        const std::string_view piece =
            p <= text.size() ? text.substr(p - 1, 1) : std::string_view();
        record[static_cast<int>(p)] = StrToInt(piece);
    }
}

bool IsAllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return std::string(text.substr(begin, end - begin));
}

std::vector<std::string> SplitText(std::string_view separator, std::string_view text) {
    std::vector<std::string> items;
    std::string rest = Trim(text);
    std::string_view view = rest;
    while (!view.empty()) {
        const size_t at = separator.empty() ? std::string_view::npos : view.find(separator);
        if (at == std::string_view::npos) {
            items.emplace_back(view);
            break;
        }
        if (at > 0) items.emplace_back(view.substr(0, at));
        view.remove_prefix(at + separator.size());
    }
    return items;
}

bool TryStrToInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0 || digit >= base) return false;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull) return false;
    }
    if (base == 10) {
        if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
        value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                         : static_cast<int32_t>(magnitude);
    } else {
        // Hexadecimal texts cover the whole 32-bit pattern (FFFFFFFF is -1).
        const auto bits = static_cast<uint32_t>(magnitude);
        value = static_cast<int32_t>(negative ? 0u - bits : bits);
    }
    return true;
}

int32_t StrToInt(std::string_view text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value)) ThrowConversionError(text);
    return value;
}

std::vector<std::string> SplitLines(std::string_view text) {
    const size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);
    std::vector<std::string> lines;
    ForEachLine(text, [&](int32_t, std::string_view line) { lines.emplace_back(line); });
    return lines;
}
