#pragma once
// A bare TCP client that speaks TDS byte by byte, for what no well-behaved driver sends:
// malformed packets, or hanging up in the middle of a result.

#include <cstdint>
#include <string_view>
#include <vector>

namespace standin::test {

using ByteVector = std::vector<std::uint8_t>;

class RawTdsClient {
public:
    explicit RawTdsClient(std::uint16_t port);
    ~RawTdsClient();
    RawTdsClient(const RawTdsClient&) = delete;
    RawTdsClient& operator=(const RawTdsClient&) = delete;

    // Writes bytes as they are; false when the server has already closed the connection.
    bool SendBytes(const ByteVector& bytes);
    // Reads one reply packet; false when the connection closed first.
    bool ReadPacket();
    // Discards input until the server closes the connection; false when it stays silent and
    // open for `timeoutMs`.
    bool WaitForClose(int timeoutMs);
    void Close();

private:
    int fd_ = -1;
};

// A packet header (length in big-endian, as sent; it may lie) followed by `body`.
ByteVector Packet(std::uint8_t type, std::uint8_t status, std::size_t length,
                  const ByteVector& body = {}, std::uint8_t id = 1);
// A LOGIN7 record for TDS 7.4 (ASCII user and password).
ByteVector BuildLogin7(std::string_view user, std::string_view password);
// An SQLBatch payload: ALL_HEADERS with a transaction descriptor, then the text in UTF-16LE.
ByteVector BuildSqlBatch(std::string_view asciiSql);

}  // namespace standin::test
