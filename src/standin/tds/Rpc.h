#pragma once
// RPC requests, as far as clients use them to run plain statements: FreeTDS's ODBC driver sends
// SQLPrepare/SQLExecute as sp_prepexec and sp_execute (and sp_unprepare when the statement is
// freed), and may use sp_executesql and sp_prepare. Parameter values of the common types are
// read so that a request can be refused with a clear message rather than misread.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace standin::tds {

// Well-known procedure ids (ProcIDSwitch 0xFFFF).
enum class SpecialProc : std::uint16_t {
    ExecuteSql = 10,
    Prepare = 11,
    Execute = 12,
    PrepExec = 13,
    Unprepare = 15,
};

struct RpcParameter {
    std::string name;  // UTF-8, may be empty
    bool output = false;
    bool isNull = true;
    std::optional<std::int64_t> integer;  // for integer types
    std::optional<std::string> text;      // for Unicode text types, UTF-8
};

struct RpcRequest {
    std::optional<std::uint16_t> procId;  // set when called by number
    std::string procName;                 // set when called by name
    std::vector<RpcParameter> parameters;
    bool moreRequests = false;  // the message batches further requests after this one
};

// A well-formed request that uses a feature the stand-in does not have (a parameter type it does
// not read). The session answers it with an error and goes on.
class UnsupportedRpc : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws ProtocolError for malformed input, UnsupportedRpc for unknown parameter types.
RpcRequest ParseRpc(std::span<const std::uint8_t> payload);

// The special procedure a request names, by number or by its name.
std::optional<SpecialProc> ResolveSpecialProc(const RpcRequest& request);

}  // namespace standin::tds
