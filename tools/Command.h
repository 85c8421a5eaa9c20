#pragma once

#include <charconv>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/Hao.h"
#include "data/JobControl.h"

// The base of tolvane-search's commands (search, backtest, trend, shape, reduce, check): each
// command names its options with their --help lines, its arguments and its work; RunCommand
// reads the arguments, answers --help and refuses what does not fit with the command's usage.

constexpr int ExitOk = 0;
constexpr int ExitBadInput = 1;
constexpr int ExitUsage = 2;
constexpr int ExitInterrupted = 130;

// Arguments that do not fit: the message, the usage and exit status 2.
struct TUsageError {
    std::string Message;
};

struct TOption {
    std::string Name;   // "--threads"; "--threads N" and "--threads=N" both work
    std::string Value;  // what the value is called in the usage ("N"); empty for a switch
    std::string Help;   // the usage's text, lines joined by '\n'
    std::function<void(std::string_view)> Apply;
    bool Repeatable = false;  // otherwise given twice is refused
};

class TCommand {
  public:
    virtual ~TCommand() = default;
    virtual const char* Name() const = 0;
    // The arguments after the name, as the usage line shows them ("N DRAWS.txt").
    virtual const char* Synopsis() const = 0;
    // What the command does and prints, for --help; lines end with '\n'.
    virtual const char* Description() const = 0;
    // The options, bound to the command's own fields.
    virtual std::vector<TOption> Options() = 0;
    // Takes the arguments that are no options; throws TUsageError when they do not fit.
    virtual void TakeArguments(const std::vector<std::string>& arguments) = 0;
    // Runs after every argument was taken; returns the exit status.
    virtual int Run() = 0;
};

// A command over the last N draws of a draw file ("N DRAWS.txt"), without options: it reads
// the file and prints what Report makes of it.
class TDrawWindowCommand : public TCommand {
  public:
    const char* Synopsis() const override { return "N DRAWS.txt"; }
    std::vector<TOption> Options() override { return {}; }
    void TakeArguments(const std::vector<std::string>& arguments) override;
    int Run() override;

  protected:
    // The text to print for the last `window` draws (every draw when window <= 0).
    virtual std::string Report(const TCodes& draws, int32_t window) const = 0;

  private:
    int32_t window_ = 0;  // 0: every draw
    std::string drawsPath_;
};

// "usage: tolvane-search NAME SYNOPSIS", the description and the options.
std::string UsageText(TCommand& command);

// Reads leading (arguments an earlier form of the command line gave as an option's value, taken
// before all others) and arguments, then runs the command. --help prints the usage.
int RunCommand(TCommand& command, const std::vector<std::string>& leading,
               const std::vector<std::string>& arguments);

// Helpers the commands share.

// What a failure says on the terminal: its text, or for running out of memory a sentence
// (never "std::bad_alloc").
std::string FailureText(const std::exception& failure);

// Messages meant for a message box break lines with CR LF; a terminal line joins them.
std::string OneLine(std::string text);

template <typename T>
T ParseNumber(std::string_view text, std::string_view option, T low) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low)
        throw TUsageError{std::string(option) + " needs a number, not '" + std::string(text) + "'"};
    return value;
}

// A window of draws: a positive number, or "all" (allValue).
int32_t ParseWindow(std::string_view text, std::string_view name, int32_t allValue);

// Reads the draw file into draws; false after naming the problem on stderr (exit status 1).
bool ReadDrawsFile(const std::string& path, TCodes& draws);

// Writes text to stdout and flushes it; ExitBadInput after a message when that fails.
int WriteOutput(std::string_view text);
int FlushOutput();

// Set by Ctrl+C (and SIGTERM) once CatchInterrupts ran; long work stops at its next look.
extern TJobControl StopRequested;
// Buffers stdout for many lines and turns SIGINT and SIGTERM into StopRequested.
void CatchInterrupts();

std::unique_ptr<TCommand> MakeSearchCommand();
std::unique_ptr<TCommand> MakeBacktestCommand();
std::unique_ptr<TCommand> MakeTrendCommand();
std::unique_ptr<TCommand> MakeShapeCommand();
std::unique_ptr<TCommand> MakeReduceCommand();
std::unique_ptr<TCommand> MakeCheckCommand();
