#pragma once
// Whole reply messages, as token streams ready to be framed into packets.

#include <cstdint>
#include <optional>
#include <string_view>

#include "Engine.h"
#include "WireBuffer.h"

namespace standin::tds {

struct LoginReplyParameters {
    std::uint32_t tdsVersion;
    std::string_view database;
    std::size_t packetSize;
};

// ENVCHANGE database, INFO 5701, ENVCHANGE collation, ENVCHANGE language, INFO 5703,
// ENVCHANGE packet size, LOGINACK, DONE.
Bytes BuildLoginReply(const LoginReplyParameters& p);

// ERROR 18456 for `user`, then DONE with the error bit.
Bytes BuildLoginFailure(std::string_view user);

// Per statement: its result set, its messages, one DONE (MORE on all but the last; COUNT when
// a row count is known; ERROR when it failed). An empty batch still gets one DONE. A result set
// that cannot be encoded is replaced by an error message, so one fault spoils one statement.
Bytes BuildBatchReply(const BatchOutcome& outcome);

// The reply to an RPC that ran `outcome`: its statements end with DONEINPROC, then RETURNSTATUS,
// the int OUTPUT value if any (a prepared-statement handle), and DONEPROC.
Bytes BuildRpcReply(const BatchOutcome& outcome, std::optional<std::int32_t> outputHandle);

// An error message then DONE(ERROR), for a request the stand-in refuses.
Bytes BuildErrorReply(const SqlMessage& message);

// DONE with the attention bit: acknowledges a cancel.
Bytes BuildAttentionAck();

// Number of the stand-in's own errors (refused requests, engine faults): SQL Server's number
// for messages that have no catalogue entry of their own.
inline constexpr int kStandinErrorNumber = 50000;

}  // namespace standin::tds
