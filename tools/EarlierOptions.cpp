#include "tools/EarlierOptions.h"

#include <algorithm>
#include <string_view>

#include "tools/Command.h"

namespace {

struct TEarlierOption {
    std::string_view Name;
    bool TakesValue;
    bool Mode;  // names the command
};

constexpr TEarlierOption EarlierOptions[] = {
    {"--ini", true, false},      {"--set", true, false},          {"--threads", true, false},
    {"--seed", true, false},     {"--document", true, false},     {"--gif-dir", true, false},
    {"--gif", true, false},      {"--max-patterns", true, false}, {"--quiet", false, false},
    {"--bets", true, false},     {"--rules", true, false},        {"--help", false, false},
    {"--version", false, false}, {"--backtest", true, true},      {"--trend", true, true},
    {"--shape", true, true},     {"--reduce", true, true},        {"--check", true, true},
};

}  // namespace

TEarlierCommandLine ReadEarlierCommandLine(const std::vector<std::string>& arguments) {
    TEarlierCommandLine line;
    std::vector<std::pair<std::string, std::string>> modes;  // option and value, in order
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--") {
            line.Arguments.insert(line.Arguments.end(), arguments.begin() + i, arguments.end());
            break;
        }
        if (argument.size() < 2 || argument.substr(0, 2) != "--") {
            line.Arguments.emplace_back(argument);
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string name(argument.substr(0, equals));
        const auto* option = std::find_if(std::begin(EarlierOptions), std::end(EarlierOptions),
                                          [&](const TEarlierOption& o) { return o.Name == name; });
        if (option == std::end(EarlierOptions)) throw TUsageError{"unknown option " + name};
        if (!option->TakesValue) {
            if (equals != std::string_view::npos) throw TUsageError{name + " takes no value"};
            if (name == "--help")
                line.Help = true;
            else if (name == "--version")
                line.Version = true;
            else
                line.Arguments.push_back(name);
            continue;
        }
        std::string value;
        if (equals != std::string_view::npos)
            value = argument.substr(equals + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            throw TUsageError{name + " needs a value"};
        if (option->Mode)
            modes.emplace_back(name, value);
        else
            line.Arguments.push_back(name + "=" + value);  // a value that starts with "--" too
    }
    if (line.Help || line.Version) return line;

    for (size_t m = 0; m < modes.size(); ++m)
        for (size_t n = m + 1; n < modes.size(); ++n)
            if (modes[m].first == modes[n].first)
                throw TUsageError{modes[m].first + " is given twice; give it once"};
    // With --reduce, --backtest is the reduction's check against the draws.
    const bool reduce = std::any_of(modes.begin(), modes.end(),
                                    [](const auto& mode) { return mode.first == "--reduce"; });
    std::vector<std::pair<std::string, std::string>> chosen;
    for (const auto& [name, value] : modes) {
        if (reduce && name == "--backtest")
            line.Arguments.push_back(name + "=" + value);
        else
            chosen.emplace_back(name, value);
    }
    if (chosen.size() > 1)
        throw TUsageError{chosen[0].first + " and " + chosen[1].first +
                          " are different modes; give one of them"};
    if (chosen.empty()) {
        line.Command = "search";
    } else {
        line.Command = chosen[0].first.substr(2);
        line.Leading = {chosen[0].second};
    }
    return line;
}
