#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

namespace standin::testing {
namespace {

void MakePipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args) {
    ::signal(SIGPIPE, SIG_IGN);  // a killed child must not take the test down through a write
    int in[2], out[2], err[2];
    MakePipe(in);
    MakePipe(out);
    MakePipe(err);
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
}

ChildProcess::~ChildProcess() {
    if (!status_) {
        Kill();
        Wait();
    }
    for (int fd : {in_, out_, err_})
        if (fd >= 0) ::close(fd);
}

void ChildProcess::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(in_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the child is gone; what it acknowledged is what counts
        done += static_cast<std::size_t>(n);
    }
}

void ChildProcess::CloseInput() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
}

bool ChildProcess::Fill(std::chrono::steady_clock::time_point deadline) {
    if (outClosed_) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{out_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    const ssize_t n = ::read(out_, buffer, sizeof buffer);
    if (n <= 0) {
        outClosed_ = true;
        return false;
    }
    buffered_.append(buffer, static_cast<std::size_t>(n));
    return true;
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::size_t nl = buffered_.find('\n');
        if (nl != std::string::npos) {
            std::string line = buffered_.substr(0, nl);
            buffered_.erase(0, nl + 1);
            return line;
        }
        if (!Fill(deadline)) return std::nullopt;
    }
}

std::string ChildProcess::ReadRest(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Fill(deadline)) {
    }
    std::string rest;
    rest.swap(buffered_);
    return rest;
}

std::string ChildProcess::Stderr() {
    std::string text;
    char buffer[4096];
    pollfd p{err_, POLLIN, 0};
    while (::poll(&p, 1, 2000) > 0) {
        const ssize_t n = ::read(err_, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

void ChildProcess::Kill() {
    if (!status_ && pid_ > 0) ::kill(pid_, SIGKILL);
}

int ChildProcess::Wait() {
    if (status_) return *status_;
    int raw = 0;
    while (::waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
    }
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return *status_;
}

RunResult RunProgram(const std::vector<std::string>& args, const std::string& input) {
    ChildProcess child(args);
    child.Write(input);
    child.CloseInput();
    RunResult result;
    result.out = child.ReadRest(std::chrono::seconds(60));
    result.err = child.Stderr();
    result.status = child.Wait();
    return result;
}

}  // namespace standin::testing
