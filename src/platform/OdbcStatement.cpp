#include "OdbcStatement.h"

#include <sqlext.h>

#include <algorithm>

#include "OdbcDiagnostics.h"
#include "WideText.h"

namespace kavel {

OdbcStatement::OdbcStatement(SQLHDBC dbc) {
    CheckOdbc(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &handle_), SQL_HANDLE_DBC, dbc,
              "SQLAllocHandle(SQL_HANDLE_STMT)");
}

OdbcStatement::~OdbcStatement() { SQLFreeHandle(SQL_HANDLE_STMT, handle_); }

void OdbcStatement::Check(SQLRETURN rc, std::string_view what) const {
    CheckOdbc(rc, SQL_HANDLE_STMT, handle_, what);
}

void OdbcStatement::Execute(const std::string& text) const {
    WideString wide = ToWide(text);
    SQLRETURN rc = SQLExecDirectW(handle_, wide.data(), static_cast<SQLINTEGER>(wide.size()));
    if (rc != SQL_NO_DATA) Check(rc, "SQLExecDirectW");
}

SQLSMALLINT OdbcStatement::ColumnCount() const {
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(handle_, &count), "SQLNumResultCols");
    return count;
}

bool OdbcStatement::MoreResults() const {
    SQLRETURN rc = SQLMoreResults(handle_);
    if (rc == SQL_NO_DATA) return false;
    Check(rc, "SQLMoreResults");
    return true;
}

std::string OdbcStatement::ColumnName(SQLUSMALLINT column) const {
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    Check(SQLDescribeColW(handle_, column, name, 256, &length, &type, &size, &digits, &nullable),
          "SQLDescribeColW");
    return FromWide(name, std::min<std::size_t>(static_cast<std::size_t>(length), 255));
}

bool OdbcStatement::Fetch() const {
    SQLRETURN rc = SQLFetch(handle_);
    if (rc == SQL_NO_DATA) return false;
    Check(rc, "SQLFetch");
    return true;
}

std::optional<std::string> OdbcStatement::Text(SQLUSMALLINT column) const {
    WideString value;
    SQLWCHAR buffer[1024];
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(handle_, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        Check(rc, "SQLGetData");
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const std::size_t capacity = sizeof buffer / sizeof buffer[0] - 1;
        std::size_t units = capacity;
        if (indicator != SQL_NO_TOTAL && indicator >= 0)
            units = std::min(capacity, static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR));
        value.append(buffer, units);
        if (rc == SQL_SUCCESS) break;  // SQL_SUCCESS_WITH_INFO: truncated, more to come
    }
    return FromWide(value);
}

}  // namespace kavel
