#pragma once

#include <string>

#include "search/Gui2Reg.h"

// The pattern list's seven columns: 点, 步, 格局, 对比, 位置, 合值, 结果.
inline constexpr int PatternColumnCount = 7;

// The text of one column for a pattern (UTF-8); empty for a column outside 0-6 or a layout or
// contrast kind without a name.
std::string PatternColumnText(const TGui2Reg& pattern, int column);

// The tool tip of the 结果 column: the prediction in words with the chance any pattern of its
// kind has of a hit (PredictionText), what the list's two-digit form means for a 明对 pattern,
// and where to see whether patterns do better than chance.
std::string PatternResultHint(const TGui2Reg& pattern);
// The tool tip of the 结果 column's header.
inline constexpr const char* PatternResultHeaderHint =
    "规律给出的数字。明对规律写两个相差5的数字，例如38表示3或8；全明、全对规律写一个数字。"
    "随机开奖时，明对规律命中的机会是20%，全明、全对规律是10%"
    "；规律是否胜过随机，请看规律回测（Ctrl+B）。";
