#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "search/SearchOptions.h"
#include "tools/Command.h"

// The options of the commands that search (search, backtest, reduce): where the search options
// come from, the threads, the seed, the pattern limit and --quiet.
struct TSearchArgs {
    std::optional<std::string> IniPath;
    std::vector<std::string> Sets;
    int Threads = 0;
    uint64_t Seed = 1;
    bool Quiet = false;
    std::optional<int64_t> MaxPatterns;

    // Adds --ini, --set, --threads and --seed; then --max-patterns with its text (when given)
    // and --quiet with its text.
    void AddOptions(std::vector<TOption>& options, const char* maxPatternsHelp,
                    const char* quietHelp);
    // The options of --ini, then every --set; throws TUsageError.
    SearchOptions BuildOptions() const;
};

// A command that searches the draws of a file with these options (search, backtest, reduce):
// Run builds the options, reads the draws, catches Ctrl+C and refuses options that 搜索
// refuses, each failure with its message and exit status, then hands over to Search.
class TSearchingCommand : public TCommand {
  public:
    int Run() final;

  protected:
    virtual int Search(const TCodes& draws, const SearchOptions& options) = 0;

    TSearchArgs search_;
    std::string drawsPath_;
};

// Options that 搜索 refuses are refused with its message before anything runs: false after the
// message (exit status 2).
bool SearchableOrSay(const SearchOptions& options);
