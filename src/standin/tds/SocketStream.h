#pragma once
// A connected TCP socket as the byte source and sink of a TDS session. Does not own the
// descriptor: the server closes it after the session's thread has finished.

#include "Packet.h"

namespace standin::tds {

class SocketStream : public ByteSource, public ByteSink {
public:
    explicit SocketStream(int fd) : fd_(fd) {}

    // Seconds a read may wait for the client; 0 waits forever.
    void SetReceiveTimeout(int seconds);

    std::size_t ReadSome(std::span<std::uint8_t> buffer) override;
    void WriteAll(std::span<const std::uint8_t> bytes) override;

private:
    int fd_;
};

}  // namespace standin::tds
