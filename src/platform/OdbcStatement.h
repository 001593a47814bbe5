#pragma once
// One ODBC statement handle on an open connection: run a batch, step through its results and
// fetch rows one at a time, each column read as text. The handle is freed (with any pending
// results) whatever happens. TQuery reads whole results through it; a reader that must not hold
// a whole table in memory fetches row by row.

#ifdef _WIN32
#include <windows.h>  // the ODBC headers of Windows build on it
#endif
#include <sql.h>

#include <optional>
#include <string>
#include <string_view>

namespace kavel {

class OdbcStatement {
public:
    explicit OdbcStatement(SQLHDBC dbc);
    ~OdbcStatement();
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    SQLHSTMT get() const { return handle_; }

    // Throws EDatabaseError with the driver's text unless rc is a success.
    void Check(SQLRETURN rc, std::string_view what) const;

    // Executes `text` (UTF-8). SQL_NO_DATA (a searched UPDATE or DELETE that met no row) is
    // success.
    void Execute(const std::string& text) const;

    SQLSMALLINT ColumnCount() const;
    // Moves to the next result of the batch; false when there is none.
    bool MoreResults() const;
    std::string ColumnName(SQLUSMALLINT column) const;

    // Moves to the next row of the current result; false after the last.
    bool Fetch() const;
    // The column's value in the current row as text (UTF-8), NULL as nullopt. Long values
    // arrive in pieces.
    std::optional<std::string> Text(SQLUSMALLINT column) const;

private:
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

}  // namespace kavel
