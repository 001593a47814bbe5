#include "Prelogin.h"

#include <string>

#include "ProtocolError.h"
#include "ServerIdentity.h"

namespace standin::tds {

namespace {
constexpr std::uint8_t kOptionVersion = 0x00;
constexpr std::uint8_t kOptionEncryption = 0x01;
constexpr std::uint8_t kOptionInstance = 0x02;
constexpr std::uint8_t kOptionThreadId = 0x03;
constexpr std::uint8_t kOptionMars = 0x04;
constexpr std::uint8_t kOptionTerminator = 0xFF;
constexpr int kMaxOptions = 64;
}  // namespace

PreloginRequest ParsePrelogin(std::span<const std::uint8_t> payload) {
    PreloginRequest request;
    WireReader reader(payload);
    for (int count = 0;; ++count) {
        if (count > kMaxOptions) throw ProtocolError("PRELOGIN has too many options");
        const std::uint8_t token = reader.U8();
        if (token == kOptionTerminator) break;
        const std::size_t offset = reader.U16BE();
        const std::size_t length = reader.U16BE();
        if (offset > payload.size() || length > payload.size() - offset)
            throw ProtocolError("PRELOGIN option " + std::to_string(token) +
                                " points outside the message");
        if (token == kOptionEncryption) {
            if (length < 1) throw ProtocolError("PRELOGIN ENCRYPTION option is empty");
            request.encryption = payload[offset];
        }
    }
    return request;
}

Bytes BuildPreloginReply() {
    struct Option {
        std::uint8_t token;
        Bytes data;
    };
    const Option options[] = {
        {kOptionVersion,
         {kProductVersion.major, kProductVersion.minor,
          static_cast<std::uint8_t>(kProductVersion.build >> 8),
          static_cast<std::uint8_t>(kProductVersion.build), 0, 0}},
        {kOptionEncryption, {kEncryptNotSupported}},
        {kOptionInstance, {0}},
        {kOptionThreadId, {}},
        {kOptionMars, {0}},
    };
    const std::size_t tableSize = std::size(options) * 5 + 1;
    WireWriter table;
    WireWriter data;
    for (const Option& o : options) {
        table.U8(o.token);
        table.U16BE(static_cast<std::uint16_t>(tableSize + data.Size()));
        table.U16BE(static_cast<std::uint16_t>(o.data.size()));
        data.Append(o.data);
    }
    table.U8(kOptionTerminator);
    table.Append(data.Data());
    return std::move(table.Data());
}

}  // namespace standin::tds
