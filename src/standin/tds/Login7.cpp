#include "Login7.h"

#include <string>
#include <vector>

#include "ProtocolError.h"
#include "Utf16.h"
#include "WireBuffer.h"

namespace standin::tds {

namespace {

// Size of the fixed part for TDS 7.2 and later, up to and including cbSSPILong.
constexpr std::size_t kFixedSize = 94;
// Longest name or password the protocol allows, in characters.
constexpr std::size_t kMaxNameChars = 128;
constexpr std::uint8_t kIntegratedSecurity = 0x80;  // OptionFlags2 fIntSecurity

struct Field {
    std::uint16_t offset;
    std::uint16_t chars;
};

Field ReadField(WireReader& r) {
    Field f;
    f.offset = r.U16LE();
    f.chars = r.U16LE();
    return f;
}

std::span<const std::uint8_t> FieldBytes(std::span<const std::uint8_t> record, const Field& f,
                                         const char* what) {
    if (f.chars > kMaxNameChars)
        throw ProtocolError(std::string("LOGIN7 ") + what + " is longer than 128 characters");
    const std::size_t bytes = std::size_t{f.chars} * 2;
    if (f.offset > record.size() || bytes > record.size() - f.offset)
        throw ProtocolError(std::string("LOGIN7 ") + what + " lies outside the login record");
    return record.subspan(f.offset, bytes);
}

std::string FieldText(std::span<const std::uint8_t> record, const Field& f, const char* what) {
    return Utf16LeToUtf8(FieldBytes(record, f, what));
}

}  // namespace

void DeobfuscatePassword(std::span<std::uint8_t> bytes) {
    for (std::uint8_t& b : bytes) {
        const std::uint8_t x = b ^ 0xA5;
        b = static_cast<std::uint8_t>((x << 4) | (x >> 4));
    }
}

Login7 ParseLogin7(std::span<const std::uint8_t> payload) {
    WireReader r(payload);
    const std::uint32_t length = r.U32LE();
    if (length > payload.size())
        throw ProtocolError("LOGIN7 claims " + std::to_string(length) +
                            " bytes but the message holds " + std::to_string(payload.size()));
    if (length < kFixedSize)
        throw ProtocolError("LOGIN7 record of " + std::to_string(length) +
                            " bytes is shorter than its fixed part");
    const auto record = payload.first(length);

    Login7 login;
    login.tdsVersion = r.U32LE();
    login.packetSize = r.U32LE();
    r.U32LE();  // client program version
    r.U32LE();  // client process id
    r.U32LE();  // connection id
    login.optionFlags1 = r.U8();
    login.optionFlags2 = r.U8();
    login.typeFlags = r.U8();
    login.optionFlags3 = r.U8();
    r.U32LE();  // client time zone
    r.U32LE();  // client LCID
    const Field host = ReadField(r);
    const Field user = ReadField(r);
    const Field password = ReadField(r);
    const Field app = ReadField(r);
    const Field server = ReadField(r);
    ReadField(r);  // extension / unused
    const Field library = ReadField(r);
    const Field language = ReadField(r);
    const Field database = ReadField(r);

    login.integratedSecurity = (login.optionFlags2 & kIntegratedSecurity) != 0;
    login.hostName = FieldText(record, host, "host name");
    login.userName = FieldText(record, user, "user name");
    login.appName = FieldText(record, app, "application name");
    login.serverName = FieldText(record, server, "server name");
    login.libraryName = FieldText(record, library, "library name");
    login.language = FieldText(record, language, "language");
    login.database = FieldText(record, database, "database");

    const auto obfuscated = FieldBytes(record, password, "password");
    std::vector<std::uint8_t> clear(obfuscated.begin(), obfuscated.end());
    DeobfuscatePassword(clear);
    login.password = Utf16LeToUtf8(clear);
    return login;
}

}  // namespace standin::tds
