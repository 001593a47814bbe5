#include "Program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

#include "TestSupport.h"

extern char** environ;

namespace standin::testing {
namespace {

pid_t Start(const std::vector<std::string>& args, const std::filesystem::path& in,
            const std::filesystem::path& out, const std::filesystem::path& err) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err == out)
        posix_spawn_file_actions_adddup2(&files, 1, 2);
    else
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (error != 0) throw std::runtime_error("cannot start " + args.at(0));
    return pid;
}

}  // namespace

pid_t StartProgram(const std::vector<std::string>& args, const std::filesystem::path& in,
                   const std::filesystem::path& out) {
    return Start(args, in, out, out);
}

int WaitProgram(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int raw = 0;
    for (pid_t ended; (ended = ::waitpid(pid, &raw, WNOHANG)) != pid;) {
        if (ended < 0 && errno != EINTR) return -1;
        if (std::chrono::steady_clock::now() > deadline) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

RunResult RunProgram(const std::vector<std::string>& args, const std::string& input) {
    const TempDir dir;
    WriteBytes(dir / "in", input);
    RunResult result;
    result.status =
        WaitProgram(Start(args, dir / "in", dir / "out", dir / "err"), std::chrono::minutes(1));
    result.out = ReadBytes(dir / "out");
    result.err = ReadBytes(dir / "err");
    return result;
}

}  // namespace standin::testing
