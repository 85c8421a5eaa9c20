#pragma once

#include <cstdint>
#include <string>

// How many patterns a search may keep before it stops by itself, so that a hand-edited option
// set that finds hundreds of millions of patterns ends with a message instead of exhausting
// the machine's memory. configured > 0 is taken as it is ([TSearchLimits] MaxPatterns in
// pavolen.ini, --max-patterns of tolvane-search); otherwise a quarter of the physical memory
// at about 400 bytes per kept pattern (the window's list included).
int64_t PatternBudget(int64_t configured);

// "搜索到的规律超过内存上限（<budget>个），搜索已停止。"
std::string PatternBudgetText(int64_t budget);
