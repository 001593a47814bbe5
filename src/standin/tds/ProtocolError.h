#pragma once
// A client broke the TDS protocol (malformed, truncated or oversized input). The session that
// received it ends with this reason logged; the server and the data are untouched.

#include <stdexcept>

namespace standin::tds {

class ProtocolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace standin::tds
