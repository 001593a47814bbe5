#include "Server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "SocketStream.h"
#include "TdsSession.h"

namespace standin::tds {

namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string PeerName(const sockaddr_in& a) {
    char host[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &a.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(a.sin_port));
}

}  // namespace

bool ParseListenAddress(std::string_view text, ServerConfig& config) {
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == text.size()) return false;
    std::string host(text.substr(0, colon));
    if (host == "localhost") host = "127.0.0.1";
    in_addr probe{};
    if (inet_pton(AF_INET, host.c_str(), &probe) != 1) return false;
    unsigned long port = 0;
    for (char c : text.substr(colon + 1)) {
        if (c < '0' || c > '9') return false;
        port = port * 10 + static_cast<unsigned long>(c - '0');
        if (port > 65535) return false;
    }
    config.host = host;
    config.port = static_cast<std::uint16_t>(port);
    return true;
}

Server::Server(Engine& engine, ServerConfig config) : engine_(engine), config_(std::move(config)) {}

Server::~Server() {
    StopAll();
    if (listenFd_ >= 0) close(listenFd_);
}

std::uint16_t Server::Listen() {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(config_.port);
    if (inet_pton(AF_INET, config_.host.c_str(), &addr.sin_addr) != 1)
        throw std::runtime_error("'" + config_.host + "' is not an IPv4 address");
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) throw std::runtime_error(SystemError("cannot create a socket"));
    const int one = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(listenFd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        throw std::runtime_error(
            SystemError("cannot listen on " + config_.host + ":" + std::to_string(config_.port)));
    if (listen(listenFd_, 64) != 0) throw std::runtime_error(SystemError("listen failed"));
    socklen_t len = sizeof addr;
    if (getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error(SystemError("cannot read the listening port"));
    return ntohs(addr.sin_port);
}

void Server::ServeSlot(Slot& slot, std::uint16_t spid) {
    SocketStream stream(slot.fd);
    stream.SetReceiveTimeout(config_.loginTimeoutSeconds);
    TdsSession session(engine_, stream, stream, spid,
                       SessionHooks{[&stream] { stream.SetReceiveTimeout(0); }});
    const std::string reason = session.Run();
    if (!reason.empty())
        std::fprintf(stderr, "sqlstandin: session %u from %s ended: %s\n", spid, slot.peer.c_str(),
                     reason.c_str());
    // The client learns of the end at once; the descriptor itself is closed by the reaper, so its
    // number cannot be reused while StopAll might still shut it down.
    shutdown(slot.fd, SHUT_RDWR);
    slot.finished = true;
}

void Server::Accept() {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    const int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno != EINTR && errno != EAGAIN && errno != ECONNABORTED)
            std::fprintf(stderr, "sqlstandin: accept failed: %s\n", std::strerror(errno));
        if (errno == EMFILE || errno == ENFILE) usleep(100 * 1000);  // let sessions end
        return;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

    std::lock_guard lock(mutex_);
    if (slots_.size() >= config_.maxSessions) {
        std::fprintf(stderr, "sqlstandin: refused %s: %zu sessions already open\n",
                     PeerName(peer).c_str(), slots_.size());
        close(fd);
        return;
    }
    auto slot = std::make_unique<Slot>();
    slot->fd = fd;
    slot->peer = PeerName(peer);
    const std::uint16_t spid = nextSpid_;
    nextSpid_ = nextSpid_ >= 32767 ? 51 : static_cast<std::uint16_t>(nextSpid_ + 1);
    Slot& ref = *slot;
    try {
        ref.thread = std::thread([this, &ref, spid] { ServeSlot(ref, spid); });
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "sqlstandin: refused %s: %s\n", ref.peer.c_str(), e.what());
        close(fd);
        return;
    }
    slots_.push_back(std::move(slot));
}

void Server::ReapFinished() {
    std::lock_guard lock(mutex_);
    for (auto it = slots_.begin(); it != slots_.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            close((*it)->fd);
            it = slots_.erase(it);
        } else {
            ++it;
        }
    }
}

void Server::StopAll() {
    std::lock_guard lock(mutex_);
    // Shutting the sockets down wakes sessions blocked in a read; a session inside the engine
    // finishes its batch first, so nothing acknowledged is cut short.
    for (auto& slot : slots_) shutdown(slot->fd, SHUT_RDWR);
    for (auto& slot : slots_) {
        if (slot->thread.joinable()) slot->thread.join();
        close(slot->fd);
    }
    slots_.clear();
}

void Server::Run(int stopFd) {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int n = poll(fds, 2, 1000);
        if (n < 0 && errno != EINTR) throw std::runtime_error(SystemError("poll failed"));
        if (n > 0 && (fds[1].revents & (POLLIN | POLLHUP))) break;
        if (n > 0 && (fds[0].revents & POLLIN)) Accept();
        ReapFinished();
    }
    StopAll();
}

}  // namespace standin::tds
