// Runs every installed executable with --version and --help, without a display: each answers
// on stdout with status 0 and the one release version.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data/ProgramIdentity.h"

namespace {

struct Executable {
    std::string Name;
    std::string Path;
};

std::vector<Executable> Executables() {
    std::vector<Executable> list = {{"tolvane-search", TOLVANE_SEARCH_PATH},
                                    {"tolvane-drawsvc", TOLVANE_DRAWSVC_PATH}};
#ifdef TOLVANE_PROGRAM_PATH
    list.push_back({"tolvane", TOLVANE_PROGRAM_PATH});
#endif
    return list;
}

struct RunResult {
    int ExitCode = -1;
    std::string Out;
};

// stdout only; no display, so a program that opens a window before answering fails.
RunResult RunProgram(const std::string& path, const std::string& arguments) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + path +
                                " " + arguments + " 2>/dev/null";
    RunResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.Out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace

TEST(VersionOptions, EveryExecutablePrintsTheReleaseVersion) {
    for (const Executable& executable : Executables()) {
        const RunResult run = RunProgram(executable.Path, "--version");
        EXPECT_EQ(run.ExitCode, 0) << executable.Name;
        EXPECT_EQ(run.Out, executable.Name + " " + ReleaseVersion + "\n");
    }
}

TEST(VersionOptions, EveryExecutableExplainsItselfOnStdout) {
    for (const Executable& executable : Executables()) {
        const RunResult run = RunProgram(executable.Path, "--help");
        EXPECT_EQ(run.ExitCode, 0) << executable.Name;
        EXPECT_EQ(run.Out.rfind("usage: " + executable.Name + " ", 0), 0u) << run.Out;
        EXPECT_NE(run.Out.find("--version"), std::string::npos) << executable.Name;
    }
}

TEST(VersionOptions, InformationOptionsWinOverOtherArguments) {
    // The tools answer even when other options stand before; nothing is searched or served.
    struct Case {
        std::string Path, Arguments, Answer;
    };
    for (const Case& c : {Case{TOLVANE_SEARCH_PATH, "--quiet --version", "tolvane-search "},
                          Case{TOLVANE_DRAWSVC_PATH, "--port 1 --version", "tolvane-drawsvc "},
                          Case{TOLVANE_DRAWSVC_PATH, "--draws missing.txt --help", "usage: "}}) {
        const RunResult run = RunProgram(c.Path, c.Arguments);
        EXPECT_EQ(run.ExitCode, 0) << c.Arguments;
        EXPECT_EQ(run.Out.rfind(c.Answer, 0), 0u) << c.Arguments;
    }
}
