#include "TdsSession.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "Login7.h"
#include "Prelogin.h"
#include "ProtocolError.h"
#include "Replies.h"
#include "Rpc.h"
#include "SqlBatch.h"

namespace standin::tds {

namespace {

bool IsSupportedVersion(std::uint32_t v) {
    return v == kTds72 || v == kTds73A || v == kTds73B || v == kTds74;
}

std::string VersionText(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

constexpr std::size_t kMaxPreparedStatements = 10000;

std::size_t NegotiatePacketSize(std::uint32_t requested) {
    if (requested == 0) return kDefaultPacketSize;
    return std::clamp<std::size_t>(requested, 512, kMaxPacketSize);
}

// The text of parameter i, or null when it is absent, NULL or not text.
const std::string* TextParameter(const std::vector<RpcParameter>& p, std::size_t i) {
    return i < p.size() && p[i].text ? &*p[i].text : nullptr;
}

// Query parameters are declared in a text parameter and passed after the fixed ones.
bool HasQueryParameters(const std::vector<RpcParameter>& p, std::size_t declaration,
                        std::size_t fixedCount) {
    const std::string* d = TextParameter(p, declaration);
    return (d && !d->empty()) || p.size() > fixedCount;
}

}  // namespace

TdsSession::TdsSession(Engine& engine, ByteSource& in, ByteSink& out, std::uint16_t spid,
                       SessionHooks hooks)
    : engine_(engine), reader_(in), writer_(out), hooks_(std::move(hooks)) {
    session_.spid = spid;
    writer_.SetSpid(spid);
    reader_.SetMaxMessageSize(kMaxLoginMessage);
}

void TdsSession::Send(const Bytes& reply) { writer_.Send(PacketType::Reply, reply); }

bool TdsSession::OnPrelogin(const Message& m) {
    if (phase_ != Phase::Prelogin) {
        ending_ = "PRELOGIN sent twice or after LOGIN7";
        return false;
    }
    const PreloginRequest request = ParsePrelogin(m.payload);
    Send(BuildPreloginReply());
    phase_ = Phase::Login;
    if (request.encryption == kEncryptRequired) {
        // The client insists on TLS, which the stand-in does not offer; it will hang up.
        ending_ = "client requires encryption";
    }
    return true;
}

bool TdsSession::OnLogin(const Message& m) {
    if (phase_ == Phase::LoggedIn) {
        ending_ = "LOGIN7 sent twice";
        return false;
    }
    const Login7 login = ParseLogin7(m.payload);
    if (!IsSupportedVersion(login.tdsVersion)) {
        Send(BuildErrorReply(
            SqlMessage{kStandinErrorNumber, 1, 16,
                       "sqlstandin speaks TDS 7.2 to 7.4; the client asked for TDS version " +
                           VersionText(login.tdsVersion) + ".",
                       1}));
        ending_ = "unsupported TDS version " + VersionText(login.tdsVersion);
        return false;
    }
    const bool accepted =
        !login.integratedSecurity && engine_.CheckLogin(login.userName, login.password);
    if (!accepted) {
        Send(BuildLoginFailure(login.userName));
        ending_ = "login failed for user '" + login.userName + "'";
        return false;
    }
    const std::size_t packetSize = NegotiatePacketSize(login.packetSize);
    Send(BuildLoginReply({std::min(login.tdsVersion, kTds74), login.database, packetSize}));
    writer_.SetPacketSize(packetSize);
    reader_.SetMaxMessageSize(kMaxRequestMessage);
    session_.login = login.userName;
    phase_ = Phase::LoggedIn;
    ending_.clear();
    if (hooks_.onLoggedIn) hooks_.onLoggedIn();
    return true;
}

BatchOutcome TdsSession::Run(std::string_view sql) {
    try {
        return engine_.ExecuteBatch(session_, sql);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sqlstandin: session %d: engine failed on a batch: %s\n",
                     session_.spid, e.what());
        StatementOutcome failed;
        failed.failed = true;
        failed.messages.push_back(
            SqlMessage{kStandinErrorNumber, 1, 16,
                       std::string("sqlstandin could not run the batch: ") + e.what(), 1});
        BatchOutcome outcome;
        outcome.statements.push_back(std::move(failed));
        return outcome;
    }
}

void TdsSession::Refuse(int number, int state, std::string text) {
    Send(BuildErrorReply(SqlMessage{number, state, 16, std::move(text), 1}));
}

void TdsSession::OnBatch(const Message& m) {
    const std::string sql = DecodeSqlBatch(m.payload);
    Send(BuildBatchReply(Run(sql)));
}

void TdsSession::OnRpc(const Message& m) {
    RpcRequest rpc;
    try {
        rpc = ParseRpc(m.payload);
    } catch (const UnsupportedRpc& e) {
        Refuse(kStandinErrorNumber, 1, e.what());
        return;
    }
    const std::optional<SpecialProc> proc = ResolveSpecialProc(rpc);
    if (!proc) {
        const std::string name =
            rpc.procId ? "procedure #" + std::to_string(*rpc.procId) : rpc.procName;
        Refuse(2812, 62, "Could not find stored procedure '" + name + "'.");
        return;
    }
    if (rpc.moreRequests) {
        Refuse(kStandinErrorNumber, 1, "sqlstandin runs one RPC per request.");
        return;
    }
    RunSpecialProc(*proc, rpc.parameters);
}

void TdsSession::RunSpecialProc(SpecialProc proc, const std::vector<RpcParameter>& p) {
    const auto text = [&p](std::size_t i) { return TextParameter(p, i); };
    const auto hasQueryParameters = [&p](std::size_t declaration, std::size_t fixedCount) {
        return HasQueryParameters(p, declaration, fixedCount);
    };
    const std::string noParameters =
        "sqlstandin does not support query parameters; put the values in the statement text.";

    switch (proc) {
        case SpecialProc::ExecuteSql: {
            const std::string* sql = text(0);
            if (!sql)
                return Refuse(kStandinErrorNumber, 1, "sp_executesql needs the statement text.");
            if (hasQueryParameters(1, 2)) return Refuse(kStandinErrorNumber, 1, noParameters);
            Send(BuildRpcReply(Run(*sql), std::nullopt));
            return;
        }
        case SpecialProc::Prepare:
        case SpecialProc::PrepExec: {
            const std::string* sql = text(2);
            if (!sql) return Refuse(kStandinErrorNumber, 1, "sp_prepare needs the statement text.");
            if (hasQueryParameters(1, proc == SpecialProc::Prepare ? 4 : 3))
                return Refuse(kStandinErrorNumber, 1, noParameters);
            if (prepared_.size() >= kMaxPreparedStatements)
                return Refuse(kStandinErrorNumber, 1,
                              "sqlstandin holds at most " + std::to_string(kMaxPreparedStatements) +
                                  " prepared statements per session.");
            const std::int32_t handle = nextHandle_++;
            prepared_[handle] = *sql;
            Send(BuildRpcReply(proc == SpecialProc::PrepExec ? Run(*sql) : BatchOutcome{}, handle));
            return;
        }
        case SpecialProc::Execute: {
            const auto it = p.empty() || !p[0].integer
                                ? prepared_.end()
                                : prepared_.find(static_cast<std::int32_t>(*p[0].integer));
            if (it == prepared_.end()) {
                const std::string shown =
                    !p.empty() && p[0].integer ? std::to_string(*p[0].integer) : "NULL";
                return Refuse(8179, 4,
                              "Could not find prepared statement with handle " + shown + ".");
            }
            if (p.size() > 1) return Refuse(kStandinErrorNumber, 1, noParameters);
            Send(BuildRpcReply(Run(it->second), std::nullopt));
            return;
        }
        case SpecialProc::Unprepare:
            if (!p.empty() && p[0].integer)
                prepared_.erase(static_cast<std::int32_t>(*p[0].integer));
            Send(BuildRpcReply(BatchOutcome{}, std::nullopt));
            return;
    }
}

void TdsSession::OnUnsupported(const Message& m) {
    char type[8];
    std::snprintf(type, sizeof type, "0x%02X", static_cast<unsigned>(m.type));
    Refuse(kStandinErrorNumber, 1,
           std::string("sqlstandin accepts SQL batches and RPCs only; request type ") + type +
               " is not supported.");
}

std::string TdsSession::Run() {
    try {
        for (;;) {
            std::optional<Message> m = reader_.Next();
            if (!m) {
                // A client that hangs up after a refused login is expected; before login,
                // report whatever was pending (e.g. it required encryption).
                return phase_ == Phase::LoggedIn ? std::string() : ending_;
            }
            switch (m->type) {
                case PacketType::Prelogin:
                    if (!OnPrelogin(*m)) return ending_;
                    break;
                case PacketType::Login7:
                    if (!OnLogin(*m)) return ending_;
                    break;
                case PacketType::Attention:
                    if (phase_ != Phase::LoggedIn) return "attention before login";
                    // Every earlier request has been answered in full, so the cancel only needs
                    // its acknowledgement.
                    Send(BuildAttentionAck());
                    break;
                case PacketType::SqlBatch:
                    if (phase_ != Phase::LoggedIn) return "SQL batch before login";
                    OnBatch(*m);
                    break;
                case PacketType::Rpc:
                    if (phase_ != Phase::LoggedIn) return "RPC before login";
                    OnRpc(*m);
                    break;
                default:
                    if (phase_ != Phase::LoggedIn) return "request before login";
                    OnUnsupported(*m);
                    break;
            }
        }
    } catch (const ProtocolError& e) {
        return std::string("protocol error: ") + e.what();
    } catch (const std::exception& e) {
        return e.what();
    }
}

}  // namespace standin::tds
