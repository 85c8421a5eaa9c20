#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "data/DrawImport.h"
#include "data/DrawTable.h"
#include "data/DrawText.h"
#include "data/TextCodec.h"
#include "tests/support/RandomDraws.h"

namespace {

using Numbers = std::vector<int32_t>;

struct TLayoutCase {
    const char* Name;
    std::string Text;
    Numbers Expected;  // oldest first
    bool Reversed;
    int32_t DrawColumn;
    bool DrawSplit;
    int32_t IssueColumn;
    int32_t DateColumn;
    int32_t HeaderLines;
};

TEST(DrawTable, RecognisesTheLayoutsOfResultsSites) {
    const std::vector<TLayoutCase> cases = {
        {"csv with header, date and seven digit fields",
         "期号,开奖日期,一,二,三,四,五,六,七\r\n"
         "2024001,2024-01-02,7,7,1,2,6,0,0\r\n"
         "2024002,2024-01-05,0,3,8,1,5,6,2\r\n",
         {7712600, 381562},
         false,
         2,
         true,
         0,
         1,
         1},
        {"blanks, issue then draw",
         "2024001 7712600\n2024002 0381562\n",
         {7712600, 381562},
         false,
         1,
         false,
         0,
         -1,
         0},
        {"one line alone: the rightmost seven digits are the draw",
         "2024001 7712600\n",
         {7712600},
         false,
         1,
         false,
         0,
         -1,
         0},
        {"draw before the issue number",
         "7712600\t2024001\n0381562\t2024002\n0000001\t2024003\n",
         {7712600, 381562, 1},
         false,
         0,
         false,
         1,
         -1,
         0},
        {"newest first across a new year",
         "2016002;0000002\n2016001;0000001\n2015150;1500000\n2015149;1490000\n",
         {1490000, 1500000, 1, 2},
         true,
         1,
         false,
         0,
         -1,
         0},
        {"digits separated by blanks, no issue",
         "1 2 3 4 5 6 7\n7 6 5 4 3 2 1\n",
         {1234567, 7654321},
         false,
         0,
         true,
         -1,
         -1,
         0},
        {"newest first by date alone, yyyymmdd and a bar",
         "20240105|0381562\n20240102|7712600\n",
         {7712600, 381562},
         true,
         1,
         false,
         -1,
         0,
         0},
        {"quoted csv with a comma in a prize field and an empty line",
         "\"2024001\",\"2024/1/2\",\"7712600\",\"1,000\"\n\n"
         "\"2024002\",\"2024/1/5\",\"0381562\",\"2,000\"\n",
         {7712600, 381562},
         false,
         2,
         false,
         0,
         1,
         0},
        {"title and blank lines above the header, dates with dots and a time",
         "七星彩开奖历史\n\n期号 日期 号码\n2024001 2024.01.02 7712600 21:30\n"
         "2024002 2024.01.05 0381562 21:30\n",
         {7712600, 381562},
         false,
         2,
         false,
         0,
         1,
         3},
        {"seven digit fields after a 7-digit issue: the split draw wins",
         "2024001,7,7,1,2,6,0,0\n2024002,0,3,8,1,5,6,2\n",
         {7712600, 381562},
         false,
         1,
         true,
         0,
         -1,
         0},
        {"issue numbers of one digit before seven digit fields",
         "1,7,7,1,2,6,0,0\n2,0,3,8,1,5,6,2\n3,1,1,1,1,1,1,1\n",
         {7712600, 381562, 1111111},
         false,
         1,
         true,
         0,
         -1,
         0},
    };
    for (const TLayoutCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TDrawFileReading reading = ReadDrawFile(c.Text);
        EXPECT_TRUE(reading.IsTable);
        EXPECT_EQ(reading.Numbers(), c.Expected);
        EXPECT_EQ(reading.Reversed, c.Reversed);
        EXPECT_EQ(reading.Layout.DrawColumn, c.DrawColumn);
        EXPECT_EQ(reading.Layout.DrawSplit, c.DrawSplit);
        EXPECT_EQ(reading.Layout.IssueColumn, c.IssueColumn);
        EXPECT_EQ(reading.Layout.DateColumn, c.DateColumn);
        EXPECT_EQ(reading.Layout.HeaderLines, c.HeaderLines);
    }
}

// Files in which an earlier recogniser took the wrong column, and the layouts results sites
// write.
TEST(DrawTable, NeverTakesTheIssueTheMoneyOrTheWeekdayForTheDraw) {
    const std::vector<TLayoutCase> cases = {
        {"a 期号 column of seven digits beside a quoted draw",
         "期号,开奖号码\n2024001,\"3,9,8,2,5,9,7\"\n2024002,\"0,3,8,1,5,6,2\"\n",
         {3982597, 381562},
         false,
         1,
         false,
         0,
         -1,
         1},
        {"a 奖池 column of seven digits right of the draw",
         "期号,开奖日期,开奖号码,销售额,奖池\n24001,2024-01-02,3982597,12701179,5930676\n"
         "24002,2024-01-05,0381562,12511020,5930771\n",
         {3982597, 381562},
         false,
         2,
         false,
         0,
         1,
         1},
        {"a weekday digit left of seven digit fields",
         "2024001,2024-01-02,2,3,9,8,2,5,9,7\n2024002,2024-01-05,5,0,3,8,1,5,6,2\n"
         "2024003,2024-01-07,7,1,1,1,1,1,1,1\n",
         {3982597, 381562, 1111111},
         false,
         3,
         true,
         0,
         1,
         0},
        {"the results site's columns with the digits apart and money in quotes",
         "期号,开奖日期,开奖号码,销售额(元),一等奖注数\n"
         "2024096,2024-08-18,2 3 8 1 1 5 0,\"12,701,179\",3\n"
         "2024095,2024-08-16,0 0 1 9 4 4 2,\"1,000\",0\n",
         {19442, 2381150},
         true,
         2,
         false,
         0,
         1,
         1},
        {"a semicolon file with money in quotes and the digits apart by commas",
         "2024001;\"1,000\";2,3,8,1,1,5,0\n2024002;\"2,000\";0,0,1,9,4,4,2\n",
         {2381150, 19442},
         false,
         2,
         false,
         0,
         -1,
         0},
        {"one column of digits joined by dashes",
         "2-3-8-1-1-5-0\n0-0-1-9-4-4-2\n",
         {2381150, 19442},
         false,
         0,
         false,
         -1,
         -1,
         0},
        {"digits apart by bars in a comma file",
         "2024001,2|3|8|1|1|5|0\n2024002,0|0|1|9|4|4|2\n",
         {2381150, 19442},
         false,
         1,
         false,
         0,
         -1,
         0},
        {"seven digit fields at the end of the line, after money",
         "期号,奖池,百万位,十万位,万位,千位,百位,十位,个位\n"
         "2024001,\"5,930,676\",2,3,8,1,1,5,0\n2024002,\"5,930,771\",0,0,1,9,4,4,2\n",
         {2381150, 19442},
         false,
         2,
         true,
         0,
         -1,
         1},
        {"a header on line four under a title, summary and blank lines at the end",
         "七星彩\n数据来源：开奖公告\n\n期号\t开奖日期\t开奖号码\n2024001\t2024-01-02\t2381150\n"
         "2024002\t2024-01-05\t0019442\n\n共2期\n合计 2 期 2024-01-05\n\n",
         {2381150, 19442},
         false,
         2,
         false,
         0,
         1,
         4},
        {"a quoted draw in a file of blanks",
         "2024001 \"2 3 8 1 1 5 0\"\n2024002 \"0 0 1 9 4 4 2\"\n",
         {2381150, 19442},
         false,
         1,
         false,
         0,
         -1,
         0},
        {"two seven-digit columns, one counting by one without a header",
         "3982597,2024001\n0381562,2024002\n1111111,2024003\n",
         {3982597, 381562, 1111111},
         false,
         0,
         false,
         1,
         -1,
         0},
    };
    for (const TLayoutCase& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            const TDrawFileReading reading = ReadDrawFile(c.Text);
            EXPECT_TRUE(reading.IsTable);
            EXPECT_EQ(reading.Numbers(), c.Expected);
            EXPECT_EQ(reading.Reversed, c.Reversed);
            EXPECT_EQ(reading.Layout.DrawColumn, c.DrawColumn);
            EXPECT_EQ(reading.Layout.DrawSplit, c.DrawSplit);
            EXPECT_EQ(reading.Layout.IssueColumn, c.IssueColumn);
            EXPECT_EQ(reading.Layout.DateColumn, c.DateColumn);
            EXPECT_EQ(reading.Layout.HeaderLines, c.HeaderLines);
        } catch (const TError& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(DrawTable, ColumnsThatCannotBeToldApartAreNamedNotGuessed) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"2024001,3982597,5930676\n2024002,0381562,5930771\n2024003,1111111,5930779\n",
         "无法确定哪一列是开奖号码（可能是第2列、第3列）。"},
        {"1,2,3,9,8,2,5,9,7\n5,0,0,3,8,1,5,6,2\n2,7,1,1,1,1,1,1,1\n",
         "无法确定哪一列是开奖号码（可能是第1至第7列、第2至第8列、第3至第9列）。"},
        // Twelve one-digit fields: six places, of which the sentence names five.
        {"1,2,3,4,5,6,7,8,9,0,1,2\n3,4,5,6,7,8,9,0,1,2,3,4\n",
         "无法确定哪一列是开奖号码（可能是第1至第7列、第2至第8列、第3至第9列、第4至第10列、第5至"
         "第11列等6处）。"},
        // Both count by one: neither is surely the draw.
        {"1000001,2000001\n1000002,2000002\n", "无法确定哪一列是开奖号码（可能是第1列、第2列）。"},
        // The only column of seven digits is headed 期号.
        {"期号,奖池\n2024001,\"5,930,676\"\n2024002,\"5,930,771\"\n",
         "无法确定哪一列是开奖号码（可能是第1列）。"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        const TDrawFileText file(text);
        const TDrawTableLayout layout = file.DetectLayout();
        EXPECT_FALSE(layout.Decided());
        EXPECT_EQ(UndecidedDrawsMessage(layout.Candidates), message);
        try {
            file.Read();
            ADD_FAILURE() << "read without an error";
        } catch (const TUndecidedDrawsError& e) {
            EXPECT_EQ(e.what(), message);
            EXPECT_EQ(e.Candidates, layout.Candidates);
        }
    }
    // The user's choice reads the file: the issue column stays as detected.
    const TDrawFileText file("2024001,3982597,5930676\n2024002,0381562,5930771\n");
    TDrawTableLayout layout = file.DetectLayout();
    layout.DrawColumn = 1;
    EXPECT_EQ(file.ReadTable(layout).Numbers(), (Numbers{3982597, 381562}));
    EXPECT_EQ(file.ReadTable(layout).Rows[1].Issue, "2024002");
}

// Tables made from random draws in every layout the recogniser accepts, read back and
// compared with what was written: draws, issue numbers and dates, oldest first.
TEST(DrawTable, ReadsBackGeneratedTablesInEveryLayout) {
    using namespace std::chrono;
    constexpr int Count = 30;
    const std::vector<std::string> draws = RandomDrawLines(23, Count);
    std::vector<std::string> issues;
    std::vector<std::string> dates;
    std::vector<unsigned> weekdays;
    sys_days day = sys_days(year{2023} / December / 26);  // a Tuesday
    for (int i = 0; i < Count; ++i) {
        issues.push_back(std::to_string(i < 5 ? 2023149 + i : 2024001 + i - 5));
        const year_month_day ymd(day);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                      static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
        dates.emplace_back(text);
        weekdays.push_back(weekday(day).iso_encoding());
        day += days(weekday(day) == Tuesday ? 3 : 2);  // Tuesday, Friday, Sunday
    }
    enum Form { Run, CommasQuoted, BlanksInside, Dashes, Fields };
    const std::vector<std::string> separators = {",", ";", "\t", " ", "|"};
    int files = 0;
    for (const std::string& sep : separators)
        for (const Form form : {Run, CommasQuoted, BlanksInside, Dashes, Fields})
            for (const bool header : {false, true})
                for (const bool newestFirst : {false, true})
                    for (const bool drawFirst : {false, true}) {
                        const auto drawText = [&](const std::string& d) {
                            std::string out;
                            const std::string inner = form == CommasQuoted   ? ","
                                                      : form == BlanksInside ? " "
                                                      : form == Dashes       ? "-"
                                                                             : sep;
                            for (size_t k = 0; k < d.size(); ++k)
                                out += (k > 0 ? inner : "") + d.substr(k, 1);
                            if (form == Run) return d;
                            return form == CommasQuoted || form == BlanksInside ? '"' + out + '"'
                                                                                : out;
                        };
                        // A weekday digit stands left of seven digit fields, where it could be
                        // taken for the first digit.
                        const bool withWeekday = form == Fields && !drawFirst;
                        std::string text = header ? "七星彩开奖\n" : "";
                        if (header)
                            text += drawFirst ? "开奖号码" + sep + "期号" + sep + "开奖日期" + sep +
                                                    "销售额(元)\n"
                                              : "期号" + sep + "开奖日期" + sep +
                                                    (withWeekday ? "星期" + sep : "") + "开奖号码" +
                                                    sep + "销售额(元)\n";
                        for (int n = 0; n < Count; ++n) {
                            const auto i = static_cast<size_t>(newestFirst ? Count - 1 - n : n);
                            const std::string money = "\"" + std::to_string(12 + i % 3) + ",701," +
                                                      std::to_string(100 + i) + "\"";
                            if (drawFirst)
                                text += drawText(draws[i]) + sep + issues[i] + sep + dates[i] +
                                        sep + money + "\n";
                            else
                                text += issues[i] + sep + dates[i] + sep +
                                        (withWeekday ? std::to_string(weekdays[i]) + sep : "") +
                                        drawText(draws[i]) + sep + money + "\n";
                        }
                        if (header) text += "\n共" + std::to_string(Count) + "期\n";
                        SCOPED_TRACE(text.substr(0, 160));
                        ++files;
                        try {
                            const TDrawFileReading reading = ReadDrawFile(text);
                            ASSERT_EQ(reading.Rows.size(), draws.size());
                            for (size_t i = 0; i < draws.size(); ++i) {
                                EXPECT_EQ(ZeroPad7(reading.Rows[i].Number), draws[i]);
                                EXPECT_EQ(reading.Rows[i].Issue, issues[i]);
                                EXPECT_EQ(reading.Rows[i].Date, dates[i]);
                            }
                        } catch (const TError& e) {
                            ADD_FAILURE() << e.what();
                        }
                    }
    EXPECT_EQ(files, 200);
}

TEST(DrawTable, RowsKeepTheirLineIssueAndDate) {
    const TDrawFileReading reading =
        ReadDrawFile("期号,日期,号码\n2024002,2024-01-05,0381562\n2024001,2024-01-02,7712600\n");
    ASSERT_EQ(reading.Rows.size(), 2u);
    EXPECT_EQ(reading.Rows[0].Line, 3);
    EXPECT_EQ(reading.Rows[0].Issue, "2024001");
    EXPECT_EQ(reading.Rows[0].Date, "2024-01-02");
    EXPECT_EQ(reading.Rows[1].Line, 2);
}

TEST(DrawTable, EncodingsOfTheSameTable) {
    const std::string utf8 = "期号,号码\r\n2024001,7712600\r\n2024002,0381562\r\n";
    std::string utf16le = "\xFF\xFE";
    std::string utf16be = "\xFE\xFF";
    // The text is ASCII apart from the header, which UTF-16 spells out through iconv-free
    // code units: 期 U+671F, 号 U+53F7, 码 U+7801.
    const std::u16string units = u"期号,号码\r\n2024001,7712600\r\n2024002,0381562\r\n";
    for (char16_t u : units) {
        utf16le += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        utf16be += {static_cast<char>(u >> 8), static_cast<char>(u & 0xFF)};
    }
    const std::vector<std::pair<const char*, std::string>> files = {
        {"UTF-8", utf8},       {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8}, {"UTF-16LE", utf16le},
        {"UTF-16BE", utf16be}, {"code page 936", EncodeGbk(utf8)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const TDrawFileReading reading = ReadDrawFile(bytes);
        EXPECT_EQ(reading.Numbers(), (Numbers{7712600, 381562}));
        EXPECT_EQ(reading.Layout.HeaderLines, 1);
    }
}

TEST(DrawTable, PlainFilesKeepThePlainRules) {
    // Short lines are dropped.
    const TDrawFileReading reading = ReadDrawFile("0012345\r\n  1234567  \n123456\n7654321\n");
    EXPECT_FALSE(reading.IsTable);
    EXPECT_EQ(reading.Numbers(), (Numbers{12345, 1234567, 7654321}));
    EXPECT_EQ(reading.Rows[2].Line, 4);
    try {
        ReadDrawFile("1234567\n0000001\nabcdefgh\n");
        ADD_FAILURE();
    } catch (const TDrawLineError& e) {
        EXPECT_STREQ(e.what(), "第3行无法识别：abcdefgh");
        EXPECT_EQ(e.Line, 3);
    }
}

struct TErrorCase {
    const char* Name;
    std::string Text;
    std::string Message;
    int32_t Line;
};

TEST(DrawTable, LinesThatDoNotFitNameTheirNumberAndText) {
    std::string longLine = "2024003,";
    longLine += std::string(90, 'x');
    // Sixty draws with a zero byte in line 31: the rest of the file must not silently vanish.
    std::string zeroInside;
    for (int i = 1; i <= 60; ++i)
        zeroInside += (i == 31 ? std::string("12\0"
                                             "4567",
                                             7)
                               : "1234567") +
                      std::string("\r\n");
    std::string utf16WithZero = "\xFF\xFE";
    for (char c : std::string("1234567\n76\0"
                              "4321\n",
                              16))
        utf16WithZero += {c, '\0'};
    std::string manyFields;
    for (int i = 0; i < 1001; ++i) manyFields += "1,";
    std::string manyBlankFields = "1234567 2024001\n";
    for (int i = 0; i < 200000; ++i) manyBlankFields += "1 ";
    const std::vector<TErrorCase> cases = {
        {"a zero byte in a plain file", zeroInside, "第31行无法识别：12\uFFFD4567", 31},
        {"a zero character in UTF-16", utf16WithZero, "第2行无法识别：76\uFFFD4321", 2},
        {"a zero byte in a table",
         std::string("2024001,7712600\n2024002,038\0"
                     "1562\n",
                     33),
         "第2行无法识别：2024002,038\uFFFD1562", 2},
        {"eight digits in a row", "1234567\n12345678\n7654321\n", "第2行无法识别：12345678", 2},
        {"a sign before six digits", "1234567\n7654321\n+123456\n", "第3行无法识别：+123456", 3},
        {"a damaged first row under a header is not a second header",
         "一,二,三,四,五,六,七\n1,2,3,,5,6,7\n7,6,5,4,3,2,1\n0,0,0,0,0,0,1\n",
         "第2行无法识别：1,2,3,,5,6,7", 2},
        {"more than a thousand fields", "1234567,2024001\n" + manyFields + "\n",
         "第2行的字段超过1000个，不是开奖号码表格。", 2},
        {"a huge line of blank-separated fields", manyBlankFields,
         "第2行的字段超过1000个，不是开奖号码表格。", 2},
        {"a digit that is a letter",
         "2024001,7,7,1,2,6,0,0\n2024002,0,3,8,1,5,6,2\n2024003,1,x,3,4,5,6,7\n",
         "第3行无法识别：2024003,1,x,3,4,5,6,7", 3},
        {"a line of digits after the data is no summary", "2024001 7712600\n2024002 0381562\n2 2\n",
         "第3行无法识别：2 2", 3},
        {"a summary line inside the data", "2024001 7712600\n共 2 期\n2024002 0381562\n",
         "第2行无法识别：共 2 期", 2},
        {"a broken first data line is not a header",
         "2024001,2024-01-02,77126\n2024002,2024-01-05,0381562\n2024003,2024-01-08,1111111\n",
         "第1行无法识别：2024001,2024-01-02,77126", 1},
        {"no draw anywhere", "\n期号,日期\n名称,说明\n", "第2行无法识别：期号,日期", 2},
        {"a missing field", "2024001,7712600\n2024002\n2024003,1111111\n", "第2行无法识别：2024002",
         2},
        {"a long line is shortened", "2024001,7712600\n2024002,0381562\n" + longLine + "\n",
         "第3行无法识别：2024003," + std::string(72, 'x') + "…", 3},
    };
    for (const TErrorCase& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            ReadDrawFile(c.Text);
            ADD_FAILURE() << "read without an error";
        } catch (const TDrawLineError& e) {
            EXPECT_EQ(e.what(), c.Message);
            EXPECT_EQ(e.Line, c.Line);
        } catch (const TError& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(DrawTable, FilesWithoutADrawAreRefusedNotReadAsEmpty) {
    const std::vector<std::pair<const char*, std::string>> files = {
        {"empty", ""},
        {"blank lines", "\r\n\n   \n\t\n"},
        {"lines under seven characters", "123\n123456\n一二\n"},
        {"a bare UTF-8 byte order mark", "\xEF\xBB\xBF"},
        {"a bare UTF-16 byte order mark", "\xFF\xFE"},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        EXPECT_THROW(ReadDrawFile(bytes), TNoDrawsError);
    }
    // A table whose header covers every line gives no draw either.
    const TDrawFileText table("期号,号码\n2024001,7712600\n");
    TDrawTableLayout layout = table.DetectLayout();
    layout.HeaderLines = 2;
    EXPECT_THROW(table.ReadTable(layout), TNoDrawsError);
}

TEST(DrawTable, ACorrectedLayoutReadsTheFileAgain) {
    // Two seven-digit columns that both count by one: the user says which is the draw.
    const TDrawFileText file("1000001,2000001\n1000002,2000002\n");
    TDrawTableLayout layout = file.DetectLayout();
    layout.DrawColumn = 0;
    layout.IssueColumn = 1;
    const TDrawFileReading reading = file.ReadTable(layout);
    EXPECT_EQ(reading.Numbers(), (Numbers{1000001, 1000002}));
    EXPECT_EQ(reading.Layout, layout);
    EXPECT_EQ(file.FieldsOf(1, TFieldSeparator::Comma),
              (std::vector<std::string>{"1000002", "2000002"}));
}

}  // namespace
