#pragma once
// A thin ODBC client for protocol tests: one connection and one statement handle, narrow
// (UTF-8) calls, every failure turned into an exception that carries the driver's diagnostics.

#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace standin::test {

struct OdbcDiagnostic {
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
};

class OdbcFailure : public std::runtime_error {
public:
    OdbcFailure(const std::string& what, std::vector<OdbcDiagnostic> diagnostics);
    std::vector<OdbcDiagnostic> diagnostics;
};

struct OdbcColumn {
    std::string name;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    std::string typeName;  // the server's name for the type, e.g. "decimal"
};

using TextRow = std::vector<std::optional<std::string>>;

class OdbcTestClient {
public:
    explicit OdbcTestClient(const std::string& connectionString);
    ~OdbcTestClient();
    OdbcTestClient(const OdbcTestClient&) = delete;
    OdbcTestClient& operator=(const OdbcTestClient&) = delete;

    // SQLExecDirect; returns its SQLRETURN (errors are not thrown, so tests can inspect them).
    SQLRETURN Execute(const std::string& sql);
    // Execute, throwing OdbcFailure unless it succeeded.
    void Run(const std::string& sql);
    // Runs `sql` and returns every row of its first result set as text (nullopt for NULL).
    std::vector<TextRow> Query(const std::string& sql);
    // Runs `sql`, which must fail (else OdbcFailure), and returns its first diagnostic.
    OdbcDiagnostic FirstError(const std::string& sql);

    std::vector<OdbcColumn> Describe();
    bool Fetch();
    std::optional<std::string> GetText(SQLUSMALLINT column);  // whole value, in parts if long
    SQLLEN RowCount();
    SQLRETURN MoreResults() { return SQLMoreResults(stmt_); }
    void SetQueryTimeout(SQLULEN seconds) {
        SQLSetStmtAttr(stmt_, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(seconds), 0);
    }

    std::vector<OdbcDiagnostic> StatementDiagnostics();

private:
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

}  // namespace standin::test
