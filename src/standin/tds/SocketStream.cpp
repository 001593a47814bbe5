#include "SocketStream.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace standin::tds {

void SocketStream::SetReceiveTimeout(int seconds) {
    timeval tv{};
    tv.tv_sec = seconds;
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

std::size_t SocketStream::ReadSome(std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t n = recv(fd_, buffer.data(), buffer.size(), 0);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            throw std::runtime_error("client sent nothing in time");
        throw std::runtime_error(std::string("receive failed: ") + std::strerror(errno));
    }
}

void SocketStream::WriteAll(std::span<const std::uint8_t> bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("client went away while being answered: ") +
                                     std::strerror(errno));
        }
        sent += static_cast<std::size_t>(n);
    }
}

}  // namespace standin::tds
