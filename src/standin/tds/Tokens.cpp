#include "Tokens.h"

#include "ServerIdentity.h"

namespace standin::tds {

namespace {

// Starts a token whose USHORT length follows the token byte; returns where the length goes.
std::size_t BeginSized(WireWriter& out, TokenType type) {
    out.U8(static_cast<std::uint8_t>(type));
    const std::size_t at = out.Size();
    out.U16LE(0);
    return at;
}

void EndSized(WireWriter& out, std::size_t lengthAt) {
    out.PatchU16LE(lengthAt, static_cast<std::uint16_t>(out.Size() - lengthAt - 2));
}

// Message texts are cut so that the whole token stays within its USHORT length.
constexpr std::size_t kMaxMessageUnits = 8000;

}  // namespace

void WriteEnvChange(WireWriter& out, EnvChangeType type, std::string_view newValue,
                    std::string_view oldValue) {
    const std::size_t at = BeginSized(out, TokenType::EnvChange);
    out.U8(static_cast<std::uint8_t>(type));
    out.BVarChar(newValue);
    out.BVarChar(oldValue);
    EndSized(out, at);
}

void WriteCollationChange(WireWriter& out, std::span<const std::uint8_t, 5> collation) {
    const std::size_t at = BeginSized(out, TokenType::EnvChange);
    out.U8(static_cast<std::uint8_t>(EnvChangeType::Collation));
    out.U8(static_cast<std::uint8_t>(collation.size()));
    out.Append(collation);
    out.U8(0);  // no old value
    EndSized(out, at);
}

void WriteMessage(WireWriter& out, const SqlMessage& message) {
    const std::size_t at =
        BeginSized(out, message.severity > 10 ? TokenType::Error : TokenType::Info);
    out.U32LE(static_cast<std::uint32_t>(message.number));
    out.U8(static_cast<std::uint8_t>(message.state));
    out.U8(static_cast<std::uint8_t>(message.severity));
    out.USVarChar(message.text, kMaxMessageUnits);
    out.BVarChar(kServerName);
    out.BVarChar("");  // procedure name: batches only
    out.U32LE(static_cast<std::uint32_t>(message.line));
    EndSized(out, at);
}

void WriteLoginAck(WireWriter& out, std::uint32_t tdsVersion) {
    const std::size_t at = BeginSized(out, TokenType::LoginAck);
    out.U8(1);              // interface: SQL_TSQL
    out.U32BE(tdsVersion);  // big-endian here, unlike LOGIN7
    out.BVarChar(kProductName);
    out.U8(kProductVersion.major);
    out.U8(kProductVersion.minor);
    out.U8(static_cast<std::uint8_t>(kProductVersion.build >> 8));
    out.U8(static_cast<std::uint8_t>(kProductVersion.build));
    EndSized(out, at);
}

void WriteDone(WireWriter& out, std::uint16_t status, std::uint64_t rowCount, TokenType token) {
    out.U8(static_cast<std::uint8_t>(token));
    out.U16LE(status);
    out.U16LE(0);  // current command: clients do not rely on it
    out.U64LE(rowCount);
}

void WriteReturnStatus(WireWriter& out, std::int32_t status) {
    out.U8(static_cast<std::uint8_t>(TokenType::ReturnStatus));
    out.U32LE(static_cast<std::uint32_t>(status));
}

void WriteReturnValueInt(WireWriter& out, std::uint16_t ordinal, std::int32_t value) {
    out.U8(static_cast<std::uint8_t>(TokenType::ReturnValue));
    out.U16LE(ordinal);
    out.BVarChar("");   // parameter name: the client sent none
    out.U8(0x01);       // status: output parameter
    out.U32LE(0);       // user type
    out.U16LE(0x0001);  // flags: nullable
    out.U8(0x26);       // INTN
    out.U8(4);
    out.U8(4);
    out.U32LE(static_cast<std::uint32_t>(value));
}

}  // namespace standin::tds
