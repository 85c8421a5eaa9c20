#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/DrawCalendar.h"

namespace {

TEST(DrawCalendar, NextDrawDayAcrossWeeksMonthsAndYears) {
    struct TCase {
        const char* Date;
        int32_t Days;
        bool OnOrAfter;
        const char* Next;
    };
    // Weekdays from a printed calendar: 2024-08-18 was a Sunday, 2024-02-29 a Thursday,
    // 2024-12-31 a Tuesday, 2023-02-28 a Tuesday.
    const std::vector<TCase> cases = {
        {"2024-08-18", DefaultDrawDays, false, "2024-08-20"},
        {"2024-08-18", DefaultDrawDays, true, "2024-08-18"},
        {"2024-08-20", DefaultDrawDays, false, "2024-08-23"},
        {"2024-02-27", DefaultDrawDays, false, "2024-03-01"},  // over the 29th of a leap year
        {"2024-02-28", DefaultDrawDays, false, "2024-03-01"},
        {"2023-02-28", DefaultDrawDays, false, "2023-03-03"},
        {"2024-12-29", DefaultDrawDays, false, "2024-12-31"},
        {"2024-12-31", DefaultDrawDays, false, "2025-01-03"},
        {"2024-08-18", 1 << 0, false, "2024-08-19"},  // Mondays only
        {"2024-08-19", 1 << 0, false, "2024-08-26"},
        {"2024-08-18", 0, false, ""},                // no draw day
        {"2024-02-30", DefaultDrawDays, false, ""},  // no such date
        {"", DefaultDrawDays, false, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Date);
        EXPECT_EQ(NextDrawDate(c.Date, c.Days, c.OnOrAfter), c.Next);
    }
    EXPECT_EQ(WeekdayName(WeekdayOfDate("2024-08-18")), "周日");
    EXPECT_EQ(WeekdayName(WeekdayOfDate("2024-02-29")), "周四");
}

TEST(DrawCalendar, DrawDaysAsSettingsTextAndName) {
    EXPECT_EQ(DrawDaysText(DefaultDrawDays), "2,5,7");
    EXPECT_EQ(DrawDaysName(DefaultDrawDays), "周二、周五、周日");
    EXPECT_EQ(ParseDrawDays("2,5,7"), DefaultDrawDays);
    EXPECT_EQ(ParseDrawDays("1,3"), (1 << 0) | (1 << 2));
    for (const char* bad : {"", "0,8,9", "周二"}) EXPECT_EQ(ParseDrawDays(bad), DefaultDrawDays);
    for (int32_t days = 1; days <= AllDrawDays; ++days)
        EXPECT_EQ(ParseDrawDays(DrawDaysText(days)), days);
}

TEST(DrawCalendar, StatusTextsOfTheLastAndNextDraw) {
    TDrawRegister reg;
    reg.Rows = {{"2024095", "2024-08-16"}, {"2024096", "2024-08-18"}};
    EXPECT_EQ(DrawDatesText(reg, 2, DefaultDrawDays, "2024-08-19"),
              "最近开奖：2024-08-18 周日　下次开奖：2024-08-20 周二");
    // Months later the next draw is the next draw day from today, not a day long past.
    EXPECT_EQ(DrawDatesText(reg, 2, DefaultDrawDays, "2026-12-08"),
              "最近开奖：2024-08-18 周日　下次开奖：2026-12-08 周二");
    // Without a known date: only the next draw day.
    EXPECT_EQ(DrawDatesText(TDrawRegister(), 5, DefaultDrawDays, "2026-12-09"),
              "下次开奖：2026-12-11 周五");
    EXPECT_EQ(UpdatedText(reg, 2, 1), "已更新到第2024096期");
    EXPECT_EQ(UpdatedText(TDrawRegister(), 7, 3), "已更新，新增3期");
}

}  // namespace
