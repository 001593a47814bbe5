#pragma once
// Runs programs from tests: a path, or a name looked up in PATH. Standard input is read from a
// file and output written to files, so no pipe can fill up while the test waits, and a program
// killed in the middle leaves exactly what it had written.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace standin::testing {

struct RunResult {
    int status = -1;  // exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Runs to its end with `input` on standard input (killed after a minute).
RunResult RunProgram(const std::vector<std::string>& args, const std::string& input = "");

// Starts in the background, reading `in` and writing standard output and error to `out`.
pid_t StartProgram(const std::vector<std::string>& args, const std::filesystem::path& in,
                   const std::filesystem::path& out);
// Waits for the end (SIGKILL after `timeout`); the status as RunResult gives it.
int WaitProgram(pid_t pid, std::chrono::milliseconds timeout);

}  // namespace standin::testing
