#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "data/DrawImport.h"
#include "data/IniFile.h"
#include "data/TextLines.h"
#include "reduce/ReduceConditions.h"
#include "tickets/Ticket.h"

namespace {

std::vector<std::pair<int32_t, std::string>> Lines(std::string_view text) {
    std::vector<std::pair<int32_t, std::string>> lines;
    ForEachLine(text, [&](int32_t number, std::string_view line) {
        lines.emplace_back(number, std::string(line));
    });
    return lines;
}

// The same lines from LF, CR LF, a lone CR and a mix of them, numbered as an editor numbers
// them; the end of the last line adds no line, an empty line between two ends counts.
TEST(TextLinesTest, EveryLineEndSplitsAndNumbersAlike) {
    const std::vector<std::pair<int32_t, std::string>> expected = {
        {1, "a"}, {2, ""}, {3, " b "}, {4, "c"}};
    for (const char* text :
         {"a\n\n b \nc", "a\r\n\r\n b \r\nc\r\n", "a\r\r b \rc\r", "a\r\n\r b \nc\n"})
        EXPECT_EQ(Lines(text), expected) << text;
    EXPECT_TRUE(Lines("").empty());
    EXPECT_EQ(Lines("\n"), (std::vector<std::pair<int32_t, std::string>>{{1, ""}}));
    // A CR that ends a line and the LF of the next one: two lines.
    EXPECT_EQ(Lines("x\n\ry").size(), 3u);
}

// Each reader takes a file of lone CRs as the same file with LF, and names the same line.
TEST(TextLinesTest, ReadersTakeEveryLineEndAndNameTheSameLine) {
    const auto withCr = [](std::string text) {
        for (char& c : text)
            if (c == '\n') c = '\r';
        return text;
    };
    const std::string draws = "1234567\n\n7654321\n";
    EXPECT_EQ(ParseDrawNumbers(withCr(draws)), ParseDrawNumbers(draws));
    EXPECT_EQ(ParseDrawNumbers(withCr(draws)), (std::vector<int32_t>{1234567, 7654321}));

    const std::string ini = "\xEF\xBB\xBF[S]\n; note\nKey = value \n";
    EXPECT_EQ(TIniFile::Parse(withCr(ini)).ReadString("S", "Key", ""), "value");

    const std::string conditions = "和值 3-9\n# note\n\n和值 x\n";
    try {
        ReadReduceSet(withCr(conditions));
        ADD_FAILURE() << "the bad line was read";
    } catch (const TReduceError& e) {
        EXPECT_EQ(e.Line, 4);
    }

    const std::string tickets = "1234567\n\n# note\nabc\n";
    const TTicketReading reading = ReadTicketLines(withCr(tickets));
    EXPECT_EQ(reading.Lines, std::vector<int32_t>{1});
    ASSERT_EQ(reading.Faults.size(), 1u);
    EXPECT_EQ(reading.Faults[0].Line, 4);
}

}  // namespace
