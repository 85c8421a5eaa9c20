// tolvane-search: runs one pattern search over a draw text file and prints every pattern found
// as one JSON object per line, then a summary line.
#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "data/DrawImport.h"
#include "data/DrawTable.h"
#include "data/DrawText.h"
#include "data/Error.h"
#include "data/FileIo.h"
#include "data/IniFile.h"
#include "data/Platform.h"
#include "data/ProgramIdentity.h"
#include "search/Backtest.h"
#include "search/BacktestVerdict.h"
#include "search/Gui2Reg.h"
#include "search/OptionRules.h"
#include "search/OptionsIni.h"
#include "search/PatternBudget.h"
#include "search/PatternColumns.h"
#include "search/SearchEngine.h"
#include "search/WorkDocument.h"
#include "tickets/GameRules.h"
#include "tickets/Ticket.h"
#include "tickets/TicketCheck.h"
#include "tools/CheckReport.h"
#include "tools/ReduceReport.h"
#include "tools/ShapeReport.h"
#include "tools/ToolPictures.h"
#include "tools/TrendReport.h"

namespace {

constexpr int ExitOk = 0;
constexpr int ExitBadInput = 1;
constexpr int ExitUsage = 2;
constexpr int ExitInterrupted = 130;

constexpr char Usage[] =
    "usage: tolvane-search [options] DRAWS.txt\n"
    "       tolvane-search --trend N DRAWS.txt\n"
    "       tolvane-search --shape N DRAWS.txt\n"
    "       tolvane-search --reduce CONDITIONS DRAWS.txt [--bets FILE] [--backtest W]\n"
    "       tolvane-search --check TICKETS.txt [--rules FILE] DRAWS.txt\n"
    "\n"
    "Searches the draws of DRAWS.txt for patterns and prints one JSON object per pattern,\n"
    "then a summary line. DRAWS.txt is a draw text file (one draw of seven digits per line,\n"
    "oldest first) or a table as results sites give it (comma, semicolon, tab, \"|\" or\n"
    "blanks between the fields; the draw as one field or seven, issue numbers, dates, header\n"
    "lines, newest first). A line that cannot be read stops the tool with exit status 1.\n"
    "\n"
    "options:\n"
    "  --ini FILE         read the search options from an INI file (section TGui2Options)\n"
    "  --set KEY=VALUE    set one option by its INI key, after --ini (repeatable)\n"
    "  --threads N        search threads (default: every core)\n"
    "  --seed N           seed of the random result digit (default 1)\n"
    "  --document FILE    also write a work document with the draws and the patterns\n"
    "  --gif-dir DIR      write GIF pictures of chosen patterns into DIR (with --gif)\n"
    "  --gif N[,N...]     the patterns to picture, by 1-based position in found order;\n"
    "                     painted with the display options of --ini, or the defaults\n"
    "  --backtest W       score the search against the last W draws instead: for each of\n"
    "                     them, search the draws before it and count how many patterns\n"
    "                     hit; one JSON line per draw, then the verdict (W or 'all')\n"
    "  --max-patterns N   stop the search after N patterns (status 1, after the summary);\n"
    "                     with --document a share of the memory is the default limit;\n"
    "                     with --backtest the limit of each draw's search\n"
    "  --quiet            print only the summary line\n"
    "  --trend N          no search: print the omission statistics of the last N draws\n"
    "                     (N a positive number or 'all') per position, then a trend line\n"
    "  --shape N          no search: print the shape metrics of the last N draws (sum,\n"
    "                     span, ratios, roads, AC, repeats...) with their omission\n"
    "                     statistics, the counts chance expects and the chi-square fit,\n"
    "                     one line per metric, then a shape line\n"
    "  --reduce FILE      no pattern list: apply the conditions of FILE (one a line, such\n"
    "                     as '定位 A 123', '杀号 * 09', '胆码 7 2', '和值 20-35',\n"
    "                     '奇偶比 3,4', '规律 2', '容错 1') to the coming draw and print\n"
    "                     the bets kept, their share and cost; 规律 takes the patterns\n"
    "                     the search of DRAWS.txt with the options finds\n"
    "  --bets FILE        with --reduce: write the kept bets, one per line, ascending\n"
    "                     (with --backtest: check the conditions against the last W\n"
    "                     draws, one line per draw, then the verdict)\n"
    "  --check TICKETS    no search: check every ticket of TICKETS (one a line: 1234567,\n"
    "                     or seven digit sets such as 12/3/456/7/8/9/0, optionally x5\n"
    "                     for a multiple) against every draw; one JSON line per ticket\n"
    "                     with its tier counts, prize and cost, then a check line with\n"
    "                     the totals, the return and the return expected at the exact\n"
    "                     odds; a ticket line that cannot be read gives exit status 1\n"
    "  --rules FILE       with --check: the game rules file (default: the built-in one;\n"
    "                     its first game)\n"
    "  --help             show this text\n"
    "  --version          show the version\n";

// Messages meant for a message box break lines with CR LF; a terminal line joins them.
std::string OneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
}

struct UsageError {
    std::string Message;
};

struct ToolArguments {
    std::string DrawsPath;
    std::optional<std::string> IniPath;
    std::vector<std::string> Sets;
    int Threads = 0;
    uint64_t Seed = 1;
    std::optional<std::string> DocumentPath;
    bool Quiet = false;
    bool Help = false;
    bool Version = false;
    std::optional<std::string> GifDir;
    std::vector<int64_t> GifPositions;    // ascending
    std::optional<int32_t> TrendWindow;   // 0: every draw
    std::optional<int32_t> ShapeWindow;   // 0: every draw
    std::optional<int32_t> BacktestRows;  // with "all", the largest number
    std::optional<int64_t> MaxPatterns;
    std::optional<std::string> ReducePath;
    std::optional<std::string> BetsPath;
    std::optional<std::string> CheckTickets;
    std::optional<std::string> RulesPath;
};

constexpr int MaxThreads = 256;

template <typename T>
T ParseNumber(std::string_view text, std::string_view option, T low) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low)
        throw UsageError{std::string(option) + " needs a number, not '" + std::string(text) + "'"};
    return value;
}

// Each option names whether it takes a value; "--name VALUE" and "--name=VALUE" both work.
ToolArguments ParseArguments(int argc, char** argv) {
    ToolArguments args;
    struct OptionRule {
        const char* Name;
        bool TakesValue;
        std::function<void(std::string_view)> Apply;
    };
    const std::vector<OptionRule> rules = {
        {"--ini", true, [&](std::string_view v) { args.IniPath = std::string(v); }},
        {"--set", true, [&](std::string_view v) { args.Sets.emplace_back(v); }},
        {"--threads", true,
         [&](std::string_view v) {
             args.Threads = ParseNumber<int>(v, "--threads", 1);
             // More threads than any machine has cores only exhausts the system.
             if (args.Threads > MaxThreads)
                 throw UsageError{"--threads takes at most " + std::to_string(MaxThreads)};
         }},
        {"--seed", true,
         [&](std::string_view v) { args.Seed = ParseNumber<uint64_t>(v, "--seed", 0); }},
        {"--document", true, [&](std::string_view v) { args.DocumentPath = std::string(v); }},
        {"--gif-dir", true, [&](std::string_view v) { args.GifDir = std::string(v); }},
        {"--gif", true,
         [&](std::string_view v) {
             std::string error;
             if (!ParsePicturePositions(v, args.GifPositions, error)) throw UsageError{error};
         }},
        {"--backtest", true,
         [&](std::string_view v) {
             args.BacktestRows = v == "all" ? INT32_MAX : ParseNumber<int32_t>(v, "--backtest", 1);
         }},
        {"--quiet", false, [&](std::string_view) { args.Quiet = true; }},
        {"--max-patterns", true,
         [&](std::string_view v) {
             args.MaxPatterns = ParseNumber<int64_t>(v, "--max-patterns", 1);
         }},
        {"--trend", true,
         [&](std::string_view v) {
             args.TrendWindow = v == "all" ? 0 : ParseNumber<int32_t>(v, "--trend", 1);
         }},
        {"--shape", true,
         [&](std::string_view v) {
             args.ShapeWindow = v == "all" ? 0 : ParseNumber<int32_t>(v, "--shape", 1);
         }},
        {"--reduce", true, [&](std::string_view v) { args.ReducePath = std::string(v); }},
        {"--bets", true, [&](std::string_view v) { args.BetsPath = std::string(v); }},
        {"--check", true, [&](std::string_view v) { args.CheckTickets = std::string(v); }},
        {"--rules", true, [&](std::string_view v) { args.RulesPath = std::string(v); }},
        {"--help", false, [&](std::string_view) { args.Help = true; }},
        {"--version", false, [&](std::string_view) { args.Version = true; }},
    };
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            for (++i; i < argc; ++i) positional.emplace_back(argv[i]);
            break;
        }
        if (arg.size() < 2 || arg.substr(0, 2) != "--") {
            positional.emplace_back(arg);
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const OptionRule* rule = nullptr;
        for (const auto& s : rules)
            if (name == s.Name) rule = &s;
        if (rule == nullptr) throw UsageError{"unknown option " + std::string(name)};
        if (!rule->TakesValue) {
            if (equals != std::string_view::npos)
                throw UsageError{std::string(name) + " takes no value"};
            rule->Apply({});
            continue;
        }
        if (equals != std::string_view::npos) {
            rule->Apply(arg.substr(equals + 1));
        } else {
            if (i + 1 >= argc) throw UsageError{std::string(name) + " needs a value"};
            rule->Apply(argv[++i]);
        }
    }
    if (args.Help || args.Version) return args;
    if (positional.size() != 1) throw UsageError{"give exactly one draw file"};
    if (args.GifDir.has_value() != !args.GifPositions.empty())
        throw UsageError{"--gif-dir and --gif go together"};
    // The modes other than the search: at most one of them.
    const std::vector<std::pair<const char*, bool>> modes = {
        {"--trend", args.TrendWindow.has_value()},
        {"--backtest", args.BacktestRows.has_value() && !args.ReducePath},
        {"--reduce", args.ReducePath.has_value()},
        {"--check", args.CheckTickets.has_value()},
    };
    std::string chosen;
    for (const auto& [name, given] : modes) {
        if (!given) continue;
        if (!chosen.empty())
            throw UsageError{chosen + " and " + name + " are different modes; give one of them"};
        chosen = name;
    }
    if (args.BetsPath && !args.ReducePath) throw UsageError{"--bets goes with --reduce"};
    if (args.ReducePath && (args.ShapeWindow || args.GifDir || args.DocumentPath))
        throw UsageError{"--reduce writes no document and no pictures, and goes without --shape"};
    if (args.BacktestRows && (args.GifDir || args.DocumentPath))
        throw UsageError{"--backtest writes no document and no pictures"};
    if (args.GifDir && !ToolCanPaintPictures())
        throw UsageError{"this build cannot paint pictures (built without Qt)"};
    if (args.TrendWindow && (args.IniPath || !args.Sets.empty() || args.Threads != 0 ||
                             args.DocumentPath || args.GifDir || args.Quiet))
        throw UsageError{"--trend runs no search and takes no search options"};
    if (args.ShapeWindow && (args.TrendWindow || args.BacktestRows))
        throw UsageError{"--shape goes with neither --trend nor --backtest"};
    if (args.ShapeWindow && (args.IniPath || !args.Sets.empty() || args.Threads != 0 ||
                             args.DocumentPath || args.GifDir || args.Quiet))
        throw UsageError{"--shape runs no search and takes no search options"};
    if (args.CheckTickets && args.ShapeWindow)
        throw UsageError{"--shape and --check are different modes; give one of them"};
    if (args.CheckTickets && (args.IniPath || !args.Sets.empty() || args.Threads != 0 ||
                              args.DocumentPath || args.GifDir || args.Quiet || args.MaxPatterns))
        throw UsageError{"--check runs no search and takes no search options"};
    if (args.RulesPath && !args.CheckTickets) throw UsageError{"--rules goes with --check"};
    args.DrawsPath = positional.front();
    return args;
}

SearchOptions BuildOptions(const ToolArguments& args) {
    SearchOptions options;
    if (args.IniPath) {
        TIniFile ini;
        try {
            ini = TIniFile::Parse([&] {
                const auto bytes = ReadWholeFile(*args.IniPath);
                return std::string(bytes.begin(), bytes.end());
            }());
        } catch (const TError& e) {
            throw UsageError{OneLine(e.what())};
        }
        ReadSearchOptions(ini, options);
        ApplyStartupAdjustments(options);
    }
    for (const std::string& set : args.Sets) {
        const size_t equals = set.find('=');
        if (equals == std::string::npos)
            throw UsageError{"--set needs KEY=VALUE, not '" + set + "'"};
        if (!SetOptionByKey(options, std::string_view(set).substr(0, equals),
                            std::string_view(set).substr(equals + 1)))
            throw UsageError{"--set " + set + ": unknown key or a value that is not an integer"};
    }
    return options;
}

// Appends JSON text to a reusable buffer.
class JsonWriter {
  public:
    std::string& Text() { return text_; }
    void Raw(std::string_view s) { text_ += s; }
    void Int(int64_t v) {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
        text_.append(buffer, static_cast<size_t>(result.ptr - buffer));
    }
    void String(std::string_view s) {
        text_ += '"';
        for (char c : s) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                text_ += '\\';
                text_ += c;
            } else if (u < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
                text_ += buffer;
            } else {
                text_ += c;
            }
        }
        text_ += '"';
    }
    void Number(double v) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.6f", v);
        text_ += buffer;
    }
    void Points(const TPointList& line) {
        text_ += '[';
        for (int32_t i = 0; i < line.Count(); ++i) {
            if (i > 0) text_ += ',';
            text_ += '[';
            Int(line.Items()[i].X);
            text_ += ',';
            Int(line.Items()[i].Y);
            text_ += ']';
        }
        text_ += ']';
    }

  private:
    std::string text_;
};

void WritePattern(JsonWriter& json, const TGui2Reg& reg) {
    json.Raw("{\"layout\":");
    json.Int(reg.Layout);
    json.Raw(",\"contrast\":");
    json.Int(reg.ContrastKind);
    json.Raw(",\"steps\":");
    json.Int(reg.StepTotal);
    json.Raw(",\"base\":");
    json.Int(reg.BaseRow);
    json.Raw(",\"low\":");
    json.Points(reg.Line(0));
    json.Raw(",\"high\":");
    json.Points(reg.Line(1));
    json.Raw(",\"sums\":[");
    for (size_t i = 0; i < reg.StepSums.size(); ++i) {
        if (i > 0) json.Raw(",");
        json.Int(reg.StepSums[i]);
    }
    json.Raw("],\"results\":[");
    json.Int(reg.GetResult(0));
    json.Raw(",");
    json.Int(reg.GetResult(1));
    json.Raw("],\"positions\":[");
    for (int32_t l = 0; l < TGui2Reg::LineCount; ++l) {
        json.Raw(l == 0 ? "[" : ",[");
        for (int32_t c = 0; c < 8; ++c) {
            if (c > 0) json.Raw(",");
            json.Int(reg.GetPosition(l, c) ? 1 : 0);
        }
        json.Raw("]");
    }
    json.Raw("],\"columns\":[");
    for (int column = 0; column < PatternColumnCount; ++column) {
        if (column > 0) json.Raw(",");
        json.String(PatternColumnText(reg, column));
    }
    json.Raw("]}\n");
}

// Prints the patterns of each piece of the walk when the piece ends and frees them, unless the
// document needs them later; the time spent writing is counted apart from the search's.
// Set by Ctrl+C and by the pattern limit; the search ends at its next look.
std::atomic<bool> StopRequested{false};

class PrintingSink : public ISearchSink {
  public:
    PrintingSink(bool quiet, bool keep, std::vector<int64_t> pictured, int64_t limit)
        : quiet_(quiet), keep_(keep), pictured_(std::move(pictured)), limit_(limit) {}

    void Progress(int64_t) override {}
    void Found(std::unique_ptr<TGui2Reg> pattern, int64_t) override {
        if (found_ >= limit_) {
            // Past the limit the search stops; the patterns found so far stand.
            LimitReached = true;
            StopRequested.store(true);
            return;
        }
        ++found_;
        // Copies of the patterns to picture; positions are ascending.
        if (nextPictured_ < pictured_.size() && pictured_[nextPictured_] == found_) {
            ++nextPictured_;
            auto copy = std::make_unique<TGui2Reg>();
            copy->Assign(*pattern);
            Pictured.push_back(std::move(copy));
        }
        if (!quiet_ || keep_) pending_.push_back(std::move(pattern));
    }
    void BatchEnd() override { Flush(); }

    // Writes and hands on the patterns of the piece; also called once the search has ended.
    void Flush() {
        if (!quiet_ && !pending_.empty()) {
            const auto started = std::chrono::steady_clock::now();
            for (const auto& pattern : pending_) {
                json_.Text().clear();
                WritePattern(json_, *pattern);
                std::fwrite(json_.Text().data(), 1, json_.Text().size(), stdout);
            }
            OutputSeconds +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        }
        if (keep_)
            for (auto& pattern : pending_) Kept.push_back(std::move(pattern));
        pending_.clear();
    }

    std::vector<std::unique_ptr<TGui2Reg>> Kept;
    std::vector<std::unique_ptr<TGui2Reg>> Pictured;
    bool LimitReached = false;
    double OutputSeconds = 0;

  private:
    bool quiet_;
    bool keep_;
    std::vector<int64_t> pictured_;
    int64_t limit_;
    size_t nextPictured_ = 0;
    int64_t found_ = 0;
    std::vector<std::unique_ptr<TGui2Reg>> pending_;
    JsonWriter json_;
};

void WriteCounts(JsonWriter& json, const TBacktestCounts& counts) {
    json.Raw("\"patterns\":");
    json.Int(counts.Patterns);
    json.Raw(",\"hits\":");
    json.Int(counts.Hits);
    json.Raw(",\"chance\":");
    json.Number(counts.Chance);
}

void OptionalNumber(JsonWriter& json, const std::optional<double>& value) {
    if (value)
        json.Number(*value);
    else
        json.Raw("null");
}

// "z" is the t statistic judged, of the per-draw differences with their skewness removed (the
// key of earlier versions is kept); "t_plain" the t before that correction.
void WriteVerdict(JsonWriter& json, const TBacktestLine& line) {
    json.Raw(",\"z\":");
    OptionalNumber(json, line.T.T);
    json.Raw(",\"t_plain\":");
    OptionalNumber(json, line.T.PlainT);
    json.Raw(",\"m\":");
    json.Int(line.T.Rows);
    json.Raw(",\"mean_hit\":");
    json.Number(line.T.MeanHit);
    json.Raw(",\"mean_chance\":");
    json.Number(line.T.MeanChance);
    json.Raw(",\"no_t\":");
    switch (line.T.NoT) {
        case TNoTReason::None:
            json.Raw("null");
            break;
        case TNoTReason::TooFewDraws:
            json.String("too_few_draws");
            break;
        case TNoTReason::NoSpread:
            json.String("no_spread");
            break;
    }
    json.Raw(",\"p\":");
    OptionalNumber(json, line.T.P);
    json.Raw(",\"critical\":");
    OptionalNumber(json, line.T.Critical);
    json.Raw(",\"verdict\":");
    if (line.Verdict == TBacktestVerdict::Empty)
        json.Raw("null");
    else
        json.String(line.VerdictText());
}

// The table's rows: the overall line, then the groups.
std::string BacktestSummaryLine(const TBacktestSummary& summary) {
    const std::vector<TBacktestTableRow> table = BacktestTable(summary);
    JsonWriter json;
    json.Raw("{\"backtest\":{\"rows\":");
    json.Int(summary.Rows);
    json.Raw(",");
    WriteCounts(json, table.front().Line->Counts);
    WriteVerdict(json, *table.front().Line);
    json.Raw(",\"tested_groups\":");
    json.Int(summary.TestedGroups);
    json.Raw(",\"groups\":[");
    for (size_t i = 1; i < table.size(); ++i) {
        const TBacktestLine& line = *table[i].Line;
        json.Raw(i == 1 ? "{\"dimension\":" : ",{\"dimension\":");
        json.String(table[i].Dimension);
        json.Raw(",\"name\":");
        json.String(line.Name);
        json.Raw(",");
        WriteCounts(json, line.Counts);
        json.Raw(",\"hit_rate\":");
        json.Number(line.HitRate());
        json.Raw(",\"chance_rate\":");
        json.Number(line.ChanceRate());
        json.Raw(",\"difference\":");
        json.Number(line.Difference());
        WriteVerdict(json, line);
        json.Raw("}");
    }
    json.Raw("]}}\n");
    return json.Text();
}

// Prints one line per scored row, in row order.
class PrintingBacktestSink : public IBacktestSink {
  public:
    explicit PrintingBacktestSink(bool quiet) : quiet_(quiet) {}
    void RowStarted(int32_t) override {}
    void RowScored(const TBacktestRow& row, int32_t, int32_t) override {
        if (quiet_) return;
        json_.Text().clear();
        json_.Raw("{\"row\":");
        json_.Int(row.Row);
        json_.Raw(",");
        WriteCounts(json_, row.Total);
        json_.Raw("}\n");
        std::fwrite(json_.Text().data(), 1, json_.Text().size(), stdout);
    }

  private:
    bool quiet_;
    JsonWriter json_;
};

// --check: the tickets and the rules are read before anything is printed.
int RunCheck(const ToolArguments& args, const TCodes& draws) {
    TGameRules rules = DefaultGameRules();
    try {
        if (args.RulesPath) {
            const std::vector<uint8_t> bytes = ReadWholeFile(*args.RulesPath, 1 << 20);
            rules = ReadGameRules(
                        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))
                        .front();
        }
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s: %s\n", args.RulesPath->c_str(), e.what());
        return ExitUsage;
    }
    TTicketReading reading;
    try {
        const std::vector<uint8_t> bytes = ReadWholeFile(*args.CheckTickets, MaxDrawFileBytes);
        reading = ReadTicketLines(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s\n", OneLine(e.what()).c_str());
        return ExitBadInput;
    }
    if (!reading.Faults.empty()) {
        for (const TTicketLineFault& fault : reading.Faults)
            std::fprintf(stderr, "tolvane-search: %s:%d: %s\n", args.CheckTickets->c_str(),
                         fault.Line, fault.Message.c_str());
        return ExitBadInput;
    }
    // Money past 2^63 has no meaning here: such a list is refused rather than miscounted.
    double money = 0;
    int64_t largest = rules.Price;
    for (const TPrizeTier& tier : rules.Tiers) largest = std::max(largest, tier.Amount);
    for (const TTicket& ticket : reading.Tickets)
        money += static_cast<double>(ticket.Bets()) * ticket.Multiple * draws.Count() * largest;
    if (money > 1e18) {
        std::fprintf(stderr, "tolvane-search: %s: the tickets stand for too many bets to count\n",
                     args.CheckTickets->c_str());
        return ExitBadInput;
    }
    const std::string report = CheckReportJson(reading.Tickets, rules, DrawMasksOf(draws));
    if (std::fwrite(report.data(), 1, report.size(), stdout) != report.size() ||
        std::fflush(stdout) != 0) {
        std::perror("tolvane-search: writing the output");
        return ExitBadInput;
    }
    return ExitOk;
}

extern "C" void OnInterrupt(int) {
    StopRequested.store(true);
}

int Run(int argc, char** argv) {
    ToolArguments args;
    SearchOptions options;
    try {
        args = ParseArguments(argc, argv);
        if (args.Help) {
            std::fputs(Usage, stdout);
            return ExitOk;
        }
        if (args.Version) {
            std::printf("tolvane-search %s\n", ReleaseVersion);
            return ExitOk;
        }
        options = BuildOptions(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "tolvane-search: %s\n\n%s", e.Message.c_str(), Usage);
        return ExitUsage;
    }

    TCodes draws;
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(args.DrawsPath, MaxDrawFileBytes);
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s\n", OneLine(e.what()).c_str());
        return ExitBadInput;
    }
    try {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        const TDrawFileReading reading = ReadDrawFile(text);
        // A negative number of the plain form has no digits to give.
        for (const TDrawFileRow& row : reading.Rows)
            if (row.Number < 0) throw TDrawLineError("'-' is not a valid integer value", row.Line);
        LoadDrawNumbersInto(reading.Numbers(), draws);
    } catch (const TDrawLineError& e) {
        std::fprintf(stderr, "tolvane-search: %s:%d: %s\n", args.DrawsPath.c_str(), e.Line,
                     e.what());
        return ExitBadInput;
    } catch (const TUndecidedDrawsError& e) {
        std::fprintf(stderr, "tolvane-search: %s: %s%s\n", args.DrawsPath.c_str(), e.what(),
                     UndecidedDrawsHint);
        return ExitBadInput;
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s: %s\n", args.DrawsPath.c_str(), e.what());
        return ExitBadInput;
    }
    bytes = {};

    if (args.CheckTickets) return RunCheck(args, draws);

    if (args.TrendWindow || args.ShapeWindow) {
        const std::string report = args.ShapeWindow ? ShapeReportJson(draws, *args.ShapeWindow)
                                                    : TrendReportJson(draws, *args.TrendWindow);
        if (std::fwrite(report.data(), 1, report.size(), stdout) != report.size() ||
            std::fflush(stdout) != 0) {
            std::perror("tolvane-search: writing the output");
            return ExitBadInput;
        }
        return ExitOk;
    }

    static char outputBuffer[1 << 20];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);

    // The options are refused as 搜索 refuses them, before any search or backtest.
    if (const std::string problems = SearchOptionMessage(options); !problems.empty()) {
        std::fprintf(stderr, "tolvane-search: the options cannot be searched: %s\n",
                     OneLine(problems).c_str());
        return ExitUsage;
    }

    if (args.ReducePath) {
        TReduceToolRequest reduce;
        reduce.ConditionsPath = *args.ReducePath;
        reduce.BetsPath = args.BetsPath;
        reduce.CheckRows = args.BacktestRows;
        reduce.Options = options;
        reduce.Threads = args.Threads;
        reduce.Seed = args.Seed;
        reduce.Quiet = args.Quiet;
        const int status = RunReduceTool(draws, reduce, StopRequested, stdout, stderr);
        if (std::fflush(stdout) != 0) {
            std::perror("tolvane-search: writing the output");
            return ExitBadInput;
        }
        return status;
    }

    if (args.BacktestRows) {
        TBacktestRequest backtest;
        backtest.Options = options;
        backtest.Draws = &draws;
        backtest.Rows = *args.BacktestRows;
        if (args.Threads > 0) backtest.Workers = args.Threads;
        backtest.Seed = args.Seed;
        if (args.MaxPatterns) backtest.MaxPatterns = *args.MaxPatterns;
        PrintingBacktestSink printing(args.Quiet);
        TBacktestOutcome outcome;
        try {
            outcome = RunBacktest(backtest, printing, StopRequested);
        } catch (const TError& e) {
            std::fflush(stdout);
            std::fprintf(stderr, "tolvane-search: the options cannot be searched: %s\n",
                         OneLine(e.what()).c_str());
            return ExitUsage;
        } catch (const std::exception& e) {  // out of memory or threads: never an abort
            std::fflush(stdout);
            std::fprintf(stderr, "tolvane-search: the backtest failed: %s\n", e.what());
            return ExitBadInput;
        }
        std::fputs(BacktestSummaryLine(SummarizeBacktest(outcome.Rows, options.SecCountSe)).c_str(),
                   stdout);
        if (std::fflush(stdout) != 0) {
            std::perror("tolvane-search: writing the output");
            return ExitBadInput;
        }
        if (outcome.LimitRow > 0) {
            std::fprintf(stderr, "tolvane-search: the search of draw %d: %s\n", outcome.LimitRow,
                         PatternBudgetText(*args.MaxPatterns).c_str());
            return ExitBadInput;
        }
        return StopRequested.load() ? ExitInterrupted : ExitOk;
    }

    TSearchRequest request;
    request.Options = options;
    request.Draws = &draws;
    request.Threads = args.Threads;
    request.Seed = args.Seed;
    const int64_t limit = args.MaxPatterns    ? *args.MaxPatterns
                          : args.DocumentPath ? PatternBudget(options.MaxPatterns)
                                              : INT64_MAX;
    PrintingSink sink(args.Quiet, args.DocumentPath.has_value(), args.GifPositions, limit);
    const auto started = std::chrono::steady_clock::now();
    TSearchTotals totals;
    try {
        totals = RunSearch(request, sink, StopRequested);
        sink.Flush();
    } catch (const TError& e) {
        sink.Flush();
        std::fflush(stdout);
        std::fprintf(stderr, "tolvane-search: the options cannot be searched: %s\n", e.what());
        return ExitUsage;
    } catch (const std::exception& e) {  // out of memory or threads: never an abort
        sink.Flush();
        std::fflush(stdout);
        std::fprintf(stderr, "tolvane-search: the search failed: %s\n", e.what());
        return ExitBadInput;
    }
    // "seconds" is the search's own time; writing the lines is "output_seconds".
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() -
        sink.OutputSeconds;

    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "{\"summary\":{\"candidates\":%lld,\"builds\":%lld,\"found\":%lld,\"draws\":%d,"
                  "\"seconds\":%.3f,\"output_seconds\":%.3f}}\n",
                  static_cast<long long>(totals.Candidates), static_cast<long long>(totals.Builds),
                  static_cast<long long>(totals.Found), draws.Count(), seconds, sink.OutputSeconds);
    std::fputs(summary, stdout);
    if (std::fflush(stdout) != 0) {
        std::perror("tolvane-search: writing the output");
        return ExitBadInput;
    }
    // Past the budget the search keeps what it found: the document and pictures are written,
    // then the tool fails with the reason.
    if (args.DocumentPath) {
        try {
            SaveWorkDocument(*args.DocumentPath, draws, sink.Kept, draws);
        } catch (const TError& e) {
            std::fprintf(stderr, "tolvane-search: %s\n", OneLine(e.what()).c_str());
            return ExitBadInput;
        }
    }
    if (args.GifDir) {
        std::vector<const TGui2Reg*> pictured;
        for (const auto& pattern : sink.Pictured) pictured.push_back(pattern.get());
        std::vector<std::string> written;
        std::string error;
        if (!WriteToolPictures(*args.GifDir, pictured, draws, options, written, error)) {
            std::fprintf(stderr, "tolvane-search: %s\n", error.c_str());
            return ExitBadInput;
        }
        if (pictured.size() < args.GifPositions.size()) {
            std::fprintf(stderr, "tolvane-search: --gif %lld: only %lld patterns were found\n",
                         static_cast<long long>(args.GifPositions[pictured.size()]),
                         static_cast<long long>(totals.Found));
            return ExitBadInput;
        }
    }
    if (sink.LimitReached) {
        std::fprintf(stderr, "tolvane-search: %s\n", PatternBudgetText(limit).c_str());
        return ExitBadInput;
    }
    return StopRequested.load() ? ExitInterrupted : ExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    IgnoreFileSizeSignal();  // a write past ulimit -f fails with a message
    UseUtf8Console();
    // File names and texts in UTF-8 whatever the system's code page.
    std::vector<std::string> arguments = ProgramArguments(argc, argv);
    std::vector<char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return Run(static_cast<int>(arguments.size()), pointers.data());
}
