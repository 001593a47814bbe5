#include "OdbcDiagnostics.h"

#include <sqlext.h>

#include <algorithm>

#include "WideText.h"

namespace kavel {

std::vector<OdbcDiagnostic> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<OdbcDiagnostic> records;
    if (handle == SQL_NULL_HANDLE) return records;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        WideString text(512, 0);
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(),
                                      static_cast<SQLSMALLINT>(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
            text.assign(static_cast<std::size_t>(length) + 1, 0);  // a longer message
            rc = SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(),
                                static_cast<SQLSMALLINT>(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc)) break;
        const auto shown = std::min<std::size_t>(
            static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), text.size() - 1);
        text.resize(shown);
        records.push_back({FromWide(state, 5), static_cast<long>(native), FromWide(text)});
    }
    return records;
}

std::string WithoutDriverPrefix(std::string_view text) {
    while (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) break;
        text.remove_prefix(close + 1);
    }
    return std::string(text);
}

std::string FailureMessage(const std::vector<OdbcDiagnostic>& diagnostics,
                           std::string_view fallback) {
    for (const auto& d : diagnostics) {
        if (d.sqlState.rfind("01", 0) != 0) return WithoutDriverPrefix(d.text);
    }
    if (!diagnostics.empty()) return WithoutDriverPrefix(diagnostics.front().text);
    return std::string(fallback);
}

void CheckOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view what) {
    if (SQL_SUCCEEDED(rc)) return;
    auto diagnostics = ReadDiagnostics(handleType, handle);
    std::string fallback = std::string(what) + " failed";
    if (rc == SQL_INVALID_HANDLE) fallback += " (invalid handle)";
    std::string message = FailureMessage(diagnostics, fallback);  // before the records move
    throw EDatabaseError(message, std::move(diagnostics));
}

}  // namespace kavel
