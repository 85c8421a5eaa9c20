#pragma once

#include <string>
#include <vector>

// The command lines of earlier versions chose a mode by an option (--trend N, --shape N,
// --reduce CONDITIONS, --check TICKETS, --backtest W) and searched without one. They read as the
// command they name: "--trend 100 F" is "trend 100 F", "--reduce C --backtest W F" is
// "reduce C --backtest W F", anything else is "search".
struct TEarlierCommandLine {
    std::string Command;
    std::vector<std::string> Leading;    // the mode's value: the command's first argument
    std::vector<std::string> Arguments;  // the other options and arguments, in their order
    bool Help = false;
    bool Version = false;
};

// Throws TUsageError for an unknown option, an option without its value, a mode given twice or
// two modes together.
TEarlierCommandLine ReadEarlierCommandLine(const std::vector<std::string>& arguments);
