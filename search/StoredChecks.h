#pragma once

#include <cstdint>

#include "data/Hao.h"
#include "search/Gui2Reg.h"

// Value checks of stored records (digits 0-9 with their sum; pattern fields in range), so
// that a damaged file is refused instead of reaching the painting and the statistics.
void CheckStoredDraws(const TCodes& draws, const char* what);
void CheckStoredPattern(const TGui2Reg& pattern, int32_t index);
