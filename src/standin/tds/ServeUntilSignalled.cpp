#include "ServeUntilSignalled.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace standin::tds {

namespace {

// Written by the signal handler, read by the accept loop: the async-signal-safe way to wake it.
int g_stopPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 's';
    [[maybe_unused]] const ssize_t n = write(g_stopPipe[1], &byte, 1);
    errno = saved;
}

void InstallStopHandlers() {
    if (g_stopPipe[0] < 0 && pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error(std::string("cannot set up signal handling: ") +
                                 std::strerror(errno));
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, nullptr);  // a vanished client is an error return, not a signal
}

}  // namespace

void ServeUntilSignalled(Engine& engine, const ServerConfig& config) {
    InstallStopHandlers();
    Server server(engine, config);
    const std::uint16_t port = server.Listen();
    std::printf("%u\n", static_cast<unsigned>(port));
    std::fflush(stdout);
    std::fprintf(stderr, "sqlstandin: listening on %s:%u\n", config.host.c_str(),
                 static_cast<unsigned>(port));
    server.Run(g_stopPipe[0]);
}

}  // namespace standin::tds
