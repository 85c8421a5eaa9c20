#include "tools/Command.h"

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <new>

#include "data/DrawImport.h"
#include "data/DrawTable.h"
#include "data/Error.h"
#include "data/FileIo.h"

namespace {

constexpr size_t OptionColumn = 21;  // where the options' texts start

void AppendOptionLines(std::string& text, const std::string& left, const std::string& help) {
    std::string head = "  " + left;
    if (head.size() + 1 > OptionColumn) {
        text += head + "\n";
        head.clear();
    }
    head.resize(OptionColumn, ' ');
    text += head;
    // The help's further lines start at the same column.
    for (const char c : help) {
        text += c;
        if (c == '\n') text.append(OptionColumn, ' ');
    }
    text += '\n';
}

}  // namespace

std::string UsageText(TCommand& command) {
    std::string text = std::string("usage: tolvane-search ") + command.Name() + " " +
                       command.Synopsis() + "\n\n" + command.Description() + "\noptions:\n";
    for (const TOption& option : command.Options())
        AppendOptionLines(text, option.Name + (option.Value.empty() ? "" : " " + option.Value),
                          option.Help);
    AppendOptionLines(text, "--help", "show this text");
    return text;
}

int RunCommand(TCommand& command, const std::vector<std::string>& leading,
               const std::vector<std::string>& arguments) {
    try {
        const std::vector<TOption> options = command.Options();
        std::vector<std::string> positional = leading;
        std::vector<std::string_view> given;
        bool help = false;
        for (size_t i = 0; i < arguments.size(); ++i) {
            const std::string_view argument = arguments[i];
            if (argument == "--") {
                positional.insert(positional.end(), arguments.begin() + i + 1, arguments.end());
                break;
            }
            if (argument.size() < 2 || argument.substr(0, 2) != "--") {
                positional.emplace_back(argument);
                continue;
            }
            const size_t equals = argument.find('=');
            const std::string_view name = argument.substr(0, equals);
            const bool hasValue = equals != std::string_view::npos;
            if (name == "--help") {
                if (hasValue) throw TUsageError{"--help takes no value"};
                help = true;
                continue;
            }
            const auto option = std::find_if(options.begin(), options.end(),
                                             [&](const TOption& o) { return o.Name == name; });
            if (option == options.end())
                throw TUsageError{"unknown option " + std::string(name) + " of " + command.Name()};
            if (!option->Repeatable) {
                if (std::find(given.begin(), given.end(), name) != given.end())
                    throw TUsageError{std::string(name) + " is given twice; give it once"};
                given.push_back(name);
            }
            if (option->Value.empty()) {
                if (hasValue) throw TUsageError{std::string(name) + " takes no value"};
                option->Apply({});
            } else if (hasValue) {
                option->Apply(argument.substr(equals + 1));
            } else {
                if (i + 1 >= arguments.size())
                    throw TUsageError{std::string(name) + " needs a value"};
                option->Apply(arguments[++i]);
            }
        }
        if (help) {
            std::fputs(UsageText(command).c_str(), stdout);
            return ExitOk;
        }
        command.TakeArguments(positional);
        return command.Run();
    } catch (const TUsageError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "tolvane-search: %s\n\n%s", e.Message.c_str(),
                     UsageText(command).c_str());
        return ExitUsage;
    }
}

std::string FailureText(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr)
        return "内存不足，无法完成（out of memory）";
    return failure.what();
}

std::string OneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    return text;
}

int32_t ParseWindow(std::string_view text, std::string_view name, int32_t allValue) {
    return text == "all" ? allValue : ParseNumber<int32_t>(text, name, 1);
}

bool ReadDrawsFile(const std::string& path, TCodes& draws) {
    std::string text;
    try {
        text = ReadTextFile(path, MaxDrawFileBytes);
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s\n", OneLine(e.what()).c_str());
        return false;
    }
    try {
        const TDrawFileReading reading = ReadDrawFile(text);
        // A negative number of the plain form has no digits to give.
        for (const TDrawFileRow& row : reading.Rows)
            if (row.Number < 0) throw TDrawLineError("'-' is not a valid integer value", row.Line);
        LoadDrawNumbersInto(reading.Numbers(), draws);
    } catch (const TDrawLineError& e) {
        std::fprintf(stderr, "tolvane-search: %s:%d: %s\n", path.c_str(), e.Line, e.what());
        return false;
    } catch (const TUndecidedDrawsError& e) {
        std::fprintf(stderr, "tolvane-search: %s: %s%s\n", path.c_str(), e.what(),
                     UndecidedDrawsHint);
        return false;
    } catch (const TError& e) {
        std::fprintf(stderr, "tolvane-search: %s: %s\n", path.c_str(), e.what());
        return false;
    }
    return true;
}

int FlushOutput() {
    if (std::fflush(stdout) != 0) {
        std::perror("tolvane-search: writing the output");
        return ExitBadInput;
    }
    return ExitOk;
}

int WriteOutput(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
        std::perror("tolvane-search: writing the output");
        return ExitBadInput;
    }
    return FlushOutput();
}

TJobControl StopRequested;

namespace {
extern "C" void OnInterrupt(int) {
    StopRequested.CancelFromSignal();
}
}  // namespace

void CatchInterrupts() {
    static char outputBuffer[1 << 20];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
}

void TDrawWindowCommand::TakeArguments(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2) throw TUsageError{"give the number of draws N and one draw file"};
    window_ = ParseWindow(arguments[0], "N", 0);
    drawsPath_ = arguments[1];
}

int TDrawWindowCommand::Run() {
    TCodes draws;
    if (!ReadDrawsFile(drawsPath_, draws)) return ExitBadInput;
    return WriteOutput(Report(draws, window_));
}
