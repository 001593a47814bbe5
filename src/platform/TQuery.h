#pragma once
// A query component on a TDatabase. The statement is held as lines; the text sent is every line
// followed by CR LF. Open reads the whole result into memory and releases the server, so two
// queries on one connection can be nested (walk one result while the other runs statements)
// without the server having to keep two results open.

#include <optional>
#include <string>
#include <vector>

#include "TField.h"

namespace kavel {

class TDatabase;

class TQuery {
public:
    explicit TQuery(TDatabase& database) : database_(&database) {}

    // Clears the statement lines; closes the query first when it is open.
    void ClearSql();
    void AddSql(std::string line) { sql_.push_back(std::move(line)); }
    const std::vector<std::string>& Sql() const { return sql_; }
    // The statement as sent to the server: each line followed by CR LF.
    std::string Text() const;

    // Runs a statement that returns rows and positions on the first row.
    void Open();
    // Runs a statement (or batch) that returns no rows. A failure of any of its statements
    // raises, not only of the first.
    void ExecSQL();
    void Close();

    bool Active() const { return active_; }
    // True when there is no current row: right after Open when no row came back, and after
    // Next has moved past the last row.
    bool Eof() const { return !active_ || current_ >= rows_.size(); }
    void Next();
    // The number of rows the open result holds (it is read whole by Open).
    std::size_t RecordCount() const { return rows_.size(); }

    // Column names of the open result, in order.
    const std::vector<std::string>& ColumnNames() const { return columns_; }
    // The named column (ASCII letters compared without regard to case) of the current row.
    TField FieldByName(const std::string& name) const;

private:
    TDatabase* database_;
    std::vector<std::string> sql_;
    bool active_ = false;
    std::vector<std::string> columns_;
    std::vector<std::vector<std::optional<std::string>>> rows_;
    std::size_t current_ = 0;
};

}  // namespace kavel
