#include <gtest/gtest.h>

#include <string>

#include "data/DrawExport.h"
#include "data/DrawTable.h"
#include "data/FileIo.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/TempFolder.h"

namespace {

void ExpectSameDraws(const std::vector<int32_t>& numbers, const TCodes& draws) {
    ASSERT_EQ(numbers.size(), static_cast<size_t>(draws.Count()));
    for (int32_t row = 0; row < draws.Count(); ++row) {
        int32_t number = 0;
        for (int32_t p = 1; p <= 7; ++p) number = number * 10 + draws.GetNum(p, row);
        EXPECT_EQ(numbers[static_cast<size_t>(row)], number) << "row " << row;
    }
}

TEST(DrawExport, BothFormsImportBackToTheSameDraws) {
    // Small and large counts: issue numbers of one digit look like draw digits.
    for (const int32_t count : {1, 2, 5, 12, 300}) {
        SCOPED_TRACE(count);
        const auto draws = RandomDraws(static_cast<uint32_t>(count), count);
        const TDrawFileReading text = ReadDrawFile(DrawsAsText(*draws));
        EXPECT_FALSE(text.IsTable);
        ExpectSameDraws(text.Numbers(), *draws);
        const TDrawFileReading table = ReadDrawFile(DrawsAsCsv(*draws));
        EXPECT_TRUE(table.IsTable);
        EXPECT_FALSE(table.Reversed);
        ExpectSameDraws(table.Numbers(), *draws);
        // With 期号 and dates, they come back as well; draws typed after the last known one
        // have a 期号 and no date, and the file still reads back.
        TDrawRegister reg;
        for (int32_t r = 0; r < count; ++r)
            reg.Rows.push_back(
                {std::to_string(2023001 + r),
                 r + 1 < count || count == 1 ? "2023-05-0" + std::to_string(r % 9 + 1) : ""});
        const bool allDated = count == 1;
        const TDrawFileReading known = ReadDrawFile(DrawsAsCsv(*draws, reg));
        ExpectSameDraws(known.Numbers(), *draws);
        ASSERT_EQ(known.Rows.size(), reg.Rows.size());
        for (size_t r = 0; r < reg.Rows.size(); ++r) {
            EXPECT_EQ(known.Rows[r].Issue, reg.Rows[r].Issue);
            EXPECT_EQ(known.Rows[r].Date, allDated ? reg.Rows[r].Date : "");
        }
    }
}

TEST(DrawExport, TableHasItsHeaderIssueNumbersAndSums) {
    TCodes draws;
    const int32_t row = draws.Add();
    const int32_t digits[] = {0, 3, 8, 1, 5, 6, 2};
    for (int32_t p = 1; p <= 7; ++p) draws.SetNum(p, row, digits[p - 1]);
    EXPECT_EQ(DrawsAsCsv(draws),
              "\xEF\xBB\xBF期号,开奖日期,A,B,C,D,E,F,G,和值\r\n"
              "1,,0,3,8,1,5,6,2,12\r\n");
    EXPECT_EQ(DrawsAsText(draws), "0381562\r\n");
}

TEST(DrawExport, TheFileNameChoosesTheForm) {
    const std::string folder = TempFolder("tolvane_export");
    const auto draws = RandomDraws(7, 3);
    for (const char* name : {"/a.CSV", "/a.txt", "/a"}) {
        const std::string path = folder + name;
        ExportDraws(path, *draws);
        EXPECT_EQ(ReadTextFile(path),
                  IsCsvFileName(path) ? DrawsAsCsv(*draws) : DrawsAsText(*draws))
            << name;
    }
    EXPECT_TRUE(IsCsvFileName("x.Csv"));
    EXPECT_FALSE(IsCsvFileName("csv"));
}

}  // namespace
