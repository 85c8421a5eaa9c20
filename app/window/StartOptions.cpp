#include "app/window/StartOptions.h"

#include <string_view>

#include "data/ProgramIdentity.h"

std::string ProgramHelpText() {
    return "usage: tolvane [--help] [--version] [Qt options]\n"
           "\n"
           "Tolvane keeps the history of draws of a seven-digit numbers lottery, searches it for\n"
           "patterns, paints a chosen pattern over the grid of draws, counts the forecasts of the\n"
           "patterns and saves patterns as GIF pictures. The interface is in simplified Chinese.\n"
           "\n"
           "The settings (pavolen.ini) and the work document are kept in $XDG_DATA_HOME/Tolvane\n"
           "(by default ~/.local/share/Tolvane), or in the folder of the executable when that\n"
           "folder holds a pavolen.ini and can be written (a portable install).\n"
           "\n"
           "options:\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "  -platform NAME     and the other options of Qt are passed on to Qt\n";
}

std::optional<TTerminalAnswer> AnswerBeforeStart(std::span<const char* const> arguments) {
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i] ? arguments[i] : "";
        if (argument == "--") break;
        if (argument == "--help") return TTerminalAnswer{ProgramHelpText(), 0};
        if (argument == "--version")
            return TTerminalAnswer{std::string("tolvane ") + ReleaseVersion + "\n", 0};
    }
    return std::nullopt;
}
