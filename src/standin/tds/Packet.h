#pragma once
// TDS packet framing. Every message travels as one or more packets, each with an 8-byte header:
// type, status (0x01 = last packet of the message), total packet length (big-endian, header
// included), SPID (big-endian), packet number, window. The reader reassembles messages and
// refuses anything malformed, truncated or larger than its limits.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "WireBuffer.h"

namespace standin::tds {

enum class PacketType : std::uint8_t {
    SqlBatch = 0x01,
    Rpc = 0x03,
    Reply = 0x04,
    Attention = 0x06,
    BulkLoad = 0x07,
    TransactionManager = 0x0E,
    Login7 = 0x10,
    Sspi = 0x11,
    Prelogin = 0x12,
};

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::uint8_t kStatusEndOfMessage = 0x01;
inline constexpr std::uint8_t kStatusIgnore = 0x02;  // client abandons the message it was sending

inline constexpr std::size_t kMaxPacketSize = 32767;        // largest size TDS can negotiate
inline constexpr std::size_t kMaxReceivedPacket = 32768;    // tolerate clients that round up
inline constexpr std::size_t kDefaultPacketSize = 4096;     // until LOGIN7 negotiates another
inline constexpr std::size_t kMaxLoginMessage = 64 * 1024;  // PRELOGIN and LOGIN7 are small
inline constexpr std::size_t kMaxRequestMessage = 64 * 1024 * 1024;  // one SQL batch, in bytes

struct Message {
    PacketType type;
    Bytes payload;
};

// Where received bytes come from (a socket, or a buffer in tests and fuzzing).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `buffer.size()` bytes; returns 0 at end of stream. Throws on I/O errors.
    virtual std::size_t ReadSome(std::span<std::uint8_t> buffer) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all of `bytes` or throws.
    virtual void WriteAll(std::span<const std::uint8_t> bytes) = 0;
};

class MessageReader {
public:
    explicit MessageReader(ByteSource& source) : source_(source) {}

    void SetMaxMessageSize(std::size_t bytes) { maxMessage_ = bytes; }

    // The next complete message, or nullopt when the client closed the connection between
    // messages. Throws ProtocolError for a malformed, truncated or oversized message. An
    // attention packet that arrives in the middle of a message abandons that message and is
    // returned itself; a message the client marks as ignored is skipped.
    std::optional<Message> Next();

private:
    // Fills `out` completely; false only if the stream ended before the first byte and
    // `endAllowed` is set.
    bool ReadExact(std::span<std::uint8_t> out, bool endAllowed);

    ByteSource& source_;
    std::size_t maxMessage_ = kMaxLoginMessage;
};

class MessageWriter {
public:
    explicit MessageWriter(ByteSink& sink) : sink_(sink) {}

    void SetPacketSize(std::size_t bytes) { packetSize_ = bytes; }
    void SetSpid(std::uint16_t spid) { spid_ = spid; }

    // Sends `payload` as one message of type `type`, split into packets of the negotiated size.
    void Send(PacketType type, std::span<const std::uint8_t> payload);

private:
    ByteSink& sink_;
    std::size_t packetSize_ = kDefaultPacketSize;
    std::uint16_t spid_ = 0;
};

}  // namespace standin::tds
