#pragma once

#include <cstdint>
#include <string>

// The texts of status panel 2 while a search runs and after it.

// "总共<count>个规律": the pattern count when no search runs.
std::string PatternCountText(int64_t count);

inline constexpr char SearchStartedText[] = "开始搜索规律,请稍候...";
inline constexpr char SearchStoppingText[] = "停止搜索";
// A command that changes the patterns or the draws was refused while a search runs.
inline constexpr char SearchRunningText[] =
    "程序正在搜索...\r\n请停止搜索或者等待搜索结束再执行此命令";
// Opening the document was stopped at start.
inline constexpr char DocumentNotOpenedText[] = "已停止打开文档。保存时原文档会先备份。";

// The text after a search event. candidates: accepted candidates so far; found: patterns in
// the manager; milliseconds: time since the start (the text shows whole seconds, the speed is
// reckoned from the milliseconds, so that a search under a second has one); running: the
// search goes on; finishedEvent: the event is the search's last.
std::string SearchProgressText(int64_t candidates, int64_t found, int64_t milliseconds,
                               bool running, bool finishedEvent);
