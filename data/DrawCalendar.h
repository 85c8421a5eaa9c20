#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/DrawRegister.h"

// The days the lottery draws on and the status texts of automatic updates.

// A set of weekdays: bit 0 Monday … bit 6 Sunday.
inline constexpr int32_t AllDrawDays = 0x7F;
inline constexpr int32_t DefaultDrawDays = (1 << 1) | (1 << 4) | (1 << 6);  // 周二、周五、周日

// "2,5,7" (ISO weekday numbers, Monday 1) and back; a text without a valid day gives
// DefaultDrawDays.
std::string DrawDaysText(int32_t days);
int32_t ParseDrawDays(std::string_view text);
// "周二、周五、周日".
std::string DrawDaysName(int32_t days);

// 1 (Monday) to 7 (Sunday) of a date YYYY-MM-DD; 0 for a text that is no such date.
int32_t WeekdayOfDate(std::string_view date);
// "周一" … "周日"; empty for 0.
std::string WeekdayName(int32_t weekday);
// The first draw day after date (YYYY-MM-DD), or on it when onOrAfter; empty when the date is
// no date or no day is set.
std::string NextDrawDate(std::string_view date, int32_t days, bool onOrAfter = false);

// Status panel 3: "最近开奖：2024-08-18 周日　下次开奖：2024-08-20 周二". Without a known date of
// the last draw only the next draw day from today (YYYY-MM-DD) is shown.
std::string DrawDatesText(const TDrawRegister& reg, int32_t drawCount, int32_t days,
                          std::string_view today);

// What an automatic update says when it added draws: "已更新到第2024096期", or without a
// known 期号 "已更新，新增N期".
std::string UpdatedText(const TDrawRegister& reg, int32_t drawCount, int32_t added);
inline constexpr char UpToDateText[] = "开奖号码已是最新";
inline constexpr char UpdateCheckingText[] = "正在检查新的开奖号码...";
inline constexpr char UpdateUnreachableText[] =
    "自动更新未完成：暂时无法连接开奖数据服务，稍后再试。";
