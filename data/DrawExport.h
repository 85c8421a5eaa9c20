#pragma once

#include <string>
#include <string_view>

#include "data/DrawRegister.h"
#include "data/Hao.h"

// Writing the draws out, oldest first.

// The plain draw file: one line of seven digits per draw, CR LF after each; the import reads it
// back to the same draws.
std::string DrawsAsText(const TCodes& draws);

// A table for spreadsheets, UTF-8 with a byte order mark: the header 期号, 开奖日期, A … G (the
// grid's column names), 和值, then per draw what the grid's 期 column shows (its 期号 when
// known, else its row number), its date (when every draw's date is known), its seven digits and the
// sum of digits 1-4 (the grid's 值 column). The import reads it back to the same draws, 期号 and
// dates.
std::string DrawsAsCsv(const TCodes& draws, const TDrawRegister& reg = {});

// True for a file name that ends in ".csv" (any case): the export writes the table form.
bool IsCsvFileName(std::string_view path);

// Writes the draws to path (the table form for ".csv", else the plain form), replacing the file
// only when the whole text was written. Throws TError naming the file on failure.
void ExportDraws(const std::string& path, const TCodes& draws, const TDrawRegister& reg = {});

// Appends a CSV field, quoted when it holds a comma, a quote or a line break.
void AppendCsvField(std::string& out, std::string_view field);

inline constexpr char Utf8ByteOrderMark[] = "\xEF\xBB\xBF";
