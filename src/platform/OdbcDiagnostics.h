#pragma once
// Reading an ODBC handle's diagnostic records and turning a failed call into EDatabaseError.

#ifdef _WIN32
#include <windows.h>  // the ODBC headers of Windows build on it
#endif
#include <sql.h>

#include <string>
#include <string_view>
#include <vector>

#include "DatabaseError.h"

namespace kavel {

std::vector<OdbcDiagnostic> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// "[FreeTDS][SQL Server]Invalid object name 'x'." -> "Invalid object name 'x'.": drops every
// leading bracketed component tag the driver manager and driver put in front of the text.
std::string WithoutDriverPrefix(std::string_view text);

// The readable message of a failure: the text of the first record that is not a mere warning
// (SQLSTATE class "01"), without prefixes; `fallback` when the handle has no records.
std::string FailureMessage(const std::vector<OdbcDiagnostic>& diagnostics,
                           std::string_view fallback);

// Throws EDatabaseError for a call that returned `rc`, unless rc is SQL_SUCCESS or
// SQL_SUCCESS_WITH_INFO. `what` names the call for the case that the driver says nothing.
void CheckOdbc(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view what);

}  // namespace kavel
