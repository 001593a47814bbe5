#include "RawTdsClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <string>

namespace standin::test {

namespace {

// Little-endian, as TDS's own fields are (packet headers are big-endian).
void Put(ByteVector& v, std::size_t at, std::uint32_t x, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
}

void AppendUcs2(ByteVector& v, std::string_view ascii) {
    for (char c : ascii) {
        v.push_back(static_cast<std::uint8_t>(c));
        v.push_back(0);
    }
}

}  // namespace

RawTdsClient::RawTdsClient(std::uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port));
}

RawTdsClient::~RawTdsClient() { Close(); }

void RawTdsClient::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool RawTdsClient::SendBytes(const ByteVector& bytes) {
    // A blocking socket sends everything, unless the other end has gone.
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

bool RawTdsClient::ReadPacket() {
    std::uint8_t header[8];
    if (recv(fd_, header, 8, MSG_WAITALL) != 8) return false;
    const std::size_t length = std::size_t{header[2]} << 8 | header[3];
    std::vector<std::uint8_t> body(length < 8 ? 0 : length - 8);
    return length >= 8 &&
           recv(fd_, body.data(), body.size(), MSG_WAITALL) == static_cast<ssize_t>(body.size());
}

bool RawTdsClient::WaitForClose(int timeoutMs) {
    const timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    for (;;) {
        std::uint8_t buffer[4096];
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;  // still open
        if (n <= 0) return true;                                               // closed, or reset
    }
}

ByteVector Packet(std::uint8_t type, std::uint8_t status, std::size_t length,
                  const ByteVector& body, std::uint8_t id) {
    ByteVector p(8 + body.size(), 0);
    p[0] = type;
    p[1] = status;
    p[2] = static_cast<std::uint8_t>(length >> 8);
    p[3] = static_cast<std::uint8_t>(length);
    p[6] = id;
    std::copy(body.begin(), body.end(), p.begin() + 8);
    return p;
}

ByteVector BuildLogin7(std::string_view user, std::string_view password) {
    constexpr std::size_t kFixed = 94;
    ByteVector login(kFixed, 0);
    Put(login, 4, 0x74000004, 4);  // TDS 7.4
    Put(login, 8, 4096, 4);        // packet size
    struct Field {
        std::size_t at;
        std::string_view text;
        bool password;
    };
    const Field fields[] = {
        {36, "rawclient", false}, {40, user, false},  {44, password, true}, {48, "tests", false},
        {52, "127.0.0.1", false}, {60, "raw", false}, {64, "", false},      {68, "", false}};
    for (const Field& f : fields) {
        Put(login, f.at, static_cast<std::uint32_t>(login.size()), 2);
        Put(login, f.at + 2, static_cast<std::uint32_t>(f.text.size()), 2);
        const std::size_t start = login.size();
        AppendUcs2(login, f.text);
        if (f.password)
            for (std::size_t i = start; i < login.size(); ++i) {
                const std::uint8_t b = login[i];
                login[i] = static_cast<std::uint8_t>(((b << 4) | (b >> 4)) ^ 0xA5);
            }
    }
    Put(login, 0, static_cast<std::uint32_t>(login.size()), 4);
    return login;
}

ByteVector BuildSqlBatch(std::string_view asciiSql) {
    ByteVector batch{22, 0, 0, 0, 18, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    AppendUcs2(batch, asciiSql);
    return batch;
}

}  // namespace standin::test
