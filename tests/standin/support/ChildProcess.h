#pragma once
// Runs a program from tests (a path, or a name looked up in PATH): arguments, standard input and
// output through pipes, SIGKILL on demand. Every read has a deadline so a hung child fails the
// test instead of hanging it. Writing never waits on a child that is itself blocked writing:
// while standard input is full, whatever the child has printed on standard output or error is
// read into buffers.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace standin::testing {

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False when the child closed its input (it is gone) or took none for `timeout`.
    bool Write(const std::string& bytes,
               std::chrono::milliseconds timeout = std::chrono::seconds(60));
    void CloseInput();
    // The next line of standard output without its '\n'; nullopt at end of output or deadline.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // All remaining output (until the child closes it).
    std::string ReadRest(std::chrono::milliseconds timeout);
    // Standard error so far, and what follows within two seconds or until the child closes it.
    std::string Stderr();
    void Kill();
    // Exit status, or 128 + signal number.
    int Wait();

private:
    // Waits until output arrives (read into the buffers), input becomes writable (when
    // `wantWrite`) or the deadline passes. True when something happened.
    bool Pump(std::chrono::steady_clock::time_point deadline, bool wantWrite);
    static void CloseFd(int& fd);

    int pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    std::string buffered_;
    std::string errBuffered_;
    std::optional<int> status_;
};

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs to completion with `input` on standard input.
RunResult RunProgram(const std::vector<std::string>& args, const std::string& input = "");

}  // namespace standin::testing
