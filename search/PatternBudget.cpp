#include "search/PatternBudget.h"

#include <algorithm>

#include "data/Platform.h"

int64_t PatternBudget(int64_t configured) {
    if (configured > 0) return configured;
    constexpr int64_t BytesPerPattern = 400;
    const auto memory = static_cast<int64_t>(PhysicalMemoryBytes());
    if (memory <= 0) return int64_t{10'000'000};
    return std::max<int64_t>(1'000'000, memory / 4 / BytesPerPattern);
}

std::string PatternBudgetText(int64_t budget) {
    return "搜索到的规律超过内存上限（" + std::to_string(budget) + "个），搜索已停止。";
}
