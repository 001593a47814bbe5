#include "OdbcTestClient.h"

namespace standin::test {

namespace {

std::string Describe(const std::vector<OdbcDiagnostic>& diagnostics) {
    std::string s;
    for (const auto& d : diagnostics)
        s += "\n  [" + d.state + "] (" + std::to_string(d.native) + ") " + d.message;
    return s;
}

bool Ok(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

std::vector<OdbcDiagnostic> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<OdbcDiagnostic> out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[2048] = {};
        SQLSMALLINT length = 0;
        if (!Ok(SQLGetDiagRec(handleType, handle, i, state, &native, text, sizeof text, &length)))
            break;
        out.push_back({reinterpret_cast<char*>(state), native, reinterpret_cast<char*>(text)});
    }
    return out;
}

}  // namespace

OdbcFailure::OdbcFailure(const std::string& what, std::vector<OdbcDiagnostic> d)
    : std::runtime_error(what + Describe(d)), diagnostics(std::move(d)) {}

OdbcTestClient::OdbcTestClient(const std::string& connectionString) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    SQLCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc =
        SQLDriverConnect(dbc_, nullptr, (SQLCHAR*)connectionString.c_str(), SQL_NTS, out,
                         sizeof out, &outLength, SQL_DRIVER_NOPROMPT);
    if (!Ok(rc)) {
        auto diagnostics = ReadDiagnostics(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
        throw OdbcFailure("SQLDriverConnect failed", std::move(diagnostics));
    }
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_);
}

OdbcTestClient::~OdbcTestClient() {
    SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

SQLRETURN OdbcTestClient::Execute(const std::string& sql) {
    SQLFreeStmt(stmt_, SQL_CLOSE);
    return SQLExecDirect(stmt_, (SQLCHAR*)sql.c_str(), static_cast<SQLINTEGER>(sql.size()));
}

void OdbcTestClient::Run(const std::string& sql) {
    const SQLRETURN rc = Execute(sql);
    if (!Ok(rc) && rc != SQL_NO_DATA)
        throw OdbcFailure("executing '" + sql + "' failed", StatementDiagnostics());
}

std::vector<TextRow> OdbcTestClient::Query(const std::string& sql) {
    Run(sql);
    const std::size_t columns = Describe().size();
    std::vector<TextRow> rows;
    while (Fetch()) {
        TextRow row;
        for (std::size_t c = 1; c <= columns; ++c)
            row.push_back(GetText(static_cast<SQLUSMALLINT>(c)));
        rows.push_back(std::move(row));
    }
    return rows;
}

OdbcDiagnostic OdbcTestClient::FirstError(const std::string& sql) {
    const SQLRETURN rc = Execute(sql);
    std::vector<OdbcDiagnostic> d = StatementDiagnostics();
    if (rc != SQL_ERROR || d.empty()) throw OdbcFailure("'" + sql + "' did not fail", d);
    return d[0];
}

std::vector<OdbcColumn> OdbcTestClient::Describe() {
    SQLSMALLINT count = 0;
    SQLNumResultCols(stmt_, &count);
    std::vector<OdbcColumn> columns;
    for (SQLUSMALLINT i = 1; i <= count; ++i) {
        SQLCHAR name[256] = {};
        SQLSMALLINT nameLength = 0;
        OdbcColumn c;
        if (!Ok(SQLDescribeCol(stmt_, i, name, sizeof name, &nameLength, &c.type, &c.size,
                               &c.digits, &c.nullable)))
            throw OdbcFailure("SQLDescribeCol failed", StatementDiagnostics());
        c.name = reinterpret_cast<char*>(name);
        SQLCHAR typeName[128] = {};
        SQLSMALLINT typeNameLength = 0;
        SQLColAttribute(stmt_, i, SQL_DESC_TYPE_NAME, typeName, sizeof typeName, &typeNameLength,
                        nullptr);
        c.typeName = reinterpret_cast<char*>(typeName);
        columns.push_back(c);
    }
    return columns;
}

bool OdbcTestClient::Fetch() {
    const SQLRETURN rc = SQLFetch(stmt_);
    if (rc == SQL_NO_DATA) return false;
    if (!Ok(rc)) throw OdbcFailure("SQLFetch failed", StatementDiagnostics());
    return true;
}

std::optional<std::string> OdbcTestClient::GetText(SQLUSMALLINT column) {
    std::string value;
    for (;;) {
        char buffer[4096];
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(stmt_, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        if (!Ok(rc)) throw OdbcFailure("SQLGetData failed", StatementDiagnostics());
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const bool partial =
            rc == SQL_SUCCESS_WITH_INFO &&
            (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer));
        value.append(buffer, partial ? sizeof buffer - 1 : static_cast<std::size_t>(indicator));
        if (!partial) break;
    }
    return value;
}

SQLLEN OdbcTestClient::RowCount() {
    SQLLEN n = -1;
    SQLRowCount(stmt_, &n);
    return n;
}

std::vector<OdbcDiagnostic> OdbcTestClient::StatementDiagnostics() {
    return ReadDiagnostics(SQL_HANDLE_STMT, stmt_);
}

}  // namespace standin::test
