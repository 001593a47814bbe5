// libFuzzer target: one message payload, given straight to each parser (LOGIN7, PRELOGIN, SQL
// batch, RPC), without framing, so that mutations reach deep into their fields.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <span>

#include "Login7.h"
#include "Prelogin.h"
#include "ProtocolError.h"
#include "Rpc.h"
#include "SqlBatch.h"

namespace {

template <typename F>
void Try(F&& parse) {
    try {
        parse();
    } catch (const standin::tds::ProtocolError&) {
    } catch (const standin::tds::UnsupportedRpc&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace standin::tds;
    const std::span<const std::uint8_t> payload(data, size);
    Try([&] {
        const Login7 login = ParseLogin7(payload);
        // What the session does with a parsed login must hold for any strings.
        if (login.userName.size() > 4 * 128 || login.password.size() > 4 * 128) __builtin_trap();
    });
    Try([&] { ParsePrelogin(payload); });
    Try([&] { DecodeSqlBatch(payload); });
    Try([&] { ParseRpc(payload); });
    return 0;
}
