#pragma once
// The one error type of the database layer: a refused connection, a statement the server
// rejected, a lost link. what() is the readable text (the server's own message, without the
// driver's "[vendor][component]" prefixes); the full diagnostic records stay available.

#include <stdexcept>
#include <string>
#include <vector>

namespace kavel {

struct OdbcDiagnostic {
    std::string sqlState;  // five characters, e.g. "42S02"
    long nativeError = 0;  // the server's message number when the server raised it
    std::string text;      // as the driver gave it, prefixes included (UTF-8)
};

class EDatabaseError : public std::runtime_error {
public:
    EDatabaseError(const std::string& message, std::vector<OdbcDiagnostic> diagnostics = {})
        : std::runtime_error(message), diagnostics_(std::move(diagnostics)) {}

    const std::vector<OdbcDiagnostic>& Diagnostics() const { return diagnostics_; }

private:
    std::vector<OdbcDiagnostic> diagnostics_;
};

}  // namespace kavel
