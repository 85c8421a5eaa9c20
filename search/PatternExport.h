#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "data/FileIo.h"
#include "data/JobControl.h"
#include "search/Gui2Reg.h"

// The pattern table for spreadsheets: CSV in UTF-8 with a byte order mark, one row per pattern
// in the order given, the seven list columns and then the base row, the layout and contrast
// kind as numbers, and per line (high, then low) the predicted positions and digits.

// The header line (without the byte order mark), CR LF included.
std::string PatternTableHeader();

// Appends one pattern's row, CR LF included.
void AppendPatternRow(std::string& out, const TGui2Reg& pattern);

// Writes the table piece by piece, reporting the rows written now and then to control (when
// given); false when control was cancelled (seen at the next look).
bool WritePatternTable(std::span<const TGui2Reg* const> patterns, const TWriteChunk& write,
                       TJobControl* control = nullptr);

// Writes the table to path, replacing the file only when the whole table was written; false
// (and the file untouched) when it was stopped. Throws TError naming the file on failure.
bool ExportPatternTable(const std::string& path, std::span<const TGui2Reg* const> patterns,
                        TJobControl* control = nullptr);
