#pragma once

#include <string>

#include "search/Gui2Reg.h"

// The pattern list's seven columns: 点, 步, 格局, 对比, 位置, 合值, 结果.
inline constexpr int PatternColumnCount = 7;

// The text of one column for a pattern (UTF-8); empty for a column outside 0-6 or a layout or
// contrast kind without a name.
std::string PatternColumnText(const TGui2Reg& pattern, int column);
