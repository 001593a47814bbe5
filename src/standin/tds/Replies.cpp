#include "Replies.h"

#include <cstdio>
#include <string>

#include "Packet.h"
#include "ResultEncoding.h"
#include "ServerIdentity.h"
#include "Tokens.h"

namespace standin::tds {

Bytes BuildLoginReply(const LoginReplyParameters& p) {
    WireWriter out;
    const std::string database(p.database.empty() ? kDefaultDatabase : p.database);
    WriteEnvChange(out, EnvChangeType::Database, database, kPreviousDatabase);
    WriteMessage(out, SqlMessage{5701, 2, 0, "Changed database context to '" + database + "'.", 1});
    WriteCollationChange(out, std::span<const std::uint8_t, 5>(kCollation));
    WriteEnvChange(out, EnvChangeType::Language, kLanguage, "");
    WriteMessage(out, SqlMessage{5703, 1, 0,
                                 "Changed language setting to " + std::string(kLanguage) + ".", 1});
    WriteEnvChange(out, EnvChangeType::PacketSize, std::to_string(p.packetSize),
                   std::to_string(kDefaultPacketSize));
    WriteLoginAck(out, p.tdsVersion);
    WriteDone(out, kDoneFinal);
    return std::move(out.Data());
}

Bytes BuildLoginFailure(std::string_view user) {
    WireWriter out;
    WriteMessage(out,
                 SqlMessage{18456, 1, 14, "Login failed for user '" + std::string(user) + "'.", 1});
    WriteDone(out, kDoneError);
    return std::move(out.Data());
}

namespace {

// One statement's tokens: result set, messages, then `done` with MORE when more follow.
void WriteStatement(WireWriter& out, const StatementOutcome& s, bool more, TokenType done) {
    bool failed = s.failed;
    if (s.resultSet) {
        WireWriter scratch;
        try {
            WriteResultSet(scratch, *s.resultSet);
            out.Append(scratch.Data());
        } catch (const EncodingError& e) {
            std::fprintf(stderr, "sqlstandin: result set not sent: %s\n", e.what());
            WriteMessage(
                out, SqlMessage{
                         kStandinErrorNumber, 1, 16,
                         std::string("sqlstandin could not send the result set: ") + e.what(), 1});
            failed = true;
        }
    }
    for (const SqlMessage& m : s.messages) WriteMessage(out, m);
    std::uint16_t status = more ? kDoneMore : kDoneFinal;
    if (failed) status |= kDoneError;
    if (s.rowCount) status |= kDoneCount;
    WriteDone(out, status, s.rowCount ? static_cast<std::uint64_t>(*s.rowCount) : 0, done);
}

}  // namespace

Bytes BuildBatchReply(const BatchOutcome& outcome) {
    WireWriter out;
    const std::size_t n = outcome.statements.size();
    for (std::size_t i = 0; i < n; ++i)
        WriteStatement(out, outcome.statements[i], i + 1 < n, TokenType::Done);
    if (n == 0) WriteDone(out, kDoneFinal);
    return std::move(out.Data());
}

Bytes BuildRpcReply(const BatchOutcome& outcome, std::optional<std::int32_t> outputHandle) {
    WireWriter out;
    for (const StatementOutcome& s : outcome.statements)
        WriteStatement(out, s, true, TokenType::DoneInProc);
    WriteReturnStatus(out, 0);
    if (outputHandle) WriteReturnValueInt(out, 0, *outputHandle);
    WriteDone(out, kDoneFinal, 0, TokenType::DoneProc);
    return std::move(out.Data());
}

Bytes BuildErrorReply(const SqlMessage& message) {
    WireWriter out;
    WriteMessage(out, message);
    WriteDone(out, kDoneError);
    return std::move(out.Data());
}

Bytes BuildAttentionAck() {
    WireWriter out;
    WriteDone(out, kDoneAttention);
    return std::move(out.Data());
}

}  // namespace standin::tds
