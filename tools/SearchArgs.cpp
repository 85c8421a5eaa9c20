#include "tools/SearchArgs.h"

#include <cstdio>

#include "data/Error.h"
#include "data/FileIo.h"
#include "data/IniFile.h"
#include "search/OptionRules.h"
#include "search/OptionsIni.h"

namespace {
constexpr int MaxThreads = 256;
}

void TSearchArgs::AddOptions(std::vector<TOption>& options, const char* maxPatternsHelp,
                             const char* quietHelp) {
    options.push_back({"--ini", "FILE",
                       "read the search options from an INI file (section TGui2Options)",
                       [this](std::string_view v) { IniPath = std::string(v); }});
    options.push_back({"--set", "KEY=VALUE",
                       "set one option by its INI key, after --ini (repeatable)",
                       [this](std::string_view v) { Sets.emplace_back(v); }, true});
    options.push_back(
        {"--threads", "N", "search threads (default: every core)", [this](std::string_view v) {
             Threads = ParseNumber<int>(v, "--threads", 1);
             // More threads than any machine has cores only exhausts the system.
             if (Threads > MaxThreads)
                 throw TUsageError{"--threads takes at most " + std::to_string(MaxThreads)};
         }});
    options.push_back(
        {"--seed", "N", "seed of the random result digit (default 1)",
         [this](std::string_view v) { Seed = ParseNumber<uint64_t>(v, "--seed", 0); }});
    if (maxPatternsHelp != nullptr)
        options.push_back({"--max-patterns", "N", maxPatternsHelp, [this](std::string_view v) {
                               MaxPatterns = ParseNumber<int64_t>(v, "--max-patterns", 1);
                           }});
    options.push_back({"--quiet", "", quietHelp, [this](std::string_view) { Quiet = true; }});
}

SearchOptions TSearchArgs::BuildOptions() const {
    SearchOptions options;
    if (IniPath) {
        TIniFile ini;
        try {
            ini = TIniFile::Parse(ReadTextFile(*IniPath));
        } catch (const TError& e) {
            throw TUsageError{OneLine(e.what())};
        }
        ReadSearchOptions(ini, options);
        ApplyStartupAdjustments(options);
    }
    for (const std::string& set : Sets) {
        const size_t equals = set.find('=');
        if (equals == std::string::npos)
            throw TUsageError{"--set needs KEY=VALUE, not '" + set + "'"};
        if (!SetOptionByKey(options, std::string_view(set).substr(0, equals),
                            std::string_view(set).substr(equals + 1)))
            throw TUsageError{"--set " + set + ": unknown key or a value that is not an integer"};
    }
    return options;
}

int TSearchingCommand::Run() {
    const SearchOptions options = search_.BuildOptions();
    TCodes draws;
    if (!ReadDrawsFile(drawsPath_, draws)) return ExitBadInput;
    CatchInterrupts();
    if (!SearchableOrSay(options)) return ExitUsage;
    return Search(draws, options);
}

bool SearchableOrSay(const SearchOptions& options) {
    if (const std::string problems = SearchOptionMessage(options); !problems.empty()) {
        std::fprintf(stderr, "tolvane-search: the options cannot be searched: %s\n",
                     OneLine(problems).c_str());
        return false;
    }
    return true;
}
