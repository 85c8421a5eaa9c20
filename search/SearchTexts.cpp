#include "search/SearchTexts.h"

std::string PatternCountText(int64_t count) {
    return "总共" + std::to_string(count) + "个规律";
}

std::string SearchProgressText(int64_t candidates, int64_t found, int64_t seconds, bool running,
                               bool finishedEvent) {
    if (!running)
        return "结束搜索，花费" + std::to_string(seconds) + "秒，总共搜索到" +
               std::to_string(found) + "个规律";
    const std::string walked =
        finishedEvent ? std::string() : "搜索第" + std::to_string(candidates / 10000) + "万个组合";
    const int64_t speed = seconds > 0 ? candidates / seconds : 0;
    return walked + "搜索到" + std::to_string(found) + "条规律(耗时" + std::to_string(seconds) +
           "秒,速度:" + std::to_string(speed) + "个组合/秒)....";
}
