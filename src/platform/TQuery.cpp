#include "TQuery.h"

#include <sqlext.h>

#include <algorithm>

#include "DatabaseError.h"
#include "OdbcDiagnostics.h"
#include "SameText.h"
#include "TDatabase.h"
#include "WideText.h"

namespace kavel {
namespace {

// A statement handle that is freed (with any pending results) whatever happens.
class Statement {
public:
    explicit Statement(SQLHDBC dbc) {
        CheckOdbc(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &handle_), SQL_HANDLE_DBC, dbc,
                  "SQLAllocHandle(SQL_HANDLE_STMT)");
    }
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, handle_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    SQLHSTMT get() const { return handle_; }

    void Check(SQLRETURN rc, std::string_view what) const {
        CheckOdbc(rc, SQL_HANDLE_STMT, handle_, what);
    }

    // Executes `text`. SQL_NO_DATA (a searched UPDATE or DELETE that met no row) is success.
    void Execute(const std::string& text) const {
        WideString wide = ToWide(text);
        SQLRETURN rc = SQLExecDirectW(handle_, wide.data(), static_cast<SQLINTEGER>(wide.size()));
        if (rc != SQL_NO_DATA) Check(rc, "SQLExecDirectW");
    }

    SQLSMALLINT ColumnCount() const {
        SQLSMALLINT count = 0;
        Check(SQLNumResultCols(handle_, &count), "SQLNumResultCols");
        return count;
    }

    // Moves to the next result of the batch; false when there is none.
    bool MoreResults() const {
        SQLRETURN rc = SQLMoreResults(handle_);
        if (rc == SQL_NO_DATA) return false;
        Check(rc, "SQLMoreResults");
        return true;
    }

    std::string ColumnName(SQLUSMALLINT column) const {
        SQLWCHAR name[256] = {};
        SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        Check(SQLDescribeColW(handle_, column, name, 256, &length, &type, &size, &digits,
                              &nullable),
              "SQLDescribeColW");
        return FromWide(name, std::min<std::size_t>(static_cast<std::size_t>(length), 255));
    }

    // The column's value as text, NULL as nullopt. Long values arrive in pieces.
    std::optional<std::string> Text(SQLUSMALLINT column) const {
        WideString value;
        SQLWCHAR buffer[1024];
        for (;;) {
            SQLLEN indicator = 0;
            SQLRETURN rc = SQLGetData(handle_, column, SQL_C_WCHAR, buffer, sizeof buffer,
                                      &indicator);
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

private:
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
};


}  // namespace

void TQuery::ClearSql() {
    Close();
    sql_.clear();
}

std::string TQuery::Text() const {
    std::string text;
    for (const auto& line : sql_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TQuery::Open() {
    Close();
    Statement statement(database_->Handle());
    statement.Execute(Text());
    // Row counts of statements before the SELECT come first; skip to the first result that
    // has columns.
    SQLSMALLINT columnCount = statement.ColumnCount();
    while (columnCount == 0) {
        if (!statement.MoreResults()) throw EDatabaseError("The statement returned no rows to open");
        columnCount = statement.ColumnCount();
    }
    std::vector<std::string> columns;
    for (SQLUSMALLINT c = 1; c <= columnCount; ++c) columns.push_back(statement.ColumnName(c));
    std::vector<std::vector<std::optional<std::string>>> rows;
    for (;;) {
        SQLRETURN rc = SQLFetch(statement.get());
        if (rc == SQL_NO_DATA) break;
        statement.Check(rc, "SQLFetch");
        auto& row = rows.emplace_back();
        row.reserve(columns.size());
        for (SQLUSMALLINT c = 1; c <= columnCount; ++c) row.push_back(statement.Text(c));
    }
    // An error in a later statement of the batch must not pass unnoticed.
    while (statement.MoreResults()) {
    }
    columns_ = std::move(columns);
    rows_ = std::move(rows);
    current_ = 0;
    active_ = true;
}

void TQuery::ExecSQL() {
    Close();
    Statement statement(database_->Handle());
    statement.Execute(Text());
    while (statement.MoreResults()) {
    }
}

void TQuery::Close() {
    active_ = false;
    columns_.clear();
    rows_.clear();
    current_ = 0;
}

void TQuery::Next() {
    if (!Eof()) ++current_;
}

TField TQuery::FieldByName(const std::string& name) const {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (!SameText(columns_[c], name)) continue;
        // No row at all reads as NULL; past the last row the last row stays current.
        if (rows_.empty()) return TField(columns_[c], std::nullopt);
        return TField(columns_[c], rows_[std::min(current_, rows_.size() - 1)][c]);
    }
    throw EDatabaseError("Field '" + name + "' not found");
}

}  // namespace kavel
