#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// tolvane-drawsvc run as a child process on a free port; terminated and reaped on
// destruction (and killed with the test process should that die first).
class TDrawServiceProcess {
  public:
    TDrawServiceProcess(const std::string& program, std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) return;
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> raw;
            for (std::string& a : argv) raw.push_back(a.data());
            raw.push_back(nullptr);
            ::execv(program.c_str(), raw.data());
            ::_exit(127);
        }
        ::close(out[1]);
        // The first line is the address; a tool that fails says nothing and closes the pipe.
        pollfd wait{out[0], POLLIN, 0};
        char c = 0;
        while (::poll(&wait, 1, 20000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') Url += c;
        ::close(out[0]);
    }
    TDrawServiceProcess(const TDrawServiceProcess&) = delete;
    TDrawServiceProcess& operator=(const TDrawServiceProcess&) = delete;
    ~TDrawServiceProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }

    std::string Url;  // empty when the service did not start

  private:
    pid_t pid_ = -1;
};

// A port on 127.0.0.1 held by this process. Listening, it never answers: connections are
// queued, never read. Not listening, it refuses every connection.
class TTestPort {
  public:
    explicit TTestPort(bool listening) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            (listening && ::listen(fd_, 8) != 0) ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        Port = ntohs(address.sin_port);
    }
    TTestPort(const TTestPort&) = delete;
    TTestPort& operator=(const TTestPort&) = delete;
    ~TTestPort() {
        if (fd_ >= 0) ::close(fd_);
    }

    int Port = 0;

  private:
    int fd_ = -1;
};

// A server on 127.0.0.1 that answers every request with the same bytes and closes the
// connection: replies that are not HTTP, redirects elsewhere, cut or damaged replies.
class TCannedReplyServer {
  public:
    explicit TCannedReplyServer(std::string reply) : reply_(std::move(reply)) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        Url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/down";
        thread_ = std::thread([this] { Serve(); });
    }
    TCannedReplyServer(const TCannedReplyServer&) = delete;
    TCannedReplyServer& operator=(const TCannedReplyServer&) = delete;
    ~TCannedReplyServer() {
        if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);  // wakes the accept
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) ::close(fd_);
    }

    std::string Url;  // empty when the server did not start

  private:
    void Serve() {
        for (;;) {
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) return;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
                const ssize_t got = ::read(client, buffer, sizeof buffer);
                if (got <= 0) break;
                request.append(buffer, static_cast<size_t>(got));
            }
            size_t sent = 0;
            while (sent < reply_.size()) {
                const ssize_t put =
                    ::send(client, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
                if (put <= 0) break;
                sent += static_cast<size_t>(put);
            }
            ::close(client);
        }
    }

    std::string reply_;
    int fd_ = -1;
    std::thread thread_;
};
