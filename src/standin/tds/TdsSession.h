#pragma once
// One client connection: PRELOGIN, LOGIN7, then SQL batches until the client leaves. Protocol
// faults end the session (the reason is returned for the log); they never reach the engine.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"
#include "Packet.h"
#include "Rpc.h"

namespace standin::tds {

struct SessionHooks {
    // Called once the login succeeded (the server lifts the login timeout).
    std::function<void()> onLoggedIn;
};

class TdsSession {
public:
    TdsSession(Engine& engine, ByteSource& in, ByteSink& out, std::uint16_t spid,
               SessionHooks hooks = {});

    // Serves the connection until it ends. Returns an empty string when the client closed it
    // normally, otherwise why the session ended (protocol fault, refused login, I/O error).
    std::string Run();

private:
    enum class Phase { Prelogin, Login, LoggedIn };

    // Each returns false when the session must end, with the reason in `ending_`.
    bool OnPrelogin(const Message& m);
    bool OnLogin(const Message& m);
    void OnBatch(const Message& m);
    void OnRpc(const Message& m);
    // Answers one of the procedures that ODBC drivers call to run statement text.
    void RunSpecialProc(SpecialProc proc, const std::vector<RpcParameter>& p);
    void OnUnsupported(const Message& m);
    // Runs statements in the engine; an engine failure becomes a failed statement.
    BatchOutcome Run(std::string_view sql);
    void Refuse(int number, int state, std::string text);
    void Send(const Bytes& reply);

    Engine& engine_;
    MessageReader reader_;
    MessageWriter writer_;
    SessionHooks hooks_;
    Session session_;
    Phase phase_ = Phase::Prelogin;
    std::map<std::int32_t, std::string> prepared_;  // sp_prepare/sp_prepexec handles
    std::int32_t nextHandle_ = 1;
    std::string ending_;
};

}  // namespace standin::tds
