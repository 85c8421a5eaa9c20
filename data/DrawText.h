#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/Hao.h"

// Text forms of draws and the integer syntax shared by the import, the editor and the download.

// Decimal text right-aligned in 7 characters, blanks replaced by "0" (-5 gives "00000-5").
std::string ZeroPad7(int32_t value);

// The seven digits of a draw without separators; the sum is not written.
std::string DrawToText(const DrawRecord& record);

// Positions 1-7 from the first seven characters; throws the conversion error at the first
// character that is not a digit (positions before it are already written).
void TextToDraw(std::string_view text, DrawRecord& record);

bool IsAllDigits(std::string_view text);

// Removes leading and trailing blanks and control characters (bytes up to 0x20).
std::string Trim(std::string_view text);

// Splits at every occurrence of separator, dropping empty items; the text is trimmed first.
std::vector<std::string> SplitText(std::string_view separator, std::string_view text);

// Text to a signed 32-bit integer: optional sign, then decimal digits or a hexadecimal
// prefix ("$", "x", "0x") and hex digits; nothing else. Throws
// "'<text>' is not a valid integer value" otherwise, or when the value does not fit.
int32_t StrToInt(std::string_view text);
bool TryStrToInt(std::string_view text, int32_t& value);

// Splits text into lines at CR, LF or CR LF; a zero byte ends the text; a non-empty tail after
// the last break is a last line.
std::vector<std::string> SplitLines(std::string_view text);
