#pragma once
// The listening socket and its sessions, one thread each. The engine runs their statements one at
// a time. Stopping ends every session (their sockets are shut down) and waits for their threads.

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "Engine.h"

namespace standin::tds {

struct ServerConfig {
    std::string host = "127.0.0.1";  // numeric IPv4 address
    std::uint16_t port = 1433;       // 0: the system picks a free port
    std::size_t maxSessions = 256;
    int loginTimeoutSeconds = 60;  // a connection must log in within this time
};

// Reads HOST:PORT into `config`: a numeric IPv4 host ("localhost" means 127.0.0.1) and a port
// 0..65535. False when the text is not of that form.
bool ParseListenAddress(std::string_view text, ServerConfig& config);

class Server {
public:
    Server(Engine& engine, ServerConfig config);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds and listens; returns the port. Throws std::runtime_error with the reason.
    std::uint16_t Listen();

    // Accepts connections until `stopFd` becomes readable, then ends all sessions and returns.
    void Run(int stopFd);

private:
    struct Slot {
        int fd = -1;
        std::string peer;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void Accept();
    void ReapFinished();
    void StopAll();
    void ServeSlot(Slot& slot, std::uint16_t spid);

    Engine& engine_;
    ServerConfig config_;
    int listenFd_ = -1;
    std::mutex mutex_;
    std::list<std::unique_ptr<Slot>> slots_;
    std::uint16_t nextSpid_ = 51;
};

}  // namespace standin::tds
