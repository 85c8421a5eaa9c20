#include "search/SearchTexts.h"

#include <algorithm>

std::string PatternCountText(int64_t count) {
    return "总共" + std::to_string(count) + "个规律";
}

std::string SearchProgressText(int64_t candidates, int64_t found, int64_t milliseconds,
                               bool running, bool finishedEvent) {
    const int64_t seconds = milliseconds / 1000;
    if (!running)
        return "结束搜索，花费" + std::to_string(seconds) + "秒，总共搜索到" +
               std::to_string(found) + "个规律";
    const std::string walked =
        finishedEvent ? std::string() : "搜索第" + std::to_string(candidates / 10000) + "万个组合";
    // Within the first millisecond the time counts as one millisecond.
    const int64_t speed = candidates * 1000 / std::max<int64_t>(milliseconds, 1);
    return walked + "搜索到" + std::to_string(found) + "条规律(耗时" + std::to_string(seconds) +
           "秒,速度:" + std::to_string(speed) + "个组合/秒)....";
}
