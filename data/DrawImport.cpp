#include "data/DrawImport.h"

#include <string>

#include "data/DrawText.h"
#include "data/TextCodec.h"

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

// The first n characters of UTF-8 text.
std::string_view FirstCharacters(std::string_view utf8, size_t n) {
    size_t i = 0;
    for (size_t k = 0; k < n && i < utf8.size(); ++k) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
    }
    return utf8.substr(0, i);
}

}  // namespace

std::string DecodeDrawFile(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
        return DecodeTextFile(bytes);  // UTF-16 holds zero bytes of its own
    return DecodeTextFile(bytes.substr(0, bytes.find('\0')));
}

bool ReadPlainDrawLine(std::string_view line, int32_t& number) {
    if (CodePageLength(line) < 7) return false;
    const std::string trimmed = Trim(line);
    number = StrToInt(FirstCharacters(trimmed, 7));
    return true;
}

std::vector<int32_t> ParseDrawNumbers(std::string_view text) {
    std::vector<int32_t> numbers;
    int32_t number = 0;
    for (const std::string& line : SplitLines(DecodeDrawFile(text)))
        if (ReadPlainDrawLine(line, number)) numbers.push_back(number);
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
