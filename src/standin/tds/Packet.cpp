#include "Packet.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "ProtocolError.h"

namespace standin::tds {

namespace {

bool IsClientType(std::uint8_t type) {
    switch (static_cast<PacketType>(type)) {
        case PacketType::SqlBatch:
        case PacketType::Rpc:
        case PacketType::Attention:
        case PacketType::BulkLoad:
        case PacketType::TransactionManager:
        case PacketType::Login7:
        case PacketType::Sspi:
        case PacketType::Prelogin:
            return true;
        default:
            return false;
    }
}

std::string Hex(std::uint8_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", v);
    return buf;
}

}  // namespace

bool MessageReader::ReadExact(std::span<std::uint8_t> out, bool endAllowed) {
    std::size_t got = 0;
    while (got < out.size()) {
        const std::size_t n = source_.ReadSome(out.subspan(got));
        if (n == 0) {
            if (got == 0 && endAllowed) return false;
            throw ProtocolError("connection closed inside a packet (" + std::to_string(got) +
                                " of " + std::to_string(out.size()) + " bytes read)");
        }
        got += n;
    }
    return true;
}

std::optional<Message> MessageReader::Next() {
    Message message{PacketType::SqlBatch, {}};
    bool started = false;
    std::array<std::uint8_t, kHeaderSize> header{};
    for (;;) {
        if (!ReadExact(header, !started)) return std::nullopt;
        const std::uint8_t type = header[0];
        const std::uint8_t status = header[1];
        const std::size_t length = static_cast<std::size_t>((header[2] << 8) | header[3]);
        if (!IsClientType(type)) throw ProtocolError("unknown packet type " + Hex(type));
        if (length < kHeaderSize || length > kMaxReceivedPacket)
            throw ProtocolError("packet length " + std::to_string(length) + " is out of range");

        const std::size_t body = length - kHeaderSize;
        if (static_cast<PacketType>(type) == PacketType::Attention) {
            // An attention is header-only; it cancels whatever the client was sending.
            Bytes ignored(body);
            ReadExact(ignored, false);
            return Message{PacketType::Attention, {}};
        }
        if (body == 0 && !(status & kStatusEndOfMessage))
            throw ProtocolError("empty packet inside a message");  // would let a message never end
        if (started && static_cast<PacketType>(type) != message.type)
            throw ProtocolError("packet type changed from " +
                                Hex(static_cast<std::uint8_t>(message.type)) + " to " + Hex(type) +
                                " inside one message");
        if (message.payload.size() + body > maxMessage_)
            throw ProtocolError("message of type " + Hex(type) + " exceeds the limit of " +
                                std::to_string(maxMessage_) + " bytes");
        message.type = static_cast<PacketType>(type);
        started = true;
        const std::size_t old = message.payload.size();
        message.payload.resize(old + body);
        ReadExact(std::span<std::uint8_t>(message.payload).subspan(old), false);

        if (status & kStatusEndOfMessage) {
            if (status & kStatusIgnore) {
                // The client abandoned this message; read the next one.
                message.payload.clear();
                started = false;
                continue;
            }
            return message;
        }
    }
}

void MessageWriter::Send(PacketType type, std::span<const std::uint8_t> payload) {
    const std::size_t bodyMax = packetSize_ - kHeaderSize;
    std::size_t offset = 0;
    std::uint8_t packetId = 1;
    Bytes packet;
    packet.reserve(std::min(packetSize_, payload.size() + kHeaderSize));
    do {
        const std::size_t n = std::min(bodyMax, payload.size() - offset);
        const bool last = offset + n == payload.size();
        const std::size_t length = n + kHeaderSize;
        packet.assign({static_cast<std::uint8_t>(type),
                       static_cast<std::uint8_t>(last ? kStatusEndOfMessage : 0),
                       static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                       static_cast<std::uint8_t>(spid_ >> 8), static_cast<std::uint8_t>(spid_),
                       packetId, 0});
        packet.insert(packet.end(), payload.begin() + static_cast<std::ptrdiff_t>(offset),
                      payload.begin() + static_cast<std::ptrdiff_t>(offset + n));
        sink_.WriteAll(packet);
        offset += n;
        ++packetId;  // wraps at 256, as the protocol expects
    } while (offset < payload.size());
}

}  // namespace standin::tds
