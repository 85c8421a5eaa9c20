#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/Hao.h"

// Reading draws from text, shared by the import command and the command-line tool.

// The draw numbers of a plain draw text file, in line order: lines end at CR, LF or CR LF (a
// text file with a byte order mark may be UTF-8 or UTF-16); each line is read by
// ReadPlainDrawLine. Throws TError with UnreadableLineMessage at the first bad line.
std::vector<int32_t> ParseDrawNumbers(std::string_view text);

// A draw file's bytes as UTF-8 text: byte order marks select UTF-8 or UTF-16, other text is
// UTF-8 or code page 936. Zero bytes stay in the text, so that the reader can name their line.
std::string DecodeDrawFile(std::string_view bytes);

// One line of the plain form. Skipped: shorter than 7 bytes of the code page (before trimming).
// Draw: after trimming, seven digits that no further digit follows (text after them is a
// comment); number is their value. Bad: anything else, such as eight digits in a row, a sign,
// a letter among the digits or a zero byte anywhere in the line.
enum class TPlainLine { Skipped, Draw, Bad };
TPlainLine ReadPlainDrawLine(std::string_view line, int32_t& number);

// The text of a line that cannot be read: "第38行无法识别：" and the line, shortened, with
// zero bytes shown as "�".
std::string UnreadableLineMessage(int32_t line, std::string_view text);

// Replaces the rows of draws with the given draw numbers, each padded by ZeroPad7 and read
// digit by digit; FirstIssue stays. A negative number has no digits to give: it is refused with
// the conversion error for its sign before anything changes.
void LoadDrawNumbersInto(const std::vector<int32_t>& numbers, TCodes& draws);
