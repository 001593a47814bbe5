#pragma once
// A database's rows and user tables as text, read through the program's own ODBC layer: shared
// by the Linux suite (StandinDatabase.h) and the Windows build's schema_dump, so both compare
// with tests/upkavel/expected/*.schema in one form.

#include <ostream>
#include <string>
#include <vector>

#include "TDatabase.h"

namespace kavel::test {

// One column of a table as syscolumns describes it.
struct ColumnInfo {
    std::string name;
    int xtype = 0;   // 56 int, 167 varchar, 175 char, 35 text, 61 datetime, 108 numeric ...
    int length = 0;  // bytes
    int prec = 0;
    int scale = 0;
    bool nullable = false;
    bool hasDefault = false;  // a default constraint is bound to it
    bool operator==(const ColumnInfo&) const = default;
};
std::ostream& operator<<(std::ostream& out, const ColumnInfo& column);

using TextRows = std::vector<std::vector<std::string>>;

// Every column of every row of a query's result, NULL as "NULL", trailing blanks trimmed.
TextRows QueryRows(TDatabase& database, const std::string& sql);
// The columns of a table in column order; empty when there is no such table.
std::vector<ColumnInfo> ColumnsOf(TDatabase& database, const std::string& table);
// Every user table with its columns, keys and indexes, one line each, in name order.
std::string SchemaOf(TDatabase& database);

}  // namespace kavel::test
