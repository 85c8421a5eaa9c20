#include "data/DrawCalendar.h"

#include <array>
#include <chrono>
#include <cstdio>

namespace {

using namespace std::chrono;

constexpr std::array<const char*, 7> DayWords = {"一", "二", "三", "四", "五", "六", "日"};

bool HasDay(int32_t days, int32_t weekday) {
    return weekday >= 1 && weekday <= 7 && (days >> (weekday - 1) & 1) != 0;
}

// The day of a text YYYY-MM-DD (as the register keeps dates).
bool ParseDay(std::string_view text, sys_days& out) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    int value[3] = {};
    const std::array<std::string_view, 3> parts = {text.substr(0, 4), text.substr(5, 2),
                                                   text.substr(8, 2)};
    for (size_t k = 0; k < parts.size(); ++k)
        for (char c : parts[k]) {
            if (c < '0' || c > '9') return false;
            value[k] = value[k] * 10 + (c - '0');
        }
    const year_month_day ymd{year{value[0]}, month{static_cast<unsigned>(value[1])},
                             day{static_cast<unsigned>(value[2])}};
    if (!ymd.ok()) return false;
    out = sys_days(ymd);
    return true;
}

std::string DayText(sys_days day) {
    const year_month_day ymd(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    return text;
}

}  // namespace

std::string DrawDaysText(int32_t days) {
    std::string text;
    for (int32_t d = 1; d <= 7; ++d)
        if (HasDay(days, d)) text += (text.empty() ? "" : ",") + std::to_string(d);
    return text;
}

int32_t ParseDrawDays(std::string_view text) {
    int32_t days = 0;
    for (char c : text)
        if (c >= '1' && c <= '7') days |= 1 << (c - '1');
    return days == 0 ? DefaultDrawDays : days;
}

std::string DrawDaysName(int32_t days) {
    std::string text;
    for (int32_t d = 1; d <= 7; ++d)
        if (HasDay(days, d)) text += (text.empty() ? "" : "、") + WeekdayName(d);
    return text;
}

int32_t WeekdayOfDate(std::string_view date) {
    sys_days day;
    if (!ParseDay(date, day)) return 0;
    return static_cast<int32_t>(weekday(day).iso_encoding());
}

std::string WeekdayName(int32_t weekday) {
    if (weekday < 1 || weekday > 7) return {};
    return std::string("周") + DayWords[static_cast<size_t>(weekday - 1)];
}

std::string NextDrawDate(std::string_view date, int32_t days, bool onOrAfter) {
    sys_days day;
    if ((days & AllDrawDays) == 0 || !ParseDay(date, day)) return {};
    if (!onOrAfter) day += std::chrono::days(1);
    while (!HasDay(days, static_cast<int32_t>(weekday(day).iso_encoding())))
        day += std::chrono::days(1);
    return DayText(day);
}

std::string DrawDatesText(const TDrawRegister& reg, int32_t drawCount, int32_t days,
                          std::string_view today) {
    const std::string last = drawCount > 0 ? reg.At(drawCount - 1).Date : std::string();
    const auto named = [](const std::string& date) {
        return date + " " + WeekdayName(WeekdayOfDate(date));
    };
    std::string next;
    if (WeekdayOfDate(last) > 0) {
        // Draws missed since the last one known are still to come: never before today.
        next = NextDrawDate(last, days);
        const std::string fromToday = NextDrawDate(today, days, true);
        if (!fromToday.empty() && next < fromToday) next = fromToday;
    } else {
        next = NextDrawDate(today, days, true);
    }
    std::string text = WeekdayOfDate(last) > 0 ? "最近开奖：" + named(last) : std::string();
    if (!next.empty()) text += (text.empty() ? "" : "　") + std::string("下次开奖：") + named(next);
    return text;
}

std::string UpdatedText(const TDrawRegister& reg, int32_t drawCount, int32_t added) {
    const std::string issue = drawCount > 0 ? reg.At(drawCount - 1).Issue : std::string();
    if (!issue.empty()) return "已更新到第" + issue + "期";
    return "已更新，新增" + std::to_string(added) + "期";
}
