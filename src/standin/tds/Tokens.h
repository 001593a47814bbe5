#pragma once
// The tokens of a server reply (MS-TDS 2.2.7), written in their TDS 7.2+ forms.

#include <cstdint>
#include <span>
#include <string_view>

#include "Engine.h"
#include "WireBuffer.h"

namespace standin::tds {

enum class TokenType : std::uint8_t {
    ColMetadata = 0x81,
    Error = 0xAA,
    Info = 0xAB,
    LoginAck = 0xAD,
    Row = 0xD1,
    EnvChange = 0xE3,
    ReturnStatus = 0x79,
    ReturnValue = 0xAC,
    Done = 0xFD,
    DoneProc = 0xFE,
    DoneInProc = 0xFF,
};

enum class EnvChangeType : std::uint8_t {
    Database = 1,
    Language = 2,
    PacketSize = 4,
    Collation = 7,
};

// DONE status bits.
inline constexpr std::uint16_t kDoneFinal = 0x0000;
inline constexpr std::uint16_t kDoneMore = 0x0001;
inline constexpr std::uint16_t kDoneError = 0x0002;
inline constexpr std::uint16_t kDoneCount = 0x0010;
inline constexpr std::uint16_t kDoneAttention = 0x0020;

void WriteEnvChange(WireWriter& out, EnvChangeType type, std::string_view newValue,
                    std::string_view oldValue);
void WriteCollationChange(WireWriter& out, std::span<const std::uint8_t, 5> collation);

// ERROR for severity above 10, INFO otherwise; text, server name and line as SQL Server sends them.
void WriteMessage(WireWriter& out, const SqlMessage& message);

void WriteLoginAck(WireWriter& out, std::uint32_t tdsVersion);

// DONE ends a statement of a batch; DONEINPROC a statement inside an RPC, DONEPROC the RPC.
void WriteDone(WireWriter& out, std::uint16_t status, std::uint64_t rowCount = 0,
               TokenType token = TokenType::Done);

void WriteReturnStatus(WireWriter& out, std::int32_t status);

// An int OUTPUT parameter's value (e.g. the handle sp_prepexec returns).
void WriteReturnValueInt(WireWriter& out, std::uint16_t ordinal, std::int32_t value);

}  // namespace standin::tds
