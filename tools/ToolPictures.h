#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/Hao.h"
#include "search/Gui2Reg.h"
#include "search/SearchOptions.h"
#include "tools/Command.h"

// Pictures of patterns found by tolvane-search, painted, framed and named as the program's
// picture export does, without any window.

// "3,1,7": 1-based positions in found order, ascending and without repeats afterwards.
// TUsageError for anything else.
std::vector<int64_t> ParsePicturePositions(std::string_view text);

// Whether this build can paint (it needs Qt Gui; a build without it cannot).
bool ToolCanPaintPictures();

// Writes one GIF per pattern into folder (created when missing), numbered 1, 2, ... in the given
// order and named by the coming draw's issue. The patterns are shown as the program shows a
// pattern it found: lines in shortest-path order. Returns the files written; TError at the
// first failure (the files before it stay).
std::vector<std::string> WriteToolPictures(const std::string& folder,
                                           const std::vector<const TGui2Reg*>& patterns,
                                           const TCodes& draws, const SearchOptions& options);
