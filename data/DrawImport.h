#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/Hao.h"

// Reading draws from text, shared by the import command and the command-line tool.

// The draw numbers of a draw text file, in line order: lines end at CR, LF or CR LF and a zero
// byte ends the text (a text file with a byte order mark may be UTF-8 or UTF-16); lines shorter
// than 7 characters (before trimming) are skipped; the rest is trimmed and its first 7 characters
// read as an integer (data/DrawText syntax). Throws the conversion error "'<text>' is not a valid
// integer value" at the first line that fails.
std::vector<int32_t> ParseDrawNumbers(std::string_view text);

// A draw file's bytes as UTF-8 text: byte order marks select UTF-8 or UTF-16, other text is
// UTF-8 or code page 936; a zero byte ends a file that is not UTF-16.
std::string DecodeDrawFile(std::string_view bytes);

// One line of the plain form: false when the line is skipped (shorter than 7 bytes of the code
// page), else its number. Throws the conversion error like ParseDrawNumbers.
bool ReadPlainDrawLine(std::string_view line, int32_t& number);

// Replaces the rows of draws with the given draw numbers, each padded by ZeroPad7 and read
// digit by digit; FirstIssue stays. A negative number has no digits to give: it is refused with
// the conversion error for its sign before anything changes.
void LoadDrawNumbersInto(const std::vector<int32_t>& numbers, TCodes& draws);
