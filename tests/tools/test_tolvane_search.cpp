// Runs the built tolvane-search binary on small draw files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "data/DrawTable.h"
#include "search/Gui2RegMgr.h"
#include "search/WorkDocument.h"
#include "stats/ShapeStats.h"
#include "tests/support/RandomDraws.h"
#include "tests/support/TempFolder.h"

namespace {

// The summary's timings as "T", so that two runs compare equal.
std::string WithoutTimings(std::string line) {
    for (const std::string key : {"\"seconds\":", "\"output_seconds\":"}) {
        for (size_t at = line.find(key); at != std::string::npos; at = line.find(key, at + 1)) {
            const size_t start = at + key.size();
            size_t end = start;
            while (end < line.size() && (std::isdigit(static_cast<unsigned char>(line[end])) ||
                                         line[end] == '.' || line[end] == '-'))
                ++end;
            line.replace(start, end - start, "T");
        }
    }
    return line;
}

struct RunResult {
    int ExitCode = -1;
    std::vector<std::string> Lines;
};

RunResult RunTool(const std::string& arguments) {
    RunResult result;
    const std::string command = std::string(TOLVANE_SEARCH_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    const int status = ::pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) result.Lines.push_back(line);
    return result;
}

// What a program writes to its error output, and its exit status.
std::pair<int, std::string> RunForErrors(const std::string& command) {
    FILE* pipe = ::popen((command + " 2>&1 >/dev/null").c_str(), "r");
    if (pipe == nullptr) return {-1, {}};
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

// A strict little JSON reader: one value at s[i]; collects the keys of this object, if given.
bool JsonValue(const std::string& s, size_t& i, std::vector<std::string>* keys) {
    auto skip = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    };
    auto eat = [&](char c) {
        skip();
        return i < s.size() && s[i] == c ? (++i, true) : false;
    };
    auto text = [&](std::string* out) {
        if (!eat('"')) return false;
        std::string value;
        for (; i < s.size() && s[i] != '"'; value += s[i++]) {
            if (static_cast<unsigned char>(s[i]) < 0x20) return false;
            if (s[i] == '\\') ++i;
        }
        if (out) *out = value;
        return eat('"');
    };
    skip();
    if (i >= s.size()) return false;
    if (s[i] == '"') return text(nullptr);
    if (s[i] == '[' || s[i] == '{') {
        const char close = s[i++] == '[' ? ']' : '}';
        if (eat(close)) return true;
        do {
            std::string key;
            if (close == '}' && (!text(&key) || !eat(':'))) return false;
            if (close == '}' && keys) keys->push_back(key);
            if (!JsonValue(s, i, nullptr)) return false;
        } while (eat(','));
        return eat(close);
    }
    if (s.compare(i, 4, "null") == 0) return i += 4, true;
    const size_t start = i;
    if (s[i] == '-') ++i;
    // Digits, a fraction and an exponent ("1.2e-05").
    while (i < s.size() && (isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.' ||
                            s[i] == 'e' || s[i] == 'E' || s[i] == '+' || s[i] == '-'))
        ++i;
    return i > start;
}

bool ValidJson(const std::string& s, std::vector<std::string>& keys) {
    size_t i = 0;
    return JsonValue(s, i, &keys) && s.find_first_not_of(" \t", i) == std::string::npos;
}

// Two points per line keep each run small, even under the sanitizers.
const std::string Small = "--set LinedPtMaxSe=2 --set LinegPtMaxSe=2 ";

class TolvaneSearchTool : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = TempFolder("tolvane_tool");
        draws = folder + "/draws.txt";
        std::ofstream out(draws, std::ios::binary);
        // 40 draws of a fixed pseudo-random sequence, with the line forms the import accepts.
        uint32_t x = 12345;
        for (int i = 0; i < 40; ++i) {
            x = x * 1103515245u + 12345u;
            char line[16];
            std::snprintf(line, sizeof line, "%07u", (x >> 8) % 10000000u);
            out << (i % 3 == 0 ? "  " : "") << line << (i % 2 ? "\r\n" : "\n");
        }
    }
    std::string folder;
    std::string draws;
};

TEST_F(TolvaneSearchTool, PrintsOneJsonObjectPerPatternThenTheSummary) {
    const RunResult run = RunTool(Small + "--threads 2 " + draws);
    ASSERT_EQ(run.ExitCode, 0);
    ASSERT_FALSE(run.Lines.empty());
    const std::vector<std::string> patternKeys = {"layout",    "contrast", "steps", "base",
                                                  "low",       "high",     "sums",  "results",
                                                  "positions", "columns"};
    for (size_t i = 0; i + 1 < run.Lines.size(); ++i) {
        std::vector<std::string> keys;
        EXPECT_TRUE(ValidJson(run.Lines[i], keys)) << run.Lines[i];
        EXPECT_EQ(keys, patternKeys);
        EXPECT_NE(run.Lines[i].find("\"base\":40,"), std::string::npos);
    }
    std::vector<std::string> keys;
    const std::string& summary = run.Lines.back();
    EXPECT_TRUE(ValidJson(summary, keys)) << summary;
    EXPECT_EQ(keys, std::vector<std::string>{"summary"});
    EXPECT_NE(summary.find("\"found\":" + std::to_string(run.Lines.size() - 1) + ","),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("\"draws\":40,"), std::string::npos);

    // One thread gives the same patterns in the same order.
    const RunResult single = RunTool(Small + "--threads=1 " + draws);
    ASSERT_EQ(single.Lines.size(), run.Lines.size());
    for (size_t i = 0; i + 1 < run.Lines.size(); ++i) EXPECT_EQ(single.Lines[i], run.Lines[i]);

    const RunResult quiet = RunTool(Small + "--quiet " + draws);
    EXPECT_EQ(quiet.ExitCode, 0);
    EXPECT_EQ(quiet.Lines.size(), 1u);
}

TEST_F(TolvaneSearchTool, OptionsFromTheIniFileAndFromSet) {
    const std::string ini = folder + "/pavolen.ini";
    std::ofstream(ini) << "[TGui2Options]\r\nSecCountSe=3\r\nSecInterGbx=9\r\n";
    // SecInterGbx 9 becomes 1 as at start-up: only layout 1 ("流水") is searched.
    const RunResult run = RunTool(Small + "--ini " + ini + " " + draws);
    ASSERT_EQ(run.ExitCode, 0);
    for (size_t i = 0; i + 1 < run.Lines.size(); ++i)
        EXPECT_NE(run.Lines[i].find("\"layout\":1,"), std::string::npos);
    const RunResult set =
        RunTool(Small + "--ini " + ini + " --set SecInterGbx=2 --set SecCountSe=3 " + draws);
    ASSERT_EQ(set.ExitCode, 0);
    for (size_t i = 0; i + 1 < set.Lines.size(); ++i)
        EXPECT_NE(set.Lines[i].find("\"layout\":2,"), std::string::npos);
}

TEST_F(TolvaneSearchTool, ExitCodesForBadArgumentsAndBadDrawFiles) {
    EXPECT_EQ(RunTool("").ExitCode, 2);
    EXPECT_EQ(RunTool("--bogus " + draws).ExitCode, 2);
    EXPECT_EQ(RunTool("--set NoSuchKey=1 " + draws).ExitCode, 2);
    EXPECT_EQ(RunTool("--set SecCountSe=four " + draws).ExitCode, 2);
    EXPECT_EQ(RunTool("--threads 0 " + draws).ExitCode, 2);
    EXPECT_EQ(RunTool("--threads 2000000000 " + draws).ExitCode, 2);  // no abort
    // A search past its pattern limit stops, prints what it found and its summary, and fails.
    const RunResult limited = RunTool(Small + "--max-patterns 2 " + draws);
    EXPECT_EQ(limited.ExitCode, 1);
    ASSERT_EQ(limited.Lines.size(), 3u);
    EXPECT_NE(limited.Lines.back().find("\"summary\""), std::string::npos);
    EXPECT_EQ(RunTool("--ini " + folder + "/missing.ini " + draws).ExitCode, 2);
    EXPECT_EQ(RunTool(draws + " " + draws).ExitCode, 2);
    EXPECT_EQ(RunTool("--set LinegDistMinSe=6 " + draws).ExitCode, 2);  // cannot be searched
    EXPECT_EQ(RunTool("--help").ExitCode, 0);

    EXPECT_EQ(RunTool(folder + "/missing.txt").ExitCode, 1);
    EXPECT_EQ(RunTool("/dev/zero").ExitCode, 1);  // refused before it is read
    const std::string bad = folder + "/bad.txt";
    std::ofstream(bad) << "1234567\n12 3456\n";
    EXPECT_EQ(RunTool(bad).ExitCode, 1);
    const std::string negative = folder + "/negative.txt";
    std::ofstream(negative) << "1234567\n-123456\n";
    const RunResult run = RunTool(negative);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Lines.empty());
}

TEST_F(TolvaneSearchTool, ReadsATableLikeThePlainFile) {
    // The same 40 draws as a results site's table: header, issue, date, seven fields, newest
    // first across a new year.
    std::ifstream plain(draws);
    std::vector<std::string> rows;
    for (std::string line; std::getline(plain, line);) {
        const size_t start = line.find_first_not_of(' ');
        std::string digits = line.substr(start, 7);
        std::string row;
        for (char d : digits) row += std::string(",") + d;
        rows.push_back(row);
    }
    const std::string table = folder + "/table.csv";
    std::ofstream out(table, std::ios::binary);
    out << "\xEF\xBB\xBF期号,开奖日期,一,二,三,四,五,六,七\r\n";
    for (size_t i = rows.size(); i-- > 0;) {
        const int issue = i < 20 ? 2015131 + static_cast<int>(i) : 2016001 + int(i) - 20;
        out << issue << ",2016-01-0" << (1 + i % 9) << rows[i] << "\r\n";
    }
    out.close();
    const RunResult fromPlain = RunTool(Small + draws);
    const RunResult fromTable = RunTool(Small + table);
    ASSERT_EQ(fromTable.ExitCode, 0);
    ASSERT_EQ(fromTable.Lines.size(), fromPlain.Lines.size());
    EXPECT_NE(fromTable.Lines.back().find("\"draws\":40"), std::string::npos);
    // The patterns, not the timings of the summary line.
    for (size_t i = 0; i + 1 < fromTable.Lines.size(); ++i)
        EXPECT_EQ(fromTable.Lines[i], fromPlain.Lines[i]);
}

TEST_F(TolvaneSearchTool, ABadLineOfATableIsNamedByTheToolAndTheService) {
    const std::string bad = folder + "/bad.csv";
    std::ofstream(bad) << "2024001,1,2,3,4,5,6,7\n2024002,1,2,3,4,5,6,7\n2024003,1,2,x,4,5,6,7\n";
    const auto [searchStatus, searchErrors] = RunForErrors(TOLVANE_SEARCH_PATH + (" " + bad));
    EXPECT_EQ(searchStatus, 1);
    EXPECT_NE(searchErrors.find(":3: 第3行无法识别：2024003,1,2,x"), std::string::npos)
        << searchErrors;
    const auto [serviceStatus, serviceErrors] =
        RunForErrors(TOLVANE_DRAWSVC_PATH + (" --draws " + bad));
    EXPECT_EQ(serviceStatus, 1);
    EXPECT_NE(serviceErrors.find("第3行无法识别"), std::string::npos) << serviceErrors;
    // The plain form names its line too.
    const std::string negative = folder + "/negative.txt";
    std::ofstream(negative) << "1234567\n-123456\n";
    EXPECT_NE(RunForErrors(TOLVANE_SEARCH_PATH + (" " + negative))
                  .second.find(":2: 第2行无法识别：-123456"),
              std::string::npos);
    // A file without a draw is refused by both, never served or searched as no draws.
    const std::string empty = folder + "/empty.txt";
    std::ofstream(empty) << "\xEF\xBB\xBF\r\n123\r\n";
    for (const std::string& tool : {TOLVANE_SEARCH_PATH + std::string(" "),
                                    TOLVANE_DRAWSVC_PATH + std::string(" --draws ")}) {
        const auto [status, errors] = RunForErrors(tool + empty);
        EXPECT_EQ(status, 1);
        EXPECT_NE(errors.find(NoDrawsMessage), std::string::npos) << errors;
    }
}

TEST_F(TolvaneSearchTool, ATableWhoseDrawColumnCannotBeToldIsRefusedNamingTheCandidates) {
    // Two columns of seven digits, neither counting by one, and no header to say which.
    const std::string undecided = folder + "/undecided.csv";
    std::ofstream(undecided) << "24001,3982597,5930676\n24002,0381562,5930771\n"
                                "24003,1111111,5931001\n";
    for (const std::string& tool : {TOLVANE_SEARCH_PATH + std::string(" "),
                                    TOLVANE_DRAWSVC_PATH + std::string(" --draws ")}) {
        const auto [status, errors] = RunForErrors(tool + undecided);
        EXPECT_EQ(status, 1);
        EXPECT_NE(errors.find("无法确定哪一列是开奖号码（可能是第2列、第3列）。"),
                  std::string::npos)
            << errors;
    }
    // A header that names the draw settles it.
    std::ofstream(undecided) << "期号,开奖号码,奖池\n24001,3982597,5930676\n24002,0381562,5930771\n"
                                "24003,1111111,5931001\n";
    const RunResult headed = RunTool(Small + undecided);
    EXPECT_EQ(headed.ExitCode, 0);
    ASSERT_FALSE(headed.Lines.empty());
    EXPECT_NE(headed.Lines.back().find("\"draws\":3"), std::string::npos) << headed.Lines.back();
}

TEST_F(TolvaneSearchTool, AFileSizeLimitMakesTheDocumentWriteFailWithAMessage) {
    // ulimit -f counts blocks of 512 bytes (dash) or 1024 (bash): the document of 40 draws is
    // larger than either, so its write must fail with a message, and the old document stay.
    const std::string document = folder + "/out.gtmq";
    std::ofstream(document) << "old";
    const auto [status, errors] =
        RunForErrors("ulimit -f 1 && exec " + std::string(TOLVANE_SEARCH_PATH) + " " + Small +
                     "--quiet --document " + document + " " + draws);
    EXPECT_EQ(status, 1) << errors;  // not killed by SIGXFSZ
    EXPECT_NE(errors.find("无法写入文件："), std::string::npos) << errors;
    std::ifstream in(document);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
}

// The number after "key": in a JSON line.
double NumberAfter(const std::string& line, const std::string& key, size_t from = 0) {
    const size_t at = line.find("\"" + key + "\":", from);
    return at == std::string::npos ? -1 : std::atof(line.c_str() + at + key.size() + 3);
}

TEST_F(TolvaneSearchTool, BacktestPrintsOneLinePerRowThenTheVerdict) {
    const RunResult run = RunTool(Small + "--set SecCountSe=3 --backtest 3 " + draws);
    ASSERT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Lines.size(), 4u);
    double patterns = 0, hits = 0;
    for (int i = 0; i < 3; ++i) {
        std::vector<std::string> keys;
        EXPECT_TRUE(ValidJson(run.Lines[i], keys)) << run.Lines[i];
        EXPECT_EQ(keys, (std::vector<std::string>{"row", "patterns", "hits", "chance"}));
        EXPECT_EQ(NumberAfter(run.Lines[i], "row"), 38 + i);
        patterns += NumberAfter(run.Lines[i], "patterns");
        hits += NumberAfter(run.Lines[i], "hits");
    }
    const std::string& last = run.Lines.back();
    std::vector<std::string> keys;
    EXPECT_TRUE(ValidJson(last, keys)) << last;
    EXPECT_EQ(keys, std::vector<std::string>{"backtest"});
    EXPECT_EQ(NumberAfter(last, "rows"), 3);
    EXPECT_EQ(NumberAfter(last, "patterns"), patterns);
    EXPECT_EQ(NumberAfter(last, "hits"), hits);
    for (const char* text : {"\"z\":", "\"groups\":[{\"dimension\":\"类别\"",
                             "\"name\":\"两位差分\"", "\"name\":\"明对\"", "\"hit_rate\":"})
        EXPECT_NE(last.find(text), std::string::npos) << text;
    // Three draws are too few for a verdict, whatever t reads.
    EXPECT_NE(last.find("\"m\":3,"), std::string::npos) << last;
    EXPECT_NE(last.find("\"verdict\":\"期数不足，无法判断\""), std::string::npos) << last;
    // The default contrast makes every pattern 明对: the group 全明 is empty and has no verdict.
    const size_t empty = last.find("\"name\":\"全明\"");
    ASSERT_NE(empty, std::string::npos);
    const std::string group = last.substr(empty, last.find('}', empty) - empty);
    for (const char* text :
         {"\"patterns\":0,", "\"z\":null", "\"m\":0,", "\"p\":null", "\"verdict\":null"})
        EXPECT_NE(group.find(text), std::string::npos) << text << " in " << group;

    // Row 40 scores the patterns a search of the first 39 draws finds.
    const std::string first39 = folder + "/first39.txt";
    {
        std::ifstream in(draws);
        std::ofstream out(first39);
        std::string line;
        for (int i = 0; i < 39 && std::getline(in, line); ++i) out << line << "\n";
    }
    const RunResult search = RunTool(Small + "--set SecCountSe=3 --quiet " + first39);
    ASSERT_EQ(search.ExitCode, 0);
    EXPECT_EQ(NumberAfter(search.Lines.back(), "found"), NumberAfter(run.Lines[2], "patterns"));

    const RunResult quiet = RunTool(Small + "--set SecCountSe=3 --quiet --backtest=3 " + draws);
    ASSERT_EQ(quiet.Lines.size(), 1u);
    EXPECT_EQ(quiet.Lines[0], last);

    EXPECT_EQ(RunTool("--backtest 0 " + draws).ExitCode, 2);
    EXPECT_EQ(RunTool("--backtest 3 --document " + folder + "/x.gtmq " + draws).ExitCode, 2);
}

TEST_F(TolvaneSearchTool, BacktestRefusesAsTheSearchDoesAndKeepsItsPatternLimit) {
    const std::string tool = TOLVANE_SEARCH_PATH + std::string(" ");
    // The same options are refused with the same message, in both modes.
    const auto search = RunForErrors(tool + "--set LinegDistMinSe=6 " + draws);
    const auto backtest = RunForErrors(tool + "--backtest 3 --set LinegDistMinSe=6 " + draws);
    EXPECT_EQ(search.first, 2);
    EXPECT_EQ(backtest, search);
    EXPECT_NE(search.second.find("这组搜索设置无法搜索"), std::string::npos) << search.second;

    // Two modes at once are refused, naming both.
    const auto modes = RunForErrors(tool + "--trend 5 --backtest 3 " + draws);
    EXPECT_EQ(modes.first, 2);
    EXPECT_NE(modes.second.find("--trend and --backtest"), std::string::npos) << modes.second;

    // --max-patterns limits each draw's search: the first draw passes 1 and ends the backtest.
    const RunResult limited =
        RunTool(Small + "--set SecCountSe=3 --max-patterns 1 --backtest 3 " + draws);
    EXPECT_EQ(limited.ExitCode, 1);
    ASSERT_EQ(limited.Lines.size(), 1u);
    EXPECT_EQ(NumberAfter(limited.Lines[0], "rows"), 0);
    const auto why =
        RunForErrors(tool + Small + "--set SecCountSe=3 --max-patterns 1 --backtest 3 " + draws);
    EXPECT_NE(why.second.find("the search of draw 38: 搜索到的规律超过内存上限（1个）"),
              std::string::npos)
        << why.second;
}

TEST_F(TolvaneSearchTool, ADocumentPastThePatternBudgetKeepsWhatWasFound) {
    const std::string document = folder + "/budget.gtmq";
    const std::string arguments =
        Small + "--quiet --max-patterns 2 --document " + document + " " + draws;
    const auto [status, errors] = RunForErrors(TOLVANE_SEARCH_PATH + (" " + arguments));
    EXPECT_EQ(status, 1);
    EXPECT_NE(errors.find("超过内存上限（2个）"), std::string::npos) << errors;
    SearchOptions options;
    TGui2RegMgr manager(options);
    TCodes grid;
    ASSERT_TRUE(OpenWorkDocument(document, grid, manager));
    EXPECT_EQ(grid.Count(), 40);
    EXPECT_EQ(manager.Count(), 2);
}

TEST_F(TolvaneSearchTool, WritesAWorkDocumentOfTheDrawsAndThePatterns) {
    const std::string document = folder + "/out.gtmq";
    const RunResult run = RunTool(Small + "--quiet --document " + document + " " + draws);
    ASSERT_EQ(run.ExitCode, 0);
    const RunResult printed = RunTool(Small + draws);
    SearchOptions options;
    TGui2RegMgr manager(options);
    TCodes grid;
    ASSERT_TRUE(OpenWorkDocument(document, grid, manager));
    EXPECT_EQ(grid.Count(), 40);
    EXPECT_EQ(manager.SearchDraws().Count(), 40);
    ASSERT_EQ(static_cast<size_t>(manager.Count()), printed.Lines.size() - 1);
    if (manager.Count() > 0) {
        const std::string first = printed.Lines.front();
        const std::string sums = manager.Get(0).SumsText();
        EXPECT_NE(first.find("\"" + sums + "\""), std::string::npos) << first;
    }
}

// FNV-1a, 64 bits: a fingerprint of a whole output.
uint64_t Fingerprint(const std::string& bytes) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    return hash;
}

// The printed patterns and the saved document of three searches whose lines have three and four
// cells (so that their drawing order matters), fingerprinted as the tool wrote them before the
// engine learnt to skip the ordering for takers that only score: a change of any byte, of any
// cell's place in a line included, shows.
TEST_F(TolvaneSearchTool, PrintedPatternsAndDocumentsKeepEveryByte) {
    struct TCase {
        std::string Options;
        size_t Patterns;
        uint64_t Json;
        uint64_t Document;
    };
    const std::vector<TCase> cases = {
        {"--set LinedPtMaxSe=4 --set LinegPtMaxSe=4 --set LinedDistMaxSe=2 --set LinegDistMaxSe=2",
         1013, 0xced1ceca359d2aa7u, 0xe619cec7461b694cu},
        {"--set RefTailChk=1 --set RefSumChk=1 --set LinedDistMaxSe=2 --set LinegDistMaxSe=2 "
         "--set SecCountSe=5",
         1975, 0xf78a882943c157deu, 0x48eb165532f2fbfcu},
        {"--set SumConstrastGbx=2 --set LinegDistMinSe=0 --set LinegDistMaxSe=2 "
         "--set SecInterGbx=2 --set LinedPtMaxSe=4 --set LinegPtMaxSe=4 --set SecCountSe=3",
         2374, 0x415157c2636b663au, 0x0fd32a57e364c87fu},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Options);
        const std::string document = folder + "/fingerprint.gtmq";
        const RunResult run = RunTool(c.Options + " --document " + document + " " + draws);
        ASSERT_EQ(run.ExitCode, 0);
        ASSERT_EQ(run.Lines.size(), c.Patterns + 1);
        std::string printed;
        for (size_t i = 0; i < c.Patterns; ++i) printed += run.Lines[i] + "\n";
        EXPECT_EQ(Fingerprint(printed), c.Json);
        std::ifstream in(document, std::ios::binary);
        const std::string saved((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(Fingerprint(saved), c.Document);
        // A quiet run saves the same document.
        ASSERT_EQ(RunTool(c.Options + " --quiet --document " + document + " " + draws).ExitCode, 0);
        std::ifstream again(document, std::ios::binary);
        EXPECT_EQ(Fingerprint(std::string((std::istreambuf_iterator<char>(again)), {})),
                  c.Document);
    }
}

TEST_F(TolvaneSearchTool, TrendReportOfAShortFile) {
    const std::string five = folder + "/five.txt";
    std::ofstream(five) << "3000000\n3111111\n5222222\n3333333\n7444444\n";
    // The last four draws: A reads 3 5 3 7.
    const RunResult run = RunTool("--trend 4 " + five);
    ASSERT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Lines.size(), 8u);
    EXPECT_EQ(run.Lines[0],
              "{\"position\": \"A\", \"count\": [0, 0, 0, 2, 0, 1, 0, 1, 0, 0], "
              "\"current\": [4, 4, 4, 1, 4, 2, 4, 0, 4, 4], "
              "\"max\": [4, 4, 4, 1, 4, 2, 4, 3, 4, 4], "
              "\"average\": [4, 4, 4, 0.6666666666666666, 4, 1.5, 4, 1.5, 4, 4], "
              "\"streak\": [0, 0, 0, 1, 0, 1, 0, 1, 0, 0]}");
    const std::vector<std::string> positionKeys = {"position", "count",   "current",
                                                   "max",      "average", "streak"};
    for (size_t i = 0; i < 7; ++i) {
        std::vector<std::string> keys;
        EXPECT_TRUE(ValidJson(run.Lines[i], keys)) << run.Lines[i];
        EXPECT_EQ(keys, positionKeys);
        EXPECT_NE(run.Lines[i].find(std::string("\"position\": \"") + "ABCDEFG"[i] + "\""),
                  std::string::npos);
    }
    EXPECT_EQ(run.Lines[7], "{\"trend\": {\"draws\": 5, \"window\": 4}}");

    // A window longer than the history, or all of it, takes every draw.
    for (const char* window : {"30", "all"}) {
        const RunResult all = RunTool(std::string("--trend=") + window + " " + five);
        ASSERT_EQ(all.ExitCode, 0);
        EXPECT_EQ(all.Lines.back(), "{\"trend\": {\"draws\": 5, \"window\": 5}}");
        EXPECT_NE(all.Lines[1].find("\"count\": [1, 1, 1, 1, 1, 0, 0, 0, 0, 0]"),
                  std::string::npos);
    }

    for (const char* bad : {"--trend 0 ", "--trend -3 ", "--trend x ", "--trend 5 --quiet ",
                            "--trend 5 --gif-dir d --gif 1 "})
        EXPECT_EQ(RunTool(bad + five).ExitCode, 2) << bad;
    EXPECT_EQ(RunTool("--trend 5 " + folder + "/missing.txt").ExitCode, 1);
}

// The numbers of one array of a report line, "key": [...], read back as doubles.
std::vector<double> JsonNumbers(const std::string& line, const std::string& key) {
    std::vector<double> numbers;
    const size_t open = line.find("\"" + key + "\": [");
    if (open == std::string::npos) return numbers;
    const char* at = line.c_str() + line.find('[', open) + 1;
    while (*at != ']' && *at != 0) {
        char* end = nullptr;
        numbers.push_back(std::strtod(at, &end));
        if (end == at) break;
        at = end;
        while (*at == ',' || *at == ' ') ++at;
    }
    return numbers;
}

template <typename T>
std::vector<double> AsDoubles(const std::vector<T>& values) {
    return {values.begin(), values.end()};
}

TEST_F(TolvaneSearchTool, ShapeReportGivesTheNumbersOfTheShapeStatistics) {
    const auto random = RandomDraws(77, 250);
    const std::string path = folder + "/shape.txt";
    {
        std::ofstream out(path);
        for (int32_t r = 0; r < random->Count(); ++r) {
            for (int32_t p = 1; p <= 7; ++p) out << random->GetNum(p, r);
            out << "\n";
        }
    }
    // The window starts after the first draw, so 重号 and 邻号 read the draw before it.
    const RunResult run = RunTool("--shape 120 " + path);
    ASSERT_EQ(run.ExitCode, 0);
    const TShapeStats stats = ComputeShapeStats(*random, LastDraws(random->Count(), 120));
    ASSERT_EQ(run.Lines.size(), stats.Metrics.size() + 1);
    const std::vector<std::string> metricKeys = {"metric",  "categories", "count",   "expected",
                                                 "current", "max",        "average", "streak",
                                                 "chi2",    "df",         "p"};
    for (size_t m = 0; m < stats.Metrics.size(); ++m) {
        const std::string& line = run.Lines[m];
        const TShapeMetricStats& metric = stats.Metrics[m];
        SCOPED_TRACE(line);
        std::vector<std::string> keys;
        EXPECT_TRUE(ValidJson(line, keys));
        EXPECT_EQ(keys, metricKeys);
        EXPECT_EQ(line.find(std::string("{\"metric\": \"") + metric.Metric.Name() + "\""), 0u);
        EXPECT_EQ(JsonNumbers(line, "count"), AsDoubles(metric.Trend.Count));
        EXPECT_EQ(JsonNumbers(line, "expected"), metric.Expected);
        EXPECT_EQ(JsonNumbers(line, "current"), AsDoubles(metric.Trend.Current));
        EXPECT_EQ(JsonNumbers(line, "max"), AsDoubles(metric.Trend.MaxOmission));
        EXPECT_EQ(JsonNumbers(line, "average"), metric.Trend.Average);
        EXPECT_EQ(JsonNumbers(line, "streak"), AsDoubles(metric.Trend.Streak));
        const size_t p = line.find("\"p\": ");
        ASSERT_NE(p, std::string::npos);
        EXPECT_EQ(std::strtod(line.c_str() + p + 5, nullptr), metric.Fit.P);
        EXPECT_GT(metric.Fit.Df, 0);
    }
    EXPECT_NE(run.Lines[2].find("\"categories\": [\"0\", \"1\", "), std::string::npos);
    EXPECT_NE(run.Lines[3].find("\"categories\": [\"0:7\", \"1:6\", "), std::string::npos);
    EXPECT_EQ(run.Lines.back(), "{\"shape\": {\"draws\": 250, \"window\": 120}}");

    // One draw leaves nothing to test; --shape goes with no other mode and no search option.
    const std::string one = folder + "/one.txt";
    std::ofstream(one) << "1234567\n";
    const RunResult single = RunTool("--shape all " + one);
    ASSERT_EQ(single.ExitCode, 0);
    EXPECT_NE(single.Lines[0].find("\"df\": 0, \"p\": null}"), std::string::npos);
    for (const char* bad :
         {"--shape 0 ", "--shape x ", "--shape 5 --trend 5 ", "--shape 5 --backtest 3 ",
          "--shape 5 --quiet ", "--shape 5 --threads 2 "})
        EXPECT_EQ(RunTool(bad + path).ExitCode, 2) << bad;
}

}  // namespace

TEST_F(TolvaneSearchTool, ReduceCountsWritesTheBetsAndChecksTheConditionsAgainstTheDraws) {
    const std::string conditions = folder + "/conditions.txt";
    std::ofstream(conditions) << "# 第一位是5\n定位 A 5\n";
    const std::string bets = folder + "/bets.txt";
    RunResult run = RunTool("--reduce " + conditions + " --bets " + bets + " " + draws);
    ASSERT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Lines.size(), 1u);
    std::vector<std::string> keys;
    EXPECT_TRUE(ValidJson(run.Lines[0], keys)) << run.Lines[0];
    EXPECT_EQ(keys, (std::vector<std::string>{"kept", "share", "cost"}));
    EXPECT_EQ(NumberAfter(run.Lines[0], "kept"), 1'000'000);
    EXPECT_EQ(NumberAfter(run.Lines[0], "share"), 0.1);
    EXPECT_EQ(NumberAfter(run.Lines[0], "cost"), 2'000'000);
    std::ifstream written(bets);
    std::vector<std::string> lines;
    for (std::string line; std::getline(written, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1'000'000u);
    EXPECT_EQ(lines.front(), "5000000");
    EXPECT_EQ(lines[12345], "5012345");
    EXPECT_EQ(lines.back(), "5999999");

    // The check of the last 12 draws: s_t is whether draw t begins with 5, q_t is 0.1.
    run = RunTool("--reduce " + conditions + " --backtest 12 " + draws);
    ASSERT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Lines.size(), 14u);
    std::ifstream drawFile(draws);
    std::vector<std::string> drawLines;
    for (std::string line; drawFile >> line;) drawLines.push_back(line);
    ASSERT_EQ(drawLines.size(), 40u);
    int keptDraws = 0;
    for (int i = 0; i < 12; ++i) {
        const std::string& line = run.Lines[static_cast<size_t>(i + 1)];
        keys.clear();
        EXPECT_TRUE(ValidJson(line, keys)) << line;
        EXPECT_EQ(keys, (std::vector<std::string>{"row", "share", "kept"}));
        EXPECT_EQ(NumberAfter(line, "row"), 29 + i);
        EXPECT_EQ(NumberAfter(line, "share"), 0.1);
        const bool kept = drawLines[static_cast<size_t>(28 + i)][0] == '5';
        EXPECT_EQ(NumberAfter(line, "kept"), kept ? 1 : 0) << line;
        keptDraws += kept;
    }
    const std::string& last = run.Lines.back();
    keys.clear();
    EXPECT_TRUE(ValidJson(last, keys)) << last;
    EXPECT_EQ(keys, std::vector<std::string>{"reduce_check"});
    EXPECT_EQ(NumberAfter(last, "kept_draws"), keptDraws);
    EXPECT_NEAR(NumberAfter(last, "z"), (keptDraws - 1.2) / std::sqrt(12 * 0.1 * 0.9), 1e-9);
    // p: twice the smaller tail of Binomial(12, 0.1) at the kept count.
    double atMost = 0;
    double atLeast = 0;
    for (int k = 0; k <= 12; ++k) {
        const double chance =
            std::exp(std::lgamma(13.0) - std::lgamma(k + 1.0) - std::lgamma(13.0 - k) +
                     k * std::log(0.1) + (12 - k) * std::log(0.9));
        if (k <= keptDraws) atMost += chance;
        if (k >= keptDraws) atLeast += chance;
    }
    EXPECT_NEAR(NumberAfter(last, "p"), std::min(1.0, 2 * std::min(atMost, atLeast)), 1e-6);

    // A bad line is named, and conditions that keep nothing write no bets.
    std::ofstream(conditions) << "定位 A 5\n和值 9-3\n";
    auto [status, message] =
        RunForErrors(std::string(TOLVANE_SEARCH_PATH) + " --reduce " + conditions + " " + draws);
    EXPECT_EQ(status, 1);
    EXPECT_NE(message.find("第2行：和值的范围上下颠倒"), std::string::npos) << message;
    std::ofstream(conditions) << "定位 A 5\n和值 0\n";
    std::remove(bets.c_str());
    EXPECT_EQ(RunTool("--reduce " + conditions + " --bets " + bets + " " + draws).ExitCode, 1);
    EXPECT_FALSE(std::ifstream(bets).good());
}

// --check against a count of every bet of every ticket matched on its own, draw by draw.
TEST_F(TolvaneSearchTool, CheckCountsEveryTicketAgainstEveryDraw) {
    const std::vector<std::string> drawLines = RandomDrawLines(11, 300);
    const std::string checkDraws = folder + "/check-draws.txt";
    const std::string tickets = folder + "/tickets.txt";
    {
        std::ofstream out(checkDraws, std::ios::binary);
        for (const std::string& line : drawLines) out << line << "\n";
        out << drawLines[5].substr(0, 6) << (drawLines[5][6] == '9' ? '0' : '9') << "\n";
        std::ofstream list(tickets, std::ios::binary);
        list << "# 本周\n"
             << drawLines[5] << " x3\n12/3/456/7/8/9/0\n"
             << drawLines[7][0] << '/' << drawLines[7][1] << '/' << drawLines[7][2]
             << "/0123456789/1/2/3\n";
    }
    const int32_t draws = static_cast<int32_t>(drawLines.size()) + 1;
    const RunResult run = RunTool("--check " + tickets + " " + checkDraws);
    ASSERT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Lines.size(), 4u);
    std::vector<std::string> all = drawLines;
    all.push_back(drawLines[5].substr(0, 6) + (drawLines[5][6] == '9' ? '0' : '9'));
    // Bets of each ticket, written out.
    std::vector<std::vector<std::string>> bets(3);
    bets[0] = {drawLines[5]};
    for (char a : std::string("12"))
        for (char c : std::string("456"))
            bets[1].push_back(std::string{a, '3', c, '7', '8', '9', '0'});
    for (char d = '0'; d <= '9'; ++d) bets[2].push_back(drawLines[7].substr(0, 3) + d + "123");
    const int multiples[] = {3, 1, 1};
    const int amounts[] = {0, 0, 1800, 300, 20, 5};
    double totalPrize = 0, totalCost = 0;
    for (int t = 0; t < 3; ++t) {
        int64_t counts[6] = {};
        for (const std::string& bet : bets[t])
            for (const std::string& draw : all) {
                int best = 0, runLength = 0;
                for (int p = 0; p < 7; ++p) {
                    runLength = bet[p] == draw[p] ? runLength + 1 : 0;
                    best = std::max(best, runLength);
                }
                if (best >= 2) counts[7 - best] += multiples[t];
            }
        std::string tiers = "\"tiers\": [";
        double prize = 0;
        for (int i = 0; i < 6; ++i) {
            tiers += (i ? ", " : "") + std::to_string(counts[i]);
            prize += static_cast<double>(counts[i]) * amounts[i];
        }
        const std::string& line = run.Lines[t];
        EXPECT_NE(line.find(tiers + "]"), std::string::npos) << line;
        EXPECT_EQ(NumberAfter(line, "bets"), static_cast<double>(bets[t].size())) << line;
        EXPECT_EQ(NumberAfter(line, "prize"), prize) << line;
        const double cost = 2.0 * static_cast<double>(bets[t].size()) * multiples[t] * draws;
        EXPECT_EQ(NumberAfter(line, "cost"), cost) << line;
        totalPrize += prize;
        totalCost += cost;
    }
    EXPECT_NE(run.Lines[1].find("\"ticket\": \"12/3/456/7/8/9/0\""), std::string::npos);
    const std::string& summary = run.Lines[3];
    std::vector<std::string> keys;
    EXPECT_TRUE(ValidJson(summary, keys)) << summary;
    EXPECT_EQ(NumberAfter(summary, "tickets"), 3);
    EXPECT_EQ(NumberAfter(summary, "draws"), draws);
    EXPECT_EQ(NumberAfter(summary, "prize"), totalPrize);
    EXPECT_EQ(NumberAfter(summary, "net"), totalPrize - totalCost);
    EXPECT_DOUBLE_EQ(NumberAfter(summary, "return"), totalPrize / totalCost);
    // Exact odds of the top and bottom tiers: 1 and 2*9*(...) draws of 10^7 (independent sums).
    EXPECT_NE(summary.find("\"odds\": [1e-07, "), std::string::npos) << summary;

    // Every one of the 10^7 bets against any draw: the return is the expected one exactly.
    const std::string wheel =
        "0123456789/0123456789/0123456789/0123456789/0123456789/"
        "0123456789/0123456789";
    {
        std::ofstream list(tickets, std::ios::binary);
        list << wheel << " x3\n";
    }
    const RunResult everyBet = RunTool("--check " + tickets + " " + checkDraws);
    ASSERT_EQ(everyBet.ExitCode, 0);
    EXPECT_EQ(NumberAfter(everyBet.Lines.back(), "return"),
              NumberAfter(everyBet.Lines.back(), "expected_return"));
    EXPECT_NE(everyBet.Lines.back().find("\"expected_return\": 0.24180075"), std::string::npos);
    // So many of them that the money could not be counted: refused.
    {
        std::ofstream list(tickets, std::ios::binary);
        for (int i = 0; i < 20000; ++i) list << wheel << " x99\n";
    }
    EXPECT_EQ(RunTool("--check " + tickets + " " + checkDraws).ExitCode, 1);

    // A bad ticket line is named on stderr with status 1; arguments in conflict give status 2.
    {
        std::ofstream list(tickets, std::ios::binary);
        list << "1234567\n12/3/456/7/8/9\n";
    }
    const auto [status, errors] =
        RunForErrors(std::string(TOLVANE_SEARCH_PATH) + " --check " + tickets + " " + checkDraws);
    EXPECT_EQ(status, 1);
    EXPECT_NE(errors.find("tickets.txt:2:"), std::string::npos) << errors;
    EXPECT_EQ(RunTool("--check " + tickets + " --trend 5 " + checkDraws).ExitCode, 2);
    EXPECT_EQ(RunTool("--check " + tickets + " --threads 2 " + checkDraws).ExitCode, 2);
    EXPECT_EQ(RunTool("--rules " + tickets + " " + checkDraws).ExitCode, 2);
    EXPECT_EQ(RunTool("--check " + tickets).ExitCode, 2);
}

// Each earlier form of the command line prints what the command it names prints, with the same
// exit status; every command answers --help; a mode or option given twice is refused.
TEST_F(TolvaneSearchTool, EarlierOptionsAreTheirCommandsAndEachCommandHasItsHelp) {
    const std::string conditions = folder + "/conditions.txt";
    std::ofstream(conditions) << "定位 A 5\n";
    const std::string tickets = folder + "/tickets.txt";
    std::ofstream(tickets) << "1234567 x3\n12/3/456/7/8/9/0\n";
    const std::vector<std::pair<std::string, std::string>> forms = {
        {Small + draws, "search " + Small + draws},
        {Small + "--quiet --max-patterns 2 " + draws,
         "search --max-patterns=2 --quiet " + Small + draws},
        {Small + "--set SecCountSe=3 --backtest 3 " + draws,
         "backtest 3 " + Small + "--set SecCountSe=3 " + draws},
        {"--trend 4 " + draws, "trend 4 " + draws},
        {"--trend=all " + draws, "trend all " + draws},
        {"--shape 20 " + draws, "shape 20 " + draws},
        {"--reduce " + conditions + " --backtest 5 " + draws,
         "reduce " + conditions + " " + draws + " --backtest 5"},
        {"--check " + tickets + " " + draws, "check " + tickets + " " + draws},
        {"--trend 0 " + draws, "trend 0 " + draws},
        {"--shape 5 --threads 2 " + draws, "shape 5 --threads 2 " + draws},
        {"--reduce " + conditions + " --document x " + draws,
         "reduce " + conditions + " --document x " + draws},
        {"--check " + folder + "/missing.txt " + draws,
         "check " + folder + "/missing.txt " + draws},
    };
    for (const auto& [earlier, command] : forms) {
        SCOPED_TRACE(earlier);
        RunResult before = RunTool(earlier), after = RunTool(command);
        for (RunResult* run : {&before, &after})
            for (std::string& line : run->Lines) line = WithoutTimings(line);
        EXPECT_EQ(before.ExitCode, after.ExitCode);
        EXPECT_EQ(before.Lines, after.Lines);
        EXPECT_TRUE(before.ExitCode != 0 || !before.Lines.empty());
    }

    for (const char* name : {"search", "backtest", "trend", "shape", "reduce", "check"}) {
        const RunResult help = RunTool(std::string(name) + " --help");
        EXPECT_EQ(help.ExitCode, 0) << name;
        ASSERT_FALSE(help.Lines.empty());
        EXPECT_EQ(help.Lines[0].find(std::string("usage: tolvane-search ") + name + " "), 0u);
        EXPECT_EQ(help.Lines.back(), "  --help             show this text");
    }
    for (const std::string& twice :
         {"--reduce " + conditions + " --reduce " + conditions + " " + draws,
          "--trend 5 --trend 6 " + draws, "search --threads 2 --threads 3 " + draws,
          "trend 5 --bets x " + draws})
        EXPECT_EQ(RunTool(twice).ExitCode, 2) << twice;
}

namespace {

// The tool in a forked child, its address space limited to limit bytes (0: no limit), its
// error output in errorsPath; with interruptAfter, Ctrl+C (SIGINT) after that span. Returns the
// wait status, or -1 when the child was still running 60 s after the start (it is killed).
int RunChild(const std::vector<std::string>& arguments, const std::string& errorsPath,
             rlim_t limit = 0,
             std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(0)) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (limit > 0) {
            const rlimit space{limit, limit};
            ::setrlimit(RLIMIT_AS, &space);
        }
        const int errors = ::open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nothing = ::open("/dev/null", O_WRONLY);
        ::dup2(errors, 2);
        ::dup2(nothing, 1);
        std::vector<char*> argv{const_cast<char*>(TOLVANE_SEARCH_PATH)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(TOLVANE_SEARCH_PATH, argv.data());
        ::_exit(127);
    }
    if (interruptAfter.count() > 0) {
        std::this_thread::sleep_for(interruptAfter);
        ::kill(child, SIGINT);
    }
    int status = 0;
    for (int tenths = 0; tenths < 600; ++tenths) {
        if (::waitpid(child, &status, WNOHANG) == child) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return -1;
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
#endif

}  // namespace

// Tens of thousands of conditions take minutes to prepare: Ctrl+C stops the preparing too. A
// file without conditions is refused.
TEST_F(TolvaneSearchTool, ReduceStopsOnCtrlCWhilePreparingAndRefusesAnEmptyConditionsFile) {
    const std::string conditions = folder + "/conditions.txt";
    {
        std::ofstream out(conditions);
        for (int i = 0; i < 20'000; ++i)
            out << "和值 " << i % 10 << "-" << 50 + i % 13 << "\n跨度 " << i % 3 << "-9\n";
        out << "容错 39999\n";
    }
    const std::string errors = folder + "/errors.txt";
    const int status =
        RunChild({"reduce", conditions, draws}, errors, 0, std::chrono::milliseconds(2000));
    ASSERT_NE(status, -1) << "still running long after Ctrl+C";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;

    std::ofstream(conditions) << "# 空的\n\n";
    const auto [emptyStatus, message] =
        RunForErrors(std::string(TOLVANE_SEARCH_PATH) + " reduce " + conditions + " " + draws);
    EXPECT_EQ(emptyStatus, 1);
    EXPECT_NE(message.find("没有条件"), std::string::npos) << message;
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// Under a shrinking limit of memory the tool ends with a message and status 1, never an abort
// (no "terminate called", no signal), whether a thread or an allocation is refused.
TEST_F(TolvaneSearchTool, OutOfMemoryEndsWithAMessageAndStatusOne) {
    const std::string conditions = folder + "/conditions.txt";
    std::ofstream(conditions) << "和值 20-35\n";
    const std::string errors = folder + "/errors.txt";
    bool toldOutOfMemory = false;
    for (rlim_t megabytes = 64; megabytes <= 1024; megabytes += 16) {
        SCOPED_TRACE(megabytes);
        const int status = RunChild(
            {"reduce", conditions, "--bets", folder + "/bets.txt", "--threads", "4", draws}, errors,
            megabytes << 20);
        const std::string said = FileText(errors);
        ASSERT_TRUE(WIFEXITED(status)) << status << " " << said;
        EXPECT_EQ(said.find("terminate"), std::string::npos) << said;
        const int code = WEXITSTATUS(status);
        if (code == 127) continue;  // the loader could not map the libraries
        if (code == 0) break;
        EXPECT_EQ(code, 1) << said;
        toldOutOfMemory = toldOutOfMemory || said.find("内存不足") != std::string::npos;
    }
    EXPECT_TRUE(toldOutOfMemory);
}
#endif
