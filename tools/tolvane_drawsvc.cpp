// tolvane-drawsvc: a local stand-in for the draw download service. Serves a draw file (any layout
// the import reads) as
// the download reply (status line "成功", one "issue#n#scrambled digits" line per draw, code
// page 936) on 127.0.0.1 until it is terminated. Its first line on stdout is the address to
// put into ServiceUrl of section [TDataDown] in pavolen.ini.
#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "data/DownloadCodec.h"
#include "data/DrawTable.h"
#include "data/DrawText.h"
#include "data/Error.h"
#include "data/FileIo.h"
#include "data/ProgramIdentity.h"
#include "data/TextCodec.h"

namespace {

constexpr char ServicePath[] = "/pavolen/down";

struct TServiceArgs {
    std::string DrawsPath;
    std::string ReplyPath;  // serve this file's bytes verbatim instead of the draws
    int Port = 0;           // 0: any free port
    int64_t FirstIssue = 1;
    std::optional<std::string> Member;
    std::string Password;
};

constexpr char UsageLines[] =
    "usage: tolvane-drawsvc --draws FILE [--port N] [--first-issue N]\n"
    "                       [--member NAME] [--password PW] [--reply FILE]\n";

constexpr char HelpText[] =
    "\n"
    "Serves a draw text file on 127.0.0.1 as the draw download service does, until it is\n"
    "terminated (SIGINT or SIGTERM). The first line printed is the address to put into\n"
    "ServiceUrl of section [TDataDown] in pavolen.ini.\n"
    "\n"
    "options:\n"
    "  --draws FILE         the draws to serve: a draw file in any layout the import reads\n"
    "  --port N             the port to listen on (default: a free port)\n"
    "  --first-issue N      the issue number of the first draw (default 1)\n"
    "  --member NAME        answer only requests with this member name\n"
    "  --password PW        and this password (default empty)\n"
    "  --reply FILE         serve the bytes of FILE instead of the draws\n"
    "  --help               show this text\n"
    "  --version            show the version\n";

[[noreturn]] void Usage(const std::string& problem) {
    std::fprintf(stderr, "tolvane-drawsvc: %s\n%s", problem.c_str(), UsageLines);
    std::exit(2);
}

// --help and --version answer at once, wherever an option name stands.
void AnswerInformationOption(const std::string& name) {
    if (name == "--help") {
        std::printf("%s%s", UsageLines, HelpText);
        std::exit(0);
    }
    if (name == "--version") {
        std::printf("tolvane-drawsvc %s\n", ReleaseVersion);
        std::exit(0);
    }
}

int64_t NumberArgument(const std::string& name, const std::string& text, int64_t low,
                       int64_t high) {
    if (!IsAllDigits(text) || text.size() > 12) Usage(name + " wants a number: " + text);
    const int64_t value = std::stoll(text);
    if (value < low || value > high) Usage(name + " is out of range: " + text);
    return value;
}

TServiceArgs ParseArgs(int argc, char** argv) {
    TServiceArgs args;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        AnswerInformationOption(name);
        if (i + 1 >= argc) Usage("missing value after " + name);
        const std::string value = argv[++i];
        if (name == "--draws")
            args.DrawsPath = value;
        else if (name == "--reply")
            args.ReplyPath = value;
        else if (name == "--port")
            args.Port = static_cast<int>(NumberArgument(name, value, 0, 65535));
        else if (name == "--first-issue")
            args.FirstIssue = NumberArgument(name, value, 0, 2147483647);
        else if (name == "--member")
            args.Member = value;
        else if (name == "--password")
            args.Password = value;
        else
            Usage("unknown option " + name);
    }
    if (args.DrawsPath.empty() == args.ReplyPath.empty()) Usage("give --draws or --reply");
    return args;
}

std::string ReadFile(const std::string& path) {
    return ReadTextFile(path, MaxDrawFileBytes);
}

// The reply for the draws of a draw text file, issue numbers counting up from firstIssue.
std::string DrawReply(const std::string& drawText, int64_t firstIssue) {
    const TDrawFileReading reading = ReadDrawFile(drawText);
    std::string body = EncodeGbk("成功") + "\r\n";
    for (size_t i = 0; i < reading.Rows.size(); ++i) {
        const TDrawFileRow& row = reading.Rows[i];
        if (row.Number < 0) throw TDrawLineError("'-' is not a valid integer value", row.Line);
        const int64_t issue = firstIssue + static_cast<int64_t>(i);
        body += std::to_string(issue) + "#" + std::to_string(i + 1) + "#" +
                ScrambleDraw(DrawKey(), issue, ZeroPad7(row.Number)) + "\r\n";
    }
    return body;
}

// Empty when the request may have the draws, else the status line that refuses it.
std::string Refusal(const httplib::Request& request, const TServiceArgs& args) {
    if (request.get_param_value("soft") != SoftName() ||
        request.get_param_value("softid") != SoftId || !request.has_param("ver"))
        return "软件标识错误";
    if (args.Member && (!request.has_param("mName") || !request.has_param("mPw") ||
                        DecodeGbk(request.get_param_value("mName")) != *args.Member ||
                        DecodeGbk(request.get_param_value("mPw")) != args.Password))
        return "会员名或密码错误";
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    IgnoreFileSizeSignal();
    const TServiceArgs args = ParseArgs(argc, argv);
    std::string reply;
    try {
        reply = args.ReplyPath.empty() ? DrawReply(ReadFile(args.DrawsPath), args.FirstIssue)
                                       : ReadFile(args.ReplyPath);
    } catch (const TDrawLineError& e) {
        std::fprintf(stderr, "tolvane-drawsvc: %s:%d: %s\n", args.DrawsPath.c_str(), e.Line,
                     e.what());
        return 1;
    } catch (const TUndecidedDrawsError& e) {
        std::fprintf(stderr, "tolvane-drawsvc: %s: %s%s\n", args.DrawsPath.c_str(), e.what(),
                     UndecidedDrawsHint);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tolvane-drawsvc: %s\n", e.what());
        return 1;
    }

    // Termination requests are taken by one thread that stops the server; every other thread
    // inherits the blocked mask.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    httplib::Server server;
    server.Get(ServicePath, [&](const httplib::Request& request, httplib::Response& response) {
        const std::string refusal = Refusal(request, args);
        const std::string body = refusal.empty() ? reply : EncodeGbk(refusal) + "\r\n";
        response.set_content(body, "text/plain; charset=GBK");
    });
    const int port = args.Port == 0
                         ? server.bind_to_any_port("127.0.0.1")
                         : (server.bind_to_port("127.0.0.1", args.Port) ? args.Port : -1);
    if (port <= 0) {
        std::fprintf(stderr, "tolvane-drawsvc: cannot listen on 127.0.0.1:%d\n", args.Port);
        return 1;
    }
    std::printf("http://127.0.0.1:%d%s\n", port, ServicePath);
    std::fflush(stdout);

    std::thread stopper([&] {
        int received = 0;
        sigwait(&endSignals, &received);
        server.stop();
    });
    const bool listened = server.listen_after_bind();
    if (stopper.joinable()) {
        // The server may also end on its own: wake the waiting thread.
        kill(getpid(), SIGTERM);
        stopper.join();
    }
    return listened ? 0 : 1;
}
