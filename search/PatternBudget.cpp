#include "search/PatternBudget.h"

#include <unistd.h>

#include <algorithm>

int64_t PatternBudget(int64_t configured) {
    if (configured > 0) return configured;
    constexpr int64_t BytesPerPattern = 400;
    const int64_t pages = ::sysconf(_SC_PHYS_PAGES);
    const int64_t pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return int64_t{10'000'000};
    return std::max<int64_t>(1'000'000, pages / 4 * pageSize / BytesPerPattern);
}

std::string PatternBudgetText(int64_t budget) {
    return "搜索到的规律超过内存上限（" + std::to_string(budget) + "个），搜索已停止。";
}
