#include "TQuery.h"

#include <algorithm>

#include "DatabaseError.h"
#include "OdbcStatement.h"
#include "SameText.h"
#include "TDatabase.h"

namespace kavel {

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
    OdbcStatement statement(database_->Handle());
    statement.Execute(Text());
    // Row counts of statements before the SELECT come first; skip to the first result that
    // has columns.
    SQLSMALLINT columnCount = statement.ColumnCount();
    while (columnCount == 0) {
        if (!statement.MoreResults())
            throw EDatabaseError("The statement returned no rows to open");
        columnCount = statement.ColumnCount();
    }
    std::vector<std::string> columns;
    for (SQLUSMALLINT c = 1; c <= columnCount; ++c) columns.push_back(statement.ColumnName(c));
    std::vector<std::vector<std::optional<std::string>>> rows;
    for (;;) {
        if (!statement.Fetch()) break;
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
    OdbcStatement statement(database_->Handle());
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
