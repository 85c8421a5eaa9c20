#pragma once

#include <optional>
#include <span>
#include <string>

// What the program prints on the terminal, and the exit status, instead of starting.
struct TTerminalAnswer {
    std::string Text;
    int ExitStatus = 0;
};

// --help and --version are answered before the application object exists, so that neither
// needs a display. Every other argument is left to Qt (-platform NAME, -style NAME, ...); an
// argument after "--" is never taken as an option. Nothing is returned when the program
// should start.
std::optional<TTerminalAnswer> AnswerBeforeStart(std::span<const char* const> arguments);

// The text of --help.
std::string ProgramHelpText();
