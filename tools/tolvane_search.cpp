// tolvane-search: Tolvane on the command line. Hands the arguments to one of its commands
// (search, backtest, trend, shape, reduce, check: tools/*Command.cpp, each with its own options
// and --help); the options of earlier versions that chose a mode name the same commands.
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "data/FileIo.h"
#include "data/Platform.h"
#include "data/ProgramIdentity.h"
#include "tools/Command.h"
#include "tools/EarlierOptions.h"

namespace {

struct TCommandEntry {
    const char* Name;
    std::unique_ptr<TCommand> (*Make)();
};

constexpr TCommandEntry Commands[] = {
    {"search", MakeSearchCommand}, {"backtest", MakeBacktestCommand}, {"trend", MakeTrendCommand},
    {"shape", MakeShapeCommand},   {"reduce", MakeReduceCommand},     {"check", MakeCheckCommand},
};

std::unique_ptr<TCommand> MakeCommand(std::string_view name) {
    for (const TCommandEntry& entry : Commands)
        if (name == entry.Name) return entry.Make();
    return nullptr;
}

constexpr char Overview[] =
    "usage: tolvane-search COMMAND ARGUMENTS... [options]\n"
    "   or: tolvane-search [options] DRAWS.txt (the search)\n"
    "\n"
    "Searches the draws of a seven-digit numbers lottery for patterns, scores them against\n"
    "history and reports on the draws, one JSON object per line. The commands:\n"
    "  search DRAWS.txt   search the draws for patterns (also with no command named)\n"
    "  backtest W DRAWS.txt\n"
    "                     score the search against the last W draws\n"
    "  trend N DRAWS.txt  the omission statistics of the last N draws\n"
    "  shape N DRAWS.txt  the shape metrics of the last N draws\n"
    "  reduce CONDITIONS DRAWS.txt\n"
    "                     apply reduction conditions to the coming draw\n"
    "  check TICKETS.txt DRAWS.txt\n"
    "                     check tickets against every draw\n"
    "\n"
    "The options of earlier versions name the command and keep working: --backtest W is\n"
    "'backtest W' (with --reduce, the check of 'reduce'), --trend N is 'trend N', --shape N\n"
    "'shape N', --reduce CONDITIONS 'reduce CONDITIONS' and --check TICKETS.txt 'check\n"
    "TICKETS.txt': 'tolvane-search --trend 100 DRAWS.txt' is 'tolvane-search trend 100\n"
    "DRAWS.txt'. 'tolvane-search COMMAND --help' shows one command's options.\n"
    "\n"
    "Exit status: 0 done, 1 a file that cannot be read or written, 2 arguments that do not fit,\n"
    "130 stopped by Ctrl+C.\n";

constexpr char OwnOptions[] =
    "options:\n"
    "  --help             show this text and the options of every command\n"
    "  --version          show the version\n";

// The overview, every command's usage and the tool's own options: the manual page is made from
// this text.
std::string FullHelp() {
    std::string text = Overview;
    for (const TCommandEntry& entry : Commands) text += "\n" + UsageText(*entry.Make());
    return text + "\n" + OwnOptions;
}

int Run(const std::vector<std::string>& arguments) {
    if (!arguments.empty())
        if (auto command = MakeCommand(arguments.front()))
            return RunCommand(*command, {}, {arguments.begin() + 1, arguments.end()});
    TEarlierCommandLine line;
    try {
        line = ReadEarlierCommandLine(arguments);
    } catch (const TUsageError& e) {
        std::fprintf(stderr, "tolvane-search: %s\n\n%s", e.Message.c_str(), Overview);
        return ExitUsage;
    }
    if (line.Help) {
        std::fputs(FullHelp().c_str(), stdout);
        return ExitOk;
    }
    if (line.Version) {
        std::printf("tolvane-search %s\n", ReleaseVersion);
        return ExitOk;
    }
    return RunCommand(*MakeCommand(line.Command), line.Leading, line.Arguments);
}

}  // namespace

int main(int argc, char** argv) {
    IgnoreFileSizeSignal();  // a write past ulimit -f fails with a message
    UseUtf8Console();
    try {
        // File names and texts in UTF-8 whatever the system's code page.
        std::vector<std::string> arguments = ProgramArguments(argc, argv);
        if (!arguments.empty()) arguments.erase(arguments.begin());
        return Run(arguments);
    } catch (const std::exception& e) {  // out of memory: a message, never an abort
        std::fflush(stdout);
        std::fprintf(stderr, "tolvane-search: %s\n", FailureText(e).c_str());
        return ExitBadInput;
    }
}
