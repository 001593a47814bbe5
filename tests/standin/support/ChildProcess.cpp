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
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    in_ = in[1];
    // Non-blocking, so that a full pipe hands control back to Write instead of stalling it.
    ::fcntl(in_, F_SETFL, ::fcntl(in_, F_GETFL) | O_NONBLOCK);
    out_ = out[0];
    err_ = err[0];
}

ChildProcess::~ChildProcess() {
    if (!status_) {
        Kill();
        Wait();
    }
    for (int* fd : {&in_, &out_, &err_}) CloseFd(*fd);
}

void ChildProcess::CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

bool ChildProcess::Pump(std::chrono::steady_clock::time_point deadline, bool wantWrite) {
    pollfd fds[3];
    nfds_t count = 0;
    const auto watch = [&](int fd, short events) {
        if (fd >= 0) fds[count++] = pollfd{fd, events, 0};
    };
    watch(out_, POLLIN);
    watch(err_, POLLIN);
    if (wantWrite) watch(in_, POLLOUT);
    if (count == 0) return false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        const int ready = ::poll(fds, count, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        break;
    }
    for (nfds_t i = 0; i < count; ++i) {
        if (fds[i].revents == 0 || fds[i].fd == in_) continue;  // the writer handles POLLOUT itself
        const bool isOut = fds[i].fd == out_;
        char buffer[4096];
        const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            CloseFd(isOut ? out_ : err_);
            continue;
        }
        (isOut ? buffered_ : errBuffered_).append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool ChildProcess::Write(const std::string& bytes, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (in_ < 0) return false;
        const ssize_t n = ::write(in_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN)
            return false;  // the child is gone; what it acknowledged is what counts
        // The pipe is full: take in what the child printed meanwhile, so it can go on reading.
        if (!Pump(deadline, true)) return false;
    }
    return true;
}

void ChildProcess::CloseInput() { CloseFd(in_); }

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::size_t nl = buffered_.find('\n');
        if (nl != std::string::npos) {
            std::string line = buffered_.substr(0, nl);
            buffered_.erase(0, nl + 1);
            return line;
        }
        if (out_ < 0 || !Pump(deadline, false)) return std::nullopt;
    }
}

std::string ChildProcess::ReadRest(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out_ >= 0 && Pump(deadline, false)) {
    }
    std::string rest;
    rest.swap(buffered_);
    return rest;
}

std::string ChildProcess::Stderr() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (err_ >= 0 && Pump(deadline, false)) {
    }
    return errBuffered_;
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
