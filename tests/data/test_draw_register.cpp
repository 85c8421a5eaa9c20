#include <gtest/gtest.h>

#include <cstring>

#include "data/DrawRegister.h"
#include "tests/support/RandomDraws.h"

namespace {

TDrawRegister IssuesFrom(int first, int count, const std::string& date = "") {
    TDrawRegister reg;
    for (int i = 0; i < count; ++i) reg.Rows.push_back({std::to_string(first + i), date});
    return reg;
}

// The first two lines of a companion text.
std::string RegisterFirstLineAndCount(const std::string& text) {
    return text.substr(0, text.find('\n', text.find('\n') + 1) + 1);
}

TEST(DrawRegister, IssueAndDateTexts) {
    const struct {
        const char* issue;
        const char* next;
    } issues[] = {
        {"2024096", "2024097"}, {"24099", "24100"}, {"00999", "01000"},
        {"999", "1000"},        {"", ""},           {"24a01", ""},
        {"1234567890123", ""},
    };
    for (const auto& c : issues) EXPECT_EQ(NextIssueAfter(c.issue), c.next) << c.issue;
    // A five-digit issue orders among seven-digit ones of the same year.
    EXPECT_EQ(IssueKey("24096"), IssueKey("2024096"));
    EXPECT_LT(IssueKey("2023153"), IssueKey("24001"));

    const struct {
        const char* text;
        const char* date;
    } dates[] = {
        {"2024-01-02", "2024-01-02"},
        {"2024/1/2", "2024-01-02"},
        {"2024.12.31", "2024-12-31"},
        {"2024年3月5日", "2024-03-05"},
        {"20240229", "2024-02-29"},
        {"2024-01-02(二)", "2024-01-02"},
        {"2023-02-29", ""},
        {"2024-13-01", ""},
        {"2024-01-002", ""},
        {"24-01-02", ""},
        {"2024-01", ""},
        {"1899-12-31", ""},
        {"星期二", ""},
        {"2024-1-2 20:30", "2024-01-02"},
    };
    for (const auto& c : dates) EXPECT_EQ(NormalDate(c.text), c.date) << c.text;
}

TEST(DrawRegister, FitContinuesTheLastIssue) {
    TDrawRegister reg = IssuesFrom(2024098, 2);
    reg.Fit(4);
    ASSERT_EQ(reg.Count(), 4);
    EXPECT_EQ(reg.Rows[2].Issue, "2024100");
    EXPECT_EQ(reg.Rows[3].Issue, "2024101");
    EXPECT_EQ(reg.NextIssue(), "2024102");
    reg.Fit(1);
    EXPECT_EQ(reg.NextIssue(), "2024099");
    TDrawRegister unknown;
    unknown.Fit(3);
    EXPECT_FALSE(unknown.Known());
    EXPECT_EQ(unknown.NextIssue(), "");
}

TEST(DrawRegister, CompanionRoundTrip) {
    const auto draws = RandomDraws(7, 40);
    TDrawRegister reg = IssuesFrom(2024001, 40, "2024-05-06");
    reg.Rows[3] = {};       // unknown rows stay unknown
    reg.Rows[9].Date = "";  // an issue without a date
    const std::string text = RegisterText(reg, *draws);
    EXPECT_EQ(ParseRegister(text, *draws), reg);
    // Written by a Windows editor.
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(ParseRegister(crlf, *draws), reg);
}

// What editors and other systems do to a text is read as the text meant; a few unreadable
// row lines leave their rows unknown, and the rest of a sound companion is kept.
TEST(DrawRegister, ForgivenFormsAndSkippedLines) {
    const auto draws = RandomDraws(7, 30);
    TDrawRegister reg = IssuesFrom(2024001, 30, "2024-05-06");
    const std::string text = RegisterText(reg, *draws);
    std::string edited = "\xEF\xBB\xBF";  // a byte order mark, lone CR ends, blanks, 2024/05/06
    for (char c : text) edited += c == '\n' ? std::string("  \r") : std::string(1, c);
    for (size_t at = edited.find("2024-05-06"); at != std::string::npos;
         at = edited.find("2024-05-06", at))
        edited.replace(at, 10, "2024/5/6");
    edited += "\r\n \n\n";  // blank lines at the end
    EXPECT_EQ(ParseRegister(edited, *draws), reg);

    // Lines 3 + 4 and 3 + 11 (rows 5 and 12) damaged: those rows are unknown, the rest is read.
    std::string damaged = text;
    for (const char* issue : {"2024005\t2024-05-06", "2024012\t2024-05-06"})
        damaged.replace(damaged.find(issue), std::strlen(issue), "20x4\t2024-05-06");
    std::vector<int32_t> skipped;
    TDrawRegister expected = reg;
    expected.Rows[4] = expected.Rows[11] = {};
    EXPECT_EQ(ParseRegister(damaged, *draws, skipped), expected);
    EXPECT_EQ(skipped, (std::vector<int32_t>{7, 14}));
    EXPECT_THROW(ParseRegister(damaged, *draws), TRegisterError);  // the strict form refuses
    // A file mostly unreadable is damaged, not a few bad lines.
    std::string ruined = RegisterFirstLineAndCount(text);
    for (int i = 0; i < 30; ++i) ruined += "?\n";
    EXPECT_THROW(ParseRegister(ruined, *draws, skipped), TRegisterError);
    // Skipping never hides a mismatch: other draws still refuse the whole file.
    EXPECT_THROW(ParseRegister(damaged, *RandomDraws(8, 30), skipped), TRegisterError);
}

// Every way a companion can fail to match its document, with the line that is named.
TEST(DrawRegister, MismatchesNameTheirLine) {
    const auto draws = RandomDraws(8, 5);
    const std::string good = RegisterText(IssuesFrom(24001, 5), *draws);
    const auto lines = [&] {
        std::vector<std::string> out;
        size_t at = 0;
        while (at < good.size()) {
            const size_t end = good.find('\n', at);
            out.push_back(good.substr(at, end - at));
            at = end + 1;
        }
        return out;
    }();
    const auto join = [](const std::vector<std::string>& ls) {
        std::string t;
        for (const auto& l : ls) t += l + "\n";
        return t;
    };
    auto replaced = [&](size_t index, const std::string& line) {
        auto ls = lines;
        ls[index] = line;
        return join(ls);
    };
    auto without = [&](size_t index) {
        auto ls = lines;
        ls.erase(ls.begin() + static_cast<ptrdiff_t>(index));
        return join(ls);
    };
    const auto otherDraws = RandomDraws(9, 5);
    const struct {
        const char* what;
        std::string text;
        const TCodes& draws;
        int32_t line;
    } cases[] = {
        {"not ours", replaced(0, "Tolvane draw register 2"), *draws, 1},
        {"empty", "", *draws, 1},
        {"other draws, same count", good, *otherDraws, 2},
        {"other count", replaced(1, "draws 6 0000000000000000"), *draws, 2},
        {"a row missing", without(6), *draws, 7},
        {"a row too many", good + "24006\t\n", *draws, 8},
        {"duplicated issue", replaced(4, "24002\t"), *draws, 5},
        {"issue going back", replaced(5, "24000\t"), *draws, 6},
        {"issue not digits", replaced(3, "24x02\t"), *draws, 4},
        {"date no date", replaced(6, "24005\t2024-02-30"), *draws, 7},
        {"no tab", replaced(2, "24001"), *draws, 3},
        {"two dates", replaced(2, "24001\t2024-01-02\t2024-01-03"), *draws, 3},
    };
    for (const auto& c : cases) {
        try {
            ParseRegister(c.text, c.draws);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const TRegisterError& e) {
            EXPECT_EQ(e.Line, c.line) << c.what << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find("第" + std::to_string(c.line) + "行"),
                      std::string::npos)
                << c.what;
        }
    }
}

TEST(DrawRegister, TheEditorKeepsIdentitiesOfRowsItKeeps) {
    const auto draws = RandomDraws(11, 6);
    const std::vector<DrawRecord> before(draws->Rows(), draws->Rows() + 6);
    const TDrawRegister reg = IssuesFrom(2024001, 6);
    const auto issuesOf = [](const TDrawRegister& r) {
        std::string t;
        for (const auto& row : r.Rows) t += (row.Issue.empty() ? "-" : row.Issue.substr(5)) + " ";
        return t;
    };
    auto changed = before;
    changed[2][3] = (changed[2][3] + 1) % 10;
    auto removed = before;
    removed.erase(removed.begin() + 1);
    auto appended = before;
    appended.push_back(before[0]);
    auto inserted = before;
    inserted.insert(inserted.begin() + 3, before[5]);
    inserted[3][1] = (inserted[3][1] + 5) % 10;
    const struct {
        const char* what;
        std::vector<DrawRecord> after;
        const char* issues;
    } cases[] = {
        {"a digit changed", changed, "01 02 03 04 05 06 "},
        {"a row removed", removed, "01 03 04 05 06 "},
        {"a row appended", appended, "01 02 03 04 05 06 07 "},
        {"a row inserted", inserted, "01 02 03 - 04 05 06 "},
        {"all gone", {}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(issuesOf(RealignRegister(before, reg, c.after)), c.issues) << c.what;
}

}  // namespace
